#pragma once

#include "app/Clipboard.h"

#include <string>

// The X11 CLIPBOARD selection. It uses a connection and a hidden window of its own, opened on
// first use, so that the render window's event handling never sees selection traffic. While this
// program owns the clipboard, processEvents answers the other programs that ask for the text.
class ClipboardX11 : public Clipboard
{
public:
    ClipboardX11();
    ~ClipboardX11() override;

    void setWindowHandle(void* window) override;
    void copy(const std::string& text) override;
    void paste(std::string& target, int maxLength) override;
    void processEvents() override;

    // Whether this program holds the clipboard now.
    bool ownsClipboard();

    // Conversions between the program's Latin-1 texts and the UTF-8 of other programs; a
    // character outside Latin-1 becomes "?".
    static std::string latin1ToUtf8(const std::string& text);
    static std::string utf8ToLatin1(const std::string& text);

    // How long a paste waits for the owner of the clipboard to answer.
    int pasteTimeoutMilliseconds = 1000;

    void* windowHandle = nullptr;

private:
    bool open();
    // Asks the owner for the clipboard in `format`; false when it refuses or does not answer.
    bool requestText(unsigned long format, std::string& text);
    void answerRequest(void* requestEvent);

    void* display = nullptr;    // owned connection
    unsigned long window = 0;   // owned hidden window
    unsigned long clipboardAtom = 0;
    unsigned long targetsAtom = 0;
    unsigned long utf8Atom = 0;
    unsigned long textAtom = 0;
    unsigned long propertyAtom = 0;
    unsigned long incrAtom = 0;
    std::string copiedText;
    bool owner = false;
};
