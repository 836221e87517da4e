#!/usr/bin/env python3
"""Frame time of the real editor window under Xvfb with 1, 1,000 and 4,000 voxels on screen.

Usage: frame_time.py BUILD_DIR [SECONDS]. For each model the editor runs in a private Xvfb with
BRAMBLEWICK_TRACE_FPS=1, which logs a "frame rate:" line every two seconds; after the menus have
settled the lines of SECONDS seconds (default 8) are read and their median reported, with the
render batches and triangles of a frame and the cost of one voxel over the one-voxel scene.
Target: 30 frames per second at 4,000 voxels."""
import os
import re
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from bramblewick_e2e import Editor  # noqa: E402

LINE = re.compile(r"frame rate: ([\d.]+) fps, (\d+) frames in ([\d.]+) s, "
                  r"batches (\d+), triangles (\d+)")


def write_block(path, size_x, size_y, size_z, near_z):
    """A block of grey voxels centred in front of the start camera, at (0, 15, 70) looking
    along -z, its front face at z = near_z."""
    rows = []
    for x in range(-size_x // 2, size_x - size_x // 2):
        for y in range(15 - size_y // 2, 15 + size_y - size_y // 2):
            for z in range(near_z - size_z, near_z):
                rows.append(f'<voxel x="{x}" y="{y}" z="{z}" r="0.6" g="0.6" b="0.6" a="1"/>')
    with open(path, "w") as file:
        file.write("<model><voxels>" + "".join(rows) +
                   "</voxels><skeleton/><skeletonVoxelBindings/></model>\n")
    return len(rows)


def measure(build_dir, model, seconds):
    with Editor(build_dir, name="framebench") as editor:
        editor.start([model] if model else [], env={"BRAMBLEWICK_TRACE_FPS": "1"}, timeout=180)
        editor.move(700, 300)
        editor.settle(3.0)  # menus in, first frame-rate line (start-up frames) passed
        skipped = len([line for line in editor.log_lines() if LINE.search(line)])
        count = max(1, round(seconds / 2))
        lines = editor.wait_for_log("frame rate:", timeout=seconds + 60, count=skipped + count)
        editor.screenshot(f"bench_frame_time_{os.path.basename(model or 'start')}.png")
        editor.close()
        editor.wait_exit(60)
    samples = [LINE.search(line) for line in lines[skipped:]]
    fps = statistics.median(float(sample.group(1)) for sample in samples)
    last = samples[-1]
    return fps, int(last.group(4)), int(last.group(5))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build_dir = os.path.abspath(sys.argv[1])
    seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 8.0
    with tempfile.TemporaryDirectory() as folder:
        models = [(None, 1)]
        for name, size in (("block1000.xml", (10, 10, 10)), ("block4000.xml", (20, 10, 20))):
            path = os.path.join(folder, name)
            models.append((path, write_block(path, *size, near_z=40)))
        results = []
        for model, voxels in models:
            fps, batches, triangles = measure(build_dir, model, seconds)
            results.append((voxels, fps))
            print(f"{voxels:5d} voxels: {fps:6.1f} frames per second, {1000 / fps:7.2f} ms a "
                  f"frame, {batches} batches, {triangles} triangles", flush=True)
    base_voxels, base_fps = results[0]
    for voxels, fps in results[1:]:
        per_voxel = (1000 / fps - 1000 / base_fps) / (voxels - base_voxels) * 1000
        print(f"{voxels:5d} voxels: {per_voxel:.1f} microseconds a frame per voxel "
              f"(target: 30 frames per second at 4,000 voxels)")


if __name__ == "__main__":
    main()
