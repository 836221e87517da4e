#pragma once

#include "app/AppData.h"

#include <string>

// The XDG data folder: "$XDG_DATA_HOME/Bramblewick/", or "~/.local/share/Bramblewick/" when the
// variable is unset or not an absolute path.
class AppDataLinux : public AppData
{
public:
    AppDataLinux();

    std::string getSharedFolder() override;
    std::string getUserFolder() override;
    std::string getSaveGamesFolder() override;
    std::string getRemoteProfilesFolder() override;
    std::string getProfilesFolder() override;
    void createSaveGameFolder(const std::string& name) override;
    void createRemoteProfileFolder(const std::string& name) override;

    // The base folder the user folder is made in, following the XDG rules; empty when neither
    // XDG_DATA_HOME nor a home folder is known.
    static std::string getDataHome();

    std::string userFolder;

    // The user folder computed by the latest construction, for code without an AppData at hand.
    static std::string processUserFolder;

private:
    // Creates `folder` (no parents); logs "ERROR, couldn't create " on a failure other than an
    // existing folder. Answers whether the folder exists afterwards.
    static bool createFolderLogged(const std::string& folder);
};
