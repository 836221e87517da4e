#pragma once

#include <OgreVector.h>

#include <string>
#include <vector>

class Skeleton;

// Mirrored poses (an addition of this editor): the reflection in the plane x = 0 of model
// space, the skeleton's centre line. Particles pair by name: "left..." with "right..." of the
// same rest; a particle without a partner mirrors onto itself.
namespace PoseMirror
{

// The reflection of a model-space position in x = 0.
inline Ogre::Vector3 reflect(const Ogre::Vector3& position)
{
    return Ogre::Vector3(-position.x, position.y, position.z);
}

// For each particle name, the index of its partner (its own index when it has none); the k-th
// particle of a name pairs with the k-th particle of the partner name.
std::vector<int> partners(const std::vector<std::string>& names);

// The partners of the skeleton's particles, by the names of its entries (in particle order).
std::vector<int> partners(const Skeleton& skeleton);

// Whether any particle has a partner other than itself.
bool hasPairs(const std::vector<int>& partners);

// Each position takes its partner's position, reflected. Entries whose partner lies outside the
// pose (a frame shorter than the skeleton) keep their position.
std::vector<Ogre::Vector3> mirror(const std::vector<Ogre::Vector3>& pose,
                                  const std::vector<int>& partners);

// What the bar says when a mirror finds no pairs.
inline const char* NO_PAIRS_NOTE = "Mirror: no left/right pairs found";

} // namespace PoseMirror
