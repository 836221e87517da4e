#!/usr/bin/env python3
"""Real-window test of the skeleton view (key 3): a model without a skeleton gets two particles
inside a column of voxels and a stick between them, is saved, and after a restart the animate
view poses it. Usage: test_skeleton.py BUILD_DIR TEST_NAME"""
import os
import shutil
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, run_tests  # noqa: E402
from e2e_support import (StartCamera, check, click_button, hold_at, read_animations,  # noqa: E402
                         read_particles, save, write_model)
from test_sample_and_tools import QUIET_SPOT, settle, start  # noqa: E402

SELECT_AND_MOVE = (100, 18)  # the animation menu's first button
COLUMN = [(0, y, 0) for y in range(12)]
COLUMN_AREA = (560, 300, 720, 560)
SIDE_MENU = (0, 0, 310, 400)


def test_make_skeleton(build_dir):
    folder = tempfile.mkdtemp(prefix="bramblewick-skeleton-")
    model = os.path.join(folder, "column.xml")
    write_model(model, COLUMN)
    camera = StartCamera()
    low, high = (0.5, 2.5, 1.0), (0.5, 9.5, 1.0)  # on the column's front face
    with Editor(build_dir, name="skeleton") as editor:
        start(editor, model)
        editor.key("2")  # no skeleton yet: a note says how to make one
        editor.wait_for_log("No skeleton: press 3 to make one")
        editor.key("3")
        settle(editor)
        hold_at(editor, *camera.pixel(low))
        hold_at(editor, *camera.pixel(high))
        # From the lower particle (inside the column, half a cell behind the face) to the upper.
        editor.drag(*camera.pixel((0.5, 2.5, 0.5)), *camera.pixel((0.5, 9.5, 0.5)), steps=8)
        editor.move(*QUIET_SPOT)
        editor.wait_frames(4)
        made = editor.picture("skeleton_view.png")
        save(editor, model)
        settle(editor)
        saved = editor.picture("skeleton_view_saved.png")
        # Ctrl+S stays in the skeleton view: its menu and the marked particle stay as they were.
        check(saved.differing(made, SIDE_MENU) < 50, "the side menu changed on saving")
        editor.close_cleanly()

    root = ElementTree.parse(model).getroot()
    particles = read_particles(model)
    check(len(particles) == 2, f"{len(particles)} particles in the file")
    for x, y, z in particles:
        check(0 < x < 1 and 0 < z < 1 and 0 < y < 12, f"particle at {(x, y, z)} is not inside")
    # Halfway through the column along the pointer's ray, which falls a little from the camera.
    check(abs(particles[0][1] - 2.4) < 0.2 and abs(particles[1][1] - 9.45) < 0.2,
          f"particles at {particles}")
    sticks = root.find("skeleton").findall("stick")
    check(len(sticks) == 1, f"{len(sticks)} sticks in the file")
    groups = root.find("skeletonVoxelBindings").findall("group")
    check(len(groups) == 1 and groups[0].get("constraintIndex") == "0" and
          len(groups[0].findall("voxel")) == len(COLUMN), "not every voxel is bound to the stick")

    with Editor(build_dir, name="skeleton2") as editor:
        start(editor, model)
        editor.key("2")
        settle(editor)
        click_button(editor, SELECT_AND_MOVE)
        editor.wait_frames(3)
        before = editor.picture("skeleton_restart_animate.png")
        corner1, corner2 = camera.pixel((-1.5, 11.0, 0.5)), camera.pixel((2.5, 1.0, 0.5))
        editor.drag(*corner1, *corner2, steps=5)
        editor.wait_frames(2)
        top = camera.pixel((0.5, 9.5, 0.5))
        editor.drag(*top, top[0] + 80, top[1] + 20, steps=10)
        editor.move(*QUIET_SPOT)
        editor.wait_frames(4)
        posed = editor.picture("skeleton_restart_posed.png")
        check(posed.differing(before, COLUMN_AREA) > 300, "the column did not move")
        animations = os.path.join(folder, "column_animations.xml")
        save(editor, model, animations)
        frame = read_animations(animations)[0][1][0.0]
        check(frame[1][0] > 2.0, f"the top particle was not posed: {frame}")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    run_tests({"make_skeleton": test_make_skeleton})
