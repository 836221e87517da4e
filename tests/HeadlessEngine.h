#pragma once

#include "app/Graphics.h"

#include <Ogre.h>
#include <OgreDefaultHardwareBufferManager.h>
#include <OgreOverlayManager.h>
#include <OgreOverlaySystem.h>

// An engine root without a render system or window: scene nodes, manual objects, ray picks,
// overlay elements and hand-made fonts all work on it. One per test; `graphics` is filled with
// a scene manager and a camera (no window, no viewport) and made Graphics::instance.
class HeadlessEngine
{
public:
    HeadlessEngine()
    {
        if (!Ogre::LogManager::getSingletonPtr())
        {
            logManager = new Ogre::LogManager();
            logManager->createLog("test.log", true, false, true);
        }
        root = new Ogre::Root("", "", "");
        buffers = new Ogre::DefaultHardwareBufferManager();
        Ogre::MaterialManager::getSingleton().initialise();
        overlaySystem = new Ogre::OverlaySystem();
        sceneManager = root->createSceneManager("DefaultSceneManager", "SceneManager");
        camera = sceneManager->createCamera("Camera");
        camera->setNearClipDistance(1.0f);
        camera->setAspectRatio(1920.0f / 1080.0f);
        graphics.root = nullptr; // not owned by the Graphics object in tests
        graphics.sceneManager = sceneManager;
        graphics.camera = camera;
        graphics.overlaySystem = overlaySystem;
        graphics.overlayManager = Ogre::OverlayManager::getSingletonPtr();
        previousInstance = Graphics::instance;
        Graphics::instance = &graphics;
    }

    ~HeadlessEngine()
    {
        Graphics::instance = previousInstance;
        graphics.sceneManager = nullptr;
        graphics.camera = nullptr;
        graphics.overlays.clear();
        // The camera's frustum holds vertex data that must go before the buffer manager does.
        root->destroySceneManager(sceneManager);
        sceneManager = nullptr;
        camera = nullptr;
        delete overlaySystem;
        delete buffers;
        delete root;
        delete logManager;
    }

    HeadlessEngine(const HeadlessEngine&) = delete;
    HeadlessEngine& operator=(const HeadlessEngine&) = delete;

    Ogre::LogManager* logManager = nullptr;
    Ogre::Root* root = nullptr;
    Ogre::DefaultHardwareBufferManager* buffers = nullptr;
    Ogre::OverlaySystem* overlaySystem = nullptr;
    Ogre::SceneManager* sceneManager = nullptr;
    Ogre::Camera* camera = nullptr;
    Graphics graphics;
    Graphics* previousInstance = nullptr;
};
