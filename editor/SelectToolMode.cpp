#include "editor/SelectToolMode.h"

#include "app/Graphics.h"
#include "editor/EditorMode.h"
#include "editor/QueryFlags.h"
#include "editor/SelectorRectangle.h"
#include "editor/UndoHistory.h"
#include "editor/VoxelModel.h"

#include <OgreManualObject.h>
#include <OgreMath.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>

#include <algorithm>
#include <string>

namespace
{

const char* const barNames[] = {"SelectArrowX", "SelectArrowY", "SelectArrowZ"};

// A bar seen nearly end-on would move many cells per pixel: never more than one per this many
// pixels of pointer travel.
const float minimumCellPixels = 8.0f;

std::string countText(size_t count, const char* what)
{
    return std::to_string(count) + (count == 1 ? " voxel " : " voxels ") + what;
}

} // namespace

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
        deselect();
    }
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
    for (Voxel* voxel : editor->getVoxels())
    {
        Ogre::Vector3 p = editor->projectToScreen(voxel->getPosition());
        if (rectangleMin.x < p.x && p.x < rectangleMax.x && rectangleMin.y < p.y &&
            p.y < rectangleMax.y)
        {
            selection.push_back(voxel);
            savedColours.push_back(voxel->getColour());
            startCells.push_back(voxel->getGridPosition());
        }
    }
    if (selection.empty())
    {
        deselect();
        return;
    }

    Ogre::Vector3 sum = Ogre::Vector3::ZERO;
    for (Voxel* voxel : selection)
    {
        voxel->setColour(Ogre::ColourValue(1.0f, 0.0f, 0.0f, 1.0f));
        sum += voxel->getPosition();
    }
    Ogre::Vector3 centroid = sum / static_cast<float>(selection.size());

    createBar("SelectArrowX", centroid,
              Ogre::Quaternion(Ogre::Radian(0.0f * Ogre::Math::fDeg2Rad), Ogre::Vector3::UNIT_Y));
    createBar("SelectArrowY", centroid,
              Ogre::Quaternion(Ogre::Radian(90.0f * Ogre::Math::fDeg2Rad), Ogre::Vector3::UNIT_Z));
    createBar("SelectArrowZ", centroid,
              Ogre::Quaternion(Ogre::Radian(90.0f * Ogre::Math::fDeg2Rad), Ogre::Vector3::UNIT_Y));

    delete rectangle;
    rectangle = nullptr;
    state = Selected;
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
    Ogre::Vector3 centre = Ogre::Vector3::ZERO;
    for (Voxel* voxel : selection)
    {
        centre += voxel->getPosition();
    }
    centre /= float(selection.size());
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
                               const Ogre::Quaternion& orientation)
{
    Ogre::SceneManager* sceneManager = editor->getGraphics()->sceneManager;
    Ogre::ManualObject* bar = sceneManager->createManualObject(name);
    bar->begin("Arrow", Ogre::RenderOperation::OT_TRIANGLE_LIST,
               Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    bar->setQueryFlags(QUERY_ARROW);
    const Ogre::Vector3 corners[] = {
        Ogre::Vector3(-10.0f, -0.5f, 0.0f), Ogre::Vector3(10.0f, -0.5f, 0.0f),
        Ogre::Vector3(-10.0f, 0.5f, 0.0f), Ogre::Vector3(10.0f, 0.5f, 0.0f)};
    for (const Ogre::Vector3& corner : corners)
    {
        bar->position(corner);
        bar->colour(Ogre::ColourValue(1.0f, 1.0f, 1.0f, 1.0f));
    }
    bar->triangle(0, 1, 2);
    bar->triangle(3, 2, 1);
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
