#pragma once

#include "app/Application.h"
#include "app/Input.h"
#include "editor/EditorMode.h"
#include "tests/HeadlessEngine.h"

#include <OIS/OISKeyboard.h>
#include <OgreLog.h>
#include <OgreLogManager.h>
#include <OgreMaterialManager.h>

#include <set>
#include <string>
#include <vector>

// Input whose keys and pointer the test sets by hand.
class FakeInput : public Input
{
public:
    bool isKeyDown(int keyCode) override { return held.count(keyCode) != 0; }
    bool isModifierDown(int modifier) override
    {
        if (modifier == 0)
            return isKeyDown(OIS::KC_LCONTROL) || isKeyDown(OIS::KC_RCONTROL);
        if (modifier == 1)
            return isKeyDown(OIS::KC_LSHIFT) || isKeyDown(OIS::KC_RSHIFT);
        return false;
    }

    std::set<int> held;
};

// Collects the lines written to the engine log while it lives.
class LogCapture : public Ogre::LogListener
{
public:
    LogCapture() { Ogre::LogManager::getSingleton().getDefaultLog()->addListener(this); }
    ~LogCapture() override
    {
        if (Ogre::LogManager::getSingletonPtr())
            Ogre::LogManager::getSingleton().getDefaultLog()->removeListener(this);
    }
    void messageLogged(const Ogre::String& message, Ogre::LogMessageLevel, bool,
                       const Ogre::String&, bool&) override
    {
        lines.push_back(message);
    }
    bool contains(const std::string& line) const
    {
        for (const std::string& logged : lines)
            if (logged == line)
                return true;
        return false;
    }

    std::vector<std::string> lines;
};

// A prepared editor on a headless engine, without menus (they need fonts and a window), with a
// model file name that does not exist, so it starts with the grey start voxel.
class EditorTestFixture
{
public:
    EditorTestFixture()
    {
        // The editor's own materials, so that sections keep their names (missing ones fall
        // back to "BaseWhite").
        for (const char* name : {"Box", "BonePoint", "Bones", "HandToHand"})
            Ogre::MaterialManager::getSingleton().create(
                name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
        application.graphics = &engine.graphics;
        input = new FakeInput();
        application.input = input;
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

    KeyEvent key(OIS::KeyCode code) const
    {
        KeyEvent event;
        event.key = code;
        return event;
    }
    void press(OIS::KeyCode code) { editor->keyPressed(key(code)); }
    void release(OIS::KeyCode code) { editor->keyReleased(key(code)); }

    // Removes every voxel, the start voxel included.
    void clearVoxels()
    {
        std::vector<int> all;
        for (size_t i = 0; i < editor->voxels.size(); ++i)
            all.push_back(int(i));
        editor->removeVoxels(all);
    }

    std::string boxName(int index) const { return editor->voxels[index]->box->getName(); }

    HeadlessEngine engine;
    Application application;
    FakeInput* input = nullptr;   // owned
    EditorMode* editor = nullptr; // owned
};
