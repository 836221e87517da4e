// Writes the sample character of the editor: a round little Bramblewick forest critter with big
// ears, a bushy tail and a bramble leaf on its head, standing on the ground at the origin and
// facing the start camera (+Z). Produces <folder>/bramblewick.xml (voxels, skeleton, bindings)
// and <folder>/bramblewick_animations.xml (idle, walk, wave), in the layout the editor itself
// writes, so loading and saving them again changes nothing.
//
//   make_sample [folder]        (default: examples)

#include "skeleton/Animation.h"
#include "skeleton/ModelDocument.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreColourValue.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

using Ogre::ColourValue;
using Ogre::Quaternion;
using Ogre::Vector3;

namespace
{

// ---------------------------------------------------------------------------------------------
// Skeleton layout. The body frame reads hips 9 and 10, spine 8, shoulders 2 and 3, neck 1 and
// the limb ends 11 and 12; the creature's right side is at -X so that the body's forward axis
// (up x side) points at the camera.

struct SampleParticle
{
    const char* name;
    Vector3 position;
    int bodyAreaHint; // 0 body, 1 head, 2 arms, 3 legs, 4 tail
};

const SampleParticle PARTICLES[] = {
    {"head", Vector3(0.0f, 23.0f, 0.0f), 1},           // 0
    {"neck", Vector3(0.0f, 16.0f, 0.0f), 1},           // 1
    {"rightshoulder", Vector3(-4.5f, 13.5f, 0.0f), 2}, // 2
    {"leftshoulder", Vector3(4.5f, 13.5f, 0.0f), 2},   // 3
    {"rightelbow", Vector3(-6.0f, 10.5f, 0.5f), 2},    // 4
    {"righthand", Vector3(-6.5f, 7.5f, 1.5f), 2},      // 5
    {"leftelbow", Vector3(6.0f, 10.5f, 0.5f), 2},      // 6
    {"lefthand", Vector3(6.5f, 7.5f, 1.5f), 2},        // 7
    {"spine", Vector3(0.0f, 10.0f, 0.0f), 0},          // 8
    {"righthip", Vector3(-2.5f, 6.0f, 0.0f), 3},       // 9
    {"lefthip", Vector3(2.5f, 6.0f, 0.0f), 3},         // 10
    {"rightknee", Vector3(-2.5f, 3.5f, 0.5f), 3},      // 11
    {"leftknee", Vector3(2.5f, 3.5f, 0.5f), 3},        // 12
    {"rightfoot", Vector3(-2.5f, 1.0f, 0.5f), 3},      // 13
    {"leftfoot", Vector3(2.5f, 1.0f, 0.5f), 3},        // 14
    {"snout", Vector3(0.0f, 18.5f, 4.5f), 1},          // 15
    {"tailtip", Vector3(0.0f, 15.0f, -9.0f), 4},       // 16
    {"tailbase", Vector3(0.0f, 8.0f, -5.0f), 0},       // 17
};
const int PARTICLE_COUNT = sizeof(PARTICLES) / sizeof(PARTICLES[0]);

// Stick order decides each stick's frame. Every stick lies perpendicular to the body axis its
// frame is built from, so the frames are true rotations in the rest pose.
const int STICKS[][2] = {
    {9, 11},  // 0: right thigh (limb reference of hip 9)
    {11, 13}, // 1: right shin
    {9, 10},  // 2: pelvis, along the side axis
    {10, 12}, // 3: left thigh (limb reference of hip 10)
    {12, 14}, // 4: left shin
    {9, 8},   // 5: belly, right
    {8, 2},   // 6: chest, right
    {3, 2},   // 7: shoulder line
    {10, 8},  // 8: belly, left
    {8, 3},   // 9: chest, left
    {2, 4},   // 10: right upper arm
    {4, 5},   // 11: right forearm
    {3, 6},   // 12: left upper arm
    {6, 7},   // 13: left forearm
    {8, 1},   // 14: neck
    {1, 0},   // 15: head
    {1, 15},  // 16: face
    {16, 17}, // 17: tail, from the tip so it points forwards (its frame is the turn from +Z)
    {17, 8},  // 18: tail root
    {0, 15},  // 19: brace of the head
};

// ---------------------------------------------------------------------------------------------
// Voxel model.

struct Cell
{
    int x, y, z;
    bool operator<(const Cell& other) const
    {
        return std::tie(y, z, x) < std::tie(other.y, other.z, other.x);
    }
};

Vector3 centreOf(const Cell& cell) { return Vector3(cell.x + 0.5f, cell.y + 0.5f, cell.z + 0.5f); }

// Small deterministic variation so large areas of one colour do not look flat.
ColourValue furNoise(const Cell& cell, const ColourValue& colour, float amount)
{
    unsigned h = static_cast<unsigned>(cell.x * 73856093) ^
                 static_cast<unsigned>(cell.y * 19349663) ^
                 static_cast<unsigned>(cell.z * 83492791);
    h = (h ^ (h >> 13)) * 1274126177u;
    float n = ((h >> 8) & 0xFF) / 255.0f * 2.0f - 1.0f; // -1 .. 1
    ColourValue result = colour * (1.0f + n * amount);
    result.saturate();
    result.a = 1.0f;
    return result;
}

const ColourValue FUR(0.66f, 0.38f, 0.18f);
const ColourValue FUR_DARK(0.45f, 0.24f, 0.11f);
const ColourValue CREAM(0.96f, 0.86f, 0.64f);
const ColourValue PINK(0.94f, 0.60f, 0.62f);
const ColourValue BLUSH(0.96f, 0.52f, 0.50f);
const ColourValue EYE(0.06f, 0.05f, 0.09f);
const ColourValue SHINE(1.0f, 1.0f, 1.0f);
const ColourValue NOSE(0.30f, 0.12f, 0.12f);
const ColourValue LEAF(0.30f, 0.62f, 0.20f);
const ColourValue LEAF_VEIN(0.20f, 0.45f, 0.14f);
const ColourValue BERRY(0.55f, 0.08f, 0.30f);

class Model
{
public:
    using Inside = std::function<bool(const Vector3&)>;
    using Paint = std::function<ColourValue(const Cell&, const Vector3&)>;

