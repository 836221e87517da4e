"""Runs `bramblewick render` as a pipeline would, without a display: the files it writes, their
frames and times, and its refusals."""
import json
import os
import subprocess
import tempfile

from cli_support import expect, finish, run, source

examples = os.path.join(source, "examples")
sample = [os.path.join(examples, "bramblewick.xml"),
          os.path.join(examples, "bramblewick_animations.xml")]


def read(path):
    with open(path, "rb") as file:
        return file.read()


def rgba(path):
    """(width, height, RGBA bytes) of the first frame, through ImageMagick."""
    size = subprocess.run(["identify", "-format", "%w %h", path + "[0]"], capture_output=True,
                          text=True, check=True).stdout.split()
    pixels = subprocess.run(["convert", path + "[0]", "-depth", "8", "rgba:-"],
                            capture_output=True, check=True).stdout
    return int(size[0]), int(size[1]), pixels


with tempfile.TemporaryDirectory() as folder:
    def out(name):
        return os.path.join(folder, name)

    # The walk as a GIF: one frame per 1/30 s, delays alternating so that the loop lasts 1 s.
    status, stdout, stderr = run("render", *sample, "--animation", "walk", "-o", out("walk.gif"))
    expect("the walk's GIF is written", status == 0 and "30 frames" in stdout, stdout + stderr)
    delays = subprocess.run(["identify", "-format", "%T ", out("walk.gif")], capture_output=True,
                            text=True).stdout.split()
    expect("a frame per 1/30 s of the walk", len(delays) == 30, delays)
    expect("the GIF's loop lasts the walk's second",
           sum(map(int, delays)) == 100 and set(delays) == {"3", "4"}, delays)

    # The same input gives the same bytes, for every kind of file.
    for name, arguments in (("still.png", ["--camera", "iso", "--size", "200x150"]),
                            ("walk.gif", ["--animation", "2", "--size", "160x160"]),
                            ("turn.webp", ["--turntable", "--frames", "6", "--size", "96x96",
                                           "--background", "transparent"])):
        for round in (1, 2):
            status, stdout, stderr = run("render", *sample, *arguments, "-o", out(f"{round}-{name}"))
            expect(f"{name} is written", status == 0, stderr)
        expect(f"{name} is the same each time",
               read(out(f"1-{name}")) == read(out(f"2-{name}")))
    width, height, _ = rgba(out("1-turn.webp"))
    expect("the WebP's size", (width, height) == (96, 96), (width, height))

    # A transparent still is transparent outside the character only.
    status, stdout, stderr = run("render", *sample, "--animation", "wave", "--time", "0.8", "--camera",
                                 "left", "--background", "transparent", "--no-outlines", "-o",
                                 out("clear.png"))
    expect("a transparent still is written", status == 0, stderr)
    width, height, pixels = rgba(out("clear.png"))
    alphas = pixels[3::4]
    expect("its corners are transparent",
           all(alphas[i] == 0 for i in (0, width - 1, width * (height - 1), width * height - 1)))
    expect("the character is opaque", alphas[(height // 2) * width + width // 2] == 255)
    expect("every pixel is either", set(alphas) == {0, 255}, set(alphas))

    # A sheet: the frames in a grid and where each one is.
    status, stdout, stderr = run("render", *sample, "--animation", "idle", "--fps", "5", "--size", "64x48",
                                 "--sheet", "-o", out("idle.png"))
    expect("a sheet is written", status == 0, stderr)
    sheet = json.loads(read(out("idle.json")))
    frames = sheet["frames"]
    expect("a frame per 1/5 s of the idle's two seconds", len(frames) == 10, len(frames))
    expect("the sheet names its picture and animation", sheet["image"] == "idle.png" and
           sheet["animation"].startswith("Idle"), sheet)
    expect("the frames' places and times",
           frames[5]["x"] == 64 * (5 % sheet["columns"]) and frames[5]["time"] == 1.0 and
           frames[9]["start"] == 1.8, frames[5:])
    width, height, _ = rgba(out("idle.png"))
    expect("the sheet's size", (width, height) == (64 * sheet["columns"], 48 * sheet["rows"]))

    # Refusals: bad arguments exit 64 and name the problem; nothing is written.
    for arguments, text in (
            (["-o", out("x.jpg")], "must end in .png, .gif or .webp"),
            (["--shiny", "-o", out("x.png")], "--shiny"),
            (["--size", "0x10", "-o", out("x.png")], "the size must be WxH"),
            (["--background", "red", "-o", out("x.png")], "#rrggbb"),
            (["--camera", "top", "-o", out("x.png")], "top"),
            (["-o", out("x.gif")], "needs --animation or --turntable"),
            (["--turntable", "-o", out("x.png")], "write a .gif or .webp file, or add --sheet"),
            (["--time", "1", "-o", out("x.png")], "--time needs --animation"),
            (["--animation", "jump", "-o", out("x.png")],
             "no animation \"jump\"; the animations are:\n  1: Idle"),
            (["--animation", "4", "-o", out("x.png")], "3: Wave")):
        status, stdout, stderr = run("render", *sample, *arguments)
        expect(f"{arguments} is refused", status == 64 and text in stderr,
               f"{status} {stderr}")
    # Comments are Latin-1 in the files and UTF-8 on the terminal.
    latin1 = out("latin1.xml")
    with open(latin1, "wb") as file:
        file.write('<animations><animation end="1" comment="Sprung über den Bach"/>'
                   '</animations>'.encode("latin-1"))
    status, stdout, stderr = run("render", sample[0], latin1, "--animation", "9", "-o", out("x.png"))
    expect("names are UTF-8", status == 64 and "1: Sprung über den Bach" in stderr, stderr)
    status, stdout, stderr = run("render", sample[0], latin1, "--animation", "sprung ü", "--size",
                                 "32x32", "-o", out("sprung.png"))
    expect("a prefix with a letter beyond ASCII", status == 0, stderr)

    status, stdout, stderr = run("render", os.path.join(folder, "none.xml"), "-o", out("x.png"))
    expect("a missing model exits 2", status == 2 and "none.xml" in stderr, stderr)
    expect("nothing is left by a refusal", not any(
        name.startswith("x.") for name in os.listdir(folder)), os.listdir(folder))

    # A failed write says so, leaves what was there whole and no temporary file.
    taken = out("taken.gif")
    os.mkdir(taken)  # a folder where the picture should go
    with open(os.path.join(taken, "keep"), "wb") as file:
        file.write(b"mine")
    status, stdout, stderr = run("render", *sample, "--animation", "walk", "--size", "32x32", "-o", taken)
    expect("a write over a folder fails", status == 1 and "couldn't write" in stderr,
           f"{status} {stderr}")
    expect("the folder stays", os.listdir(taken) == ["keep"], os.listdir(taken))
    expect("no temporary file is left", not any(".saving-" in name for name in os.listdir(folder)),
           os.listdir(folder))
    status, stdout, stderr = run("render", *sample, "-o", os.path.join(taken, "keep", "x.png"))
    expect("a write below a file fails", status == 1, f"{status} {stderr}")

finish("ok")
