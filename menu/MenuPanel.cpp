#include "menu/MenuPanel.h"

#include "app/Application.h"
#include "app/ApplicationMode.h"
#include "app/Graphics.h"
#include "app/Log.h"
#include "common/OgreTextAreaOverlayElement2.h"

#include <OgreFont.h>

#include <algorithm>

MenuPanel::MenuPanel() : state(new InteractivePanelState(this)) {}

MenuPanel::~MenuPanel() { delete state; }

void MenuPanel::setText(const std::string& newText)
{
    if (!textElement)
    {
        return;
    }
    text = newText;
    fitText();
}

void MenuPanel::rescale(float sx, float sy)
{
    Panel::rescale(sx, sy);
    if (textElement && naturalCharHeight > 0.0f)
    {
        naturalCharHeight *= sy;
        fitText();
    }
}

float MenuPanel::textWidth(const std::string& line) const
{
    if (!textElement)
    {
        return 0.0f;
    }
    const float height = textElement->getCharHeight();
    const Ogre::FontPtr& font = textElement->getFont();
    // Menus are built before their fonts are first drawn; with a window the font can load now,
    // so that the first fit measures the real letters.
    if (font && !font->isLoaded() && Graphics::instance && Graphics::instance->renderWindow)
    {
        try
        {
            font->load();
        }
        catch (const Ogre::Exception& error)
        {
            writeLog("ERROR, font " + font->getName() + " did not load: " + error.what());
        }
    }
    if (!font || !font->isLoaded())
    {
        return float(line.size()) * 0.5f * height; // about half as wide as high
    }
    const float spacing = textElement->getCharSpacing() * height;
    float width = 0.0f;
    for (char c : line)
    {
        const Ogre::Font::CodePoint point = static_cast<unsigned char>(c);
        width += c == ' ' ? font->getGlyphAspectRatio('0') * height
                          : font->getGlyphAspectRatio(point) * height + spacing;
    }
    return width;
}

void MenuPanel::fitText()
{
    if (!textElement)
    {
        return;
    }
    if (naturalCharHeight <= 0.0f)
    {
        naturalCharHeight = textElement->getCharHeight();
    }
    textElement->setCharHeight(naturalCharHeight);
    std::string shown = text;
    const float margin = textElement->getLeft() - fontOffset.x;
    const float room = targetSize.x - margin - std::max(margin * 0.5f, 2.0f);
    const float natural = textWidth(shown);
    if (room > 0.0f && natural > room)
    {
        if (!ellipsisOnly)
        {
            const float scale = std::max(MIN_TEXT_SCALE, room / natural);
            textElement->setCharHeight(naturalCharHeight * scale);
        }
        if (textWidth(shown) > room)
        {
            const float dots = textWidth("...");
            while (!shown.empty() && textWidth(shown) + dots > room)
            {
                shown.pop_back();
            }
            while (!shown.empty() && shown.back() == ' ')
            {
                shown.pop_back();
            }
            shown += "...";
        }
    }
    Application* application = owner ? owner->application : nullptr;
    if (!application && Graphics::instance)
    {
        application = Graphics::instance->application;
    }
    bool singleByte = application ? application->singleByteText : true;
    textElement->setCaption(singleByte ? latin1ToUtf8(shown) : shown);
}

void MenuPanel::setText(const std::string& text, const std::string& newCommand)
{
    setText(text);
    command = newCommand;
}
