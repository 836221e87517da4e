#include "skeleton/Skeleton.h"

#include "skeleton/VerletParticleSystem.h"

#include <gtest/gtest.h>

#include <memory>

using Ogre::Quaternion;
using Ogre::Vector3;

namespace
{

// Follows a stick the way a voxel does: keeps rotation * (position - origin) and places itself
// at origin + rotation * offset.
class FakeElement : public Skeleton::Element
{
public:
    explicit FakeElement(const Vector3& position) : position(position) {}
    const Vector3& getPosition() override { return position; }
    void bind(const Vector3& origin, const Quaternion& rotation, float) override
    {
        offset = rotation * (position - origin);
        ++bindCount;
    }
    void update(const Vector3& origin, const Quaternion& rotation) override
    {
        position = origin + rotation * offset;
    }

    Vector3 position;
    Vector3 offset = Vector3::ZERO;
    int bindCount = 0;
};

void expectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f)
{
    EXPECT_TRUE(actual.positionEquals(expected, tolerance)) << actual << " is not " << expected;
}

void addStick(Skeleton& skeleton, size_t from, size_t to)
{
    Verlet::Particle *a = skeleton.system->particles[from], *b = skeleton.system->particles[to];
    skeleton.system->addStick(a, b, a->position.distance(b->position));
}

// The side axis of the shoulders: turned away from the hips' so that no row of the orientation
// table can pass by reading the wrong half of the body frame.
const Vector3 TOP_SIDE(0.6f, 0.0f, 0.8f);
const Vector3 TOP_FORWARD(0.8f, 0.0f, -0.6f); // up x side
const float SIN_22 = 0.38268343f;
const float COS_22 = 0.92387953f;

// Hips along X (base side X, base up Y, base forward -Z), shoulders along TOP_SIDE, both legs
// lifted 45 degrees outwards, and spare particles around particle 0 (the hub) for test sticks.
std::unique_ptr<Skeleton> makeBody()
{
    auto skeleton = std::make_unique<Skeleton>(0.7f);
    const Vector3 hub(0, 5, 0), chest(0, 2, 0);
    // 0 hub, 1 neck, 2-3 shoulders, 4-7 spare, 8 spine, 9-10 hips, 11-12 legs, 13 spare.
    const Vector3 positions[] = {hub,
                                 Vector3(0, 3, 0),
                                 chest + TOP_SIDE,
                                 chest - TOP_SIDE,
                                 hub + Vector3::UNIT_Y,
                                 hub + Vector3::UNIT_X,
                                 hub - Vector3::UNIT_Z * 2.0f,
                                 hub + TOP_SIDE,
                                 Vector3(0, 1, 0),
                                 Vector3(1, 0, 0),
                                 Vector3(-1, 0, 0),
                                 Vector3(2, -1, 0),
                                 Vector3(-2, -1, 0),
                                 hub + Vector3::UNIT_Z};
    for (int id = 0; id < int(std::size(positions)); ++id)
        skeleton->addEntry(positions[id], id, "", 0, 1.0f);
    return skeleton;
}

} // namespace

TEST(SkeletonBinding, NearestStickMeasuresToTheSegmentAndTiesKeepTheEarlierStick)
{
    Skeleton skeleton(0.7f);
    const Vector3 points[] = {{0, 0, 0},    {0, 1, 0},   {3, -10, 0}, {3, 10, 0},
                              {-3, -10, 0}, {-3, 10, 0}, {9, 0, 0},   {9, 0, 0}};
    for (int i = 0; i < 8; ++i)
        skeleton.addEntry(points[i], i, "", 0, 1.0f);

    // Particles but no sticks: nothing is bound, so no group names a stick that is not there.
    FakeElement onTop(Vector3(9, 0, 0));
    skeleton.bindToNearestSticks({&onTop});
    EXPECT_TRUE(skeleton.bindings.empty());
    EXPECT_NO_THROW(skeleton.computeBindOffsets());
    EXPECT_NO_THROW(skeleton.updateElements(Vector3::ZERO));

    addStick(skeleton, 0, 1); // short, on the Y axis
    addStick(skeleton, 3, 2); // long, at x = 3 (pointing down)
    addStick(skeleton, 4, 5); // long, at x = -3
    addStick(skeleton, 6, 7); // zero length: never wins, even right on the element
    // On the line of stick 0 but 4 beyond its end: the segment is 4 away, stick 1 only 3.
    FakeElement above(Vector3(0, 5, 0)), below(Vector3(0, -5, 0));
    FakeElement nearShort(Vector3(0.5f, 0.5f, 0));
    // Exactly between sticks 1 and 2 (and farther from the short one): the earlier wins; so
    // does one a few millionths nearer the later stick, as a voxel shown in the rest pose may be.
    FakeElement between(Vector3(0, 8, 0)), almostBetween(Vector3(-0.000004f, 8, 0));
    FakeElement nearLater(Vector3(-0.01f, 8, 0));
    FakeElement far(Vector3(0, 2000, 0)); // nothing within 1000 units: stick 0
    skeleton.bindToNearestSticks(
        {&above, &below, &nearShort, &between, &almostBetween, &nearLater, &onTop, &far});
    ASSERT_EQ(skeleton.bindings.size(), 3u);
    EXPECT_EQ(skeleton.bindings[1].constraintIndex, 1);
    EXPECT_EQ(skeleton.bindings[1].elements,
              (std::vector<Skeleton::Element*>{&above, &below, &between, &almostBetween, &onTop}));
    EXPECT_EQ(skeleton.bindings[0].elements, (std::vector<Skeleton::Element*>{&nearShort, &far}));
    EXPECT_EQ(skeleton.bindings[2].elements, (std::vector<Skeleton::Element*>{&nearLater}));

    // No particles at all: every element under stick 0, as such models were always stored.
    Skeleton empty(0.7f);
    empty.bindToNearestSticks({&above, &below});
    ASSERT_EQ(empty.bindings.size(), 1u);
    EXPECT_EQ(empty.bindings[0].elements.size(), 2u);
}

