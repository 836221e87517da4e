#pragma once

#include "editor/EditorMode.h"
#include "menu/MenuPanel.h"
#include "menu/MenuSystem.h"
#include "tests/menu/MenuTestEngine.h"

#include <OIS/OISMouse.h>

#include <string>

// A prepared editor on the headless menu engine, with its menus slid in and at rest, driven the
// way a user drives it: the pointer moves, fixed steps run, buttons go down and up.
class EditorMenuTestEngine
{
public:
    EditorMenuTestEngine()
    {
        editor = new EditorMode(&menus.application);
        // A model file that does not exist: the editor starts a new model and never saves here.
        editor->prepare({"/nonexistent-bramblewick-test-folder/model.xml"});
        settle();
    }

    ~EditorMenuTestEngine()
    {
        editor->deactivate();
        delete editor;
    }

    EditorMenuTestEngine(const EditorMenuTestEngine&) = delete;
    EditorMenuTestEngine& operator=(const EditorMenuTestEngine&) = delete;

    void step(int count = 1)
    {
        for (int i = 0; i < count; ++i)
        {
            editor->update(Application::fixedStep);
        }
    }

    // Runs fixed steps until the side menu is in and at rest (it then takes clicks).
    void settle()
    {
        for (int i = 0; i < 600 && editor->menuSystem->sideState != MenuSystem::Shown; ++i)
        {
            step();
        }
        step(60);
    }

    static Ogre::Vector3 centreOf(const Panel* panel)
    {
        return panel->targetPosition +
               Ogre::Vector3(panel->targetSize.x * 0.5f, panel->targetSize.y * 0.5f, 0.0f);
    }

    void pointAt(const Ogre::Vector3& point)
    {
        menus.setPointer(point.x, point.y);
        step();
    }

    void press() { editor->mousePressed(OIS::MB_Left); }
    void release() { editor->mouseReleased(OIS::MB_Left); }

    // Press and release over `point` with a step between, as a quick click.
    void clickAt(const Ogre::Vector3& point)
    {
        pointAt(point);
        press();
        step();
        release();
    }

    void click(const Panel* panel) { clickAt(centreOf(panel)); }

    static std::string captionOf(const MenuPanel* panel)
    {
        return panel->textElement ? std::string(panel->textElement->getCaption().asUTF8())
                                  : std::string();
    }

    MenuTestEngine menus;
    EditorMode* editor = nullptr; // owned
};
