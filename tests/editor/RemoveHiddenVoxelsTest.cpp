#include "editor/EditorMode.h"

#include "app/Graphics.h"
#include "editor/QueryFlags.h"
#include "editor/RayPickIndex.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreManualObject.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

TEST(RemoveHiddenVoxels, InsideOfASolidBlockGoesAndEmptyModelIsFine)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    fixture.clearVoxels();
    editor->removeHiddenVoxels();
    EXPECT_TRUE(editor->voxels.empty());

    std::vector<Voxel*> expected; // the survivors keep their order
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            for (int z = 0; z < 3; ++z)
            {
                editor->addVoxel(x, y, z, Ogre::ColourValue::White, QUERY_VOXEL);
                if (x != 1 || y != 1 || z != 1)
                    expected.push_back(editor->voxels.back());
            }
    std::srand(7);
    editor->removeHiddenVoxels();
    EXPECT_EQ(editor->voxels, expected);
}

// Every voxel pick (the tools' nearest-block walk, key O's grid index and the reference that
// tests every box) against what the engine's own pick answered when each voxel was a manual
// object of its own: the same voxel, the same distance, ties to the name that sorts first.
TEST(Picking, VoxelPicksAnswerAsOneEngineObjectPerVoxel)
{
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> cell(-6, 5);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    auto jitter = [&] { return Ogre::Vector3(unit(random), unit(random), unit(random)); };
    // Posed voxels sit off the lattice; a turned model (key M) moves every centre.
    const Ogre::Quaternion turns[] = {
        Ogre::Quaternion::IDENTITY,
        Ogre::Quaternion(Ogre::Degree(37), Ogre::Vector3(0.2f, 1, 0.1f).normalisedCopy())};
    for (const Ogre::Quaternion& turn : turns)
    {
        EditorTestFixture fixture;
        EditorMode* editor = fixture.editor;
        Ogre::SceneManager* scene = fixture.engine.sceneManager;
        // Two touching boxes meet on a shared edge, where "box100" sorts before "box98".
        Voxel::boxCounter = 96;
        editor->addVoxel(20, 0, 0, Ogre::ColourValue::White, QUERY_VOXEL);
        editor->addVoxel(21, 0, 0, Ogre::ColourValue::White, QUERY_VOXEL);
        for (int i = 0; i < 500; ++i)
            editor->addVoxel(cell(random), cell(random) + 6, cell(random),
                             Ogre::ColourValue::White, i % 9 == 0 ? QUERY_NEW_VOXEL : QUERY_VOXEL);
        for (size_t i = 0; i < editor->voxels.size(); ++i)
        {
            Voxel* voxel = editor->voxels[i];
            Ogre::Vector3 centre = voxel->getPosition();
            if (i % 11 == 0 && voxel->getGridPosition().x < 20)
                centre += jitter() - 0.5f;
            voxel->setPosition(turn * centre);
            Ogre::ManualObject* object = scene->createManualObject("engine" + voxel->getName());
            object->begin("BaseWhiteNoLighting", Ogre::RenderOperation::OT_LINE_LIST);
            object->position(-0.5f, -0.5f, -0.5f);
            object->position(0.5f, 0.5f, 0.5f);
            object->end();
            object->setQueryFlags(voxel->getQueryFlags() << 8);
            scene->getRootSceneNode()->createChildSceneNode(voxel->getPosition())->attachObject(
                object);
        }

        RayPickIndex index(editor->voxels, QUERY_VOXEL);
        int hits = 0;
        auto expectSamePick = [&](const Ogre::Ray& ray)
        {
            for (unsigned mask : {unsigned(QUERY_VOXEL), unsigned(QUERY_NEW_VOXEL)})
            {
                Ogre::MovableObject* engine = nullptr;
                float engineDistance = 0.0f;
                Graphics::pickManualObject(scene, ray, mask << 8, engine, engineDistance);
                const std::string expected = engine ? engine->getName().substr(6) : "none";
                auto name = [&](int found)
                { return found < 0 ? std::string("none") : editor->voxels[found]->getName(); };
                float distance = 0.0f;
                EXPECT_EQ(name(editor->pickVoxel(ray, mask, distance)), expected)
                    << "ray " << ray.getOrigin() << " " << ray.getDirection();
                EXPECT_EQ(distance, engineDistance);
                EXPECT_EQ(name(editor->pickVoxelByEveryBox(ray, mask, distance)), expected);
                EXPECT_EQ(distance, engineDistance);
                if (mask == QUERY_VOXEL)
                {
                    EXPECT_EQ(name(index.pick(ray, distance)), expected);
                    EXPECT_EQ(distance, engineDistance);
                    hits += engine ? 1 : 0;
                }
            }
        };
        const Ogre::Ray edge(turn * Ogre::Vector3(21.0f, 0.5f, 10.0f), Ogre::Vector3(0, 0, -1));
        expectSamePick(edge);
        float distance = 0.0f;
        if (turn == Ogre::Quaternion::IDENTITY)
            EXPECT_EQ(editor->voxels.at(editor->pickVoxel(edge, QUERY_VOXEL, distance))->getName(),
                      "box100");

        for (int i = 0; i < 4000 && !testing::Test::HasFailure(); ++i)
        {
            Ogre::Vector3 origin = jitter() * 80 - Ogre::Vector3(40, 30, 40);
            Ogre::Vector3 target(cell(random), cell(random) + 6, cell(random));
            if (i % 3 == 0)
                target += jitter(); // anywhere
            else if (i % 3 == 1)
                target.x += unit(random); // on a lattice edge; else exactly on a corner
            target = turn * target;
            if (i % 17 == 0)
                origin = target + Ogre::Vector3(0.25f, 0.5f, 0.75f); // inside the model
            Ogre::Vector3 direction = target - origin;
            if (i % 23 == 0)
                direction = Ogre::Vector3(0, 0, origin.z > 0 ? -1.0f : 1.0f); // along an axis
            expectSamePick(Ogre::Ray(origin, direction.normalisedCopy()));
        }
        EXPECT_GT(hits, 1500);

        // The whole command: the same seen set from the same random sight lines.
        std::srand(99);
        std::vector<bool> brute = editor->findSeenVoxels(3000, true);
        std::srand(99);
        std::vector<bool> fast = editor->findSeenVoxels(3000, false);
        EXPECT_EQ(fast, brute);
        EXPECT_NE(std::count(fast.begin(), fast.end(), true), 0);
    }
}
