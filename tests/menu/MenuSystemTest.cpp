#include "menu/MenuSystem.h"
#include "editor/EditorMode.h"
#include "menu/AnimMenuView.h"
#include "menu/BarMenuView.h"
#include "menu/MenuPanel.h"
#include "menu/MenuView.h"
#include "menu/ModelMenuView.h"
#include "tests/menu/MenuTestEngine.h"

#include <OgreOverlayContainer.h>

#include <gtest/gtest.h>

namespace
{

// The editor with only what the menus need: its particle system and the menu system.
struct MenuSystemTest
{
    explicit MenuSystemTest(unsigned width = 1920, unsigned height = 1080)
    {
        test.setWindowSize(width, height);
        editor.ApplicationMode::prepare(Ogre::StringVector());
        editor.menuSystem = new MenuSystem();
        menus = editor.menuSystem;
        menus->create(&editor);
    }

    // One fixed step as the editor runs it.
    void step()
    {
        editor.particleSystem->update(Application::fixedStep);
        menus->update(Application::fixedStep);
    }

    int stepUntilSideShown(int limit = 500)
    {
        int steps = 0;
        while (menus->sideState != MenuSystem::Shown && steps < limit)
        {
            step();
            ++steps;
        }
        return steps;
    }

    MenuTestEngine test;
    EditorMode editor{&test.application};
    MenuSystem* menus = nullptr; // owned by the editor
};

// A third side view, so that two different requests can follow each other.
class EmptyView : public MenuView
{
};

bool allHidden(MenuPanelManager* view)
{
    for (MenuPanel* panel : view->panels)
    {
        if (panel->container->isVisible() || panel->topLeft->simulated)
        {
            return false;
        }
    }
    return true;
}

} // namespace

TEST(MenuSystem, ShowsAfterCreateAndTakesInputOnlyOnceTheSideIsIn)
{
    MenuSystemTest fixture;
    MenuSystem* menus = fixture.menus;
    EXPECT_EQ(menus->state, MenuSystem::Hidden);
    EXPECT_EQ(menus->sideState, MenuSystem::Hidden);
    EXPECT_EQ(menus->currentView, nullptr);
    EXPECT_FALSE(menus->sidePanel->container->isVisible());
    EXPECT_TRUE(allHidden(menus->barMenuView));
    fixture.step(); // hidden: nothing moves
    EXPECT_EQ(menus->state, MenuSystem::Hidden);

    menus->show();
    EXPECT_EQ(menus->state, MenuSystem::SlidingIn);
    EXPECT_EQ(menus->currentView, static_cast<MenuView*>(menus->modelMenuView));
    EXPECT_TRUE(menus->sidePanel->container->isVisible());

    // Over "Save" while sliding: no focus, the press goes to the tool.
    BarMenuView* bar = menus->barMenuView;
    fixture.test.setPointer(1700, 1050);
    for (int i = 0; i < 10; ++i)
    {
        fixture.step();
    }
    EXPECT_FALSE(bar->isActive());
    EXPECT_FALSE(bar->mousePressed(OIS::MB_Left));

    int steps = fixture.stepUntilSideShown();
    EXPECT_LT(steps, 100);
    EXPECT_EQ(menus->sideState, MenuSystem::Shown);
    fixture.step();
    EXPECT_EQ(bar->focus, bar->saveButton);
    EXPECT_EQ(bar->saveButton->container->getMaterialName(), "MenuSystemControlFocusBackground");
    for (int i = 0; i < 100 && menus->state != MenuSystem::Shown; ++i)
    {
        fixture.step();
    }
    EXPECT_EQ(menus->state, MenuSystem::Shown);

    // At rest: the bar shows 56 units, the side panel sits 2 units in, the buttons are in place.
    EXPECT_NEAR(menus->barPanel->container->getTop(), 1024, 0.1);
    EXPECT_NEAR(menus->sidePanel->container->getLeft(), 2, 0.1);
    EXPECT_NEAR(bar->saveButton->container->getLeft(), 1600, 0.1);
    EXPECT_NEAR(bar->saveButton->container->getWidth(), 300, 0.1);
    EXPECT_NEAR(bar->resetCameraButton->container->getLeft(), 1280, 0.1);
    EXPECT_NEAR(bar->saveButton->container->getTop(), 1026, 0.1);
}

