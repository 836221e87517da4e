#pragma once

#include "editor/ToolMode.h"
#include "tests/editor/EditorTestFixture.h"

#include <OIS/OISMouse.h>
#include <OgreCamera.h>

// The prepared headless editor with helpers to aim the pointer and use a tool the way a user
// would. The start-up scene holds the grey voxel at (0, 0, 0) and the ground grid.
class ToolTestWorld : public EditorTestFixture
{
public:
    // Installs the tool and returns it typed.
    template <typename Tool> Tool* install(Tool* tool)
    {
        editor->setToolMode(tool);
        return tool;
    }

    // Puts the pointer at a normalised screen position (x, y from -1 to 1, y up).
    void aimAtScreen(float x, float y)
    {
        input->mouseX = (x + 1.0f) * 0.5f * float(engine.graphics.getWindowWidth());
        input->mouseY = (1.0f - y) * 0.5f * float(engine.graphics.getWindowHeight());
    }

    // Puts the pointer over a world point.
    void aimAt(const Ogre::Vector3& point)
    {
        Ogre::Vector3 screen = editor->projectToScreen(point);
        aimAtScreen(screen.x, screen.y);
    }

    // Moves the camera to eye, looking at target, with the pointer in the middle of the view.
    void lookFrom(const Ogre::Vector3& eye, const Ogre::Vector3& target)
    {
        engine.camera->setPosition(eye);
        engine.camera->lookAt(target);
        aimAtScreen(0.0f, 0.0f);
    }

    // Buttons go to the tool directly: no menu is in the way.
    void pressButton(OIS::MouseButtonID button = OIS::MB_Left)
    {
        editor->toolMode->mousePressed(&button);
    }
    void releaseButton(OIS::MouseButtonID button = OIS::MB_Left)
    {
        editor->toolMode->mouseReleased(&button);
    }
    // Fixed steps of a held button; the tool always hears button 0.
    void hold(int steps = 1)
    {
        const OIS::MouseButtonID held = OIS::MB_Left;
        for (int i = 0; i < steps; ++i)
        {
            editor->toolMode->mouseHeld(&held);
        }
    }

    // The list index of the voxel at a cell, or -1.
    int voxelAt(int x, int y, int z)
    {
        for (size_t i = 0; i < editor->voxels.size(); ++i)
        {
            if (editor->voxels[i]->getGridPosition() == Voxel::Cell{x, y, z})
            {
                return int(i);
            }
        }
        return -1;
    }
};
