#include "app/ClipboardX11.h"

#include "common/Latin1.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <poll.h>

namespace
{
Display* asDisplay(void* display)
{
    return static_cast<Display*>(display);
}
} // namespace

ClipboardX11::ClipboardX11() = default;

ClipboardX11::~ClipboardX11()
{
    if (display)
    {
        XDestroyWindow(asDisplay(display), window);
        XCloseDisplay(asDisplay(display));
    }
}

void ClipboardX11::setWindowHandle(void* window)
{
    windowHandle = window;
}

bool ClipboardX11::open()
{
    if (display)
    {
        return true;
    }
    Display* connection = XOpenDisplay(nullptr);
    if (!connection)
    {
        return false;
    }
    display = connection;
    window = XCreateSimpleWindow(connection, DefaultRootWindow(connection), 0, 0, 1, 1, 0, 0, 0);
    clipboardAtom = XInternAtom(connection, "CLIPBOARD", False);
    targetsAtom = XInternAtom(connection, "TARGETS", False);
    utf8Atom = XInternAtom(connection, "UTF8_STRING", False);
    textAtom = XInternAtom(connection, "TEXT", False);
    propertyAtom = XInternAtom(connection, "BRAMBLEWICK_CLIPBOARD", False);
    incrAtom = XInternAtom(connection, "INCR", False);
    return true;
}

bool ClipboardX11::ownsClipboard()
{
    if (!display)
    {
        return false;
    }
    processEvents(); // a pending SelectionClear means someone else took it
    return owner && XGetSelectionOwner(asDisplay(display), clipboardAtom) == window;
}

void ClipboardX11::copy(const std::string& text)
{
    if (!open())
    {
        return;
    }
    copiedText = text;
    XSetSelectionOwner(asDisplay(display), clipboardAtom, window, CurrentTime);
    owner = XGetSelectionOwner(asDisplay(display), clipboardAtom) == window;
    XFlush(asDisplay(display));
}

void ClipboardX11::paste(std::string& target, int maxLength)
{
    if (!open())
    {
        return;
    }
    if (ownsClipboard())
    {
        appendPasted(target, copiedText, maxLength);
        return;
    }
    if (XGetSelectionOwner(asDisplay(display), clipboardAtom) == 0)
    {
        return;
    }
    std::string text;
    if (requestText(utf8Atom, text))
    {
        appendPasted(target, utf8ToLatin1(text), maxLength);
    }
    else if (requestText(XA_STRING, text))
    {
        appendPasted(target, text, maxLength);
    }
}

bool ClipboardX11::requestText(unsigned long format, std::string& text)
{
    Display* connection = asDisplay(display);
    XConvertSelection(connection, clipboardAtom, format, propertyAtom, window, CurrentTime);
    XFlush(connection);

    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(pasteTimeoutMilliseconds);
    XEvent event;
    for (;;)
    {
        if (XCheckTypedWindowEvent(connection, window, SelectionNotify, &event))
        {
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
        {
            return false;
        }
        pollfd socket{ConnectionNumber(connection), POLLIN, 0};
        poll(&socket, 1, static_cast<int>(left.count()));
        XEventsQueued(connection, QueuedAfterReading);
    }
    if (event.xselection.property == None)
    {
        return false;
    }

    Atom type = None;
    int formatBits = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(connection, window, propertyAtom, 0, 0x1000000L, True,
                                          AnyPropertyType, &type, &formatBits, &count,
                                          &remaining, &data);
    bool ok = status == Success && type != incrAtom && formatBits == 8 && data;
    if (ok)
    {
        text.assign(reinterpret_cast<const char*>(data), count);
    }
    if (data)
    {
        XFree(data);
    }
    // Large texts come in increments; a text field never needs them, so such a paste is dropped.
    return ok;
}

void ClipboardX11::processEvents()
{
    if (!display)
    {
        return;
    }
    Display* connection = asDisplay(display);
    while (XPending(connection) > 0)
    {
        XEvent event;
        XNextEvent(connection, &event);
        if (event.type == SelectionRequest)
        {
            answerRequest(&event);
        }
        else if (event.type == SelectionClear && event.xselectionclear.selection == clipboardAtom)
        {
            owner = false;
            copiedText.clear();
        }
    }
}

void ClipboardX11::answerRequest(void* requestEvent)
{
    Display* connection = asDisplay(display);
    const XSelectionRequestEvent& request = static_cast<XEvent*>(requestEvent)->xselectionrequest;

    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = request.display;
    reply.requestor = request.requestor;
    reply.selection = request.selection;
    reply.target = request.target;
    reply.time = request.time;
    reply.property = None;

    // Old clients leave the property out: the target's name is used instead.
    const Atom property = request.property == None ? request.target : request.property;
    if (owner && request.selection == clipboardAtom)
    {
        if (request.target == targetsAtom)
        {
            const Atom targets[] = {targetsAtom, utf8Atom, XA_STRING, textAtom};
            XChangeProperty(connection, request.requestor, property, XA_ATOM, 32,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(targets), 4);
            reply.property = property;
        }
        else if (request.target == utf8Atom)
        {
            const std::string text = latin1ToUtf8(copiedText);
            XChangeProperty(connection, request.requestor, property, utf8Atom, 8,
                            PropModeReplace, reinterpret_cast<const unsigned char*>(text.data()),
                            static_cast<int>(text.size()));
            reply.property = property;
        }
        else if (request.target == XA_STRING || request.target == textAtom)
        {
            XChangeProperty(connection, request.requestor, property, XA_STRING, 8,
                            PropModeReplace,
                            reinterpret_cast<const unsigned char*>(copiedText.data()),
                            static_cast<int>(copiedText.size()));
            reply.property = property;
        }
    }
    XEvent notify;
    notify.xselection = reply;
    XSendEvent(connection, request.requestor, False, 0, &notify);
    XFlush(connection);
}

std::string ClipboardX11::latin1ToUtf8(const std::string& text) { return ::latin1ToUtf8(text); }

std::string ClipboardX11::utf8ToLatin1(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size();)
    {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t length = 1;
        unsigned codePoint = lead;
        if (lead >= 0xF0)
        {
            length = 4;
            codePoint = lead & 0x07;
        }
        else if (lead >= 0xE0)
        {
            length = 3;
            codePoint = lead & 0x0F;
        }
        else if (lead >= 0xC0)
        {
            length = 2;
            codePoint = lead & 0x1F;
        }
        else if (lead >= 0x80)
        {
            result += '?'; // a stray continuation byte
            ++i;
            continue;
        }
        if (i + length > text.size())
        {
            result += '?';
            break;
        }
        bool valid = true;
        for (size_t k = 1; k < length; ++k)
        {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            valid = valid && (next & 0xC0) == 0x80;
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        result += valid && codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
        i += valid ? length : 1;
    }
    return result;
}
