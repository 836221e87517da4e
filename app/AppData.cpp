#include "app/AppData.h"

AppData::AppData() : profilesFolderName("profiles") {}

AppData::~AppData() = default;

std::string AppData::getSharedFolder()
{
    return std::string();
}

std::string AppData::getFilePath(const std::string& fileName)
{
    return getUserFolder() + fileName;
}
