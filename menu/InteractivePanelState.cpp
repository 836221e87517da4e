#include "menu/InteractivePanelState.h"

#include "common/OgreTextAreaOverlayElement2.h"
#include "menu/MenuPanel.h"

void InteractivePanelState::showNormalLook() { showLook(normalMaterial, normalTextColour); }

void InteractivePanelState::showFocusLook() { showLook(focusMaterial, focusTextColour); }

void InteractivePanelState::showSelectedLook() { showLook(selectedMaterial, selectedTextColour); }

void InteractivePanelState::showCurrentLook()
{
    if (selected)
    {
        showSelectedLook();
    }
    else if (focused)
    {
        showFocusLook();
    }
    else
    {
        showNormalLook();
    }
}

void InteractivePanelState::showLook(const std::string& material, const Ogre::ColourValue& colour)
{
    if (!panel)
    {
        return;
    }
    panel->setMaterial(material);
    panel->textColour = colour;
    Ogre::TextAreaOverlayElement2* text = panel->textElement;
    if (text && (text->getColourTop() != colour || text->getColourBottom() != colour))
    {
        text->setColourTop(colour);
        text->setColourBottom(colour);
    }
}
