#include "editor/EditorMode.h"

#include "app/Graphics.h"
#include "editor/ModelViewMode.h"
#include "editor/QueryFlags.h"
#include "editor/ToolMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/editor/EditorTestFixture.h"

#include <OgreCamera.h>
#include <OgreManualObject.h>
#include <OgreSceneManager.h>

#include <gtest/gtest.h>

#include <vector>

namespace
{

// Records what reaches a tool.
struct ToolLog
{
    std::vector<std::string> calls;
    bool deleted = false;
};

class RecordingTool : public ToolMode
{
public:
    explicit RecordingTool(ToolLog* log) : log(log) {}
    ~RecordingTool() override { log->deleted = true; }
    void mousePressed(const OIS::MouseButtonID* button) override
    {
        log->calls.push_back("press " + std::to_string(int(*button)));
    }
    void mouseHeld(const OIS::MouseButtonID* button) override
    {
        log->calls.push_back("held " + std::to_string(int(*button)));
    }
    void mouseReleased(const OIS::MouseButtonID* button) override
    {
        log->calls.push_back("release " + std::to_string(int(*button)));
    }
    void copy() override { log->calls.push_back("copy"); }
    void voxelRemoved(Voxel* voxel) override
    {
        log->calls.push_back("removed " + voxel->box->getName());
    }

    ToolLog* log;
};

} // namespace

TEST(EditorStart, PreparedEditorShowsOneGreyVoxelOnTheGridInTheModelView)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    Ogre::SceneManager* scene = fixture.engine.sceneManager;

    ASSERT_EQ(editor->voxels.size(), 1u);
    EXPECT_EQ(editor->voxels[0]->colour, Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(editor->voxels[0]->box->getQueryFlags(), uint32_t(QUERY_VOXEL));
    EXPECT_EQ(scene->getManualObject("grid")->getQueryFlags(), uint32_t(QUERY_GRID));
    EXPECT_EQ(scene->getLight("Light")->getType(), Ogre::Light::LT_DIRECTIONAL);
    ASSERT_NE(editor->viewMode, nullptr);
    EXPECT_EQ(editor->viewMode->name, "ModelView");
    EXPECT_EQ(editor->toolMode, nullptr);
    EXPECT_EQ(editor->skeleton->system->restCheck, false);

    Ogre::Camera* camera = fixture.engine.camera;
    EXPECT_EQ(camera->getPosition(), Ogre::Vector3(0, 15, 70));
    EXPECT_TRUE(camera->getDirection().positionEquals(Ogre::Vector3::NEGATIVE_UNIT_Z));
}

TEST(EditorStart, FileNamesComeFromXmlWordsOnly)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    EXPECT_EQ(editor->modelFileName, "/nonexistent-folder/bramblewick-test-model.xml");
    EXPECT_EQ(editor->animationFileName, "");

    editor->modelFileName = "new.xml";
    editor->chooseFileNames({"notes.txt", "Walk.XML"});
    EXPECT_EQ(editor->modelFileName, "new.xml");
    EXPECT_EQ(editor->animationFileName, "Walk.XML");

    editor->chooseFileNames({"Hero.Xml", "skip_config"});
    EXPECT_EQ(editor->modelFileName, "Hero.Xml");
    EXPECT_EQ(editor->animationFileName, "Walk.XML");
}

TEST(VoxelList, AddRemoveAndFindKeepListOrder)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    fixture.clearVoxels();
    EXPECT_TRUE(editor->voxels.empty());

    for (int i = 0; i < 5; ++i)
        editor->addVoxel(i, 0, 0, Ogre::ColourValue(0.1f * i, 0, 0, 1), QUERY_VOXEL);
    std::vector<Voxel*> before = editor->getVoxels();
    const unsigned counter = Voxel::boxCounter;

    // A taken cell: nothing changes, not even the box counter.
    editor->addVoxel(2, 0, 0, Ogre::ColourValue(0, 1, 0, 1), QUERY_NEW_VOXEL);
    EXPECT_EQ(editor->getVoxels(), before);
    EXPECT_EQ(Voxel::boxCounter, counter);
    EXPECT_EQ(editor->voxels[2]->colour, Ogre::ColourValue(0.2f, 0, 0, 1));
    EXPECT_EQ(editor->voxels[2]->box->getQueryFlags(), uint32_t(QUERY_VOXEL));

    EXPECT_EQ(editor->findVoxel(before[3]->box), 3);
    EXPECT_EQ(editor->findVoxel(fixture.engine.sceneManager->getManualObject("grid")), -1);
    EXPECT_EQ(editor->findVoxel(nullptr), -1);

    editor->removeVoxels({3, 1});
    ASSERT_EQ(editor->voxels.size(), 3u);
    EXPECT_EQ(editor->voxels[0], before[0]);
    EXPECT_EQ(editor->voxels[1], before[2]);
    EXPECT_EQ(editor->voxels[2], before[4]);

    editor->removeVoxel(0);
    ASSERT_EQ(editor->voxels.size(), 2u);
    EXPECT_EQ(editor->voxels[0], before[2]);
    // The freed cell can be filled again.
    editor->addVoxel(0, 0, 0, Ogre::ColourValue::White, QUERY_VOXEL);
    EXPECT_EQ(editor->voxels.size(), 3u);
}

