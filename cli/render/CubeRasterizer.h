#pragma once

#include "formats/Picture.h"

#include <OgreVector.h>

#include <cstdint>
#include <vector>

// Draws voxels as the editor's 3D view shows them, in software, for pictures made without a
// display or a graphics card: upright unit cubes around their shown centres, each face in the
// voxel's colour lit by one directional light and the scene's ambient light (flat, per face),
// and the cubes' white outlines over them.
//
// Hidden surfaces go by a depth buffer of 1 / distance, which is linear across the screen.
// Faces are pushed back by their depth slope before they are stored, as the editor's "Box"
// material does with its depth bias, so that an outline lying on a face's edge is drawn over
// it, while one behind another cube is not. Back faces are culled; a face that touches a cube
// shown exactly one unit away is left out, and so is an outline edge that lies only between
// left-out faces.
class CubeRasterizer
{
public:
    struct Cube
    {
        Ogre::Vector3 centre = Ogre::Vector3::ZERO;
        uint8_t colour[3] = {255, 255, 255}; // red, green, blue
    };

    // A perspective camera: where it stands, its three axes (unit length) and its vertical
    // field of view. Points nearer than `nearClip` along `forward` are cut away.
    struct Camera
    {
        Ogre::Vector3 eye = Ogre::Vector3::ZERO;
        Ogre::Vector3 forward = Ogre::Vector3::NEGATIVE_UNIT_Z;
        Ogre::Vector3 up = Ogre::Vector3::UNIT_Y;
        Ogre::Vector3 right = Ogre::Vector3::UNIT_X;
        float fovY = 0.785398163f; // 45 degrees
        float nearClip = 1.0f;

        // A camera looking along `direction`, keeping world up (+Y) up, as the editor's camera
        // does with its fixed yaw axis.
        static Camera looking(const Ogre::Vector3& eye, const Ogre::Vector3& direction, float fovY);
    };

    struct Style
    {
        Ogre::Vector3 lightDirection = Ogre::Vector3(0.3f, -0.6f, -1.0f); // need not be unit
        float ambient = 0.7f;
        float diffuse = 1.0f;
        uint8_t background[4] = {204, 179, 153, 255}; // alpha 0 draws a transparent background
        bool outlines = true;
    };

    CubeRasterizer(const Camera& camera, int width, int height);

    // Where a world point lands in the picture, in pixels from the top left corner (pixel
    // centres at .5). False for a point nearer than the near clip distance.
    bool project(const Ogre::Vector3& point, float& x, float& y) const;

    // Draws the cubes into a new picture of the rasterizer's size.
    Picture draw(const std::vector<Cube>& cubes, const Style& style);

private:
    struct ScreenPoint
    {
        float x, y, inverseDepth;
    };

    Ogre::Vector3 toView(const Ogre::Vector3& point) const;
    ScreenPoint toScreen(const Ogre::Vector3& view) const;
    void drawPolygon(const Ogre::Vector3* corners, int count, const uint8_t* colour,
                     Picture& picture);
    void drawTriangle(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c,
                      const uint8_t* colour, Picture& picture);
    void drawLine(const Ogre::Vector3& from, const Ogre::Vector3& to, Picture& picture);

    Camera camera;
    int width;
    int height;
    float scale;              // pixels per unit of x / depth
    std::vector<float> depth; // 1 / distance of what each pixel shows, 0 for nothing
};
