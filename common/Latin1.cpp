#include "common/Latin1.h"

std::string latin1ToUtf8(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (unsigned char byte : text)
    {
        if (byte < 0x80)
        {
            result += static_cast<char>(byte);
        }
        else
        {
            result += static_cast<char>(0xC0 | (byte >> 6));
            result += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return result;
}
