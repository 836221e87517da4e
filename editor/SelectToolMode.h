#pragma once

#include "editor/ToolMode.h"
#include "editor/Voxel.h"

#include <OgreColourValue.h>
#include <OgreQuaternion.h>
#include <OgreVector.h>

#include <string>
#include <vector>

class SelectorRectangle;

// Selects voxels with a screen rectangle, shows them red with three axis bars through their
// centre (X red, Y green, Z blue, each with a knob at both ends), and moves them in whole cells
// along the bar that is dragged; the selection stays selected after a move. Delete removes it,
// the arrow keys nudge it, left Ctrl + C / V copy it and paste it at the cell under the pointer.
class SelectToolMode : public ToolMode
{
public:
    enum State : int
    {
        Idle = 0,
        Drawing = 1,
        Selected = 2,
        Dragging = 3,
    };

    ~SelectToolMode() override;

    void mousePressed(const OIS::MouseButtonID* button) override;
    void mouseHeld(const OIS::MouseButtonID* button) override;
    void mouseReleased(const OIS::MouseButtonID* button) override;
    // Delete removes the selection; the arrow keys move it one cell along the axes nearest to the
    // camera's right (Left, Right) and up (Up, Down).
    bool keyPressed(const KeyEvent& event) override;
    // Keeps the selected voxels' cells and real colours for paste.
    void copy() override;
    // Puts the copied voxels at the cell under the pointer (the cell a sculpt would fill, the
    // copy's lowest corner there), replacing what they land on, and selects them.
    void paste() override;
    // The axis among +-X, +-Y, +-Z (in model cells) nearest to a direction in the world, never
    // the axis `other` lies along when it is given.
    static Voxel::Cell nearestAxis(const Ogre::Vector3& direction,
                                   const Voxel::Cell* other = nullptr);

    // A selected voxel that is about to be destroyed leaves the selection at once.
    void voxelRemoved(Voxel* voxel) override;
    void letGo() override { deselect(); }
    void
    collectRealColours(std::unordered_map<const Voxel*, Ogre::ColourValue>& colours) const override;

    // Gives the selected voxels their colours back (they stay where they were moved), removes
    // the rectangle and the bars and returns to idle.
    void deselect();

    int state = Idle;
    Ogre::Vector3 rectangleMin = Ogre::Vector3::ZERO;
    Ogre::Vector3 rectangleMax = Ogre::Vector3::ZERO;
    std::vector<Voxel*> selection; // not owned
    std::vector<Voxel::Cell> startCells;
    std::vector<Ogre::ColourValue> savedColours;
    Ogre::Vector3 dragAxis = Ogre::Vector3::ZERO;
    Ogre::Vector3 dragStart = Ogre::Vector3::ZERO;
    // One cell along the dragged bar as drawn at the selection's centre, in pixels (y up).
    Ogre::Vector2 dragDirection = Ogre::Vector2::ZERO;
    // Cells the selection stands moved along the bar now.
    int movedCells = 0;
    SelectorRectangle* rectangle = nullptr; // owned
    // What left Ctrl + C took: cells from the copy's lowest corner and real colours. Kept while
    // the editor runs, whichever tool is in use.
    struct Copied
    {
        Voxel::Cell offset;
        Ogre::ColourValue colour;
    };
    static std::vector<Copied> copied;
    // This drag moves the cells left of the mirror plane the mirrored way (mirror editing with a
    // selection on both sides).
    bool mirroredMove = false;

private:
    void startRectangle();
    void finishSelection();
    // Shows these voxels as the selection: red, with the bars through their centre.
    void select(const std::vector<Voxel*>& voxels);
    // After a move: the cells now are where the next move starts, and the bars go to the
    // selection's new centre.
    void keepSelection();
    void removeSelected();
    void nudge(const Voxel::Cell& step);
    void pickBar();
    void moveSelection();
    // Ends a move: a moved voxel replaces an unmoved one in its cell, and of moved voxels in
    // one cell the earliest in the list stays; the bar says how many went.
    void settleMove();
    void createBars();
    void createBar(const std::string& name, const Ogre::Vector3& position,
                   const Ogre::Quaternion& orientation, const Ogre::ColourValue& colour);
    void removeBars();
};
