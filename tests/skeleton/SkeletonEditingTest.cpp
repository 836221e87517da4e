#include "skeleton/SkeletonEditing.h"

#include "editor/UndoHistory.h"
#include "skeleton/Skeleton.h"
#include "skeleton/SkeletonShape.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace
{
// An editor without menus whose model the test builds, with the skeleton editing on it.
class SkeletonWorld : public EditorTestFixture
{
public:
    SkeletonWorld() { clearVoxels(); }

    void fill(const Voxel::Cell& low, const Voxel::Cell& high)
    {
        for (int x = low.x; x <= high.x; ++x)
            for (int y = low.y; y <= high.y; ++y)
                for (int z = low.z; z <= high.z; ++z)
                    editor->addVoxel(x, y, z, Ogre::ColourValue::White, 1);
    }
    Ogre::Vector3 rest(int index) { return (*editor->baseAnimation.findFrame(0.0f))[size_t(index)]; }
    size_t particles() { return editor->skeleton->entries.size(); }
    // Everything a save writes of the skeleton side, as text.
    std::string state()
    {
        std::ostringstream out;
        const SkeletonShape shape = SkeletonShape::capture(*editor);
        for (const SkeletonShape::Particle& p : shape.particles)
            out << p.position << p.id << p.name << p.bodyAreaHint << p.invMass << ";";
        for (const SkeletonShape::Stick& s : shape.sticks)
            out << s.a << "-" << s.b << ";";
        for (const SkeletonShape::Frames& frames : shape.animationFrames)
            for (const auto& [time, pose] : frames)
                for (const Ogre::Vector3& p : pose)
                    out << time << p;
        for (const auto& [stick, voxels] : editor->model.bindingGroups())
            out << "g" << stick << ":" << voxels.size();
        return out.str();
    }

    SkeletonEditing editing{*editor};
};
} // namespace

TEST(SkeletonEditing, PlacesParticlesHalfwayThroughTheFirstRunOfVoxels)
{
    SkeletonWorld w;
    w.fill({0, 0, 0}, {0, 9, 0});   // a column, one cell thick
    w.fill({1, 8, -2}, {6, 8, 1});  // an arm off its top, four cells deep, over empty space
    w.fill({4, 0, -2}, {6, 0, 1});  // a foot under the arm's end
    const Ogre::Vector3 front(0, 0, -1), down(0, -1, 0);
    struct Case
    {
        Ogre::Vector3 from, direction, expected;
    } cases[] = {
        {{0.5f, 4.5f, 30}, front, {0.5f, 4.5f, 0.5f}},  // the column: its middle, not its skin
        {{3.5f, 8.5f, 30}, front, {3.5f, 8.5f, 0.0f}},  // the arm seen from the front
        {{5.5f, 30, 0.5f}, down, {5.5f, 8.5f, 0.5f}},   // from above: the arm, never the foot
        {{20, 4.5f, 30}, front, {20, 4.5f, 0}},          // beside: on the plane through the centre
        {{20, 4.5f, 30}, Ogre::Vector3(-1, 0, -1), {-10, 4.5f, 0}}, // ... wherever the ray meets it
    };
    for (const Case& c : cases)
    {
        const Ogre::Vector3 at = w.editing.placeUnder(Ogre::Ray(c.from, c.direction), front);
        EXPECT_LT(at.distance(c.expected), 1e-3f) << c.from << " gave " << at;
    }

    // The model turned on screen (key M): the click still lands in the model's own cells.
    w.editor->modelOrientation = Ogre::Quaternion(Ogre::Degree(90), Ogre::Vector3::UNIT_Y);
    const Ogre::Vector3 shown = w.editor->modelOrientation * Ogre::Vector3(0.5f, 4.5f, 30);
    const Ogre::Vector3 at = w.editing.placeUnder(
        Ogre::Ray(shown, w.editor->modelOrientation * front), w.editor->modelOrientation * front);
    EXPECT_LT(at.distance({0.5f, 4.5f, 0.5f}), 1e-3f) << at;
}

