#include "app/Graphics.h"

#include "app/Application.h"
#include "app/Log.h"
#include "common/OgreTextAreaOverlayElement2.h"

#include <Ogre.h>
#include <OgreBitesConfigDialog.h>
#include <OgreConfigFile.h>
#include <OgreFontManager.h>
#include <OgreOverlay.h>
#include <OgreOverlayManager.h>
#include <OgreOverlaySystem.h>
#include <OgreWindowEventUtilities.h>

#include <X11/Xlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <thread>

Graphics* Graphics::instance = nullptr;

namespace
{
// Set by the X error handler: the server refused a request on the window, which it does once
// the window was destroyed from outside. The editor then closes as if the window were closed.
bool windowLost = false;
// The render window's id; errors about other windows (the clipboard's) are only logged.
unsigned long watchedWindow = 0;

int onXError(Display* display, XErrorEvent* event)
{
    char text[256] = "";
    XGetErrorText(display, event->error_code, text, sizeof(text));
    if (watchedWindow && event->resourceid == watchedWindow)
    {
        writeLog(std::string("X error ") + text + " - the window is gone, closing");
        windowLost = true;
    }
    else
    {
        writeLog(std::string("ERROR, X error ") + text);
    }
    return 0;
}

// Tries of the render system's start, and the pause between them: on an X server that came up
// a moment before, the first try sometimes fails.
const int START_TRIES = 8;
const auto START_PAUSE = std::chrono::milliseconds(250);

// The section names of a configuration file in the order they appear (the engine's parser
// keeps them sorted by name). Settings before the first header belong to the unnamed section.
std::vector<std::string> readSectionOrder(const std::string& fileName)
{
    std::vector<std::string> order{""};
    std::ifstream file(fileName);
    std::string line;
    while (std::getline(file, line))
    {
        Ogre::StringUtil::trim(line);
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
        {
            const std::string name = line.substr(1, line.size() - 2);
            if (std::find(order.begin(), order.end(), name) == order.end())
            {
                order.push_back(name);
            }
        }
    }
    return order;
}

bool isFolder(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}
} // namespace

Graphics::~Graphics()
{
    writeLog("Graphics::~Graphics()");
    // A window destroyed from outside leaves the GL context without its drawable, and the
    // render system's shutdown can then crash. The work is written by now (the mode went
    // first), so the engine is left to the end of the process.
    if (windowLost && root)
    {
        writeLog("the window was destroyed from outside: engine shutdown skipped");
        static Ogre::Root* leftRunning = nullptr; // still reachable: not a leak to report
        leftRunning = root;
        (void)leftRunning;
        root = nullptr;
    }
    // A Graphics without a root of its own (the engine tests fill one in by hand) owns nothing.
    if (root)
    {
        // Taking the overlay system down before the root is the order that shuts down cleanly:
        // it still needs the scene manager and the render system while it releases fonts and
        // materials.
        if (overlaySystem)
        {
            if (sceneManager)
            {
                sceneManager->removeRenderQueueListener(overlaySystem);
            }
            delete overlaySystem;
        }
        if (renderWindow)
        {
            OgreBites::WindowEventUtilities::_removeRenderWindow(renderWindow);
        }
    }
    overlaySystem = nullptr;
    overlayManager = nullptr;
    delete root;
    root = nullptr;
    sceneManager = nullptr;
    renderWindow = nullptr;
    camera = nullptr;
    viewport = nullptr;
    overlays.clear();
    if (instance == this)
    {
        instance = nullptr;
    }
}

