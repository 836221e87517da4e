#!/usr/bin/env python3
"""Pictures of the sample character compared with the reference pictures in tests/e2e/pictures/.
Usage: test_pictures.py BUILD_DIR TEST_NAME

Each picture is a part of the 1280 x 720 window around the character, taken in states that do
not depend on timing: the model view at the start camera, with a selection (red voxels and the
three bars in the axes' colours), after one bar drag (still selected), and with the model turned
(M) and the camera turned (Shift and pointer); the animation view at key times of the walk
(stepped with Right, not played).

A picture matches its reference when
  - at most 0.5 % of its pixels differ from the reference by more than 8 in a colour channel, and
  - no 4 x 4 square of pixels differs wholly (every one of its pixels by more than 8).
Depth ties where lines meet faces and rounding at the edges of faces move single pixels and thin
lines, which the rule allows. A voxel missing, added or in another colour (more than 8 off) makes
a wholly different square; missing outlines (about 6,000 of the 144,500 pixels of the start
picture) or the model moved by a pixel make thousands of pixels differ. A mismatch keeps the
picture and a diff picture (changed pixels magenta over the dimmed reference) in
build/screenshots/ as pictures_<name>.png and pictures_<name>_diff.png; the test prints the
counts of every picture.

Taking the references again, after a change that is meant to change what the view shows:
    BRAMBLEWICK_UPDATE_PICTURES=1 ctest --test-dir build -R e2e.pictures
writes every picture to tests/e2e/pictures/ instead of comparing; look at them before committing.
"""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, run_tests  # noqa: E402
from e2e_support import Picture, check, click_button, copy_sample  # noqa: E402
from test_sample_and_tools import QUIET_SPOT, SELECT_VOXELS, settle, start  # noqa: E402

REFERENCES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pictures")
CHANNEL_STEP = 8       # a pixel differs when a channel is more than this far from the reference
MOST_CHANGED = 0.005   # share of a picture's pixels that may differ
SQUARE = 4             # no SQUARE x SQUARE pixels may all differ

# The character at the start camera, its skeleton and the selection bars above its head.
START_VIEW = (470, 150, 810, 575)
# After the bar drag the head stands two cells to the right.
MOVED_VIEW = (470, 150, 840, 575)
# Model and camera turned: the character stands left of the centre and higher.
TURNED_VIEW = (395, 70, 705, 490)
HEAD = ((550, 190), (730, 340))  # a rectangle around the head and ears at the start camera
X_BAR_END = (755, 286)           # on the X bar of that selection, right of the head


