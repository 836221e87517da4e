#pragma once

#include "skeleton/Skeleton.h"

#include <OgreColourValue.h>
#include <OgreVector.h>

#include <cstdint>
#include <string>

class VoxelBatches;
struct VoxelBlock;

// One unit cube of the model: a flat-shaded box with a white outline. The voxel keeps its
// data (colour, cell, shown centre, query flags, binding); the drawing layer (VoxelBatches)
// draws it together with its neighbours and finds it under a ray.
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

    // The voxel draws in the given layer from its first build on; without one it is data only.
    explicit Voxel(VoxelBatches* batches = nullptr) : batches(batches) {}
    ~Voxel() override;

    const Ogre::Vector3& getPosition() override { return position; }
    void bind(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation,
              float halfLength) override;
    void update(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation) override;

    // Gives the voxel its colour and a new box number; it is drawn from now on.
    void build(const Ogre::ColourValue& colour);
    // A new colour and a new box number (a rebuilt box), keeping the query flags.
    void setColour(const Ogre::ColourValue& colour);
    // A new colour under the same box number: for undo and redo of many voxels.
    void recolour(const Ogre::ColourValue& colour);
    // The cell, and the shown centre at the cell's centre.
    void setGridPosition(int x, int y, int z);
    // Shows the voxel centred here (a pose, a turned model) without changing its cell.
    void setPosition(const Ogre::Vector3& centre);
    void setQueryFlags(uint32_t flags);

    const Ogre::ColourValue& getColour() const { return colour; }
    const Cell& getGridPosition() const { return gridPosition; }
    uint32_t getQueryFlags() const { return queryFlags; }
    // "box" and the box number; picks that tie go to the name that sorts first.
    std::string getName() const { return "box" + std::to_string(boxNumber); }
    unsigned getBoxNumber() const { return boxNumber; }

    // The program-wide box counter; the first box is "box1".
    static unsigned boxCounter;

    Ogre::ColourValue colour = Ogre::ColourValue(1, 1, 1, 1);
    Cell gridPosition;
    Ogre::Vector3 bindOffset = Ogre::Vector3::ZERO;

private:
    friend class VoxelBatches;

    VoxelBatches* batches = nullptr; // not owned
    Ogre::Vector3 position = Ogre::Vector3(0.5f, 0.5f, 0.5f);
    uint32_t queryFlags = 0xFFFFFFFF; // the engine's default for a new object
    unsigned boxNumber = 0;           // 0 until the first build
    // Where the drawing layer keeps the voxel.
    VoxelBlock* block = nullptr;
    int slot = -1;
};
