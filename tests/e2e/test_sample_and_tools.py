#!/usr/bin/env python3
"""Real-window tests of the sample character and the model tools, driven as a user would.
Usage: test_sample_and_tools.py BUILD_DIR TEST_NAME

Window pixels below are those of the 1280 x 720 window of the run folder's ogre.cfg; the side
menu's controls sit at the left edge, the model at the start camera's view centre."""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, run_tests  # noqa: E402
from e2e_support import (StartCamera, check, click_button, colour_distance,  # noqa: E402
                         copy_sample, hold_at, read_voxels, save, write_model)

# The character of the sample fills this part of the window at the start camera.
CHARACTER = (480, 180, 800, 570)
TIME_LABEL = (15, 55, 210, 80)
STATUS_LINE = (15, 338, 300, 358)
QUIET_SPOT = (1000, 150)  # over the background, away from every menu

# Model menu, at rest.
EDIT_VOXELS = (100, 18)
SELECT_VOXELS = (100, 69)
PICK_COLOR = (100, 120)
SWATCH = (107, 272)
TRACK_LEFT, TRACK_RIGHT = 12, 201  # the colour tracks' ends
TRACK_ROWS = {"red": 172, "green": 202, "blue": 232}


def settle(editor, seconds=2.0):
    """Waits for the menus to slide in (or to exchange after a view switch)."""
    time.sleep(seconds)


def start(editor, *files):
    editor.start(list(files))
    editor.wait_for_log("run simulation")
    editor.move(*QUIET_SPOT)
    settle(editor)


def test_sample_round_trip(build_dir):
    folder, model, animations = copy_sample()
    with open(model, "rb") as file:
        model_text = file.read()
    with open(animations, "rb") as file:
        animations_text = file.read()
    with Editor(build_dir, name="sample") as editor:
        start(editor, model, animations)
        rest = editor.picture("sample_1_model_view.png")

        editor.key("2")
        settle(editor)
        idle0 = editor.picture("sample_2_idle_t0.png")
        check(idle0.differing(rest, STATUS_LINE) > 50, "no comment on the status line")

        # Idle keys at 0, 0.5, 1, 1.5, 2: every step moves the character and the time label.
        pictures = [idle0]
        for step in range(4):
            editor.key("Right")
            editor.wait_frames(4)
            pictures.append(editor.picture(f"sample_3_idle_key{step + 1}.png"))
            check(pictures[-1].differing(pictures[-2], TIME_LABEL) > 20,
                  f"the time label did not change on Right number {step + 1}")
            check(pictures[-1].differing(pictures[-2], CHARACTER) > 100,
                  f"the pose did not change on Right number {step + 1}")
        # Past the last key nothing moves.
        editor.key("Right")
        editor.wait_frames(4)
        last = editor.picture("sample_4_idle_after_last_key.png")
        check(last.differing(pictures[-1], CHARACTER) < 30, "Right past the last key")
        editor.key("Left")
        editor.wait_frames(4)
        back = editor.picture("sample_5_idle_key3_again.png")
        check(back.differing(pictures[3], CHARACTER) < 30,
              "Left did not come back to the pose of the previous key")

        # Down: the walk at time 0, another comment; Down again: the wave.
        editor.key("Down")
        editor.wait_frames(4)
        walk = editor.picture("sample_6_walk_t0.png")
        check(walk.differing(idle0, STATUS_LINE) > 50, "the comment did not change")
        check(walk.differing(back, TIME_LABEL) > 20, "the time did not go back to 0")
        editor.key("Down")
        editor.key("Right", "Right")
        editor.wait_frames(4)
        wave = editor.picture("sample_7_wave_key2.png")
        check(wave.differing(walk, CHARACTER) > 100, "the wave shows no other pose")
        check(wave.differing(walk, STATUS_LINE) > 50, "the wave's comment is missing")
        # The wave is the last animation: Down does nothing.
        editor.key("Down")
        editor.wait_frames(4)
        still = editor.picture("sample_8_wave_down_at_end.png")
        check(still.differing(wave, CHARACTER) < 30, "Down past the last animation")
        editor.key("Up")
        editor.wait_frames(4)
        check(editor.picture("sample_9_walk_again.png").differing(walk, CHARACTER) < 30,
              "Up did not return to the walk at time 0")

        editor.key("1")
        settle(editor)
        model_view = editor.picture("sample_10_model_view_again.png")
        check(model_view.differing(rest, CHARACTER) < 30,
              "leaving the animation view must show the rest pose")

        saved_model, saved_animations = save(editor, model, animations)
        check(saved_model == model_text, "the saved model file differs from the loaded one")
        check(saved_animations == animations_text,
              "the saved animation file differs from the loaded one")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


def knob_centre(picture, row, left=0, right=214):
    """The x centre of the light grey slider knob on a track row, or None."""
    xs = [x for x in range(left, right)
          if min(picture.at(x, row)) > 110 and
          max(picture.at(x, row)) - min(picture.at(x, row)) < 40]
    return sum(xs) / len(xs) if xs else None


