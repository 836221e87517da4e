#pragma once

#include <string>

class EditorMode;

// Copies of unsaved work in the "recovery" folder of the per-user data folder, so that closing
// the window, a crash or a killed process never loses more than the last minute. The copies of
// one session are one pair, rewritten in place: "<model>-<date>_<time>-<hash>.xml" and
// "<animations>-<date>_<time>-<hash>.animations.xml", where the hash names the model's folder so
// that two models of the same name do not mix. The user's own files are never written.
class RecoveryCopies
{
public:
    // userFolder ends in a separator; the file names are the editor's, as given.
    RecoveryCopies(const std::string& userFolder, const std::string& modelFile,
                   const std::string& animationFile);

    // Writes the model as the editor holds it now (rest pose, voxels' own colours) as a
    // temporary file, then renames it into place. False, with the reason logged, on failure.
    bool write(EditorMode& editor);
    // Deletes this session's copies: a save has made them stale.
    void discard();
    // The newest recovery copy of this model that is newer than the model file, or "".
    std::string findNewer() const;

    // Seconds between refreshes while changes are unsaved: BRAMBLEWICK_RECOVERY_SECONDS, or 60.
    static double period();

    std::string folder;        // ends in a separator
    std::string modelCopy;     // this session's copies, once written
    std::string animationCopy; // empty without an animation file

private:
    std::string copyName(const std::string& fileName, const char* ending) const;

    std::string modelFile;
    std::string animationFile;
    std::string modelHash;
    std::string stamp; // date and time of the first copy of the session
};
