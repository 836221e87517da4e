#!/usr/bin/env python3
"""Real-window tests of the animation view and its menu on the sample character, driven as a
user would. Usage: test_animation.py BUILD_DIR TEST_NAME"""
import os
import shutil
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, run_tests  # noqa: E402
from e2e_support import (StartCamera, check, click_button, copy_sample, ctrl,  # noqa: E402
                         read_animations, read_particles, save)
from test_sample_and_tools import QUIET_SPOT, knob_centre, settle, start  # noqa: E402

# Animation menu, at rest in the 1280 x 720 window.
SELECT_AND_MOVE = (100, 18)
PLAY = (100, 162)
ADD_ANIMATION = (100, 212)
TIME_TRACK_ROW = 92
ANIMATION_TRACK = (12, 201, 287)  # left end, right end, row
TIME_LABEL = (15, 55, 210, 80)
PLAY_LABEL = (15, 148, 120, 176)
STATUS_LINE = (15, 338, 400, 358)
RIGHT_ELBOW, RIGHT_HAND = 4, 5
# The character's right arm is on the left of the picture, its left arm on the right.
RIGHT_ARM_AREA = (470, 330, 600, 500)
# Head and legs; the hands' line crosses the left arm, so that is not a steady place.
HEAD_AREA = (560, 190, 720, 330)
LEGS_AREA = (585, 480, 695, 560)


def test_pose_copy_and_paste(build_dir):
    folder, model, animations = copy_sample()
    rest = read_particles(model)
    loaded = read_animations(animations)
    camera = StartCamera()
    with Editor(build_dir, name="pose") as editor:
        start(editor, model, animations)
        editor.key("2")
        settle(editor)
        click_button(editor, SELECT_AND_MOVE)
        editor.wait_frames(3)
        before = editor.picture("pose_1_idle_t0.png")

        # A rectangle around the right elbow and hand only (the shoulder is higher).
        elbow, hand = rest[RIGHT_ELBOW], rest[RIGHT_HAND]
        corner1 = camera.pixel((min(elbow[0], hand[0]) - 1.5, elbow[1] + 1.5, 1.0))
        corner2 = camera.pixel((max(elbow[0], hand[0]) + 1.5, hand[1] - 1.5, 1.0))
        editor.drag(*corner1, *corner2, steps=5)
        editor.wait_frames(2)
        # Drag the hand up and out; the elbow follows through its sticks, the rest is held.
        hand_pixel = camera.pixel(hand)
        editor.drag(*hand_pixel, hand_pixel[0] - 50, hand_pixel[1] - 90, steps=10)
        editor.move(*QUIET_SPOT)
        editor.wait_frames(4)
        after = editor.picture("pose_2_hand_dragged.png")
        check(after.differing(before, RIGHT_ARM_AREA) > 300, "the right arm did not move")
        check(after.differing(before, HEAD_AREA) < 30, "the head moved")
        check(after.differing(before, LEGS_AREA) < 30, "the legs moved")

        # Copy the posed arm at time 0 and paste it into the key at 0.5.
        ctrl(editor, "c")
        editor.key("Right")
        editor.wait_frames(3)
        ctrl(editor, "v")
        editor.wait_frames(3)
        editor.picture("pose_3_pasted_at_half.png")

        save(editor, model, animations)
        saved = read_animations(animations)
        idle0, idle_half = saved[0][1][0.0], saved[0][1][0.5]
        old0, old_half = loaded[0][1][0.0], loaded[0][1][0.5]
        check(idle0[RIGHT_HAND][1] > old0[RIGHT_HAND][1] + 3,
              f"the hand was not raised in the key at 0: {old0[RIGHT_HAND]} -> "
              f"{idle0[RIGHT_HAND]}")
        check(idle0[RIGHT_ELBOW] != old0[RIGHT_ELBOW], "the elbow did not follow the hand")
        held = [i for i in range(len(old0)) if i not in (RIGHT_ELBOW, RIGHT_HAND)]
        for i in held:
            check(max(abs(a - b) for a, b in zip(idle0[i], old0[i])) < 1e-4,
                  f"particle {i} moved from {old0[i]} to {idle0[i]}")
            check(max(abs(a - b) for a, b in zip(idle_half[i], old_half[i])) < 1e-4,
                  f"the paste changed particle {i} at 0.5")
        for i in (RIGHT_ELBOW, RIGHT_HAND):
            check(max(abs(a - b) for a, b in zip(idle_half[i], idle0[i])) < 1e-4,
                  f"particle {i} at 0.5 is {idle_half[i]}, not the copied {idle0[i]}")
        check(saved[1:] == loaded[1:], "the other animations changed")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


