#!/usr/bin/env python3
"""Start-up time of the editor to its first rendered frame, under Xvfb.

Usage: startup.py BUILD_DIR [RUNS]. Each run starts the editor in a fresh run folder of a
private Xvfb and measures the time from the process start to the log line "first frame
rendered ok"; prints every run and the median (target: under 2 s)."""
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from bramblewick_e2e import Editor  # noqa: E402


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build_dir = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    times = []
    for run in range(runs):
        with Editor(build_dir, name="bench") as editor:
            began = time.monotonic()
            editor.start(wait_for=None)
            while "first frame rendered ok" not in editor.log():
                if not editor.running():
                    sys.exit(f"the editor ended early:\n{editor.log_tail()}")
                time.sleep(0.005)
            elapsed = time.monotonic() - began
            times.append(elapsed)
            print(f"run {run + 1}: {elapsed * 1000:.0f} ms to the first frame", flush=True)
            editor.window = editor.find_window("BRAMBLEWICK")
            editor.close()
            editor.wait_exit()
    print(f"median of {runs} runs: {statistics.median(times) * 1000:.0f} ms "
          f"(min {min(times) * 1000:.0f}, max {max(times) * 1000:.0f}; target under 2000 ms)")


if __name__ == "__main__":
    main()
