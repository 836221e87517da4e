#include "app/AppDataLinux.h"

#include "app/Log.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

std::string AppDataLinux::processUserFolder;

namespace
{
bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// mkdir that counts an existing folder as success, but not an existing file of that name.
bool makeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) == 0)
    {
        return true;
    }
    return errno == EEXIST && isFolder(path);
}

// Creates every missing folder along `path`, as the system does for the user's data folder.
bool makeFolderWithParents(const std::string& path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
    {
        const std::string parent = path.substr(0, slash);
        if (!isFolder(parent) && !makeFolder(parent))
        {
            return false;
        }
    }
    return makeFolder(path);
}
} // namespace

AppDataLinux::AppDataLinux()
{
    userFolder.clear();
    std::string dataHome = getDataHome();
    if (!dataHome.empty() && makeFolderWithParents(dataHome))
    {
        userFolder = dataHome + "/Bramblewick/";
        if (!makeFolder(dataHome + "/Bramblewick"))
        {
            userFolder.clear();
        }
    }
    processUserFolder = userFolder;
}

std::string AppDataLinux::getDataHome()
{
    const char* xdgDataHome = std::getenv("XDG_DATA_HOME");
    // Relative values are invalid by the XDG rules and must be ignored.
    if (xdgDataHome && xdgDataHome[0] == '/')
    {
        std::string folder = xdgDataHome;
        while (folder.size() > 1 && folder.back() == '/')
        {
            folder.pop_back();
        }
        return folder;
    }
    std::string home;
    const char* homeVariable = std::getenv("HOME");
    if (homeVariable && homeVariable[0] == '/')
    {
        home = homeVariable;
    }
    else if (const passwd* entry = getpwuid(getuid()))
    {
        home = entry->pw_dir ? entry->pw_dir : "";
    }
    if (home.empty())
    {
        return std::string();
    }
    while (home.size() > 1 && home.back() == '/')
    {
        home.pop_back();
    }
    return (home == "/" ? std::string() : home) + "/.local/share";
}

std::string AppDataLinux::getSharedFolder()
{
    // The first entry of XDG_DATA_DIRS is the closest match to an all-users data folder; nothing
    // is created there, as an ordinary user may not write to it.
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    std::string first = dataDirs && dataDirs[0] == '/' ? dataDirs : "/usr/local/share";
    first = first.substr(0, first.find(':'));
    return first + "/Bramblewick/";
}

std::string AppDataLinux::getUserFolder()
{
    return userFolder;
}

bool AppDataLinux::createFolderLogged(const std::string& folder)
{
    if (makeFolder(folder))
    {
        return true;
    }
    writeLog("ERROR, couldn't create " + folder);
    return false;
}

std::string AppDataLinux::getSaveGamesFolder()
{
    const std::string folder = userFolder + "savegames";
    createFolderLogged(folder);
    return folder + "/";
}

std::string AppDataLinux::getRemoteProfilesFolder()
{
    const std::string folder = userFolder + "remote_profiles";
    createFolderLogged(folder);
    return folder + "/";
}

std::string AppDataLinux::getProfilesFolder()
{
    const std::string folder = userFolder + profilesFolderName;
    createFolderLogged(folder);
    return folder + "/";
}

void AppDataLinux::createSaveGameFolder(const std::string& name)
{
    createFolderLogged(getSaveGamesFolder() + "/" + name);
}

void AppDataLinux::createRemoteProfileFolder(const std::string& name)
{
    createFolderLogged(getRemoteProfilesFolder() + "/" + name);
}
