#include "cli/render/CubeRasterizer.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace
{

// A shown centre on a 1/256 lattice: cubes shown exactly one unit apart meet there.
struct Key
{
    int64_t x, y, z;
    bool operator==(const Key& other) const { return x == other.x && y == other.y && z == other.z; }
};

struct KeyHash
{
    size_t operator()(const Key& key) const
    {
        return size_t(key.x * 73856093) ^ size_t(key.y * 19349663) ^ size_t(key.z * 83492791);
    }
};

Key keyOf(const Ogre::Vector3& centre)
{
    return {std::llround(double(centre.x) * 256.0), std::llround(double(centre.y) * 256.0),
            std::llround(double(centre.z) * 256.0)};
}

// The six faces as (axis, sign): +X, -X, +Y, -Y, +Z, -Z.
const int FACE_AXIS[6] = {0, 0, 1, 1, 2, 2};
const int FACE_SIGN[6] = {1, -1, 1, -1, 1, -1};

int faceOf(int axis, int sign) { return axis * 2 + (sign > 0 ? 0 : 1); }

// A line this little behind a face (a fraction of its depth) still counts as on the face.
const float LINE_DEPTH_TOLERANCE = 1.0e-5f;

} // namespace

CubeRasterizer::Camera CubeRasterizer::Camera::looking(const Ogre::Vector3& eye,
                                                       const Ogre::Vector3& direction, float fovY)
{
    Camera camera;
    camera.eye = eye;
    camera.forward = direction.normalisedCopy();
    Ogre::Vector3 right = camera.forward.crossProduct(Ogre::Vector3::UNIT_Y);
    if (right.squaredLength() < 1.0e-8f) // looking straight up or down
    {
        right = Ogre::Vector3::UNIT_X;
    }
    camera.right = right.normalisedCopy();
    camera.up = camera.right.crossProduct(camera.forward).normalisedCopy();
    camera.fovY = fovY;
    return camera;
}

CubeRasterizer::CubeRasterizer(const Camera& camera, int width, int height)
    : camera(camera), width(width), height(height),
      scale(float(height) * 0.5f / std::tan(camera.fovY * 0.5f))
{
}

Ogre::Vector3 CubeRasterizer::toView(const Ogre::Vector3& point) const
{
    const Ogre::Vector3 v = point - camera.eye;
    return {v.dotProduct(camera.right), v.dotProduct(camera.up), v.dotProduct(camera.forward)};
}

CubeRasterizer::ScreenPoint CubeRasterizer::toScreen(const Ogre::Vector3& view) const
{
    const float inverse = 1.0f / view.z;
    return {float(width) * 0.5f + scale * view.x * inverse,
            float(height) * 0.5f - scale * view.y * inverse, inverse};
}

bool CubeRasterizer::project(const Ogre::Vector3& point, float& x, float& y) const
{
    const Ogre::Vector3 view = toView(point);
    if (view.z < camera.nearClip)
    {
        return false;
    }
    const ScreenPoint screen = toScreen(view);
    x = screen.x;
    y = screen.y;
    return true;
}

