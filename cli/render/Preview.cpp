#include "cli/render/Preview.h"

#include "skeleton/Animation.h"
#include "skeleton/ModelDocument.h"

#include <OgreQuaternion.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace
{

const float EDITOR_FIELD_OF_VIEW = 0.785398163f; // 45 degrees, as the editor's camera
const float FITTED_FIELD_OF_VIEW = 0.523598776f; // 30 degrees: less bulge on a close camera
const float FILLED = 0.9f;                       // the framed model keeps 5 % free at each side
const Ogre::Vector3 EDITOR_EYE(0.0f, 15.0f, 70.0f);

Ogre::Vector3 forwardOf(Preview::View view)
{
    switch (view)
    {
    case Preview::View::Back:
        return Ogre::Vector3::UNIT_Z;
    case Preview::View::Left:
        return Ogre::Vector3::UNIT_X;
    case Preview::View::Right:
        return Ogre::Vector3::NEGATIVE_UNIT_X;
    case Preview::View::Iso:
        return Ogre::Vector3(-1.0f, -1.0f, -1.0f).normalisedCopy();
    default: // front and editor
        return Ogre::Vector3::NEGATIVE_UNIT_Z;
    }
}

Ogre::Quaternion turnOf(const Preview::Frame& frame)
{
    return Ogre::Quaternion(Ogre::Radian(-frame.angle), Ogre::Vector3::UNIT_Y);
}

} // namespace

float Preview::lengthOf(const Animation& animation)
{
    if (animation.end > 0.0f || animation.frames.empty())
    {
        return std::max(0.0f, animation.end);
    }
    return std::max(0.0f, animation.frames.rbegin()->first);
}

double Preview::playingTimeOf(const Animation& animation)
{
    const float speed = (animation.speedMin + animation.speedMax) * 0.5f;
    return double(lengthOf(animation)) / (speed > 0.0f ? double(speed) : 1.0);
}

std::vector<Preview::Frame> Preview::still(float time)
{
    Frame frame;
    frame.time = time;
    return {frame};
}

std::vector<Preview::Frame> Preview::loop(const Animation& animation, float fps)
{
    const double playing = playingTimeOf(animation);
    const double wanted = std::max(1.0, std::round(playing * double(fps)));
    const size_t count = size_t(std::min(wanted, double(MOST_FRAMES) + 1.0));
    const double step = playing > 0.0 ? playing / double(count) : 1.0 / double(fps);
    std::vector<Frame> frames(count);
    for (size_t k = 0; k < count; ++k)
    {
        frames[k].time = float(double(lengthOf(animation)) * double(k) / double(count));
        frames[k].start = step * double(k);
        frames[k].duration = step;
    }
    return frames;
}

std::vector<Preview::Frame> Preview::turntable(int steps, const Animation* animation, float fps)
{
    const size_t count = size_t(std::max(1, steps));
    const double playing = animation ? playingTimeOf(*animation) : 0.0;
    const double step = playing > 0.0 ? playing / double(count) : 1.0 / double(fps);
    std::vector<Frame> frames(count);
    for (size_t k = 0; k < count; ++k)
    {
        const double part = double(k) / double(count);
        frames[k].time = animation ? float(double(lengthOf(*animation)) * part) : 0.0f;
        frames[k].angle = float(2.0 * M_PI * part);
        frames[k].start = step * double(k);
        frames[k].duration = step;
    }
    return frames;
}

Preview::Preview(const ModelDocument& document, View view, int width, int height)
    : view(view), pictureWidth(width), pictureHeight(height), posed(document)
{
    cubes.resize(document.voxels.size());
    for (size_t i = 0; i < cubes.size(); ++i)
    {
        // As the engine turns a colour into vertex bytes.
        const Ogre::ColourValue colour = document.voxels[i].colour.saturateCopy();
        cubes[i].colour[0] = uint8_t(colour.r * 255.0f);
        cubes[i].colour[1] = uint8_t(colour.g * 255.0f);
        cubes[i].colour[2] = uint8_t(colour.b * 255.0f);
    }
    fit(still(0.0f));
}

Preview::~Preview() = default;

void Preview::setAnimation(const Animation* chosen, const std::string& name,
                           std::vector<std::string>& warnings)
{
    animation.reset();
    if (!chosen)
    {
        return;
    }
    animation = std::make_unique<Animation>(*chosen);
    for (auto frame = animation->frames.begin(); frame != animation->frames.end();)
    {
        if (frame->second.size() == posed.particleCount())
        {
            ++frame;
            continue;
        }
        std::ostringstream text;
        text << name << ": the key frame at " << frame->first << " s has " << frame->second.size()
             << " positions, but the model has " << posed.particleCount()
             << " particles; it is left out";
        warnings.push_back(text.str());
        frame = animation->frames.erase(frame);
    }
}

