#!/usr/bin/env python3
"""Start-up time of the editor to its first rendered frame, under Xvfb.

Usage: startup.py BUILD_DIR [RUNS] [MODEL]. Each run starts the editor in a fresh run folder of a
private Xvfb and measures the time from the process start to the log line "first frame
rendered ok"; prints every run and the median (target: under 2 s). Without MODEL the editor
starts on a new model; MODEL is a model file, or the name of one of frame_time.py's generated
models (checker4000, block4000, block40000)."""
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from bramblewick_e2e import Editor  # noqa: E402
from frame_time import MODELS  # noqa: E402


def measure(build_dir, runs, arguments):
    times = []
    for run in range(runs):
        with Editor(build_dir, name="bench") as editor:
            began = time.monotonic()
            editor.start(arguments, wait_for=None)
            while "first frame rendered ok" not in editor.log():
                if not editor.running():
                    sys.exit(f"the editor ended early:\n{editor.log_tail()}")
                time.sleep(0.005)
            elapsed = time.monotonic() - began
            times.append(elapsed)
            print(f"run {run + 1}: {elapsed * 1000:.0f} ms to the first frame", flush=True)
            editor.window = editor.find_window("BRAMBLEWICK")
            editor.close()
            editor.wait_exit(120)
    return times


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build_dir = os.path.abspath(sys.argv[1])
    rest = sys.argv[2:]
    runs = int(rest.pop(0)) if rest and rest[0].isdigit() else 7
    model = rest[0] if rest else None
    with tempfile.TemporaryDirectory() as folder:
        if model in MODELS:
            title, writer = MODELS[model]
            path = os.path.join(folder, f"{model}.xml")
            writer(path)
            print(f"model: {title}")
            model = path
        elif model and not os.path.exists(model):
            sys.exit(f"no model file {model}; the generated models are {', '.join(MODELS)}")
        times = measure(build_dir, runs, [model] if model else [])
    print(f"median of {runs} runs: {statistics.median(times) * 1000:.0f} ms "
          f"(min {min(times) * 1000:.0f}, max {max(times) * 1000:.0f}; target under 2000 ms)")


if __name__ == "__main__":
    main()
