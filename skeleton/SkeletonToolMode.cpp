#include "skeleton/SkeletonToolMode.h"

#include "app/Application.h"
#include "app/Graphics.h"
#include "app/Input.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "skeleton/Skeleton.h"
#include "skeleton/SkeletonEditing.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreCamera.h>
#include <OgreMovableObject.h>

#include <limits>

namespace
{
// A press and release closer than this (pixels) on one particle is a click, not a drag.
const float DRAG_PIXELS = 4.0f;
const float STICK_PICK_PIXELS = 8.0f;

Ogre::Vector3 pointerPixels(EditorMode& editor)
{
    if (editor.application && editor.application->input)
        return Ogre::Vector3(editor.application->input->mouseX, editor.application->input->mouseY,
                             0.0f);
    return Ogre::Vector3::ZERO;
}
} // namespace

int SkeletonToolMode::particleUnderPointer()
{
    Ogre::MovableObject* hit = nullptr;
    float distance = -1.0f;
    editor->pick(editor->getPointerRay(), QUERY_PARTICLE, hit, distance);
    if (!hit)
        return -1;
    const Ogre::Any& value = hit->getUserObjectBindings().getUserAny("particleIndex");
    const int* index = Ogre::any_cast<int>(&value);
    return index && *index < int(editor->skeleton->entries.size()) ? *index : -1;
}

int SkeletonToolMode::stickUnderPointer()
{
    Graphics* graphics = editor->getGraphics();
    const float width = float(graphics->getWindowWidth()), height = float(graphics->getWindowHeight());
    auto toPixels = [&](const Ogre::Vector3& point, bool& seen)
    {
        const Ogre::Vector3 screen = editor->projectToScreen(point);
        seen = screen != Ogre::Vector3::ZERO;
        return Ogre::Vector2((screen.x + 1.0f) * 0.5f * width, (1.0f - screen.y) * 0.5f * height);
    };
    const Ogre::Vector3 p3 = pointerPixels(*editor);
    const Ogre::Vector2 p(p3.x, p3.y);
    int best = -1;
    float bestDistance = STICK_PICK_PIXELS;
    const std::vector<Verlet::Stick*>& sticks = editor->skeleton->system->sticks;
    for (size_t i = 0; i < sticks.size(); ++i)
    {
        bool seenA = false, seenB = false;
        const Ogre::Vector2 a = toPixels(sticks[i]->a->position, seenA);
        const Ogre::Vector2 b = toPixels(sticks[i]->b->position, seenB);
        if (!seenA || !seenB)
            continue;
        const Ogre::Vector2 ab = b - a;
        const float length2 = ab.squaredLength();
        const float t = length2 > 0.0f ? std::min(std::max(ab.dotProduct(p - a) / length2, 0.0f), 1.0f)
                                       : 0.0f;
        const float distance = (p - (a + ab * t)).length();
        if (distance <= bestDistance)
            bestDistance = distance, best = int(i);
    }
    return best;
}

Ogre::Vector3 SkeletonToolMode::placeAtPointer()
{
    return editing.placeUnder(editor->getPointerRay(),
                              editor->getGraphics()->camera->getDerivedDirection());
}

void SkeletonToolMode::mousePressed(const OIS::MouseButtonID* button)
{
    if (*button == OIS::MB_Right)
    {
        pressed = false;
        const int particle = particleUnderPointer();
        if (particle >= 0)
            editing.removeParticle(particle);
        else if (int stick = stickUnderPointer(); stick >= 0)
            editing.removeStick(stick);
        return;
    }
    if (*button != OIS::MB_Left)
        return;
    pressed = true;
    pressedParticle = particleUnderPointer();
    pressPoint = pointerPixels(*editor);
}

void SkeletonToolMode::mouseReleased(const OIS::MouseButtonID* button)
{
    if (*button != OIS::MB_Left || !pressed)
        return;
    pressed = false;
    if (pressedParticle < 0)
    {
        editing.addParticle(placeAtPointer());
        return;
    }
    const int target = particleUnderPointer();
    const bool moved = pointerPixels(*editor).distance(pressPoint) >= DRAG_PIXELS;
    if (target >= 0 && target != pressedParticle)
    {
        if (!editing.addStick(pressedParticle, target))
            editing.chosen = target;
    }
    else if (target == pressedParticle || !moved)
        editing.chosen = pressedParticle;
    else
        editing.moveParticle(pressedParticle, placeAtPointer());
}
