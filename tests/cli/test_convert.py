"""Runs `bramblewick convert` as a user would, between model files and .vox files."""
import os
import struct
import tempfile
import xml.etree.ElementTree as ElementTree

from cli_support import expect, finish, run, source


def vox_file(chunks):
    """A .vox file of (id, content) chunks inside MAIN."""
    children = b"".join(name + struct.pack("<ii", len(content), 0) + content
                        for name, content in chunks)
    return b"VOX " + struct.pack("<i", 150) + b"MAIN" + struct.pack("<ii", 0, len(children)) + \
        children


def model_chunks(side, cells):
    return [(b"SIZE", struct.pack("<iii", side, side, side)),
            (b"XYZI", struct.pack("<i", len(cells)) + b"".join(bytes(c) for c in cells))]


def voxels(model):
    """Cells with colours in bytes, as the .vox palette keeps them."""
    root = ElementTree.parse(model).getroot()
    return sorted((int(v.get("x")), int(v.get("y")), int(v.get("z")),
                   *(int(float(v.get(c, "1")) * 255 + 0.5) for c in "rgba"))
                  for v in root.find("voxels").iter("voxel"))


def write_model(name, cells):
    with open(name, "w") as file:
        file.write("<model><voxels>")
        for x, y, z, r, g, b in cells:
            file.write(f'<voxel x="{x}" y="{y}" z="{z}" r="{r / 255:f}" g="{g / 255:f}" '
                       f'b="{b / 255:f}" a="1.000000"/>')
        file.write("</voxels><skeleton/><skeletonVoxelBindings/></model>")


with tempfile.TemporaryDirectory() as folder:
    def path(name):
        return os.path.join(folder, name)

    # The sample character there and back: the same cells and colours, no skeleton.
    sample = os.path.join(source, "examples", "bramblewick.xml")
    status, out, err = run("convert", sample, path("sample.vox"))
    expect("model to .vox", status == 0 and "wrote " in out, out + err)
    colours = out.split(" colours")[0].split()[-1]
    expect("the skeleton is said to stay behind", "a .vox file holds no skeleton" in err, err)
    status, out, err = run("convert", path("sample.vox"), path("back.xml"))
    expect(".vox to model", status == 0 and "a model without a skeleton" in out, out + err)
    status, out, err = run("info", sample)
    expect("info counts colours as convert does", f"colours: {colours}\n" in out, out)
    expect("round trip keeps cells and colours", voxels(path("back.xml")) == voxels(sample))
    back = ElementTree.parse(path("back.xml")).getroot()
    expect("no skeleton comes back", len(back.find("skeleton")) == 0)

    # 400 colours: reduced to the palette's 255, and the change is reported.
    write_model(path("many.xml"), [(i % 20, i // 20, 0, i % 256, (i * 7) % 256, i // 2)
                                   for i in range(400)])
    status, out, err = run("convert", path("many.xml"), path("many.vox"))
    expect("many colours reported", status == 0 and "voxels changed colour, by at most " in out,
           out + err)

    # Refusals: a wrong pair of names, one file for both, a damaged input. None of them
    # touches the file that was to be written.
    with open(path("keep.xml"), "w") as file:
        file.write("kept")
    with open(path("broken.vox"), "wb") as file:
        file.write(b"VOX \x96\x00\x00\x00MAIN\x00\x00\x00\x00\xff\x00\x00\x00")
    for arguments, code, message in (
            ([sample, path("x.txt")], 64, "are not such a pair"),
            ([path("sample.vox"), path("other.vox")], 64, "are not such a pair"),
            ([path("keep.xml"), path("keep.xml")], 64, "is the file to read"),
            ([path("broken.vox"), path("keep.xml")], 2,
             f'couldn\'t read the .vox file "{path("broken.vox")}": chunk "MAIN" at byte 8 '
             "declares 255 bytes, which runs past the end of the file"),
            ([path("absent.vox"), path("keep.xml")], 2, "there is no such file")):
        status, out, err = run("convert", *arguments)
        expect(f"convert {arguments} refused", status == code and message in err,
               f"status {status}: {err}")
    with open(path("keep.xml")) as file:
        expect("a refused convert leaves the output alone", file.read() == "kept")

    # An existing output is replaced only with --force, whatever its kind.
    for output in ("keep.xml", "sample.vox"):
        before = open(path(output), "rb").read()
        source = path("sample.vox") if output.endswith(".xml") else sample
        status, out, err = run("convert", source, path(output))
        expect(f"{output} is not replaced", status == 1 and "exists already" in err
               and open(path(output), "rb").read() == before, f"{status} {err}")
        status, out, err = run("convert", "--force", source, path(output))
        expect(f"{output} is replaced with --force", status == 0, f"{status} {err}")
    status, out, err = run("convert", sample, path("missing/out.vox"))
    expect("a failed write says why", status == 1 and "No such file or directory" in err, err)

    # Models counted by PACK without a scene graph are animation frames: the first is taken.
    with open(path("run.vox"), "wb") as file:
        frames = [chunk for f in range(3) for chunk in model_chunks(4, [(f, 0, 0, 1), (3, 3, 3, 2)])]
        file.write(vox_file([(b"PACK", struct.pack("<i", 3))] + frames))
    status, out, err = run("convert", path("run.vox"), path("run.xml"))
    expect("the first frame is taken", status == 0 and "wrote 2 voxels" in out and
           "an animation of 3 frames; the first is taken and 2 frames are left out" in err,
           out + err)

    # One full 64^3 model placed 2,000 times at one spot (1.2 MB): refused at once, by name.
    full = [(x, y, z, 1) for x in range(64) for y in range(64) for z in range(64)]
    def node(kind, *words):
        return (kind, struct.pack(f"<{len(words)}i", *words))
    graph = [node(b"nTRN", 0, 0, 1, -1, 0, 0), node(b"nGRP", 1, 0, 2000, *range(2, 4002, 2))]
    for i in range(2, 4002, 2):
        graph += [node(b"nTRN", i, 0, i + 1, -1, 0, 0), node(b"nSHP", i + 1, 0, 1, 0, 0)]
    with open(path("hostile.vox"), "wb") as file:
        file.write(vox_file(model_chunks(64, full) + graph))
    status, out, err = run("convert", path("hostile.vox"), path("hostile.xml"))
    expect("a model placed over and over is refused", status == 2 and
           f'"{path("hostile.vox")}": it places more than 4000000 voxels' in err, err)

finish("convert: all checks passed")