TEST(MenuSystem, FrameFitsASmallerWindow)
{
    MenuSystemTest fixture(1280, 720);
    fixture.menus->show();
    fixture.stepUntilSideShown();
    for (int i = 0; i < 200 && fixture.menus->state != MenuSystem::Shown; ++i)
    {
        fixture.step();
    }
    Ogre::OverlayContainer* side = fixture.menus->sidePanel->container;
    Ogre::OverlayContainer* bar = fixture.menus->barPanel->container;
    EXPECT_NEAR(side->getWidth(), 213.3, 0.1);
    EXPECT_NEAR(side->getHeight(), 720, 0.1);
    EXPECT_NEAR(720 - bar->getTop(), 37.3, 0.1);
}

TEST(MenuSystem, LaterRequestReplacesTheWaitingView)
{
    MenuSystemTest fixture;
    MenuSystem* menus = fixture.menus;
    EmptyView third;
    third.build(&fixture.editor, menus, Ogre::Vector3(316, 938, 0));
    MenuView* other = menus->animMenuView;
    menus->show();
    fixture.stepUntilSideShown();
    MenuView* first = menus->currentView;
    ASSERT_NE(first, nullptr);

    // The current view, or nothing, is no request.
    menus->requestView(first);
    menus->requestView(nullptr);
    EXPECT_EQ(menus->sideState, MenuSystem::Shown);

    // Point at a panel of the current view so that it holds the focus when it leaves.
    MenuPanel* button = first->panels.front();
    fixture.test.setPointer(button->topLeft->position.x + 5, button->topLeft->position.y + 5);
    fixture.step();
    EXPECT_EQ(first->focus, button);

    menus->requestView(other);
    EXPECT_EQ(menus->sideState, MenuSystem::SlidingOut);
    EXPECT_EQ(menus->pendingView, other);
    fixture.step();
    menus->requestView(&third);
    EXPECT_EQ(menus->pendingView, &third);
    menus->requestView(&third); // already waiting: nothing changes
    EXPECT_EQ(menus->pendingView, &third);
    EXPECT_FALSE(first->isActive());

    int steps = 0;
    while (menus->currentView == first && steps < 200)
    {
        fixture.step();
        ++steps;
    }
    // The exchange comes on the first swing past the hidden target, well before rest.
    EXPECT_LT(steps, 40);
    EXPECT_EQ(menus->currentView, &third);
    EXPECT_EQ(menus->pendingView, nullptr);
    EXPECT_EQ(menus->sideState, MenuSystem::SlidingIn);
    EXPECT_TRUE(allHidden(first));
    EXPECT_EQ(first->focus, nullptr);
    EXPECT_FALSE(button->state->focused);
    EXPECT_TRUE(allHidden(other));

    fixture.stepUntilSideShown();
    EXPECT_EQ(menus->sideState, MenuSystem::Shown);
    EXPECT_NEAR(menus->sidePanel->container->getLeft(), 2, 0.1);
    menus->currentView = nullptr; // `third` dies before the menus
}

TEST(BarMenuView, ShowsAMessageInRedBesideTheButtons)
{
    MenuSystemTest fixture;
    BarMenuView* bar = fixture.menus->barMenuView;
    fixture.menus->show();
    fixture.stepUntilSideShown();
    MenuPanel* message = bar->messagePanel;
    EXPECT_FLOAT_EQ(message->targetSize.x, 0);
    EXPECT_FALSE(message->state->interactive);

    bar->showMessage("ERROR, couldn't write model.xml");
    EXPECT_EQ(message->textElement->getCaption(), "ERROR, couldn't write model.xml");
    EXPECT_EQ(message->textElement->getColourTop(), Ogre::ColourValue::Red);
    // From 20 units in to 20 units before "Reset camera".
    EXPECT_FLOAT_EQ(message->targetPosition.x, 20);
    EXPECT_FLOAT_EQ(message->targetSize.x, 1280 - 20 - 20);

    // The second file of a save failing too: both are named, each once.
    bar->showMessage("ERROR, couldn't write anims.xml");
    bar->showMessage("ERROR, couldn't write anims.xml");
    EXPECT_EQ(message->textElement->getCaption(),
              "ERROR, couldn't write model.xml   ERROR, couldn't write anims.xml");

    bar->clearMessage();
    EXPECT_EQ(message->textElement->getCaption(), "");
    EXPECT_FLOAT_EQ(message->targetSize.x, 0);
}
