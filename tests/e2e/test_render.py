#!/usr/bin/env python3
"""`bramblewick render --camera editor` against the editor's own window.
Usage: test_render.py BUILD_DIR matches_editor

The sample at the start camera, drawn by the command (1280 x 720, no display) and shown by the
editor under Xvfb, compared over the character's voxels in the part of the window around it.
The render draws no grid, sticks, particles or hands line, so the comparison leaves out every
pixel where the editor shows one of those:
  - a pixel is "face" when it is neither the background, nor white (outlines, the grid), nor
    in one of the skeleton's colours; the faces of the two pictures must overlap by 95 % or
    more (shared face pixels over the face pixels of either), and
  - 95 % or more of the shared face pixels agree within 8/255 in every channel.
Pixels next to the skeleton's lines are left out too: they blend into neither picture.
"""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, run_tests  # noqa: E402
from e2e_support import EXAMPLES, Picture, check, copy_sample  # noqa: E402
from test_sample_and_tools import start  # noqa: E402

VIEW = (470, 150, 810, 575)  # the character at the start camera, as test_pictures takes it
BACKGROUND = (204, 179, 153)
SKELETON = [(255, 217, 25), (38, 89, 255), (255, 77, 191)]  # particles, sticks, hands line
CHANNEL_STEP = 8


def near(a, b, step):
    return max(abs(x - y) for x, y in zip(a, b)) <= step


def kinds(picture):
    """Per pixel: "face", "skeleton" or None (background, white)."""
    result = []
    for row in picture.rows:
        line = []
        for x in range(picture.width):
            pixel = tuple(row[3 * x:3 * x + 3])
            if any(near(pixel, colour, 40) for colour in SKELETON):
                line.append("skeleton")
            elif near(pixel, BACKGROUND, 2) or min(pixel) >= 250:
                line.append(None)
            else:
                line.append("face")
        result.append(line)
    return result


def compare(render, editor):
    """(overlap, share of agreeing pixels) of the faces of two pictures of one size."""
    ours, theirs = kinds(render), kinds(editor)
    # Left out: the skeleton and its one-pixel rim.
    left_out = {(x + dx, y + dy) for y, line in enumerate(theirs)
                for x, kind in enumerate(line) if kind == "skeleton"
                for dx in (-1, 0, 1) for dy in (-1, 0, 1)}
    both = either = agree = 0
    for y in range(render.height):
        for x in range(render.width):
            if (x, y) in left_out:
                continue
            a, b = ours[y][x] == "face", theirs[y][x] == "face"
            either += a or b
            if a and b:
                both += 1
                agree += near(render.rows[y][3 * x:3 * x + 3], editor.rows[y][3 * x:3 * x + 3],
                              CHANNEL_STEP)
    check(either > 10000, f"too few face pixels to compare: {either}")
    return both / either, agree / max(both, 1)


def render_sample(build_dir, target):
    environment = dict(os.environ)
    environment.pop("DISPLAY", None)
    done = subprocess.run([os.path.join(build_dir, "bramblewick"), "render",
                           os.path.join(EXAMPLES, "bramblewick.xml"), "--camera", "editor",
                           "--size", "1280x720", "-o", target],
                          capture_output=True, text=True, env=environment, timeout=60)
    check(done.returncode == 0, f"render failed: {done.stderr}")


def test_matches_editor(build_dir):
    folder, model, animations = copy_sample()
    with Editor(build_dir, name="render") as editor:
        start(editor, model, animations)
        window = editor.picture("render_editor.png")
        check(window.width == 1280 and window.height == 720,
              f"the window is {window.width} x {window.height}")
        target = os.path.join(editor.screenshots, "render_command.png")
        render_sample(build_dir, target)
        overlap, agreeing = compare(Picture.read(target).crop(VIEW), window.crop(VIEW))
        print(f"faces overlap {overlap:.4f}, agree within {CHANNEL_STEP}/255: {agreeing:.4f}")
        check(overlap >= 0.95, f"the faces overlap by only {overlap:.4f}")
        check(agreeing >= 0.95, f"only {agreeing:.4f} of the face pixels agree")
        editor.close()
    shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--offline":
        # test_render.py --offline RENDER.png EDITOR_VIEW.png: compares a render with a picture
        # of the editor's view already cut to VIEW (as tests/e2e/pictures/model_start.png).
        print(compare(Picture.read(sys.argv[2]).crop(VIEW), Picture.read(sys.argv[3])))
    else:
        run_tests({"matches_editor": test_matches_editor})
