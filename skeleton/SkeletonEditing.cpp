#include "skeleton/SkeletonEditing.h"

#include "editor/EditorMode.h"
#include "editor/UndoHistory.h"
#include "skeleton/PoseMirror.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

namespace
{
// The sample character's skeleton, in its particle and stick order: the stick frames are
// chosen by stick index and read particles 1-3 and 8-12, so a biped must keep this order.
struct TemplateParticle
{
    const char* name;
    float x, y, z;
    int bodyAreaHint;
};
const TemplateParticle BIPED[] = {
    {"head", 0.0f, 23.0f, 0.0f, 1},          {"neck", 0.0f, 16.0f, 0.0f, 1},
    {"rightshoulder", -4.5f, 13.5f, 0.0f, 2}, {"leftshoulder", 4.5f, 13.5f, 0.0f, 2},
    {"rightelbow", -6.0f, 10.5f, 0.5f, 2},    {"righthand", -6.5f, 7.5f, 1.5f, 2},
    {"leftelbow", 6.0f, 10.5f, 0.5f, 2},      {"lefthand", 6.5f, 7.5f, 1.5f, 2},
    {"spine", 0.0f, 10.0f, 0.0f, 0},          {"righthip", -2.5f, 6.0f, 0.0f, 3},
    {"lefthip", 2.5f, 6.0f, 0.0f, 3},         {"rightknee", -2.5f, 3.5f, 0.5f, 3},
    {"leftknee", 2.5f, 3.5f, 0.5f, 3},        {"rightfoot", -2.5f, 1.0f, 0.5f, 3},
    {"leftfoot", 2.5f, 1.0f, 0.5f, 3},        {"snout", 0.0f, 18.5f, 4.5f, 1},
    {"tailtip", 0.0f, 15.0f, -9.0f, 4},       {"tailbase", 0.0f, 8.0f, -5.0f, 0},
};
const int BIPED_STICKS[][2] = {{9, 11}, {11, 13}, {9, 10}, {10, 12}, {12, 14}, {9, 8},  {8, 2},
                               {3, 2},  {10, 8},  {8, 3},  {2, 4},   {4, 5},   {3, 6},  {6, 7},
                               {8, 1},  {1, 0},   {1, 15}, {16, 17}, {17, 8},  {0, 15}};
// The sample's voxels fill the cells from (-8, 0, -12) to (7, 27, 5).
const Ogre::Vector3 BIPED_LOW(-8.0f, 0.0f, -12.0f);
const Ogre::Vector3 BIPED_HIGH(8.0f, 28.0f, 6.0f);
// A particle this close to x = 0 is its own mirror twin.
const float ON_PLANE = 0.25f;

// The box of the voxels' cells in model space; false without voxels.
bool voxelBounds(const EditorMode& editor, Ogre::Vector3& low, Ogre::Vector3& high)
{
    if (editor.voxels.empty())
        return false;
    low = Ogre::Vector3(std::numeric_limits<float>::max());
    high = -low;
    for (const Voxel* voxel : editor.voxels)
    {
        const Voxel::Cell& c = voxel->gridPosition;
        const Ogre::Vector3 cell(float(c.x), float(c.y), float(c.z));
        low.makeFloor(cell);
        high.makeCeil(cell + Ogre::Vector3::UNIT_SCALE);
    }
    return true;
}

float segmentDistance(const Ogre::Vector3& p, const Ogre::Vector3& a, const Ogre::Vector3& b)
{
    const Ogre::Vector3 ab = b - a;
    const float length2 = ab.squaredLength();
    if (length2 <= 0.0f)
        return std::numeric_limits<float>::max();
    const float t = std::min(std::max(ab.dotProduct(p - a) / length2, 0.0f), 1.0f);
    return (p - (a + ab * t)).length();
}

// Carries a rest-pose position into the poses of `shape`: rigidly with its nearest stick (in
// that stick's frame, as voxels follow it), else with its nearest particle, else it stays.
class Carrier
{
public:
    Carrier(const SkeletonShape& shape, const Ogre::Vector3& rest) : rest(rest)
    {
        float best = std::numeric_limits<float>::max();
        for (size_t i = 0; i < shape.sticks.size(); ++i)
        {
            const float distance = segmentDistance(rest, shape.particles[shape.sticks[i].a].position,
                                                   shape.particles[shape.sticks[i].b].position);
            if (distance < best)
                best = distance, stick = int(i);
        }
        best = std::numeric_limits<float>::max();
        for (size_t i = 0; i < shape.particles.size(); ++i)
        {
            const float distance = (shape.particles[i].position - rest).length();
            if (distance < best)
                best = distance, particle = int(i);
        }
        if (stick < 0)
            return;
        skeleton.reset(new Skeleton(0.7f));
        for (const SkeletonShape::Particle& p : shape.particles)
            skeleton->addEntry(p.position, p.id, p.name, p.bodyAreaHint, p.invMass);
        for (const SkeletonShape::Stick& s : shape.sticks)
            skeleton->system->addStick(skeleton->system->particles[s.a],
                                       skeleton->system->particles[s.b], s.restLength);
        Ogre::Vector3 origin;
        Ogre::Quaternion rotation;
        skeleton->stickOrientation(stick, origin, rotation, skeleton->computeBodyFrame());
        offset = rotation.Inverse() * (rest - origin);
    }