TEST(SkeletonEditing, SticksJoinTwoParticlesOnceAndGoWithThem)
{
    SkeletonWorld w;
    w.fill({0, 0, 0}, {0, 9, 0});
    const int a = w.editing.addParticle({0.5f, 1, 0.5f});
    const int b = w.editing.addParticle({0.5f, 5, 0.5f});
    const int c = w.editing.addParticle({0.5f, 9, 0.5f});
    EXPECT_TRUE(w.editing.addStick(a, b));
    EXPECT_FALSE(w.editing.addStick(b, a)); // never a second stick between the same two
    EXPECT_FALSE(w.editing.addStick(c, c));
    EXPECT_TRUE(w.editing.addStick(b, c));
    EXPECT_TRUE(w.editing.addStick(a, c));
    EXPECT_EQ(w.editor->skeleton->system->sticks.size(), 3u);
    EXPECT_FLOAT_EQ(w.editor->skeleton->system->sticks[0]->restLength, 4.0f);
    // Every voxel is bound to its nearest stick at once.
    size_t bound = 0;
    for (const auto& group : w.editor->model.bindingGroups())
        bound += group.second.size();
    EXPECT_EQ(bound, w.editor->voxels.size());

    w.editing.removeParticle(b);
    ASSERT_EQ(w.particles(), 2u);
    ASSERT_EQ(w.editor->skeleton->system->sticks.size(), 1u); // a-c, its particles renumbered
    const Verlet::Stick* left = w.editor->skeleton->system->sticks[0];
    EXPECT_EQ(left->a, w.editor->skeleton->entries[0]->particle);
    EXPECT_EQ(left->b, w.editor->skeleton->entries[1]->particle);
    EXPECT_NE(w.editor->skeleton->entries[0]->id, w.editor->skeleton->entries[1]->id);

    // Moving a particle stretches its sticks' rest length; removing the stick leaves both ends.
    w.editing.moveParticle(1, {0.5f, 7, 0.5f});
    EXPECT_FLOAT_EQ(w.editor->skeleton->system->sticks[0]->restLength, 6.0f);
    EXPECT_EQ(w.rest(1), Ogre::Vector3(0.5f, 7, 0.5f));
    w.editing.removeStick(0);
    EXPECT_TRUE(w.editor->skeleton->system->sticks.empty());
    EXPECT_EQ(w.particles(), 2u);
}

TEST(SkeletonEditing, MirrorEditingMakesNamedTwins)
{
    SkeletonWorld w;
    w.editor->setMirrorEditing(true);
    const int left = w.editing.addParticle({3, 5, 0});
    ASSERT_EQ(w.particles(), 2u);
    EXPECT_EQ(w.editor->skeleton->entries[size_t(left)]->name, "leftparticle0");
    EXPECT_EQ(w.editor->skeleton->entries[1]->name, "rightparticle0");
    EXPECT_EQ(w.rest(1), Ogre::Vector3(-3, 5, 0));
    w.editing.addParticle({0.1f, 9, 0}); // on the plane: its own twin
    EXPECT_EQ(w.particles(), 3u);

    w.editing.moveParticle(1, {-4, 6, 1});
    EXPECT_EQ(w.rest(0), Ogre::Vector3(4, 6, 1));
    w.editing.addStick(0, 2);
    EXPECT_EQ(w.editor->skeleton->system->sticks.size(), 2u); // and its twin 1-2
    w.editing.removeParticle(0);
    EXPECT_EQ(w.particles(), 1u);
    EXPECT_TRUE(w.editor->skeleton->system->sticks.empty());
}

