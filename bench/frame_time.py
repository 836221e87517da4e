#!/usr/bin/env python3
"""Frame time and memory of the real editor window (1280 x 720) under Xvfb.

Usage: frame_time.py BUILD_DIR [SECONDS] [CASE ...]. The cases (all when none is named):

    checker4000  4,000 voxels as a 3D checkerboard (cells with x + y + z even in a 20 x 20 x 20
                 box), so that every voxel shows all its faces
    block4000    4,000 voxels as a solid 20 x 10 x 20 block
    block40000   40,000 voxels as a solid 40 x 25 x 40 block
    walk         the sample character playing its walk in the animation view
    walk_onion   the same with onion skins on (key K): ghosts of the neighbouring key frames
    still        the sample character in the model view, the camera still
    orbit        the same while a middle drag orbits the camera to and fro without a pause

The blocks stand centred in front of the start camera at (0, 15, 70), which sees them whole.
For each case the editor runs in a private Xvfb with BRAMBLEWICK_TRACE_FPS=1, which logs a
"frame rate:" line every two seconds of frames; after the menus have settled the lines of
SECONDS seconds (default 8) are read and their median reported, with the render batches and
triangles of a frame, the resident memory (VmRSS) at the end of the measurement and its peak
(VmHWM). Target: 30 frames per second at 4,000 voxels."""
import os
import re
import shutil
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from bramblewick_e2e import Editor  # noqa: E402
from e2e_support import EXAMPLES, SAMPLE_ANIMATIONS, SAMPLE_MODEL, click_button  # noqa: E402

LINE = re.compile(r"frame rate: ([\d.]+) fps, (\d+) frames in ([\d.]+) s, "
                  r"batches (\d+), triangles (\d+)")
PLAY = (100, 162)  # the animation menu's "Play" button, at rest


