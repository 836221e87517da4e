#include "menu/BarMenuView.h"

#include "app/Log.h"
#include "editor/EditorMode.h"
#include "common/OgreTextAreaOverlayElement2.h"
#include "menu/MenuPanel.h"

#include <algorithm>

namespace
{
const float BUTTON_WIDTH = 300.0f; // reference units
const float GAP = 20.0f;           // reference units
const float MESSAGE_HEIGHT = 56.0f;
const float MIRROR_WIDTH = 220.0f; // reference units
// The colour of the mirror plane's line on the grid (material "MirrorPlane").
const Ogre::ColourValue MIRROR_COLOUR(0.1f, 0.85f, 0.95f);
} // namespace

BarMenuView::~BarMenuView()
{
    delete saveButton;
    delete resetCameraButton;
    delete messagePanel;
    delete statusPanel;
    delete mirrorPanel;
}

void BarMenuView::build(ApplicationMode* newOwner, MenuSystem* newMenuSystem,
                        const Ogre::Vector3& newAreaSize)
{
    init(newOwner, newMenuSystem, newAreaSize);

    saveButton = addButton(1);
    saveButton->targetSize.x = Panel::unitsX(BUTTON_WIDTH);
    saveButton->centreTextVertically();
    saveButton->setText("Save");

    resetCameraButton = addButton(1);
    resetCameraButton->targetSize.x = Panel::unitsX(BUTTON_WIDTH);
    resetCameraButton->centreTextVertically();
    resetCameraButton->setText("Reset camera");

    // Made last so that the buttons keep their element numbers. It stays zero wide (invisible)
    // until there is something to say.
    messagePanel = addTextBox(Panel::unitsY(MESSAGE_HEIGHT), 1);
    messagePanel->targetSize.x = 0;
    messagePanel->state->normalTextColour = Ogre::ColourValue::Red;
    messagePanel->state->focusTextColour = Ogre::ColourValue::Red;
    messagePanel->state->selectedTextColour = Ogre::ColourValue::Red;
    messagePanel->state->showNormalLook();
    messagePanel->snapToTarget();

    statusPanel = addTextBox(Panel::unitsY(MESSAGE_HEIGHT), 1);
    statusPanel->targetSize.x = 0;
    statusPanel->snapToTarget();
    // A long file name or path is cut, not shrunk to letters nobody can read.
    statusPanel->ellipsisOnly = true;
    messagePanel->ellipsisOnly = true;

    mirrorPanel = addTextBox(Panel::unitsY(MESSAGE_HEIGHT), 1);
    mirrorPanel->targetSize.x = 0;
    mirrorPanel->state->normalTextColour = MIRROR_COLOUR;
    mirrorPanel->state->focusTextColour = MIRROR_COLOUR;
    mirrorPanel->state->selectedTextColour = MIRROR_COLOUR;
    mirrorPanel->state->showNormalLook();
    mirrorPanel->snapToTarget();
}

void BarMenuView::setPosition(const Ogre::Vector3& position)
{
    if (!saveButton || !resetCameraButton)
    {
        return;
    }
    float gap = Panel::unitsX(GAP);
    saveButton->targetPosition =
        Ogre::Vector3(areaSize.x + position.x - gap - saveButton->targetSize.x, position.y, 0);
    resetCameraButton->targetPosition = Ogre::Vector3(
        saveButton->targetPosition.x - gap - resetCameraButton->targetSize.x, position.y, 0);
    if (messagePanel)
    {
        messagePanel->targetPosition = Ogre::Vector3(position.x + gap, position.y, 0);
    }
    if (statusPanel)
    {
        statusPanel->targetPosition = Ogre::Vector3(position.x + gap, position.y, 0);
    }
    layoutStatus();
    if (mirrorPanel)
    {
        mirrorPanel->targetPosition = Ogre::Vector3(
            resetCameraButton->targetPosition.x - gap - Panel::unitsX(MIRROR_WIDTH), position.y, 0);
    }
}

float BarMenuView::messageWidth() const
{
    if (!statusPanel || !resetCameraButton)
    {
        return 0;
    }
    float width =
        resetCameraButton->targetPosition.x - Panel::unitsX(GAP) - statusPanel->targetPosition.x;
    if (mirrorShown)
    {
        width -= Panel::unitsX(MIRROR_WIDTH + GAP); // "Mirror X" stands there
    }
    return width > 0 ? width : 0;
}

void BarMenuView::showMirror(bool on)
{
    mirrorShown = on;
    if (mirrorPanel)
    {
        mirrorPanel->setText(on ? "Mirror X" : "");
        mirrorPanel->targetSize.x = on ? Panel::unitsX(MIRROR_WIDTH) : 0;
    }
    layoutStatus();
}

void BarMenuView::onClicked(MenuPanel* panel)
{
    EditorMode* editor = dynamic_cast<EditorMode*>(owner);
    if (!editor)
    {
        return;
    }
    if (panel == saveButton)
    {
        runLogged([&] { editor->save(); });
    }
    else if (panel == resetCameraButton)
    {
        editor->resetCamera();
    }
}

void BarMenuView::showMessage(const std::string& text, const Ogre::ColourValue& colour)
{
    if (!messagePanel)
    {
        return;
    }
    messagePanel->state->normalTextColour = colour;
    messagePanel->state->focusTextColour = colour;
    messagePanel->state->selectedTextColour = colour;
    messagePanel->state->showNormalLook();
    // A save reports each file that failed; the second report must not hide the first.
    if (message.find(text) == std::string::npos)
    {
        message = message.empty() ? text : message + "   " + text;
    }
    layoutStatus();
}

void BarMenuView::clearMessage()
{
    if (!messagePanel)
    {
        return;
    }
    message.clear();
    layoutStatus();
}

void BarMenuView::showStatus(const std::string& text)
{
    status = text;
    layoutStatus();
}

void BarMenuView::showNote(const std::string& text)
{
    note = text;
    noteTimeLeft = NOTE_SECONDS;
    layoutStatus();
}

void BarMenuView::update(float timeStep)
{
    MenuView::update(timeStep);
    if (noteTimeLeft <= 0.0f)
    {
        return;
    }
    noteTimeLeft -= timeStep;
    if (noteTimeLeft <= 0.0f)
    {
        note.clear();
        layoutStatus();
    }
}

void BarMenuView::layoutStatus()
{
    if (!statusPanel || !messagePanel)
    {
        return;
    }
    // The file name and its mark always show; a message stands beside them in its own colour,
    // taking the room the status line leaves (at least half of it).
    const std::string text = note.empty() ? status : status + "   " + note;
    const float room = messageWidth();
    const float margins = Panel::unitsX(32 + 32); // the text's own margins, and a little air
    float statusWidth = text.empty() ? 0.0f : statusPanel->textWidth(text) + margins;
    if (message.empty())
    {
        statusWidth = text.empty() ? 0.0f : room;
    }
    else
    {
        statusWidth = std::min(statusWidth, room * 0.5f);
    }
    statusPanel->targetSize.x = statusWidth;
    statusPanel->setText(text);
    messagePanel->targetPosition.x = statusPanel->targetPosition.x + statusWidth;
    messagePanel->targetSize.x = message.empty() ? 0.0f : std::max(room - statusWidth, 0.0f);
    messagePanel->setText(message);
}
