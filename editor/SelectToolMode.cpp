#include "editor/SelectToolMode.h"

#include "app/Graphics.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/SelectorRectangle.h"
#include "editor/UndoHistory.h"
#include "editor/VoxelModel.h"

#include <OIS/OISKeyboard.h>
#include <OgreCamera.h>
#include <OgreManualObject.h>
#include <OgreMath.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace
{

const char* const barNames[] = {"SelectArrowX", "SelectArrowY", "SelectArrowZ"};

// A bar seen nearly end-on would move many cells per pixel: never more than one per this many
// pixels of pointer travel.
const float minimumCellPixels = 8.0f;

// Half the side of the knobs at the bars' ends: boxes that can be grabbed from every side, also
// where the bar itself is seen edge-on (the Z bar in the start view).
const float knobSize = 1.0f;

std::string voxelsText(size_t count)
{
    return std::to_string(count) + (count == 1 ? " voxel" : " voxels");
}

std::string countText(size_t count, const char* what) { return voxelsText(count) + " " + what; }

Ogre::Vector3 centreOf(const std::vector<Voxel*>& voxels)
{
    Ogre::Vector3 sum = Ogre::Vector3::ZERO;
    for (Voxel* voxel : voxels)
    {
        sum += voxel->getPosition();
    }
    return sum / static_cast<float>(voxels.size());
}

} // namespace

std::vector<SelectToolMode::Copied> SelectToolMode::copied;

SelectToolMode::~SelectToolMode() { deselect(); }

void SelectToolMode::mousePressed(const OIS::MouseButtonID*)
{
    if (state == Idle)
    {
        startRectangle();
    }
    else if (state == Selected)
    {
        pickBar();
    }
}

void SelectToolMode::mouseHeld(const OIS::MouseButtonID*)
{
    if (state == Drawing)
    {
        Ogre::Vector3 pointer = editor->getPointerScreenPosition();
        rectangle->update(pointer);
    }
    else if (state == Dragging)
    {
        moveSelection();
    }
}

void SelectToolMode::mouseReleased(const OIS::MouseButtonID*)
{
    if (state == Drawing)
    {
        finishSelection();
    }
    else if (state == Dragging)
    {
        state = Selected;
        settleMove();
        keepSelection();
    }
}

bool SelectToolMode::keyPressed(const KeyEvent& event)
{
    // Not while a rectangle or a drag is under way: the press owns the selection then.
    if (state != Selected || editor->mouseButtonDown)
    {
        return false;
    }
    Ogre::Camera* camera = editor->getGraphics()->camera;
    const Ogre::Quaternion toModel = editor->modelOrientation.Inverse();
    const Voxel::Cell right = nearestAxis(toModel * camera->getDerivedRight());
    const Voxel::Cell up = nearestAxis(toModel * camera->getDerivedUp(), &right);
    switch (event.key)
    {
    case OIS::KC_DELETE:
        removeSelected();
        return true;
    case OIS::KC_RIGHT:
        nudge(right);
        return true;
    case OIS::KC_LEFT:
        nudge({-right.x, -right.y, -right.z});
        return true;
    case OIS::KC_UP:
        nudge(up);
        return true;
    case OIS::KC_DOWN:
        nudge({-up.x, -up.y, -up.z});
        return true;
    default:
        return false;
    }
}

Voxel::Cell SelectToolMode::nearestAxis(const Ogre::Vector3& direction, const Voxel::Cell* other)
{
    int best = -1;
    for (int axis = 0; axis < 3; ++axis)
    {
        const bool taken = other && (axis == 0 ? other->x : axis == 1 ? other->y : other->z) != 0;
        if (!taken && (best < 0 || std::fabs(direction[axis]) > std::fabs(direction[best])))
        {
            best = axis;
        }
    }
    const int sign = direction[best] < 0.0f ? -1 : 1;
    return {best == 0 ? sign : 0, best == 1 ? sign : 0, best == 2 ? sign : 0};
}

void SelectToolMode::removeSelected()
{
    std::vector<int> indices;
    for (Voxel* voxel : selection)
    {
        indices.push_back(editor->findVoxel(voxel));
    }
    // The history keeps their real colours, not the red they are shown in.
    editor->removeVoxels(indices);
    deselect();
}

void SelectToolMode::nudge(const Voxel::Cell& step)
{
    for (Voxel* voxel : selection)
    {
        const Voxel::Cell& cell = voxel->gridPosition;
        editor->moveVoxel(voxel, cell.x + step.x, cell.y + step.y, cell.z + step.z);
    }
    settleMove();
    keepSelection();
}

