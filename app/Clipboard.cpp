#include "app/Clipboard.h"

#include "app/ClipboardX11.h"

#include <OgreString.h>

#include <algorithm>

Clipboard::~Clipboard() = default;

void Clipboard::appendPasted(std::string& target, std::string pasted, int maxLength)
{
    pasted = Ogre::StringUtil::replaceAll(pasted, "\n", "");
    pasted = Ogre::StringUtil::replaceAll(pasted, "\r", "");
    pasted = Ogre::StringUtil::replaceAll(pasted, "\t", "");
    // A field already at or over its limit takes nothing (and a negative room is no room).
    const long room = static_cast<long>(maxLength) - static_cast<long>(target.size());
    if (room <= 0)
    {
        return;
    }
    const size_t count = std::min(pasted.size(), static_cast<size_t>(room));
    target.append(pasted, 0, count);
}

Clipboard* getClipboard()
{
    static ClipboardX11 clipboard;
    return &clipboard;
}
