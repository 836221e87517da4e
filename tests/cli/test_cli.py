"""Runs build/bramblewick as a pipeline would: without a display, on good and bad files."""
import os
import subprocess
import sys
import tempfile

tool, source = sys.argv[1], sys.argv[2]
examples = os.path.join(source, "examples")
figure = os.path.join(source, "tests", "formats")
failures = []


def run(*arguments):
    environment = dict(os.environ)
    environment.pop("DISPLAY", None)  # it must never need one
    done = subprocess.run([tool, *arguments], capture_output=True, text=True, env=environment,
                          timeout=60)
    return done.returncode, done.stdout, done.stderr


def expect(what, condition, detail=""):
    if not condition:
        failures.append(f"{what}: {detail}")


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
    status, out, err = run("info", zero)
    expect("a zero-length stick", status == 1 and "stick 0 (particles 1 and 2) has zero length"
           in out and "2 voxels in cell (0, 0, 0): the later one dropped" in out, out + err)
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
    expect("the earlier export is untouched", open(output).read() == "earlier export")

    status, out, err = run("export", *sample, "-o", output)
    expect("export of the sample", status == 0 and open(output, "rb").read(4) == b"glTF",
           out + err)
    expect("nothing but the output in the folder",
           sorted(os.listdir(folder)) == ["badgroup.xml", "broken.xml", "out.glb", "zero.xml"],
           os.listdir(folder))

    for command in ("info", "export"):
        status, out, err = run(command, "--help")
        expect(f"{command} --help", status == 0 and "MODEL" in out, out + err)

if failures:
    print("\n".join(failures))
    sys.exit(1)
print("all command-line checks passed")
