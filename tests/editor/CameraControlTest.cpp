#include "editor/CameraControl.h"

#include "editor/QueryFlags.h"
#include "editor/SelectToolMode.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

// Counts what reaches the tool.
class CountingTool : public ToolMode
{
public:
    void mousePressed(const OIS::MouseButtonID*) override { ++presses; }
    void mouseReleased(const OIS::MouseButtonID*) override { ++releases; }
    int presses = 0;
    int releases = 0;
};

Ogre::Vector3 onScreen(Ogre::Camera& camera, const Ogre::Vector3& point)
{
    return camera.getProjectionMatrix() * (camera.getViewMatrix() * point);
}

} // namespace

// Orbit and zoom turn or move the camera about a point without moving that point on the screen;
// orbit keeps the distance, zoom scales it, and neither passes the limits.
TEST(CameraControl, OrbitAndZoomKeepTheirPointInPlaceOnTheScreen)
{
    EditorTestFixture fixture;
    Ogre::Camera& camera = *fixture.engine.camera;
    const Ogre::Vector3 pivot(3.0f, 4.0f, -2.0f);
    const struct
    {
        float yaw, pitch;
    } turns[] = {{0.4f, 0.0f}, {0.0f, -0.3f}, {-1.3f, 0.7f}, {2.5f, -0.2f}, {0.1f, 3.0f}};
    for (const auto& turn : turns)
    {
        const float distance = camera.getPosition().distance(pivot);
        const Ogre::Vector3 before = onScreen(camera, pivot);
        CameraControl::orbit(camera, pivot, turn.yaw, turn.pitch);
        EXPECT_NEAR(camera.getPosition().distance(pivot), distance, 1e-3f * distance);
        EXPECT_TRUE(onScreen(camera, pivot).positionEquals(before, 1e-3f))
            << turn.yaw << " " << turn.pitch;
        // Never over the top: the view stays short of straight down or up.
        EXPECT_LE(std::fabs(camera.getDerivedDirection().y), std::sin(Ogre::Math::DegreesToRadians(85.5f)));
    }

    const Ogre::Vector3 point(-2.0f, 1.0f, 5.0f);
    fixture.editor->resetCamera();
    for (const float factor : {0.8f, 0.5f, 1.25f, 0.01f})
    {
        const float distance = camera.getPosition().distance(point);
        const Ogre::Vector3 before = onScreen(camera, point);
        CameraControl::zoomToward(camera, point, factor);
        const float expected = std::max(distance * factor, CameraControl::minimumDistance);
        EXPECT_NEAR(camera.getPosition().distance(point), expected, 1e-3f * distance) << factor;
        EXPECT_NEAR(onScreen(camera, point).x, before.x, 1e-4f);
        EXPECT_NEAR(onScreen(camera, point).y, before.y, 1e-4f);
    }

    // A pan moves a point at the given depth by the pixels the pointer moved.
    fixture.editor->resetCamera();
    const float height = float(fixture.engine.graphics.getWindowHeight());
    const float width = float(fixture.engine.graphics.getWindowWidth());
    const Ogre::Vector3 ahead(0.0f, 15.0f, 30.0f); // 40 units in front
    const Ogre::Vector3 before = onScreen(camera, ahead);
    CameraControl::pan(camera, Ogre::Vector2(30.0f, -20.0f), 40.0f, height);
    const Ogre::Vector3 after = onScreen(camera, ahead);
    EXPECT_NEAR((after.x - before.x) * 0.5f * width, 30.0f, 0.05f);
    EXPECT_NEAR((after.y - before.y) * 0.5f * height, 20.0f, 0.05f); // y up on the screen
}