    // Fills every cell of the box whose centre is inside; later shapes repaint earlier cells.
    void fill(const Vector3& low, const Vector3& high, const Inside& inside, const Paint& paint)
    {
        for (int y = static_cast<int>(std::floor(low.y)); y <= static_cast<int>(high.y); ++y)
        {
            for (int z = static_cast<int>(std::floor(low.z)); z <= static_cast<int>(high.z); ++z)
            {
                for (int x = static_cast<int>(std::floor(low.x)); x <= static_cast<int>(high.x);
                     ++x)
                {
                    Cell cell{x, y, z};
                    Vector3 p = centreOf(cell);
                    if (y >= 0 && inside(p))
                    {
                        cells[cell] = paint(cell, p);
                    }
                }
            }
        }
    }

    // Repaints cells that already exist.
    void paint(const Inside& inside, const Paint& paint)
    {
        for (auto& [cell, colour] : cells)
        {
            Vector3 p = centreOf(cell);
            if (inside(p))
            {
                colour = paint(cell, p);
            }
        }
    }

    // The cell with the largest z at (x, y); the model must have one there.
    Cell front(int x, int y) const
    {
        Cell best{x, y, -1000};
        for (const auto& [cell, colour] : cells)
        {
            if (cell.x == x && cell.y == y && cell.z > best.z)
            {
                best = cell;
            }
        }
        return best;
    }

