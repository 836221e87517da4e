#include "editor/CameraControl.h"

#include "app/Graphics.h"
#include "app/KeyListener.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/SelectToolMode.h"
#include "menu/TextField.h"

#include <OIS/OISKeyboard.h>
#include <OgreCamera.h>
#include <OgreMath.h>
#include <OgreMovableObject.h>
#include <OgreRay.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

// The steepest the orbit looks up or down, short of the vertical where yaw loses its meaning.
const float steepest = 85.0f * Ogre::Math::fDeg2Rad;

} // namespace

Ogre::Camera& CameraControl::camera() { return *editor.getGraphics()->camera; }

// ---------------------------------------------------------------------------------------------
// Keys and flight

bool CameraControl::keyPressed(const KeyEvent& event)
{
    switch (event.key)
    {
    case OIS::KC_W:
    case OIS::KC_S:
    case OIS::KC_A:
    case OIS::KC_D:
        followFlightKeys();
        return true;
    case OIS::KC_HOME:
        frame();
        return true;
    default:
        return false;
    }
}

void CameraControl::followFlightKeys()
{
    // Counting presses and releases drifts for good after one release without its press (left
    // Ctrl let go before S); the keys held now never do.
    cameraVelocity = Ogre::Vector3::ZERO;
    // Keys typed into a text field are no flight keys.
    if (editor.isKeyDown(OIS::KC_LCONTROL) || TextField::anyFocused(editor.menuSystem))
        return;
    cameraVelocity.z = float(editor.isKeyDown(OIS::KC_W)) - float(editor.isKeyDown(OIS::KC_S));
    cameraVelocity.x = float(editor.isKeyDown(OIS::KC_D)) - float(editor.isKeyDown(OIS::KC_A));
}

void CameraControl::fly(float timeStep)
{
    Ogre::Camera& view = camera();
    const float speed = editor.isKeyDown(OIS::KC_LSHIFT) ? 40.0f : 10.0f;
    view.move((view.getDerivedRight() * cameraVelocity.x +
               view.getDerivedDirection() * cameraVelocity.z) *
              speed * timeStep);
}

void CameraControl::reset()
{
    Ogre::Camera& view = camera();
    view.setPosition(Ogre::Vector3(0.0f, 15.0f, 70.0f));
    view.lookAt(Ogre::Vector3(0.0f, 15.0f, 0.0f));
}

// ---------------------------------------------------------------------------------------------
// The mouse

bool CameraControl::mousePressed(const OIS::MouseButtonID& button)
{
    if (button != OIS::MB_Middle)
        return false;
    dragging = true;
    Ogre::AxisAlignedBox box;
    if (!pointUnderPointer(pivot))
        pivot = modelBounds(box, false) ? box.getCenter() : Ogre::Vector3::ZERO;
    return true;
}

bool CameraControl::mouseReleased(const OIS::MouseButtonID& button)
{
    if (button != OIS::MB_Middle)
        return false;
    dragging = false;
    return true;
}

void CameraControl::mouseMoved(const Ogre::Vector2& delta)
{
    Ogre::Camera& view = camera();
    const bool shift = editor.isKeyDown(OIS::KC_LSHIFT);
    if (dragging && shift)
    {
        const float depth = (pivot - view.getDerivedPosition()).dotProduct(view.getDerivedDirection());
        pan(view, delta, std::max(depth, minimumDistance),
            float(editor.getGraphics()->getWindowHeight()));
    }
    else if (dragging)
    {
        orbit(view, pivot, -orbitSpeed * delta.x, -orbitSpeed * delta.y);
    }
    else if (shift && !TextField::anyFocused(editor.menuSystem))
    {
        view.yaw(Ogre::Radian(-orbitSpeed * delta.x));
        view.pitch(Ogre::Radian(-orbitSpeed * delta.y));
    }
}

void CameraControl::wheel(float notches)
{
    Ogre::Vector3 point;
    if (!pointUnderPointer(point))
    {
        // Over empty space: toward the point as deep as the model's centre, along the pointer.
        Ogre::AxisAlignedBox box;
        const Ogre::Ray ray = editor.getPointerRay();
        float depth = 20.0f;
        if (modelBounds(box, false))
            depth = std::max((box.getCenter() - ray.getOrigin()).length(), minimumDistance);
        point = ray.getPoint(depth);
    }
    zoomToward(camera(), point, std::pow(zoomStep, notches));
}

void CameraControl::frame()
{
    Ogre::AxisAlignedBox box;
    if (modelBounds(box, true) || modelBounds(box, false))
        frameBox(camera(), box, framedPart);
}

