#pragma once

#include <OgreRay.h>

#include <string>
#include <vector>

class Application;
namespace Ogre
{
class Camera;
class MovableObject;
class Overlay;
class OverlayManager;
class OverlaySystem;
class RenderWindow;
class Root;
class SceneManager;
class Viewport;
}

// Brings the engine up and holds the objects everything else draws with.
class Graphics
{
public:
    virtual ~Graphics();

    // Full set-up; false only when the user cancels the configuration dialog. Throws
    // std::runtime_error with the engine's text when the render system does not start.
    bool initialise(Application* application, const std::string& windowTitle);
    // The native window handle (the X window id here).
    unsigned long getWindowHandle();
    // Bounds-checked access to `overlays`; throws std::out_of_range past the end.
    Ogre::Overlay* getOverlay(unsigned index);
    // The nearest manual object whose query flags hold every bit of `queryMask` that the ray hits.
    void pickManualObject(const Ogre::Ray& ray, unsigned queryMask, Ogre::MovableObject*& hitObject,
                          float& hitDistance);
    // The same pick over any scene manager (used by the editor and by tests without a window).
    static void pickManualObject(Ogre::SceneManager* sceneManager, const Ogre::Ray& ray,
                                 unsigned queryMask, Ogre::MovableObject*& hitObject,
                                 float& hitDistance);

    // The render window's size in pixels; without a window (engine tests) the fallback size.
    unsigned getWindowWidth() const;
    unsigned getWindowHeight() const;

    // Reads the window manager's close requests, then lets the engine pump the window's other
    // events (focus, size). Called once per frame before the quit checks.
    void processWindowMessages();
    // Whether the user closed the render window (or the engine reports it closed).
    bool isWindowClosed() const;

    static Graphics* instance;

    unsigned fallbackWidth = 1920;
    unsigned fallbackHeight = 1080;

    Application* application = nullptr; // back pointer
    Ogre::Root* root = nullptr;          // owned
    Ogre::OverlaySystem* overlaySystem = nullptr;
    Ogre::SceneManager* sceneManager = nullptr;
    Ogre::RenderWindow* renderWindow = nullptr;
    Ogre::Camera* camera = nullptr;
    Ogre::Viewport* viewport = nullptr;
    Ogre::OverlayManager* overlayManager = nullptr;
    std::vector<Ogre::Overlay*> overlays;

    // Close requests: the engine's own WM_DELETE_WINDOW registration does not work on this
    // platform, so the window's protocols are set here and the messages read by us.
    bool windowClosed = false;
    void* windowDisplay = nullptr;      // the engine's connection, not owned
    unsigned long windowId = 0;
    unsigned long deleteWindowAtom = 0;

private:
    // Makes the engine's root and loads the plugins the file names; the failure's text, or "".
    std::string startEngine(const std::string& pluginsFile);
    void watchCloseRequests();
    void addResourceLocations(const std::string& fileName);
};
