#include "editor/EditorMode.h"

#include "app/Graphics.h"
#include "editor/QueryFlags.h"
#include "editor/RayPickIndex.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreManualObject.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace
{

Ogre::ManualObject* addPickBox(Ogre::SceneManager* scene, const std::string& name,
                               const Ogre::Vector3& position, uint32_t flags,
                               const Ogre::Quaternion& orientation = Ogre::Quaternion::IDENTITY)
{
    Ogre::ManualObject* object = scene->createManualObject(name);
    object->begin("BaseWhiteNoLighting", Ogre::RenderOperation::OT_LINE_LIST);
    object->position(-0.5f, -0.5f, -0.5f);
    object->position(0.5f, 0.5f, 0.5f);
    object->end();
    object->setQueryFlags(flags);
    scene->getRootSceneNode()->createChildSceneNode(position, orientation)->attachObject(object);
    return object;
}

void expectSamePick(Ogre::SceneManager* scene, const RayPickIndex& index, const Ogre::Ray& ray,
                    int& hits)
{
    Ogre::MovableObject* bruteObject = nullptr;
    float bruteDistance = 0.0f;
    Graphics::pickManualObject(scene, ray, QUERY_VOXEL, bruteObject, bruteDistance);
    Ogre::MovableObject* fastObject = nullptr;
    float fastDistance = 0.0f;
    index.pick(ray, fastObject, fastDistance);
    ASSERT_EQ(fastObject, bruteObject) << "ray " << ray.getOrigin() << " " << ray.getDirection();
    ASSERT_EQ(fastDistance, bruteDistance);
    if (bruteObject)
        ++hits;
}

} // namespace

TEST(RemoveHiddenVoxels, InsideOfASolidBlockGoesAndEmptyModelIsFine)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    fixture.clearVoxels();
    editor->removeHiddenVoxels();
    EXPECT_TRUE(editor->voxels.empty());

    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            for (int z = 0; z < 3; ++z)
                editor->addVoxel(x, y, z, Ogre::ColourValue::White, QUERY_VOXEL);
    // The survivors keep their order.
    std::vector<Voxel*> expected;
    for (Voxel* voxel : editor->voxels)
        if (!(voxel->gridPosition == Voxel::Cell{1, 1, 1}))
            expected.push_back(voxel);
    std::srand(7);
    editor->removeHiddenVoxels();
    ASSERT_EQ(editor->voxels.size(), 26u);
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

    for (int i = 0; i < 500; ++i)
        editor->addVoxel(cell(random), cell(random) + 6, cell(random), Ogre::ColourValue::White,
                         i % 9 == 0 ? QUERY_NEW_VOXEL : QUERY_VOXEL);
    // Posed voxels sit off the lattice; one turned box that is no voxel.
    for (size_t i = 0; i < editor->voxels.size(); i += 11)
        editor->voxels[i]->node->translate(Ogre::Vector3(unit(random), unit(random), unit(random)) -
                                           0.5f);
    addPickBox(scene, "turned", Ogre::Vector3(8, 3, 0), QUERY_VOXEL,
               Ogre::Quaternion(Ogre::Degree(30), Ogre::Vector3(1, 1, 0).normalisedCopy()));
    // Equal distances: two touching boxes met on their shared edge. "tie10" comes before "tie2"
    // in the engine's name order although it was made later.
    addPickBox(scene, "tie2", Ogre::Vector3(20.5f, 0.5f, 0.5f), QUERY_VOXEL);
    addPickBox(scene, "tie10", Ogre::Vector3(21.5f, 0.5f, 0.5f), QUERY_VOXEL);

    RayPickIndex index(scene, QUERY_VOXEL);
    int hits = 0;

    Ogre::Ray tie(Ogre::Vector3(21.0f, 0.5f, 10.0f), Ogre::Vector3::NEGATIVE_UNIT_Z);
    expectSamePick(scene, index, tie, hits);
    Ogre::MovableObject* object = nullptr;
    float distance = 0.0f;
    index.pick(tie, object, distance);
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(object->getName(), "tie10");

    for (int i = 0; i < 8000 && !testing::Test::HasFatalFailure(); ++i)
    {
        Ogre::Vector3 origin(unit(random) * 80 - 40, unit(random) * 80 - 30,
                             unit(random) * 80 - 40);
        Ogre::Vector3 target(cell(random), cell(random) + 6, cell(random));
        if (i % 3 == 0)
            target += Ogre::Vector3(unit(random), unit(random), unit(random)); // anywhere
        else if (i % 3 == 1)
            target.x += unit(random); // on a lattice edge
        // else: exactly on a lattice corner
        if (i % 17 == 0)
            origin = target + Ogre::Vector3(0.25f, 0.5f, 0.75f); // inside the model
        Ogre::Vector3 direction = target - origin;
        if (i % 23 == 0)
            direction = Ogre::Vector3(0, 0, origin.z > 0 ? -1.0f : 1.0f); // along an axis
        expectSamePick(scene, index, Ogre::Ray(origin, direction.normalisedCopy()), hits);
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
