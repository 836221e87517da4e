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

TEST(RemoveHiddenVoxels, IndexPicksExactlyAsTheBruteForceOnARandomModel)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    Ogre::SceneManager* scene = fixture.engine.sceneManager;
    std::mt19937 random(2024);
    std::uniform_int_distribution<int> cell(-6, 5);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    auto jitter = [&] { return Ogre::Vector3(unit(random), unit(random), unit(random)); };

    for (int i = 0; i < 500; ++i)
        editor->addVoxel(cell(random), cell(random) + 6, cell(random), Ogre::ColourValue::White,
                         i % 9 == 0 ? QUERY_NEW_VOXEL : QUERY_VOXEL);
    // Posed voxels sit off the lattice, one of them turned; two touching boxes meet on their
    // shared edge, where "tie10" comes before "tie2" in the engine's name order.
    for (size_t i = 0; i < editor->voxels.size(); i += 11)
        editor->voxels[i]->node->translate(jitter() - 0.5f);
    editor->voxels[1]->node->rotate(Ogre::Vector3(1, 1, 0).normalisedCopy(), Ogre::Degree(30));
    for (const char* name : {"tie2", "tie10"})
    {
        Ogre::ManualObject* object = scene->createManualObject(name);
        object->begin("BaseWhiteNoLighting", Ogre::RenderOperation::OT_LINE_LIST);
        object->position(-0.5f, -0.5f, -0.5f);
        object->position(0.5f, 0.5f, 0.5f);
        object->end();
        object->setQueryFlags(QUERY_VOXEL);
        scene->getRootSceneNode()
            ->createChildSceneNode(Ogre::Vector3(name[3] == '2' ? 20.5f : 21.5f, 0.5f, 0.5f))
            ->attachObject(object);
    }

    RayPickIndex index(scene, QUERY_VOXEL);
    int hits = 0;
    auto expectSamePick = [&](const Ogre::Ray& ray)
    {
        Ogre::MovableObject *brute = nullptr, *fast = nullptr;
        float bruteDistance = 0.0f, fastDistance = 0.0f;
        Graphics::pickManualObject(scene, ray, QUERY_VOXEL, brute, bruteDistance);
        index.pick(ray, fast, fastDistance);
        EXPECT_EQ(fast, brute) << "ray " << ray.getOrigin() << " " << ray.getDirection();
        EXPECT_EQ(fastDistance, bruteDistance);
        hits += brute ? 1 : 0;
        return fast;
    };
    Ogre::MovableObject* tie = expectSamePick(
        Ogre::Ray(Ogre::Vector3(21.0f, 0.5f, 10.0f), Ogre::Vector3::NEGATIVE_UNIT_Z));
    ASSERT_NE(tie, nullptr);
    EXPECT_EQ(tie->getName(), "tie10");

    for (int i = 0; i < 8000 && !testing::Test::HasFailure(); ++i)
    {
        Ogre::Vector3 origin = jitter() * 80 - Ogre::Vector3(40, 30, 40);
        Ogre::Vector3 target(cell(random), cell(random) + 6, cell(random));
        if (i % 3 == 0)
            target += jitter(); // anywhere
        else if (i % 3 == 1)
            target.x += unit(random); // on a lattice edge; else exactly on a corner
        if (i % 17 == 0)
            origin = target + Ogre::Vector3(0.25f, 0.5f, 0.75f); // inside the model
        Ogre::Vector3 direction = target - origin;
        if (i % 23 == 0)
            direction = Ogre::Vector3(0, 0, origin.z > 0 ? -1.0f : 1.0f); // along an axis
        expectSamePick(Ogre::Ray(origin, direction.normalisedCopy()));
    }
    EXPECT_GT(hits, 4000);

    // The whole command: the same seen set from the same random sight lines.
    std::srand(99);
    std::vector<bool> brute = editor->findSeenVoxels(3000, true);
    std::srand(99);
    std::vector<bool> fast = editor->findSeenVoxels(3000, false);
    EXPECT_EQ(fast, brute);
    EXPECT_NE(std::count(fast.begin(), fast.end(), true), 0);
}