    Ogre::Vector3 in(const std::vector<Ogre::Vector3>& pose, const Ogre::Vector3& restOf) const
    {
        if (skeleton)
        {
            skeleton->setPose(pose, Ogre::Quaternion::IDENTITY);
            Ogre::Vector3 origin;
            Ogre::Quaternion rotation;
            skeleton->stickOrientation(stick, origin, rotation, skeleton->computeBodyFrame());
            return origin + rotation * offset;
        }
        if (particle >= 0)
            return pose[size_t(particle)] + (rest - restOf);
        return rest;
    }

    int particle = -1;

private:
    Ogre::Vector3 rest;
    Ogre::Vector3 offset = Ogre::Vector3::ZERO;
    int stick = -1;
    std::unique_ptr<Skeleton> skeleton;
};

// Every key frame with one position per particle of `count`; others are kept as they are.
template <typename F> void forEachFrame(SkeletonShape& shape, size_t count, F&& change)
{
    auto visit = [&](SkeletonShape::Frames& frames)
    {
        for (auto& frame : frames)
            if (frame.second.size() == count)
                change(frame.second);
    };
    visit(shape.restFrames);
    for (SkeletonShape::Frames& frames : shape.animationFrames)
        visit(frames);
}

void setRestFrame(SkeletonShape& shape)
{
    shape.restFrames.clear();
    if (shape.particles.empty())
        return;
    std::vector<Ogre::Vector3>& rest = shape.restFrames[0.0f];
    for (const SkeletonShape::Particle& particle : shape.particles)
        rest.push_back(particle.position);
}

float restLength(const SkeletonShape& shape, int a, int b)
{
    return (shape.particles[size_t(a)].position - shape.particles[size_t(b)].position).length();
}
} // namespace

const std::vector<int> SkeletonEditing::FRAME_PARTICLES = {1, 2, 3, 8, 9, 10, 11, 12};
const char* const SkeletonEditing::BODY_AREAS[5] = {"trunk", "head", "arms", "legs", "tail"};

