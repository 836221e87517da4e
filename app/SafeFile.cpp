#include "app/SafeFile.h"

#include <algorithm>
#include <cerrno>
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

namespace
{

// A file written beside its target, waiting to be renamed over it.
struct Written
{
    std::string temporary;
    std::string target;
};

// The part of a safe write before the rename: the text goes to a new temporary file in the
// target's folder, flushed to disk. On failure nothing is left and errno says why.
bool writeTemporary(const std::string& fileName, const std::function<bool(std::FILE*)>& writer,
                    Written& result)
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
        const int failure = errno;
        ::close(descriptor);
        ::unlink(temporary.c_str());
        errno = failure;
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
    // The first failure's reason is the one to tell.
    int failure = 0;
    const auto check = [&failure](bool done)
    {
        if (!done && failure == 0)
            failure = errno ? errno : EIO;
        return done;
    };
    errno = 0;
    bool written = check(writer(file));
    written = check(std::fflush(file) == 0) && written;
    written = check(!std::ferror(file)) && written;
    written = check(::fsync(descriptor) == 0) && written;
    written = check(std::fclose(file) == 0) && written;
    if (!written)
    {
        ::unlink(temporary.c_str());
        errno = failure;
        return false;
    }
    result = {temporary, target};
    return true;
}

// Renames a written file over its target; on failure removes it and keeps errno.
bool putInPlace(const Written& written)
{
    if (std::rename(written.temporary.c_str(), written.target.c_str()) == 0)
        return true;
    const int failure = errno;
    ::unlink(written.temporary.c_str());
    errno = failure;
    return false;
}

} // namespace

bool writeFileSafely(const std::string& fileName, const std::function<bool(std::FILE*)>& writer)
{
    Written written;
    return writeTemporary(fileName, writer, written) && putInPlace(written);
}

bool writeFilePairSafely(const std::string& firstName,
                         const std::function<bool(std::FILE*)>& firstWriter,
                         const std::string& secondName,
                         const std::function<bool(std::FILE*)>& secondWriter)
{
    Written first, second;
    if (!writeTemporary(firstName, firstWriter, first))
        return false;
    if (!writeTemporary(secondName, secondWriter, second))
    {
        const int failure = errno;
        ::unlink(first.temporary.c_str());
        errno = failure;
        return false;
    }
    // The first target's old file is kept under a second name until the second is in place, so
    // that a failing second rename can bring it back.
    std::string kept = first.temporary + "-old";
    const bool hadFirst = ::link(first.target.c_str(), kept.c_str()) == 0;
    if (!hadFirst && errno != ENOENT)
        kept.clear(); // no hard links here: the old file could not be brought back
    if (!putInPlace(first))
    {
        const int failure = errno;
        ::unlink(second.temporary.c_str());
        if (hadFirst)
            ::unlink(kept.c_str());
        errno = failure;
        return false;
    }
    if (!putInPlace(second))
    {
        const int failure = errno;
        if (hadFirst)
            std::rename(kept.c_str(), first.target.c_str());
        else if (!kept.empty())
            ::unlink(first.target.c_str());
        errno = failure;
        return false;
    }
    if (hadFirst)
        ::unlink(kept.c_str());
    return true;
}
