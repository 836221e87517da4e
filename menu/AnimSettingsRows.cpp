#include "menu/AnimSettingsRows.h"

#include "editor/EditorMode.h"
#include "editor/UndoHistory.h"
#include "menu/AnimMenuView.h"
#include "menu/MenuPanel.h"
#include "menu/TextField.h"
#include "skeleton/AnimateViewMode.h"

#include <OgreStringConverter.h>

#include <algorithm>
#include <cmath>

namespace
{
// The rows are lower than the designed controls, so that they all fit below them.
const float ROW_SCALE = 0.72f;
const float ROW_HEIGHT = 56.0f * ROW_SCALE;
const float ROW_GAP = 12.0f;
// A slider's label takes the left part of its row, the track the rest.
const float LABEL_SHARE = 0.45f;

std::string number(float value) { return Ogre::StringConverter::toString(value, 3, 0, ' '); }
} // namespace

const AnimSettingsRows::Range AnimSettingsRows::END_RANGE{10.0f, 0.05f};
const AnimSettingsRows::Range AnimSettingsRows::SPEED_RANGE{4.0f, 0.05f};
const AnimSettingsRows::Range AnimSettingsRows::SPREAD_RANGE{2.0f, 0.05f};

float AnimSettingsRows::Range::at(float value) const
{
    const float clamped = std::min(std::max(value, 0.0f), 1.0f);
    return std::round(clamped * maximum / step) * step;
}

float AnimSettingsRows::speedOf(const Animation::Settings& settings)
{
    return (settings.speedMin + settings.speedMax) * 0.5f;
}

float AnimSettingsRows::spreadOf(const Animation::Settings& settings)
{
    return speedOf(settings) - settings.speedMin;
}

void AnimSettingsRows::setSpeed(Animation::Settings& settings, float speed)
{
    const float spread = std::min(std::max(spreadOf(settings), 0.0f), speed);
    settings.speedMin = speed - spread;
    settings.speedMax = speed + spread;
}

void AnimSettingsRows::setSpread(Animation::Settings& settings, float spread)
{
    const float speed = speedOf(settings);
    spread = std::min(spread, std::max(speed, 0.0f));
    settings.speedMin = speed - spread;
    settings.speedMax = speed + spread;
}

AnimSettingsRows::AnimSettingsRows(AnimMenuView& view) : view(view) {}

AnimSettingsRows::~AnimSettingsRows()
{
    delete loopButton;
    delete copyFrameButton;
    delete pasteFrameButton;
    delete removeKeyButton;
    delete duplicateButton;
}

void AnimSettingsRows::build()
{
    commentField.reset(new TextField(view));
    commentField->label = "Comment: ";
    commentField->onCommit = [this](const std::string& text)
    {
        if (const Animation* animation = current())
        {
            Animation::Settings settings = animation->settings();
            settings.comment = text;
            change("animation settings", settings);
        }
    };
    commentField->setText("");
    loopButton = view.addButton(ROW_SCALE);
    loopButton->setText("Loop: off");
    buildSlider(endSlider);
    buildSlider(speedSlider);
    buildSlider(spreadSlider);
    copyFrameButton = view.addButton(ROW_SCALE);
    copyFrameButton->setText("Copy frame");
    pasteFrameButton = view.addButton(ROW_SCALE);
    pasteFrameButton->setText("Paste frame");
    removeKeyButton = view.addButton(ROW_SCALE);
    removeKeyButton->setText("Remove key frame");
    duplicateButton = view.addButton(ROW_SCALE);
    duplicateButton->setText("Duplicate animation");
    // Two buttons share a row.
    for (MenuPanel* half : {copyFrameButton, pasteFrameButton})
        half->targetSize.x = (view.areaSize.x - Panel::unitsX(ROW_GAP)) * 0.5f;
}

void AnimSettingsRows::buildSlider(MenuPanelManager::Slider& slider)
{
    slider.label = view.addTextBox(Panel::unitsY(ROW_HEIGHT), ROW_SCALE);
    slider.beside = true;
    slider.labelGap = view.areaSize.x * LABEL_SHARE;
    slider.partial.track = view.addSmallButton(-1, ROW_SCALE);
    slider.partial.track->targetSize.x = view.areaSize.x * (1.0f - LABEL_SHARE);
    slider.partial.knob = view.addSliderKnob(ROW_SCALE);
}

void AnimSettingsRows::place(float x, float y)
{
    const float gap = Panel::unitsY(ROW_GAP);
    auto row = [&](MenuPanel* panel)
    {
        panel->targetPosition = Ogre::Vector3(x, y, 0);
        y += panel->targetSize.y + gap;
    };
    row(commentField->panel);
    row(loopButton);
    for (MenuPanelManager::Slider* slider : {&endSlider, &speedSlider, &spreadSlider})
    {
        // The track follows the label's width if the window changed size.
        slider->labelGap = view.areaSize.x * LABEL_SHARE;
        row(slider->label);
        slider->layout();
    }
    copyFrameButton->targetPosition = Ogre::Vector3(x, y, 0);
    row(pasteFrameButton);
    pasteFrameButton->targetPosition.x = x + view.areaSize.x - pasteFrameButton->targetSize.x;
    row(removeKeyButton);
    row(duplicateButton);
}