def time_knob(editor, name):
    return knob_centre(editor.picture(name), TIME_TRACK_ROW)


def test_menu_add_pick_and_play(build_dir):
    folder, model, animations = copy_sample()
    loaded = read_animations(animations)
    with Editor(build_dir, name="animmenu") as editor:
        start(editor, model, animations)
        editor.key("2")
        settle(editor)
        idle = editor.picture("animmenu_1_idle.png")

        # "Add new animation": a fourth animation, chosen at once, with an empty comment.
        click_button(editor, ADD_ANIMATION)
        editor.wait_frames(6)
        added = editor.picture("animmenu_2_added.png")
        check(added.differing(idle, STATUS_LINE) > 50, "the idle comment is still shown")
        left, right, row = ANIMATION_TRACK
        knob = knob_centre(added, row)
        check(knob is not None and abs(knob - (left + (right - left) * 0.75)) < 6,
              f"the animation knob is at {knob}, expected three quarters")

        # The animation slider at 60 % of its track picks animation 2 of 4 (0.6 x 4 = 2.4): the
        # wave; the knob then jumps to 2 / 4.
        click_button(editor, (round(left + (right - left) * 0.6), row))
        editor.wait_frames(6)
        wave = editor.picture("animmenu_3_wave_picked.png")
        check(wave.differing(added, STATUS_LINE) > 50, "no comment for the wave")
        check(wave.differing(idle, STATUS_LINE) > 50, "the slider picked the idle again")
        knob = knob_centre(wave, row)
        check(knob is not None and abs(knob - (left + (right - left) * 0.5)) < 6,
              f"the animation knob is at {knob}, expected the middle")

        # "Play" runs the wave (end 1.6): the time knob moves right and wraps back.
        click_button(editor, PLAY)
        positions = []
        deadline = time.time() + 6.0
        while time.time() < deadline:
            positions.append(time_knob(editor, "animmenu_4_playing.png"))
            if len(positions) > 2 and positions[-1] is not None and positions[-2] is not None \
                    and positions[-1] < positions[-2] - 20:
                break
            time.sleep(0.15)
        check(any(b is not None and a is not None and b > a + 3
                  for a, b in zip(positions, positions[1:])), f"no progress: {positions}")
        check(any(b is not None and a is not None and b < a - 20
                  for a, b in zip(positions, positions[1:])), f"no wrap: {positions}")
        playing = editor.picture("animmenu_5_stop_shown.png")
        check(playing.differing(wave, PLAY_LABEL) > 20, "the button does not read Stop")

        click_button(editor, PLAY)
        editor.wait_frames(4)
        stopped = editor.picture("animmenu_6_stopped.png")
        time.sleep(0.6)
        later = editor.picture("animmenu_7_still_stopped.png")
        check(later.differing(stopped, TIME_LABEL) == 0 and
              knob_centre(later, TIME_TRACK_ROW) == knob_centre(stopped, TIME_TRACK_ROW),
              "the time still runs after Stop")
        check(later.differing(wave, PLAY_LABEL) < 20, "the button does not read Play")

        save(editor, model, animations)
        saved = read_animations(animations)
        check(saved[:3] == loaded, "the loaded animations changed")
        check(len(saved) == 4 and saved[3][0] == "" and list(saved[3][1]) == [0.0],
              f"the added animation: {saved[3:] and (saved[3][0], list(saved[3][1]))}")
        check(saved[3][1][0.0] == [tuple(p) for p in read_particles(model)],
              "the added animation does not hold the rest pose")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


TESTS = {
    "pose_copy_and_paste": test_pose_copy_and_paste,
    "menu_add_pick_and_play": test_menu_add_pick_and_play,
}

if __name__ == "__main__":
    run_tests(TESTS)
