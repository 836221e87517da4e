#include "menu/AnimMenuView.h"

#include "app/ApplicationMode.h"
#include "editor/EditorMode.h"
#include "menu/MenuPanel.h"
#include "skeleton/AnimateToolMode.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Animation.h"
#include "skeleton/Timeline.h"
#include "skeleton/VerletParticle.h"

#include <OIS/OISKeyboard.h>
#include <OgreStringConverter.h>

namespace
{
const float GAP = 20.0f;
// The sliders' labels are given in pixels: the track hangs 48 units below the label's top.
const float LABEL_HEIGHT_PIXELS = 80.0f;
const float STATUS_HEIGHT = 32.0f;
const float STATUS_CHAR_HEIGHT = 23.4f * 0.8f;
} // namespace

AnimMenuView::~AnimMenuView()
{
    delete selectMoveButton;
    delete playButton;
    delete addAnimationButton;
    delete statusPanel;
}

EditorMode* AnimMenuView::editor() { return static_cast<EditorMode*>(owner); }

void AnimMenuView::build(ApplicationMode* owner, MenuSystem* menuSystem,
                         const Ogre::Vector3& areaSize)
{
    init(owner, menuSystem, areaSize);

    selectMoveButton = addButton(1);
    selectMoveButton->setText("Select & move");
    buildSlider(timeSlider, "Time");
    playButton = addButton(1);
    playButton->setText("Play");
    addAnimationButton = addButton(1);
    addAnimationButton->setText("Add new animation");
    buildSlider(animationSlider, "Animation");
    buildStatusPanel();
    settingsRows.build();
}

void AnimMenuView::buildSlider(MenuPanelManager::Slider& slider, const std::string& title)
{
    slider.label = addTextBox(LABEL_HEIGHT_PIXELS, 1);
    slider.label->setText(title);
    slider.partial.track = addSmallButton(-1, 1);
    slider.partial.track->targetSize.x = areaSize.x - Panel::unitsX(32);
    slider.partial.knob = addSliderKnob(1);
}

void AnimMenuView::buildStatusPanel()
{
    // One line of small text, built like the factory panels.
    MenuPanel* panel = new MenuPanel();
    panel->init(owner);
    panel->enableSingleImage("MenuSystemControlBackground");
    panel->enableText(Ogre::ColourValue::White, Panel::unitsY(STATUS_CHAR_HEIGHT),
                      Panel::unitsX(32));
    panel->attach(layer());
    panel->smoothing = 0.06f;
    if (panel->topLeft && panel->bottomRight)
    {
        panel->topLeft->damping = 0.85f;
        panel->bottomRight->damping = 0.85f;
    }
    panel->targetPosition = Ogre::Vector3::ZERO;
    panel->targetSize = Ogre::Vector2(areaSize.x, Panel::unitsY(STATUS_HEIGHT));
    panel->snapToTarget();
    panel->centreTextVertically();
    panel->state->interactive = false;
    addPanel(panel);
    panel->setText("");
    statusPanel = panel;
}

void AnimMenuView::setPosition(const Ogre::Vector3& position)
{
    const float gap = Panel::unitsY(GAP);
    float y = position.y;
    auto place = [&](MenuPanel* panel)
    {
        panel->targetPosition = Ogre::Vector3(position.x, y, 0);
        y += panel->targetSize.y + gap;
    };
    place(selectMoveButton);
    place(timeSlider.label);
    timeSlider.layout();
    place(playButton);
    place(addAnimationButton);
    place(animationSlider.label);
    animationSlider.layout();
    place(statusPanel);
    settingsRows.place(position.x, y);
    keyMarks.place();
}

void AnimMenuView::update(float timeStep)
{
    MenuView::update(timeStep);
    if (playing && animateViewMode && editor()->getAnimation(animateViewMode->currentAnimation))
    {
        animateViewMode->advancePlayback(timeStep);
    }
}

void AnimMenuView::stopPlaying()
{
    playing = false;
    if (playButton)
    {
        playButton->setText("Play");
    }
}

void AnimMenuView::showTime()
{
    if (!animateViewMode || !timeSlider.label)
    {
        return;
    }
    timeSlider.label->setText(
        "Time: " + Ogre::StringConverter::toString(animateViewMode->currentTime, 3, 0, ' '));
}

