#include "skeleton/AnimateViewMode.h"

#include "app/Log.h"
#include "editor/EditorMode.h"
#include "menu/AnimMenuView.h"
#include "menu/MenuSystem.h"
#include "editor/UndoHistory.h"
#include "skeleton/OnionSkin.h"
#include "skeleton/PoseMirror.h"
#include "skeleton/Skeleton.h"
#include "skeleton/Timeline.h"

#include <OIS/OISKeyboard.h>

#include <exception>
#include <string>

const std::string AnimateViewMode::ONLY_KEY_NOTE = "The only key frame cannot be removed";
const std::string AnimateViewMode::NO_KEY_NOTE = "No key frame at this time";

AnimateViewMode::AnimateViewMode() { name = "AnimateView"; }

AnimateViewMode::~AnimateViewMode()
{
    detachFromMenu();
    onionSkin.reset();
    if (!editor)
        return;
    if (std::vector<Ogre::Vector3>* restPose = editor->baseAnimation.findFrame(0.0f))
        showPose(std::vector<Ogre::Vector3>(*restPose));
}

void AnimateViewMode::activate()
{
    onionSkin.reset(new OnionSkin(*editor));
    // The choice outlives the view (a save makes a new one): the menu keeps it.
    if (editor->menuSystem && editor->menuSystem->animMenuView)
        onionSkin->setOn(editor->menuSystem->animMenuView->onionSkins);
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
    case OIS::KC_K:
        toggleOnionSkins();
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
    showOnionSkins(false);
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
    showOnionSkins(true);
    showCurrentPose();
    refreshMenu(true);
}

void AnimateViewMode::showOnionSkins(bool force)
{
    if (onionSkin)
        onionSkin->show(editor->getAnimation(currentAnimation), currentTime, force);
}

void AnimateViewMode::toggleOnionSkins()
{
    if (!onionSkin)
        return;
    onionSkin->setOn(!onionSkin->isOn());
    if (editor->menuSystem && editor->menuSystem->animMenuView)
        editor->menuSystem->animMenuView->onionSkins = onionSkin->isOn();
    showOnionSkins(false);
}

bool AnimateViewMode::onionSkinsOn() const { return onionSkin && onionSkin->isOn(); }

const std::vector<Ogre::ManualObject*>& AnimateViewMode::onionSkinObjects() const
{
    static const std::vector<Ogre::ManualObject*> none;
    return onionSkin ? onionSkin->objects : none;
}

bool AnimateViewMode::copyFrame(std::vector<Ogre::Vector3>& frame)
{
    Animation* animation = editor->getAnimation(currentAnimation);
    std::vector<Ogre::Vector3>* found = animation ? animation->findFrame(currentTime) : nullptr;
    if (!found)
    {
        editor->showNote(NO_KEY_NOTE);
        return false;
    }
    frame = *found;
    return true;
}

void AnimateViewMode::pasteFrame(const std::vector<Ogre::Vector3>& frame)
{
    if (!editor->getAnimation(currentAnimation))
        return;
    editor->setKeyFrame(currentAnimation, currentTime, frame);
    showCurrentPose();
    refreshMenu(false);
}

void AnimateViewMode::removeKeyFrame()
{
    Animation* animation = editor->getAnimation(currentAnimation);
    if (!animation)
        return;
    if (!animation->findFrame(currentTime))
    {
        editor->showNote(NO_KEY_NOTE);
        return;
    }
    if (animation->frames.size() < 2)
    {
        editor->showNote(ONLY_KEY_NOTE);
        return;
    }
    editor->history->frameRemoving(currentAnimation, currentTime);
    animation->frames.erase(currentTime);
    // The time stays; it now shows the pose between the neighbouring keys.
    showCurrentPose();
    refreshMenu(false);
}

void AnimateViewMode::duplicateAnimation()
{
    Animation* animation = editor->getAnimation(currentAnimation);
    if (!animation)
        return;
    const Animation copy = *animation;
    editor->animations.push_back(copy);
    editor->history->animationAdded(editor->animations.back());
    selectAnimation(int(editor->animations.size()) - 1);
}

void AnimateViewMode::setSettings(const Animation::Settings& settings)
{
    Animation* animation = editor->getAnimation(currentAnimation);
    if (!animation || animation->settings() == settings)
        return;
    editor->history->settingsChanging(currentAnimation, settings);
    animation->setSettings(settings);
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
    // The time slider spans the current animation's times (Timeline::span).
    menu->timeSlider.partial.value =
        currentTime / Timeline::span(editor->getAnimation(currentAnimation));
    menu->timeSlider.layout();
    menu->showTime();
    menu->showKeyMarks();
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