TEST(SkeletonEditing, BipedTemplateIsTheSamplesSkeletonFittedToTheModel)
{
    SkeletonWorld w;
    w.loadSample();
    const SkeletonShape sample = SkeletonShape::capture(*w.editor);
    w.editing.clear();
    EXPECT_EQ(w.particles(), 0u);
    w.editing.applyBipedTemplate();
    const SkeletonShape made = SkeletonShape::capture(*w.editor);
    // On the sample's own voxels the fit is the sample's skeleton, order, names and sticks.
    ASSERT_EQ(made.particles.size(), 18u);
    for (size_t i = 0; i < 18; ++i)
    {
        EXPECT_EQ(made.particles[i].name, sample.particles[i].name);
        EXPECT_EQ(made.particles[i].bodyAreaHint, sample.particles[i].bodyAreaHint);
        EXPECT_LT(made.particles[i].position.distance(sample.particles[i].position), 1e-4f);
    }
    ASSERT_EQ(made.sticks.size(), sample.sticks.size());
    for (size_t i = 0; i < made.sticks.size(); ++i)
        EXPECT_EQ(made.sticks[i].a * 100 + made.sticks[i].b,
                  sample.sticks[i].a * 100 + sample.sticks[i].b);
    EXPECT_EQ(w.editing.frameNote(), "");
    w.editing.rename(1, "throat");
    EXPECT_EQ(w.editing.frameNote(), "Frame reads 1 throat, 2 rightshoulder, 3 leftshoulder, "
                                     "8 spine, 9 righthip, 10 lefthip, 11 rightknee, 12 leftknee");

    // A box twice as tall: the head goes up with it, the feet stay on the ground.
    w.clearVoxels();
    w.fill({-8, 0, -12}, {7, 55, 5});
    w.editing.applyBipedTemplate();
    EXPECT_LT(w.rest(0).distance(Ogre::Vector3(0, 46, 0)), 1e-4f);
    EXPECT_LT(w.rest(13).distance(Ogre::Vector3(-2.5f, 2, 0.5f)), 1e-4f);
}

TEST(SkeletonEditing, KeyFramesKeepOnePositionPerParticle)
{
    SkeletonWorld w;
    w.loadSample();
    ASSERT_FALSE(w.editor->animations.empty());
    // Inside the right forearm (stick 11, rightelbow to righthand), a little off its line.
    const Ogre::Vector3 added(-6.0f, 9.0f, 1.5f);
    const size_t before = w.particles();
    const int index = w.editing.addParticle(added);
    const float fromElbow = added.distance(w.rest(4));
    for (const Animation& animation : w.editor->animations)
        for (const auto& [time, pose] : animation.frames)
        {
            ASSERT_EQ(pose.size(), before + 1) << time;
            // Carried rigidly by its stick, which starts at the elbow, into every pose.
            EXPECT_NEAR(pose[size_t(index)].distance(pose[4]), fromElbow, 1e-3f) << time;
        }
    std::set<int> ids;
    for (const Skeleton::ParticleEntry* entry : w.editor->skeleton->entries)
        ids.insert(entry->id);
    EXPECT_EQ(ids.size(), before + 1);

    const std::vector<Ogre::Vector3> firstPose = w.editor->animations[0].frames.begin()->second;
    w.editing.removeParticle(4);
    for (const Animation& animation : w.editor->animations)
        for (const auto& [time, pose] : animation.frames)
            ASSERT_EQ(pose.size(), before);
    EXPECT_EQ(w.editor->animations[0].frames.begin()->second[4], firstPose[5]);
}

TEST(SkeletonEditing, EveryChangeIsOneUndoStep)
{
    SkeletonWorld w;
    w.loadSample();
    const std::vector<std::function<void()>> changes = {
        [&] { w.editing.addParticle({-6.0f, 9.0f, 1.5f}); },
        [&] { w.editing.addStick(18, 0); },
        [&] { w.editing.moveParticle(18, {-5, 12, 0}); },
        [&] { w.editing.rename(18, "leftwing"); },
        [&] { w.editing.setBodyArea(18, 4); },
        [&] { w.editing.setPinned(18, true); },
        [&] { w.editing.removeStick(0); },
        [&] { w.editing.removeParticle(9); },
        [&] { w.editing.clear(); },
        [&] { w.editing.applyBipedTemplate(); },
    };
    std::vector<std::string> states = {w.state()};
    for (const auto& change : changes)
    {
        w.editor->asStep("", change);
        states.push_back(w.state());
        EXPECT_NE(states.back(), states[states.size() - 2]);
    }
    for (size_t i = changes.size(); i-- > 0;)
    {
        w.editor->undo();
        EXPECT_EQ(w.state(), states[i]) << "undo to " << i;
    }
    for (size_t i = 1; i <= changes.size(); ++i)
    {
        w.editor->redo();
        EXPECT_EQ(w.state(), states[i]) << "redo to " << i;
    }
}
