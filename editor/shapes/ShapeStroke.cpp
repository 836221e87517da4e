#include "editor/shapes/ShapeStroke.h"

#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/UndoHistory.h"

#include <OgreMovableObject.h>

#include <algorithm>
#include <cmath>

namespace
{

const Ogre::ColourValue SCULPT_GREY(0.5f, 0.5f, 0.5f, 1.0f);

int coordinate(const Voxel::Cell& cell, int axis)
{
    return axis == 0 ? cell.x : axis == 1 ? cell.y : cell.z;
}

} // namespace

ShapeStroke::ShapeStroke(EditorMode& editor, ShapeCells::Shape shape, Action action,
                         const Ogre::ColourValue& colour)
    : editor(editor), shape(shape), action(action), colour(colour), preview(editor)
{
}

ShapeStroke::Target ShapeStroke::pointerTarget()
{
    Target target;
    const Ogre::Ray ray = editor.getPointerRay();
    float distance = -1.0f;
    const int index = editor.pickVoxel(ray, QUERY_VOXEL, distance);
    if (index >= 0)
    {
        Voxel* voxel = editor.voxels[size_t(index)];
        const Ogre::Vector3 hit = ray.getPoint(distance);
        target.found = true;
        target.cell = voxel->getGridPosition();
        // Sides are the model's: the model may be turned on screen (key M).
        target.side = ShapeCells::sideAt(editor.toModelSpace(hit - voxel->getPosition()));
        return target;
    }
    Ogre::MovableObject* object = nullptr;
    editor.pick(ray, QUERY_GRID, object, distance);
    if (!object)
        return target;
    const Ogre::Vector3 hit = editor.toModelSpace(ray.getPoint(distance));
    target.found = true;
    target.ground = true;
    target.cell = {int(std::floor(hit.x)), -1, int(std::floor(hit.z))};
    target.side = ShapeCells::Side{1, 1};
    return target;
}

bool ShapeStroke::press()
{
    const Target target = pointerTarget();
    if (!target.found || (target.ground && action != Action::Add))
        return false;
    side = target.side;
    start = action == Action::Add ? ShapeCells::across(target.cell, side) : target.cell;
    end = start;
    started = true;
    if (shape == ShapeCells::Shape::Face || shape == ShapeCells::Shape::Fill)
        apply(cells());
    else
        preview.show(cells(), action == Action::Remove ? Ogre::ColourValue(1.0f, 0.3f, 0.2f)
                                                       : Ogre::ColourValue(0.3f, 1.0f, 0.9f));
    return true;
}

void ShapeStroke::hold()
{
    if (!started || (shape != ShapeCells::Shape::Box && shape != ShapeCells::Shape::Line))
        return;
    followPointer();
    preview.show(cells(), action == Action::Remove ? Ogre::ColourValue(1.0f, 0.3f, 0.2f)
                                                   : Ogre::ColourValue(0.3f, 1.0f, 0.9f));
}

void ShapeStroke::release()
{
    if (!started || (shape != ShapeCells::Shape::Box && shape != ShapeCells::Shape::Line))
        return;
    followPointer();
    preview.show({}, Ogre::ColourValue::White);
    apply(cells());
    started = false;
}

void ShapeStroke::followPointer()
{
    const Target target = pointerTarget();
    // A face turned the same way as the start's carries the shape along it, onto another
    // layer when that face stands higher or lower: so a box grows along the normal. Anything
    // else is read on the start's own layer.
    if (target.found && target.side == side && (!target.ground || action == Action::Add))
    {
        end = action == Action::Add ? ShapeCells::across(target.cell, side) : target.cell;
        return;
    }
    Voxel::Cell onLayer;
    if (layerCellUnderPointer(onLayer))
        end = onLayer;
}

