#include "app/Log.h"

#include "app/AppDataLinux.h"

#include <OgreLogManager.h>

std::map<std::string, FontAdjustment> fontAdjustments;

void writeLog(const std::string& text)
{
    Ogre::LogManager* logManager = Ogre::LogManager::getSingletonPtr();
    if (logManager)
    {
        logManager->logMessage(text, Ogre::LML_NORMAL, false);
    }
}

void haltExecution()
{
    writeLog("execution halted");
    std::string logPath;
    {
        AppDataLinux appData;
        logPath = appData.getFilePath("kvo_game.log");
    }
    throw TextException("Unrecoverable error occurred, see " + logPath);
}
