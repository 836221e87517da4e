#include "app/AppDataLinux.h"

#include <OgreLogManager.h>

#include <gtest/gtest.h>

#include <algorithm>
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

std::string freshFolder(const std::string& name)
{
    const std::string folder = ::testing::TempDir() + "appdata_" + name;
    std::system(("rm -rf '" + folder + "'").c_str());
    mkdir(folder.c_str(), 0700);
    return folder;
}

// Sets an environment variable for the test's lifetime.
struct ScopedVariable
{
    ScopedVariable(const char* name, const std::string& value) : name(name)
    {
        const char* old = std::getenv(name);
        hadValue = old != nullptr;
        oldValue = old ? old : "";
        setenv(name, value.c_str(), 1);
    }
    ~ScopedVariable() { hadValue ? setenv(name, oldValue.c_str(), 1) : unsetenv(name); }
    const char* name;
    bool hadValue;
    std::string oldValue;
};

// Collects the log lines written while it exists.
struct LogCapture : Ogre::LogListener
{
    LogCapture() { logManager.createLog("appdata_test.log", true, false, true)->addListener(this); }
    void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel, bool,
                       const Ogre::String&, bool&) override
    {
        lines.push_back(message);
    }
    bool has(const std::string& line) const
    {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    Ogre::LogManager logManager;
    std::vector<std::string> lines;
};
} // namespace

TEST(AppDataLinux, UserFolderLivesUnderXdgDataHomeOrHome)
{
    const std::string base = freshFolder("xdg") + "/deeper/share";
    ScopedVariable xdg("XDG_DATA_HOME", base + "/");
    AppDataLinux appData;
    EXPECT_EQ(appData.getUserFolder(), base + "/Bramblewick/");
    EXPECT_TRUE(isFolder(base + "/Bramblewick")) << "missing parents are created as well";
    EXPECT_EQ(AppDataLinux().getFilePath("kvo_game.log"), base + "/Bramblewick/kvo_game.log");
    EXPECT_EQ(appData.getSaveGamesFolder(), base + "/Bramblewick/savegames/");
    appData.createSaveGameFolder("slot1");
    EXPECT_TRUE(isFolder(base + "/Bramblewick/savegames/slot1"));

    // A relative XDG_DATA_HOME is not to be used.
    const std::string home = freshFolder("home");
    ScopedVariable homeVariable("HOME", home);
    ScopedVariable relative("XDG_DATA_HOME", "relative/share");
    EXPECT_EQ(AppDataLinux().getUserFolder(), home + "/.local/share/Bramblewick/");
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
    EXPECT_TRUE(log.has("ERROR, couldn't create " + base + "/Bramblewick/savegames"));

    log.lines.clear();
    appData.getProfilesFolder();
    appData.getProfilesFolder();
    EXPECT_TRUE(log.lines.empty()) << "an existing folder is not an error";
}
