#include "skeleton/Skeleton.h"

#include "skeleton/VerletParticleSystem.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

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
    void bind(const Vector3& origin, const Quaternion& rotation, float halfLength) override
    {
        offset = rotation * (position - origin);
        this->halfLength = halfLength;
        ++bindCount;
    }
    void update(const Vector3& origin, const Quaternion& rotation) override
    {
        position = origin + rotation * offset;
    }

    Vector3 position;
    Vector3 offset = Vector3::ZERO;
    float halfLength = -1.0f;
    int bindCount = 0;
};

void expectNear(const Vector3& actual, const Vector3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "actual " << actual << " expected " << expected;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "actual " << actual << " expected " << expected;
    EXPECT_NEAR(actual.z, expected.z, tolerance) << "actual " << actual << " expected " << expected;
}

Verlet::Particle* particle(Skeleton& skeleton, size_t index)
{
    return skeleton.system->particles[index];
}

void addStick(Skeleton& skeleton, size_t from, size_t to)
{
    Verlet::Particle* a = particle(skeleton, from);
    Verlet::Particle* b = particle(skeleton, to);
    skeleton.system->addStick(a, b, (b->position - a->position).length());
}

// The side axis of the shoulders: turned away from the hips' so that no row of the orientation
// table can pass by reading the wrong half of the body frame.
const Vector3 TOP_SIDE(0.6f, 0.0f, 0.8f);
const Vector3 TOP_FORWARD(0.8f, 0.0f, -0.6f); // up x side
const float SIN_22 = 0.38268343f;
const float COS_22 = 0.92387953f;

// Hips along X (base side X, base up Y, base forward -Z), shoulders along TOP_SIDE, both legs
// lifted 45 degrees outwards, and spare particles around particle 0 for test sticks.
std::unique_ptr<Skeleton> makeBody()
{
    auto skeleton = std::make_unique<Skeleton>(0.7f);
    const Vector3 hub(0, 5, 0);
    const Vector3 positions[] = {
        hub,                          // 0: where the test sticks start
        Vector3(0, 3, 0),             // 1: neck
        Vector3(0, 2, 0) + TOP_SIDE,  // 2: shoulder
        Vector3(0, 2, 0) - TOP_SIDE,  // 3: other shoulder
        hub + Vector3::UNIT_Y,        // 4
        hub + Vector3::UNIT_X,        // 5
        hub - Vector3::UNIT_Z * 2.0f, // 6
        hub + TOP_SIDE,               // 7
        Vector3(0, 1, 0),             // 8: spine
        Vector3(1, 0, 0),             // 9: hip
        Vector3(-1, 0, 0),            // 10: other hip
        Vector3(2, -1, 0),            // 11: outwards from 9
        Vector3(-2, -1, 0),           // 12: outwards from 10
        hub + Vector3::UNIT_Z,        // 13
    };
    int id = 0;
    for (const Vector3& position : positions)
    {
        skeleton->addEntry(position, id++, "", 0, 1.0f);
    }
    return skeleton;
}

} // namespace

TEST(Skeleton, EntriesAreFoundByExactNameAndClearedWithTheirSticks)
{
    Skeleton skeleton(0.7f);
    skeleton.addEntry(Vector3(1, 2, 3), 7, "lefthand", 4, 0.0f);
    skeleton.addEntry(Vector3(4, 5, 6), 8, "righthand", 5, 1.0f);
    skeleton.addEntry(Vector3(7, 8, 9), 9, "lefthand", 6, 1.0f);
    addStick(skeleton, 0, 1);

    Skeleton::ParticleEntry* left = skeleton.findEntry("lefthand");
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(left, skeleton.entries[0]); // the first of two with the same name
    EXPECT_EQ(left->id, 7);
    EXPECT_EQ(left->bodyAreaHint, 4);
    EXPECT_EQ(left->particle, particle(skeleton, 0));
    EXPECT_EQ(left->particle->position, Vector3(1, 2, 3));
    EXPECT_EQ(left->particle->invMass, 0.0f);
    EXPECT_EQ(skeleton.findEntry("LeftHand"), nullptr);
    EXPECT_EQ(skeleton.findEntry("lefthand "), nullptr);
    EXPECT_EQ(skeleton.findEntry(""), nullptr);

    skeleton.system->atRest = true;
    skeleton.clearEntries();
    EXPECT_TRUE(skeleton.entries.empty());
    EXPECT_TRUE(skeleton.system->particles.empty());
    EXPECT_TRUE(skeleton.system->sticks.empty());
    EXPECT_TRUE(skeleton.system->atRest); // the system's own state is not the entries'
}

