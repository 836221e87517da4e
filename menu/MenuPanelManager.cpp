#include "menu/MenuPanelManager.h"

#include "app/Application.h"
#include "app/ApplicationMode.h"
#include "app/Input.h"
#include "common/OgreTextAreaOverlayElement2.h"
#include "menu/MenuPanel.h"
#include "skeleton/VerletParticle.h"

#include <algorithm>

namespace
{
const float MENU_SMOOTHING = 0.06f;
// The controls' own velocity factor: less springy than the frame panels.
const float MENU_PARTICLE_DAMPING = 0.85f;
const float BUTTON_CHAR_HEIGHT = 41.6f * 0.8f;
} // namespace

// --- sliders ---

MenuPanelManager::SliderPartial::~SliderPartial()
{
    delete knob;
    delete track;
}

void MenuPanelManager::SliderPartial::placeKnob(const Ogre::Vector3& trackPosition)
{
    if (!track)
    {
        return;
    }
    track->targetPosition = trackPosition;
    if (!knob)
    {
        return;
    }
    const Ogre::Vector3& t = track->targetPosition;
    if (horizontal)
    {
        knob->targetPosition =
            Ogre::Vector3(t.x + track->targetSize.x * value - knob->targetSize.x * 0.5f, t.y, 0);
    }
    else
    {
        knob->targetPosition =
            Ogre::Vector3(t.x, t.y + track->targetSize.y * value - knob->targetSize.y * 0.5f, 0);
    }
}

void MenuPanelManager::SliderPartial::setValueFromPoint(const Ogre::Vector3& point)
{
    if (!track)
    {
        return;
    }
    float start = horizontal ? track->targetPosition.x : track->targetPosition.y;
    float length = horizontal ? track->targetSize.x : track->targetSize.y;
    if (length <= 0)
    {
        // A track without length has one position only.
        value = 0;
        return;
    }
    float along = std::min(std::max(horizontal ? point.x : point.y, start), start + length);
    value = (along - start) / length;
}

MenuPanelManager::Slider::~Slider()
{
    delete label;
    label = nullptr;
}

void MenuPanelManager::Slider::setValue(float v)
{
    partial.value = v;
    layout();
}

void MenuPanelManager::Slider::layout()
{
    MenuPanel* track = partial.track;
    if (!track)
    {
        return;
    }
    if (!label)
    {
        partial.placeKnob(track->targetPosition);
        return;
    }
    const Ogre::Vector3& l = label->targetPosition;
    Ogre::Vector3 position;
    if (beside)
    {
        position = Ogre::Vector3(l.x + labelGap,
                                 l.y + (label->targetSize.y - track->targetSize.y) * 0.5f, l.z);
    }
    else
    {
        position = Ogre::Vector3(l.x + (label->targetSize.x - track->targetSize.x) * 0.5f,
                                 l.y + Panel::unitsY(48), l.z);
    }
    partial.placeKnob(position);
}

// --- the manager ---

MenuPanelManager::~MenuPanelManager() = default;

bool MenuPanelManager::keyPressed(const KeyEvent&) { return false; }

bool MenuPanelManager::keyReleased(const KeyEvent&) { return false; }

void MenuPanelManager::init(ApplicationMode* newOwner, const Ogre::Vector3& newAreaSize)
{
    owner = newOwner;
    areaSize = newAreaSize;
}

void MenuPanelManager::update(float timeStep)
{
    if (isActive())
    {
        // While a button is held the focus stays put, so press and release meet the same panel.
        if (pressed)
        {
            onHeld(pressed);
        }
        else
        {
            setFocus(panelAt(pointerPosition()));
        }
    }
    for (MenuPanel* panel : panels)
    {
        panel->update(timeStep);
    }
}

void MenuPanelManager::setPosition(const Ogre::Vector3&) {}

bool MenuPanelManager::mousePressed(const OIS::MouseButtonID&)
{
    if (!focus)
    {
        pressed = nullptr;
        return false;
    }
    pressed = focus;
    focus->state->selected = true;
    focus->state->showSelectedLook();
    return true;
}

bool MenuPanelManager::mouseReleased(const OIS::MouseButtonID&)
{
    bool hadFocus = focus != nullptr;
    if (focus && focus == pressed)
    {
        MenuPanel* clicked = focus;
        clicked->state->selected = false;
        if (clicked->state->focused)
        {
            clicked->state->showFocusLook();
        }
        else
        {
            clicked->state->showNormalLook();
        }
        pressed = nullptr;
        onClicked(clicked);
    }
    pressed = nullptr;
    return hadFocus;
}

void MenuPanelManager::enter() { onEnter(); }

void MenuPanelManager::reset()
{
    onReset();
    // A press held while the menu goes away must not stay pending: its release may never
    // reach this menu, and a later release would otherwise count as a click.
    pressed = nullptr;
    if (focus)
    {
        focus->state->focused = false;
        focus->state->showCurrentLook();
        focus = nullptr;
        onFocusChanged("");
    }
    textInputPanel = nullptr;
}

int MenuPanelManager::layer() { return 1; }

void MenuPanelManager::onClicked(MenuPanel*) {}

void MenuPanelManager::onHeld(MenuPanel*) {}

void MenuPanelManager::onEnter() {}

void MenuPanelManager::onReset() {}

void MenuPanelManager::onTextInputChanged(MenuPanel*, const std::string&) {}

