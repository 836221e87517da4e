#pragma once

#include <OgreLog.h>
#include <OgreLogManager.h>

#include <algorithm>
#include <string>
#include <vector>

// Collects the lines written to the engine log while it lives.
class LogCapture : public Ogre::LogListener
{
public:
    LogCapture() { Ogre::LogManager::getSingleton().getDefaultLog()->addListener(this); }
    ~LogCapture() override
    {
        Ogre::LogManager::getSingleton().getDefaultLog()->removeListener(this);
    }
    void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel, bool,
                       const Ogre::String&, bool&) override
    {
        lines.push_back(message);
    }
    bool contains(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    std::vector<std::string> lines;
};
