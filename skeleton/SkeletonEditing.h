#pragma once

#include "skeleton/SkeletonShape.h"

#include <OgreRay.h>
#include <OgreVector.h>

#include <string>
#include <vector>

class EditorMode;

// What the skeleton view does to the skeleton, without the screen: where a click puts a
// particle, adding, moving and removing particles and sticks (with their mirror twins while
// mirror editing is on), the particle's name, body area and pin, the biped template and
// clearing. Positions are in model space (the rest pose as the model file stores it).
//
// Every change rebuilds the skeleton from an edited SkeletonShape, records the shapes before
// and after for undo, keeps every key frame one position per particle, and binds the voxels
// again to their nearest sticks. The caller wraps it in one undo step (EditorMode::asStep or a
// mouse gesture).
class SkeletonEditing
{
public:
    // The body frame reads the particles at these indices once a skeleton has 13 or more.
    static const std::vector<int> FRAME_PARTICLES;
    static const char* const BODY_AREAS[5]; // "trunk", "head", "arms", "legs", "tail"

    explicit SkeletonEditing(EditorMode& editor) : editor(editor) {}

    // Where a click along `ray` (shown space) puts a particle, in model space: halfway through
    // the first run of voxels the ray passes through; beside the model, on the plane through the
    // model's centre that faces along `viewDirection`.
    Ogre::Vector3 placeUnder(const Ogre::Ray& ray, const Ogre::Vector3& viewDirection) const;

    // Each returns what it made or changed, and leaves `chosen` on the particle acted on.
    int addParticle(const Ogre::Vector3& position);
    void moveParticle(int index, const Ogre::Vector3& position);
    void removeParticle(int index);
    // False (and nothing changes) for a particle with itself or a pair already joined.
    bool addStick(int a, int b);
    void removeStick(int index);
    void rename(int index, const std::string& name);
    void setBodyArea(int index, int area);
    void setPinned(int index, bool pinned);
    // Replaces the skeleton with the sample's 18-particle biped fitted to the voxels' bounds.
    void applyBipedTemplate();
    void clear();

    // The names of the particles the body frame reads where they differ from the template's
    // ("frame reads 1 neck, 2 rightshoulder, ..."), or "" when they are the template's or the
    // skeleton has fewer than 13 particles.
    std::string frameNote() const;
    // The particle's mirror twin by name ("left..." and "right..."), or the index itself.
    int twinOf(int index) const;
    // Particles of the skeleton now; a chosen index beyond it is dropped.
    int particleCount() const;

    int chosen = -1;

private:
    // Writes the shape back as one recorded change, keeps `chosen` in range and binds again.
    void apply(SkeletonShape& shape);
    // Appends a particle at `position` (every consistent key frame gets the place the nearest
    // stick of `before` carries it to) and returns its index.
    static int append(SkeletonShape& shape, const SkeletonShape& before,
                      const Ogre::Vector3& position, const std::string& name, int bodyAreaHint);
    static void erase(SkeletonShape& shape, int index);
    static void addStickTo(SkeletonShape& shape, int a, int b);
    bool mirroring() const;

    EditorMode& editor; // back pointer
};
