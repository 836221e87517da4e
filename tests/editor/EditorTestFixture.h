#pragma once

#include "app/Application.h"
#include "app/Input.h"
#include "editor/EditorMode.h"
#include "editor/ToolMode.h"
#include "tests/HeadlessEngine.h"
#include "tests/LogCapture.h"

#include <OIS/OISKeyboard.h>
#include <OIS/OISMouse.h>
#include <OgreCamera.h>
#include <OgreMaterialManager.h>
#include <OgreSceneManager.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

// The sample character, and the small figure and other models the format tests share.
inline const std::filesystem::path EXAMPLES =
    std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "examples";
inline const std::filesystem::path TEST_MODELS =
    std::filesystem::path(__FILE__).parent_path() / ".." / "formats";

inline std::string readFile(const std::string& name)
{
    std::stringstream text;
    text << std::ifstream(name, std::ios::binary).rdbuf();
    return text.str();
}

// Input whose keys and pointer the test sets by hand.
class FakeInput : public Input
{
public:
    bool isKeyDown(int keyCode) override { return held.count(keyCode) != 0; }
    bool isModifierDown(int modifier) override
    {
        if (modifier == 0)
            return isKeyDown(OIS::KC_LCONTROL) || isKeyDown(OIS::KC_RCONTROL);
        return modifier == 1 && (isKeyDown(OIS::KC_LSHIFT) || isKeyDown(OIS::KC_RSHIFT));
    }

    std::set<int> held;
};

// A prepared editor on a headless engine, without menus (they need fonts and a window), started
// with a model file that does not exist: the grey start voxel at (0, 0, 0) and the ground grid.
// The helpers aim the pointer and hand buttons straight to the tool, as no menu is in the way.
class EditorTestFixture
{
public:
    EditorTestFixture()
    {
        // The editor's own materials, so that sections keep their names.
        for (const char* name : {"Box", "BonePoint", "BonePointChosen", "Bones", "HandToHand",
                                 "MirrorPlane", "OnionSkinPrevious", "OnionSkinNext",
                                 "OnionSkinPreviousVoxels", "OnionSkinNextVoxels", "ShapePreview"})
            Ogre::MaterialManager::getSingleton().create(
                name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
        application.graphics = &engine.graphics;
        application.input = input = new FakeInput();
        editor = new EditorMode(&application);
        editor->createMenus = false;
        editor->prepare({"/nonexistent-folder/bramblewick-test-model.xml"});
    }
    ~EditorTestFixture()
    {
        editor->deactivate();
        delete editor;
        application.input = nullptr;
        delete input;
        application.graphics = nullptr;
    }

    // A fresh editor started on these files, as the next start of the program would be.
    void reopen(const Ogre::StringVector& files)
    {
        editor->deactivate();
        delete editor;
        engine.sceneManager->clearScene();
        editor = new EditorMode(&application);
        editor->createMenus = false;
        editor->prepare(files);
    }
    void loadSample()
    {
        editor->loadModel((EXAMPLES / "bramblewick.xml").string(),
                          (EXAMPLES / "bramblewick_animations.xml").string());
    }
    // The keyboard knows the key is down (or up) before the editor hears of it, as OIS does.
    void press(OIS::KeyCode code)
    {
        input->held.insert(code);
        editor->keyPressed(KeyEvent{code});
    }
    void release(OIS::KeyCode code)
    {
        input->held.erase(code);
        editor->keyReleased(KeyEvent{code});
    }
    bool shown(const char* name) { return engine.sceneManager->hasManualObject(name); }

    void clearVoxels()
    {
        while (!editor->voxels.empty())
            editor->removeVoxel(int(editor->voxels.size()) - 1);
    }
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
    void aimAt(const Ogre::Vector3& point)
    {
        const Ogre::Vector3 screen = editor->projectToScreen(point);
        aimAtScreen(screen.x, screen.y);
    }
    // The pointer goes to the middle of the view.
    void lookFrom(const Ogre::Vector3& eye, const Ogre::Vector3& target)
    {
        engine.camera->setPosition(eye);
        engine.camera->lookAt(target);
        aimAtScreen(0.0f, 0.0f);
    }

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
        for (const OIS::MouseButtonID held = OIS::MB_Left; steps-- > 0;)
            editor->toolMode->mouseHeld(&held);
    }
    void dragRectangle(float x0, float y0, float x1, float y1)
    {
        aimAtScreen(x0, y0);
        pressButton();
        aimAtScreen(x1, y1);
        hold();
        releaseButton();
    }

    // The list index of the voxel at a cell, or -1.
    int voxelAt(int x, int y, int z)
    {
        auto at = [&](Voxel* voxel) { return voxel->getGridPosition() == Voxel::Cell{x, y, z}; };
        auto found = std::find_if(editor->voxels.begin(), editor->voxels.end(), at);
        return found == editor->voxels.end() ? -1 : int(found - editor->voxels.begin());
    }

    HeadlessEngine engine;
    Application application;
    FakeInput* input = nullptr;   // owned
    EditorMode* editor = nullptr; // owned
};
