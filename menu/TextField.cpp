#include "menu/TextField.h"

#include "common/OgreTextAreaOverlayElement2.h"
#include "menu/MenuPanel.h"
#include "menu/MenuSystem.h"
#include "menu/MenuView.h"
#include "skeleton/VerletParticle.h"

#include <OgreOverlayContainer.h>

#include <algorithm>

namespace
{
bool isPrintableLatin1(uint32_t c) { return (c >= 32 && c <= 126) || (c >= 160 && c <= 255); }
} // namespace

TextField::TextField(MenuView& owningView, float scale) : view(owningView)
{
    panel = view.addSmallButton(-1, scale);
    panel->ellipsisOnly = true; // the field keeps the caret in sight itself
    if (view.menuSystem)
        view.menuSystem->textFields.push_back(this);
    refresh();
}

TextField::~TextField()
{
    if (MenuSystem* menus = view.menuSystem)
    {
        if (menus->textFocus == this)
            menus->textFocus = nullptr;
        auto& fields = menus->textFields;
        fields.erase(std::remove(fields.begin(), fields.end(), this), fields.end());
    }
    auto& panels = view.panels;
    panels.erase(std::remove(panels.begin(), panels.end(), panel), panels.end());
    if (view.focus == panel)
        view.focus = nullptr;
    if (view.pressed == panel)
        view.pressed = nullptr;
    delete panel;
}

void TextField::setText(const std::string& value)
{
    if (hasFocus())
        endEdit();
    text = value.substr(0, MAX_LENGTH);
    caret = text.size();
    refresh();
}

bool TextField::hasFocus() const { return view.menuSystem && view.menuSystem->textFocus == this; }

void TextField::focus()
{
    if (hasFocus())
        return;
    if (MenuSystem* menus = view.menuSystem)
    {
        if (menus->textFocus)
            menus->textFocus->commit();
        menus->textFocus = this;
    }
    before = text;
    caret = text.size();
    panel->state->selected = true;
    panel->state->showCurrentLook();
    refresh();
}

void TextField::endEdit()
{
    if (view.menuSystem && view.menuSystem->textFocus == this)
        view.menuSystem->textFocus = nullptr;
    panel->state->selected = false;
    panel->state->showCurrentLook();
}

void TextField::commit()
{
    if (!hasFocus())
        return;
    endEdit();
    caret = text.size();
    refresh();
    // The owner's callback may change the field again (setText): it runs last.
    if (text != before && onCommit)
        onCommit(std::string(text));
}

void TextField::cancel()
{
    if (!hasFocus())
        return;
    endEdit();
    text = before;
    caret = text.size();
    refresh();
}

bool TextField::keyPressed(const KeyEvent& event)
{
    switch (event.key)
    {
    case OIS::KC_RETURN:
    case OIS::KC_NUMPADENTER:
        commit();
        return true;
    case OIS::KC_ESCAPE:
        cancel();
        return true;
    case OIS::KC_BACK:
        if (caret > 0)
            text.erase(--caret, 1);
        break;
    case OIS::KC_DELETE:
        if (caret < text.size())
            text.erase(caret, 1);
        break;
    case OIS::KC_LEFT:
        caret = caret > 0 ? caret - 1 : 0;
        break;
    case OIS::KC_RIGHT:
        caret = std::min(caret + 1, text.size());
        break;
    case OIS::KC_HOME:
        caret = 0;
        break;
    case OIS::KC_END:
        caret = text.size();
        break;
    default:
        if (isPrintableLatin1(event.text) && text.size() < MAX_LENGTH)
            text.insert(caret++, 1, char(event.text));
        break;
    }
    refresh();
    return true;
}

bool TextField::contains(const Ogre::Vector3& point) const
{
    if (!view.isActive() || !panel->container || !panel->container->isVisible() ||
        !panel->topLeft || !panel->bottomRight)
        return false;
    const Ogre::Vector3& a = panel->topLeft->position;
    const Ogre::Vector3& b = panel->bottomRight->position;
    return a.x <= point.x && point.x <= b.x && a.y <= point.y && point.y <= b.y;
}

void TextField::refresh()
{
    if (!hasFocus())
    {
        panel->setText(label + text);
        return;
    }
    // Long texts scroll: letters leave at the far side from the caret until the rest fits.
    std::string head = text.substr(0, caret);
    std::string tail = text.substr(caret);
    float room = panel->targetSize.x;
    if (panel->textElement)
    {
        const float margin = panel->textElement->getLeft() - panel->fontOffset.x;
        room -= margin + std::max(margin * 0.5f, 2.0f);
    }
    while (!tail.empty() && panel->textWidth(label + head + "|" + tail) > room)
        tail.pop_back();
    while (!head.empty() && panel->textWidth(label + head + "|") > room)
        head.erase(0, 1);
    panel->setText(label + head + "|" + tail);
}

bool TextField::routeKeyPressed(MenuSystem* menus, const KeyEvent& event)
{
    if (!menus || !menus->textFocus)
        return false;
    return menus->textFocus->keyPressed(event);
}

bool TextField::anyFocused(MenuSystem* menus) { return menus && menus->textFocus; }

bool TextField::routePressed(MenuSystem* menus, const OIS::MouseButtonID& button)
{
    if (!menus)
        return false;
    if (button == OIS::MB_Left)
    {
        for (TextField* field : menus->textFields)
        {
            if (field->contains(field->view.pointerPosition()))
            {
                field->focus();
                return true;
            }
        }
    }
    if (menus->textFocus)
        menus->textFocus->commit();
    return false;
}
