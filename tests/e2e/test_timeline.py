#!/usr/bin/env python3
"""Real-window tests of the animation view's timeline, settings rows and onion skins on the
sample character's walk (keys at 0, 0.25, 0.5, 0.75 and 1; end 1, loop on).
Usage: test_timeline.py BUILD_DIR TEST_NAME"""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, run_tests  # noqa: E402
from e2e_support import check, click_button, copy_sample, read_animations, save  # noqa: E402
from test_sample_and_tools import QUIET_SPOT, settle, start  # noqa: E402

# Animation menu at rest in the 1280 x 720 window.
TIME_TRACK = (12, 201, 92)  # left end, right end, row
COMMENT = (150, 383)
LOOP = (100, 414)
REMOVE_KEY_FRAME = (100, 588)
WALK = 1
# The character and the room around it at the start camera.
CHARACTER_AREA = (430, 130, 850, 600)


# The ghosts' points and sticks, blended over the character or the room: violet for the key
# before, green for the key after. Neither hue is in the character or its skeleton's drawing.
def is_violet(pixel):
    return pixel[2] > pixel[1] + 40 and pixel[0] > pixel[1] + 10


def is_green(pixel):
    return pixel[1] > pixel[0] + 15 and pixel[1] > pixel[2] + 15


def open_walk(editor, model, animations):
    start(editor, model, animations)
    editor.key("2")
    settle(editor)
    editor.key("Down")
    editor.wait_frames(4)


def test_knob_snaps_and_settings_save(build_dir):
    folder, model, animations = copy_sample()
    with Editor(build_dir, name="timeline") as editor:
        open_walk(editor, model, animations)
        # The knob from 0 to 2 pixels right of 0.75 s lands on the key at 0.75 exactly: the
        # removal then finds a key frame at the time shown.
        left, right, row = TIME_TRACK
        target = left + (right - left) * 0.75 + 2
        editor.drag(left, row, round(target), row, steps=12, hold=3)
        editor.move(*QUIET_SPOT)
        editor.wait_frames(4)
        editor.picture("timeline_1_at_075.png")
        click_button(editor, REMOVE_KEY_FRAME)
        click_button(editor, LOOP)
        # A new comment, typed into the field and committed with Return.
        click_button(editor, COMMENT)
        editor.key("End")
        editor.key(*["BackSpace"] * 60)
        editor.key("S", "t", "r", "o", "l", "l", "space", "ampersand")
        editor.key("Return")
        editor.wait_frames(4)
        editor.picture("timeline_2_settings.png")
        _, text = save(editor, model, animations)
        walk = read_animations(animations)[WALK]
        check(sorted(walk[1]) == [0.0, 0.25, 0.5, 1.0],
              f"the walk's keys after the removal are {sorted(walk[1])}")
        header = text.decode("latin-1").split("<animation ")[WALK + 1].split(">")[0]
        check(header == 'loop="0" end="1.000000" speed="1.000000" speed_spread="0.200000" '
                        'comment="Stroll &amp;"',
              f"the walk is written as <animation {header}>")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


def test_onion_skins(build_dir):
    folder, model, animations = copy_sample()
    with Editor(build_dir, name="onion") as editor:
        open_walk(editor, model, animations)
        # At 0.25: the keys around it, 0 and 0.5, stand apart (those around 0.5 are mirror
        # images of each other, whose ghosts would cover one another).
        editor.key("Right")
        editor.move(*QUIET_SPOT)
        editor.wait_frames(4)
        plain = editor.picture("onion_1_off.png")
        editor.key("k")
        editor.wait_frames(4)
        ghosts = editor.picture("onion_2_on.png")
        for name, hue in (("previous", is_violet), ("next", is_green)):
            before = plain.count(*CHARACTER_AREA, hue)
            after = ghosts.count(*CHARACTER_AREA, hue)
            check(after > before + 200,
                  f"the {name} key's ghost: {before} pixels of its hue without, {after} with")
        editor.key("k")
        editor.wait_frames(4)
        again = editor.picture("onion_3_off_again.png")
        check(again.differing(plain, CHARACTER_AREA) < 30, "K again left ghosts behind")
        editor.close_cleanly()
    shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    run_tests({"knob_snaps_and_settings_save": test_knob_snaps_and_settings_save,
               "onion_skins": test_onion_skins})
