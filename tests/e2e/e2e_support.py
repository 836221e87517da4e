"""Helpers shared by the real-window tests of the tools and the animation view: reading a
screenshot's pixels, projecting world points to window pixels with the start camera, saving with
Ctrl+S and reading the model and animation files back."""
import math
import os
import shutil
import tempfile
import time
import xml.etree.ElementTree as ElementTree

from bramblewick_e2e import HarnessError, Picture  # noqa: F401 (the tests' picture type)

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples")
SAMPLE_MODEL = "bramblewick.xml"
SAMPLE_ANIMATIONS = "bramblewick_animations.xml"


def check(condition, message):
    if not condition:
        raise HarnessError(message)


def copy_sample():
    """Copies the sample character to a fresh folder; answers (folder, model, animations)."""
    folder = tempfile.mkdtemp(prefix="bramblewick-sample-")
    for name in (SAMPLE_MODEL, SAMPLE_ANIMATIONS):
        shutil.copyfile(os.path.join(EXAMPLES, name), os.path.join(folder, name))
    return folder, os.path.join(folder, SAMPLE_MODEL), os.path.join(folder, SAMPLE_ANIMATIONS)


# --- pictures -------------------------------------------------------------------------------
def colour_distance(a, b):
    return max(abs(a[0] - b[0]), abs(a[1] - b[1]), abs(a[2] - b[2]))


# --- the start camera -----------------------------------------------------------------------
class StartCamera:
    """The camera of a fresh start (and of "Reset camera"): at (0, 15, 70) looking at (0, 15, 0)
    with the engine's default vertical field of view of 45 degrees."""
    EYE = (0.0, 15.0, 70.0)
    TAN_HALF_FOV = 0.41421356  # tan(22.5 degrees)

    def __init__(self, width=1280, height=720):
        self.width, self.height = width, height

    def ndc(self, point):
        x, y, z = (point[i] - self.EYE[i] for i in range(3))
        depth = -z
        check(depth > 0, f"{point} is behind the camera")
        aspect = self.width / self.height
        return (x / (depth * self.TAN_HALF_FOV * aspect), y / (depth * self.TAN_HALF_FOV))

    def pixel(self, point):
        nx, ny = self.ndc(point)
        return (round((nx + 1.0) * 0.5 * self.width), round((1.0 - ny) * 0.5 * self.height))

    def ground_cell(self, px, py):
        """The grid cell (x, z) under a window pixel."""
        nx, ny = self.pointer_ndc(px, py)
        distance = self.EYE[1] / (-ny * self.TAN_HALF_FOV)
        x = nx * self.TAN_HALF_FOV * self.width / self.height * distance
        return math.floor(x), math.floor(self.EYE[2] - distance)

    def pointer_ndc(self, px, py):
        """Normalised screen position of a window pixel, y up, as the editor reads the pointer."""
        return (2.0 * px / self.width - 1.0, -(2.0 * py / self.height - 1.0))


# --- mouse gestures and saving ----------------------------------------------------------------
def hold_at(editor, x, y, frames=4, button=1):
    """Presses at (x, y), keeps the button down for a few frames and releases: tools act on the
    held steps, so a press and release inside one frame would do nothing."""
    editor.move(x, y)
    editor.wait_frames(2)
    editor.press(button)
    editor.wait_frames(frames)
    editor.release(button)
    editor.wait_frames(2)


def click_button(editor, spot, away=(1000, 150)):
    """Rests on a menu button before clicking: focus follows the pointer once per step, and while
    a pose plays a frame can take longer than the harness's usual wait."""
    editor.move(*spot)
    time.sleep(0.5)
    editor.press()
    time.sleep(0.3)
    editor.release()
    time.sleep(0.2)
    editor.move(*away)


def ctrl(editor, *keys):
    """Left Control held around the keys, released last, as a user types a shortcut."""
    editor.key_down("Control_L")
    editor.wait_frames(1)
    for key in keys:
        editor.key(key)
        editor.wait_frames(2)
    editor.key_up("Control_L")
    editor.wait_frames(2)


def save(editor, *paths, timeout=20):
    """Ctrl+S; waits until every file in paths was written again and answers their texts."""
    past = time.time() - 1000
    for path in paths:
        if os.path.exists(path):
            os.utime(path, (past, past))
    ctrl(editor, "s")
    deadline = time.time() + timeout
    while time.time() < deadline:
        if all(os.path.exists(p) and os.path.getmtime(p) > past + 1 for p in paths):
            time.sleep(0.3)  # the rename into place is atomic; give a second file its turn
            texts = []
            for path in paths:
                with open(path, "rb") as file:
                    texts.append(file.read())
            return texts
        time.sleep(0.05)
    raise HarnessError(f"Ctrl+S did not write {paths}\n{editor.log_tail()}")


def read_voxels(path):
    """The model file's voxels as {(x, y, z): (r, g, b)}, checking no cell is listed twice."""
    root = ElementTree.parse(path).getroot()
    cells = {}
    for voxel in root.find("voxels").findall("voxel"):
        cell = tuple(int(voxel.get(k)) for k in ("x", "y", "z"))
        check(cell not in cells, f"cell {cell} is listed twice in {path}")
        cells[cell] = tuple(float(voxel.get(k)) for k in ("r", "g", "b"))
    return cells


def read_particles(path):
    root = ElementTree.parse(path).getroot()
    return [tuple(float(p.get(k)) for k in ("x", "y", "z"))
            for p in root.find("skeleton").findall("particle")]


def read_animations(path):
    """[(comment, {time: [(x, y, z), ...]})] in file order."""
    animations = []
    for animation in ElementTree.parse(path).getroot().findall("animation"):
        frames = {}
        for frame in animation.findall("frame"):
            frames[round(float(frame.get("time")), 4)] = [
                tuple(float(p.get(k)) for k in ("x", "y", "z")) for p in frame.findall("position")]
        animations.append((animation.get("comment", ""), frames))
    return animations


def write_model(path, cells, colour=(0.5, 0.5, 0.5)):
    """A model file without skeleton holding the given cells, every voxel in group 0."""
    lines = ["<model>", "    <voxels>"]
    for x, y, z in cells:
        lines.append(f'        <voxel x="{x}" y="{y}" z="{z}" r="{colour[0]:f}" g="{colour[1]:f}" '
                     f'b="{colour[2]:f}" a="1.000000" />')
    lines += ["    </voxels>", "    <skeleton />", "    <skeletonVoxelBindings>",
              '        <group constraintIndex="0">']
    lines += [f'            <voxel index="{i}" />' for i in range(len(cells))]
    lines += ["        </group>", "    </skeletonVoxelBindings>", "</model>", ""]
    with open(path, "w") as file:
        file.write("\n".join(lines))