void SelectToolMode::copy()
{
    if (selection.empty())
    {
        return;
    }
    Voxel::Cell low = selection.front()->gridPosition;
    for (Voxel* voxel : selection)
    {
        low.x = std::min(low.x, voxel->gridPosition.x);
        low.y = std::min(low.y, voxel->gridPosition.y);
        low.z = std::min(low.z, voxel->gridPosition.z);
    }
    copied.clear();
    for (size_t i = 0; i < selection.size(); ++i)
    {
        const Voxel::Cell& cell = selection[i]->gridPosition;
        copied.push_back({{cell.x - low.x, cell.y - low.y, cell.z - low.z}, savedColours[i]});
    }
    editor->showNote("Copied " + voxelsText(copied.size()));
}

void SelectToolMode::paste()
{
    Voxel::Cell at;
    if (copied.empty() || editor->mouseButtonDown || !editor->cellAtPointer(at))
    {
        return;
    }
    deselect();
    std::vector<int> landedOn;
    for (const Copied& entry : copied)
    {
        const int index = editor->model.voxelAtCell(
            {at.x + entry.offset.x, at.y + entry.offset.y, at.z + entry.offset.z});
        if (index >= 0)
        {
            landedOn.push_back(index);
        }
    }
    editor->removeVoxels(landedOn);
    std::vector<Voxel*> pasted;
    for (const Copied& entry : copied)
    {
        const Voxel::Cell cell{at.x + entry.offset.x, at.y + entry.offset.y, at.z + entry.offset.z};
        const int index = editor->model.add(cell, entry.colour, QUERY_VOXEL);
        if (index >= 0)
        {
            pasted.push_back(editor->getVoxels()[size_t(index)]);
        }
    }
    if (pasted.empty())
    {
        return;
    }
    select(pasted);
    std::string text = "Pasted " + voxelsText(pasted.size());
    if (!landedOn.empty())
    {
        text += ", " + countText(landedOn.size(), "replaced");
    }
    editor->showNote(text);
}

void SelectToolMode::voxelRemoved(Voxel* voxel)
{
    for (size_t i = 0; i < selection.size(); ++i)
    {
        if (selection[i] == voxel)
        {
            selection.erase(selection.begin() + i);
            startCells.erase(startCells.begin() + i);
            savedColours.erase(savedColours.begin() + i);
            break;
        }
    }
    // Nothing left to show bars for (all of it removed by key O, say).
    if (selection.empty() && state == Selected)
    {
        deselect();
    }
}

void SelectToolMode::collectRealColours(
    std::unordered_map<const Voxel*, Ogre::ColourValue>& colours) const
{
    for (size_t i = 0; i < selection.size() && i < savedColours.size(); ++i)
    {
        colours[selection[i]] = savedColours[i];
    }
}

void SelectToolMode::startRectangle()
{
    selection.clear();
    Ogre::Vector3 pointer = editor->getPointerScreenPosition();
    rectangleMin = Ogre::Vector3(pointer.x, pointer.y, 0.0f);
    delete rectangle;
    rectangle = new SelectorRectangle(editor, rectangleMin);
    state = Drawing;
}

void SelectToolMode::finishSelection()
{
    Ogre::Vector3 pointer = editor->getPointerScreenPosition();
    rectangleMax = Ogre::Vector3(pointer.x, pointer.y, 0.0f);
    if (rectangleMin.x > rectangleMax.x)
    {
        std::swap(rectangleMin.x, rectangleMax.x);
    }
    if (rectangleMin.y > rectangleMax.y)
    {
        std::swap(rectangleMin.y, rectangleMax.y);
    }

    // Depth is ignored on purpose: voxels hidden behind others are caught as well.
    std::vector<Voxel*> caught;
    for (Voxel* voxel : editor->getVoxels())
    {
        Ogre::Vector3 p = editor->projectToScreen(voxel->getPosition());
        if (rectangleMin.x < p.x && p.x < rectangleMax.x && rectangleMin.y < p.y &&
            p.y < rectangleMax.y)
        {
            caught.push_back(voxel);
        }
    }
    if (caught.empty())
    {
        deselect();
        return;
    }
    select(caught);
}

void SelectToolMode::select(const std::vector<Voxel*>& voxels)
{
    selection = voxels;
    for (Voxel* voxel : selection)
    {
        savedColours.push_back(voxel->getColour());
        startCells.push_back(voxel->getGridPosition());
        voxel->setColour(Ogre::ColourValue(1.0f, 0.0f, 0.0f, 1.0f));
    }
    createBars();
    delete rectangle;
    rectangle = nullptr;
    state = Selected;
}

