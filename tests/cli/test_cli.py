"""Runs build/bramblewick as a pipeline would: without a display, on good and bad files."""
import os
import tempfile

from cli_support import expect, finish, run, source

examples = os.path.join(source, "examples")
figure = os.path.join(source, "tests", "formats")


with tempfile.TemporaryDirectory() as folder:
    sample = [os.path.join(examples, "bramblewick.xml"),
              os.path.join(examples, "bramblewick_animations.xml")]
    status, out, err = run("info", *sample)
    expect("info on the sample", status == 0 and "problems: 0" in out, out + err)
    for line in ("voxels: ", "colours: ", "particles: 18", "sticks: ", "bounding box: x ",
                 "animations: "):
        expect(f"info prints {line!r}", line in out, out)

    status, out, err = run("info", os.path.join(figure, "figure.xml"),
                           os.path.join(figure, "figure_animations.xml"))
    expect("info finds problems", status == 1, out + err)
    expect("a key frame of the wrong length",
           "animation 2 has a key frame at 0.5 s with 3 positions, but the model has 15 "
           "particles" in out, out)
    expect("unbound voxels", "2 voxels are bound to no stick (the first at (0, 13, 0))" in out, out)

    # The model's Latin-1 texts reach the terminal as UTF-8 (a strict decoder reads them here).
    latin1 = os.path.join(figure, "latin1_animations.xml")
    status, out, err = run("info", os.path.join(figure, "figure.xml"), latin1)
    expect("a Latin-1 name in UTF-8", '1 "L\u00e4ufer \u00bbKick\u00ab": ' in out, out + err)
    status, out, err = run("export", os.path.join(figure, "figure.xml"), latin1, "-o",
                           os.path.join(folder, "latin1.gltf"))
    expect("a Latin-1 name exports", status == 0, err)

    # The model file named twice: the second is no animation file, and that is said.
    status, out, err = run("info", sample[0], sample[0])
    expect("a model named as animations", "is not an animation file" in err, err)

    broken = os.path.join(folder, "broken.xml")
    with open(broken, "w") as file:
        file.write("<model>\n<voxels>\n</model>\n")
    zero = os.path.join(folder, "zero.xml")
    with open(zero, "w") as file:
        file.write('<model><voxels><voxel/><voxel/></voxels><skeleton><particle id="1"/>'
                   '<particle id="2"/><stick a="1" b="2"/></skeleton><skeletonVoxelBindings><group>'
                   '<voxel/></group></skeletonVoxelBindings></model>')
    bad_group = os.path.join(folder, "badgroup.xml")
    with open(bad_group, "w") as file:
        file.write('<model><voxels><voxel/></voxels><skeleton><particle id="1"/><particle id="2" '
                   'y="1"/><stick a="1" b="2"/></skeleton><skeletonVoxelBindings><group '
                   'constraintIndex="5"><voxel/></group></skeletonVoxelBindings></model>')
    empty = os.path.join(folder, "empty.xml")
    with open(empty, "w") as file:
        file.write("<model><voxels/></model>")
    status, out, err = run("info", empty)
    expect("an empty model is a problem", status == 1 and "the model has no voxels" in out,
           out + err)
    status, out, err = run("info", zero)
    expect("a zero-length stick", status == 1 and "stick 0 (particles 1 and 2) has zero length"
           in out and "2 voxels in cell (0, 0, 0): the later one dropped" in out, out + err)
    status, out, err = run("info", broken)
    expect("malformed XML is placed", "(row 3, column 1)" in err, err)
    for arguments in (["info", os.path.join(folder, "none.xml")], ["info", broken],
                      ["export", broken, "-o", os.path.join(folder, "out.glb")]):
        status, out, err = run(*arguments)
        expect(f"unreadable {arguments}", status == 2 and (broken in err or "none.xml" in err),
               f"{status} {err}")

    # Bad arguments and failed exports say why and leave the output as it was.
    output = os.path.join(folder, "out.glb")
    with open(output, "w") as file:
        file.write("earlier export")
    for arguments, code in ((["export", *sample], 64), (["export", *sample, "-o", "out.obj"], 64),
                            (["export", bad_group, "-o", output], 1), (["frobnicate"], 64)):
        status, out, err = run(*arguments)
        expect(f"refused {arguments}", status == code and err.strip(), f"{status} {err}")
    expect("an unknown command is named", "unknown command 'frobnicate'" in err, err)
    expect("the earlier export is untouched", open(output).read() == "earlier export")

    status, out, err = run("export", *sample, "-o", output)
    expect("export of the sample", status == 0 and open(output, "rb").read(4) == b"glTF",
           out + err)
    expect("nothing but the outputs in the folder",
           sorted(os.listdir(folder)) == ["badgroup.xml", "broken.xml", "empty.xml", "latin1.bin",
                                          "latin1.gltf", "out.glb", "zero.xml"],
           os.listdir(folder))

    for command in ("info", "export"):
        status, out, err = run(command, "--help")
        expect(f"{command} --help", status == 0 and "MODEL" in out, out + err)

finish("all command-line checks passed")
