#include "app/ErrorMessage.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <vector>

namespace
{
const int margin = 18;
const int iconSize = 32;
const int buttonWidth = 88;
const int buttonHeight = 28;
const int textWidthLimit = 440;

int textWidth(XFontStruct* font, const std::string& text)
{
    return font ? XTextWidth(font, text.c_str(), static_cast<int>(text.size()))
                : static_cast<int>(text.size()) * 6;
}

// Breaks the text at line feeds and between words so that no line is wider than `limit`; a
// word wider than the limit is cut.
std::vector<std::string> wrapText(XFontStruct* font, const std::string& text, int limit)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size())
    {
        size_t end = text.find('\n', start);
        std::string paragraph = text.substr(start, end == std::string::npos ? end : end - start);
        if (!paragraph.empty() && paragraph.back() == '\r')
        {
            paragraph.pop_back();
        }
        std::string line;
        size_t position = 0;
        while (position < paragraph.size())
        {
            size_t wordEnd = paragraph.find(' ', position);
            if (wordEnd == std::string::npos)
            {
                wordEnd = paragraph.size();
            }
            std::string word = paragraph.substr(position, wordEnd - position);
            std::string candidate = line.empty() ? word : line + " " + word;
            if (textWidth(font, candidate) <= limit)
            {
                line = candidate;
            }
            else
            {
                if (!line.empty())
                {
                    lines.push_back(line);
                }
                while (textWidth(font, word) > limit && word.size() > 1)
                {
                    size_t fit = word.size() - 1;
                    while (fit > 1 && textWidth(font, word.substr(0, fit)) > limit)
                    {
                        --fit;
                    }
                    lines.push_back(word.substr(0, fit));
                    word = word.substr(fit);
                }
                line = word;
            }
            position = wordEnd + 1;
        }
        lines.push_back(line);
        if (end == std::string::npos)
        {
            break;
        }
        start = end + 1;
    }
    return lines;
}

unsigned long namedColour(Display* display, const char* name, unsigned long fallback)
{
    XColor colour;
    XColor exact;
    Colormap colormap = DefaultColormap(display, DefaultScreen(display));
    if (XAllocNamedColor(display, colormap, name, &colour, &exact))
    {
        return colour.pixel;
    }
    return fallback;
}
} // namespace

void showErrorMessage(const std::string& caption, const std::string& text)
{
    std::cerr << caption << ": " << text << std::endl;
    showErrorWindow(caption, text);
}