Ogre::Vector3 SkeletonEditing::placeUnder(const Ogre::Ray& ray,
                                          const Ogre::Vector3& viewDirection) const
{
    const Ogre::Quaternion toModel = editor.modelOrientation.Inverse();
    const Ogre::Vector3 o = toModel * ray.getOrigin();
    const Ogre::Vector3 d = (toModel * ray.getDirection()).normalisedCopy();
    Ogre::Vector3 low = Ogre::Vector3::ZERO, high = Ogre::Vector3::ZERO;
    const bool haveVoxels = voxelBounds(editor, low, high);
    const Ogre::Vector3 centre = (low + high) * 0.5f;

    // Walk the cells the ray crosses inside the voxels' box, one face at a time.
    float tEnter = 0.0f, tExit = std::numeric_limits<float>::max();
    for (int axis = 0; haveVoxels && axis < 3; ++axis)
    {
        if (std::fabs(d[axis]) < 1e-9f)
        {
            if (o[axis] < low[axis] || o[axis] > high[axis])
                tExit = -1.0f;
            continue;
        }
        float t0 = (low[axis] - o[axis]) / d[axis], t1 = (high[axis] - o[axis]) / d[axis];
        tEnter = std::max(tEnter, std::min(t0, t1));
        tExit = std::min(tExit, std::max(t0, t1));
    }
    if (haveVoxels && tEnter < tExit)
    {
        const float nudge = 1e-4f;
        Ogre::Vector3 start = o + d * (tEnter + nudge);
        int cell[3], step[3];
        float tMax[3], tDelta[3];
        for (int axis = 0; axis < 3; ++axis)
        {
            cell[axis] = int(std::floor(start[axis]));
            step[axis] = d[axis] > 0 ? 1 : -1;
            tDelta[axis] = std::fabs(d[axis]) < 1e-9f ? std::numeric_limits<float>::max()
                                                     : std::fabs(1.0f / d[axis]);
            const float boundary = float(cell[axis] + (d[axis] > 0 ? 1 : 0));
            tMax[axis] = std::fabs(d[axis]) < 1e-9f ? std::numeric_limits<float>::max()
                                                   : (boundary - o[axis]) / d[axis];
        }
        float t = tEnter, runStart = -1.0f;
        while (t < tExit)
        {
            const int axis = tMax[0] < tMax[1] ? (tMax[0] < tMax[2] ? 0 : 2)
                                               : (tMax[1] < tMax[2] ? 1 : 2);
            const float leave = std::min(tMax[axis], tExit);
            const bool filled = editor.model.voxelAtCell({cell[0], cell[1], cell[2]}) >= 0;
            if (filled && runStart < 0.0f)
                runStart = t;
            if (!filled && runStart >= 0.0f)
                return o + d * ((runStart + t) * 0.5f);
            t = leave;
            cell[axis] += step[axis];
            tMax[axis] += tDelta[axis];
        }
        if (runStart >= 0.0f)
            return o + d * ((runStart + tExit) * 0.5f);
    }
    // Beside the model: on the plane through its centre that faces the camera.
    const Ogre::Vector3 n = (toModel * viewDirection).normalisedCopy();
    const float facing = d.dotProduct(n);
    if (std::fabs(facing) > 1e-6f)
    {
        const float t = (centre - o).dotProduct(n) / facing;
        if (t > 0.0f)
            return o + d * t;
    }
    return o + d * (centre - o).length();
}

int SkeletonEditing::particleCount() const { return int(editor.skeleton->entries.size()); }

bool SkeletonEditing::mirroring() const { return editor.mirror.isOn(); }

int SkeletonEditing::twinOf(int index) const
{
    const std::vector<int> partners = PoseMirror::partners(*editor.skeleton);
    return index >= 0 && size_t(index) < partners.size() ? partners[size_t(index)] : index;
}