def differences(picture, reference):
    """Answers (pixels differing by more than CHANNEL_STEP, pixels differing at all, top left
    corner of the first wholly different square or None, diff picture)."""
    changed = exact = 0
    square = None
    width = picture.width
    runs_down = [0] * width  # rows in a row, ending here, with SQUARE changed pixels up to x
    diff_rows = []
    for y in range(picture.height):
        mine, theirs = picture.rows[y], reference.rows[y]
        diff = bytearray(v // 3 + 60 for v in theirs)
        if mine == theirs:
            runs_down = [0] * width
            diff_rows.append(diff)
            continue
        run = 0
        for x in range(width):
            i = 3 * x
            step = max(abs(mine[i] - theirs[i]), abs(mine[i + 1] - theirs[i + 1]),
                       abs(mine[i + 2] - theirs[i + 2]))
            if step:
                exact += 1
            if step > CHANNEL_STEP:
                changed += 1
                run += 1
                diff[i:i + 3] = b"\xff\x00\xff"
            else:
                run = 0
            runs_down[x] = runs_down[x] + 1 if run >= SQUARE else 0
            if runs_down[x] >= SQUARE and square is None:
                square = (x - SQUARE + 1, y - SQUARE + 1)
        diff_rows.append(diff)
    return changed, exact, square, Picture(width, picture.height, diff_rows)


class Pictures:
    """Takes the named pictures of one editor and compares them with their references; `check_all`
    fails with the list of those that do not match."""

    def __init__(self, editor):
        self.editor = editor
        self.update = os.environ.get("BRAMBLEWICK_UPDATE_PICTURES") == "1"
        self.failures = []

    def take(self, name, box):
        self.editor.move(*QUIET_SPOT)
        self.editor.wait_frames(6)  # a few frames more for the slower sanitizer build
        picture = self.editor.picture(f"pictures_{name}_window.png").crop(box)
        reference_path = os.path.join(REFERENCES, f"{name}.png")
        if self.update:
            os.makedirs(REFERENCES, exist_ok=True)
            picture.write_png(reference_path)
            print(f"{name}: wrote {reference_path}")
            return
        if not os.path.exists(reference_path):
            self.failures.append(f"{name}: no reference {reference_path}")
            return
        reference = Picture.read(reference_path)
        if (reference.width, reference.height) != (picture.width, picture.height):
            self.failures.append(f"{name}: {picture.width} x {picture.height} pixels, the "
                                 f"reference {reference.width} x {reference.height}")
            return
        changed, exact, square, diff = differences(picture, reference)
        allowed = int(MOST_CHANGED * picture.width * picture.height)
        report = (f"{name}: {changed} pixels differ by more than {CHANNEL_STEP} (at most "
                  f"{allowed}), {exact} differ at all, "
                  f"{'a wholly different square at %s' % (square,) if square else 'no square'}")
        print(report)
        if changed > allowed or square:
            picture.write_png(os.path.join(self.editor.screenshots, f"pictures_{name}.png"))
            diff.write_png(os.path.join(self.editor.screenshots, f"pictures_{name}_diff.png"))
            self.failures.append(report)

    def check_all(self):
        check(not self.failures, "pictures differ from their references:\n" +
              "\n".join(self.failures))


def test_model_view(build_dir):
    folder, model, animations = copy_sample()
    with Editor(build_dir, name="pictures") as editor:
        start(editor, model, animations)
        pictures = Pictures(editor)
        pictures.take("model_start", START_VIEW)

        # The pointer rests a second at both ends of a drag: the rectangle's corners and the
        # bar's move must not depend on the frame rate.
        click_button(editor, SELECT_VOXELS)
        editor.drag(*HEAD[0], *HEAD[1], steps=6, hold=10)
        pictures.take("model_head_selected", START_VIEW)
        # Right along the X bar by two and a half cells as drawn (about 14.7 px each): the head
        # moves two whole cells to the right and stays selected.
        editor.drag(*X_BAR_END, X_BAR_END[0] + 36, X_BAR_END[1] + 10, steps=6, hold=10)
        pictures.take("model_head_moved", MOVED_VIEW)
        # A click beside the bars lets it go.
        editor.click(*QUIET_SPOT)
        editor.wait_frames(3)

        # Sides: the model turned about the vertical axis, the camera turned right and down.
        for _ in range(8):
            editor.key("m")
        # Keys are read before the pointer in a frame: Shift must still be down a frame after
        # the last move.
        editor.key_down("shift")
        editor.wait_frames(2)
        editor.move_by(20, 0)
        editor.wait_frames(10)
        editor.move_by(0, 20)
        editor.wait_frames(10)
        editor.key_up("shift")
        pictures.take("model_turned", TURNED_VIEW)
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)
    pictures.check_all()


def test_walk_keys(build_dir):
    folder, model, animations = copy_sample()
    with Editor(build_dir, name="pictures") as editor:
        start(editor, model, animations)
        editor.key("2")
        settle(editor)
        editor.key("Down")  # the walk; its keys are at 0, 0.25, 0.5, 0.75 and 1
        pictures = Pictures(editor)
        pictures.take("walk_0", START_VIEW)
        editor.key("Right")
        pictures.take("walk_0.25", START_VIEW)
        editor.key("Right", "Right")
        pictures.take("walk_0.75", START_VIEW)
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)
    pictures.check_all()


TESTS = {
    "model_view": test_model_view,
    "walk_keys": test_walk_keys,
}

if __name__ == "__main__":
    run_tests(TESTS)