bool showErrorWindow(const std::string& caption, const std::string& text)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display)
    {
        return false;
    }
    const int screen = DefaultScreen(display);
    XFontStruct* font =
        XLoadQueryFont(display, "-*-helvetica-medium-r-normal--14-*-*-*-*-*-iso8859-1");
    if (!font)
    {
        font = XLoadQueryFont(display, "fixed");
    }
    const int lineHeight = font ? font->ascent + font->descent + 3 : 16;
    const int ascent = font ? font->ascent : 11;

    const std::vector<std::string> lines = wrapText(font, text, textWidthLimit);
    int widest = 0;
    for (const std::string& line : lines)
    {
        widest = std::max(widest, textWidth(font, line));
    }
    const int textLeft = margin + iconSize + margin;
    const int width = std::max(textLeft + widest + margin, 320);
    const int textHeight = std::max(static_cast<int>(lines.size()) * lineHeight, iconSize);
    const int buttonTop = margin + textHeight + margin;
    const int height = buttonTop + buttonHeight + margin;
    const int buttonLeft = (width - buttonWidth) / 2;

    const unsigned long background = namedColour(display, "#ecebe8", WhitePixel(display, screen));
    const unsigned long black = BlackPixel(display, screen);
    const unsigned long white = WhitePixel(display, screen);
    const unsigned long red = namedColour(display, "#c8302c", black);
    const unsigned long buttonFace = namedColour(display, "#fafafa", white);
    const unsigned long buttonEdge = namedColour(display, "#3b6db3", black);

    const int left = std::max(0, (DisplayWidth(display, screen) - width) / 2);
    const int top = std::max(0, (DisplayHeight(display, screen) - height) / 2);
    Window window = XCreateSimpleWindow(display, RootWindow(display, screen), left, top,
                                        static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        1, black, background);

    XStoreName(display, window, caption.c_str());
    Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), utf8, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(caption.c_str()),
                    static_cast<int>(caption.size()));
    Atom dialogType = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DIALOG", False);
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM,
                    32, PropModeReplace, reinterpret_cast<const unsigned char*>(&dialogType), 1);
    Atom states[] = {XInternAtom(display, "_NET_WM_STATE_MODAL", False),
                     XInternAtom(display, "_NET_WM_STATE_ABOVE", False)};
    XChangeProperty(display, window, XInternAtom(display, "_NET_WM_STATE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(states), 2);
    // A fixed size: the text is laid out once.
    XSizeHints* sizeHints = XAllocSizeHints();
    sizeHints->flags = PPosition | PMinSize | PMaxSize;
    sizeHints->x = left;
    sizeHints->y = top;
    sizeHints->min_width = sizeHints->max_width = width;
    sizeHints->min_height = sizeHints->max_height = height;
    XSetWMNormalHints(display, window, sizeHints);
    XFree(sizeHints);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);

    XSelectInput(display, window,
                 ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                     StructureNotifyMask);
    GC gc = XCreateGC(display, window, 0, nullptr);
    if (font)
    {
        XSetFont(display, gc, font->fid);
    }
    XMapRaised(display, window);

    auto draw = [&](bool buttonDown)
    {
        XSetForeground(display, gc, background);
        XFillRectangle(display, window, gc, 0, 0, static_cast<unsigned>(width),
                       static_cast<unsigned>(height));
        // The error sign: a red disc with a white cross.
        XSetForeground(display, gc, red);
        XFillArc(display, window, gc, margin, margin, iconSize, iconSize, 0, 360 * 64);
        XSetForeground(display, gc, white);
        XSetLineAttributes(display, gc, 3, LineSolid, CapRound, JoinRound);
        XDrawLine(display, window, gc, margin + 10, margin + 10, margin + iconSize - 10,
                  margin + iconSize - 10);
        XDrawLine(display, window, gc, margin + iconSize - 10, margin + 10, margin + 10,
                  margin + iconSize - 10);
        XSetLineAttributes(display, gc, 1, LineSolid, CapButt, JoinMiter);
        XSetForeground(display, gc, black);
        int y = margin + ascent + 2;
        for (const std::string& line : lines)
        {
            XDrawString(display, window, gc, textLeft, y, line.c_str(),
                        static_cast<int>(line.size()));
            y += lineHeight;
        }
        XSetForeground(display, gc, buttonDown ? background : buttonFace);
        XFillRectangle(display, window, gc, buttonLeft, buttonTop, buttonWidth, buttonHeight);
        XSetForeground(display, gc, buttonEdge);
        XDrawRectangle(display, window, gc, buttonLeft, buttonTop, buttonWidth - 1,
                       buttonHeight - 1);
        XDrawRectangle(display, window, gc, buttonLeft + 1, buttonTop + 1, buttonWidth - 3,
                       buttonHeight - 3);
        XSetForeground(display, gc, black);
        const std::string ok = "OK";
        XDrawString(display, window, gc, buttonLeft + (buttonWidth - textWidth(font, ok)) / 2,
                    buttonTop + (buttonHeight + ascent) / 2 - 1, ok.c_str(), 2);
        XFlush(display);
    };
    auto insideButton = [&](int x, int y)
    {
        return x >= buttonLeft && x < buttonLeft + buttonWidth && y >= buttonTop &&
               y < buttonTop + buttonHeight;
    };

    bool done = false;
    bool pressedOnButton = false;
    while (!done)
    {
        XEvent event;
        XNextEvent(display, &event);
        switch (event.type)
        {
        case MapNotify:
            // Without a window manager nobody else gives the window the keyboard.
            XSetInputFocus(display, window, RevertToParent, CurrentTime);
            break;
        case Expose:
            if (event.xexpose.count == 0)
            {
                draw(pressedOnButton);
            }
            break;
        case KeyPress:
        {
            const KeySym key = XLookupKeysym(&event.xkey, 0);
            done = key == XK_Return || key == XK_KP_Enter || key == XK_Escape;
            break;
        }
        case ButtonPress:
            pressedOnButton =
                event.xbutton.button == Button1 && insideButton(event.xbutton.x, event.xbutton.y);
            draw(pressedOnButton);
            break;
        case ButtonRelease:
            done = pressedOnButton && insideButton(event.xbutton.x, event.xbutton.y);
            pressedOnButton = false;
            draw(false);
            break;
        case ClientMessage:
            done = static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow;
            break;
        default:
            break;
        }
    }

    XFreeGC(display, gc);
    if (font)
    {
        XFreeFont(display, font);
    }
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return true;
}
