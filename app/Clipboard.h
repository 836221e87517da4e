#pragma once

#include <string>

// Copies text to and pastes text from the system clipboard. Texts are Latin-1 byte strings.
class Clipboard
{
public:
    virtual ~Clipboard();

    // The window that owns clipboard operations; optional.
    virtual void setWindowHandle(void* window) = 0;
    // Replaces the clipboard's contents with `text`.
    virtual void copy(const std::string& text) = 0;
    // Appends the clipboard's text to `target`, without line breaks and tabs, so that `target`
    // holds at most `maxLength` bytes. Does nothing when there is no text.
    virtual void paste(std::string& target, int maxLength) = 0;
    // Answers other programs that ask for text this program copied. Called once per frame.
    virtual void processEvents() {}

    // The part of a paste that does not depend on the platform: strips "\n", then "\r", then
    // "\t" from `pasted` and appends what fits under `maxLength` to `target`.
    static void appendPasted(std::string& target, std::string pasted, int maxLength);
};

// The one clipboard of the process, created on first use.
Clipboard* getClipboard();
