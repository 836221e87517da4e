"""Real-window test harness for the Bramblewick editor.

Starts a private Xvfb, runs the editor from a private copy of the run folder (so tests can run
side by side and never share an Ogre.log), and drives it with xdotool the way a user would.

    from bramblewick_e2e import Editor
    with Editor(build_dir) as editor:
        editor.start()                      # waits for "first frame rendered ok"
        editor.key("a")
        editor.click(300, 200)
        editor.screenshot("start.png")      # saved under build/screenshots/
        editor.close()                      # WM_DELETE_WINDOW, as a window manager sends it
        assert editor.wait_exit() == 0

Every coordinate is in window pixels. Failures raise HarnessError with the tail of the log.
"""
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib


class HarnessError(AssertionError):
    pass


def _run(args, env, check=True, timeout=20):
    result = subprocess.run(args, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            text=True, timeout=timeout)
    if check and result.returncode != 0:
        raise HarnessError(f"{' '.join(args)} failed: {result.stderr.strip()}")
    return result.stdout.strip()


class Xvfb:
    """A private X server on a free display number."""

    def __init__(self, width=1920, height=1080):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.time() + 15
        while not number.endswith(b"\n") and time.time() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            self.stop()
            raise HarnessError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def env(self, extra=None):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        if extra:
            env.update(extra)
        return env

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Editor:
    """One editor process in its own Xvfb and run folder."""

    def __init__(self, build_dir, width=1920, height=1080, name="e2e", video_mode=None):
        """`video_mode` (width, height) changes the window size in the run folder's ogre.cfg."""
        self.build_dir = os.path.abspath(build_dir)
        self.binary = os.path.join(self.build_dir, "bramblewick-editor")
        self.screenshots = os.path.join(self.build_dir, "screenshots")
        os.makedirs(self.screenshots, exist_ok=True)
        self.work = tempfile.mkdtemp(prefix=f"bramblewick-{name}-")
        self.run_dir = os.path.join(self.work, "run")
        shutil.copytree(os.path.join(self.build_dir, "run"), self.run_dir,
                        ignore=shutil.ignore_patterns("*.log", "*.xml"))
        if video_mode:
            self.set_video_mode(*video_mode)
        self.data_home = os.path.join(self.work, "data")
        self.xvfb = Xvfb(width, height)
        self.process = None
        self.others = []
        self.window = None
        self.stdout_path = os.path.join(self.work, "stdout.txt")
        self.stderr_path = os.path.join(self.work, "stderr.txt")
        self.exit_status = None

    def set_video_mode(self, width, height):
        config = os.path.join(self.run_dir, "ogre.cfg")
        with open(config) as file:
            lines = file.read().splitlines()
        lines = [f"Video Mode={width} x {height}" if line.startswith("Video Mode=") else line
                 for line in lines]
        with open(config, "w") as file:
            file.write("\n".join(lines) + "\n")

    # --- life ---------------------------------------------------------------------------
    def __enter__(self):
        return self

    def __exit__(self, kind, value, trace):
        self.stop()
        report = self.sanitizer_report()
        if kind is None and report:
            print(f"kept the work folder {self.work}")
            raise HarnessError(f"sanitizer report on standard error:\n{report}")
        if kind is None:
            shutil.rmtree(self.work, ignore_errors=True)
        else:
            print(f"kept the work folder {self.work}")
        return False

    def env(self, extra=None):
        env = self.xvfb.env({"XDG_DATA_HOME": self.data_home})
        if extra:
            env.update(extra)
        return env

    def start(self, args=(), env=None, wait_for="first frame rendered ok", timeout=60):
        """Starts the editor with `args` followed by "skip_config"; waits for a log line."""
        arguments = [os.path.abspath(a) if a.lower().endswith(".xml") else a for a in args]
        self.process = subprocess.Popen(
            [self.binary] + arguments + ["skip_config"], cwd=self.run_dir, env=self.env(env),
            stdout=open(self.stdout_path, "w"), stderr=open(self.stderr_path, "w"))
        if wait_for:
            self.wait_for_log(wait_for, timeout)
            self.window = self.find_window("BRAMBLEWICK")
            self.focus()
        return self

    def stop(self):
        for other in self.others:
            if other.poll() is None:
                other.terminate()
                other.wait()
        if self.process and self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.xvfb.stop()

    def wait_exit(self, timeout=30):
        """Waits for the editor to end; answers its exit status."""
        try:
            self.exit_status = self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"editor still running after {timeout} s\n{self.log_tail()}")
        return self.exit_status

    def close_cleanly(self):
        """Closes the window as a window manager does; the editor must end with status 0."""
        self.close()
        if self.wait_exit() != 0:
            raise HarnessError(f"exit status {self.exit_status}")

    def sanitizer_report(self):
        """The first AddressSanitizer, LeakSanitizer or UBSan report the editor printed, or ""."""
        try:
            with open(self.stderr_path, errors="replace") as file:
                text = file.read()
        except OSError:
            return ""
        for marker in ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"):
            at = text.find(marker)
            if at >= 0:
                return text[max(0, at - 200):at + 3000]
        return ""

    def running(self):
        return self.process is not None and self.process.poll() is None

    # --- log ----------------------------------------------------------------------------
    @property
    def log_path(self):
        return os.path.join(self.run_dir, "Ogre.log")

    def log(self):
        try:
            with open(self.log_path, encoding="latin-1") as file:
                return file.read()
        except FileNotFoundError:
            return ""

    def log_lines(self):
        """The log's lines without their time stamps."""
        lines = []
        for line in self.log().splitlines():
            # "hh:mm:ss: text"
            lines.append(line[10:] if len(line) > 10 and line[2] == ":" and line[5] == ":"
                         else line)
        return lines

    def log_tail(self, count=30):
        return "\n".join(self.log_lines()[-count:])

    def stderr(self):
        with open(self.stderr_path, encoding="latin-1") as file:
            return file.read()

    def wait_for_log(self, text, timeout=30, count=1):
        """Waits until `count` log lines contain `text`; answers those lines."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = [line for line in self.log_lines() if text in line]
            if len(found) >= count:
                return found
            if self.process and self.process.poll() is not None:
                raise HarnessError(f"editor ended ({self.process.returncode}) before "
                                   f"'{text}'\n{self.log_tail()}\n{self.stderr()}")
            time.sleep(0.05)
        raise HarnessError(f"no log line '{text}' after {timeout} s\n{self.log_tail()}")

    def wait_frames(self, frames=3):
        """Gives the editor time for a few frames (input is read once per frame)."""
        time.sleep(0.1 * frames)

    # --- windows ------------------------------------------------------------------------
    def xdotool(self, *args, check=True):
        return _run(["xdotool"] + [str(a) for a in args], self.env(), check=check)

    def find_window(self, name, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            found = self.xdotool("search", "--name", name, check=False)
            if found:
                return int(found.splitlines()[0])
            time.sleep(0.1)
        raise HarnessError(f"no window named '{name}'\n{self.log_tail()}")

    def window_name(self, window=None):
        return self.xdotool("getwindowname", window or self.window)

    def open_other_window(self, x=0, y=0):
        """Opens a small window of another program at (x, y) on the screen (the editor's window
        is centred on it), for example to take the focus away from the editor; answers its
        window id."""
        self.others.append(subprocess.Popen(
            ["xmessage", "-title", "bramblewick-other", "-geometry", f"+{x}+{y}", "other window"],
            env=self.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        return self.find_window("bramblewick-other")

    def focus(self, window=None):
        self.xdotool("windowfocus", "--sync", window or self.window)

    def screenshot(self, file_name, window=None):
        """Writes the window's picture to build/screenshots/`file_name`; answers the path."""
        path = os.path.join(self.screenshots, file_name)
        _run(["import", "-window", str(window or self.window), path], self.env())
        return path

    def picture(self, file_name, window=None):
        """Takes the window's picture, keeps it as build/screenshots/`file_name` and answers it
        as a Picture (one grab, no second read: a test sampling a playing animation needs
        them quick)."""
        result = subprocess.run(["import", "-window", str(window or self.window), "-depth", "8",
                                 "ppm:-"], env=self.env(), stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=20)
        if result.returncode != 0:
            raise HarnessError(f"import failed: {result.stderr.decode(errors='replace')}")
        path = os.path.join(self.screenshots, file_name)
        picture = Picture.from_ppm(result.stdout, path)
        picture.write_png(path)
        return picture

    def settle(self, seconds=2.5):
        """Waits for the menus to slide in and come to rest after start-up."""
        time.sleep(seconds)

    def close(self, window=None):
        """Sends WM_DELETE_WINDOW as a window manager's close button does."""
        tool = os.path.join(self.build_dir, "tests", "e2e", "send_close")
        _run([tool, str(window or self.window)], self.env())

    # --- keyboard and pointer -------------------------------------------------------------
    def key(self, *names):
        """Presses and releases keys, for example key("a"), key("ctrl+s")."""
        self.xdotool("key", "--delay", "30", *names)

    def key_down(self, name):
        self.xdotool("keydown", name)

    def key_up(self, name):
        self.xdotool("keyup", name)

    def move(self, x, y):
        self.xdotool("mousemove", "--window", self.window, x, y)

    def move_by(self, dx, dy):
        self.xdotool("mousemove_relative", "--", dx, dy)

    def click(self, x, y, button=1):
        self.move(x, y)
        self.wait_frames(1)
        self.xdotool("click", button)

    def press(self, button=1):
        self.xdotool("mousedown", button)

    def release(self, button=1):
        self.xdotool("mouseup", button)

    def drag(self, x1, y1, x2, y2, button=1, steps=10, hold=1):
        """Drags from (x1, y1) to (x2, y2). The pointer rests `hold` frames before the press and
        before the release: the editor hands a press or release the pointer position of the
        frame before, so a gesture that must start and end exactly needs a few of them, more
        on a slow or busy machine."""
        self.move(x1, y1)
        self.wait_frames(hold)
        self.press(button)
        self.wait_frames(1)
        for i in range(1, steps + 1):
            self.move(round(x1 + (x2 - x1) * i / steps), round(y1 + (y2 - y1) * i / steps))
            time.sleep(0.03)
        self.wait_frames(hold)
        self.release(button)


