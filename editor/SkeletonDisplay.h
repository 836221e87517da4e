#pragma once

#include <vector>

class EditorMode;
namespace Ogre
{
class ManualObject;
}
namespace Verlet
{
class Particle;
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
    // Draws these particles in the chosen look ("BonePointChosen") from now on, the others in
    // the usual one; an empty list chooses none.
    void setChosen(const std::vector<Verlet::Particle*>& particles);

    // Particles first, then sticks, then the hands' line.
    std::vector<Ogre::ManualObject*> objects;
    // The particles the animate tool's rectangle chose; not owned.
    std::vector<Verlet::Particle*> chosen;

private:
    // The particle's material: the chosen look or the usual one.
    const char* particleMaterial(size_t index) const;

    EditorMode& editor; // back pointer
};
