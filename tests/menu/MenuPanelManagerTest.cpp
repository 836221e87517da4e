#include "menu/MenuPanelManager.h"
#include "menu/MenuPanel.h"
#include "tests/menu/MenuTestEngine.h"

#include <OgreOverlayContainer.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// A view that owns its panels and writes down what the manager tells it.
class RecordingView : public MenuPanelManager
{
public:
    ~RecordingView() override
    {
        for (MenuPanel* panel : panels)
            delete panel;
    }

    bool isActive() override { return active; }
    void onFocusChanged(const std::string& command) override { focusChanges.push_back(command); }
    void onClicked(MenuPanel* panel) override { clicks.push_back(panel); }
    void onHeld(MenuPanel* panel) override { holds.push_back(panel); }

    MenuPanel* buttonAt(float x, float y, float width, float height)
    {
        MenuPanel* panel = addButton(1);
        panel->targetPosition = Ogre::Vector3(x, y, 0);
        panel->targetSize = Ogre::Vector2(width, height);
        panel->snapToTarget();
        return panel;
    }

    bool active = true;
    std::vector<std::string> focusChanges;
    std::vector<MenuPanel*> clicks;
    std::vector<MenuPanel*> holds;
};

Ogre::Vector3 at(float x, float y) { return Ogre::Vector3(x, y, 0); }

class MenuPanelManagerTest : public ::testing::Test
{
protected:
    MenuTestEngine test;
    RecordingView view;
};

} // namespace

TEST_F(MenuPanelManagerTest, HitTestPrefersTheLastPanelAndSkipsOthers)
{
    view.init(&test.mode, Ogre::Vector3(300, 900, 0));
    MenuPanel* track = view.buttonAt(0, 0, 200, 30);
    MenuPanel* knob = view.buttonAt(90, 0, 20, 30);
    // Edges belong to the panel.
    const std::pair<Ogre::Vector3, MenuPanel*> hits[] = {
        {at(100, 15), knob},  {at(50, 15), track},        {at(0, 0), track},
        {at(200, 30), track}, {at(200.01f, 30), nullptr}, {at(50, -0.01f), nullptr}};
    for (const auto& [point, panel] : hits)
        EXPECT_EQ(view.panelAt(point), panel) << point;

    // A text box never takes the pointer, nor does a hidden panel.
    MenuPanel* box = view.addTextBox(100, 1);
    EXPECT_EQ(view.panelAt(at(50, 15)), track);
    knob->container->hide();
    EXPECT_EQ(view.panelAt(at(100, 15)), track);
    knob->container->show();
    box->state->interactive = true;
    EXPECT_EQ(view.panelAt(at(100, 15)), box);
}