def read_ppm(data):
    """Splits a binary PPM (P6, 8 bits) into its width, height and RGB bytes."""
    fields = []
    position = 0
    while len(fields) < 4:  # "P6", width, height, maximum, separated by white space
        while data[position:position + 1].isspace():
            position += 1
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise HarnessError(f"unexpected picture format {fields}")
    return int(fields[1]), int(fields[2]), data[position + 1:]


def run_tests(tests):
    """The command line of a test script: BUILD_DIR CASE runs one case of `tests`."""
    if len(sys.argv) != 3 or sys.argv[2] not in tests:
        sys.exit(f"usage: {sys.argv[0]} BUILD_DIR {{{','.join(tests)}}}")
    tests[sys.argv[2]](os.path.abspath(sys.argv[1]))
    print("ok")


class Picture:
    """A window picture as rows of RGB bytes, read through ImageMagick (no imaging module)."""

    def __init__(self, width, height, rows, path=None):
        self.width, self.height, self.rows, self.path = width, height, rows, path

    @staticmethod
    def from_ppm(data, path=None):
        width, height, pixels = read_ppm(data)
        stride = width * 3
        return Picture(width, height,
                       [pixels[y * stride:(y + 1) * stride] for y in range(height)], path)

    @staticmethod
    def read(path):
        """Reads a picture file of any format ImageMagick knows."""
        result = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=30)
        if result.returncode != 0:
            raise HarnessError(f"cannot read {path}: {result.stderr.decode(errors='replace')}")
        return Picture.from_ppm(result.stdout, path)

    def crop(self, box):
        """The part inside box (x1, y1, x2, y2), ends exclusive."""
        x1, y1, x2, y2 = box
        return Picture(x2 - x1, y2 - y1, [row[x1 * 3:x2 * 3] for row in self.rows[y1:y2]])

    def write_png(self, path):
        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
        raw = b"".join(b"\x00" + bytes(row) for row in self.rows)
        with open(path, "wb") as file:
            header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
            file.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                       chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))

    def at(self, x, y):
        """(r, g, b) of the pixel at column x, row y."""
        return tuple(self.rows[y][x * 3:x * 3 + 3])

    def count(self, x1, y1, x2, y2, test):
        """How many pixels of the box x1 <= x < x2, y1 <= y < y2 pass `test`((r, g, b))."""
        return sum(1 for y in range(y1, y2) for x in range(x1, x2) if test(self.at(x, y)))

    def find(self, x1, y1, x2, y2, test):
        """The bounding box (x1, y1, x2, y2), ends exclusive, of the pixels that pass `test`;
        None when none does."""
        hits = [(x, y) for y in range(y1, y2) for x in range(x1, x2) if test(self.at(x, y))]
        if not hits:
            return None
        xs, ys = [x for x, _ in hits], [y for _, y in hits]
        return min(xs), min(ys), max(xs) + 1, max(ys) + 1

    def differing(self, other, box, tolerance=24):
        """How many pixels inside box (x1, y1, x2, y2) differ from `other` by more than
        `tolerance` in a channel."""
        x1, y1, x2, y2 = box
        count = 0
        for y in range(y1, y2):
            mine, theirs = self.rows[y], other.rows[y]
            for i in range(x1 * 3, x2 * 3, 3):
                if (abs(mine[i] - theirs[i]) > tolerance or abs(mine[i + 1] - theirs[i + 1]) >
                        tolerance or abs(mine[i + 2] - theirs[i + 2]) > tolerance):
                    count += 1
        return count


def screenshot_main(argv):
    """bramblewick_e2e.py screenshot BUILD_DIR FILE [model.xml [animations.xml]]

    Runs the editor in a private Xvfb, waits for the first frame and for the menus to settle,
    writes a picture of the window to FILE and closes the editor."""
    import sys
    if len(argv) < 3:
        sys.exit("usage: bramblewick_e2e.py screenshot BUILD_DIR FILE [model.xml [animations.xml]]")
    build_dir, target = argv[1], os.path.abspath(argv[2])
    with Editor(build_dir, name="screenshot") as editor:
        editor.start(argv[3:5])
        time.sleep(2.0)
        path = editor.screenshot("screenshot.png")
        shutil.copyfile(path, target)
        editor.close()
        status = editor.wait_exit()
    print(f"wrote {target}")
    return status


if __name__ == "__main__":
    import sys
    if len(sys.argv) >= 2 and sys.argv[1] == "screenshot":
        sys.exit(screenshot_main(sys.argv[1:]))
    sys.exit(__doc__)
