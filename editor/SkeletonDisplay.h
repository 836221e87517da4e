#pragma once

#include <vector>

class EditorMode;
namespace Ogre
{
class ManualObject;
}

// The skeleton as the editor draws it: a point per particle ("BonePoint", pickable as a
// particle), a line per stick ("Bones") and the line through both hands ("HandToHand").
class SkeletonDisplay
{
public:
    explicit SkeletonDisplay(EditorMode& editor) : editor(editor) {}

    // Builds the objects for the skeleton's particles and sticks where they are now.
    void create();
    void destroy();

    // Particles first, then sticks, then the hands' line.
    std::vector<Ogre::ManualObject*> objects;

private:
    EditorMode& editor; // back pointer
};
