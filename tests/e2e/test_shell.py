#!/usr/bin/env python3
"""Real-window tests of the application shell. Usage: test_shell.py BUILD_DIR TEST_NAME"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bramblewick_e2e import Editor, Xvfb, run_tests  # noqa: E402
from e2e_support import check  # noqa: E402


def test_title_start_log_and_window_close(build_dir):
    with Editor(build_dir, name="title") as editor:
        editor.start()
        editor.wait_for_log("run simulation")
        title = editor.window_name()
        check(title.startswith("BRAMBLEWICK Voxel Editor 0.14"), f"title is '{title}'")
        lines = editor.log_lines()
        order = [lines.index(text) for text in
                 ("application start done", "rendering the first frame",
                  "first frame rendered ok", "adding frame listener", "run simulation")]
        check(order == sorted(order), f"start-up lines out of order: {order}")
        editor.wait_frames(5)
        editor.screenshot("shell_first_frame.png")
        # Closing the window quits cleanly: status 0, the engine torn down after the close.
        editor.close()
        status = editor.wait_exit()
        check(status == 0, f"exit status {status}\n{editor.stderr()[-2000:]}")
        lines = editor.log_lines()
        check("render window closed - quitting" in lines, "no close line in the log")
        check("application quitting" not in lines, "a close must not log a quit request")
        closed = lines.index("render window closed - quitting")
        check("Graphics::~Graphics()" in lines[closed:], "graphics not torn down after close")
        check(os.path.isdir(os.path.join(editor.data_home, "Bramblewick")),
              "the per-user data folder was not created")


def test_engine_failures_show_a_message(build_dir):
    """A broken resource location (answered with Return) and a missing ogre.cfg (answered with
    Escape) show the engine's message; either answer ends the editor with status 1."""
    for broken, answer in (("resources", "Return"), ("ogre.cfg", "Escape")):
        with Editor(build_dir, name=f"broken-{answer}") as editor:
            if broken == "resources":
                with open(os.path.join(editor.run_dir, "resources.cfg"), "a") as file:
                    file.write("FileSystem=/nonexistent/bramblewick/media\n")
            else:
                os.remove(os.path.join(editor.run_dir, "ogre.cfg"))
            editor.start(wait_for=None)
            window = editor.find_window("An exception has occurred!")
            editor.wait_frames(3)
            editor.screenshot(f"shell_error_message_{broken}.png", window)
            check(editor.running(), "the editor ended before the message was answered")
            editor.xdotool("windowfocus", "--sync", window, check=False)
            editor.key(answer)
            status = editor.wait_exit()
            check(status == 1, f"{broken}: an unrecoverable error must end with status 1, "
                               f"not {status}")
            if broken == "resources":
                stderr = editor.stderr()
                check("An exception has occurred!" in stderr and
                      "/nonexistent/bramblewick/media" in stderr,
                      f"the error text is not on standard error: {stderr[-1500:]}")


def test_input_reaches_mode(build_dir):
    with Editor(build_dir, name="input") as editor:
        editor.start(env={"BRAMBLEWICK_TRACE_INPUT": "1"})
        editor.wait_for_log("starting rendering loop")
        editor.wait_frames(3)

        editor.key("a")
        editor.wait_for_log("input: key pressed 30 text 97")
        editor.wait_for_log("input: key released 30")
        editor.key("shift+a")
        editor.wait_for_log("input: key pressed 30 text 65")

        # Absolute positions must be the real pointer position in window pixels.
        for x, y in ((300, 200), (641, 359), (17, 700), (1279, 1)):
            editor.move(x, y)
            editor.wait_for_log(f"input: pointer at {x} {y}", timeout=10)
        # A relative move arrives as a delta, x right and y down.
        editor.move(600, 400)
        editor.wait_for_log("input: pointer at 600 400", timeout=10)
        editor.move_by(3, -2)
        editor.wait_for_log("input: pointer at 603 398", timeout=10)
        moves = [line for line in editor.log_lines() if line.startswith("input: mouse moved")]
        check("input: mouse moved 3 -2" in moves, f"last moves: {moves[-5:]}")

        editor.click(603, 398, 1)
        editor.wait_for_log("input: mouse pressed 0")
        editor.wait_for_log("input: mouse released 0")
        editor.click(603, 398, 3)
        editor.wait_for_log("input: mouse pressed 1")
        editor.close_cleanly()


def test_clipboard_with_x_server(build_dir):
    """Runs the clipboard tests that need an X server inside a private Xvfb."""
    xvfb = Xvfb()
    try:
        binary = os.path.join(build_dir, "tests", "bramblewick_tests")
        result = subprocess.run([binary, "--gtest_filter=ClipboardX11WithDisplay.*"],
                                env=xvfb.env({"BRAMBLEWICK_CLIPBOARD_TESTS": "1"}),
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                timeout=120)
        print(result.stdout)
        check(result.returncode == 0, "clipboard tests failed")
        check(re.search(r"\[  PASSED  \] [1-9]", result.stdout) is not None, "no test ran")
    finally:
        xvfb.stop()


def test_start_failures_are_reported(build_dir):
    """Without DISPLAY, and on a display where the render system cannot start, the editor says
    why on standard error and ends with status 1, never with a signal."""
    binary = os.path.join(os.path.abspath(build_dir), "bramblewick-editor")
    run_dir = os.path.join(os.path.abspath(build_dir), "run")
    for display, expected in ((None, "DISPLAY"), (":4917", "An exception has occurred!")):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        if display:
            env["DISPLAY"] = display  # no server there
        with tempfile.TemporaryDirectory() as work:
            shutil.copytree(run_dir, os.path.join(work, "run"),
                            ignore=shutil.ignore_patterns("*.log", "*.xml"))
            result = subprocess.run([binary, "skip_config"], cwd=os.path.join(work, "run"),
                                    env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    text=True, errors="replace", timeout=60)
        check(result.returncode == 1,
              f"DISPLAY={display}: status {result.returncode}\n{result.stderr[-1500:]}")
        check(expected in result.stderr, f"DISPLAY={display}: {result.stderr[-1500:]}")


TESTS = {
    "title_start_log_and_close": test_title_start_log_and_window_close,
    "engine_failures": test_engine_failures_show_a_message,
    "start_failures": test_start_failures_are_reported,
    "input": test_input_reaches_mode,
    "clipboard": test_clipboard_with_x_server,
}

if __name__ == "__main__":
    run_tests(TESTS)
