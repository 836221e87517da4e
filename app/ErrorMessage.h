#pragma once

#include <string>

// Reports an error the program cannot go on from: writes "caption: text" to standard error and,
// when a display is available, shows a small modal window with the caption as its title, the
// text and an OK button. Returns when the user closes it with OK, Return, Escape or the window
// manager's close button.
void showErrorMessage(const std::string& caption, const std::string& text);

// The same window without the standard error line; false when no display could be opened.
bool showErrorWindow(const std::string& caption, const std::string& text);