TEST(VoxelList, RemovedVoxelLeavesToolAndBindingsFirst)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    editor->addVoxel(3, 0, 0, Ogre::ColourValue::White, QUERY_VOXEL);
    editor->skeleton->addEntry(Ogre::Vector3(0, 0, 0), 0, "a", 0, 1.0f);
    editor->skeleton->addEntry(Ogre::Vector3(5, 0, 0), 1, "b", 0, 1.0f);
    editor->skeleton->system->addStick(editor->skeleton->system->particles[0],
                                       editor->skeleton->system->particles[1], 5.0f);
    editor->rebindSkeleton();

    ToolLog log;
    editor->setToolMode(new RecordingTool(&log));
    Voxel* gone = editor->voxels[1];
    const std::string goneName = gone->box->getName();
    editor->removeVoxel(1);

    EXPECT_EQ(log.calls, std::vector<std::string>{"removed " + goneName});
    for (const auto& group : editor->skeleton->bindings)
        for (Skeleton::Element* element : group.second.elements)
            EXPECT_NE(element, static_cast<Skeleton::Element*>(gone));
    // Showing a pose now must not reach the removed voxel.
    EXPECT_NO_THROW(editor->resetToRestPose());
}

TEST(Picking, MaskOneSeesThroughNewVoxelsAndTheGridAnswersMaskFour)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    // Start voxel at (0,0,0) has flags 1; a new one in front of it carries flags 2.
    editor->addVoxel(0, 0, 3, Ogre::ColourValue::White, QUERY_NEW_VOXEL);
    Ogre::Ray ray(Ogre::Vector3(0.5f, 0.5f, 20.0f), Ogre::Vector3::NEGATIVE_UNIT_Z);

    Ogre::MovableObject* hit = nullptr;
    float distance = 0.0f;
    editor->pick(ray, QUERY_VOXEL, hit, distance);
    EXPECT_EQ(hit, editor->voxels[0]->box);
    EXPECT_FLOAT_EQ(distance, 19.0f);
    editor->pick(ray, QUERY_NEW_VOXEL, hit, distance);
    EXPECT_EQ(hit, editor->voxels[1]->box);
    EXPECT_FLOAT_EQ(distance, 16.0f);

    Ogre::Ray down(Ogre::Vector3(-2.3f, 10.0f, 4.9f), Ogre::Vector3::NEGATIVE_UNIT_Y);
    editor->pick(down, QUERY_GRID, hit, distance);
    EXPECT_EQ(hit, fixture.engine.sceneManager->getManualObject("grid"));
    EXPECT_FLOAT_EQ(distance, 10.0f);

    Ogre::Ray level(Ogre::Vector3(-60.0f, 2.0f, 0.0f), Ogre::Vector3::UNIT_X);
    editor->pick(level, QUERY_GRID, hit, distance);
    EXPECT_EQ(hit, nullptr);
    EXPECT_EQ(distance, -1.0f);
}

TEST(Pointer, RayScreenPositionAndProjectionAgree)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    Graphics& graphics = fixture.engine.graphics;
    fixture.input->mouseX = float(graphics.getWindowWidth()) / 2.0f;
    fixture.input->mouseY = float(graphics.getWindowHeight()) / 2.0f;

    Ogre::Ray ray = editor->getPointerRay();
    EXPECT_TRUE(ray.getDirection().positionEquals(Ogre::Vector3::NEGATIVE_UNIT_Z));
    EXPECT_TRUE(editor->getPointerScreenPosition().positionEquals(Ogre::Vector3(0, 0, -1)));

    fixture.input->mouseX = 0.0f;
    fixture.input->mouseY = 0.0f;
    EXPECT_TRUE(editor->getPointerScreenPosition().positionEquals(Ogre::Vector3(-1, 1, -1)));

    // A point on the pointer ray projects back to the pointer.
    Ogre::Vector3 onRay = editor->getPointerRay().getPoint(30.0f);
    Ogre::Vector3 projected = editor->projectToScreen(onRay);
    EXPECT_NEAR(projected.x, -1.0f, 1e-4f);
    EXPECT_NEAR(projected.y, 1.0f, 1e-4f);

    // Behind the camera (which looks down -Z from z = 70): the screen centre.
    EXPECT_EQ(editor->projectToScreen(Ogre::Vector3(0, 15, 80)), Ogre::Vector3::ZERO);
    EXPECT_EQ(editor->projectToScreen(Ogre::Vector3(5, 15, 70)), Ogre::Vector3::ZERO);
}