def write_voxels(path, size_x, size_y, size_z, near_z, keep=lambda x, y, z: True):
    """Grey voxels filling (where `keep` says so) a box centred in front of the start camera,
    at (0, 15, 70) looking along -z, its front face at z = near_z; answers their number."""
    rows = []
    for x in range(-size_x // 2, size_x - size_x // 2):
        for y in range(15 - size_y // 2, 15 + size_y - size_y // 2):
            for z in range(near_z - size_z, near_z):
                if keep(x, y, z):
                    rows.append(f'<voxel x="{x}" y="{y}" z="{z}" r="0.6" g="0.6" b="0.6" a="1"/>')
    with open(path, "w") as file:
        file.write("<model><voxels>" + "".join(rows) +
                   "</voxels><skeleton/><skeletonVoxelBindings/></model>\n")
    return len(rows)


def write_block(path, size_x, size_y, size_z, near_z):
    return write_voxels(path, size_x, size_y, size_z, near_z)


def write_checkerboard(path, size, near_z):
    return write_voxels(path, size, size, size, near_z, lambda x, y, z: (x + y + z) % 2 == 0)


# name: (what it shows, writer of its model file answering the number of voxels)
MODELS = {
    "checker4000": ("4,000 voxels, 3D checkerboard 20^3",
                    lambda path: write_checkerboard(path, 20, near_z=40)),
    "block4000": ("4,000 voxels, solid block 20 x 10 x 20",
                  lambda path: write_block(path, 20, 10, 20, near_z=40)),
    "block40000": ("40,000 voxels, solid block 40 x 25 x 40",
                   lambda path: write_block(path, 40, 25, 40, near_z=30)),
}
CASES = list(MODELS) + ["walk", "walk_onion", "still", "orbit"]


def write_model(name, folder):
    """Writes the model of case `name` into `folder`; answers (editor arguments, voxels, title).
    The walk case copies the sample character and its animations."""
    if name in ("walk", "walk_onion", "still", "orbit"):
        files = []
        for file_name in (SAMPLE_MODEL, SAMPLE_ANIMATIONS):
            files.append(os.path.join(folder, file_name))
            shutil.copyfile(os.path.join(EXAMPLES, file_name), files[-1])
        with open(files[0]) as file:
            voxels = file.read().count("<voxel x=")
        titles = {"walk": "sample character playing the walk",
                  "walk_onion": "sample character playing the walk, onion skins",
                  "still": "sample character, camera still",
                  "orbit": "sample character, camera orbiting"}
        return files, voxels, titles[name]
    title, writer = MODELS[name]
    path = os.path.join(folder, f"{name}.xml")
    return [path], writer(path), title


def memory(pid):
    """(VmRSS, VmHWM) of a process in MiB."""
    values = {}
    with open(f"/proc/{pid}/status") as file:
        for line in file:
            key, _, rest = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                values[key] = int(rest.split()[0]) / 1024
    return values["VmRSS"], values["VmHWM"]


def play_walk(editor):
    """Animation view, the walk (the second animation), "Play"."""
    editor.key("2")
    time.sleep(2.5)  # the menus exchange; the animation menu takes clicks once at rest
    editor.key("Down")
    time.sleep(0.5)
    click_button(editor, PLAY, away=(700, 300))


def orbit(editor, until):
    """Holds the middle button over the model and keeps the pointer moving, 6 pixels every
    20 ms, to and fro, until the given time."""
    editor.move(640, 330)
    editor.press(2)
    steps = 0
    while time.time() < until:
        editor.move_by(6 if (steps // 40) % 2 == 0 else -6, 0)
        steps += 1
        time.sleep(0.02)
    editor.release(2)


def measure(build_dir, name, arguments, seconds):
    with Editor(build_dir, name="framebench") as editor:
        editor.start(arguments, env={"BRAMBLEWICK_TRACE_FPS": "1"}, timeout=300)
        editor.move(700, 300)
        editor.settle(3.0)  # menus in, first frame-rate line (start-up frames) passed
        if name in ("walk", "walk_onion"):
            play_walk(editor)
            if name == "walk_onion":
                editor.key("k")
            time.sleep(2.0)
        skipped = len([line for line in editor.log_lines() if LINE.search(line)])
        count = max(1, round(seconds / 2))
        if name == "orbit":
            orbit(editor, time.time() + seconds + 4.0)
        lines = editor.wait_for_log("frame rate:", timeout=seconds * 10 + 60,
                                    count=skipped + count)
        rss, peak = memory(editor.process.pid)
        editor.screenshot(f"bench_frame_time_{name}.png")
        editor.close()
        editor.wait_exit(120)
    samples = [LINE.search(line) for line in lines[skipped:]]
    fps = statistics.median(float(sample.group(1)) for sample in samples)
    last = samples[-1]
    return fps, int(last.group(4)), int(last.group(5)), rss, peak


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build_dir = os.path.abspath(sys.argv[1])
    rest = sys.argv[2:]
    seconds = 8.0
    if rest and rest[0].replace(".", "", 1).isdigit():
        seconds = float(rest.pop(0))
    unknown = [name for name in rest if name not in CASES]
    if unknown:
        sys.exit(f"unknown case {unknown[0]}; the cases are {', '.join(CASES)}")
    header = (f"| {'case':<44} | {'voxels':>6} | {'fps':>6} | {'ms/frame':>8} | {'batches':>7} | "
              f"{'triangles':>9} | {'RSS MiB':>7} | {'peak MiB':>8} |")
    print(header)
    print("|" + "|".join("-" * (len(cell)) for cell in header.split("|")[1:-1]) + "|", flush=True)
    with tempfile.TemporaryDirectory() as folder:
        for name in rest or CASES:
            arguments, voxels, title = write_model(name, folder)
            fps, batches, triangles, rss, peak = measure(build_dir, name, arguments, seconds)
            print(f"| {title:<44} | {voxels:>6} | {fps:>6.1f} | {1000 / fps:>8.1f} | "
                  f"{batches:>7} | {triangles:>9} | {rss:>7.0f} | {peak:>8.0f} |", flush=True)


if __name__ == "__main__":
    main()
