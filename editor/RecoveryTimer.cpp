#include "editor/RecoveryTimer.h"

#include "app/Log.h"
#include "editor/EditorMode.h"
#include "editor/ModelFiles.h"
#include "editor/RecoveryCopies.h"
#include "editor/UndoHistory.h"
#include "menu/BarMenuView.h"
#include "menu/MenuSystem.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace
{

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

RecoveryTimer::~RecoveryTimer() { delete copies; }

void RecoveryTimer::start(const std::string& userFolder)
{
    delete copies;
    // The animations are copied too when no animation file is named: a save would write them
    // beside the model.
    const bool named = !editor.animationFileName.empty();
    copies = new RecoveryCopies(userFolder, editor.modelFileName,
                                named ? editor.animationFileName
                                      : ModelFiles::companionAnimationFileName(editor.modelFileName));
    copies->animationsOptional = !named;
    const std::string newer = copies->findNewer();
    if (!newer.empty())
    {
        writeLog("recovery copy newer than the model: " + newer);
        std::cout << "A recovery copy is newer than the model: " << newer << std::endl;
        // In the bar from the home folder on, so that the path fits beside the buttons.
        std::string shown = newer;
        const char* home = std::getenv("HOME");
        if (home && *home && shown.rfind(std::string(home) + "/", 0) == 0)
            shown = "~" + shown.substr(std::string(home).size());
        if (editor.menuSystem && editor.menuSystem->barMenuView)
            editor.menuSystem->barMenuView->showMessage("Newer recovery copy: " + shown);
    }
    nextCheck = steadySeconds() + RecoveryCopies::period();
}

bool RecoveryTimer::write()
{
    if (!copies)
        return false;
    bool done = false;
    runLogged([&] { done = copies->write(editor); });
    if (done)
    {
        recoveredPosition = editor.history->position();
        written = true;
    }
    return done;
}

void RecoveryTimer::discard()
{
    if (copies)
        copies->discard();
    recoveredPosition = ~0ULL;
    written = false;
}

std::string RecoveryTimer::where() const
{
    if (!copies)
        return "";
    std::string text = copies->modelCopy;
    if (!copies->animationCopy.empty())
        text += " and " + copies->animationCopy;
    return text;
}

void RecoveryTimer::watch()
{
    const UndoHistory& history = *editor.history;
    const bool saved = history.isSaved();
    if (history.position() != shownPosition || saved != shownSaved)
    {
        shownPosition = history.position();
        shownSaved = saved;
        if (editor.menuSystem && editor.menuSystem->barMenuView)
            editor.menuSystem->barMenuView->showStatus(
                std::filesystem::path(editor.modelFileName).filename().string() +
                (saved ? "" : " *"));
    }
    if (copies && saved && written)
    {
        // Undone back to the saved state: the copy holds work the user threw away on purpose.
        discard();
        writeLog("recovery copy removed: the model is as saved");
    }
    if (!copies || saved || history.position() == recoveredPosition)
        return;
    const double now = steadySeconds();
    if (now < nextCheck)
        return;
    nextCheck = now + RecoveryCopies::period();
    if (write())
        writeLog("recovery copy written to " + copies->modelCopy);
}