int SkeletonEditing::append(SkeletonShape& shape, const SkeletonShape& before,
                            const Ogre::Vector3& position, const std::string& name,
                            int bodyAreaHint)
{
    int id = 0;
    for (const SkeletonShape::Particle& particle : shape.particles)
        id = std::max(id, particle.id + 1);
    const size_t count = shape.particles.size();
    const Carrier carrier(before, position);
    const Ogre::Vector3 nearestRest =
        carrier.particle >= 0 ? before.particles[size_t(carrier.particle)].position
                              : Ogre::Vector3::ZERO;
    forEachFrame(shape, count,
                 [&](std::vector<Ogre::Vector3>& frame)
                 {
                     // The first positions are those of `before`, whose poses the carrier knows.
                     std::vector<Ogre::Vector3> old(frame.begin(),
                                                    frame.begin() + long(before.particles.size()));
                     frame.push_back(carrier.in(old, nearestRest));
                 });
    shape.particles.push_back({position, id, name, bodyAreaHint, 1.0f});
    setRestFrame(shape);
    return int(count);
}

void SkeletonEditing::erase(SkeletonShape& shape, int index)
{
    const size_t count = shape.particles.size();
    std::vector<SkeletonShape::Stick> kept;
    for (SkeletonShape::Stick stick : shape.sticks)
    {
        if (stick.a == index || stick.b == index)
            continue;
        stick.a -= stick.a > index;
        stick.b -= stick.b > index;
        kept.push_back(stick);
    }
    shape.sticks = kept;
    forEachFrame(shape, count, [&](std::vector<Ogre::Vector3>& frame)
                 { frame.erase(frame.begin() + index); });
    shape.particles.erase(shape.particles.begin() + index);
    setRestFrame(shape);
}

void SkeletonEditing::addStickTo(SkeletonShape& shape, int a, int b)
{
    if (a != b && shape.findStick(a, b) < 0)
        shape.sticks.push_back({a, b, restLength(shape, a, b)});
}

void SkeletonEditing::apply(SkeletonShape& shape)
{
    editor.history->skeletonShapeChanging();
    shape.restore(editor);
    editor.history->skeletonShapeChanged();
    editor.rebindSkeleton();
    editor.resetToRestPose();
    if (chosen >= particleCount())
        chosen = -1;
}

int SkeletonEditing::addParticle(const Ogre::Vector3& position)
{
    const SkeletonShape before = SkeletonShape::capture(editor);
    SkeletonShape shape = before;
    int id = 0;
    for (const SkeletonShape::Particle& particle : shape.particles)
        id = std::max(id, particle.id + 1);
    const std::string base = "particle" + std::to_string(id);
    if (mirroring() && std::fabs(position.x) > ON_PLANE)
    {
        // Twins: "left..." on the +x side, "right..." on the other, so mirrored poses pair them.
        const Ogre::Vector3 twin = PoseMirror::reflect(position);
        const bool left = position.x > 0.0f;
        chosen = append(shape, before, position, (left ? "left" : "right") + base, 0);
        append(shape, before, twin, (left ? "right" : "left") + base, 0);
    }
    else
        chosen = append(shape, before, position, base, 0);
    apply(shape);
    return chosen;
}

void SkeletonEditing::moveParticle(int index, const Ogre::Vector3& position)
{
    if (index < 0 || index >= particleCount())
        return;
    SkeletonShape shape = SkeletonShape::capture(editor);
    shape.particles[size_t(index)].position = position;
    const int twin = mirroring() ? twinOf(index) : index;
    if (twin != index)
        shape.particles[size_t(twin)].position = PoseMirror::reflect(position);
    for (SkeletonShape::Stick& stick : shape.sticks)
        stick.restLength = restLength(shape, stick.a, stick.b);
    setRestFrame(shape);
    chosen = index;
    apply(shape);
}

void SkeletonEditing::removeParticle(int index)
{
    if (index < 0 || index >= particleCount())
        return;
    SkeletonShape shape = SkeletonShape::capture(editor);
    const int twin = mirroring() ? twinOf(index) : index;
    // The later index first, so the earlier one keeps its place.
    erase(shape, std::max(index, twin));
    if (twin != index)
        erase(shape, std::min(index, twin));
    chosen = -1;
    apply(shape);
}

