#include "app/AppDataLinux.h"

#include "tests/LogCapture.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace
{
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

// A log of its own (no engine runs here), whose lines are collected.
struct AppDataLog
{
    Ogre::LogManager logManager;
    Ogre::Log* made = logManager.createLog("appdata_test.log", true, false, true);
    LogCapture capture;
};
} // namespace

TEST(AppDataLinux, UserFolderLivesUnderXdgDataHomeOrHome)
{
    TempFolder folder("appdata"), homeFolder("appdata-home");
    const std::string base = folder.file("deeper/share");
    ScopedVariable xdg("XDG_DATA_HOME", base + "/");
    AppDataLinux appData;
    EXPECT_EQ(appData.getUserFolder(), base + "/Bramblewick/");
    EXPECT_TRUE(fs::is_directory(base + "/Bramblewick")) << "missing parents are created as well";
    EXPECT_EQ(AppDataLinux().getFilePath("kvo_game.log"), base + "/Bramblewick/kvo_game.log");
    EXPECT_EQ(appData.getSaveGamesFolder(), base + "/Bramblewick/savegames/");
    appData.createSaveGameFolder("slot1");
    EXPECT_TRUE(fs::is_directory(base + "/Bramblewick/savegames/slot1"));

    // A relative XDG_DATA_HOME is not to be used.
    const std::string home = homeFolder.path.string();
    ScopedVariable homeVariable("HOME", home);
    ScopedVariable relative("XDG_DATA_HOME", "relative/share");
    EXPECT_EQ(AppDataLinux().getUserFolder(), home + "/.local/share/Bramblewick/");
    EXPECT_TRUE(fs::is_directory(home + "/.local/share/Bramblewick"));
}

TEST(AppDataLinux, FolderThatCannotBeMadeLeavesPathsRelativeAndLogsSubFolderFailures)
{
    AppDataLog log;
    TempFolder folder("appdata");
    const std::string base = folder.path.string();
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
    EXPECT_TRUE(log.capture.contains("ERROR, couldn't create " + base + "/Bramblewick/savegames"));

    log.capture.lines.clear();
    appData.getProfilesFolder();
    appData.getProfilesFolder();
    EXPECT_TRUE(log.capture.lines.empty()) << "an existing folder is not an error";
}
