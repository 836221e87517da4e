#include "cli/render/CubeRasterizer.h"

#include <gtest/gtest.h>

#include <cmath>

using Ogre::Vector3;

namespace
{

const int SIZE = 200;

CubeRasterizer::Cube cube(const Vector3& centre, uint8_t r, uint8_t g, uint8_t b)
{
    CubeRasterizer::Cube result;
    result.centre = centre;
    result.colour[0] = r;
    result.colour[1] = g;
    result.colour[2] = b;
    return result;
}

// The pixel under a world point.
const uint8_t* at(const Picture& picture, const CubeRasterizer& rasterizer, const Vector3& point)
{
    float x = 0, y = 0;
    EXPECT_TRUE(rasterizer.project(point, x, y));
    return picture.pixel(int(std::floor(x)), int(std::floor(y)));
}

bool isWhite(const uint8_t* pixel) { return pixel[0] == 255 && pixel[1] == 255 && pixel[2] == 255; }

} // namespace

// One grey cube seen from the front, the right and above: each face in its own light as the
// editor lights it (ambient 0.7 plus the light (0.3, -0.6, -1) as the face turns to it, clamped),
// the edges white, the background around it; without outlines the edges take the faces'
// colours, and a transparent background is transparent outside the cube only.
TEST(CubeRasterizer, FacesAreLitAsTheEditorLightsThemAndOutlinedInWhite)
{
    CubeRasterizer rasterizer(
        CubeRasterizer::Camera::looking(Vector3(3, 4, 6), Vector3(-3, -4, -6), 0.785398f), SIZE,
        SIZE);
    CubeRasterizer::Style style;
    const Picture picture = rasterizer.draw({cube(Vector3::ZERO, 100, 100, 100)}, style);

    // 100 / 255 times 1.530 (+Z, clamped channel by channel), 1.198 (+Y), 0.7 (+X).
    const uint8_t* front = at(picture, rasterizer, Vector3(0, 0, 0.5f));
    const uint8_t* top = at(picture, rasterizer, Vector3(0, 0.5f, 0));
    const uint8_t* side = at(picture, rasterizer, Vector3(0.5f, 0, 0));
    EXPECT_NEAR(front[0], 153, 1);
    EXPECT_NEAR(top[0], 120, 1);
    EXPECT_NEAR(side[0], 70, 1);
    EXPECT_EQ(front[3], 255);
    EXPECT_TRUE(isWhite(at(picture, rasterizer, Vector3(0, 0.5f, 0.5f))));
    EXPECT_TRUE(isWhite(at(picture, rasterizer, Vector3(0.5f, 0.1f, 0.5f))));
    const uint8_t* corner = picture.pixel(0, 0);
    EXPECT_EQ(corner[0], 204);
    EXPECT_EQ(corner[1], 179);
    EXPECT_EQ(corner[2], 153);
    EXPECT_EQ(corner[3], 255);

    // A bright colour saturates on the face that meets the light.
    const Picture bright = rasterizer.draw({cube(Vector3::ZERO, 250, 40, 0)}, style);
    const uint8_t* lit = at(bright, rasterizer, Vector3(0, 0, 0.5f));
    EXPECT_EQ(lit[0], 255);
    EXPECT_NEAR(lit[1], 61, 1);
    EXPECT_EQ(lit[2], 0);

    style.outlines = false;
    style.background[3] = 0;
    const Picture plain = rasterizer.draw({cube(Vector3::ZERO, 100, 100, 100)}, style);
    size_t white = 0, opaque = 0, covered = 0;
    for (int y = 0; y < SIZE; ++y)
        for (int x = 0; x < SIZE; ++x)
        {
            white += isWhite(plain.pixel(x, y));
            opaque += plain.pixel(x, y)[3] == 255;
            covered += picture.pixel(x, y)[0] != 204;
            EXPECT_TRUE(plain.pixel(x, y)[3] == 0 || plain.pixel(x, y)[3] == 255);
        }
    EXPECT_EQ(white, 0u);
    EXPECT_GT(opaque, 1000u);
    EXPECT_LE(opaque, covered); // the outlines reach a little beyond the faces
    EXPECT_EQ(plain.pixel(0, 0)[3], 0);
}

// A red cube in front of a larger blue wall: the wall's faces and outlines behind the red
// cube never show through it, and the front edge two touching wall cubes share is drawn, as
// the editor draws the grid of a flat wall.
TEST(CubeRasterizer, NearerCubesHideFartherFacesAndOutlines)
{
    CubeRasterizer rasterizer(
        CubeRasterizer::Camera::looking(Vector3(0.3f, 0.2f, 8), Vector3(0, 0, -1), 0.785398f), SIZE,
        SIZE);
    std::vector<CubeRasterizer::Cube> cubes = {cube(Vector3::ZERO, 200, 0, 0)};
    for (int x = -3; x <= 3; ++x)
        for (int y = -3; y <= 3; ++y)
            cubes.push_back(cube(Vector3(float(x), float(y), -4), 0, 0, 200));
    const Picture picture = rasterizer.draw(cubes, CubeRasterizer::Style());

    float left, top, right, bottom;
    ASSERT_TRUE(rasterizer.project(Vector3(-0.5f, 0.5f, 0.5f), left, top));
    ASSERT_TRUE(rasterizer.project(Vector3(0.5f, -0.5f, 0.5f), right, bottom));
    // Inside the red front face, two pixels in from its edges: only red.
    for (int y = int(top) + 2; y < int(bottom) - 2; ++y)
        for (int x = int(left) + 2; x < int(right) - 2; ++x)
        {
            const uint8_t* pixel = picture.pixel(x, y);
            EXPECT_TRUE(pixel[0] > 200 && pixel[2] == 0) << x << ", " << y;
        }
    // The wall's shared edge between the cubes at x = 2 and 3, away from the red cube.
    EXPECT_TRUE(isWhite(at(picture, rasterizer, Vector3(2.5f, 2.2f, -3.5f))));
    EXPECT_EQ(at(picture, rasterizer, Vector3(2.0f, 2.2f, -3.5f))[2], 255);
}

// A row of cubes from behind the eye to far in front of it: what is behind or too near is cut
// away, the rest is drawn, and nothing reaches outside the picture.
TEST(CubeRasterizer, CubesBehindAndThroughTheNearPlaneAreCut)
{
    CubeRasterizer rasterizer(
        CubeRasterizer::Camera::looking(Vector3(0, 0, 0), Vector3(0, 0, -1), 0.785398f), SIZE,
        SIZE / 2);
    std::vector<CubeRasterizer::Cube> row;
    for (int z = -20; z <= 20; ++z)
        row.push_back(cube(Vector3(1.2f, -0.2f, float(z)), 0, 200, 0));
    const Picture picture = rasterizer.draw(row, CubeRasterizer::Style());
    size_t green = 0;
    for (int y = 0; y < SIZE / 2; ++y)
        for (int x = 0; x < SIZE; ++x)
            green += picture.pixel(x, y)[1] > picture.pixel(x, y)[0];
    EXPECT_GT(green, 500u);
    // Only what lies behind the eye would reach the left half (x < 0 in the view is empty).
    for (int y = 0; y < SIZE / 2; ++y)
        EXPECT_EQ(picture.pixel(10, y)[0], 204) << y;

    float x, y;
    EXPECT_FALSE(rasterizer.project(Vector3(0, 0, 5), x, y));
    EXPECT_FALSE(rasterizer.project(Vector3(0, 0, -0.5f), x, y));
}