bool SkeletonEditing::addStick(int a, int b)
{
    const int count = particleCount();
    if (a < 0 || b < 0 || a >= count || b >= count || a == b)
        return false;
    SkeletonShape shape = SkeletonShape::capture(editor);
    if (shape.findStick(a, b) >= 0)
        return false;
    addStickTo(shape, a, b);
    if (mirroring())
        addStickTo(shape, twinOf(a), twinOf(b));
    chosen = b;
    apply(shape);
    return true;
}

void SkeletonEditing::removeStick(int index)
{
    SkeletonShape shape = SkeletonShape::capture(editor);
    if (index < 0 || size_t(index) >= shape.sticks.size())
        return;
    const SkeletonShape::Stick stick = shape.sticks[size_t(index)];
    const int twin = mirroring() ? shape.findStick(twinOf(stick.a), twinOf(stick.b)) : -1;
    shape.sticks.erase(shape.sticks.begin() + index);
    if (twin >= 0 && twin != index)
        shape.sticks.erase(shape.sticks.begin() + (twin - (twin > index)));
    apply(shape);
}

void SkeletonEditing::rename(int index, const std::string& name)
{
    if (index < 0 || index >= particleCount())
        return;
    SkeletonShape shape = SkeletonShape::capture(editor);
    shape.particles[size_t(index)].name = name;
    apply(shape);
}

void SkeletonEditing::setBodyArea(int index, int area)
{
    if (index < 0 || index >= particleCount() || area < 0 || area > 4)
        return;
    SkeletonShape shape = SkeletonShape::capture(editor);
    shape.particles[size_t(index)].bodyAreaHint = area;
    apply(shape);
}

void SkeletonEditing::setPinned(int index, bool pinned)
{
    if (index < 0 || index >= particleCount())
        return;
    SkeletonShape shape = SkeletonShape::capture(editor);
    shape.particles[size_t(index)].invMass = pinned ? 0.0f : 1.0f;
    apply(shape);
}

void SkeletonEditing::applyBipedTemplate()
{
    Ogre::Vector3 low = BIPED_LOW, high = BIPED_HIGH;
    voxelBounds(editor, low, high);
    const Ogre::Vector3 scale = (high - low) / (BIPED_HIGH - BIPED_LOW);
    SkeletonShape shape = SkeletonShape::capture(editor);
    // Every key frame is for the old skeleton: each becomes the new rest pose.
    shape.particles.clear();
    shape.sticks.clear();
    int id = 0;
    for (const TemplateParticle& p : BIPED)
        shape.particles.push_back({low + (Ogre::Vector3(p.x, p.y, p.z) - BIPED_LOW) * scale, id++,
                                   p.name, p.bodyAreaHint, 1.0f});
    for (const auto& stick : BIPED_STICKS)
        shape.sticks.push_back({stick[0], stick[1], restLength(shape, stick[0], stick[1])});
    setRestFrame(shape);
    for (SkeletonShape::Frames& frames : shape.animationFrames)
        for (auto& frame : frames)
            frame.second = shape.restFrames[0.0f];
    chosen = -1;
    apply(shape);
}

void SkeletonEditing::clear()
{
    SkeletonShape shape = SkeletonShape::capture(editor);
    shape.particles.clear();
    shape.sticks.clear();
    shape.restFrames.clear();
    for (SkeletonShape::Frames& frames : shape.animationFrames)
        for (auto& frame : frames)
            frame.second.clear();
    chosen = -1;
    apply(shape);
}

std::string SkeletonEditing::frameNote() const
{
    const std::vector<Skeleton::ParticleEntry*>& entries = editor.skeleton->entries;
    if (entries.size() < 13)
        return "";
    std::string note;
    bool differs = false;
    for (int index : FRAME_PARTICLES)
    {
        const std::string& name = entries[size_t(index)]->name;
        differs = differs || name != BIPED[index].name;
        note += (note.empty() ? "" : ", ") + std::to_string(index) + " " + name;
    }
    return differs ? "Frame reads " + note : "";
}
