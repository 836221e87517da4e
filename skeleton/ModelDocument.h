#pragma once

#include "skeleton/Animation.h"

#include <OgreColourValue.h>
#include <OgreVector.h>

#include <string>
#include <vector>

class Skeleton;

// What the model file and the animation file hold, as plain values: no engine objects, so the
// editor, the command-line tool and the converters share one reader and one writer.
//
// The reader keeps the editor's rules for hand-edited files: the same defaults for missing
// values, a voxel whose cell is taken dropped (bindings renumbered to the kept voxels, and the
// drop noted in `problems`), a stick naming
// an id that no particle has dropped, ids taken as written.
struct ModelDocument
{
    struct Voxel
    {
        int x = 0, y = 0, z = 0;
        Ogre::ColourValue colour;
    };
    struct Particle
    {
        Ogre::Vector3 position = Ogre::Vector3::ZERO;
        float invMass = 1;
        int id = 0;
        std::string name;
        int bodyAreaHint = 0;
    };
    // Particle ids as written; the first particle with an id is the one meant.
    struct Stick
    {
        int a = 0, b = 0;
    };
    // Voxel indices bound to the stick at constraintIndex (in the list of sticks above).
    struct Group
    {
        int constraintIndex = 0;
        std::vector<int> voxels;
    };

    std::vector<Voxel> voxels;
    std::vector<Particle> particles;
    std::vector<Stick> sticks;
    std::vector<Group> groups; // in file order; of two with one index the later one counts
    std::vector<Animation> animations;
    // What the reader mended, one line each ("2 voxels in cell (x, y, z): the later one
    // dropped"); never written.
    std::vector<std::string> problems;

    // The index in `particles` of the first particle with this id, or -1.
    int findParticle(int id) const;
};

// Reads the model file into the document (voxels, particles, sticks, groups; the animations are
// left alone). A missing or empty file gives an empty document and returns false. Malformed
// content throws: a file that is no XML, or holds a number no model can use, with a message
// naming the file; no "model" or "voxels" element with "model not found" / "voxels not found";
// a group naming a voxel outside the list with std::out_of_range.
bool readModelFile(const std::string& fileName, ModelDocument& document);

// Appends the animations of the animation file. A missing, empty or animation-less file adds
// nothing; a file that is no XML throws with a message naming it. Key frames are taken as
// written, whatever their length.
void readAnimationFile(const std::string& fileName, ModelDocument& document);

// Write the files in the editor's text form. The old file stays whole when writing fails, and
// the answer is then false.
bool writeModelFile(const ModelDocument& document, const std::string& fileName);
bool writeAnimationFile(const ModelDocument& document, const std::string& fileName);

// Fills an empty skeleton with the document's particles and sticks (each stick's rest length is
// the distance between its ends as written).
void buildSkeleton(const ModelDocument& document, Skeleton& skeleton);