const Animation* AnimSettingsRows::current() const
{
    AnimateViewMode* mode = view.animateViewMode;
    return mode && mode->editor ? mode->editor->getAnimation(mode->currentAnimation) : nullptr;
}

void AnimSettingsRows::show()
{
    const Animation* animation = current();
    if (!animation || !loopButton)
        return;
    const Animation::Settings settings = animation->settings();
    // The field keeps an edit under way; it shows the comment again once the edit ends.
    if (!commentField->hasFocus())
        commentField->setText(settings.comment);
    loopButton->setText(settings.loop ? "Loop: on" : "Loop: off");
    const float speed = speedOf(settings), spread = spreadOf(settings);
    endSlider.label->setText("End: " + number(settings.end));
    speedSlider.label->setText("Speed: " + number(speed));
    spreadSlider.label->setText("Spread: " + number(spread));
    endSlider.setValue(settings.end / END_RANGE.maximum);
    speedSlider.setValue(speed / SPEED_RANGE.maximum);
    spreadSlider.setValue(spread / SPREAD_RANGE.maximum);
}

Animation::Settings AnimSettingsRows::fromSlider(const MenuPanelManager::Slider& slider,
                                                 Animation::Settings base) const
{
    const float value = slider.partial.value;
    if (&slider == &endSlider)
        base.end = END_RANGE.at(value);
    else if (&slider == &speedSlider)
        setSpeed(base, SPEED_RANGE.at(value));
    else
        setSpread(base, SPREAD_RANGE.at(value));
    return base;
}

void AnimSettingsRows::change(const std::string& stepName, const Animation::Settings& settings)
{
    AnimateViewMode* mode = view.animateViewMode;
    if (!mode)
        return;
    mode->editor->asStep(stepName, [&] { mode->setSettings(settings); });
    show();
}

bool AnimSettingsRows::clicked(MenuPanel* panel)
{
    AnimateViewMode* mode = view.animateViewMode;
    const Animation* animation = current();
    if (!panel || !mode || !animation)
        return false;
    EditorMode* editor = mode->editor;
    if (panel == loopButton)
    {
        Animation::Settings settings = animation->settings();
        settings.loop = !settings.loop;
        change("animation settings", settings);
        return true;
    }
    for (MenuPanelManager::Slider* slider : {&endSlider, &speedSlider, &spreadSlider})
        if (panel == slider->partial.track)
        {
            slider->partial.setValueFromPoint(view.pointerPosition());
            change("animation settings", fromSlider(*slider, animation->settings()));
            return true;
        }
    if (panel == copyFrameButton)
    {
        if (mode->copyFrame(copiedFrame))
        {
            hasCopiedFrame = true;
            editor->showNote("Copied frame at " + number(mode->currentTime));
        }
        return true;
    }
    if (panel == pasteFrameButton)
    {
        if (hasCopiedFrame)
            editor->asStep("frame paste", [&] { mode->pasteFrame(copiedFrame); });
        else
            editor->showNote("No frame copied");
        return true;
    }
    if (panel == removeKeyButton)
    {
        editor->asStep("key frame removal", [&] { mode->removeKeyFrame(); });
        return true;
    }
    if (panel == duplicateButton)
    {
        editor->asStep("duplicated animation", [&] { mode->duplicateAnimation(); });
        return true;
    }
    return false;
}

bool AnimSettingsRows::held(MenuPanel* panel)
{
    AnimateViewMode* mode = view.animateViewMode;
    for (MenuPanelManager::Slider* slider : {&endSlider, &speedSlider, &spreadSlider})
    {
        if (panel != slider->partial.knob)
            continue;
        Animation* animation = mode ? mode->editor->getAnimation(mode->currentAnimation) : nullptr;
        if (!animation)
            return true;
        if (!dragging)
        {
            dragging = true;
            dragEditor = mode->editor;
            dragAnimation = mode->currentAnimation;
            dragStart = animation->settings();
        }
        // Shown as it goes, recorded once when the knob is let go.
        slider->partial.setValueFromPoint(view.pointerPosition());
        animation->setSettings(fromSlider(*slider, animation->settings()));
        mode->refreshMenu(false);
        show();
        return true;
    }
    return false;
}

void AnimSettingsRows::released()
{
    if (!dragging)
        return;
    dragging = false;
    // The view may have gone under the drag (key 1): the change is still recorded.
    EditorMode* editor = dragEditor;
    Animation* animation = editor->getAnimation(dragAnimation);
    if (!animation)
        return;
    const Animation::Settings reached = animation->settings();
    animation->setSettings(dragStart);
    editor->asStep("animation settings",
                   [&]
                   {
                       editor->history->settingsChanging(dragAnimation, reached);
                       animation->setSettings(reached);
                   });
    if (view.animateViewMode)
        view.animateViewMode->refreshMenu(true);
    show();
}