void SelectToolMode::keepSelection()
{
    if (selection.empty())
    {
        deselect();
        return;
    }
    for (size_t i = 0; i < selection.size(); ++i)
    {
        startCells[i] = selection[i]->gridPosition;
    }
    removeBars();
    createBars();
}

void SelectToolMode::createBars()
{
    const Ogre::Vector3 centroid = centreOf(selection);
    createBar("SelectArrowX", centroid,
              Ogre::Quaternion(Ogre::Radian(0.0f * Ogre::Math::fDeg2Rad), Ogre::Vector3::UNIT_Y),
              Ogre::ColourValue(0.95f, 0.2f, 0.2f, 1.0f));
    createBar("SelectArrowY", centroid,
              Ogre::Quaternion(Ogre::Radian(90.0f * Ogre::Math::fDeg2Rad), Ogre::Vector3::UNIT_Z),
              Ogre::ColourValue(0.2f, 0.85f, 0.2f, 1.0f));
    createBar("SelectArrowZ", centroid,
              Ogre::Quaternion(Ogre::Radian(90.0f * Ogre::Math::fDeg2Rad), Ogre::Vector3::UNIT_Y),
              Ogre::ColourValue(0.25f, 0.45f, 1.0f, 1.0f));
}

void SelectToolMode::pickBar()
{
    Ogre::MovableObject* hitObject = nullptr;
    float hitDistance = -1.0f;
    editor->pick(editor->getPointerRay(), QUERY_ARROW, hitObject, hitDistance);
    if (!hitObject)
    {
        // A press beside the bars only ends the selection; it does not start a rectangle.
        deselect();
        return;
    }
    const std::string& name = hitObject->getName();
    if (name == "SelectArrowX")
    {
        dragAxis = Ogre::Vector3(1.0f, 0.0f, 0.0f);
    }
    else if (name == "SelectArrowY")
    {
        // The Y bar stands on its side (90 degrees about Z), so its strip runs along -Y.
        dragAxis = Ogre::Vector3(0.0f, -1.0f, 0.0f);
    }
    else
    {
        dragAxis = Ogre::Vector3(0.0f, 0.0f, 1.0f);
    }
    dragStart = editor->getPointerScreenPosition();
    // The bar's direction on screen, one cell long, at the selection's centre as drawn.
    const Ogre::Vector3 centre = centreOf(selection);
    const Ogre::Vector3 from = editor->projectToScreen(centre);
    const Ogre::Vector3 to = editor->projectToScreen(centre + editor->modelOrientation * dragAxis);
    Graphics* graphics = editor->getGraphics();
    const float halfWidth = 0.5f * float(graphics->getWindowWidth());
    const float halfHeight = 0.5f * float(graphics->getWindowHeight());
    dragDirection = Ogre::Vector2((to.x - from.x) * halfWidth, (to.y - from.y) * halfHeight);
    movedCells = 0;
    // With mirror editing, a selection on both sides of the mirror plane moves mirrored: the
    // cells left of it (x < 0) go the other way along X.
    bool left = false, right = false;
    for (const Voxel::Cell& cell : startCells)
    {
        (cell.x < 0 ? left : right) = true;
    }
    mirroredMove = editor->mirror.isOn() && left && right;
    state = Dragging;
}

void SelectToolMode::moveSelection()
{
    // The pointer's travel along the bar, in cells as drawn (at most one per 8 pixels).
    const Ogre::Vector3 delta = editor->getPointerScreenPosition() - dragStart;
    Graphics* graphics = editor->getGraphics();
    const Ogre::Vector2 travel(delta.x * 0.5f * float(graphics->getWindowWidth()),
                               delta.y * 0.5f * float(graphics->getWindowHeight()));
    const float cellPixels = dragDirection.length();
    const float along = cellPixels > 0.0f ? travel.dotProduct(dragDirection) / cellPixels : 0.0f;
    const int cells = static_cast<int>(along / std::max(cellPixels, minimumCellPixels));
    if (cells == movedCells)
    {
        return; // nothing moves: nothing is filed again
    }
    movedCells = cells;
    if (mirroredMove)
    {
        editor->history->markMirrored();
    }
    // Always measured from the cells at selection time, so moving back undoes the move.
    for (size_t i = 0; i < selection.size(); ++i)
    {
        const Voxel::Cell& start = startCells[i];
        const int side = mirroredMove && start.x < 0 ? -1 : 1;
        const Voxel::Cell cell{start.x + side * int(dragAxis.x) * cells,
                               start.y + int(dragAxis.y) * cells,
                               start.z + int(dragAxis.z) * cells};
        if (!(selection[i]->gridPosition == cell))
        {
            editor->moveVoxel(selection[i], cell.x, cell.y, cell.z);
        }
    }
}