TEST(SkeletonFrame, EveryRowOfTheOrientationTable)
{
    std::unique_ptr<Skeleton> skeleton = makeBody();
    const Vector3 X = Vector3::UNIT_X, Y = Vector3::UNIT_Y, Z = Vector3::UNIT_Z;
    const Vector3 limb9(-SIN_22, 0, -COS_22), limb10(-SIN_22, 0, COS_22);

    // Per stick index: the particle the test stick runs to from particle 0, and the images of
    // the unit X, Y and Z axes under the expected rotation (Z always goes to the stick).
    const struct
    {
        size_t target;
        Vector3 x, y, z;
    } rows[] = {
        {4, limb9, Vector3(-COS_22, 0, SIN_22), Y}, // 0: limb reference of hip 9
        {4, limb9, Vector3(-COS_22, 0, SIN_22), Y}, // 1
        {4, Z, X, Y},                               // 2: minus base forward
        {4, limb10, Vector3(COS_22, 0, SIN_22), Y}, // 3: limb reference of hip 10
        {4, limb10, Vector3(COS_22, 0, SIN_22), Y}, // 4
        {4, -Z, -X, Y},                             // 5: base forward
        {4, TOP_SIDE, TOP_FORWARD, Y},              // 6: top forward as the y axis
        {5, -Z, Y, X},                              // 7: top up as the y axis
        {4, -Z, -X, Y},                             // 8
        {4, TOP_SIDE, TOP_FORWARD, Y},              // 9
        {7, -TOP_FORWARD, -Y, TOP_SIDE},            // 10: arm swung fully along the side
        {4, X, -Z, Y},                              // 11: shortest turn from Z
        {4, TOP_SIDE, TOP_FORWARD, Y},              // 12: hanging arm keeps the side axis
        {5, -Z, Y, X},                              // 13
        {4, TOP_FORWARD, -TOP_SIDE, Y},             // 14: top forward
        {4, TOP_FORWARD, -TOP_SIDE, Y},             // 15
        {4, -TOP_SIDE, -TOP_FORWARD, Y},            // 16: minus top side
        {6, -X, Y, -Z},                             // 17: opposite of Z turns about Y
        {4, X, -Z, Y},                              // 18
    };
    for (const auto& row : rows)
        addStick(*skeleton, 0, row.target);
    BodyFrame frame = skeleton->computeBodyFrame();
    for (size_t i = 0; i < std::size(rows); ++i)
    {
        SCOPED_TRACE("stick " + std::to_string(i));
        Vector3 origin;
        Quaternion rotation;
        skeleton->stickOrientation(static_cast<int>(i), origin, rotation, frame);
        EXPECT_EQ(origin, skeleton->system->particles[0]->position);
        expectNear(rotation * Vector3::UNIT_X, rows[i].x);
        expectNear(rotation * Vector3::UNIT_Y, rows[i].y);
        expectNear(rotation * Vector3::UNIT_Z, rows[i].z);
    }
}

TEST(SkeletonPlacement, OffsetsThenPlacementLeaveElementsStillAndTheyFollowTheirSticks)
{
    std::unique_ptr<Skeleton> skeleton = makeBody();
    // One stick per row kind, each perpendicular to its reference axis.
    for (size_t target : {4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 7, 4, 4, 5, 4, 4, 4, 6})
        addStick(*skeleton, 0, target);
    std::vector<FakeElement> owned;
    std::vector<Vector3> before;
    for (int i = 0; i < 40; ++i)
    {
        before.emplace_back(-3.0f + i * 0.15f, 2.0f + (i % 7) * 0.9f, -2.0f + (i % 5) * 1.1f);
        owned.emplace_back(before.back());
    }
    std::vector<Skeleton::Element*> elements;
    for (FakeElement& element : owned)
        elements.push_back(&element);
    skeleton->bindToNearestSticks(elements);
    skeleton->computeBindOffsets();
    skeleton->updateElements(Vector3::ZERO);
    for (size_t i = 0; i < owned.size(); ++i)
    {
        EXPECT_EQ(owned[i].bindCount, 1);
        expectNear(owned[i].position, before[i], 1e-4f);
    }

    // Moving every particle by the same vector moves every bound element by it; the placement
    // offset adds on top.
    const Vector3 shift(3.0f, -2.0f, 5.5f);
    for (Verlet::Particle* p : skeleton->system->particles)
        p->position += shift;
    skeleton->updateElements(Vector3(0, 1, 0));
    for (size_t i = 0; i < owned.size(); ++i)
        expectNear(owned[i].position, before[i] + shift + Vector3(0, 1, 0), 1e-4f);
}
