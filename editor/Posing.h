#pragma once

#include <OgreVector.h>

#include <vector>

class Animation;
class EditorMode;

// The skeleton's poses: the rest pose the voxels' cells are laid out on, the pose shown, and the
// key frames of the editor's animations. The poses are kept in model space; the model's turn
// (key M) only changes what is shown.
class Posing
{
public:
    explicit Posing(EditorMode& editor) : editor(editor) {}
    Posing(const Posing&) = delete;
    Posing& operator=(const Posing&) = delete;

    void captureRestPose();
    // Whether the base animation holds a rest pose with one position per particle.
    bool hasRestPose();
    // Puts the particles in the given rest pose and every voxel at its cell, both turned as the
    // model is, without touching bindings or offsets.
    void placeAtRest(const std::vector<Ogre::Vector3>& restPose);
    // A shown position taken back to model space (before the model's turn).
    Ogre::Vector3 toModelSpace(const Ogre::Vector3& shown) const;
    void applyPose(const std::vector<Ogre::Vector3>& pose);
    void resetToRestPose();
    void setSkeletonSimulating(bool on);
    Animation* getAnimation(int index);
    void appendBaseAnimationCopy();
    // Stores a key frame of the animation at index, replacing one at exactly that time.
    void setKeyFrame(int animation, float time, const std::vector<Ogre::Vector3>& positions);

private:
    EditorMode& editor; // back pointer
};
