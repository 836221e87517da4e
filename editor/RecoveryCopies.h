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
    // temporary file, then renames it into place. When the recovery folder cannot take it, the
    // copies go to a folder of the user's under the temporary folder, said on standard error
    // and in the log. False, with the reason logged, when neither can.
    bool write(EditorMode& editor);
    // Deletes this session's copies: a save has made them stale.
    void discard();
    // The newest recovery copy of this model that is newer than the model file, or "".
    std::string findNewer() const;

    // Seconds between refreshes while changes are unsaved: BRAMBLEWICK_RECOVERY_SECONDS, or 60.
    static double period();

    // The animation file is only where a save would put animations: copied once there are any.
    bool animationsOptional = false;
    std::string folder;        // ends in a separator
    std::string modelCopy;     // this session's copies, once written
    std::string animationCopy; // empty without an animation file

private:
    // Writes the pair into the folder `into` (ending in a separator), which then becomes the
    // session's folder.
    bool writeInto(EditorMode& editor, const std::string& into);
    std::string copyName(const std::string& fileName, const char* ending) const;

    std::string modelFile;
    std::string animationFile;
    std::string modelHash;
    std::string stamp; // date and time of the first copy of the session
};