def track_point(value):
    return round(TRACK_LEFT + (TRACK_RIGHT - TRACK_LEFT) * value)


def test_one_edit_with_sculpt(build_dir):
    """The road of one edit on an empty start model, then a layer and a removal."""
    folder = tempfile.mkdtemp(prefix="bramblewick-sculpt-")
    model = os.path.join(folder, "creature.xml")
    camera = StartCamera()
    with Editor(build_dir, name="sculpt") as editor:
        start(editor, model)
        button_spot = (190, 28)  # inside "Edit voxels", beside its text
        normal = editor.picture("sculpt_1_start.png").at(*button_spot)
        editor.move(*EDIT_VOXELS)
        editor.wait_frames(4)
        focus = editor.picture("sculpt_2_hover_edit_voxels.png").at(*button_spot)
        check(colour_distance(normal, focus) > 40, f"no focus look: {normal} then {focus}")
        click_button(editor, EDIT_VOXELS)
        editor.wait_frames(4)
        selected = editor.picture("sculpt_3_edit_voxels_selected.png").at(*button_spot)
        check(colour_distance(selected, normal) > 40 and colour_distance(selected, focus) > 40,
              f"no selected look: {selected} (normal {normal}, focus {focus})")

        # The start voxel fills cell (0, 0, 0); its front face is the plane z = 1.
        hold_at(editor, *camera.pixel((0.5, 0.5, 1.0)))
        editor.picture("sculpt_4_voxel_added.png")
        save(editor, model)
        cells = read_voxels(model)
        check(set(cells) == {(0, 0, 0), (0, 0, 1)}, f"cells after one press: {sorted(cells)}")
        check(cells[(0, 0, 1)] == (0.5, 0.5, 0.5), f"new voxel colour {cells[(0, 0, 1)]}")

        # A slow drag across the ground, held still at its end: one row, one voxel high.
        y = camera.pixel((0.0, 0.0, 5.5))[1]
        x0, x1 = camera.pixel((-4.5, 0.0, 5.5))[0], camera.pixel((4.5, 0.0, 5.5))[0]
        editor.move(x0, y)
        editor.wait_frames(2)
        editor.press()
        for x in range(x0, x1 + 1, 4):
            editor.move(x, y)
            time.sleep(0.05)
        editor.wait_frames(6)
        editor.release()
        editor.wait_frames(2)
        editor.picture("sculpt_5_row_laid.png")
        save(editor, model)
        row = set(read_voxels(model)) - {(0, 0, 0), (0, 0, 1)}
        check(row == {(x, 0, 5) for x in range(-5, 5)}, f"the drag laid {sorted(row)}")

        # A right click removes the voxel under the pointer, once.
        hold_at(editor, *camera.pixel((0.5, 0.5, 6.0)), button=3)
        editor.picture("sculpt_6_removed.png")
        save(editor, model)
        after = set(read_voxels(model))
        check(after == ({(0, 0, 0), (0, 0, 1)} | row) - {(0, 0, 5)},
              f"the right click changed {sorted(after ^ ({(0, 0, 0), (0, 0, 1)} | row))}")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


def check_knobs(picture, values):
    """Each colour slider's knob stands where its value puts it on the track."""
    for name, value in values.items():
        centre = knob_centre(picture, TRACK_ROWS[name])
        check(centre is not None and abs(centre - track_point(value)) < 5,
              f"the {name} knob is at {centre}, expected near {track_point(value)}")


def test_paint_and_pick_colour(build_dir):
    folder = tempfile.mkdtemp(prefix="bramblewick-paint-")
    model = os.path.join(folder, "row.xml")
    write_model(model, [(x, 0, 3) for x in range(-2, 3)])
    camera = StartCamera()
    with Editor(build_dir, name="paint") as editor:
        start(editor, model)
        # The picker starts at white, the colour the paint tool starts with.
        first = editor.picture("paint_0_start_white.png")
        check_knobs(first, {"red": 1.0, "green": 1.0, "blue": 1.0})
        check(min(first.at(*SWATCH)) > 200, f"the swatch starts {first.at(*SWATCH)}")
        click_button(editor, (track_point(0.75), TRACK_ROWS["red"]))
        click_button(editor, (track_point(0.25), TRACK_ROWS["green"]))
        click_button(editor, (track_point(0.0), TRACK_ROWS["blue"]))
        editor.wait_frames(6)
        chosen = editor.picture("paint_1_colour_chosen.png")
        check_knobs(chosen, {"red": 0.75, "green": 0.25, "blue": 0.0})
        swatch = chosen.at(*SWATCH)
        check(swatch[0] > 150 and 30 < swatch[1] < 110 and swatch[2] < 30,
              f"the swatch shows {swatch}")

        click_button(editor, SWATCH)
        hold_at(editor, *camera.pixel((0.5, 0.5, 4.0)))
        editor.move(*QUIET_SPOT)
        editor.wait_frames(4)
        editor.picture("paint_2_voxel_painted.png")
        save(editor, model)
        cells = read_voxels(model)
        painted = cells[(0, 0, 3)]
        check(max(abs(a - b) for a, b in zip(painted, (0.75, 0.25, 0.0))) < 0.02,
              f"painted colour {painted}")
        check(all(cells[(x, 0, 3)] == (0.5, 0.5, 0.5) for x in (-2, -1, 1, 2)),
              f"other voxels changed: {cells}")

        # "Pick color" on a grey voxel puts every knob in the middle of its track.
        click_button(editor, PICK_COLOR)
        hold_at(editor, *camera.pixel((2.5, 0.5, 4.0)))
        editor.move(*QUIET_SPOT)
        editor.wait_frames(6)
        picked = editor.picture("paint_3_grey_picked.png")
        check_knobs(picked, {"red": 0.5, "green": 0.5, "blue": 0.5})
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