    std::map<Cell, ColourValue> cells;
};

Model::Inside ellipsoid(const Vector3& centre, const Vector3& radii,
                        const Quaternion& turn = Quaternion::IDENTITY)
{
    Quaternion back = turn.Inverse();
    return [=](const Vector3& p)
    {
        Vector3 q = (back * (p - centre)) / radii;
        return q.squaredLength() <= 1.0f;
    };
}

float segmentDistance(const Vector3& p, const Vector3& a, const Vector3& b)
{
    Vector3 ab = b - a;
    float t = std::clamp(ab.dotProduct(p - a) / ab.dotProduct(ab), 0.0f, 1.0f);
    return (p - (a + ab * t)).length();
}

Model::Inside near(const Vector3& point, float radius)
{
    return [=](const Vector3& p) { return p.squaredDistance(point) <= radius * radius; };
}

Model::Paint fur(const ColourValue& colour, float amount = 0.06f)
{
    return [=](const Cell& cell, const Vector3&) { return furNoise(cell, colour, amount); };
}

const Vector3& at(int particle) { return PARTICLES[particle].position; }

Model buildCreature()
{
    Model model;
    const Vector3 bodyCentre(0.0f, 10.0f, 0.0f);
    const Vector3 bodyRadii(5.6f, 6.0f, 5.0f);
    const Vector3 headCentre(0.0f, 19.5f, 0.5f);
    const float headRadius = 4.6f;

    // Legs and feet (dark paws).
    for (int side = 0; side < 2; ++side)
    {
        int hip = 9 + side, knee = 11 + side;
        float x = at(hip).x;
        model.fill(
            Vector3(x - 3, 0, -3), Vector3(x + 3, 8, 3),
            [=](const Vector3& p)
            {
                return segmentDistance(p, at(hip), at(knee)) <= 1.7f ||
                       segmentDistance(p, at(knee), at(knee) + Vector3(0, -2.0f, 0)) <= 1.6f;
            },
            fur(FUR));
        Vector3 paw(x, 0.9f, 1.3f);
        model.fill(paw - Vector3(3, 1, 3), paw + Vector3(3, 2, 4),
                   ellipsoid(paw, Vector3(1.8f, 1.1f, 2.4f)), fur(FUR_DARK, 0.04f));
    }

    // Bushy tail curling up behind, with cream rings and tip.
    const Vector3 tailPoints[] = {Vector3(0, 7.5f, -4.5f), Vector3(0, 9.0f, -7.5f),
                                  Vector3(0, 12.0f, -9.2f), Vector3(0, 15.0f, -9.4f),
                                  Vector3(0, 17.2f, -8.0f)};
    const float tailRadii[] = {1.4f, 2.2f, 2.7f, 2.7f, 2.1f};
    for (int i = 0; i + 1 < 5; ++i)
    {
        Vector3 a = tailPoints[i], b = tailPoints[i + 1];
        float ra = tailRadii[i], rb = tailRadii[i + 1];
        model.fill(
            Vector3(-4, 4, -13), Vector3(4, 21, -2),
            [=](const Vector3& p)
            {
                Vector3 ab = b - a;
                float t = std::clamp(ab.dotProduct(p - a) / ab.dotProduct(ab), 0.0f, 1.0f);
                return (p - (a + ab * t)).length() <= ra + (rb - ra) * t;
            },
            [](const Cell& cell, const Vector3& p)
            {
                bool ring = (p.y > 11.0f && p.y < 12.6f) || p.y > 16.2f;
                return furNoise(cell, ring ? CREAM : FUR, 0.05f);
            });
    }

    // Round body with a cream belly.
    model.fill(bodyCentre - bodyRadii - Vector3(1, 1, 1), bodyCentre + bodyRadii + Vector3(1, 1, 1),
               ellipsoid(bodyCentre, bodyRadii),
               [=](const Cell& cell, const Vector3& p)
               {
                   Vector3 q = (p - bodyCentre) / bodyRadii;
                   bool belly = q.z > 0.55f && q.x * q.x + (q.y + 0.1f) * (q.y + 0.1f) < 0.45f;
                   return furNoise(cell, belly ? CREAM : FUR, belly ? 0.03f : 0.06f);
               });

    // Arms with dark paws.
    for (int side = 0; side < 2; ++side)
    {
        int shoulder = 2 + side, elbow = 4 + 2 * side, hand = 5 + 2 * side;
        Vector3 low(at(shoulder).x - 4, 4, -3), high(at(shoulder).x + 4, 16, 5);
        model.fill(
            low, high,
            [=](const Vector3& p)
            {
                return segmentDistance(p, at(shoulder), at(elbow)) <= 1.45f ||
                       segmentDistance(p, at(elbow), at(hand)) <= 1.3f;
            },
            fur(FUR));
        model.fill(low, high, near(at(hand), 1.6f), fur(FUR_DARK, 0.04f));
    }

    // Head, with a cream muzzle and a dark nose.
    model.fill(headCentre - Vector3(6, 6, 6), headCentre + Vector3(6, 6, 6),
               near(headCentre, headRadius), fur(FUR));
    const Vector3 muzzle(0.0f, 17.9f, 4.3f);
    model.fill(muzzle - Vector3(4, 3, 3), muzzle + Vector3(4, 3, 3),
               ellipsoid(muzzle, Vector3(1.9f, 1.4f, 1.5f)), fur(CREAM, 0.03f));
    model.fill(Vector3(-2, 17, 4), Vector3(2, 20, 7),
               ellipsoid(Vector3(0.0f, 18.9f, 5.6f), Vector3(1.0f, 0.6f, 0.8f)),
               [](const Cell&, const Vector3&) { return NOSE; });

    // Big ears, tilted outwards, pink inside.
    for (int side = 0; side < 2; ++side)
    {
        float sign = side == 0 ? -1.0f : 1.0f;
        Vector3 centre(sign * 3.6f, 24.8f, -1.0f);
        Quaternion tilt(Ogre::Degree(-sign * 24.0f), Vector3::UNIT_Z);
        Vector3 radii(2.4f, 3.9f, 1.05f);
        model.fill(centre - Vector3(5, 5, 3), centre + Vector3(5, 5, 3),
                   ellipsoid(centre, radii, tilt),
                   [=](const Cell& cell, const Vector3& p)
                   {
                       Vector3 q = (tilt.Inverse() * (p - centre)) / radii;
                       bool inner = q.z > 0.0f && q.x * q.x + (q.y + 0.15f) * (q.y + 0.15f) < 0.4f;
                       return furNoise(cell, inner ? PINK : FUR, inner ? 0.02f : 0.06f);
                   });
    }

    // Eyes with a glint, and blushing cheeks, on the face's surface.
    for (int side = 0; side < 2; ++side)
    {
        float sign = side == 0 ? -1.0f : 1.0f;
        Vector3 eye = headCentre + Vector3(sign * 0.5f, 0.22f, 0.84f).normalisedCopy() * headRadius;
        model.paint(ellipsoid(eye, Vector3(0.9f, 1.5f, 1.3f)),
                    [](const Cell&, const Vector3&) { return EYE; });
        // The glint: the frontmost cell of the eye's upper inner corner.
        Cell glint = model.front(static_cast<int>(std::floor(eye.x - sign * 0.5f)),
                                 static_cast<int>(std::floor(eye.y + 0.8f)));
        model.cells[glint] = SHINE;
        Vector3 cheek =
            headCentre + Vector3(sign * 0.62f, -0.3f, 0.72f).normalisedCopy() * headRadius;
        model.paint(near(cheek, 1.0f), [](const Cell&, const Vector3&) { return BLUSH; });
    }

    // A bramble leaf and a berry on top of the head.
    const Vector3 leafBase(0.5f, 23.8f, 0.5f);
    Quaternion leafTurn(Ogre::Degree(35.0f), Vector3::UNIT_Z);
    model.fill(
        leafBase - Vector3(4, 1, 3), leafBase + Vector3(4, 5, 3),
        ellipsoid(leafBase + leafTurn * Vector3(0, 2.2f, 0), Vector3(0.9f, 2.3f, 1.4f), leafTurn),
        [=](const Cell& cell, const Vector3& p)
        {
            Vector3 q = leafTurn.Inverse() * (p - leafBase);
            return furNoise(cell, std::fabs(q.z) < 0.5f ? LEAF_VEIN : LEAF, 0.04f);
        });
    for (const Vector3& berry : {Vector3(-1.6f, 24.7f, 1.2f), Vector3(-2.4f, 24.2f, -0.4f)})
    {
        model.fill(berry - Vector3(2, 2, 2), berry + Vector3(2, 2, 2), near(berry, 1.0f),
                   [](const Cell&, const Vector3&) { return BERRY; });
    }
    return model;
}

// ---------------------------------------------------------------------------------------------
// Poses. Each pose starts from the rest pose and turns limbs about their joints, which keeps
// the stick lengths.

using Pose = std::vector<Vector3>;

Pose restPose()
{
    Pose pose;
    for (const SampleParticle& particle : PARTICLES)
    {
        pose.push_back(particle.position);
    }
    return pose;
}

void turn(Pose& pose, std::initializer_list<int> moved, int pivot, const Vector3& axis,
          float degrees)
{
    Quaternion q(Ogre::Degree(degrees), axis);
    Vector3 centre = pose[pivot];
    for (int i : moved)
    {
        pose[i] = centre + q * (pose[i] - centre);
    }
}

struct PoseSettings
{
    float legForward[2] = {0, 0}; // degrees, right and left
    float kneeBend[2] = {0, 0};
    float armForward[2] = {0, 0};
    float armOut[2] = {0, 0};
    float elbowBend[2] = {0, 0};
    float headNod = 0;  // degrees, down is positive
    float headTilt = 0; // degrees, towards the creature's left is positive
    float tailWag = 0;
    float breathe = 0; // lift of the chest
    float bob = 0;     // lift of everything
};

Pose makePose(const PoseSettings& s)
{
    Pose pose = restPose();
    for (int side = 0; side < 2; ++side)
    {
        int hip = 9 + side, knee = 11 + side, foot = 13 + side;
        int shoulder = 2 + side, elbow = 4 + 2 * side, hand = 5 + 2 * side;
        float outward = side == 0 ? -1.0f : 1.0f; // sign of the turn about Z that lifts outwards
        turn(pose, {knee, foot}, hip, Vector3::UNIT_X, -s.legForward[side]);
        turn(pose, {foot}, knee, Vector3::UNIT_X, s.kneeBend[side]);
        turn(pose, {elbow, hand}, shoulder, Vector3::UNIT_Z, outward * s.armOut[side]);
        turn(pose, {elbow, hand}, shoulder, Vector3::UNIT_X, -s.armForward[side]);
        turn(pose, {hand}, elbow, Vector3::UNIT_X, -s.elbowBend[side]);
    }
    for (int i : {0, 1, 2, 3, 4, 5, 6, 7, 15})
    {
        pose[i].y += s.breathe;
    }
    pose[8].y += s.breathe * 0.5f;
    turn(pose, {0, 15}, 1, Vector3::UNIT_X, s.headNod);
    turn(pose, {0, 15}, 1, Vector3::UNIT_Z, -s.headTilt);
    turn(pose, {16}, 17, Vector3::UNIT_Y, s.tailWag);
    for (Vector3& p : pose)
    {
        p.y += s.bob;
    }
    return pose;
}

// The right arm raised high, the forearm upright and swung by `wave` degrees.
Pose wavePose(float wave, float headTilt)
{
    PoseSettings s;
    s.headTilt = headTilt;
    Pose pose = makePose(s);
    Vector3 shoulder = pose[2];
    Vector3 upper = pose[4] - pose[2];
    Vector3 fore = pose[5] - pose[4];
    pose[4] = shoulder + Vector3(-2.4f, 2.6f, 0.8f).normalisedCopy() * upper.length();
    Vector3 upright = Quaternion(Ogre::Degree(wave), Vector3::UNIT_Z) *
                      Vector3(0.0f, 1.0f, 0.2f).normalisedCopy();
    pose[5] = pose[4] + upright * fore.length();
    return pose;
}

Animation idleAnimation()
{
    Animation a;
    a.loop = true;
    a.end = 2.0f;
    a.comment = "Idle: breathes, looks about and wags its tail";
    PoseSettings s;
    a.frames[0.0f] = makePose(s);
    s.breathe = 0.15f, s.tailWag = 14.0f, s.headTilt = 5.0f, s.armOut[0] = s.armOut[1] = 3.0f;
    a.frames[0.5f] = makePose(s);
    s = PoseSettings();
    s.breathe = 0.22f, s.headNod = -4.0f, s.armOut[0] = s.armOut[1] = 5.0f;
    a.frames[1.0f] = makePose(s);
    s = PoseSettings();
    s.breathe = 0.12f, s.tailWag = -14.0f, s.headTilt = -5.0f, s.armOut[0] = s.armOut[1] = 3.0f;
    a.frames[1.5f] = makePose(s);
    a.frames[2.0f] = makePose(PoseSettings());
    return a;
}

Animation walkAnimation()
{
    Animation a;
    a.loop = true;
    a.end = 1.0f;
    a.speedMin = 0.8f;
    a.speedMax = 1.2f;
    a.comment = "Walk cycle on the spot: one stride per leg each second";
    auto stride = [](int lead)
    {
        PoseSettings s;
        int back = 1 - lead;
        s.legForward[lead] = 24.0f;
        s.legForward[back] = -22.0f;
        s.kneeBend[back] = 12.0f;
        s.armForward[lead] = -20.0f;
        s.armForward[back] = 22.0f;
        s.elbowBend[back] = 15.0f;
        s.tailWag = lead == 0 ? -10.0f : 10.0f;
        s.headTilt = lead == 0 ? 2.0f : -2.0f;
        s.bob = -0.45f;
        return makePose(s);
    };
    auto passing = [](int lifted)
    {
        PoseSettings s;
        s.legForward[lifted] = 10.0f;
        s.kneeBend[lifted] = 35.0f;
        s.legForward[1 - lifted] = -2.0f;
        s.elbowBend[0] = s.elbowBend[1] = 8.0f;
        s.bob = 0.2f;
        return makePose(s);
    };
    a.frames[0.0f] = stride(0);
    a.frames[0.25f] = passing(1);
    a.frames[0.5f] = stride(1);
    a.frames[0.75f] = passing(0);
    a.frames[1.0f] = stride(0);
    // Which foot touches the ground at the key: 0 right, 1 left.
    a.controls[0.0f].push_back({"footstep", 0, Animation::UNSET_VECTOR});
    a.controls[0.5f].push_back({"footstep", 1, Animation::UNSET_VECTOR});
    return a;
}

Animation waveAnimation()
{
    Animation a;
    a.loop = false;
    a.end = 1.6f;
    a.comment = "Wave: raises the right hand and waves hello";
    a.frames[0.0f] = makePose(PoseSettings());
    a.frames[0.3f] = wavePose(0.0f, 3.0f);
    a.frames[0.55f] = wavePose(35.0f, 5.0f);
    a.frames[0.8f] = wavePose(-25.0f, 5.0f);
    a.frames[1.05f] = wavePose(35.0f, 5.0f);
    a.frames[1.3f] = wavePose(-25.0f, 3.0f);
    a.frames[1.6f] = makePose(PoseSettings());
    // Where the creature looks while it waves: the start camera.
    a.controls[0.3f].push_back({"lookAt", 0, Vector3(0.0f, 15.0f, 70.0f)});
    return a;
}

// ---------------------------------------------------------------------------------------------
// Writing, through the editor's own document and writers.

// A voxel of the sample for binding: it only needs a position.
class SampleVoxel : public Skeleton::Element
{
public:
    explicit SampleVoxel(const Vector3& position) : position(position) {}
    const Vector3& getPosition() override { return position; }
    void bind(const Vector3&, const Quaternion&, float) override {}
    void update(const Vector3&, const Quaternion&) override {}
    Vector3 position;
};

// The model as the model file holds it: voxels in cell order, the skeleton, and each voxel
// bound to its nearest stick as the editor binds.
ModelDocument documentOf(const Model& model, Skeleton& skeleton,
                         const std::vector<Animation>& animations)
{
    ModelDocument document;
    std::vector<std::unique_ptr<SampleVoxel>> voxels;
    std::vector<Skeleton::Element*> elements;
    std::map<Skeleton::Element*, int> indexOf;
    for (const auto& [cell, colour] : model.cells)
    {
        document.voxels.push_back({cell.x, cell.y, cell.z, colour});
        voxels.push_back(std::make_unique<SampleVoxel>(centreOf(cell)));
        indexOf[voxels.back().get()] = static_cast<int>(elements.size());
        elements.push_back(voxels.back().get());
    }
    for (const Skeleton::ParticleEntry* entry : skeleton.entries)
    {
        document.particles.push_back({entry->particle->position, entry->particle->invMass,
                                      entry->id, entry->name, entry->bodyAreaHint});
    }
    for (const int* stick : STICKS)
    {
        document.sticks.push_back({stick[0], stick[1]}); // ids equal the particle indices
    }
    skeleton.bindToNearestSticks(elements);
    for (const auto& [index, group] : skeleton.bindings)
    {
        ModelDocument::Group written;
        written.constraintIndex = group.constraintIndex;
        for (Skeleton::Element* element : group.elements)
        {
            written.voxels.push_back(indexOf[element]);
        }
        document.groups.push_back(std::move(written));
        std::cout << "  stick " << index << ": " << group.elements.size() << " voxels\n";
    }
    document.animations = animations;
    return document;
}

// Longest change of a stick's length over every key of every animation, to catch a pose that
// tears the creature apart.
float worstStretch(const std::vector<Animation>& animations)
{
    float worst = 0.0f;
    Pose rest = restPose();
    for (const Animation& animation : animations)
    {
        for (const auto& [time, pose] : animation.frames)
        {
            for (const int* stick : STICKS)
            {
                float before = rest[stick[0]].distance(rest[stick[1]]);
                float after = pose[stick[0]].distance(pose[stick[1]]);
                worst = std::max(worst, std::fabs(after - before) / before);
            }
        }
    }
    return worst;
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder = argc > 1 ? argv[1] : "examples";

    Skeleton skeleton(0.7f);
    for (int i = 0; i < PARTICLE_COUNT; ++i)
    {
        skeleton.addEntry(PARTICLES[i].position, i, PARTICLES[i].name, PARTICLES[i].bodyAreaHint,
                          1.0f);
    }
    for (const int* stick : STICKS)
    {
        Verlet::Particle* a = skeleton.system->particles[stick[0]];
        Verlet::Particle* b = skeleton.system->particles[stick[1]];
        skeleton.system->addStick(a, b, a->position.distance(b->position));
    }

    Model model = buildCreature();
    std::vector<Animation> animations = {idleAnimation(), walkAnimation(), waveAnimation()};

    std::cout << "voxels: " << model.cells.size() << ", particles: " << PARTICLE_COUNT
              << ", sticks: " << skeleton.system->sticks.size() << "\n";
    const std::string modelFile = folder + "/bramblewick.xml";
    const std::string animationFile = folder + "/bramblewick_animations.xml";
    const ModelDocument document = documentOf(model, skeleton, animations);
    const auto failed = [](const std::string& fileName)
    {
        std::cerr << "couldn't write " << fileName << ": " << std::strerror(errno) << "\n";
        return 1;
    };
    if (!writeModelFile(document, modelFile))
        return failed(modelFile);
    if (!writeAnimationFile(document, animationFile))
        return failed(animationFile);
    std::cout << "largest stick stretch in any key: " << worstStretch(animations) * 100.0f
              << " %\n";
    std::cout << "wrote " << modelFile << " and " << animationFile << "\n";
    return 0;
}
