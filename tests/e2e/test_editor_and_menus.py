#!/usr/bin/env python3
"""Real-window tests of the editing core and the menus, driven as a user would.

Usage: test_editor_and_menus.py BUILD_DIR TEST_NAME

Pictures are judged from their pixels: the scene's background is tan, the grid and the voxel
outlines white, the start voxel grey, the menu frames dark and a focused button blue."""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, run_tests  # noqa: E402
from e2e_support import (StartCamera, check, copy_sample, ctrl, hold_at,  # noqa: E402
                         read_voxels, save)

WIDTH, HEIGHT = 1280, 720  # the run folder's window
CAMERA = StartCamera(WIDTH, HEIGHT)


# CTest reports this exit status as a skipped test.
SKIPPED = 77


def is_grey(pixel, low=120, high=235):
    return max(pixel) - min(pixel) <= 6 and low <= pixel[0] <= high


def is_white(pixel):
    return min(pixel) >= 250


def is_dark(pixel):
    return max(pixel) < 120


def is_focus_blue(pixel):
    return pixel[2] - pixel[0] > 50


def is_red(pixel):
    return pixel[0] > 180 and pixel[1] < 90 and pixel[2] < 90


def front_face(picture, near=None, radius=60):
    """Bounding box of the lit grey front face of the start voxel (grey 170 to 220)."""
    cx, cy = near or CAMERA.pixel((0.5, 0.5, 1.0))
    cx, cy = round(cx), round(cy)
    box = picture.find(max(cx - radius, 0), max(cy - radius, 0), min(cx + radius, picture.width),
                       min(cy + radius, picture.height), lambda p: is_grey(p, 170, 220))
    check(box is not None, f"no grey voxel face near ({cx}, {cy}) in {picture.path}")
    return box


def centre(box):
    return (box[0] + box[2]) / 2, (box[1] + box[3]) / 2


def wait_for_file(path, timeout=10):
    deadline = time.time() + timeout
    while not os.path.exists(path) and time.time() < deadline:
        time.sleep(0.05)
    check(os.path.exists(path), f"{path} was not written")
    time.sleep(0.2)  # the save renames a finished file into place; let the editor go on


def voxels_in(path):
    """The cells of a model file's voxels in file order, each cell listed once."""
    return list(read_voxels(path))


