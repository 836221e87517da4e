#!/usr/bin/env python3
"""Real-window tests of undo and redo, the unsaved mark and the recovery copies.
Usage: test_undo_and_recovery.py BUILD_DIR TEST_NAME

Pixels are those of the 1280 x 720 window of the run folder's ogre.cfg."""
import glob
import os
import shutil
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, run_tests  # noqa: E402
from e2e_support import (StartCamera, check, click_button, ctrl, hold_at, read_voxels,  # noqa: E402
                         save, write_model)

EDIT_VOXELS = (100, 18)
QUIET_SPOT = (1000, 150)
BAR_LEFT = (13, 684, 850, 718)  # the bar's free left part: file name, mark and notes
START_CELLS = [(0, 0, 0), (1, 0, 0)]
NEW_CELL = (0, 0, 1)  # on the front face of the voxel at (0, 0, 0)


def start_sculpting(editor, model, env=None):
    editor.start([model], env=env)
    editor.wait_for_log("run simulation")
    editor.move(*QUIET_SPOT)
    time.sleep(2.0)
    click_button(editor, EDIT_VOXELS)
    editor.wait_frames(4)


def add_voxel(editor):
    hold_at(editor, *StartCamera().pixel((0.5, 0.5, 1.0)))


def recovery_copies(editor):
    return sorted(glob.glob(os.path.join(editor.data_home, "Bramblewick", "recovery", "*.xml")))


def test_undo_redo_keys(build_dir):
    folder = tempfile.mkdtemp(prefix="bramblewick-undo-")
    model = os.path.join(folder, "creature.xml")
    write_model(model, START_CELLS)
    with Editor(build_dir, name="undo") as editor:
        start_sculpting(editor, model)
        saved = editor.picture("undo_1_saved.png")
        add_voxel(editor)
        editor.wait_frames(4)
        marked = editor.picture("undo_2_unsaved_mark.png")
        check(marked.differing(saved, BAR_LEFT) > 10, "no unsaved mark in the bar")

        ctrl(editor, "z")
        editor.wait_for_log("Undo: sculpt stroke")
        undone = editor.picture("undo_3_undone_note.png")
        check(undone.differing(marked, BAR_LEFT) > 50, "the bar does not say what was undone")
        ctrl(editor, "z")
        editor.wait_for_log("Nothing to undo")
        save(editor, model)
        check(set(read_voxels(model)) == set(START_CELLS), "undo left the new voxel")

        ctrl(editor, "y")
        editor.wait_for_log("Redo: sculpt stroke")
        save(editor, model)
        check(set(read_voxels(model)) == set(START_CELLS) | {NEW_CELL}, "redo lost the voxel")

        ctrl(editor, "z")
        editor.key_down("Shift_L")
        ctrl(editor, "z")  # left Control with left Shift and Z redoes
        editor.key_up("Shift_L")
        editor.wait_for_log("Redo: sculpt stroke", count=2)
        # Back at the saved state: the mark is gone again.
        editor.wait_frames(4)
        time.sleep(4.5)  # the note fades
        clean = editor.picture("undo_4_saved_again.png")
        check(clean.differing(saved, BAR_LEFT) < 10, "the mark stayed on a saved model")
        editor.close_cleanly()
        check(recovery_copies(editor) == [], "a recovery copy of a saved model")
    shutil.rmtree(folder, ignore_errors=True)


def test_every_ending_leaves_a_recovery_copy(build_dir):
    """Unsaved work survives every way the editor can end: a kill after the periodic copy, SIGTERM,
    a window destroyed from outside and a close. Each leaves one copy holding the edit and the
    model file untouched; all but the kill end with status 0. After a close the copy's path is
    printed and logged, and the next start tells of the newer copy."""
    folder = tempfile.mkdtemp(prefix="bramblewick-recovery-")
    model = os.path.join(folder, "creature.xml")
    write_model(model, START_CELLS)
    with open(model, "rb") as file:
        original = file.read()
    with Editor(build_dir, name="recovery") as editor:
        for ending in ("SIGKILL", "SIGTERM", "windowclose", "close"):
            periodic = {"BRAMBLEWICK_RECOVERY_SECONDS": "1"} if ending == "SIGKILL" else None
            start_sculpting(editor, model, env=periodic)
            add_voxel(editor)
            editor.wait_frames(4)
            if ending == "SIGKILL":
                editor.wait_for_log("recovery copy written to", timeout=10)
                editor.process.send_signal(signal.SIGKILL)
                editor.wait_exit()
            elif ending == "close":
                editor.close_cleanly()
            else:
                if ending == "SIGTERM":
                    editor.process.send_signal(signal.SIGTERM)
                else:
                    editor.xdotool("windowclose", editor.window)
                status = editor.wait_exit()
                check(status == 0, f"{ending}: exit status {status}\n{editor.stderr()[-1500:]}")
            copies = recovery_copies(editor)
            check(len(copies) == 1, f"{ending}: recovery copies {copies}")
            check(os.path.basename(copies[0]).startswith("creature-"), f"named {copies[0]}")
            check(set(read_voxels(copies[0])) == set(START_CELLS) | {NEW_CELL},
                  f"{ending}: the copy does not hold the edit")
            with open(model, "rb") as file:
                check(file.read() == original, f"{ending}: the model file was touched")
            if ending == "close":
                with open(editor.stdout_path) as file:
                    check(copies[0] in file.read(), "the copy's path was not printed")
                check(copies[0] in editor.log(), "the copy's path was not logged")
                os.utime(model, (time.time() - 60, time.time() - 60))
                editor.start([model])
                editor.wait_for_log("recovery copy newer than the model: " + copies[0])
                time.sleep(2.0)
                editor.picture("recovery_notice.png")
                editor.close()
                editor.wait_exit()
            for kept in glob.glob(os.path.join(os.path.dirname(copies[0]), "*")):
                os.remove(kept)
    shutil.rmtree(folder, ignore_errors=True)


TESTS = {
    "undo_redo_keys": test_undo_redo_keys,
    "every_ending": test_every_ending_leaves_a_recovery_copy,
}

if __name__ == "__main__":
    run_tests(TESTS)