TEST(SkeletonBinding, NearestStickMeasuresToTheSegmentAndTiesKeepTheEarlierStick)
{
    Skeleton skeleton(0.7f);
    skeleton.addEntry(Vector3(0, 0, 0), 0, "", 0, 1.0f);
    skeleton.addEntry(Vector3(0, 1, 0), 1, "", 0, 1.0f);
    skeleton.addEntry(Vector3(3, -10, 0), 2, "", 0, 1.0f);
    skeleton.addEntry(Vector3(3, 10, 0), 3, "", 0, 1.0f);
    skeleton.addEntry(Vector3(-3, -10, 0), 4, "", 0, 1.0f);
    skeleton.addEntry(Vector3(-3, 10, 0), 5, "", 0, 1.0f);
    addStick(skeleton, 0, 1); // short, on the Y axis
    addStick(skeleton, 3, 2); // long, at x = 3 (pointing down)
    addStick(skeleton, 4, 5); // long, at x = -3

    // On the line of stick 0 but 4 beyond its end: the segment is 4 away, stick 1 only 3.
    FakeElement above(Vector3(0, 5, 0));
    FakeElement below(Vector3(0, -5, 0));
    FakeElement nearShort(Vector3(0.5f, 0.5f, 0));
    // Exactly between sticks 1 and 2 (and farther from the short one): the earlier wins.
    FakeElement between(Vector3(0, 8, 0));
    // A few millionths nearer the later stick, as a voxel shown in the rest pose may be: still a
    // tie, so saving twice binds it the same way.
    FakeElement almostBetween(Vector3(-0.000004f, 8, 0));
    // Clearly nearer the later stick.
    FakeElement nearLater(Vector3(-0.01f, 8, 0));
    std::vector<Skeleton::Element*> elements = {&above,   &below,         &nearShort,
                                                &between, &almostBetween, &nearLater};
    skeleton.bindToNearestSticks(elements);

    ASSERT_EQ(skeleton.bindings.count(1), 1u);
    EXPECT_EQ(skeleton.bindings[1].constraintIndex, 1);
    ASSERT_EQ(skeleton.bindings.size(), 3u);
    EXPECT_EQ(skeleton.bindings[1].elements,
              (std::vector<Skeleton::Element*>{&above, &below, &between, &almostBetween}));
    EXPECT_EQ(skeleton.bindings[0].elements, (std::vector<Skeleton::Element*>{&nearShort}));
    EXPECT_EQ(skeleton.bindings[2].elements, (std::vector<Skeleton::Element*>{&nearLater}));
    EXPECT_EQ(skeleton.bindings[2].constraintIndex, 2);

    // Binding again starts from scratch.
    skeleton.bindToNearestSticks({&nearShort});
    ASSERT_EQ(skeleton.bindings.size(), 1u);
    EXPECT_EQ(skeleton.bindings[0].elements.size(), 1u);
}

TEST(SkeletonBinding, FarElementsZeroLengthSticksAndMissingSticks)
{
    Skeleton skeleton(0.7f);
    skeleton.addEntry(Vector3(0, 0, 0), 0, "", 0, 1.0f);
    skeleton.addEntry(Vector3(0, 0, 0), 1, "", 0, 1.0f);
    skeleton.addEntry(Vector3(5, 0, 0), 2, "", 0, 1.0f);
    skeleton.addEntry(Vector3(5, 1, 0), 3, "", 0, 1.0f);

    // Particles but no sticks: nothing is bound, so no group can name a stick that is not there.
    FakeElement onTop(Vector3(0, 0, 0));
    FakeElement far(Vector3(0, 2000, 0));
    skeleton.bindToNearestSticks({&onTop, &far});
    EXPECT_TRUE(skeleton.bindings.empty());
    EXPECT_NO_THROW(skeleton.computeBindOffsets());
    EXPECT_NO_THROW(skeleton.updateElements(Vector3::ZERO));

    // A zero-length stick right on the element never wins; one 1000 units off never either.
    addStick(skeleton, 0, 1);
    addStick(skeleton, 2, 3);
    skeleton.bindToNearestSticks({&onTop, &far});
    ASSERT_EQ(skeleton.bindings.size(), 2u);
    EXPECT_EQ(skeleton.bindings[1].elements, (std::vector<Skeleton::Element*>{&onTop}));
    EXPECT_EQ(skeleton.bindings[0].elements, (std::vector<Skeleton::Element*>{&far}));
    EXPECT_EQ(skeleton.bindings[0].constraintIndex, 0);

    // No particles at all: every element under stick 0, as such models were always stored.
    Skeleton empty(0.7f);
    empty.bindToNearestSticks({&onTop, &far});
    ASSERT_EQ(empty.bindings.size(), 1u);
    EXPECT_EQ(empty.bindings[0].elements.size(), 2u);
}