def test_select_and_move(build_dir):
    folder = tempfile.mkdtemp(prefix="bramblewick-select-")
    model = os.path.join(folder, "wall.xml")
    wall = [(x, y, 3) for y in range(2) for x in range(-3, 4)]
    write_model(model, wall)
    camera = StartCamera()
    with Editor(build_dir, name="select") as editor:
        start(editor, model)
        click_button(editor, SELECT_VOXELS)
        # Around the centres of the cells x = 1 to 3 (both rows), not x = 0.
        corner1, corner2 = camera.pixel((0.9, 2.2, 3.5)), camera.pixel((4.1, -0.2, 3.5))
        editor.drag(*corner1, *corner2, steps=6)
        editor.move(*QUIET_SPOT)
        editor.wait_frames(4)
        editor.picture("select_1_block_selected.png")

        # Drag the X bar, far from the centroid (2.5, 1, 3.5) where no other bar lies, one and a
        # half cells' worth of pixels (as drawn at the centroid) to the left: the three columns
        # land on x = 0 to 2, and the two voxels of x = 0 are replaced.
        start_pixel = camera.pixel((9.5, 1.0, 3.5))
        cell = camera.pixel((3.5, 1.0, 3.5))[0] - camera.pixel((2.5, 1.0, 3.5))[0]
        end_pixel = (start_pixel[0] - int(1.5 * cell), start_pixel[1] + 10)
        editor.drag(*start_pixel, *end_pixel, steps=6)
        editor.wait_for_log("2 voxels replaced")
        editor.wait_frames(4)
        moved = editor.picture("select_2_moved_and_released.png")
        save(editor, model)
        cells = read_voxels(model)  # one voxel per cell
        expected = {(x, y, 3) for y in range(2) for x in range(-3, 3)}
        check(set(cells) == expected,
              f"missing {sorted(expected - set(cells))}, extra {sorted(set(cells) - expected)}")
        check(all(colour == (0.5, 0.5, 0.5) for colour in cells.values()),
              "the selection's red must not reach the file")

        # The moved block stays selected, its bars at its new centre (1.5, 1, 3.5) in the axes'
        # colours: the knobs at the ends of X red, of Y green, of Z (toward the camera) blue.
        knobs = {"X": ((11.5, 1.0, 3.5), lambda p: p[0] > 180 and p[1] < 110 and p[2] < 110),
                 "Y": ((1.5, 11.0, 3.5), lambda p: p[1] > 150 and p[0] < 120 and p[2] < 120),
                 "Z": ((1.5, 1.0, 13.5), lambda p: p[2] > 200 and p[0] < 150)}
        for axis, (point, looks_right) in knobs.items():
            x, y = camera.pixel(point)
            # The Z bar lies nearly end-on, partly behind the Y bar's lower half: look around.
            seen = sum(looks_right(moved.at(x + dx, y + dy))
                       for dx in range(-8, 9) for dy in range(-8, 9))
            check(seen >= 20, f"the {axis} bar's knob at ({x}, {y}) is {moved.at(x, y)}")
        # Delete removes it, and a save writes the rest.
        editor.key("Delete")
        editor.wait_frames(3)
        save(editor, model)
        cells = read_voxels(model)
        expected = {(x, y, 3) for y in range(2) for x in range(-3, 0)}
        check(set(cells) == expected, f"after Delete the file holds {sorted(cells)}")
        editor.close_cleanly()
    # The saved file opens again.
    with Editor(build_dir, name="select-reopen") as editor:
        start(editor, model)
        editor.close()
        check(editor.wait_exit() == 0, f"reopening: exit status {editor.exit_status}")
    shutil.rmtree(folder, ignore_errors=True)


TESTS = {
    "sample_round_trip": test_sample_round_trip,
    "one_edit_with_sculpt": test_one_edit_with_sculpt,
    "paint_and_pick_colour": test_paint_and_pick_colour,
    "select_and_move": test_select_and_move,
}

if __name__ == "__main__":
    run_tests(TESTS)