TEST(EditorKeys, CameraVelocityFollowsPressesReleasesAndLeftControl)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    Ogre::Camera* camera = fixture.engine.camera;

    fixture.press(OIS::KC_W);
    fixture.press(OIS::KC_S);
    EXPECT_EQ(editor->cameraVelocity, Ogre::Vector3::ZERO);
    editor->update(0.016f);
    EXPECT_EQ(camera->getPosition(), Ogre::Vector3(0, 15, 70));
    fixture.release(OIS::KC_S);
    EXPECT_EQ(editor->cameraVelocity, Ogre::Vector3(0, 0, 1));
    editor->update(0.016f);
    EXPECT_TRUE(camera->getPosition().positionEquals(Ogre::Vector3(0, 15, 70 - 0.16f), 1e-4f));

    // Shift flies four times as fast, sideways included.
    fixture.press(OIS::KC_D);
    fixture.input->held.insert(OIS::KC_LSHIFT);
    Ogre::Vector3 before = camera->getPosition();
    editor->update(0.016f);
    EXPECT_TRUE(
        (camera->getPosition() - before).positionEquals(Ogre::Vector3(0.64f, 0, -0.64f), 1e-4f));
    fixture.input->held.erase(OIS::KC_LSHIFT);
    fixture.release(OIS::KC_D);

    // Any key with left Control stops the camera; W released afterwards leaves a drift back.
    fixture.input->held.insert(OIS::KC_LCONTROL);
    fixture.press(OIS::KC_L);
    EXPECT_EQ(editor->cameraVelocity, Ogre::Vector3::ZERO);
    fixture.input->held.erase(OIS::KC_LCONTROL);
    fixture.release(OIS::KC_W);
    EXPECT_EQ(editor->cameraVelocity, Ogre::Vector3(0, 0, -1));
    fixture.input->held.insert(OIS::KC_LCONTROL);
    fixture.release(OIS::KC_A);
    EXPECT_EQ(editor->cameraVelocity, Ogre::Vector3::ZERO);

    // The right Control key does not count: R Ctrl + S flies backwards instead of saving.
    fixture.input->held.clear();
    fixture.input->held.insert(OIS::KC_RCONTROL);
    fixture.press(OIS::KC_S);
    EXPECT_EQ(editor->cameraVelocity, Ogre::Vector3(0, 0, -1));
}

TEST(EditorMouse, ToolGetsPressesHoldsAndEveryRelease)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    ToolLog log;
    editor->setToolMode(new RecordingTool(&log));

    editor->mousePressed(OIS::MB_Right);
    EXPECT_TRUE(editor->mouseButtonDown);
    editor->update(0.016f);
    editor->update(0.016f);
    editor->mouseReleased(OIS::MB_Right);
    editor->update(0.016f);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"press 1", "held 0", "held 0", "release 1"}));

    // A focus change of the render window releases both buttons; of another window, nothing.
    // The window is only compared, never used, so any address stands in for it here.
    int standIn = 0;
    auto* window = reinterpret_cast<Ogre::RenderWindow*>(&standIn);
    fixture.engine.graphics.renderWindow = window;
    editor->windowFocusChange(window);
    fixture.engine.graphics.renderWindow = nullptr;
    editor->windowFocusChange(window);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"press 1", "held 0", "held 0", "release 1",
                                                   "release 0", "release 1"}));

    fixture.input->held.insert(OIS::KC_LCONTROL);
    fixture.press(OIS::KC_C);
    EXPECT_EQ(log.calls.back(), "copy");

    // A new view mode takes the tool away.
    editor->setViewMode(new ModelViewMode());
    EXPECT_TRUE(log.deleted);
    EXPECT_EQ(editor->toolMode, nullptr);
}
