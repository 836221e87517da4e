#pragma once

#include "app/Application.h"
#include "app/ApplicationMode.h"
#include "app/Input.h"
#include "app/Log.h"
#include "common/OgreTextAreaOverlayElement2.h"
#include "editor/EditorMode.h"
#include "menu/MenuPanel.h"
#include "menu/MenuSystem.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/HeadlessEngine.h"

#include <OgreFontManager.h>
#include <OgreMaterialManager.h>
#include <OgreOverlayManager.h>
#include <OgreTextureManager.h>

#include <OIS/OISMouse.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

// A headless engine with the "TextArea2" type, two overlays, the menu materials and fonts, a mode
// with its particles and an application whose pointer the test moves. Layout is in the window
// size the Graphics object falls back to without a viewport (1920 x 1080 unless changed).
class MenuTestEngine
{
public:
    MenuTestEngine() : mode(&application)
    {
        // Without a render system nobody makes the texture manager that materials need.
        if (!Ogre::TextureManager::getSingletonPtr())
            textureManager.reset(new Ogre::DefaultTextureManager());
        Ogre::OverlayManager* overlays = engine.graphics.overlayManager;
        if (!overlays->getOverlayElementFactoryMap().count("TextArea2"))
            overlays->addOverlayElementFactory(new Ogre::TextAreaOverlayElement2Factory());
        engine.graphics.overlays = {overlays->create("OverlayHUD"),
                                    overlays->create("OverlayMenu")};
        engine.graphics.application = &application;

        for (const char* name :
             {"MenuSystemControlBackground", "MenuSystemControlFocusBackground",
              "MenuSystemControlSelectedBackground", "MenuSystemControlSlider",
              "MenuSystemTopPanel", "MenuSystemBottomPanel", "MenuSystemColorPickSliderBase",
              "MenuSystemColorPickSlider", "MenuSystemColorPickSliderFocus",
              "MenuSystemColorPickSliderSelected", "MenuSystemColorPickDisplay", "Plain",
              "MenuSystemKeyMark", "MenuSystemKeyMarkCurrent"})
        {
            Ogre::Pass* pass = Ogre::MaterialManager::getSingleton()
                                   .create(name, Ogre::RGN_DEFAULT)
                                   ->getTechnique(0)
                                   ->getPass(0);
            pass->createTextureUnitState();
            pass->createTextureUnitState();
        }
        for (std::string family : {"BasicFontOutline", "InputFontOutline", "BasicFont"})
            for (const char* size : {"100", "050", "025"})
                Ogre::FontManager::getSingleton().create("Latin1" + family + size,
                                                         Ogre::RGN_DEFAULT);
        Ogre::FontManager::getSingleton().create("Latin1Handwriting", Ogre::RGN_DEFAULT);

        savedAdjustments = fontAdjustments;
        fontAdjustments = {{"BasicFontOutline", {0.045f, Ogre::Vector3(0.0f, -1.5f, 0.0f)}},
                           {"BasicFont", {0.0f, Ogre::Vector3::ZERO}}};
        application.input = new Input();
        mode.prepare(Ogre::StringVector());
    }

    ~MenuTestEngine()
    {
        fontAdjustments = savedAdjustments;
        mode.deactivate();
        Ogre::FontManager::getSingleton().removeAll();
        Ogre::MaterialManager::getSingleton().removeAll();
        textureManager.reset();
        engine.graphics.application = nullptr;
    }

    void setWindowSize(unsigned width, unsigned height)
    {
        std::tie(engine.graphics.fallbackWidth, engine.graphics.fallbackHeight) = {width, height};
    }
    void setPointer(float x, float y)
    {
        std::tie(application.input->mouseX, application.input->mouseY) = {x, y};
    }

    // One fixed step of the mode's particles, as the editor runs it before the menus.
    void stepParticles() { mode.particleSystem->update(Application::fixedStep); }

    HeadlessEngine engine;
    Application application;
    ApplicationMode mode;
    std::map<std::string, FontAdjustment> savedAdjustments;
    std::unique_ptr<Ogre::TextureManager> textureManager; // only when made here
};

// A prepared editor on the headless menu engine, driven the way a user drives it: the pointer
// moves, fixed steps run, buttons go down and up. Unless told otherwise its menus have slid in
// and come to rest (they then take clicks).
class EditorMenuTestEngine
{
public:
    explicit EditorMenuTestEngine(bool settled = true)
    {
        editor.reset(new EditorMode(&menus.application));
        // A model file that does not exist: the editor starts a new model and never saves here.
        editor->prepare({"/nonexistent-bramblewick-test-folder/model.xml"});
        if (settled)
            settle();
    }

    ~EditorMenuTestEngine() { editor->deactivate(); }

    void step(int count = 1)
    {
        for (int i = 0; i < count; ++i)
            editor->update(Application::fixedStep);
    }

    // Runs fixed steps until the side menu is in, then lets it come to rest; answers the first.
    int settle()
    {
        int steps = 0;
        for (; steps < 600 && editor->menuSystem->sideState != MenuSystem::Shown; ++steps)
            step();
        step(60);
        return steps;
    }

    static Ogre::Vector3 pointIn(const Panel* panel, float share = 0.5f)
    {
        return panel->targetPosition +
               Ogre::Vector3(panel->targetSize.x * share, panel->targetSize.y * 0.5f, 0.0f);
    }

    void pointAt(const Ogre::Vector3& point)
    {
        menus.setPointer(point.x, point.y);
        step();
    }

    void press() { editor->mousePressed(OIS::MB_Left); }
    void release() { editor->mouseReleased(OIS::MB_Left); }

    void clickAt(const Ogre::Vector3& point)
    {
        pointAt(point);
        press();
        step();
        release();
    }

    void click(const Panel* panel) { clickAt(pointIn(panel)); }

    static std::string captionOf(const MenuPanel* panel)
    {
        return panel->textElement->getCaption().asUTF8();
    }

    MenuTestEngine menus;
    std::unique_ptr<EditorMode> editor;
};
