#include "editor/Voxel.h"

#include "app/Graphics.h"

#include <OgreManualObject.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <string>

unsigned Voxel::boxCounter = 0;

namespace
{

// Corner of the unit cube by the signs of x, y, z.
Ogre::Vector3 corner(int sx, int sy, int sz)
{
    return Ogre::Vector3(0.5f * sx, 0.5f * sy, 0.5f * sz);
}

struct Triangle
{
    Ogre::Vector3 a, b, c;
};

// Twelve triangles, two per face, wound counter-clockwise seen from outside.
const Triangle boxTriangles[12] = {
    {corner(-1, -1, -1), corner(-1, +1, -1), corner(+1, -1, -1)}, // -Z
    {corner(+1, -1, -1), corner(-1, +1, -1), corner(+1, +1, -1)}, // -Z
    {corner(+1, -1, -1), corner(+1, +1, -1), corner(+1, -1, +1)}, // +X
    {corner(+1, -1, +1), corner(+1, +1, -1), corner(+1, +1, +1)}, // +X
    {corner(+1, -1, +1), corner(+1, +1, +1), corner(-1, -1, +1)}, // +Z
    {corner(-1, -1, +1), corner(+1, +1, +1), corner(-1, +1, +1)}, // +Z
    {corner(-1, -1, +1), corner(-1, +1, +1), corner(-1, -1, -1)}, // -X
    {corner(-1, -1, -1), corner(-1, +1, +1), corner(-1, +1, -1)}, // -X
    {corner(-1, +1, -1), corner(-1, +1, +1), corner(+1, +1, -1)}, // +Y
    {corner(-1, +1, +1), corner(+1, +1, +1), corner(+1, +1, -1)}, // +Y
    {corner(-1, -1, -1), corner(+1, -1, -1), corner(-1, -1, +1)}, // -Y
    {corner(-1, -1, +1), corner(+1, -1, -1), corner(+1, -1, +1)}, // -Y
};

// The twelve edges of the outline, two end points each.
const Ogre::Vector3 outlinePoints[24] = {
    corner(-1, -1, -1), corner(+1, -1, -1), corner(-1, -1, -1), corner(-1, +1, -1),
    corner(-1, +1, -1), corner(+1, +1, -1), corner(+1, -1, -1), corner(+1, +1, -1),
    corner(+1, -1, +1), corner(-1, -1, +1), corner(+1, -1, +1), corner(+1, +1, +1),
    corner(+1, +1, +1), corner(-1, +1, +1), corner(-1, -1, +1), corner(-1, +1, +1),
    corner(+1, -1, -1), corner(+1, -1, +1), corner(+1, +1, -1), corner(+1, +1, +1),
    corner(-1, -1, -1), corner(-1, -1, +1), corner(-1, +1, -1), corner(-1, +1, +1),
};

} // namespace

const Ogre::Vector3& Voxel::getPosition() { return node->getPosition(); }

void Voxel::bind(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation, float)
{
    bindOffset = rotation * (getPosition() - origin);
}

void Voxel::update(const Ogre::Vector3& origin, const Ogre::Quaternion& rotation)
{
    node->setPosition(origin + rotation * bindOffset);
}

Voxel::~Voxel()
{
    Ogre::SceneManager* sceneManager = graphics ? graphics->sceneManager : nullptr;
    if (!sceneManager)
        return;
    if (node)
        sceneManager->destroySceneNode(node);
    if (box)
        sceneManager->destroyManualObject(box);
    node = nullptr;
    box = nullptr;
}

void Voxel::build(const Ogre::ColourValue& newColour)
{
    colour = newColour;
    ++boxCounter;
    Ogre::ManualObject* object =
        graphics->sceneManager->createManualObject("box" + std::to_string(boxCounter));
    object->setDynamic(false);

    const std::string& group = Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME;
    object->begin("Box", Ogre::RenderOperation::OT_TRIANGLE_LIST, group);
    emitFaces(object);

    object->begin("BaseWhiteNoLighting", Ogre::RenderOperation::OT_LINE_LIST, group);
    for (const Ogre::Vector3& point : outlinePoints)
        object->position(point);
    object->end();

    box = object;
    if (node)
        node->attachObject(box);
}

void Voxel::emitFaces(Ogre::ManualObject* object) const
{
    for (const Triangle& triangle : boxTriangles)
    {
        Ogre::Vector3 normal =
            (triangle.b - triangle.a).crossProduct(triangle.c - triangle.a).normalisedCopy();
        for (const Ogre::Vector3& point : {triangle.a, triangle.b, triangle.c})
        {
            object->position(point);
            object->normal(normal);
            object->colour(colour);
        }
    }
    for (Ogre::uint32 i = 0; i < 36; i += 3)
        object->triangle(i, i + 1, i + 2);
    object->end();
}

void Voxel::recolour(const Ogre::ColourValue& newColour)
{
    if (!box)
    {
        build(newColour);
        return;
    }
    colour = newColour;
    box->beginUpdate(0);
    emitFaces(box);
}

void Voxel::setColour(const Ogre::ColourValue& newColour)
{
    if (!box)
    {
        build(newColour);
        return;
    }
    Ogre::uint32 flags = box->getQueryFlags();
    if (node)
        node->detachObject(box);
    graphics->sceneManager->destroyManualObject(box);
    box = nullptr;
    build(newColour);
    box->setQueryFlags(flags);
}

void Voxel::setGridPosition(int x, int y, int z)
{
    gridPosition = Cell{x, y, z};
    node->setPosition(Ogre::Vector3(float(x), float(y), float(z)) +
                      Ogre::Vector3(1.0f, 1.0f, 1.0f) / 2.0f);
}
