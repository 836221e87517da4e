#pragma once

#include <OgreVector.h>

#include <vector>

class AnimMenuView;
class BarMenuView;
class EditorMode;
class MenuView;
class ModelMenuView;
class Panel;
class TextField;

// The editor's on-screen menus: a top panel, the bottom bar and the side panel on the left, with
// the model menu or the animation menu in the side panel and the bar menu in the bar. Changing
// the side menu slides the side panel and its controls out to the left, exchanges the views while
// they are off screen and slides the new one in.
//
// Teardown: the destructor deletes the three views and the three frame panels, whose overlay
// elements go back through the overlay manager (so delete the menu system before the graphics).
// It may run before or after the mode's deactivate(): panels hand their particles back only while
// the mode still holds the particle system they were made in, and never touch a deleted one.
class MenuSystem
{
public:
    // Codes of `state` and `sideState`.
    enum
    {
        SlidingIn = 0,
        Shown = 1,
        SlidingOut = 2,
        Hidden = 3
    };

    MenuSystem() = default;
    virtual ~MenuSystem();
    MenuSystem(const MenuSystem&) = delete;
    MenuSystem& operator=(const MenuSystem&) = delete;

    // Builds the frame panels and the three views and leaves everything hidden.
    void create(EditorMode* editor);
    // Slides the menus in with the model menu in the side panel.
    void show();
    // One animation step, once per fixed simulation step. First lays the menus out again when
    // the window has changed size since they were laid out.
    void update(float timeStep);
    // Scales every panel to the window's present size; nothing when it has not changed.
    void fitToWindow();
    // Asks for `view` in the side panel; a later request replaces one still waiting.
    void requestView(MenuView* view);

    void startHiding();
    void finishHiding();
    void slideInCurrentView();
    void slideInBarView();
    void slideOutCurrentView();

    // Frame panel targets in pixels of the current window.
    static Ogre::Vector3 barShownTarget();
    static Ogre::Vector3 barHiddenTarget();
    static Ogre::Vector3 sideShownTarget();
    static Ogre::Vector3 sideHiddenTarget();

    EditorMode* editor = nullptr; // back pointer: owner of every panel of the menus
    Panel* topPanel = nullptr;    // owned
    Panel* barPanel = nullptr;    // owned
    Panel* sidePanel = nullptr;   // owned
    int state = 3;
    int sideState = 3;
    ModelMenuView* modelMenuView = nullptr; // owned
    AnimMenuView* animMenuView = nullptr;   // owned
    MenuView* pendingView = nullptr;        // one of the two above
    MenuView* currentView = nullptr;        // one of the two above
    BarMenuView* barMenuView = nullptr;     // owned
    // The window size in pixels that the panels are laid out for.
    float laidOutWidth = 0.0f;
    float laidOutHeight = 0.0f;
    // The views' text fields (each registers itself) and the one that has the focus, or null.
    std::vector<TextField*> textFields;
    TextField* textFocus = nullptr;
};