void SelectToolMode::settleMove()
{
    const VoxelModel::Settled settled = editor->model.settle(std::vector<Voxel*>(selection));
    std::string text;
    if (settled.replaced)
    {
        text = countText(settled.replaced, "replaced");
    }
    if (settled.dropped)
    {
        text += (text.empty() ? "" : ", ") + countText(settled.dropped, "dropped");
    }
    if (!text.empty())
    {
        editor->showNote(text);
    }
}

void SelectToolMode::deselect()
{
    if (state == Dragging)
    {
        state = Selected;
        settleMove();
    }
    for (size_t i = 0; i < selection.size(); ++i)
    {
        selection[i]->setColour(savedColours[i]);
    }
    state = Idle;
    delete rectangle;
    rectangle = nullptr;
    removeBars();
    selection.clear();
    startCells.clear();
    savedColours.clear();
}

void SelectToolMode::createBar(const std::string& name, const Ogre::Vector3& position,
                               const Ogre::Quaternion& orientation, const Ogre::ColourValue& colour)
{
    Ogre::SceneManager* sceneManager = editor->getGraphics()->sceneManager;
    Ogre::ManualObject* bar = sceneManager->createManualObject(name);
    bar->begin("Arrow", Ogre::RenderOperation::OT_TRIANGLE_LIST,
               Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    bar->setQueryFlags(QUERY_ARROW);
    // The flat strip, 20 units long and 1 wide along the node's X, and the same strip turned a
    // quarter about X, so that the bar shows from every side but along its length.
    const Ogre::Vector3 corners[] = {
        Ogre::Vector3(-10.0f, -0.5f, 0.0f), Ogre::Vector3(10.0f, -0.5f, 0.0f),
        Ogre::Vector3(-10.0f, 0.5f, 0.0f),  Ogre::Vector3(10.0f, 0.5f, 0.0f),
        Ogre::Vector3(-10.0f, 0.0f, -0.5f), Ogre::Vector3(10.0f, 0.0f, -0.5f),
        Ogre::Vector3(-10.0f, 0.0f, 0.5f),  Ogre::Vector3(10.0f, 0.0f, 0.5f)};
    for (const Ogre::Vector3& corner : corners)
    {
        bar->position(corner);
        bar->colour(colour);
    }
    bar->triangle(0, 1, 2);
    bar->triangle(3, 2, 1);
    bar->triangle(4, 5, 6);
    bar->triangle(7, 6, 5);
    // A knob at each end: a cube, grabbable and seen from every side, also along the bar.
    static const int cubeFaces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                                        {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const float end : {-10.0f, 10.0f})
    {
        const Ogre::uint32 first = Ogre::uint32(8 + (end > 0.0f ? 8 : 0));
        for (int corner = 0; corner < 8; ++corner)
        {
            bar->position(end + ((corner & 1) ? knobSize : -knobSize),
                          (corner & 2) ? knobSize : -knobSize, (corner & 4) ? knobSize : -knobSize);
            bar->colour(colour);
        }
        for (const auto& face : cubeFaces)
        {
            bar->quad(first + Ogre::uint32(face[0]), first + Ogre::uint32(face[1]),
                      first + Ogre::uint32(face[2]), first + Ogre::uint32(face[3]));
        }
    }
    bar->end();

    Ogre::SceneNode* node = sceneManager->getRootSceneNode()->createChildSceneNode();
    node->attachObject(bar);
    node->setPosition(position);
    node->setOrientation(orientation);
}

void SelectToolMode::removeBars()
{
    Ogre::SceneManager* sceneManager = editor->getGraphics()->sceneManager;
    for (const char* name : barNames)
    {
        if (!sceneManager->hasManualObject(name))
        {
            continue;
        }
        Ogre::ManualObject* bar = sceneManager->getManualObject(name);
        Ogre::SceneNode* node = bar->getParentSceneNode();
        if (node)
        {
            node->detachAllObjects();
            sceneManager->destroySceneNode(node);
        }
        sceneManager->destroyManualObject(bar);
    }
}
