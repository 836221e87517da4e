#pragma once

#include "app/KeyListener.h"

#include <OgreVector.h>

#include <OIS/OISMouse.h>

#include <cstddef>
#include <functional>
#include <string>

class MenuPanel;
class MenuSystem;
class MenuView;

// A one-line text field in a menu view: a panel that shows its text and, while it has the focus,
// a caret ("|"). At most one field of the menus has the focus; the menu system knows which.
//
// How to use one (the owner is a menu view):
//   - In the view's build(): `nameField.reset(new TextField(*this));` then set `onCommit`, e.g.
//       nameField->onCommit = [this](const std::string& text)
//       { editor()->asStep("name", [&] { ...store text...; }); };
//     Its panel is `panel` (a full-width low button, already in the view's panel list, so it
//     slides, hides and takes the hover look with the view). Place `panel->targetPosition` in
//     the view's setPosition like any other control. `label` is shown before the text
//     ("Name: "), not edited.
//   - Show the value with setText() whenever it changes outside the field (another particle
//     chosen, undo). setText() while the field has the focus throws the edit away.
//   - Nothing else: EditorMode routes keys and presses through the static operations below.
//
// Behaviour the user sees: a left press on the field gives it the focus. While it has the focus
// every key goes to it and no key command of the editor runs. Printable Latin-1 characters
// (32-126 and 160-255, from KeyEvent::text) are inserted at the caret up to MAX_LENGTH; Backspace
// and Delete remove one; Left, Right, Home and End move the caret. Enter (or the keypad's), or a
// press anywhere else, commits: onCommit runs once with the new text, and only when it differs
// from the text the field had when it took the focus, so an unchanged field makes no undo step.
// Escape cancels: the text is restored and onCommit does not run.
class TextField
{
public:
    static constexpr size_t MAX_LENGTH = 64;

    // Makes the field's panel in `view` (built with the view's factories, `scale` as for
    // addSmallButton) and registers it with the view's menu system.
    explicit TextField(MenuView& view, float scale = 1.0f);
    // Drops the focus (without committing) and deletes the panel.
    ~TextField();
    TextField(const TextField&) = delete;
    TextField& operator=(const TextField&) = delete;

    // Shows `value` (Latin-1) as the field's text; an edit in progress is dropped.
    void setText(const std::string& value);
    const std::string& getText() const { return text; }
    bool hasFocus() const;
    // Takes the focus (committing the field that had it); the caret goes to the end.
    void focus();
    // Ends the edit: commit (onCommit if the text changed) or cancel (restore the text).
    void commit();
    void cancel();
    // One key while focused; always true (the field swallows every key).
    bool keyPressed(const KeyEvent& event);

    // --- routing, called by EditorMode ---
    // A key press: true when a field has the focus and took it (then no key command may run).
    static bool routeKeyPressed(MenuSystem* menus, const KeyEvent& event);
    // Whether a field has the focus (key releases and Shift-turns are then ignored).
    static bool anyFocused(MenuSystem* menus);
    // A mouse press at the pointer: a left press on a shown field of an active view focuses it
    // and returns true (nobody else gets the press); any other press commits the focused field
    // and returns false, so that the press goes on as usual.
    static bool routePressed(MenuSystem* menus, const OIS::MouseButtonID& button);

    std::function<void(const std::string&)> onCommit;
    std::string label;
    MenuPanel* panel = nullptr; // owned
    MenuView& view;             // back reference

private:
    bool contains(const Ogre::Vector3& point) const;
    // Shows label, text and (while focused) the caret, keeping the caret in sight.
    void refresh();
    void endEdit();

    std::string text;
    std::string before; // the text when the field took the focus
    size_t caret = 0;
};
