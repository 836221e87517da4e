#!/usr/bin/env python3
"""Real-window test of mirror editing (key X, an addition of this editor): the plane x = 0 shows
as a line of its own colour on the grid and "Mirror X" in the bar; sculpting on the model and on
the ground adds every voxel with its mirror, a right click removes both, and the file holds
ordinary voxels. Usage: test_mirror.py BUILD_DIR TEST_NAME

Pixels are those of the 1280 x 720 window of the run folder's ogre.cfg; the start camera stands
on the plane, so the plane's line runs up the middle column of the window."""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, run_tests  # noqa: E402
from e2e_support import (StartCamera, check, click_button, colour_distance,  # noqa: E402
                         hold_at, read_voxels, save, write_model)

EDIT_VOXELS = (100, 18)
QUIET_SPOT = (1000, 150)
# "Mirror X" stands left of "Reset camera" (853 to 1053): 220 reference units, 20 before it.
MIRROR_TEXT = (690, 684, 842, 718)
START_CELLS = [(0, 0, 0), (-1, 0, 0)]


def is_plane_colour(pixel):
    """The line's cyan (0.1, 0.85, 0.95); the grid is white, the background dark."""
    r, g, b = pixel
    return g > 150 and b > 150 and r < 110


def plane_pixels(picture, camera):
    """Pixels of the plane's colour near the middle column over the ground from z 8 to 18."""
    top = camera.pixel((0.0, 0.0, 8.0))[1]
    bottom = camera.pixel((0.0, 0.0, 18.0))[1]
    return sum(1 for y in range(top, bottom + 1) for x in range(636, 645)
               if is_plane_colour(picture.at(x, y)))


def text_pixels(picture, box):
    x0, y0, x1, y1 = box
    return sum(1 for y in range(y0, y1) for x in range(x0, x1)
               if is_plane_colour(picture.at(x, y)))


def test_mirror_sculpt(build_dir):
    folder = tempfile.mkdtemp(prefix="bramblewick-mirror-")
    model = os.path.join(folder, "creature.xml")
    write_model(model, START_CELLS)
    camera = StartCamera()
    with Editor(build_dir, name="mirror") as editor:
        editor.start([model])
        editor.wait_for_log("run simulation")
        editor.move(*QUIET_SPOT)
        time.sleep(2.0)
        click_button(editor, EDIT_VOXELS)
        editor.wait_frames(4)
        off = editor.picture("mirror_1_off.png")
        check(plane_pixels(off, camera) == 0, "the plane's colour is on screen before X")

        editor.key("x")
        editor.wait_for_log("mirror editing on")
        time.sleep(1.0)  # the bar's text box grows into place
        on = editor.picture("mirror_2_on.png")
        check(plane_pixels(on, camera) > 20,
              f"no line of the plane's colour up the middle ({plane_pixels(on, camera)} pixels)")
        check(text_pixels(on, MIRROR_TEXT) > 30, "no \"Mirror X\" in the bar")
        check(text_pixels(off, MIRROR_TEXT) == 0, "the plane's colour in the bar before X")

        # On the model: the front face of (0, 0, 0) gives (0, 0, 1) and its mirror (-1, 0, 1).
        hold_at(editor, *camera.pixel((0.5, 0.5, 1.0)))
        # On the ground, a short drag from x 1.5 to 3.5 over z 5.5: (1..3, 0, 5) and mirrors.
        y = camera.pixel((0.0, 0.0, 5.5))[1]
        x0, x1 = camera.pixel((1.5, 0.0, 5.5))[0], camera.pixel((3.5, 0.0, 5.5))[0]
        editor.move(x0, y)
        editor.wait_frames(2)
        editor.press()
        for x in range(x0, x1 + 1, 3):
            editor.move(x, y)
            time.sleep(0.05)
        editor.wait_frames(6)
        editor.release()
        editor.wait_frames(2)
        save(editor, model)
        cells = read_voxels(model)
        row = {(x, 0, 5) for x in range(1, 4)} | {(-1 - x, 0, 5) for x in range(1, 4)}
        expected = set(START_CELLS) | {(0, 0, 1), (-1, 0, 1)} | row
        check(set(cells) == expected, f"cells after the mirrored strokes: {sorted(cells)}")
        check(all(colour == (0.5, 0.5, 0.5) for colour in cells.values()),
              "the mirrored voxels are not ordinary grey voxels")

        # A right click on the right end of the row removes it and its mirror.
        hold_at(editor, *camera.pixel((3.5, 0.5, 6.0)), button=3)
        save(editor, model)
        expected -= {(3, 0, 5), (-4, 0, 5)}
        check(set(read_voxels(model)) == expected,
              f"the right click left {sorted(set(read_voxels(model)) ^ expected)} changed")
        sculpted = editor.picture("mirror_3_sculpted.png")
        # Front faces of twins look the same on both sides of the middle.
        for cell in ((1, 0, 5), (2, 0, 5), (0, 0, 1)):
            right = sculpted.at(*camera.pixel((cell[0] + 0.5, 0.5, cell[2] + 1.0)))
            left = sculpted.at(*camera.pixel((-cell[0] - 0.5, 0.5, cell[2] + 1.0)))
            check(colour_distance(right, left) < 12, f"{cell}: {right} against its twin {left}")
            if cell[2] == 5:  # on the ground, where nothing stood before
                check(colour_distance(right, on.at(*camera.pixel((cell[0] + 0.5, 0.5,
                                                                      cell[2] + 1.0)))) > 30,
                      f"no voxel drawn at {cell}")

        editor.key("x")
        editor.wait_for_log("mirror editing off")
        time.sleep(1.0)
        after = editor.picture("mirror_4_off_again.png")
        check(plane_pixels(after, camera) == 0, "the line stayed after X")
        check(text_pixels(after, MIRROR_TEXT) == 0, "\"Mirror X\" stayed in the bar")
        check(after.differing(off, MIRROR_TEXT) < 10, "the bar is not as it was")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    run_tests({"mirror_sculpt": test_mirror_sculpt})
