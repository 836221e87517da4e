#pragma once

#include "editor/ViewMode.h"
#include "skeleton/SkeletonEditing.h"

#include <memory>

namespace Ogre
{
class ManualObject;
}

// The view in which the user makes and changes the skeleton (key 3): the voxels at rest, the
// particles and sticks, the chosen particle inside a small cube, the skeleton menu and the
// skeleton tool for the clicks.
class SkeletonViewMode : public ViewMode
{
public:
    SkeletonViewMode() { name = "SkeletonView"; }
    // Lets go of the menu and removes the chosen particle's cube.
    ~SkeletonViewMode() override;

    // Shows the rest pose, installs the skeleton tool and slides the skeleton menu in.
    void activate() override;
    // Moves the cube to the chosen particle (hidden when none); called by the menu every step.
    void showChosen();

    // Made when the view is activated (the editor is known then).
    std::unique_ptr<SkeletonEditing> editing;

private:
    Ogre::ManualObject* marker = nullptr; // owned, through the scene manager
};