void MenuPanelManager::setTextInputPanel(MenuPanel* panel, size_t maxLength, bool upperCase)
{
    textInputPanel = panel;
    textInputMaxLength = maxLength;
    textInputUpperCase = upperCase;
}

bool MenuPanelManager::textInputKey(const KeyEvent&) { return false; }

void MenuPanelManager::addPanel(MenuPanel* panel) { panels.push_back(panel); }

MenuPanel* MenuPanelManager::addFactoryPanel(float charHeight, float leftMargin,
                                             const Ogre::Vector2& size)
{
    MenuPanel* panel = new MenuPanel();
    panel->init(owner);
    panel->enableSingleImage("MenuSystemControlBackground");
    panel->enableText(Ogre::ColourValue::White, charHeight, leftMargin);
    panel->attach(layer());
    panel->smoothing = MENU_SMOOTHING;
    if (panel->topLeft && panel->bottomRight)
    {
        panel->topLeft->damping = MENU_PARTICLE_DAMPING;
        panel->bottomRight->damping = MENU_PARTICLE_DAMPING;
    }
    panel->targetPosition = Ogre::Vector3::ZERO;
    panel->targetSize = size;
    panel->snapToTarget();
    return panel;
}

MenuPanel* MenuPanelManager::addButton(float scale)
{
    MenuPanel* panel = addFactoryPanel(Panel::unitsY(BUTTON_CHAR_HEIGHT * scale), Panel::unitsX(32),
                                       Ogre::Vector2(areaSize.x, Panel::unitsY(56 * scale)));
    panel->centreTextVertically();
    panel->state->interactive = true;
    addPanel(panel);
    return panel;
}

MenuPanel* MenuPanelManager::addSmallButton(float leftMargin, float scale)
{
    float margin = leftMargin < 0 ? Panel::unitsX(32) : Panel::unitsX(leftMargin);
    MenuPanel* panel = addFactoryPanel(Panel::unitsY(BUTTON_CHAR_HEIGHT * scale), margin,
                                       Ogre::Vector2(areaSize.x, Panel::unitsY(28.8f * scale)));
    panel->centreTextVertically();
    panel->state->interactive = true;
    addPanel(panel);
    return panel;
}

MenuPanel* MenuPanelManager::addTextBox(float height, float scale)
{
    MenuPanel* panel = addFactoryPanel(Panel::unitsY(BUTTON_CHAR_HEIGHT * scale), Panel::unitsX(32),
                                       Ogre::Vector2(areaSize.x, height));
    if (panel->textElement)
    {
        panel->textElement->setPosition(Panel::unitsX(32) + panel->fontOffset.x,
                                        Panel::unitsY(11.2f) + panel->fontOffset.y);
    }
    panel->state->interactive = false;
    addPanel(panel);
    return panel;
}

MenuPanel* MenuPanelManager::addSliderKnob(float heightScale)
{
    MenuPanel* panel = addSmallButton(-1, 1);
    panel->state->normalMaterial = "MenuSystemControlSlider";
    panel->setMaterial("MenuSystemControlSlider");
    panel->targetSize = Ogre::Vector2(Panel::unitsX(24), Panel::unitsY(28.8f * heightScale));
    panel->centreTextVertically();
    return panel;
}

Ogre::Vector3 MenuPanelManager::pointerPosition()
{
    if (owner && owner->application && owner->application->input)
    {
        Input* input = owner->application->input;
        return Ogre::Vector3(input->mouseX, input->mouseY, 0);
    }
    return Ogre::Vector3::ZERO;
}

MenuPanel* MenuPanelManager::panelAt(const Ogre::Vector3& point)
{
    for (auto it = panels.rbegin(); it != panels.rend(); ++it)
    {
        MenuPanel* panel = *it;
        if (!panel->container || !panel->container->isVisible() || !panel->state->interactive ||
            !panel->topLeft || !panel->bottomRight)
        {
            continue;
        }
        const Ogre::Vector3& a = panel->topLeft->position;
        const Ogre::Vector3& b = panel->bottomRight->position;
        if (a.x <= point.x && point.x <= b.x && a.y <= point.y && point.y <= b.y)
        {
            return panel;
        }
    }
    return nullptr;
}

void MenuPanelManager::setFocus(MenuPanel* panel)
{
    if (panel == focus)
    {
        return;
    }
    if (focus)
    {
        focus->state->focused = false;
        focus->state->showCurrentLook();
    }
    focus = panel;
    if (focus)
    {
        focus->state->focused = true;
        focus->state->showCurrentLook();
    }
    onFocusChanged(focus ? focus->command : std::string());
}

void MenuPanelManager::setAllVisible(bool visible)
{
    for (MenuPanel* panel : panels)
    {
        if (panel->container && panel->container->isVisible() != visible)
        {
            if (visible)
            {
                panel->container->show();
            }
            else
            {
                panel->container->hide();
            }
        }
    }
}

void MenuPanelManager::setAllActive(bool active)
{
    for (MenuPanel* panel : panels)
    {
        panel->setActive(active);
    }
}

void MenuPanelManager::rescale(float sx, float sy)
{
    areaSize.x *= sx;
    areaSize.y *= sy;
    for (MenuPanel* panel : panels)
    {
        panel->rescale(sx, sy);
    }
}

void MenuPanelManager::snapAll()
{
    for (MenuPanel* panel : panels)
    {
        if (panel->topLeft && panel->bottomRight)
        {
            panel->snapToTarget();
        }
    }
}
