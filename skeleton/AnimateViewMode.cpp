#include "skeleton/AnimateViewMode.h"

#include "app/Log.h"
#include "editor/EditorMode.h"
#include "menu/AnimMenuView.h"
#include "menu/MenuSystem.h"
#include "skeleton/Animation.h"
#include "skeleton/PoseMirror.h"
#include "skeleton/Skeleton.h"

#include <OIS/OISKeyboard.h>

#include <exception>
#include <string>

AnimateViewMode::~AnimateViewMode()
{
    detachFromMenu();
    if (!editor)
        return;
    if (std::vector<Ogre::Vector3>* restPose = editor->baseAnimation.findFrame(0.0f))
        showPose(std::vector<Ogre::Vector3>(*restPose));
}

void AnimateViewMode::activate()
{
    attachToMenu();
    if (editor->animations.empty())
        editor->appendBaseAnimationCopy();
    currentTime = 0.0f;
    currentAnimation = 0;
    showCurrentPose();
    refreshMenu(true);
}

bool AnimateViewMode::keyPressed(const KeyEvent& event)
{
    // A drag stores its pose at the time shown when it ends: changing the time or the animation
    // under it would write the pose into another key frame.
    const bool timeOrAnimationKey = event.key == OIS::KC_UP || event.key == OIS::KC_DOWN ||
                                    event.key == OIS::KC_LEFT || event.key == OIS::KC_RIGHT;
    if (timeOrAnimationKey && editor->mouseButtonDown)
        return true;
    if (editor->isKeyDown(OIS::KC_LCONTROL))
    {
        if (event.key == OIS::KC_DOWN)
        {
            editor->appendBaseAnimationCopy();
            selectAnimation(int(editor->animations.size()) - 1);
        }
        return true;
    }

    switch (event.key)
    {
    case OIS::KC_UP:
        selectAnimation(currentAnimation - 1);
        break;
    case OIS::KC_DOWN:
        selectAnimation(currentAnimation + 1);
        break;
    case OIS::KC_LEFT:
    case OIS::KC_RIGHT:
        if (Animation* animation = editor->getAnimation(currentAnimation))
        {
            float t = animation->adjacentKeyTime(event.key == OIS::KC_LEFT, currentTime);
            if (t >= 0.0f)
                setTime(t);
        }
        break;
    case OIS::KC_DELETE:
        resetFrameToRestPose();
        break;
    case OIS::KC_F:
        mirrorFrame();
        break;
    default:
        break;
    }
    return true;
}

void AnimateViewMode::setTime(float t)
{
    currentTime = t;
    refreshMenu(false);
    showCurrentPose();
}

void AnimateViewMode::showCurrentPose()
{
    Animation* animation = editor->getAnimation(currentAnimation);
    if (!animation)
        return;
    try
    {
        std::vector<Ogre::Vector3> pose;
        animation->samplePose(currentTime, pose);
        editor->applyPose(pose);
    }
    catch (const std::exception& error)
    {
        writeLog(std::string("ERROR, ") + error.what());
    }
}

void AnimateViewMode::selectAnimation(int index)
{
    if (index < 0 || size_t(index) >= editor->animations.size())
        return;
    currentAnimation = index;
    currentTime = 0.0f;
    showCurrentPose();
    refreshMenu(true);
}

void AnimateViewMode::resetFrameToRestPose()
{
    Animation* animation = editor->getAnimation(currentAnimation);
    if (!animation)
        return;
    std::vector<Ogre::Vector3>* frame = animation->findFrame(currentTime);
    std::vector<Ogre::Vector3>* restPose = editor->baseAnimation.findFrame(0.0f);
    if (!frame || !restPose)
        return;
    editor->setKeyFrame(currentAnimation, currentTime, *restPose);
    showPose(std::vector<Ogre::Vector3>(*restPose));
}

void AnimateViewMode::mirrorFrame()
{
    Animation* animation = editor->getAnimation(currentAnimation);
    if (!animation)
        return;
    // As a paste: only into a key frame at the current time.
    std::vector<Ogre::Vector3>* frame = animation->findFrame(currentTime);
    if (!frame)
        return;
    const std::vector<int> partners = PoseMirror::partners(*editor->skeleton);
    if (!PoseMirror::hasPairs(partners))
        editor->showNote(PoseMirror::NO_PAIRS_NOTE);
    if (frame->size() != partners.size())
        writeLog("ERROR, mirror of a frame holding " + std::to_string(frame->size()) +
                 " positions for " + std::to_string(partners.size()) +
                 " particles skips the entries it has no place for");
    editor->setKeyFrame(currentAnimation, currentTime, PoseMirror::mirror(*frame, partners));
    showCurrentPose();
}

void AnimateViewMode::refresh()
{
    const int count = int(editor->animations.size());
    if (currentAnimation >= count && count > 0)
    {
        currentAnimation = count - 1;
        currentTime = 0.0f;
    }
    showCurrentPose();
    refreshMenu(true);
}

void AnimateViewMode::advancePlayback(float dt)
{
    Animation* animation = editor->getAnimation(currentAnimation);
    if (!animation)
        return;
    float t = currentTime + animation->speedMin * dt;
    if (t > animation->end)
    {
        t -= animation->end;
        if (t > animation->end)
            t = animation->end;
    }
    setTime(t);
}

void AnimateViewMode::showPose(const std::vector<Ogre::Vector3>& pose)
{
    try
    {
        editor->applyPose(pose);
    }
    catch (const std::exception& error)
    {
        writeLog(std::string("ERROR, ") + error.what());
    }
}

namespace
{
AnimMenuView* animMenuOf(EditorMode* editor)
{
    if (!editor || !editor->menuSystem)
        return nullptr;
    return editor->menuSystem->animMenuView;
}
} // namespace

void AnimateViewMode::attachToMenu()
{
    AnimMenuView* menu = animMenuOf(editor);
    if (!menu)
        return;
    menu->animateViewMode = this;
    editor->menuSystem->requestView(menu);
    menu->reinstallTool();
}

void AnimateViewMode::refreshMenu(bool withAnimation)
{
    AnimMenuView* menu = animMenuOf(editor);
    if (!menu)
        return;
    // The time slider spans the times 0 to 2.
    menu->timeSlider.partial.value = currentTime * 0.5f;
    menu->timeSlider.layout();
    menu->showTime();
    if (withAnimation)
        menu->showAnimation();
}

void AnimateViewMode::detachFromMenu()
{
    AnimMenuView* menu = animMenuOf(editor);
    if (!menu)
        return;
    // A newer animate view may already have registered itself; leave that one in place.
    if (menu->animateViewMode == this)
        menu->animateViewMode = nullptr;
    menu->stopPlaying();
}