std::vector<Ogre::Vector3> Preview::centres(const Frame& frame)
{
    if (!animation)
    {
        return posed.rest();
    }
    std::vector<Ogre::Vector3> result;
    posed.posed(*animation, frame.time, result);
    return result;
}

void Preview::fit(const std::vector<Frame>& frames)
{
    // Each frame's box around its cubes, and the box around them all.
    std::vector<Ogre::AxisAlignedBox> boxes;
    Ogre::AxisAlignedBox all;
    for (const Frame& frame : frames)
    {
        Ogre::AxisAlignedBox box;
        for (const Ogre::Vector3& centre : centres(frame))
        {
            box.merge(centre - Ogre::Vector3(0.5f));
            box.merge(centre + Ogre::Vector3(0.5f));
        }
        if (box.isNull())
        {
            box.setExtents(Ogre::Vector3(-0.5f), Ogre::Vector3(0.5f));
        }
        boxes.push_back(box);
        all.merge(box);
    }
    pivot = all.getCenter();
    if (view == View::Editor)
    {
        return;
    }

    // The nearest camera, looking along its line through the pivot (moved across the view by
    // `shift`), that has each box's corners within the filled part of the picture: for a corner
    // at (x, y) across the view and z along it, from that line, the camera must stand at a
    // distance d with |x| <= (d + z) tan(half width). Twice the model's picture is then moved
    // to the middle (a model seen from a corner reaches farther to one side) and the distance
    // found again.
    const float tanY = std::tan(FITTED_FIELD_OF_VIEW * 0.5f) * FILLED;
    const float tanX = tanY * float(pictureWidth) / float(pictureHeight);
    const auto fitted = [&](float& lowX, float& highX, float& lowY, float& highY)
    {
        float needed = 1.0f;
        std::vector<Ogre::Vector3> inView;
        for (size_t k = 0; k < frames.size(); ++k)
        {
            const CubeRasterizer::Camera camera =
                CubeRasterizer::Camera::looking(pivot, turnOf(frames[k]) * forwardOf(view), 0.0f);
            for (int corner = 0; corner < 8; ++corner)
            {
                const Ogre::Vector3 point =
                    boxes[k].getCorner(Ogre::AxisAlignedBox::CornerEnum(corner)) - pivot;
                const Ogre::Vector3 v(point.dotProduct(camera.right) - shift.x,
                                      point.dotProduct(camera.up) - shift.y,
                                      point.dotProduct(camera.forward));
                needed = std::max({needed, std::fabs(v.x) / tanX - v.z, std::fabs(v.y) / tanY - v.z,
                                   camera.nearClip + 0.5f - v.z});
                inView.push_back(v);
            }
        }
        lowX = lowY = std::numeric_limits<float>::max();
        highX = highY = std::numeric_limits<float>::lowest();
        for (const Ogre::Vector3& v : inView)
        {
            lowX = std::min(lowX, v.x / (needed + v.z));
            highX = std::max(highX, v.x / (needed + v.z));
            lowY = std::min(lowY, v.y / (needed + v.z));
            highY = std::max(highY, v.y / (needed + v.z));
        }
        return needed;
    };
    shift = Ogre::Vector2::ZERO;
    float lowX, highX, lowY, highY;
    for (int pass = 0; pass < 2; ++pass)
    {
        const float needed = fitted(lowX, highX, lowY, highY);
        shift.x += needed * (lowX + highX) * 0.5f;
        shift.y += needed * (lowY + highY) * 0.5f;
    }
    distance = fitted(lowX, highX, lowY, highY);
}

CubeRasterizer::Camera Preview::cameraOf(const Frame& frame) const
{
    const Ogre::Quaternion turn = turnOf(frame);
    if (view == View::Editor)
    {
        // The camera goes round the model's vertical axis; unturned it is the editor's.
        return CubeRasterizer::Camera::looking(pivot + turn * (EDITOR_EYE - pivot),
                                               turn * forwardOf(view), EDITOR_FIELD_OF_VIEW);
    }
    const Ogre::Vector3 forward = turn * forwardOf(view);
    CubeRasterizer::Camera camera =
        CubeRasterizer::Camera::looking(pivot - forward * distance, forward, FITTED_FIELD_OF_VIEW);
    camera.eye += camera.right * shift.x + camera.up * shift.y;
    return camera;
}

Picture Preview::draw(const Frame& frame, const CubeRasterizer::Style& style)
{
    const std::vector<Ogre::Vector3> shown = centres(frame);
    for (size_t i = 0; i < cubes.size(); ++i)
    {
        cubes[i].centre = shown[i];
    }
    // The light stays with the camera while the model turns under it.
    CubeRasterizer::Style turned = style;
    turned.lightDirection = turnOf(frame) * style.lightDirection;
    CubeRasterizer rasterizer(cameraOf(frame), pictureWidth, pictureHeight);
    return rasterizer.draw(cubes, turned);
}
