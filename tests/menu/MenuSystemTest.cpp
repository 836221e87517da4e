#include "menu/MenuSystem.h"

#include "editor/EditorMode.h"
#include "editor/ModelViewMode.h"
#include "editor/ViewMode.h"
#include "menu/AnimMenuView.h"
#include "menu/BarMenuView.h"
#include "menu/MenuView.h"
#include "menu/ModelMenuView.h"
#include "tests/menu/MenuTestEngine.h"

#include <OgreCamera.h>
#include <OgreOverlayContainer.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace
{
bool allHidden(MenuPanelManager* view)
{
    return std::none_of(view->panels.begin(), view->panels.end(),
                        [](MenuPanel* panel)
                        { return panel->container->isVisible() || panel->topLeft->simulated; });
}
} // namespace

TEST(MenuSystem, LaterRequestReplacesTheWaitingView)
{
    EditorMenuTestEngine test;
    MenuSystem* menus = test.editor->menuSystem;
    MenuView third; // a third side view, so that two different requests can follow each other
    third.build(test.editor.get(), menus, Ogre::Vector3(316, 938, 0));
    MenuView* first = menus->currentView;
    MenuView* other = menus->animMenuView;
    ASSERT_NE(first, nullptr);

    // The current view, or nothing, is no request.
    menus->requestView(first);
    menus->requestView(nullptr);
    EXPECT_EQ(menus->sideState, MenuSystem::Shown);

    // Point at a panel of the current view so that it holds the focus when it leaves.
    MenuPanel* button = first->panels.front();
    test.pointAt(button->topLeft->position + Ogre::Vector3(5, 5, 0));
    EXPECT_EQ(first->focus, button);

    menus->requestView(other);
    EXPECT_EQ(menus->sideState, MenuSystem::SlidingOut);
    EXPECT_EQ(menus->pendingView, other);
    test.step();
    menus->requestView(&third);
    EXPECT_EQ(menus->pendingView, &third);
    menus->requestView(&third); // already waiting: nothing changes
    EXPECT_EQ(menus->pendingView, &third);
    EXPECT_FALSE(first->isActive());

    int steps = 0;
    for (; menus->currentView == first && steps < 200; ++steps)
        test.step();
    // The exchange comes on the first swing past the hidden target, well before rest.
    EXPECT_LT(steps, 40);
    EXPECT_EQ(menus->currentView, &third);
    EXPECT_EQ(menus->pendingView, nullptr);
    EXPECT_EQ(menus->sideState, MenuSystem::SlidingIn);
    EXPECT_TRUE(allHidden(first));
    EXPECT_EQ(first->focus, nullptr);
    EXPECT_FALSE(button->state->focused);
    EXPECT_TRUE(allHidden(other));

    test.settle();
    EXPECT_NEAR(menus->sidePanel->container->getLeft(), 2, 0.1);
    menus->currentView = nullptr; // `third` dies before the menus
}

// Each message shows once, in red, from 20 units in to 20 units before "Reset camera". The
// file name with its mark holds the same place while no message is shown; a note follows it for
// a few seconds.
TEST(BarMenuView, ShowsMessagesOnceInRedBesideTheFileNameAndNotes)
{
    EditorMenuTestEngine test;
    BarMenuView* bar = test.editor->menuSystem->barMenuView;
    MenuPanel* message = bar->messagePanel;
    MenuPanel* status = bar->statusPanel;
    bar->showStatus("creature.xml *");
    bar->showNote("Undo: paint stroke");
    EXPECT_EQ(status->textElement->getCaption(), "creature.xml *   Undo: paint stroke");
    EXPECT_FLOAT_EQ(status->targetPosition.x, 20);
    const float room = status->targetSize.x;
    EXPECT_FLOAT_EQ(room, 1280 - 20 - 20);
    EXPECT_FLOAT_EQ(message->targetSize.x, 0);

    // A message never hides the name and the unsaved mark: it stands beside them.
    bar->showMessage("ERROR, couldn't write model.xml");
    bar->showMessage("ERROR, couldn't write anims.xml");
    bar->showMessage("ERROR, couldn't write anims.xml");
    EXPECT_EQ(bar->message, "ERROR, couldn't write model.xml   ERROR, couldn't write anims.xml");
    EXPECT_EQ(message->textElement->getCaption().asUTF8().rfind("ERROR, couldn't write", 0), 0u);
    EXPECT_EQ(message->textElement->getColourTop(), Ogre::ColourValue::Red);
    EXPECT_EQ(status->textElement->getCaption().asUTF8().rfind("creature.xml *", 0), 0u);
    EXPECT_GT(status->targetSize.x, 0);
    EXPECT_FLOAT_EQ(message->targetPosition.x, status->targetPosition.x + status->targetSize.x);
    EXPECT_FLOAT_EQ(message->targetPosition.x + message->targetSize.x, 20 + room);

    bar->clearMessage();
    EXPECT_EQ(message->textElement->getCaption(), "");
    EXPECT_FLOAT_EQ(message->targetSize.x, 0);
    EXPECT_FLOAT_EQ(status->targetSize.x, room);
    bar->update(BarMenuView::NOTE_SECONDS + 0.1f);
    EXPECT_EQ(status->textElement->getCaption(), "creature.xml *");

    // A name too long for the bar is cut with an ellipsis, its letters keep their size.
    const float letters = status->textElement->getCharHeight();
    bar->showStatus(std::string(300, 'n') + ".xml *");
    const std::string shown = status->textElement->getCaption().asUTF8();
    EXPECT_EQ(shown.substr(shown.size() - 3), "...");
    EXPECT_LE(status->textWidth(shown), room);
    EXPECT_FLOAT_EQ(status->textElement->getCharHeight(), letters);
}

