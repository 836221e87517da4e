#include "editor/RecoveryCopies.h"

#include "app/Log.h"
#include "app/SafeFile.h"
#include "editor/EditorMode.h"
#include "skeleton/ModelDocument.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{

// FNV-1a: short, stable across runs and machines.
std::string hashText(const std::string& text)
{
    uint32_t hash = 2166136261u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    char out[9];
    std::snprintf(out, sizeof(out), "%08x", hash);
    return out;
}

// The part of a copy's name after the model's stem: "-<date>_<time>-<hash>" and the longest
// ending, ".animations.xml". Stems are cut to leave room for it, the same way for both copies.
const size_t COPY_TAIL = 1 + 19 + 1 + 8 + 15;

// The stem as copies' names begin, shortened so that every copy's name stays within the limit.
std::string copyStem(const std::string& fileName)
{
    const std::string tail(COPY_TAIL, '-');
    const std::string fitted = fitFileName(fs::path(fileName).stem().string(), tail);
    return fitted.substr(0, fitted.size() - tail.size());
}

// A folder of this user's under the temporary folder, for copies that cannot go where they
// belong; "" when it cannot be made safely (taken by another user, or not a folder).
std::string fallbackFolder()
{
    const char* temporary = std::getenv("TMPDIR");
    const std::string base = temporary && *temporary ? temporary : "/tmp";
    const std::string folder =
        base + "/bramblewick-recovery-" + std::to_string(static_cast<unsigned long>(::getuid()));
    ::mkdir(folder.c_str(), 0700);
    struct stat status;
    if (::lstat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid())
        return "";
    return folder + "/";
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    return fs::exists(a, error) && fs::exists(b, error) && fs::equivalent(a, b, error);
}

} // namespace

RecoveryCopies::RecoveryCopies(const std::string& userFolder, const std::string& modelFile,
                               const std::string& animationFile)
    : folder(userFolder + "recovery/"), modelFile(modelFile), animationFile(animationFile)
{
    std::error_code error;
    modelHash = hashText(fs::absolute(modelFile, error).lexically_normal().string());
}

double RecoveryCopies::period()
{
    const char* text = std::getenv("BRAMBLEWICK_RECOVERY_SECONDS");
    const double seconds = text ? std::atof(text) : 0.0;
    return seconds > 0.0 ? seconds : 60.0;
}

std::string RecoveryCopies::copyName(const std::string& fileName, const char* ending) const
{
    return folder + copyStem(fileName) + "-" + stamp + "-" + modelHash + ending;
}

bool RecoveryCopies::write(EditorMode& editor)
{
    if (writeInto(editor, folder))
        return true;
    // Closing must not drop the work because the usual folder is full, read-only or missing.
    const std::string fallback = fallbackFolder();
    if (fallback.empty() || fallback == folder || !writeInto(editor, fallback))
        return false;
    folder = fallback;
    writeLog("recovery copy written to the fallback folder: " + modelCopy);
    std::cerr << "The recovery copy could not be written to the usual folder; it is in "
              << modelCopy << std::endl;
    return true;
}

bool RecoveryCopies::writeInto(EditorMode& editor, const std::string& into)
{
    std::error_code error;
    fs::create_directories(into, error);
    if (error)
    {
        writeLog("ERROR, couldn't create " + into + ": " + error.message());
        return false;
    }
    if (into != folder)
    {
        // A session's copies stay one pair, wherever they end up.
        folder = into;
        stamp.clear();
    }
    if (stamp.empty())
    {
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        ::localtime_r(&now, &local);
        char text[32];
        std::strftime(text, sizeof(text), "%Y-%m-%d_%H-%M-%S", &local);
        stamp = text;
        modelCopy = copyName(modelFile, ".xml");
        animationCopy = animationFile.empty() ? "" : copyName(animationFile, ".animations.xml");
    }
    // Opened from the recovery folder and copied in the same second: never over the original.
    if (sameFile(modelCopy, modelFile) ||
        (!animationCopy.empty() && sameFile(animationCopy, animationFile)))
    {
        writeLog("ERROR, recovery copy would replace the file it copies, not written");
        return false;
    }

    // What a save would write, without re-binding or touching what is shown; the writers keep
    // a copy either old or new, never half of one.
    ModelDocument document;
    editor.fillDocument(document);
    if (animationsOptional && document.animations.empty())
        animationCopy.clear();
    else if (animationCopy.empty() && !animationFile.empty())
        animationCopy = copyName(animationFile, ".animations.xml");
    bool written = writeModelFile(document, modelCopy);
    if (written && !animationCopy.empty())
        written = writeAnimationFile(document, animationCopy);
    if (!written)
        writeLog("ERROR, couldn't write recovery copy " + modelCopy + ": " + std::strerror(errno));
    return written;
}

void RecoveryCopies::discard()
{
    std::error_code error;
    for (const std::string& copy : {modelCopy, animationCopy})
        if (!copy.empty())
            fs::remove(copy, error);
}

std::string RecoveryCopies::findNewer() const
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return "";
    const std::string prefix = copyStem(modelFile) + "-";
    const std::string suffix = "-" + modelHash + ".xml";
    fs::file_time_type newest = fs::file_time_type::min();
    if (fs::exists(modelFile, error))
        newest = fs::last_write_time(modelFile, error);
    std::string found;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) ||
            name.compare(name.size() - suffix.size(), suffix.size(), suffix))
            continue;
        const fs::file_time_type written = entry.last_write_time(error);
        if (!error && written > newest)
        {
            newest = written;
            found = entry.path().string();
        }
    }
    return found;
}
