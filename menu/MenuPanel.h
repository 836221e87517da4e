#pragma once

#include "menu/InteractivePanelState.h"
#include "menu/Panel.h"

#include <string>

// A panel that can be pointed at and clicked.
class MenuPanel : public Panel
{
public:
    MenuPanel();
    ~MenuPanel() override;

    // Shows `text` (Latin-1, shown through UTF-8 when the application works in single bytes).
    // Does nothing without a text element.
    virtual void setText(const std::string& text);
    virtual void setText(const std::string& text, const std::string& command);

    InteractivePanelState* state = nullptr; // owned
    // Handed to MenuPanelManager::onFocusChanged when the panel gains the focus.
    std::string command;
};