def side_panel_width(picture, row):
    """Width of the dark side panel on one row (the scene there is the tan sky)."""
    dark = [x for x in range(0, picture.width // 2) if is_dark(picture.at(x, row))]
    return dark[-1] - dark[0] + 1 if dark else 0


def bar_height(picture, column):
    """How many rows of the dark bottom bar show in one column."""
    rows = 0
    while rows < picture.height and is_dark(picture.at(column, picture.height - 1 - rows)):
        rows += 1
    return rows


def bar_buttons(width, height):
    """Centres of "Reset camera" and "Save": 300 wide, 20 apart, right-aligned in the bar."""
    sx, sy = width / 1920, height / 1080
    top = (1080 - 56 + 2) * sy
    save_x = width - 20 * sx - 300 * sx
    reset_x = save_x - 20 * sx - 300 * sx
    middle = top + 28 * sy
    return (round(reset_x + 150 * sx), round(middle)), (round(save_x + 150 * sx), round(middle))


EDIT_VOXELS = (100, 18)        # first button of the model menu, top left
SELECT_VOXELS_ROW = 68         # the button below it, same look when neither is chosen
BUTTON_EDGE_X = 205            # right end of the side menu buttons, clear of their captions


# --- editing core ----------------------------------------------------------------------------

def start_view(editor, file_name):
    """Starts the editor, waits for the menus to rest and pictures the start view."""
    editor.start()
    editor.settle()
    editor.move(700, 300)
    editor.wait_frames(3)
    return editor.picture(file_name)


def test_start_voxel_grey_with_outline(build_dir):
    with Editor(build_dir, name="startvoxel") as editor:
        picture = start_view(editor, "editor_start_voxel.png")

        x1, y1, x2, y2 = front_face(picture)
        expected_x, expected_y = CAMERA.pixel((0.5, 0.5, 1.0))
        fx, fy = centre((x1, y1, x2, y2))
        check(abs(fx - expected_x) <= 2 and abs(fy - expected_y) <= 2,
              f"front face centred at ({fx}, {fy}), expected ({expected_x:.1f}, {expected_y:.1f})")
        # One world unit at a distance of 69 is about 12.5 pixels.
        size = 1 / 69 / CAMERA.TAN_HALF_FOV * HEIGHT / 2
        check(abs((x2 - x1) - size) <= 2.5 and abs((y2 - y1) - size) <= 2.5,
              f"front face {x2 - x1} x {y2 - y1} pixels, expected about {size:.1f}")
        # The top face is lit less than the front face: darker grey just above it.
        check(is_grey(picture.at(round(fx), y1 - 3), 120, 169),
              f"no top face above the front face: {picture.at(round(fx), y1 - 3)}")
        # The white outline: the edge between the top and the front face, and the right edge.
        # (The left edge lies on the grid line x = 0 and proves nothing.)
        top_edge = sum(is_white(picture.at(x, y1 - 1)) for x in range(x1, x2))
        right_edge = sum(is_white(picture.at(x2, y)) for y in range(y1, y2))
        check(top_edge >= (x2 - x1) - 1, f"top edge white on {top_edge} of {x2 - x1} pixels")
        check(right_edge >= (y2 - y1) - 1, f"right edge white on {right_edge} of {y2 - y1} pixels")
        # Grey appears nowhere else in the 3D view; the grid is there, white on tan.
        grey = picture.count(230, 0, WIDTH, 670, is_grey)
        face_and_top = picture.count(x1 - 1, y1 - 4, x2 + 1, y2 + 1, is_grey)
        check(grey == face_and_top, f"{grey - face_and_top} grey pixels away from the voxel")
        check(picture.count(230, 470, WIDTH, 670, is_white) > 20000, "no grid below the horizon")
        editor.close_cleanly()


def test_fly_turn_and_reset_camera(build_dir):
    with Editor(build_dir, name="fly") as editor:
        start = start_view(editor, "editor_fly_start.png")
        start_face = front_face(start)

        editor.key_down("w")
        time.sleep(2.0)
        editor.key_up("w")
        editor.wait_frames(3)
        flown = editor.picture("editor_fly_forward.png")
        flown_face = front_face(flown, radius=150)
        # Closer: the voxel is bigger and lower on the screen, still straight ahead.
        check(flown_face[2] - flown_face[0] >= start_face[2] - start_face[0] + 3,
              f"the voxel did not grow: {start_face} -> {flown_face}")
        check(centre(flown_face)[1] > centre(start_face)[1] + 20,
              f"the voxel did not move down: {start_face} -> {flown_face}")
        check(abs(centre(flown_face)[0] - centre(start_face)[0]) <= 4,
              f"flying forward moved the voxel sideways: {start_face} -> {flown_face}")

        # Turning right (pointer to the right with Shift held) moves the scene to the left:
        # 40 pixels turn the camera by 0.2 radian.
        editor.key_down("shift")
        editor.wait_frames(2)
        editor.move_by(40, 0)
        editor.wait_frames(3)
        editor.key_up("shift")
        editor.wait_frames(3)
        turned = editor.picture("editor_fly_turned.png")
        turned_face = front_face(turned, near=(centre(flown_face)[0] - 180, centre(flown_face)[1]),
                                 radius=120)
        shift = centre(flown_face)[0] - centre(turned_face)[0]
        check(120 <= shift <= 260, f"turning right moved the voxel {shift} pixels left")

        # "Reset camera" brings back the start view exactly.
        reset, _ = bar_buttons(WIDTH, HEIGHT)
        editor.click(*reset)
        editor.move(700, 300)
        editor.wait_frames(3)
        after = editor.picture("editor_fly_reset.png")
        differing = after.differing(start, (230, 0, WIDTH, 670))
        check(differing <= 20, f"{differing} pixels differ from the start view after the reset")
        editor.close_cleanly()


def is_model(pixel):
    """A voxel face: neither the tan background nor a white line (grid, outlines)."""
    return max(abs(c - t) for c, t in zip(pixel, (204, 178, 153))) > 40 and min(pixel) < 240


def test_wheel_orbit_and_home(build_dir):
    # Three notches of the wheel toward the start voxel: it grows by 1 / 0.8^3 and stays under
    # the pointer.
    with Editor(build_dir, name="camera") as editor:
        start = start_view(editor, "camera_1_start.png")
        face = front_face(start)
        cx, cy = (round(v) for v in centre(face))
        editor.move(cx, cy)
        editor.wait_frames(2)
        for _ in range(3):
            editor.xdotool("click", "4")
            editor.wait_frames(1)
        editor.wait_frames(3)
        zoomed_face = front_face(editor.picture("camera_2_wheel.png"), near=(cx, cy), radius=80)
        growth = (zoomed_face[2] - zoomed_face[0]) / (face[2] - face[0])
        check(1.6 <= growth <= 2.4, f"three notches grew the voxel {growth:.2f} times")
        zx, zy = centre(zoomed_face)
        check(abs(zx - cx) <= 3 and abs(zy - cy) <= 3,
              f"the voxel left the pointer: ({cx}, {cy}) -> ({zx}, {zy})")
        editor.close_cleanly()

    folder, model, animations = copy_sample()
    with Editor(build_dir, name="camera-home") as editor:
        editor.start([model, animations])
        editor.settle()
        editor.move(700, 300)
        editor.wait_frames(3)
        before = editor.picture("camera_3_sample.png")
        # A middle drag starting on "Edit voxels" orbits the camera and never clicks the menu.
        editor.drag(*EDIT_VOXELS, EDIT_VOXELS[0] + 300, EDIT_VOXELS[1] + 40, button=2, steps=8)
        editor.move(700, 300)
        editor.wait_frames(3)
        orbited = editor.picture("camera_4_orbited.png")
        check(orbited.differing(before, (230, 0, WIDTH, 670)) > 5000,
              "the middle drag did not orbit")
        # No tool was chosen: the menu looks as before.
        menu_changes = orbited.differing(before, (0, 0, 220, 300))
        check(menu_changes <= 20, f"the middle press reached the menu: {menu_changes} pixels")
        # Back away, then Home: the sample fills about two thirds of the view's height, in the
        # middle of the 3D view.
        editor.key_down("s")
        time.sleep(1.0)
        editor.key_up("s")
        editor.key("Home")
        editor.wait_frames(3)
        framed = editor.picture("camera_5_home.png")
        box = framed.find(230, 0, WIDTH, 680, is_model)
        check(box is not None, "no model after Home")
        height = box[3] - box[1]
        check(0.45 * HEIGHT <= height <= 0.72 * HEIGHT, f"Home framed the sample {height} px high")
        check(abs(centre(box)[1] - HEIGHT / 2) <= 0.1 * HEIGHT,
              f"Home left the sample off the middle: {box}")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


def test_focus_loss_ends_sculpt_drag(build_dir):
    with tempfile.TemporaryDirectory() as folder, Editor(build_dir, name="focus") as editor:
        model = os.path.join(folder, "model.xml")
        editor.start([model], env={"BRAMBLEWICK_TRACE_INPUT": "1"})
        editor.settle()
        editor.click(*EDIT_VOXELS)

        # A sculpt stroke along the ground while the editor has the focus ...
        editor.move(450, 600)
        editor.wait_frames(2)
        releases = editor.log_lines().count("input: mouse released 0")
        editor.press(1)
        for x in range(450, 601, 10):
            editor.move(x, 600)
            editor.wait_frames(1)
        # ... then the focus goes to another window while the button stays down; the stroke
        # must end there, whatever the pointer does afterwards.
        other = editor.open_other_window()
        editor.focus(other)
        editor.wait_frames(5)
        for x in range(700, 901, 10):
            editor.move(x, 600)
            editor.wait_frames(1)
        # The editor saw the pointer move there with the button still down.
        editor.wait_for_log("input: pointer at 900 600", timeout=10)
        check(editor.log_lines().count("input: mouse released 0") == releases,
              "the button came up early")
        editor.release(1)
        editor.focus()
        editor.wait_frames(3)
        editor.screenshot("editor_focus_loss.png")
        save(editor, model)
        editor.close_cleanly()

        cells = voxels_in(model)
        first, _ = CAMERA.ground_cell(450, 600)
        last, z = CAMERA.ground_cell(600, 600)
        stroke = [c for c in cells if c[1] == 0 and c != (0, 0, 0)]
        check(len(stroke) >= 4 and all(first <= c[0] <= last + 1 and abs(c[2] - z) <= 1
                                       for c in stroke),
              f"the stroke before the focus loss should lie on x {first}..{last}, z {z}: {cells}")
        check(not [c for c in cells if c[0] > last + 1 and c != (0, 0, 0)],
              f"voxels were added after the focus was lost: {cells}")


# --- menus -------------------------------------------------------------------------------------

def test_menus_slide_in_and_bar(build_dir):
    with tempfile.TemporaryDirectory() as folder, Editor(build_dir, name="menus") as editor:
        model = os.path.join(folder, "model.xml")
        editor.start([model])
        sliding = editor.picture("menus_sliding.png")
        editor.settle()
        editor.move(700, 300)
        editor.wait_frames(3)
        rest = editor.picture("menus_at_rest.png")

        width = side_panel_width(rest, 380)
        height = bar_height(rest, 500)
        print(f"at rest: side panel {width} pixels wide, {height} pixels of the bar show; "
              f"while sliding: {side_panel_width(sliding, 380)} and {bar_height(sliding, 500)}")
        check(abs(width - 1280 * 320 / 1920) <= 3, f"side panel {width} pixels wide, expected 213")
        check(abs(height - 720 * 56 / 1080) <= 2, f"{height} pixels of the bar show, expected 37")
        # A machine slow to take the first picture (a loaded one, or the sanitizer build) may
        # catch the menus nearly in place; that is judged at the end, after the other checks.
        slid = side_panel_width(sliding, 380) < width - 20 or bar_height(sliding, 500) < height - 5

        # Hovering "Save" gives it the focus look; leaving it takes the look away.
        reset, save = bar_buttons(WIDTH, HEIGHT)
        edge = (save[0] + 90, save[1] - 10)  # inside the button, right of its caption
        check(not is_focus_blue(rest.at(*edge)), f"'Save' looks focused at rest: {rest.at(*edge)}")
        editor.move(*save)
        editor.wait_frames(5)
        hovered = editor.picture("menus_save_hovered.png")
        check(is_focus_blue(hovered.at(*edge)), f"no focus look on 'Save': {hovered.at(*edge)}")
        check(not is_focus_blue(hovered.at(reset[0] + 90, reset[1] - 10)),
              "'Reset camera' took the focus look too")
        editor.move(700, 300)
        editor.wait_frames(5)
        left = editor.picture("menus_save_left.png")
        check(not is_focus_blue(left.at(*edge)), "the focus look stayed after the pointer left")

        # Clicking "Save" writes the model file: the new model is the one grey start voxel.
        check(not os.path.exists(model), "the model file exists before the save")
        editor.click(*save)
        wait_for_file(model)
        check(voxels_in(model) == [(0, 0, 0)], f"saved voxels: {voxels_in(model)}")
        editor.close_cleanly()
    if not slid:
        print("the first picture came when the menus were nearly in place: too slow to judge "
              "the slide")
        sys.exit(SKIPPED)


def test_menus_geometry_full_hd(build_dir):
    with Editor(build_dir, name="fullhd", video_mode=(1920, 1080)) as editor:
        editor.start()
        editor.settle()
        editor.move(1000, 400)
        editor.wait_frames(3)
        rest = editor.picture("menus_1920_at_rest.png")
        check((rest.width, rest.height) == (1920, 1080), f"window {rest.width} x {rest.height}")
        width = side_panel_width(rest, 570)
        height = bar_height(rest, 750)
        print(f"1920 x 1080: side panel {width} pixels wide, {height} pixels of the bar show")
        check(abs(width - 320) <= 3, f"side panel {width} pixels wide, expected 320")
        check(abs(height - 56) <= 2, f"{height} pixels of the bar show, expected 56")

        # The focus look shows each bar button's extent: "Save" 1600..1900, "Reset camera"
        # 1280..1580.
        for (x, y), name, span in zip(bar_buttons(1920, 1080), ("reset", "save"),
                                      ((1280, 1580), (1600, 1900))):
            editor.move(x, y)
            editor.wait_frames(5)
            hovered = editor.picture(f"menus_1920_{name}_hovered.png")
            box = hovered.find(1100, 1024, 1920, 1080, is_focus_blue)
            check(box is not None, f"no focus look on the '{name}' button")
            check(abs(box[0] - span[0]) <= 2 and abs(box[2] - span[1]) <= 2,
                  f"'{name}' spans x {box[0]}..{box[2]}, expected {span[0]}..{span[1]}")
        editor.close_cleanly()


def test_clicks_during_slide_reach_the_tool(build_dir):
    with tempfile.TemporaryDirectory() as folder, Editor(build_dir, name="slideclick") as editor:
        model = os.path.join(folder, "model.xml")
        editor.start([model])
        # Clicks on the place of "Edit voxels" while the menus still slide in (they settle
        # about 0.8 s after the first frame): the menu must not take them.
        editor.xdotool("mousemove", "--window", editor.window, *EDIT_VOXELS,
                       "click", "--repeat", "3", "--delay", "40", "1")
        early = editor.picture("menus_clicked_while_sliding.png")
        editor.settle()
        rest = editor.picture("menus_settled_after_clicks.png")
        moved = rest.differing(early, (0, 0, 230, 460))
        print(f"{moved} pixels of the side menu moved after the clicks")
        if moved <= 100:
            # The machine was too slow to click within the slide: nothing was tested.
            print("the menus were at rest already when the clicks came: too slow to judge")
            sys.exit(SKIPPED)

        def edit_voxels_look(file_name):
            editor.move(700, 300)
            editor.wait_frames(5)
            picture = editor.picture(file_name)
            return (picture.at(BUTTON_EDGE_X, EDIT_VOXELS[1]),
                    picture.at(BUTTON_EDGE_X, SELECT_VOXELS_ROW))

        def hold_on_ground():
            hold_at(editor, 500, 600, frames=5)

        def saved_voxels():
            save(editor, model)
            return voxels_in(model)

        edit, select = edit_voxels_look("menus_after_slide_clicks.png")
        check(max(abs(a - b) for a, b in zip(edit, select)) <= 8,
              f"'Edit voxels' {edit} does not look like 'Select voxels' {select}")
        hold_on_ground()
        check(saved_voxels() == [(0, 0, 0)], "a press on the ground added a voxel: a tool was set")

        # The same click once the menus are in chooses the sculpt tool, which then adds.
        editor.click(*EDIT_VOXELS)
        edit, select = edit_voxels_look("menus_edit_voxels_chosen.png")
        check(max(abs(a - b) for a, b in zip(edit, select)) > 40,
              f"choosing 'Edit voxels' did not change its look: {edit} vs {select}")
        hold_on_ground()
        cells = saved_voxels()
        check(len(cells) == 2 and cells[1] == (CAMERA.ground_cell(500, 600)[0], 0,
                                               CAMERA.ground_cell(500, 600)[1]),
              f"the sculpt tool should have added one voxel under the pointer: {cells}")
        editor.close_cleanly()


def test_save_failure_shows_in_bar(build_dir):
    with tempfile.TemporaryDirectory() as folder, Editor(build_dir, name="savefail") as editor:
        model = os.path.join(folder, "no such folder", "model.xml")
        editor.start([model])
        editor.settle()
        editor.move(700, 300)
        before = editor.picture("menus_before_save_failure.png")
        check(before.count(0, 680, 840, HEIGHT, is_red) == 0, "red in the bar before the save")
        ctrl(editor, "s")
        editor.wait_for_log("ERROR, couldn't write " + model)
        editor.wait_frames(10)
        after = editor.picture("menus_save_failure.png")
        red = after.count(0, 680, 840, HEIGHT, is_red)
        check(red >= 50, f"the failure is not shown in the bar ({red} red pixels)")
        check("ERROR, couldn't write " + model in editor.stderr(), "nothing on standard error")
        check(not os.path.exists(os.path.dirname(model)), "the save created the folder")
        editor.close_cleanly()


def test_quick_view_switches_keep_menus_and_presses_right(build_dir):
    """1 and 2 pressed faster than the side menu slides, and a press on "Save" whose release
    comes after a view switch: the menu that comes to rest is the current view's, and the press
    does not linger to turn a later click into a save."""
    folder, model, animations = copy_sample()
    try:
        with Editor(build_dir, name="quickswitch") as editor:
            editor.start([model, animations])

            def rested(name):
                editor.settle()
                editor.move(700, 300)
                editor.wait_frames(10)
                return editor.picture(name)

            def side_moved(picture, reference):
                # The colour sliders of the model menu; "Play" and "Add new animation" of the
                # animation menu. Below the top button, whose focus look follows the pointer.
                return picture.differing(reference, (0, 150, 230, 300))

            model_menu = rested("switch_model_menu.png")
            editor.key("2")
            anim_menu = rested("switch_anim_menu.png")
            check(side_moved(anim_menu, model_menu) > 2000, "the two side menus look alike")

            editor.key("1", "2")  # back to the animate view before the model menu came in
            moved = side_moved(rested("switch_quick_1_2.png"), anim_menu)
            check(moved < 100, f"after 1, 2 the animation menu is not shown ({moved} pixels)")
            editor.key("1")
            rested("switch_back_to_model.png")
            editor.key("2", "1")
            moved = side_moved(rested("switch_quick_2_1.png"), model_menu)
            check(moved < 100, f"after 2, 1 the model menu is not shown ({moved} pixels)")

            # Held on "Save" while the view changes: the release still ends the press.
            saved = os.path.join(folder, "saved-by-click.xml")
            _, save_button = bar_buttons(WIDTH, HEIGHT)
            editor.move(*save_button)
            editor.wait_frames(5)
            editor.press()
            editor.wait_frames(2)
            editor.key("2")
            editor.wait_frames(2)
            editor.release()
            editor.settle()
            os.path.exists(model) and os.rename(model, saved)
            editor.key("1")
            editor.settle()
            editor.click(700, 300)
            editor.wait_frames(10)
            editor.click(700, 300)
            editor.wait_frames(10)
            check(not os.path.exists(model), "a click in the 3D view ran Save")
            editor.close_cleanly()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def test_quick_save_resize_and_animations_beside_the_model(build_dir):
    """A session of the kinds of use that once lost work or control: Ctrl+S typed the quick way
    (Ctrl let go before S) leaves the camera at rest; animations made with only a model file are
    saved beside it; after a resize the bar is laid out for the new size and takes clicks where
    its buttons are drawn."""
    folder = tempfile.mkdtemp(prefix="bramblewick-session-")
    model = os.path.join(folder, "walker.xml")
    shutil.copy(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples",
                             "bramblewick.xml"), model)
    animations = os.path.join(folder, "walker_animations.xml")
    with Editor(build_dir, name="session") as editor:
        editor.start([model])
        editor.wait_for_log("using animation file ")
        editor.settle()
        editor.move(700, 300)
        editor.key("2")
        editor.settle()
        editor.key_down("Control_L")
        editor.wait_frames(1)
        editor.key_down("s")
        editor.wait_frames(1)
        editor.key_up("Control_L")
        editor.wait_frames(1)
        editor.key_up("s")
        wait_for_file(animations)
        editor.wait_for_log("Saved, animations in walker_animations.xml")
        editor.wait_frames(3)
        before = editor.picture("session_after_quick_save.png")
        time.sleep(1.5)
        after = editor.picture("session_later.png")
        differing = after.differing(before, (330, 0, WIDTH, 670))
        check(differing <= 20, f"the camera moved after Ctrl+S: {differing} pixels differ")

        editor.xdotool("windowsize", "--sync", editor.window, 900, 600)
        editor.settle()
        small = editor.picture("session_900x600.png")
        check(small.width == 900 and small.height == 600, f"window {small.width} x {small.height}")
        check(bar_height(small, 450) >= 20, "no bar at the bottom of the 900 x 600 window")
        _, save_button = bar_buttons(900, 600)
        editor.click(*save_button)
        editor.wait_for_log("Saved", count=2)
        editor.close_cleanly()
    check(voxels_in(model), "the model was not saved")
    shutil.rmtree(folder, ignore_errors=True)


TESTS = {
    "start_voxel": test_start_voxel_grey_with_outline,
    "fly_turn_reset": test_fly_turn_and_reset_camera,
    "wheel_orbit_home": test_wheel_orbit_and_home,
    "focus_loss": test_focus_loss_ends_sculpt_drag,
    "menus_slide_and_bar": test_menus_slide_in_and_bar,
    "menus_full_hd": test_menus_geometry_full_hd,
    "clicks_during_slide": test_clicks_during_slide_reach_the_tool,
    "save_failure": test_save_failure_shows_in_bar,
    "quick_view_switches": test_quick_view_switches_keep_menus_and_presses_right,
    "quick_save_resize_and_animations": test_quick_save_resize_and_animations_beside_the_model,
}

if __name__ == "__main__":
    run_tests(TESTS)