// The menus follow the window: after a resize they are laid out for the new size, so the bar
// stays on screen and clicks hit what is drawn, and no caption runs out of its panel at sizes
// from 800 x 600 to 2560 x 1440.
TEST(MenuSystem, FollowsTheWindowSizeAndKeepsCaptionsInside)
{
    EditorMenuTestEngine test;
    MenuSystem* menus = test.editor->menuSystem;
    for (const auto& [width, height] : {std::pair{900u, 600u}, std::pair{800u, 600u},
                                        std::pair{2560u, 1440u}, std::pair{1280u, 720u}})
    {
        test.menus.setWindowSize(width, height);
        test.step(120);
        for (MenuPanel* button : {menus->barMenuView->saveButton,
                                  menus->barMenuView->resetCameraButton})
        {
            EXPECT_LE(button->targetPosition.y + button->targetSize.y * 0.5f, float(height));
            EXPECT_LE(button->targetPosition.x + button->targetSize.x, float(width) + 0.5f);
        }
        for (MenuPanelManager* view : {static_cast<MenuPanelManager*>(menus->modelMenuView),
                                       static_cast<MenuPanelManager*>(menus->animMenuView)})
            for (MenuPanel* panel : view->panels)
                if (panel->textElement && panel->targetSize.x > 0 && !panel->text.empty())
                {
                    const std::string caption = panel->textElement->getCaption().asUTF8();
                    const float margin = panel->textElement->getLeft() - panel->fontOffset.x;
                    EXPECT_LE(margin + panel->textWidth(caption), panel->targetSize.x)
                        << caption << " at " << width << " x " << height;
                }
        Ogre::Camera* camera = test.menus.engine.camera;
        camera->setPosition(0, 0, 0);
        test.click(menus->barMenuView->resetCameraButton);
        EXPECT_EQ(camera->getPosition(), Ogre::Vector3(0, 15, 70)) << width << " x " << height;
    }
}

// Quick switches of the view: the side menu that comes to rest is always the current view's,
// the model menu never keeps a pointer to a view mode that is gone, and a press that a menu
// took sees its release even when the side menu started to slide in between.
TEST(MenuSystem, QuickViewSwitchesEndOnTheCurrentViewsMenuAndKeepNoStalePress)
{
    EditorMenuTestEngine test;
    EditorMode* editor = test.editor.get();
    MenuSystem* menus = editor->menuSystem;
    ModelMenuView* model = menus->modelMenuView;
    AnimMenuView* anim = menus->animMenuView;
    ASSERT_EQ(menus->currentView, model);

    menus->requestView(anim);
    test.step();
    menus->requestView(model); // back before the animation menu came in
    test.settle();
    EXPECT_EQ(menus->currentView, model);
    EXPECT_EQ(menus->pendingView, nullptr);
    EXPECT_TRUE(model->isActive());
    EXPECT_TRUE(allHidden(anim));

    // The model view goes: the colour picker lets go of it.
    ASSERT_NE(model->colorPicker.colourTarget, nullptr);
    auto* other = new ViewMode();
    other->name = "AnimateView";
    editor->setViewMode(other);
    EXPECT_EQ(model->colorPicker.colourTarget, nullptr);
    editor->setViewMode(new ModelViewMode());
    test.settle();

    // Held on a colour knob while the menu slides out and back: the knob does not follow the
    // pointer afterwards, and a later click in the 3D view clicks nothing.
    MenuPanel* knob = model->colorPicker.sliders[0].knob;
    test.pointAt(EditorMenuTestEngine::pointIn(knob));
    test.press();
    menus->requestView(anim);
    test.step(3);
    test.release();
    menus->requestView(model);
    test.settle();
    const float value = model->colorPicker.sliders[0].value;
    test.pointAt(EditorMenuTestEngine::pointIn(model->colorPicker.sliders[0].track, 0.9f));
    test.step(5);
    EXPECT_FLOAT_EQ(model->colorPicker.sliders[0].value, value);
    EXPECT_EQ(model->pressed, nullptr);
    EXPECT_EQ(menus->barMenuView->pressed, nullptr);
}
