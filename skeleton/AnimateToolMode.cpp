#include "skeleton/AnimateToolMode.h"

#include "app/Graphics.h"
#include "app/Log.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/SelectorRectangle.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Animation.h"
#include "skeleton/PoseMirror.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreCamera.h>
#include <OgreMath.h>
#include <OgreMovableObject.h>
#include <OgreRay.h>
#include <OgreUserObjectBindings.h>

#include <algorithm>
#include <string>

AnimateToolMode::~AnimateToolMode()
{
    // Torn down in the middle of a drag (a view switch or a save while the button is held):
    // the held particles must not keep their zero inverse mass, or the model file would
    // record them as immovable.
    if (!savedInvMass.empty() && editor && editor->skeleton)
    {
        restoreInvMass();
        editor->setSkeletonSimulating(false);
    }
    destroyRectangle();
    if (editor && editor->skeleton && !selected.empty())
        editor->skeletonDisplay.setChosen({});
}

bool AnimateToolMode::inAnimateView() const
{
    return editor->viewMode && editor->viewMode->name == "AnimateView";
}

void AnimateToolMode::mousePressed(const OIS::MouseButtonID*)
{
    // The tool reads the animate view's time and animation; elsewhere it has nothing to pose.
    if (!inAnimateView())
    {
        return;
    }
    // A second button while the first is still down (during a drag or while the rectangle
    // is drawn) would otherwise leave particles held with no release to give them back.
    if (dragged || state == DrawingRectangle)
    {
        return;
    }
    if (state == Selection && tryStartDrag())
    {
        return;
    }
    if (state == NothingSelected)
    {
        Ogre::Vector3 pointer = editor->getPointerScreenPosition();
        rectangleStart = Ogre::Vector3(pointer.x, pointer.y, 0.0f);
        destroyRectangle();
        rectangle = new SelectorRectangle(editor, rectangleStart);
        state = DrawingRectangle;
    }
}

bool AnimateToolMode::tryStartDrag()
{
    Ogre::MovableObject* hitObject = nullptr;
    float hitDistance = -1.0f;
    editor->pick(editor->getPointerRay(), QUERY_PARTICLE, hitObject, hitDistance);
    if (!hitObject)
    {
        // A press beside every particle drops the selection and begins a new rectangle.
        destroyRectangle();
        selected.clear();
        editor->skeletonDisplay.setChosen(selected);
        state = NothingSelected;
        dragged = nullptr;
        return false;
    }

    const Ogre::Any& value = hitObject->getUserObjectBindings().getUserAny("particleIndex");
    const int* index = Ogre::any_cast<int>(&value);
    std::vector<Verlet::Particle*>& particles = editor->skeleton->system->particles;
    if (!index)
    {
        writeLog("ERROR, particle object " + hitObject->getName() + " has no particle index");
        return true;
    }
    if (*index < 0)
    {
        return true;
    }
    if (static_cast<size_t>(*index) >= particles.size())
    {
        writeLog("ERROR, particle index " + std::to_string(*index) + " out of range, " +
                 std::to_string(particles.size()) + " particles");
        return true;
    }

    dragged = particles[*index];
    Ogre::Vector3 facing = -editor->getGraphics()->camera->getDerivedDirection();
    dragPlane = Ogre::Plane(facing, dragged->position);
    for (Verlet::Particle* particle : particles)
    {
        savedInvMass.push_back(particle->invMass);
        bool free = particle == dragged ||
                    std::find(selected.begin(), selected.end(), particle) != selected.end();
        if (!free)
        {
            particle->invMass = 0.0f;
        }
    }
    editor->setSkeletonSimulating(true);
    destroyRectangle();
    return true;
}

void AnimateToolMode::mouseHeld(const OIS::MouseButtonID*)
{
    if (state == DrawingRectangle)
    {
        Ogre::Vector3 pointer = editor->getPointerScreenPosition();
        rectangleEnd = Ogre::Vector3(pointer.x, pointer.y, 0.0f);
        if (rectangle)
        {
            rectangle->update(rectangleEnd);
        }
    }
    else if (dragged)
    {
        Ogre::Ray ray = editor->getPointerRay();
        std::pair<bool, Ogre::Real> hit = Ogre::Math::intersects(ray, dragPlane);
        if (hit.first)
        {
            // Placed rather than pushed: the particle carries no velocity of its own.
            Ogre::Vector3 point = ray.getOrigin() + ray.getDirection() * hit.second;
            dragged->position = point;
            dragged->oldPosition = point;
        }
    }
}

void AnimateToolMode::mouseReleased(const OIS::MouseButtonID*)
{
    if (state == DrawingRectangle)
    {
        finishRectangle();
    }
    else if (dragged)
    {
        finishDrag();
    }
}

