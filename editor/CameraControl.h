#pragma once

#include <OIS/OISMouse.h>
#include <OgreAxisAlignedBox.h>
#include <OgreVector.h>

class EditorMode;
struct KeyEvent;
namespace Ogre
{
class Camera;
class Ray;
} // namespace Ogre

// The camera of the 3D view: the flight keys (W/A/S/D, faster with left Shift), the turn in place
// (left Shift + motion), and what artists expect of a modelling view (additions of this editor):
// the wheel zooms toward the point under the pointer, a middle drag orbits about the point under
// the pointer at the press (the model's centre when nothing is there), left Shift + middle drag
// pans, Home frames the model or the selection.
class CameraControl
{
public:
    explicit CameraControl(EditorMode& editor) : editor(editor) {}

    // W, A, S, D and Home. Returns true when the key was the camera's.
    bool keyPressed(const KeyEvent& event);
    // Sets cameraVelocity from the flight keys held now: W/S forwards and back, A/D sideways,
    // nothing while left Ctrl is held.
    void followFlightKeys();
    // One fixed step of flight.
    void fly(float timeStep);
    // Returns true when the camera takes the press: the middle button is the camera's alone.
    bool mousePressed(const OIS::MouseButtonID& button);
    // Returns true when the release ends the camera's own drag.
    bool mouseReleased(const OIS::MouseButtonID& button);
    // Orbits or pans while the middle button is held, turns in place with left Shift otherwise.
    void mouseMoved(const Ogre::Vector2& delta);
    // Positive notches zoom in toward the point under the pointer.
    void wheel(float notches);
    // Home: the whole model, or the selection, fills about two thirds of the view.
    void frame();
    // The start view: (0, 15, 70) looking at (0, 15, 0).
    void reset();
    bool isDragging() const { return dragging; }

    // --- the maths, on any camera ---
    // Turns the camera about the pivot: yaw about the vertical, then pitch about the camera's
    // right axis, each by the given angle; the pivot keeps its place in the view. The pitch stops
    // short of looking straight up or down.
    static void orbit(Ogre::Camera& camera, const Ogre::Vector3& pivot, float yaw, float pitch);
    // Moves the camera along the line to the point so that its distance becomes distance times
    // factor; the point keeps its place in the view. Never closer than minimumDistance.
    static void zoomToward(Ogre::Camera& camera, const Ogre::Vector3& point, float factor);
    // Moves the camera sideways so that a point at the given depth follows the pointer by the
    // given pixels (x right, y down) in a view of the given height.
    static void pan(Ogre::Camera& camera, const Ogre::Vector2& pixels, float depth,
                    float viewHeight);
    // Places the camera, keeping its direction, so that the box is in the middle of the view and
    // reaches the given part of the way from the middle to the edges (on its wider side).
    static void frameBox(Ogre::Camera& camera, const Ogre::AxisAlignedBox& box, float part);

    static constexpr float minimumDistance = 2.0f;
    static constexpr float zoomStep = 0.8f; // the distance left after one notch in
    static constexpr float orbitSpeed = 0.005f; // radians per pixel, as the turn
    static constexpr float framedPart = 2.0f / 3.0f;

    Ogre::Vector3 cameraVelocity = Ogre::Vector3::ZERO;

private:
    Ogre::Camera& camera();
    // The point of the model under the pointer (a voxel, else the ground), or false.
    bool pointUnderPointer(Ogre::Vector3& point);
    // The box around the voxels' cubes as shown (only the selected ones when a selection is
    // shown); false when there are none.
    bool modelBounds(Ogre::AxisAlignedBox& box, bool selectionOnly);

    EditorMode& editor; // back pointer
    bool dragging = false; // the middle button is held
    Ogre::Vector3 pivot = Ogre::Vector3::ZERO;
};
