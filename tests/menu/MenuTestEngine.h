#pragma once

#include "app/Application.h"
#include "app/ApplicationMode.h"
#include "app/Input.h"
#include "app/Log.h"
#include "common/OgreTextAreaOverlayElement2.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/HeadlessEngine.h"

#include <OgreFontManager.h>
#include <OgreMaterialManager.h>
#include <OgreOverlayManager.h>
#include <OgreTextureManager.h>

#include <map>
#include <string>

// A headless engine dressed for menu tests: the "TextArea2" element type, the two overlays, the
// menu materials and the sized fonts exist; a mode with its menu particle system and an
// application whose pointer the test moves. Overlays have no viewport here, so all layout is
// checked in the window size the Graphics object falls back to (1920 x 1080 unless changed).
class MenuTestEngine
{
public:
    MenuTestEngine() : mode(&application)
    {
        // Without a render system nobody makes a texture manager; materials that name
        // textures need one.
        if (!Ogre::TextureManager::getSingletonPtr())
        {
            textureManager = new Ogre::DefaultTextureManager();
        }
        Ogre::OverlayManager* overlays = engine.graphics.overlayManager;
        if (!overlays->getOverlayElementFactoryMap().count("TextArea2"))
        {
            overlays->addOverlayElementFactory(new Ogre::TextAreaOverlayElement2Factory());
        }
        engine.graphics.overlays.push_back(overlays->create("OverlayHUD"));
        engine.graphics.overlays.push_back(overlays->create("OverlayMenu"));
        engine.graphics.application = &application;

        for (const char* name :
             {"MenuSystemControlBackground", "MenuSystemControlFocusBackground",
              "MenuSystemControlSelectedBackground", "MenuSystemControlSlider",
              "MenuSystemTopPanel", "MenuSystemBottomPanel", "MenuSystemColorPickSliderBase",
              "MenuSystemColorPickSlider", "MenuSystemColorPickSliderFocus",
              "MenuSystemColorPickSliderSelected", "MenuSystemColorPickDisplay", "Plain"})
        {
            Ogre::MaterialPtr material = Ogre::MaterialManager::getSingleton().create(
                name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
            material->getTechnique(0)->getPass(0)->createTextureUnitState();
            material->getTechnique(0)->getPass(0)->createTextureUnitState();
        }
        for (const char* family : {"BasicFontOutline", "InputFontOutline", "BasicFont"})
        {
            for (const char* size : {"100", "050", "025"})
            {
                addFont(std::string("Latin1") + family + size);
            }
        }
        addFont("Latin1Handwriting");

        savedAdjustments = fontAdjustments;
        fontAdjustments.clear();
        fontAdjustments["BasicFontOutline"] =
            FontAdjustment{0.045f, Ogre::Vector3(0.0f, -1.5f, 0.0f)};
        fontAdjustments["BasicFont"] = FontAdjustment{0.0f, Ogre::Vector3::ZERO};

        application.input = new Input();
        mode.prepare(Ogre::StringVector());
    }

    ~MenuTestEngine()
    {
        fontAdjustments = savedAdjustments;
        mode.deactivate();
        Ogre::FontManager::getSingleton().removeAll();
        Ogre::MaterialManager::getSingleton().removeAll();
        delete textureManager;
        engine.graphics.application = nullptr;
    }

    static void addFont(const std::string& name)
    {
        Ogre::FontManager::getSingleton().create(
            name, Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    }

    void setWindowSize(unsigned width, unsigned height)
    {
        engine.graphics.fallbackWidth = width;
        engine.graphics.fallbackHeight = height;
    }

    void setPointer(float x, float y)
    {
        application.input->mouseX = x;
        application.input->mouseY = y;
    }

    // One fixed step as the editor runs it: the mode's particles first, then the menus.
    void stepParticles() { mode.particleSystem->update(Application::fixedStep); }

    HeadlessEngine engine;
    Application application;
    ApplicationMode mode;
    std::map<std::string, FontAdjustment> savedAdjustments;
    Ogre::TextureManager* textureManager = nullptr; // owned when made here
};
