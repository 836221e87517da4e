#!/usr/bin/env python3
"""Real-window test of the shapes (keys 4 to 8, additions of this editor): a box dragged across
a wall shows its cells while held and adds exactly its rectangle on release. Then left Ctrl +
click with the paint tool takes the wall's colour, and the swatch shows it as bright as the
wall's front faces.
Usage: test_shapes.py BUILD_DIR TEST_NAME

Pixels are those of the 1280 x 720 window of the run folder's ogre.cfg, seen by the start
camera."""
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
SWATCH = (107, 272)  # the middle of the picker's swatch
QUIET_SPOT = (1000, 150)
WALL = [(x, y, 0) for x in range(-6, 6) for y in range(8, 20)]


def is_preview_colour(pixel):
    """The preview's outline (0.3, 1.0, 0.9) against the grey wall and the dark background."""
    r, g, b = pixel
    return g > 200 and b > 180 and r < 150


def test_box_on_wall(build_dir):
    folder = tempfile.mkdtemp(prefix="bramblewick-shapes-")
    model = os.path.join(folder, "wall.xml")
    write_model(model, WALL)
    camera = StartCamera()
    with Editor(build_dir, name="shapes") as editor:
        editor.start([model])
        editor.wait_for_log("run simulation")
        editor.move(*QUIET_SPOT)
        time.sleep(2.0)
        click_button(editor, EDIT_VOXELS)
        editor.key("5")  # box
        editor.wait_frames(4)

        # From the front face of (-3, 10) to that of (2, 13): cells x -3..2, y 10..13 on z = 1.
        start = camera.pixel((-2.5, 10.5, 1.0))
        end = camera.pixel((2.5, 13.5, 1.0))
        editor.move(*start)
        editor.wait_frames(2)
        editor.press()
        for step in range(1, 11):
            editor.move(start[0] + (end[0] - start[0]) * step // 10,
                        start[1] + (end[1] - start[1]) * step // 10)
            time.sleep(0.05)
        editor.wait_frames(6)
        held = editor.picture("shapes_1_box_held.png")
        x0, y0 = camera.pixel((-3.0, 14.0, 1.0))
        x1, y1 = camera.pixel((3.0, 10.0, 1.0))
        outline = sum(1 for y in range(y0 - 2, y1 + 3) for x in range(x0 - 2, x1 + 3)
                      if is_preview_colour(held.at(x, y)))
        check(outline > 200, f"no preview of the box's cells while held ({outline} pixels)")
        editor.release()
        editor.wait_frames(4)
        editor.picture("shapes_2_box_added.png")

        save(editor, model)
        cells = set(read_voxels(model))
        box = {(x, y, 1) for x in range(-3, 3) for y in range(10, 14)}
        check(cells == set(WALL) | box,
              f"the box added {sorted(cells - set(WALL))}, missing {sorted(box - cells)}")

        click_button(editor, SWATCH)  # the paint tool, painting white
        face = camera.pixel((-4.5, 16.5, 1.0))
        editor.key_down("Control_L")
        hold_at(editor, *face)
        editor.key_up("Control_L")
        editor.move(*QUIET_SPOT)
        editor.wait_frames(4)
        picked = editor.picture("shapes_3_picked.png")
        swatch, wall = picked.at(*SWATCH), picked.at(*face)
        check(colour_distance(swatch, wall) < 12,
              f"the swatch shows {swatch}, the wall's front faces {wall}")
        save(editor, model)
        check(set(read_voxels(model).values()) == {(0.5, 0.5, 0.5)},
              "left Ctrl + click painted instead of taking the colour")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    run_tests({"box_on_wall": test_box_on_wall})
