#include "menu/MenuPanel.h"

#include "app/Application.h"
#include "app/ApplicationMode.h"
#include "app/Graphics.h"
#include "common/OgreTextAreaOverlayElement2.h"

MenuPanel::MenuPanel() : state(new InteractivePanelState(this)) {}

MenuPanel::~MenuPanel() { delete state; }

void MenuPanel::setText(const std::string& text)
{
    if (!textElement)
    {
        return;
    }
    Application* application = owner ? owner->application : nullptr;
    if (!application && Graphics::instance)
    {
        application = Graphics::instance->application;
    }
    bool singleByte = application ? application->singleByteText : true;
    textElement->setCaption(singleByte ? latin1ToUtf8(text) : text);
}

void MenuPanel::setText(const std::string& text, const std::string& newCommand)
{
    setText(text);
    command = newCommand;
}