TEST(SkeletonFrame, BodyFrameFollowsHipsShouldersAndLimbs)
{
    std::unique_ptr<Skeleton> skeleton = makeBody();
    BodyFrame frame = skeleton->computeBodyFrame();
    expectNear(frame.baseSide, Vector3::UNIT_X);
    expectNear(frame.baseUp, Vector3::UNIT_Y);
    expectNear(frame.baseForward, Vector3::NEGATIVE_UNIT_Z);
    expectNear(frame.limbRef9, Vector3(-SIN_22, 0, -COS_22));
    expectNear(frame.limbRef10, Vector3(-SIN_22, 0, COS_22));
    expectNear(frame.topSide, TOP_SIDE);
    expectNear(frame.topUp, Vector3::UNIT_Y);
    expectNear(frame.topForward, TOP_FORWARD);

    // Limbs pointing straight down or inwards keep the inward side axis.
    particle(*skeleton, 11)->position = Vector3(1, -3, 0);
    particle(*skeleton, 12)->position = Vector3(0, -1, 0);
    frame = skeleton->computeBodyFrame();
    expectNear(frame.limbRef9, Vector3::NEGATIVE_UNIT_X);
    expectNear(frame.limbRef10, Vector3::NEGATIVE_UNIT_X);

    // Straight outwards: fully turned to the forward axis (and its opposite for the other limb).
    particle(*skeleton, 11)->position = Vector3(4, 0, 0);
    particle(*skeleton, 12)->position = Vector3(-4, 0, 0);
    frame = skeleton->computeBodyFrame();
    expectNear(frame.limbRef9, Vector3::NEGATIVE_UNIT_Z);
    expectNear(frame.limbRef10, Vector3::UNIT_Z);
}

TEST(SkeletonFrame, SmallSkeletonsGetAnUprightNeutralFrame)
{
    Skeleton skeleton(0.7f);
    for (int i = 0; i < 12; ++i)
    {
        skeleton.addEntry(Vector3(i * 3.0f, i * 7.0f, -i * 1.0f), i, "", 0, 1.0f);
    }
    BodyFrame frame = skeleton.computeBodyFrame();
    EXPECT_EQ(frame.baseSide, Vector3::UNIT_X);
    EXPECT_EQ(frame.baseUp, Vector3::UNIT_Y);
    EXPECT_EQ(frame.baseForward, Vector3::NEGATIVE_UNIT_Z);
    EXPECT_EQ(frame.limbRef9, Vector3::NEGATIVE_UNIT_X);
    EXPECT_EQ(frame.limbRef10, Vector3::NEGATIVE_UNIT_X);
    EXPECT_EQ(frame.topSide, Vector3::UNIT_X);
    EXPECT_EQ(frame.topUp, Vector3::UNIT_Y);
    EXPECT_EQ(frame.topForward, Vector3::NEGATIVE_UNIT_Z);

    Skeleton empty(0.7f);
    EXPECT_EQ(empty.computeBodyFrame().baseUp, Vector3::UNIT_Y);
}

