#pragma once

#include "editor/Voxel.h"

class EditorMode;
namespace Ogre
{
class ManualObject;
}

// Mirror editing (key X; an addition of this editor): while it is on, sculpt, paint and
// selection moves act on the mirror cells too, in the plane x = 0 of model space, and a line on
// the grid shows the plane, turned with the model.
class MirrorEditing
{
public:
    explicit MirrorEditing(EditorMode& editor) : editor(editor) {}
    ~MirrorEditing();
    MirrorEditing(const MirrorEditing&) = delete;
    MirrorEditing& operator=(const MirrorEditing&) = delete;

    // The cell's mirror: (x, y, z) -> (-1 - x, y, z).
    static Voxel::Cell mirroredCell(const Voxel::Cell& cell)
    {
        return Voxel::Cell{-1 - cell.x, cell.y, cell.z};
    }

    bool isOn() const { return on; }
    // Switches mirror editing, the plane's line on the grid and "Mirror X" in the bar.
    void set(bool on);
    // While mirror editing is on, the index of the voxel in the mirror cell of the voxel at
    // index; otherwise, or when that cell is empty, -1.
    int twin(int index) const;
    // Turns the plane's line with the model (key M, undo); called every frame.
    void update();
    // Removes the line from the scene: the editor's teardown.
    void destroyLine();

private:
    void createLine();

    EditorMode& editor; // back pointer
    bool on = false;
    Ogre::ManualObject* line = nullptr;
};