TEST_F(MenuPanelManagerTest, FocusPressAndClickFollowTheTable)
{
    view.init(&test.mode, Ogre::Vector3(300, 900, 0));
    MenuPanel* a = view.buttonAt(0, 0, 300, 56);
    MenuPanel* b = view.buttonAt(0, 100, 300, 56);
    a->command = "first";

    test.setPointer(10, 10);
    view.update(Application::fixedStep);
    EXPECT_EQ(view.focus, a);
    EXPECT_EQ(a->container->getMaterialName(), "MenuSystemControlFocusBackground");
    EXPECT_EQ(view.focusChanges, std::vector<std::string>({"first"}));

    EXPECT_TRUE(view.mousePressed(OIS::MB_Left));
    EXPECT_EQ(view.pressed, a);
    EXPECT_EQ(a->container->getMaterialName(), "MenuSystemControlSelectedBackground");

    // Moving onto b while held: a is held, the focus does not move.
    test.setPointer(10, 120);
    view.update(Application::fixedStep);
    view.update(Application::fixedStep);
    EXPECT_EQ(view.focus, a);
    EXPECT_EQ(view.holds, std::vector<MenuPanel*>({a, a}));

    // Releasing elsewhere still clicks a; it keeps the focus look until the next update.
    EXPECT_TRUE(view.mouseReleased(OIS::MB_Left));
    EXPECT_EQ(view.clicks, std::vector<MenuPanel*>({a}));
    EXPECT_EQ(view.pressed, nullptr);
    EXPECT_EQ(a->container->getMaterialName(), "MenuSystemControlFocusBackground");

    view.update(Application::fixedStep);
    EXPECT_EQ(view.focus, b);
    EXPECT_EQ(a->container->getMaterialName(), "MenuSystemControlBackground");
    EXPECT_EQ(view.focusChanges.back(), "");

    // A radio-button choice stays selected when the pointer leaves.
    b->state->selected = true;
    test.setPointer(10, 500);
    view.update(Application::fixedStep);
    EXPECT_EQ(view.focus, nullptr);
    EXPECT_EQ(b->container->getMaterialName(), "MenuSystemControlSelectedBackground");
    EXPECT_EQ(view.focusChanges.back(), "");

    // A press on empty space is not taken and no click follows.
    EXPECT_FALSE(view.mousePressed(OIS::MB_Left));
    EXPECT_FALSE(view.mouseReleased(OIS::MB_Left));
    EXPECT_EQ(view.clicks.size(), 1u);

    // Pressed on a, released with the focus on b (moved by hand): no click.
    view.setFocus(a);
    view.mousePressed(OIS::MB_Right);
    view.setFocus(b);
    EXPECT_TRUE(view.mouseReleased(OIS::MB_Right));
    EXPECT_EQ(view.clicks.size(), 1u);
    EXPECT_EQ(view.pressed, nullptr);

    // reset drops the focus (keeping `selected`), the pressed panel and the text-input panel,
    // so that a release after the menu went away is no click; no key is taken for text.
    view.setTextInputPanel(a, 8, true);
    EXPECT_FALSE(view.textInputKey(KeyEvent{OIS::KC_A, 'a'}));
    view.mousePressed(OIS::MB_Left);
    view.reset();
    EXPECT_EQ(view.focus, nullptr);
    EXPECT_FALSE(b->state->focused);
    EXPECT_TRUE(b->state->selected);
    EXPECT_EQ(view.pressed, nullptr);
    EXPECT_EQ(view.textInputPanel, nullptr);
    EXPECT_EQ(view.focusChanges.back(), "");
    view.setFocus(b);
    view.mouseReleased(OIS::MB_Left);
    EXPECT_EQ(view.clicks.size(), 1u);
}

TEST_F(MenuPanelManagerTest, SliderValueFromPointIsClampedToTheTrack)
{
    MenuPanelManager::SliderPartial slider;
    view.init(&test.mode, Ogre::Vector3(300, 900, 0));
    slider.track = view.buttonAt(100, 50, 200, 30);
    slider.knob = view.addSliderKnob(1);
    view.panels.clear(); // the slider owns these two

    for (auto [x, value] :
         {std::pair{50.0f, 0.0f}, {350.0f, 1.0f}, {300.0f, 1.0f}, {150.0f, 0.25f}})
    {
        slider.setValueFromPoint(at(x, 999));
        EXPECT_FLOAT_EQ(slider.value, value) << x;
    }
    // Reading the value does not move the knob; placing it centres it on the value.
    EXPECT_FLOAT_EQ(slider.knob->targetPosition.x, 0);
    slider.placeKnob(at(100, 50));
    EXPECT_FLOAT_EQ(slider.knob->targetPosition.x, 100 + 50 - 12);
    EXPECT_FLOAT_EQ(slider.knob->targetPosition.y, 50);

    // Upright: the same along y; a track without length has one position.
    slider.horizontal = false;
    slider.setValueFromPoint(at(0, 65));
    EXPECT_FLOAT_EQ(slider.value, 0.5f);
    slider.track->targetSize.y = 0;
    slider.setValueFromPoint(at(0, 65));
    EXPECT_FLOAT_EQ(slider.value, 0);
}