TEST(SkeletonFrame, EveryRowOfTheOrientationTable)
{
    std::unique_ptr<Skeleton> skeleton = makeBody();
    const Vector3 X = Vector3::UNIT_X;
    const Vector3 Y = Vector3::UNIT_Y;
    const Vector3 Z = Vector3::UNIT_Z;
    const Vector3 limb9(-SIN_22, 0, -COS_22);
    const Vector3 limb10(-SIN_22, 0, COS_22);

    // Per stick index: the particle the test stick runs to from particle 0, and the images of
    // the unit X, Y and Z axes under the expected rotation (Z always goes to the stick).
    struct Row
    {
        size_t target;
        Vector3 x, y, z;
    };
    const Row rows[] = {
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
    for (const Row& row : rows)
    {
        addStick(*skeleton, 0, row.target);
    }
    BodyFrame frame = skeleton->computeBodyFrame();
    for (size_t i = 0; i < std::size(rows); ++i)
    {
        SCOPED_TRACE("stick " + std::to_string(i));
        Vector3 origin;
        Quaternion rotation;
        skeleton->stickOrientation(static_cast<int>(i), origin, rotation, frame);
        EXPECT_EQ(origin, particle(*skeleton, 0)->position);
        expectNear(rotation * Vector3::UNIT_X, rows[i].x);
        expectNear(rotation * Vector3::UNIT_Y, rows[i].y);
        expectNear(rotation * Vector3::UNIT_Z, rows[i].z);
    }

    // Arms between hanging and raised give a sheared frame; the arm rows still give a rotation.
    particle(*skeleton, 7)->position = particle(*skeleton, 0)->position + TOP_SIDE + Y;
    Vector3 origin;
    Quaternion rotation;
    skeleton->stickOrientation(10, origin, rotation, frame);
    EXPECT_NEAR(rotation.Norm(), 1.0f, 1e-5f);

    try
    {
        skeleton->stickOrientation(static_cast<int>(std::size(rows)), origin, rotation, frame);
        ADD_FAILURE() << "no throw past the last stick";
    }
    catch (const std::out_of_range& error)
    {
        EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
    }
    EXPECT_THROW(skeleton->stickOrientation(-1, origin, rotation, frame), std::out_of_range);
}

TEST(SkeletonPlacement, OffsetsThenPlacementLeaveElementsStillAndTheyFollowTheirSticks)
{
    std::unique_ptr<Skeleton> skeleton = makeBody();
    // One stick per row kind, each perpendicular to its reference axis.
    const size_t targets[] = {4, 4, 4, 4, 4, 4, 4, 5, 4, 4, 7, 4, 4, 5, 4, 4, 4, 6};
    for (size_t target : targets)
    {
        addStick(*skeleton, 0, target);
    }
    std::vector<std::unique_ptr<FakeElement>> owned;
    std::vector<Skeleton::Element*> elements;
    for (int i = 0; i < 40; ++i)
    {
        owned.push_back(std::make_unique<FakeElement>(
            Vector3(-3.0f + i * 0.15f, 2.0f + (i % 7) * 0.9f, -2.0f + (i % 5) * 1.1f)));
        elements.push_back(owned.back().get());
    }
    skeleton->bindToNearestSticks(elements);
    skeleton->computeBindOffsets();
    std::vector<Vector3> before;
    for (auto& element : owned)
    {
        EXPECT_EQ(element->bindCount, 1);
        before.push_back(element->position);
    }
    skeleton->updateElements(Vector3::ZERO);
    for (size_t i = 0; i < owned.size(); ++i)
    {
        expectNear(owned[i]->position, before[i], 1e-4f);
    }

    // Moving every particle by the same vector moves every bound element by it.
    const Vector3 shift(3.0f, -2.0f, 5.5f);
    for (Verlet::Particle* p : skeleton->system->particles)
    {
        p->position += shift;
    }
    skeleton->updateElements(Vector3::ZERO);
    for (size_t i = 0; i < owned.size(); ++i)
    {
        expectNear(owned[i]->position, before[i] + shift, 1e-4f);
    }
    // The placement offset adds on top.
    skeleton->updateElements(Vector3(0, 1, 0));
    expectNear(owned[0]->position, before[0] + shift + Vector3(0, 1, 0), 1e-4f);
}

TEST(SkeletonPlacement, LeaningSticksStillGiveRotationsThatLeaveElementsStill)
{
    // Few particles (neutral frame) and sticks that lean off every reference axis, so the axes
    // handed to the rotation are not orthonormal.
    Skeleton skeleton(0.7f);
    skeleton.addEntry(Vector3(0, 14, 0), 0, "", 0, 1.0f);
    skeleton.addEntry(Vector3(1, 10, 1), 1, "", 0, 1.0f);
    skeleton.addEntry(Vector3(0, 6, 2), 2, "", 0, 1.0f);
    addStick(skeleton, 0, 1);
    addStick(skeleton, 1, 2);
    BodyFrame frame = skeleton.computeBodyFrame();
    Vector3 origin;
    Quaternion rotation;
    skeleton.stickOrientation(0, origin, rotation, frame);
    EXPECT_NEAR(rotation.Norm(), 1.0f, 1e-5f);

    FakeElement a(Vector3(3.5f, 10.5f, 0.5f)), b(Vector3(-2.5f, 7.5f, 3.5f));
    skeleton.bindToNearestSticks({&a, &b});
    skeleton.computeBindOffsets();
    skeleton.updateElements(Vector3::ZERO);
    expectNear(a.position, Vector3(3.5f, 10.5f, 0.5f), 1e-4f);
    expectNear(b.position, Vector3(-2.5f, 7.5f, 3.5f), 1e-4f);
}

TEST(SkeletonPlacement, ElementTurnsWithItsStick)
{
    Skeleton skeleton(0.7f);
    skeleton.addEntry(Vector3(0, 0, 0), 0, "", 0, 1.0f);
    skeleton.addEntry(Vector3(0, 2, 0), 1, "", 0, 1.0f);
    for (int i = 0; i < 11; ++i) // pad to stick 11, which turns the shortest way from Z
    {
        skeleton.system->addStick(particle(skeleton, 0), particle(skeleton, 0), 0.0f);
    }
    addStick(skeleton, 0, 1);
    FakeElement element(Vector3(0, 0.5f, 0.2f));
    skeleton.bindings[11].constraintIndex = 11;
    skeleton.bindings[11].elements.push_back(&element);
    skeleton.computeBindOffsets();
    EXPECT_FLOAT_EQ(element.halfLength, 1.0f);
    // Turn the stick from +Y to +X: the element goes from along the stick to along X, and its
    // sideways step (towards +Z) becomes a step towards -Y.
    particle(skeleton, 1)->position = Vector3(2, 0, 0);
    skeleton.updateElements(Vector3::ZERO);
    expectNear(element.position, Vector3(0.5f, -0.2f, 0.0f));
}

TEST(SkeletonPlacement, GroupsNamingNoStickThrowAndSmallSkeletonsStillPose)
{
    Skeleton skeleton(0.7f);
    skeleton.addEntry(Vector3(0, 0, 0), 0, "", 0, 1.0f);
    skeleton.addEntry(Vector3(0, 4, 0), 1, "", 0, 1.0f);
    addStick(skeleton, 0, 1);
    FakeElement element(Vector3(1, 1, 0));
    skeleton.bindToNearestSticks({&element});
    ASSERT_EQ(skeleton.bindings.count(0), 1u);
    EXPECT_NO_THROW(skeleton.computeBindOffsets());
    skeleton.updateElements(Vector3::ZERO);
    expectNear(element.position, Vector3(1, 1, 0));
    // Lean the stick over: the element stays at its height along the stick and its distance.
    particle(skeleton, 1)->position = Vector3(0, 0, 4);
    skeleton.updateElements(Vector3::ZERO);
    EXPECT_NEAR(element.position.z, 1.0f, 1e-5f);
    EXPECT_NEAR(element.position.length(), std::sqrt(2.0f), 1e-5f);

    // A group from a file that names a stick the skeleton does not have.
    skeleton.bindings[3].constraintIndex = 3;
    skeleton.bindings[3].elements.push_back(&element);
    try
    {
        skeleton.computeBindOffsets();
        ADD_FAILURE() << "no throw for a group without stick";
    }
    catch (const std::out_of_range& error)
    {
        EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
    }
    EXPECT_THROW(skeleton.updateElements(Vector3::ZERO), std::out_of_range);
}

TEST(SkeletonBinding, UnbindElementTakesItOutOfItsGroup)
{
    Skeleton skeleton(0.7f);
    FakeElement a(Vector3::ZERO), b(Vector3::ZERO), c(Vector3::ZERO), stranger(Vector3::ZERO);
    skeleton.bindings[0].elements = {&a, &b};
    skeleton.bindings[2].constraintIndex = 2;
    skeleton.bindings[2].elements = {&c};
    skeleton.bindings[4].constraintIndex = 4; // empty group read from a file: left alone

    skeleton.unbindElement(&stranger);
    EXPECT_EQ(skeleton.bindings.size(), 3u);
    skeleton.unbindElement(&a);
    EXPECT_EQ(skeleton.bindings[0].elements, (std::vector<Skeleton::Element*>{&b}));
    skeleton.unbindElement(&c);
    EXPECT_EQ(skeleton.bindings.count(2), 0u);
    EXPECT_EQ(skeleton.bindings.count(4), 1u);
}