Picture CubeRasterizer::draw(const std::vector<Cube>& cubes, const Style& style)
{
    Picture picture(width, height);
    const bool transparent = style.background[3] == 0;
    for (size_t i = 0; i < picture.rgba.size(); i += 4)
    {
        for (int k = 0; k < 4; ++k)
        {
            picture.rgba[i + k] = transparent ? 0 : style.background[k];
        }
    }
    depth.assign(size_t(width) * height, 0.0f);

    std::unordered_set<Key, KeyHash> shown;
    shown.reserve(cubes.size() * 2);
    for (const Cube& cube : cubes)
    {
        shown.insert(keyOf(cube.centre));
    }

    // Each face's light: the ambient light plus the diffuse light as the face turns to it.
    const Ogre::Vector3 towardLight = -style.lightDirection.normalisedCopy();
    float shade[6];
    for (int f = 0; f < 6; ++f)
    {
        Ogre::Vector3 normal = Ogre::Vector3::ZERO;
        normal[FACE_AXIS[f]] = float(FACE_SIGN[f]);
        shade[f] = style.ambient + style.diffuse * std::max(0.0f, normal.dotProduct(towardLight));
    }

    struct Edge
    {
        Ogre::Vector3 from, to;
    };
    std::vector<Edge> edges;
    for (const Cube& cube : cubes)
    {
        bool open[6];
        for (int f = 0; f < 6; ++f)
        {
            Ogre::Vector3 neighbour = cube.centre;
            neighbour[FACE_AXIS[f]] += float(FACE_SIGN[f]);
            open[f] = shown.count(keyOf(neighbour)) == 0;
        }
        for (int f = 0; f < 6; ++f)
        {
            const int axis = FACE_AXIS[f], sign = FACE_SIGN[f];
            // Front faces only: the eye is on the outer side of the face's plane.
            const float plane = cube.centre[axis] + 0.5f * float(sign);
            if (!open[f] || (camera.eye[axis] - plane) * float(sign) <= 0.0f)
            {
                continue;
            }
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            Ogre::Vector3 corners[4];
            const float du[4] = {-0.5f, 0.5f, 0.5f, -0.5f}, dv[4] = {-0.5f, -0.5f, 0.5f, 0.5f};
            for (int k = 0; k < 4; ++k)
            {
                corners[k] = cube.centre;
                corners[k][axis] = plane;
                corners[k][u] += du[k];
                corners[k][v] += dv[k];
            }
            uint8_t colour[3];
            for (int k = 0; k < 3; ++k)
            {
                const float lit = std::min(1.0f, float(cube.colour[k]) / 255.0f * shade[f]);
                colour[k] = uint8_t(std::lround(lit * 255.0f));
            }
            drawPolygon(corners, 4, colour, picture);
        }
        if (!style.outlines)
        {
            continue;
        }
        // An edge along `axis` at the signs (su, sv) of the other two axes lies between the
        // faces (u, su) and (v, sv).
        for (int axis = 0; axis < 3; ++axis)
        {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            for (int su = -1; su <= 1; su += 2)
            {
                for (int sv = -1; sv <= 1; sv += 2)
                {
                    if (!open[faceOf(u, su)] && !open[faceOf(v, sv)])
                    {
                        continue;
                    }
                    Edge edge{cube.centre, cube.centre};
                    edge.from[u] += 0.5f * float(su);
                    edge.from[v] += 0.5f * float(sv);
                    edge.to = edge.from;
                    edge.from[axis] -= 0.5f;
                    edge.to[axis] += 0.5f;
                    edges.push_back(edge);
                }
            }
        }
    }
    // Outlines after every face, so that a face drawn later cannot hide an edge in front of it.
    for (const Edge& edge : edges)
    {
        drawLine(edge.from, edge.to, picture);
    }
    return picture;
}

void CubeRasterizer::drawPolygon(const Ogre::Vector3* corners, int count, const uint8_t* colour,
                                 Picture& picture)
{
    // Cut at the near plane (one convex polygon stays convex), then fan into triangles.
    Ogre::Vector3 in[8], out[8];
    int kept = 0;
    for (int k = 0; k < count; ++k)
    {
        in[k] = toView(corners[k]);
    }
    for (int k = 0; k < count; ++k)
    {
        const Ogre::Vector3& a = in[k];
        const Ogre::Vector3& b = in[(k + 1) % count];
        const bool aIn = a.z >= camera.nearClip, bIn = b.z >= camera.nearClip;
        if (aIn)
        {
            out[kept++] = a;
        }
        if (aIn != bIn)
        {
            const float t = (camera.nearClip - a.z) / (b.z - a.z);
            out[kept++] = a + (b - a) * t;
        }
    }
    if (kept < 3)
    {
        return;
    }
    ScreenPoint screen[8];
    for (int k = 0; k < kept; ++k)
    {
        screen[k] = toScreen(out[k]);
    }
    for (int k = 1; k + 1 < kept; ++k)
    {
        drawTriangle(screen[0], screen[k], screen[k + 1], colour, picture);
    }
}

