#pragma once

#include <string>

// Names the per-user data folder of the game family and its sub-folders, creating them on
// demand. One implementation per platform.
class AppData
{
public:
    AppData();
    virtual ~AppData();

    // Folder shared by all users; empty when the platform has none.
    virtual std::string getSharedFolder();
    // The per-user folder, ending in a separator (empty when it could not be created).
    virtual std::string getUserFolder() = 0;
    // Sub-folders of the user folder, created if missing; each answer ends in a separator.
    virtual std::string getSaveGamesFolder() = 0;
    virtual std::string getRemoteProfilesFolder() = 0;
    virtual std::string getProfilesFolder() = 0;
    virtual void createSaveGameFolder(const std::string& name) = 0;
    virtual void createRemoteProfileFolder(const std::string& name) = 0;

    // The user folder followed by `fileName`.
    std::string getFilePath(const std::string& fileName);

    std::string profilesFolderName;
};
