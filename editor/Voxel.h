#pragma once

#include "skeleton/Skeleton.h"

#include <OgreColourValue.h>
#include <OgreVector.h>

class Graphics;
namespace Ogre
{
class ManualObject;
class SceneNode;
class SceneManager;
}

// One unit cube of the model, drawn as a flat-shaded box with a white outline.
class Voxel : public Skeleton::Element
{
public:
    struct Cell
    {
        int x = 0;
        int y = 0;
        int z = 0;
        bool operator==(const Cell& other) const
        {
            return x == other.x && y == other.y && z == other.z;
        }
    };

    const Ogre::Vector3& getPosition() override;
    void bind(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation,
              float halfLength) override;
    void update(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation) override;
    ~Voxel() override;

    // Creates a new box in this colour and attaches it to the node; only while box is null.
    void build(const Ogre::ColourValue& colour);
    // Rebuilds the box in the new colour, keeping its query flags.
    void setColour(const Ogre::ColourValue& colour);
    // Recolours the box in place (same box, no new number): for undo and redo of many voxels.
    void recolour(const Ogre::ColourValue& colour);
    void setGridPosition(int x, int y, int z);

    const Ogre::ColourValue& getColour() const { return colour; }
    const Cell& getGridPosition() const { return gridPosition; }
    Ogre::ManualObject* getBox() const { return box; }

    // The program-wide box counter; the first box is "box1".
    static unsigned boxCounter;

    Graphics* graphics = nullptr;
    Ogre::SceneNode* node = nullptr;  // owned
    Ogre::ManualObject* box = nullptr; // owned
    Ogre::ColourValue colour = Ogre::ColourValue(1, 1, 1, 1);
    Cell gridPosition;
    Ogre::Vector3 bindOffset = Ogre::Vector3::ZERO;

private:
    // The twelve faces in the voxel's colour, ending the section.
    void emitFaces(Ogre::ManualObject* object) const;
};
