#include "app/AppDataLinux.h"

#include "app/Log.h"

#include <OgreLogManager.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace
{
bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A fresh folder under the test temporary folder.
std::string freshFolder(const std::string& name)
{
    const std::string folder = ::testing::TempDir() + "appdata_" + name;
    std::system(("rm -rf '" + folder + "'").c_str());
    mkdir(folder.c_str(), 0700);
    return folder;
}

// Restores an environment variable when the test ends.
class ScopedVariable
{
public:
    ScopedVariable(const char* name, const std::string& value) : name(name)
    {
        const char* old = std::getenv(name);
        hadValue = old != nullptr;
        oldValue = old ? old : "";
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable()
    {
        if (hadValue)
        {
            setenv(name, oldValue.c_str(), 1);
        }
        else
        {
            unsetenv(name);
        }
    }

private:
    const char* name;
    bool hadValue = false;
    std::string oldValue;
};

// Collects the log lines written while it exists.
class LogCapture : public Ogre::LogListener
{
public:
    LogCapture()
    {
        logManager = new Ogre::LogManager();
        logManager->createLog("appdata_test.log", true, false, true)->addListener(this);
    }
    ~LogCapture() override { delete logManager; }
    void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel, bool,
                       const Ogre::String&, bool&) override
    {
        lines.push_back(message);
    }

    Ogre::LogManager* logManager = nullptr;
    std::vector<std::string> lines;
};
} // namespace

TEST(AppDataLinux, CreatesTheUserFolderUnderXdgDataHomeAndFindsItAgain)
{
    const std::string base = freshFolder("xdg") + "/deeper/share";
    ScopedVariable xdg("XDG_DATA_HOME", base + "/");

    AppDataLinux first;
    EXPECT_EQ(first.getUserFolder(), base + "/Bramblewick/");
    EXPECT_TRUE(isFolder(base + "/Bramblewick")) << "missing parents are created as well";
    EXPECT_EQ(AppDataLinux::processUserFolder, first.getUserFolder());

    AppDataLinux second;
    EXPECT_EQ(second.getUserFolder(), first.getUserFolder());
    EXPECT_EQ(second.getFilePath("kvo_game.log"), base + "/Bramblewick/kvo_game.log");

    EXPECT_EQ(second.getSaveGamesFolder(), base + "/Bramblewick/savegames/");
    EXPECT_EQ(second.getProfilesFolder(), base + "/Bramblewick/profiles/");
    EXPECT_EQ(second.getRemoteProfilesFolder(), base + "/Bramblewick/remote_profiles/");
    second.createSaveGameFolder("slot1");
    EXPECT_TRUE(isFolder(base + "/Bramblewick/savegames/slot1"));
}

TEST(AppDataLinux, RelativeXdgDataHomeFallsBackToHome)
{
    const std::string home = freshFolder("home");
    ScopedVariable homeVariable("HOME", home);
    ScopedVariable xdg("XDG_DATA_HOME", "relative/share");
    AppDataLinux appData;
    EXPECT_EQ(appData.getUserFolder(), home + "/.local/share/Bramblewick/");
    EXPECT_TRUE(isFolder(home + "/.local/share/Bramblewick"));
}

TEST(AppDataLinux, FolderThatCannotBeMadeLeavesPathsRelativeAndLogsSubFolderFailures)
{
    LogCapture log;
    const std::string base = freshFolder("blocked");
    // A file where the data folder should be: creation fails even for root.
    std::ofstream(base + "/file").put('x');
    {
        ScopedVariable xdg("XDG_DATA_HOME", base + "/file");
        AppDataLinux blocked;
        EXPECT_EQ(blocked.getUserFolder(), "");
        EXPECT_EQ(blocked.getFilePath("kvo_game.log"), "kvo_game.log");
    }

    ScopedVariable xdg("XDG_DATA_HOME", base);
    AppDataLinux appData;
    ASSERT_EQ(appData.getUserFolder(), base + "/Bramblewick/");
    std::ofstream(base + "/Bramblewick/savegames").put('x'); // a file, not a folder
    EXPECT_EQ(appData.getSaveGamesFolder(), base + "/Bramblewick/savegames/");
    const std::string expected = "ERROR, couldn't create " + base + "/Bramblewick/savegames";
    EXPECT_NE(std::find(log.lines.begin(), log.lines.end(), expected), log.lines.end());

    log.lines.clear();
    appData.getProfilesFolder();
    appData.getProfilesFolder();
    EXPECT_TRUE(log.lines.empty()) << "an existing folder is not an error";
}

TEST(HaltExecution, LogsAndThrowsNamingTheGameLogInTheUserFolder)
{
    LogCapture log;
    const std::string base = freshFolder("halt");
    ScopedVariable xdg("XDG_DATA_HOME", base);
    try
    {
        haltExecution();
        FAIL() << "haltExecution returned";
    }
    catch (const TextException& error)
    {
        EXPECT_EQ(std::string(error.what()),
                  "Unrecoverable error occurred, see " + base + "/Bramblewick/kvo_game.log");
    }
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ(log.lines.front(), "execution halted");
}

TEST(WriteLog, IsDroppedWithoutALogManager)
{
    if (Ogre::LogManager::getSingletonPtr())
    {
        GTEST_SKIP() << "another test left a log manager behind";
    }
    writeLog("nobody listens"); // must not crash
}
