#pragma once

#include <OgreVector.h>

#include <exception>
#include <map>
#include <string>

// The program's one exception type: carries a text for the error message window.
class TextException : public std::exception
{
public:
    explicit TextException(std::string text) : text(std::move(text)) {}
    const char* what() const noexcept override { return text.c_str(); }

    std::string text;
};

// Writes one line to the engine log "Ogre.log"; dropped while no log manager exists.
void writeLog(const std::string& text);

// Runs an editing command; bad data in the model or the animations is logged as "ERROR, "
// and the command's text, never fatal, so a user never loses unsaved work to it.
template <typename Command> void runLogged(Command command)
{
    try
    {
        command();
    }
    catch (const std::exception& error)
    {
        writeLog(std::string("ERROR, ") + error.what());
    }
}

// Logs "execution halted" and throws a TextException naming the per-user log file. Never returns.
[[noreturn]] void haltExecution();

// Extra advance per character (fraction of the character height) and a pixel shift of the text
// on a 1920 x 1080 screen, per font family.
struct FontAdjustment
{
    float charSpacing = 0.0f;
    Ogre::Vector3 offset = Ogre::Vector3::ZERO;
};

extern std::map<std::string, FontAdjustment> fontAdjustments;
