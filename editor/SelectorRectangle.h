#pragma once

#include <OgreVector.h>

class EditorMode;
namespace Ogre
{
class ManualObject;
class SceneNode;
} // namespace Ogre

// The outline of a selection rectangle, drawn in normalised screen coordinates from the corner
// where the drag began.
class SelectorRectangle
{
public:
    SelectorRectangle(EditorMode* editor, const Ogre::Vector3& anchor);
    virtual ~SelectorRectangle();

    SelectorRectangle(const SelectorRectangle&) = delete;
    SelectorRectangle& operator=(const SelectorRectangle&) = delete;

    // Redraws the outline from the anchor to `point` (normalised screen coordinates).
    void update(const Ogre::Vector3& point);

    EditorMode* editor = nullptr;      // back pointer
    Ogre::ManualObject* box = nullptr; // owned
    Ogre::SceneNode* node = nullptr;   // owned
    Ogre::Vector3 anchor = Ogre::Vector3::ZERO;
};
