#include "app/SafeFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

std::string fitFileName(const std::string& start, const std::string& ending, size_t maxBytes)
{
    if (start.size() + ending.size() <= maxBytes)
    {
        return start + ending;
    }
    // FNV-1a: short and the same on every run and machine.
    uint32_t hash = 2166136261u;
    for (unsigned char c : start + ending)
    {
        hash = (hash ^ c) * 16777619u;
    }
    char mark[16];
    std::snprintf(mark, sizeof(mark), "~%08x", hash);
    const size_t room = maxBytes > ending.size() + 9 ? maxBytes - ending.size() - 9 : 0;
    size_t cut = std::min(room, start.size());
    while (cut > 0 && cut < start.size() && (static_cast<unsigned char>(start[cut]) & 0xC0) == 0x80)
    {
        --cut;
    }
    return start.substr(0, cut) + mark + ending;
}

bool writeFileSafely(const std::string& fileName, const std::function<bool(std::FILE*)>& writer)
{
    namespace fs = std::filesystem;
    std::error_code error;
    std::string target = fileName;
    if (fs::is_symlink(fileName, error))
    {
        const fs::path resolved = fs::canonical(fileName, error);
        if (!error)
        {
            target = resolved.string();
        }
    }
    // The temporary name ends in random letters after a dot-prefixed copy of the file name,
    // so it is never a name the user chose and never shows up as one of theirs.
    const fs::path targetPath(target);
    fs::path folder = targetPath.parent_path();
    // A name near the 255-byte limit is shortened so that the temporary one fits as well.
    std::string pattern =
        (folder / fitFileName("." + targetPath.filename().string(), ".saving-XXXXXX")).string();
    const int descriptor = ::mkstemp(pattern.data());
    if (descriptor < 0)
    {
        return false;
    }
    const std::string temporary = pattern;
    std::FILE* file = ::fdopen(descriptor, "w");
    if (!file)
    {
        ::close(descriptor);
        ::unlink(temporary.c_str());
        return false;
    }
    struct stat existing;
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
    {
        ::fchmod(descriptor, existing.st_mode & 07777);
    }
    else
    {
        // mkstemp makes the file readable by its owner only; a new file gets the usual rights.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(descriptor, 0666 & ~mask);
    }
    bool written = writer(file);
    written = std::fflush(file) == 0 && written;
    written = !std::ferror(file) && written;
    written = ::fsync(descriptor) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (written && std::rename(temporary.c_str(), target.c_str()) != 0)
    {
        written = false;
    }
    if (!written)
    {
        ::unlink(temporary.c_str());
    }
    return written;
}