void CubeRasterizer::drawTriangle(const ScreenPoint& a, const ScreenPoint& b0,
                                  const ScreenPoint& c0, const uint8_t* colour, Picture& picture)
{
    float area = (b0.x - a.x) * (c0.y - a.y) - (b0.y - a.y) * (c0.x - a.x);
    if (area == 0.0f || !std::isfinite(area))
    {
        return;
    }
    const ScreenPoint& b = area > 0.0f ? b0 : c0;
    const ScreenPoint& c = area > 0.0f ? c0 : b0;
    area = std::fabs(area);

    const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, c.x}))));
    const int x1 = std::min(width - 1, int(std::ceil(std::max({a.x, b.x, c.x}))));
    const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, c.y}))));
    const int y1 = std::min(height - 1, int(std::ceil(std::max({a.y, b.y, c.y}))));
    if (x0 > x1 || y0 > y1)
    {
        return;
    }

    // Depth as a plane over the screen, and its steepest slope per pixel for the bias.
    const float dzdx = ((b.inverseDepth - a.inverseDepth) * (c.y - a.y) -
                        (c.inverseDepth - a.inverseDepth) * (b.y - a.y)) /
                       area;
    const float dzdy = ((c.inverseDepth - a.inverseDepth) * (b.x - a.x) -
                        (b.inverseDepth - a.inverseDepth) * (c.x - a.x)) /
                       area;
    const float bias =
        std::max(std::fabs(dzdx), std::fabs(dzdy)) +
        LINE_DEPTH_TOLERANCE * std::max({a.inverseDepth, b.inverseDepth, c.inverseDepth});

    for (int y = y0; y <= y1; ++y)
    {
        const float py = float(y) + 0.5f;
        for (int x = x0; x <= x1; ++x)
        {
            const float px = float(x) + 0.5f;
            // Twice the areas of the sub-triangles opposite each corner.
            const float wa = (b.x - px) * (c.y - py) - (b.y - py) * (c.x - px);
            const float wb = (c.x - px) * (a.y - py) - (c.y - py) * (a.x - px);
            const float wc = (a.x - px) * (b.y - py) - (a.y - py) * (b.x - px);
            if (wa < 0.0f || wb < 0.0f || wc < 0.0f)
            {
                continue;
            }
            const float z =
                (wa * a.inverseDepth + wb * b.inverseDepth + wc * c.inverseDepth) / area - bias;
            float& stored = depth[size_t(y) * width + x];
            if (z <= stored)
            {
                continue;
            }
            stored = z;
            uint8_t* pixel = picture.pixel(x, y);
            pixel[0] = colour[0];
            pixel[1] = colour[1];
            pixel[2] = colour[2];
            pixel[3] = 255;
        }
    }
}

void CubeRasterizer::drawLine(const Ogre::Vector3& from, const Ogre::Vector3& to, Picture& picture)
{
    Ogre::Vector3 a = toView(from), b = toView(to);
    if (a.z < camera.nearClip && b.z < camera.nearClip)
    {
        return;
    }
    if (a.z < camera.nearClip || b.z < camera.nearClip)
    {
        const float t = (camera.nearClip - a.z) / (b.z - a.z);
        (a.z < camera.nearClip ? a : b) = a + (b - a) * t;
    }
    const ScreenPoint p = toScreen(a), q = toScreen(b);
    const float dx = q.x - p.x, dy = q.y - p.y;
    if (!std::isfinite(dx) || !std::isfinite(dy))
    {
        return;
    }
    // One pixel per step along the longer screen axis, sampled at the middle of each step.
    const int steps = std::max(1, int(std::ceil(std::max(std::fabs(dx), std::fabs(dy)))));
    for (int i = 0; i < steps; ++i)
    {
        const float t = (float(i) + 0.5f) / float(steps);
        const int x = int(std::floor(p.x + dx * t));
        const int y = int(std::floor(p.y + dy * t));
        if (x < 0 || y < 0 || x >= width || y >= height)
        {
            continue;
        }
        const float z = p.inverseDepth + (q.inverseDepth - p.inverseDepth) * t;
        float& stored = depth[size_t(y) * width + x];
        if (z < stored)
        {
            continue;
        }
        uint8_t* pixel = picture.pixel(x, y);
        pixel[0] = pixel[1] = pixel[2] = pixel[3] = 255;
    }
}
