#pragma once

#include <OgreVector.h>

#include <cstddef>
#include <map>
#include <string>
#include <vector>

class EditorMode;

// The skeleton as data: its particles in the rest pose (model space), its sticks and every key
// frame. The skeleton view edits a copy and writes it back; undo keeps one before and one after
// each such change (a skeleton is small: tens of particles).
struct SkeletonShape
{
    struct Particle
    {
        Ogre::Vector3 position = Ogre::Vector3::ZERO; // rest pose, model space
        int id = 0;
        std::string name;
        int bodyAreaHint = 0;
        float invMass = 1.0f;
    };
    struct Stick
    {
        int a = 0, b = 0; // particle indices
        float restLength = 0.0f;
    };
    using Frames = std::map<float, std::vector<Ogre::Vector3>>;

    std::vector<Particle> particles;
    std::vector<Stick> sticks;
    Frames restFrames;                   // the base animation's frames
    std::vector<Frames> animationFrames; // per animation, in list order

    static SkeletonShape capture(EditorMode& editor);
    // Rebuilds the skeleton and the key frames from this shape and shows the particles at rest.
    // Bindings are left as they are: the caller binds again (an edit) or restores them (undo).
    void restore(EditorMode& editor) const;
    size_t bytes() const;
    // The stick joining particles a and b either way round, or -1.
    int findStick(int a, int b) const;
};