void AnimateToolMode::finishRectangle()
{
    Ogre::Vector3 pointer = editor->getPointerScreenPosition();
    rectangleEnd = Ogre::Vector3(pointer.x, pointer.y, 0.0f);
    if (rectangleStart.x > rectangleEnd.x)
    {
        std::swap(rectangleStart.x, rectangleEnd.x);
    }
    if (rectangleStart.y > rectangleEnd.y)
    {
        std::swap(rectangleStart.y, rectangleEnd.y);
    }
    for (Verlet::Particle* particle : editor->skeleton->system->particles)
    {
        Ogre::Vector3 p = editor->projectToScreen(particle->position);
        if (rectangleStart.x < p.x && p.x < rectangleEnd.x && rectangleStart.y < p.y &&
            p.y < rectangleEnd.y)
        {
            selected.push_back(particle);
        }
    }
    editor->skeletonDisplay.setChosen(selected);
    if (selected.empty())
    {
        destroyRectangle();
        state = NothingSelected;
        dragged = nullptr;
        return;
    }
    // The rectangle stays on screen until the next press, showing what was chosen.
    state = Selection;
}

void AnimateToolMode::finishDrag()
{
    editor->skeleton->system->update(0.01f);
    restoreInvMass();
    editor->setSkeletonSimulating(false);
    storePose();
    dragged = nullptr;
}

void AnimateToolMode::restoreInvMass()
{
    std::vector<Verlet::Particle*>& particles = editor->skeleton->system->particles;
    size_t count = std::min(particles.size(), savedInvMass.size());
    for (size_t i = 0; i < count; ++i)
    {
        particles[i]->invMass = savedInvMass[i];
    }
    savedInvMass.clear();
}

void AnimateToolMode::storePose()
{
    auto* view = dynamic_cast<AnimateViewMode*>(editor->viewMode);
    if (!view)
    {
        return;
    }
    Animation* animation = editor->getAnimation(view->currentAnimation);
    if (!animation)
    {
        return;
    }
    std::vector<Ogre::Vector3> pose;
    for (Verlet::Particle* particle : editor->skeleton->system->particles)
    {
        pose.push_back(editor->toModelSpace(particle->position));
    }
    editor->setKeyFrame(view->currentAnimation, view->currentTime, pose);
}

void AnimateToolMode::copy()
{
    std::vector<Verlet::Particle*>& particles = editor->skeleton->system->particles;
    int copied = 0;
    for (Verlet::Particle* particle : selected)
    {
        auto found = std::find(particles.begin(), particles.end(), particle);
        if (found != particles.end())
        {
            clipboard.push_back({static_cast<int32_t>(found - particles.begin()),
                                 editor->toModelSpace(particle->position)});
            ++copied;
        }
    }
    editor->showNote(particleCountNote("Copied", copied));
}

std::string AnimateToolMode::particleCountNote(const std::string& verb, int count)
{
    return verb + " " + std::to_string(count) + (count == 1 ? " particle" : " particles");
}

void AnimateToolMode::paste() { pasteEntries(false); }

void AnimateToolMode::pasteMirrored() { pasteEntries(true); }

void AnimateToolMode::pasteEntries(bool mirrored)
{
    auto* view = dynamic_cast<AnimateViewMode*>(editor->viewMode);
    if (!view)
    {
        return;
    }
    Animation* animation = editor->getAnimation(view->currentAnimation);
    if (!animation)
    {
        return;
    }
    std::vector<Ogre::Vector3>* frame = animation->findFrame(view->currentTime);
    if (!frame)
    {
        editor->showNote("Nothing pasted: no key frame at this time");
        return;
    }
    int pastedCount = 0;
    std::vector<int> partners;
    if (mirrored)
    {
        partners = PoseMirror::partners(*editor->skeleton);
        if (!PoseMirror::hasPairs(partners))
        {
            editor->showNote(PoseMirror::NO_PAIRS_NOTE);
        }
    }
    std::vector<Ogre::Vector3> pasted = *frame;
    for (const ClipboardEntry& entry : clipboard)
    {
        int32_t index = entry.particleIndex;
        Ogre::Vector3 position = entry.position;
        if (mirrored)
        {
            // Copied positions are in model space, where the mirror plane is x = 0.
            if (index >= 0 && static_cast<size_t>(index) < partners.size())
            {
                index = partners[static_cast<size_t>(index)];
            }
            position = PoseMirror::reflect(position);
        }
        // Copied from a skeleton with more particles than this frame holds (a frame read from
        // a file): skip the entry rather than lose the session.
        if (index < 0 || static_cast<size_t>(index) >= pasted.size())
        {
            writeLog("ERROR, paste skips particle " + std::to_string(index) + ", the frame holds " +
                     std::to_string(pasted.size()) + " positions");
            continue;
        }
        pasted[index] = position;
        ++pastedCount;
    }
    editor->setKeyFrame(view->currentAnimation, view->currentTime, pasted);
    editor->showNote(particleCountNote(mirrored ? "Pasted mirrored" : "Pasted", pastedCount));

    std::vector<Ogre::Vector3> pose;
    animation->samplePose(view->currentTime, pose);
    if (pose.size() != editor->skeleton->system->particles.size())
    {
        writeLog("ERROR, pasted frame holds " + std::to_string(pose.size()) + " positions for " +
                 std::to_string(editor->skeleton->system->particles.size()) +
                 " particles; not shown");
        return;
    }
    editor->applyPose(pose);
}

void AnimateToolMode::destroyRectangle()
{
    delete rectangle;
    rectangle = nullptr;
}
