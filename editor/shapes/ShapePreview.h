#pragma once

#include "editor/Voxel.h"

#include <OgreColourValue.h>

#include <vector>

class EditorMode;
namespace Ogre
{
class ManualObject;
}

// The outlines of the cells a box or line drag will change, drawn over the model while the
// button is held. Never picked.
class ShapePreview
{
public:
    explicit ShapePreview(EditorMode& editor) : editor(editor) {}
    ~ShapePreview();
    ShapePreview(const ShapePreview&) = delete;
    ShapePreview& operator=(const ShapePreview&) = delete;

    // Outlines these cells (in model space, turned with the model) in the colour; an empty list
    // hides the preview.
    void show(const std::vector<Voxel::Cell>& cells, const Ogre::ColourValue& colour);
    // The cells outlined now.
    const std::vector<Voxel::Cell>& cells() const { return shown; }

private:
    void destroy();

    EditorMode& editor;                   // back pointer
    Ogre::ManualObject* object = nullptr; // the scene manager's; destroyed through it
    std::vector<Voxel::Cell> shown;
};
