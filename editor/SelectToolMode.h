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
// centre, and moves them in whole cells along the bar that is dragged.
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
    // This drag moves the cells left of the mirror plane the mirrored way (mirror editing with a
    // selection on both sides).
    bool mirroredMove = false;

private:
    void startRectangle();
    void finishSelection();
    void pickBar();
    void moveSelection();
    // Ends a move: a moved voxel replaces an unmoved one in its cell, and of moved voxels in
    // one cell the earliest in the list stays; the bar says how many went.
    void settleMove();
    void createBar(const std::string& name, const Ogre::Vector3& position,
                   const Ogre::Quaternion& orientation);
    void removeBars();
};
