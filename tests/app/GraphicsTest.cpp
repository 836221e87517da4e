#include "app/Graphics.h"

#include "tests/HeadlessEngine.h"

#include <Ogre.h>
#include <OgreOverlayManager.h>

#include <gtest/gtest.h>

#include <stdexcept>

namespace
{
// A box-shaped manual object with the given half size on its own node under the root node.
Ogre::ManualObject* makeBox(HeadlessEngine& engine, const std::string& name,
                            const Ogre::Vector3& position, const Ogre::Vector3& halfSize,
                            unsigned flags)
{
    Ogre::ManualObject* object = engine.sceneManager->createManualObject(name);
    object->begin("BaseWhiteNoLighting", Ogre::RenderOperation::OT_LINE_LIST);
    object->position(-halfSize);
    object->position(halfSize);
    object->end();
    object->setQueryFlags(flags);
    Ogre::SceneNode* node = engine.sceneManager->getRootSceneNode()->createChildSceneNode(position);
    node->attachObject(object);
    return object;
}

struct Pick
{
    Ogre::MovableObject* object = nullptr;
    float distance = 0.0f;
};

Pick pick(HeadlessEngine& engine, const Ogre::Ray& ray, unsigned mask)
{
    Pick result;
    Graphics::pickManualObject(engine.sceneManager, ray, mask, result.object, result.distance);
    return result;
}

// Straight down onto the ground plane at (x, z).
Ogre::Ray downAt(float x, float z)
{
    return Ogre::Ray(Ogre::Vector3(x, 10.0f, z), Ogre::Vector3::NEGATIVE_UNIT_Y);
}
} // namespace

TEST(GraphicsPick, NearerObjectWinsEveryMaskBitCountsAndTiesKeepTheEarlierName)
{
    HeadlessEngine engine;
    const Ogre::Vector3 half(0.5f, 0.5f, 0.5f);
    Ogre::ManualObject* low = makeBox(engine, "a_low", Ogre::Vector3(0, 0.5f, 0), half, 1 | 2);
    Ogre::ManualObject* high = makeBox(engine, "z_high", Ogre::Vector3(0, 3.5f, 0), half, 1);

    Pick hit = pick(engine, downAt(0, 0), 1);
    EXPECT_EQ(hit.object, high) << "the later name is nearer and must win";
    EXPECT_FLOAT_EQ(hit.distance, 6.0f);
    EXPECT_EQ(pick(engine, downAt(0, 0), 1 | 2).object, low) << "the nearer one lacks bit 2";
    EXPECT_EQ(pick(engine, downAt(0, 0), 8).object, nullptr);

    makeBox(engine, "loose", Ogre::Vector3::ZERO, Ogre::Vector3(5, 9, 5), ~0u)->detachFromParent();
    EXPECT_EQ(pick(engine, downAt(0, 0), 1 | 2).object, low) << "an unattached object is skipped";

    high->getParentSceneNode()->setPosition(5, 3.5f, 0);
    hit = pick(engine, downAt(0, 0), 1);
    EXPECT_EQ(hit.object, low);
    EXPECT_FLOAT_EQ(hit.distance, 9.0f);

    hit = pick(engine, downAt(20, 20), 1);
    EXPECT_EQ(hit.object, nullptr);
    EXPECT_FLOAT_EQ(hit.distance, -1.0f);

    // At the same distance the earlier name wins, not the earlier made.
    Ogre::ManualObject* same = makeBox(engine, "0_same", Ogre::Vector3(0, 0.5f, 0), half, 1);
    EXPECT_EQ(pick(engine, downAt(0, 0), 1).object, same);
}

TEST(GraphicsPick, NodeRotationRefitsTheBoxAndScaleIsIgnored)
{
    HeadlessEngine engine;
    // A bar 4 long in x; turned a quarter about y it lies along z.
    Ogre::ManualObject* bar =
        makeBox(engine, "bar", Ogre::Vector3(0, 0.5f, 0), Ogre::Vector3(2.0f, 0.5f, 0.5f), 1);
    EXPECT_EQ(pick(engine, downAt(1.5f, 0), 1).object, bar);
    EXPECT_EQ(pick(engine, downAt(0, 1.5f), 1).object, nullptr);

    bar->getParentSceneNode()->yaw(Ogre::Degree(90));
    EXPECT_EQ(pick(engine, downAt(0, 1.5f), 1).object, bar);
    EXPECT_EQ(pick(engine, downAt(1.5f, 0), 1).object, nullptr);

    // Turned by 45 degrees the re-fitted box is wider than the bar itself.
    bar->getParentSceneNode()->setOrientation(
        Ogre::Quaternion(Ogre::Degree(45), Ogre::Vector3::UNIT_Y));
    EXPECT_EQ(pick(engine, downAt(1.6f, -1.6f), 1).object, bar);

    bar->getParentSceneNode()->resetOrientation();
    bar->getParentSceneNode()->setScale(10, 10, 10);
    EXPECT_EQ(pick(engine, downAt(3.0f, 0), 1).object, nullptr);
    Pick hit = pick(engine, downAt(1.5f, 0), 1);
    EXPECT_FLOAT_EQ(hit.distance, 9.0f) << "the top face stays at the unscaled height";
}

TEST(GraphicsOverlay, IndexPastTheEndThrowsOutOfRange)
{
    HeadlessEngine engine;
    Graphics& graphics = engine.graphics;
    for (const char* name : {"OverlayHUD", "OverlayMenu", "OverlayLastAlwaysOn"})
        graphics.overlays.push_back(engine.graphics.overlayManager->create(name));
    EXPECT_EQ(graphics.getOverlay(1)->getName(), "OverlayMenu");
    try
    {
        graphics.getOverlay(3);
        ADD_FAILURE() << "expected std::out_of_range";
    }
    catch (const std::out_of_range& error)
    {
        EXPECT_STREQ(error.what(), "invalid vector<T> subscript");
    }
    EXPECT_THROW(graphics.getOverlay(~0u), std::out_of_range);
}
