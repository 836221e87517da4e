#include "editor/Voxel.h"

#include "editor/VoxelBatches.h"

unsigned Voxel::boxCounter = 0;

Voxel::~Voxel()
{
    if (batches && block)
        batches->remove(this);
}

void Voxel::bind(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation, float)
{
    bindOffset = rotation * (getPosition() - origin);
}

void Voxel::update(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation)
{
    setPosition(origin + rotation * bindOffset);
}

void Voxel::build(const Ogre::ColourValue& newColour)
{
    colour = newColour;
    boxNumber = ++boxCounter;
    if (!batches)
        return;
    if (block)
        batches->changed(this, false);
    else
        batches->add(this);
}

void Voxel::setColour(const Ogre::ColourValue& newColour)
{
    // The flags belong to the voxel, so they survive the new box as they always have.
    build(newColour);
}

void Voxel::recolour(const Ogre::ColourValue& newColour)
{
    if (!boxNumber)
    {
        build(newColour);
        return;
    }
    colour = newColour;
    if (batches && block)
        batches->changed(this, false);
}

void Voxel::setGridPosition(int x, int y, int z)
{
    const Cell from = gridPosition;
    gridPosition = Cell{x, y, z};
    position = Ogre::Vector3(float(x), float(y), float(z)) + Ogre::Vector3(1.0f, 1.0f, 1.0f) / 2.0f;
    if (batches && block)
        batches->moved(this, from);
}

void Voxel::setPosition(const Ogre::Vector3& centre)
{
    if (position == centre)
        return;
    position = centre;
    if (batches && block)
        batches->changed(this, true);
}

void Voxel::setQueryFlags(uint32_t flags) { queryFlags = flags; }