// The middle button is the camera's: no tool sees it. A drag orbits about the voxel under the
// pointer; with left Shift it pans; the wheel zooms toward the point under the pointer; Shift
// and motion without the middle button still turn the camera in place.
TEST(CameraControl, MiddleDragWheelAndShiftDriveTheCameraOnly)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    Ogre::Camera& camera = *fixture.engine.camera;
    CountingTool* tool = fixture.install(new CountingTool());
    const Ogre::Vector3 face(0.5f, 0.5f, 1.0f); // the start voxel's front face
    fixture.aimAt(face);

    editor->mousePressed(OIS::MB_Middle);
    const Ogre::Vector3 eye = camera.getPosition();
    editor->mouseMoved(Ogre::Vector2(60.0f, 25.0f));
    EXPECT_NE(camera.getPosition(), eye);
    EXPECT_NEAR(camera.getPosition().distance(face), eye.distance(face), 0.05f);
    EXPECT_NEAR(onScreen(camera, face).x, editor->getPointerScreenPosition().x, 1e-3f);
    EXPECT_NEAR(onScreen(camera, face).y, editor->getPointerScreenPosition().y, 1e-3f);
    const Ogre::Vector3 direction = camera.getDerivedDirection();
    fixture.input->held.insert(OIS::KC_LSHIFT);
    editor->mouseMoved(Ogre::Vector2(10.0f, 0.0f));
    EXPECT_TRUE(camera.getDerivedDirection().positionEquals(direction, 1e-5f)); // panned
    fixture.input->held.erase(OIS::KC_LSHIFT);
    editor->mouseReleased(OIS::MB_Middle);
    EXPECT_EQ(tool->presses + tool->releases, 0);
    EXPECT_FALSE(editor->cameraControl.isDragging());

    // Shift + motion without the button turns in place.
    const Ogre::Vector3 standing = camera.getPosition();
    fixture.input->held.insert(OIS::KC_LSHIFT);
    editor->mouseMoved(Ogre::Vector2(10.0f, 0.0f));
    fixture.input->held.erase(OIS::KC_LSHIFT);
    EXPECT_EQ(camera.getPosition(), standing);
    EXPECT_FALSE(camera.getDerivedDirection().positionEquals(direction, 1e-4f));

    // The wheel: two notches toward the start voxel's face leave 0.64 of the distance, and the
    // face where the pointer is.
    editor->resetCamera();
    fixture.aimAt(face);
    const float distance = camera.getPosition().distance(face);
    const Ogre::Vector3 pointer = editor->getPointerScreenPosition();
    editor->mouseWheel(2.0f);
    EXPECT_NEAR(camera.getPosition().distance(face), 0.64f * distance, 0.01f * distance);
    EXPECT_NEAR(onScreen(camera, face).x, pointer.x, 1e-3f);
    EXPECT_NEAR(onScreen(camera, face).y, pointer.y, 1e-3f);
    editor->mouseWheel(-2.0f);
    EXPECT_NEAR(camera.getPosition().distance(face), distance, 0.01f * distance);
}

// Home puts the model (or the selection, when one is shown) in the middle of the view at a size
// of about two thirds of the view's height, looking the way the camera looked.
TEST(CameraControl, HomeFramesTheModelOrTheSelection)
{
    EditorTestFixture fixture;
    EditorMode* editor = fixture.editor;
    Ogre::Camera& camera = *fixture.engine.camera;
    fixture.loadSample();
    // Where the corners of the box around the voxels' cubes are drawn.
    auto extent = [&](const std::vector<Voxel*>& voxels)
    {
        Ogre::AxisAlignedBox cubes;
        for (Voxel* voxel : voxels)
            cubes.merge(Ogre::AxisAlignedBox(voxel->getPosition() - 0.5f,
                                             voxel->getPosition() + 0.5f));
        float low = 1.0f, high = -1.0f, left = 1.0f, right = -1.0f;
        for (const Ogre::Vector3& corner : cubes.getAllCorners())
        {
            const Ogre::Vector3 p = onScreen(camera, corner);
            low = std::min(low, p.y);
            high = std::max(high, p.y);
            left = std::min(left, p.x);
            right = std::max(right, p.x);
        }
        return Ogre::Vector4(left, right, low, high);
    };
    auto reach = [](const Ogre::Vector4& box)
    { return std::max({-box.x, box.y, -box.z, box.w}); };

    // From any side, looking the way the camera looked.
    for (const Ogre::Vector3& eye : {Ogre::Vector3(80, 60, -40), Ogre::Vector3(-3, -20, 5),
                                     Ogre::Vector3(0, 15, 70)})
    {
        fixture.lookFrom(eye, {0.0f, 0.0f, 0.0f});
        const Ogre::Vector3 direction = camera.getDerivedDirection();
        fixture.press(OIS::KC_HOME);
        EXPECT_TRUE(camera.getDerivedDirection().positionEquals(direction, 1e-5f));
        const Ogre::Vector4 box = extent(editor->voxels);
        // The box's farthest corner is drawn two thirds of the way to the edge.
        EXPECT_NEAR(reach(box), 2.0f / 3.0f, 0.02f) << eye;
        EXPECT_NEAR((box.x + box.y) * 0.5f, 0.0f, 0.15f);
        EXPECT_NEAR((box.z + box.w) * 0.5f, 0.0f, 0.15f);
    }

    // With a selection: its voxels fill the view instead.
    auto* tool = fixture.install(new SelectToolMode());
    fixture.dragRectangle(-0.05f, 0.05f, 0.05f, -0.05f);
    ASSERT_EQ(tool->state, SelectToolMode::Selected);
    const std::vector<Voxel*> chosen = tool->selection;
    ASSERT_LT(chosen.size(), editor->voxels.size() / 4);
    EXPECT_LT(reach(extent(chosen)), 0.2f);
    fixture.press(OIS::KC_HOME);
    EXPECT_NEAR(reach(extent(chosen)), 2.0f / 3.0f, 0.02f);
}
