#include "menu/BarMenuView.h"

#include "app/Log.h"
#include "editor/EditorMode.h"
#include "menu/MenuPanel.h"

namespace
{
const float BUTTON_WIDTH = 300.0f; // reference units
const float GAP = 20.0f;           // reference units
const float MESSAGE_HEIGHT = 56.0f;
} // namespace

BarMenuView::~BarMenuView()
{
    delete saveButton;
    delete resetCameraButton;
    delete messagePanel;
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
        if (messagePanel->targetSize.x > 0)
        {
            messagePanel->targetSize.x = messageWidth();
        }
    }
}

float BarMenuView::messageWidth() const
{
    if (!messagePanel || !resetCameraButton)
    {
        return 0;
    }
    float width =
        resetCameraButton->targetPosition.x - Panel::unitsX(GAP) - messagePanel->targetPosition.x;
    return width > 0 ? width : 0;
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
        // Copies: saving may switch the view mode, and the names must not change under it.
        std::string modelFile = editor->modelFileName;
        std::string animationFile = editor->animationFileName;
        runLogged([&] { editor->saveModel(modelFile, animationFile); });
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
    messagePanel->setText(message);
    messagePanel->targetSize.x = messageWidth();
}

void BarMenuView::clearMessage()
{
    if (!messagePanel)
    {
        return;
    }
    message.clear();
    messagePanel->setText("");
    messagePanel->targetSize.x = 0;
}
