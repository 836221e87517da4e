#pragma once

#include <string>

class EditorMode;
class RecoveryCopies;

// Keeps unsaved work safe and visible: the file name in the bar with the unsaved mark " *",
// and a recovery copy of the model written every RecoveryCopies::period() seconds while the
// model differs from its files. Only a real window has a user whose work needs keeping.
class RecoveryTimer
{
public:
    explicit RecoveryTimer(EditorMode& editor) : editor(editor) {}
    ~RecoveryTimer();
    RecoveryTimer(const RecoveryTimer&) = delete;
    RecoveryTimer& operator=(const RecoveryTimer&) = delete;

    // Starts keeping copies in the per-user folder, and tells of a copy newer than the model.
    void start(const std::string& userFolder);
    // Called every frame: the mark in the bar, and a copy when the period is over.
    void watch();
    // Writes the copies now; false when there is nowhere to write them.
    bool write();
    // The model is as its files are again (saved, or undone back to the save): this session's
    // copies are stale and go.
    void discard();
    // The copies written so far, for the log: "<model copy> and <animation copy>".
    std::string where() const;
    bool isRunning() const { return copies != nullptr; }

private:
    EditorMode& editor;               // back pointer
    RecoveryCopies* copies = nullptr; // owned
    unsigned long long shownPosition = ~0ULL;
    bool shownSaved = false;
    unsigned long long recoveredPosition = 0;
    double nextCheck = 0.0; // seconds of the steady clock
    bool written = false;   // copies of this session are on disk
};
