#include "skeleton/PoseMirror.h"

#include "skeleton/Skeleton.h"

#include <unordered_map>

namespace PoseMirror
{

std::vector<int> partners(const std::vector<std::string>& names)
{
    // Each particle pairs once: the k-th particle of a name with the k-th of its partner's
    // name, so that two particles of one name never both take the same partner's place.
    std::unordered_map<std::string, std::vector<int>> indicesOf;
    std::vector<size_t> occurrence(names.size());
    for (size_t i = 0; i < names.size(); ++i)
    {
        std::vector<int>& indices = indicesOf[names[i]];
        occurrence[i] = indices.size();
        indices.push_back(int(i));
    }

    std::vector<int> result(names.size());
    for (size_t i = 0; i < names.size(); ++i)
    {
        result[i] = int(i);
        const std::string& name = names[i];
        std::string partner;
        if (name.compare(0, 4, "left") == 0)
            partner = "right" + name.substr(4);
        else if (name.compare(0, 5, "right") == 0)
            partner = "left" + name.substr(5);
        else
            continue;
        auto found = indicesOf.find(partner);
        if (found != indicesOf.end() && occurrence[i] < found->second.size())
            result[i] = found->second[occurrence[i]];
    }
    return result;
}

std::vector<int> partners(const Skeleton& skeleton)
{
    std::vector<std::string> names;
    names.reserve(skeleton.entries.size());
    for (const Skeleton::ParticleEntry* entry : skeleton.entries)
        names.push_back(entry->name);
    return partners(names);
}

bool hasPairs(const std::vector<int>& partners)
{
    for (size_t i = 0; i < partners.size(); ++i)
        if (partners[i] != int(i))
            return true;
    return false;
}

std::vector<Ogre::Vector3> mirror(const std::vector<Ogre::Vector3>& pose,
                                  const std::vector<int>& partners)
{
    std::vector<Ogre::Vector3> result = pose;
    for (size_t i = 0; i < result.size() && i < partners.size(); ++i)
    {
        const int partner = partners[i];
        if (partner >= 0 && size_t(partner) < pose.size())
            result[i] = reflect(pose[size_t(partner)]);
    }
    return result;
}

} // namespace PoseMirror