bool Graphics::initialise(Application* application, const std::string& windowTitle)
{
    this->application = application;
    for (int attempt = 1;; ++attempt)
    {
        const std::string failure = startEngine("plugins.cfg");
        if (failure.empty())
        {
            break;
        }
        if (attempt == START_TRIES)
        {
            throw std::runtime_error(failure);
        }
        writeLog("ERROR, the render system did not start, trying again: " + failure);
        std::this_thread::sleep_for(START_PAUSE);
    }

    const Ogre::StringVector& arguments = application->arguments;
    if (std::find(arguments.begin(), arguments.end(), "skip_config") != arguments.end())
    {
        root->restoreConfig();
    }
    else if (!root->showConfigDialog(OgreBites::getNativeConfigDialog()))
    {
        return false;
    }

    overlaySystem = new Ogre::OverlaySystem();
    renderWindow = root->initialise(true, windowTitle, "");
    // The engine no longer registers its window with the message pump itself.
    OgreBites::WindowEventUtilities::_addRenderWindow(renderWindow);
    watchCloseRequests();
    // Xlib's own handler ends the process on the first refused request, with the work unsaved.
    XSetErrorHandler(onXError);

    // The overlay manager owns and deletes the factory.
    Ogre::OverlayManager::getSingleton().addOverlayElementFactory(
        new Ogre::TextAreaOverlayElement2Factory());

    sceneManager = root->createSceneManager("DefaultSceneManager", "SceneManager");
    if (overlaySystem)
    {
        sceneManager->addRenderQueueListener(overlaySystem);
    }
    sceneManager->setAmbientLight(Ogre::ColourValue(0.7f, 0.7f, 0.7f, 1.0f));

    camera = sceneManager->createCamera("Camera");
    camera->setPosition(Ogre::Vector3(20.0f, 20.0f, 20.0f));
    camera->lookAt(Ogre::Vector3(0.0f, 0.0f, 0.0f));
    camera->setNearClipDistance(1.0f);

    viewport = renderWindow->addViewport(camera, 0, 0.0f, 0.0f, 1.0f, 1.0f);
    viewport->setBackgroundColour(Ogre::ColourValue(0.8f, 0.7f, 0.6f, 1.0f));
    camera->setAspectRatio(static_cast<Ogre::Real>(viewport->getActualWidth()) /
                           static_cast<Ogre::Real>(viewport->getActualHeight()));
    viewport->setCamera(camera);
    // The picture keeps its proportions when the window changes size.
    camera->setAutoAspectRatio(true);

    addResourceLocations("resources.cfg");

    Ogre::TextureManager::getSingleton().setDefaultNumMipmaps(5);
    Ogre::ResourceGroupManager::getSingleton().initialiseAllResourceGroups();

    renderWindow->setActive(true);
    renderWindow->resetStatistics();

    const char* fontNames[] = {"BasicFont", "BasicFontItalic"};
    const char* fontFiles[] = {"arialbd.ttf", "arialbi.ttf"};
    for (int i = 0; i < 2; ++i)
    {
        Ogre::FontPtr font = Ogre::static_pointer_cast<Ogre::Font>(
            Ogre::FontManager::getSingleton().create(fontNames[i], "General"));
        font->setParameter("type", "truetype");
        font->setParameter("source", fontFiles[i]);
        font->setParameter("size", "48");
        font->setParameter("resolution", "100");
        font->setParameter("code_points", "0-383");
        font->load();
    }

    overlayManager = Ogre::OverlayManager::getSingletonPtr();
    for (const char* name : {"OverlayHUD", "OverlayMenu", "OverlayLastAlwaysOn"})
    {
        overlays.push_back(overlayManager->create(name));
    }
    for (unsigned i = 0; i < overlays.size(); ++i)
    {
        overlays[i]->hide();
        overlays[i]->setZOrder(static_cast<Ogre::ushort>(i * 50));
    }
    for (Ogre::Overlay* overlay : overlays)
    {
        overlay->show();
    }

    instance = this;
    return true;
}

std::string Graphics::startEngine(const std::string& pluginsFile)
{
    // The plugins are loaded here rather than by the engine's constructor: a plugin whose start
    // throws is then still loaded while its exception is read. Had the constructor failed, it
    // would have unloaded the plugin, and with it the code of the exception it threw.
    delete root;
    root = new Ogre::Root("", "ogre.cfg", "Ogre.log");
    std::string failure;
    try
    {
        Ogre::ConfigFile file;
        file.load(pluginsFile);
        std::string folder = file.getSetting("PluginFolder");
        if (!folder.empty() && folder.back() != '/')
        {
            folder += '/';
        }
        for (const std::string& plugin : file.getMultiSetting("Plugin"))
        {
            root->loadPlugin(folder + plugin);
        }
    }
    catch (const std::exception& error)
    {
        failure = error.what();
    }
    if (!failure.empty())
    {
        delete root;
        root = nullptr;
    }
    return failure;
}

