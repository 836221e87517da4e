#pragma once

#include <string>

// The editor's texts are Latin-1, one byte a character. What leaves it as JSON or on a terminal
// is UTF-8: each byte is taken as the code point of the same value, so a byte of 128 or more
// becomes two bytes.
std::string latin1ToUtf8(const std::string& text);