bool CameraControl::pointUnderPointer(Ogre::Vector3& point)
{
    const Ogre::Ray ray = editor.getPointerRay();
    float distance = -1.0f;
    if (editor.pickVoxel(ray, QUERY_VOXEL, distance) >= 0)
    {
        point = ray.getPoint(distance);
        return true;
    }
    Ogre::MovableObject* grid = nullptr;
    editor.pick(ray, QUERY_GRID, grid, distance);
    if (grid)
    {
        point = ray.getPoint(distance);
        return true;
    }
    return false;
}

bool CameraControl::modelBounds(Ogre::AxisAlignedBox& box, bool selectionOnly)
{
    const std::vector<Voxel*>* voxels = &editor.getVoxels();
    if (selectionOnly)
    {
        auto* tool = dynamic_cast<SelectToolMode*>(editor.toolMode);
        if (!tool || tool->selection.empty())
            return false;
        voxels = &tool->selection;
    }
    if (voxels->empty())
        return false;
    Ogre::Vector3 low = voxels->front()->getPosition();
    Ogre::Vector3 high = low;
    for (Voxel* voxel : *voxels)
    {
        low.makeFloor(voxel->getPosition());
        high.makeCeil(voxel->getPosition());
    }
    const Ogre::Vector3 half(0.5f, 0.5f, 0.5f);
    box.setExtents(low - half, high + half);
    return true;
}

// ---------------------------------------------------------------------------------------------
// The maths

void CameraControl::orbit(Ogre::Camera& camera, const Ogre::Vector3& pivot, float yaw, float pitch)
{
    // The pitch that stays within the steepest view.
    const float now = std::asin(std::clamp(camera.getDerivedDirection().y, -1.0f, 1.0f));
    pitch = std::clamp(now + pitch, -steepest, steepest) - now;

    // The offset from the pivot turns with the camera, so the pivot stays where it is drawn.
    const Ogre::Quaternion turn(Ogre::Radian(yaw), Ogre::Vector3::UNIT_Y);
    Ogre::Vector3 offset = turn * (camera.getPosition() - pivot);
    camera.yaw(Ogre::Radian(yaw));
    const Ogre::Quaternion tilt(Ogre::Radian(pitch), camera.getDerivedRight());
    offset = tilt * offset;
    camera.pitch(Ogre::Radian(pitch));
    camera.setPosition(pivot + offset);
}

void CameraControl::zoomToward(Ogre::Camera& camera, const Ogre::Vector3& point, float factor)
{
    const Ogre::Vector3 offset = camera.getPosition() - point;
    const float distance = offset.length();
    if (distance <= 0.0f)
        return;
    const float wanted = std::max(distance * factor, std::min(distance, minimumDistance));
    camera.setPosition(point + offset * (wanted / distance));
}

void CameraControl::pan(Ogre::Camera& camera, const Ogre::Vector2& pixels, float depth,
                        float viewHeight)
{
    if (viewHeight <= 0.0f)
        return;
    const float unitsPerPixel =
        2.0f * depth * std::tan(camera.getFOVy().valueRadians() * 0.5f) / viewHeight;
    camera.move((-camera.getDerivedRight() * pixels.x + camera.getDerivedUp() * pixels.y) *
                unitsPerPixel);
}

void CameraControl::frameBox(Ogre::Camera& camera, const Ogre::AxisAlignedBox& box, float part)
{
    const float halfHeight = std::tan(camera.getFOVy().valueRadians() * 0.5f);
    const float halfWidth = halfHeight * camera.getAspectRatio();
    const Ogre::Vector3 direction = camera.getDerivedDirection();
    const Ogre::Vector3 right = camera.getDerivedRight();
    const Ogre::Vector3 up = camera.getDerivedUp();
    const Ogre::Vector3 centre = box.getCenter();
    const Ogre::AxisAlignedBox::Corners corners = box.getAllCorners();
    // How far from the middle toward the edges the farthest corner is drawn from a distance
    // (infinite when a corner is behind the camera); it only falls as the camera backs away.
    auto reach = [&](float distance)
    {
        float most = 0.0f;
        for (int i = 0; i < 8; ++i)
        {
            const Ogre::Vector3 offset = corners[i] - centre;
            const float depth = distance + offset.dotProduct(direction);
            if (depth <= 0.0f)
                return std::numeric_limits<float>::infinity();
            most = std::max({most, std::fabs(offset.dotProduct(right)) / (depth * halfWidth),
                             std::fabs(offset.dotProduct(up)) / (depth * halfHeight)});
        }
        return most;
    };
    float near = minimumDistance;
    float far = minimumDistance;
    while (reach(far) > part && far < 1.0e6f)
        far *= 2.0f;
    for (int step = 0; step < 40 && reach(near) > part; ++step)
    {
        const float middle = 0.5f * (near + far);
        (reach(middle) > part ? near : far) = middle;
    }
    camera.setPosition(centre - direction * far);
}