void AnimMenuView::showAnimation()
{
    if (!animateViewMode)
    {
        return;
    }
    const size_t count = editor()->animations.size();
    // Without animations the knob rests at the start instead of at a division by zero.
    animationSlider.partial.value =
        count > 0 ? float(animateViewMode->currentAnimation) / float(count) : 0.0f;
    animationSlider.layout();
    showStatus();
    settingsRows.show();
}

void AnimMenuView::showKeyMarks()
{
    Animation* animation =
        animateViewMode ? editor()->getAnimation(animateViewMode->currentAnimation) : nullptr;
    std::vector<float> times;
    if (animation)
        for (const auto& frame : animation->frames)
            times.push_back(frame.first);
    keyMarks.show(times, animateViewMode ? animateViewMode->currentTime : 0.0f,
                  Timeline::span(animation), timeSlider.partial.track);
}

void AnimMenuView::showStatus()
{
    if (!statusPanel)
    {
        return;
    }
    Animation* animation =
        animateViewMode ? editor()->getAnimation(animateViewMode->currentAnimation) : nullptr;
    statusPanel->setText(animation ? animation->comment : std::string());
}

void AnimMenuView::pickAnimation()
{
    const float count = float(editor()->animations.size());
    // Truncation: the right end of the track (value 1) names no animation and selects nothing.
    const int index = int(count * animationSlider.partial.value);
    if (animateViewMode)
    {
        animateViewMode->selectAnimation(index);
    }
    showStatus();
}

void AnimMenuView::scrubTime()
{
    timeSlider.partial.setValueFromPoint(pointerPosition());
    timeSlider.layout();
    if (animateViewMode)
    {
        // Snapped to a key near the pointer or to 1/30 s; left Ctrl held: where it points.
        const Animation* animation = editor()->getAnimation(animateViewMode->currentAnimation);
        const float pointed = timeSlider.partial.value * Timeline::span(animation);
        animateViewMode->setTime(Timeline::snap(animation, pointed,
                                                timeSlider.partial.track->targetSize.x,
                                                editor()->isKeyDown(OIS::KC_LCONTROL)));
    }
    showTime();
}

void AnimMenuView::chooseAnimation()
{
    animationSlider.partial.setValueFromPoint(pointerPosition());
    animationSlider.layout();
    pickAnimation();
}

void AnimMenuView::reinstallTool()
{
    if (selectMoveButton && selectMoveButton->state->selected && editor())
    {
        editor()->setToolMode(new AnimateToolMode());
    }
}

void AnimMenuView::onClicked(MenuPanel* panel)
{
    if (!panel || settingsRows.clicked(panel))
    {
        return;
    }
    if (panel == selectMoveButton)
    {
        editor()->setToolMode(new AnimateToolMode());
        // A group of one radio button: it stays chosen.
        selectMoveButton->state->selected = true;
        selectMoveButton->state->showSelectedLook();
    }
    else if (panel == playButton)
    {
        if (!playing)
        {
            playing = true;
            playButton->setText("Stop");
        }
        else
        {
            stopPlaying();
        }
    }
    else if (panel == addAnimationButton)
    {
        editor()->asStep("new animation", [this] { editor()->appendBaseAnimationCopy(); });
        if (animateViewMode)
        {
            animateViewMode->selectAnimation(int(editor()->animations.size()) - 1);
        }
    }
    else if (panel == timeSlider.partial.track)
    {
        scrubTime();
    }
    else if (panel == animationSlider.partial.track)
    {
        chooseAnimation();
    }
}

void AnimMenuView::onHeld(MenuPanel* panel)
{
    if (!panel || settingsRows.held(panel))
    {
        return;
    }
    if (panel == timeSlider.partial.knob)
    {
        scrubTime();
    }
    else if (panel == animationSlider.partial.knob)
    {
        chooseAnimation();
    }
}

bool AnimMenuView::mouseReleased(const OIS::MouseButtonID& button)
{
    const bool taken = MenuView::mouseReleased(button);
    settingsRows.released();
    return taken;
}
