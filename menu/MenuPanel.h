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
    // Fits the text given last into the panel's width: a text too long first gets smaller
    // letters (down to MIN_TEXT_SCALE of their size), then loses its end to "...". With
    // `ellipsisOnly` the letters keep their size. A panel without width shows it whole.
    void fitText();
    // Rescales as every panel does, then fits the text again at its new size.
    void rescale(float sx, float sy) override;
    // The width in pixels that `text` (Latin-1) takes at the text element's letter size.
    float textWidth(const std::string& text) const;

    static constexpr float MIN_TEXT_SCALE = 0.6f;

    std::string text;           // as given, before fitting
    bool ellipsisOnly = false;
    float naturalCharHeight = 0.0f; // the letter size before fitting; 0 until the first fit

    InteractivePanelState* state = nullptr; // owned
    // Handed to MenuPanelManager::onFocusChanged when the panel gains the focus.
    std::string command;
};