void Graphics::addResourceLocations(const std::string& fileName)
{
    Ogre::ConfigFile file;
    file.load(fileName, "\t:=", true);
    const Ogre::ConfigFile::SettingsBySection_& sections = file.getSettingsBySection();
    for (const std::string& section : readSectionOrder(fileName))
    {
        const auto found = sections.find(section);
        if (found == sections.end())
        {
            continue;
        }
        for (const auto& setting : found->second)
        {
            // This engine accepts a missing folder silently; the program would then fail later
            // on its first missing material, far from the cause.
            if (setting.first == "FileSystem" && !isFolder(setting.second))
            {
                OGRE_EXCEPT(Ogre::Exception::ERR_FILE_NOT_FOUND,
                            "Cannot find the resource folder '" + setting.second + "' named in " +
                                fileName,
                            "Graphics::initialise");
            }
            Ogre::ResourceGroupManager::getSingleton().addResourceLocation(
                setting.second, setting.first, section, false, true);
        }
    }
}

void Graphics::watchCloseRequests()
{
    Display* display = nullptr;
    Window window = 0;
    renderWindow->getCustomAttribute("XDISPLAY", &display);
    renderWindow->getCustomAttribute("WINDOW", &window);
    if (!display || !window)
    {
        return;
    }
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    windowDisplay = display;
    windowId = window;
    watchedWindow = window;
    deleteWindowAtom = deleteWindow;
}

void Graphics::processWindowMessages()
{
    // Read close requests before the engine's pump, which would swallow them.
    if (windowDisplay)
    {
        Display* display = static_cast<Display*>(windowDisplay);
        XEvent event;
        while (XCheckTypedWindowEvent(display, windowId, ClientMessage, &event))
        {
            if (event.xclient.format == 32 &&
                static_cast<unsigned long>(event.xclient.data.l[0]) == deleteWindowAtom)
            {
                windowClosed = true;
            }
        }
    }
    if (renderWindow)
    {
        OgreBites::WindowEventUtilities::messagePump();
    }
}

bool Graphics::isWindowClosed() const
{
    return windowClosed || windowLost || (renderWindow && renderWindow->isClosed());
}

unsigned long Graphics::getWindowHandle()
{
    unsigned long handle = 0;
    renderWindow->getCustomAttribute("WINDOW", &handle);
    return handle;
}

Ogre::Overlay* Graphics::getOverlay(unsigned index)
{
    if (index >= overlays.size())
    {
        throw std::out_of_range("invalid vector<T> subscript");
    }
    return overlays[index];
}

void Graphics::pickManualObject(const Ogre::Ray& ray, unsigned queryMask,
                                Ogre::MovableObject*& hitObject, float& hitDistance)
{
    pickManualObject(sceneManager, ray, queryMask, hitObject, hitDistance);
}

void Graphics::pickManualObject(Ogre::SceneManager* sceneManager, const Ogre::Ray& ray,
                                unsigned queryMask, Ogre::MovableObject*& hitObject,
                                float& hitDistance)
{
    hitObject = nullptr;
    hitDistance = -1.0f;
    if (!sceneManager)
    {
        return;
    }
    for (const auto& entry : sceneManager->getMovableObjects("ManualObject"))
    {
        Ogre::MovableObject* object = entry.second;
        if ((object->getQueryFlags() & queryMask) != queryMask)
        {
            continue;
        }
        Ogre::Node* node = object->getParentNode();
        if (!node)
        {
            continue;
        }
        // The node's own orientation and position only: the grid, the bars and the particles
        // hang directly under the root node, where this is the world box, and their scale never
        // matters to a pick. Voxels are picked through their drawing layer instead.
        Ogre::AxisAlignedBox box = object->getBoundingBox();
        Ogre::Affine3 rotation;
        rotation.makeTransform(Ogre::Vector3::ZERO, Ogre::Vector3::UNIT_SCALE,
                               node->getOrientation());
        box.transform(rotation);
        box.setMinimum(box.getMinimum() + node->getPosition());
        box.setMaximum(box.getMaximum() + node->getPosition());

        const std::pair<bool, Ogre::Real> hit = ray.intersects(box);
        if (hit.first && (hitDistance < 0.0f || hitDistance > hit.second))
        {
            hitDistance = hit.second;
            hitObject = object;
        }
    }
}

unsigned Graphics::getWindowWidth() const
{
    return renderWindow ? renderWindow->getWidth() : fallbackWidth;
}

unsigned Graphics::getWindowHeight() const
{
    return renderWindow ? renderWindow->getHeight() : fallbackHeight;
}