bool ShapeStroke::layerCellUnderPointer(Voxel::Cell& cell)
{
    const Ogre::Ray ray = editor.getPointerRay();
    const Ogre::Vector3 origin = editor.toModelSpace(ray.getOrigin());
    const Ogre::Vector3 direction = editor.toModelSpace(ray.getDirection());
    const size_t axis = size_t(side.axis);
    // The plane of the start's face: the far side of the layer for a new cell, its near
    // side for a voxel's own.
    const int layer = coordinate(start, side.axis);
    const float plane = float(action == Action::Add ? (side.sign > 0 ? layer : layer + 1)
                                                    : (side.sign > 0 ? layer + 1 : layer));
    if (std::fabs(direction[axis]) < 1e-6f)
        return false;
    const float t = (plane - origin[axis]) / direction[axis];
    if (!(t > 0.0f) || !std::isfinite(t))
        return false;
    const Ogre::Vector3 point = origin + direction * t;
    float values[3];
    for (size_t i = 0; i < 3; ++i)
    {
        // Far points are held within reach; the shape keeps within MAX_EXTENT anyway.
        const float reach = float(coordinate(start, int(i))) + 2.0f * ShapeCells::MAX_EXTENT;
        const float low = float(coordinate(start, int(i))) - 2.0f * ShapeCells::MAX_EXTENT;
        values[i] = std::floor(std::clamp(point[i], low, reach));
    }
    cell = {int(values[0]), int(values[1]), int(values[2])};
    if (side.axis == 0)
        cell.x = layer;
    else if (side.axis == 1)
        cell.y = layer;
    else
        cell.z = layer;
    return true;
}

std::vector<Voxel::Cell> ShapeStroke::cells() const
{
    if (!started)
        return {};
    VoxelModel& model = editor.model;
    const ShapeCells::Lookup lookup = [&model](const Voxel::Cell& cell, Ogre::ColourValue& found)
    {
        const int index = model.voxelAtCell(cell);
        if (index < 0)
            return false;
        found = model.voxelColour(model.getVoxels()[size_t(index)]);
        return true;
    };
    switch (shape)
    {
    case ShapeCells::Shape::Box:
        return ShapeCells::box(start, end);
    case ShapeCells::Shape::Line:
        return ShapeCells::line(start, end);
    case ShapeCells::Shape::Face:
    {
        // An added face stands on the clicked one: its cells are those across it.
        const Voxel::Cell on = action == Action::Add ? ShapeCells::across(start, {side.axis,
                                                                                  -side.sign})
                                                     : start;
        std::vector<Voxel::Cell> found = ShapeCells::face(on, side, lookup);
        if (action == Action::Add)
            for (Voxel::Cell& cell : found)
                cell = ShapeCells::across(cell, side);
        return found;
    }
    case ShapeCells::Shape::Fill:
        return ShapeCells::fill(start, lookup);
    case ShapeCells::Shape::Voxel:
        break;
    }
    return {start};
}

void ShapeStroke::apply(const std::vector<Voxel::Cell>& target)
{
    const bool mirrored = editor.mirror.isOn();
    std::vector<Voxel::Cell> all = target;
    if (mirrored)
        for (const Voxel::Cell& cell : target)
            all.push_back(MirrorEditing::mirroredCell(cell));
    VoxelModel& model = editor.model;
    switch (action)
    {
    case Action::Add:
        // The model's add leaves a taken cell as it is.
        for (const Voxel::Cell& cell : all)
            model.add(cell, SCULPT_GREY, QUERY_NEW_VOXEL);
        break;
    case Action::Remove:
    {
        std::vector<int> going;
        for (const Voxel::Cell& cell : all)
        {
            const int index = model.voxelAtCell(cell);
            if (index >= 0)
                going.push_back(index);
        }
        model.removeSet(going);
        break;
    }
    case Action::Paint:
    {
        std::vector<int> painting;
        for (const Voxel::Cell& cell : all)
        {
            const int index = model.voxelAtCell(cell);
            if (index >= 0 && !(model.voxelColour(model.getVoxels()[size_t(index)]) == colour))
                painting.push_back(index);
        }
        for (int index : painting)
            model.paint(index, colour);
        break;
    }
    }
    if (mirrored && !target.empty())
        editor.history->markMirrored();
}
