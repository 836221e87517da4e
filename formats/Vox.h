#pragma once

#include <OgreColourValue.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// MagicaVoxel's .vox files, read into and written from this editor's cells and colours.
//
// Axes. A .vox file is Z up and right-handed, and its author looks at the model's front along
// +Y (x to the right, y away from the viewer, z up). The editor is Y up and right-handed, and
// its start camera stands at +Z looking along -Z (x to the right). So the .vox axes become
//     x -> x,   z -> y (up),   y -> -z (away from the camera),
// a proper rotation (no mirror), and a model that faces its .vox viewer faces the start camera.
// Cells are unit boxes at their lower corner, so the .vox cell (x, y, z) becomes the cell
// (x, z, -y - 1): the box from y to y + 1 along .vox Y covers -y - 1 to -y along the editor's Z.
//
// Placement. A model of a file with a scene graph sits where its transforms put it: a cell's
// centre is taken relative to the lattice point floor(size / 2) of its model, turned and moved
// by every nTRN on the way from the root, and lands in the cell around that centre. Without a
// scene graph a model keeps its own cells (from the origin up); but when a "PACK" chunk counts
// the models of such a file, they are the frames of an animation, and only the first is read.
class Vox
{
public:
    struct Voxel
    {
        int x = 0;
        int y = 0;
        int z = 0;
        Ogre::ColourValue colour = Ogre::ColourValue::White;
    };

    // What a write kept and what it had to give up, for the user to hear about.
    struct WriteReport
    {
        int models = 0;        // several when the voxels span more than 256 cells on an axis
        int colours = 0;       // distinct colours among the voxels (8 bits a channel)
        int changedVoxels = 0; // voxels whose colour the 255-entry palette could not hold
        int largestChange = 0; // the largest change of one channel of one voxel, out of 255
    };

    // What a read left out, for the user to hear about.
    struct ReadReport
    {
        int framesLeftOut = 0; // animation frames after the first, in a file with "PACK"
    };

    // A colour as 8 bits a channel, 0xAABBGGRR, as a .vox file takes it; distinct colours are
    // counted so, here and by the command-line tool.
    static uint32_t bytesOf(const Ogre::ColourValue& colour);

    // The colours of a file without an "RGBA" chunk, as 0xAABBGGRR, by colour index.
    static const uint32_t defaultPalette[256];

    // Reads a .vox file. Throws std::runtime_error naming the file and what is wrong with it.
    // Every voxel walked counts towards a cap, each time its model is placed, so that a small
    // file placing a large model many times over is refused at once.
    static std::vector<Voxel> read(const std::string& fileName, ReadReport* report = nullptr);
    // The same from bytes in memory; the name only goes into messages.
    static std::vector<Voxel> parse(const uint8_t* data, size_t size, const std::string& fileName,
                                    ReadReport* report = nullptr);

    // The bytes of a .vox file holding these voxels. A cell taken twice keeps its first voxel.
    static std::vector<uint8_t> encode(const std::vector<Voxel>& voxels,
                                       WriteReport* report = nullptr);
    // Writes beside the target and renames over it, so that a failure leaves any old file whole.
    // Throws std::runtime_error naming the file when it cannot be written.
    static WriteReport write(const std::vector<Voxel>& voxels, const std::string& fileName);
};
