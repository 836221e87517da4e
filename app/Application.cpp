#include "app/Application.h"

#include "app/AppDataLinux.h"
#include "app/ApplicationMode.h"
#include "app/Clipboard.h"
#include "app/Graphics.h"
#include "app/Input.h"
#include "app/KeyEventTransform.h"
#include "app/Log.h"
#include "app/MouseEventTransform.h"
#include "editor/EditorMode.h"

#include <OIS/OISKeyboard.h>
#include <OIS/OISMouse.h>
#include <Ogre.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace
{
const char* const version = "0.14";
const char* const makersNotice = " - Bramblewick tools";

// The number of a quit signal (SIGTERM, SIGINT, SIGHUP) that arrived, or 0.
volatile std::sig_atomic_t quitSignal = 0;

void onQuitSignal(int number) { quitSignal = number; }

// Extra log lines about mode changes; nothing in the program turns them on.
bool verboseLogging = false;

// Frame-rate lines for the frame-time benchmark, every two seconds of frames, only while
// BRAMBLEWICK_TRACE_FPS=1: a normal run's log stays free of them.
struct FrameRateTrace
{
    bool on = false;
    float seconds = 0.0f;
    int frames = 0;
};

void traceFrameRate(float timeSinceLastFrame, Ogre::RenderWindow* window)
{
    static FrameRateTrace trace = []
    {
        FrameRateTrace made;
        const char* value = std::getenv("BRAMBLEWICK_TRACE_FPS");
        made.on = value && std::strcmp(value, "1") == 0;
        return made;
    }();
    if (!trace.on || !window)
    {
        return;
    }
    trace.seconds += timeSinceLastFrame;
    ++trace.frames;
    if (trace.seconds < 2.0f)
    {
        return;
    }
    const Ogre::RenderTarget::FrameStats& stats = window->getStatistics();
    writeLog("frame rate: " + Ogre::StringConverter::toString(trace.frames / trace.seconds) +
             " fps, " + Ogre::StringConverter::toString(trace.frames) + " frames in " +
             Ogre::StringConverter::toString(trace.seconds) + " s, batches " +
             Ogre::StringConverter::toString(stats.batchCount) + ", triangles " +
             Ogre::StringConverter::toString(stats.triangleCount));
    trace.seconds = 0.0f;
    trace.frames = 0;
}
} // namespace

Application::Application()
{
    appData = new AppDataLinux();
    mouseEventTransform = new MouseEventTransform();
    keyEventTransform = new KeyEventTransform();
}

Application::~Application()
{
    if (currentMode)
    {
        currentMode->deactivate();
    }
    currentMode = nullptr;
    mouseEventTransform->target = nullptr;
    keyEventTransform->target = nullptr;
    delete nextMode;
    nextMode = nullptr;
    delete input;
    input = nullptr;
    if (graphics && graphics->root)
    {
        graphics->root->removeFrameListener(this);
    }
    delete graphics;
    graphics = nullptr;
    delete appData;
    appData = nullptr;
    delete mouseEventTransform;
    mouseEventTransform = nullptr;
    delete keyEventTransform;
    keyEventTransform = nullptr;
}

std::string Application::windowTitle()
{
    return std::string("BRAMBLEWICK Voxel Editor ") + version + makersNotice;
}

Ogre::StringVector Application::splitCommandLine(const std::string& commandLine)
{
    if (commandLine.empty())
    {
        return Ogre::StringVector();
    }
    return Ogre::StringUtil::tokenise(commandLine, "\t\n ", "\"", 0);
}

void Application::run(const Ogre::StringVector& words)
{
    arguments = words;
    // Without a display the engine's GL start crashes rather than saying why.
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
    {
        throw std::runtime_error("no display: DISPLAY is not set. Start the editor in an X "
                                 "session, or with ./scripts/run --xvfb");
    }
    // A quit signal closes the editor as closing its window does, recovery copy included.
    quitSignal = 0;
    for (int number : {SIGTERM, SIGINT, SIGHUP})
    {
        std::signal(number, onQuitSignal);
    }
    graphics = new Graphics();
    if (!graphics->initialise(this, windowTitle()))
    {
        return;
    }

    fontAdjustments["BasicFontOutline"] = FontAdjustment{0.045f, Ogre::Vector3(0.0f, -1.5f, 0.0f)};
    fontAdjustments["InputFontOutline"] = FontAdjustment{0.045f, Ogre::Vector3(0.0f, -1.5f, 0.0f)};
    fontAdjustments["BasicFont"] = FontAdjustment{0.0f, Ogre::Vector3(0.0f, 0.0f, 0.0f)};

    input = new Input();
    input->initialise(graphics->getWindowHandle(), graphics->renderWindow->getWidth(),
                      graphics->renderWindow->getHeight());
    input->mouse->setEventCallback(mouseEventTransform);
    input->keyboard->setEventCallback(keyEventTransform);

    nextMode = new EditorMode(this);
    prepareModeChange(nextMode);
    switchToNextMode();

    writeLog("application start done");
    writeLog("rendering the first frame");
    graphics->root->renderOneFrame();
    writeLog("first frame rendered ok");

    writeLog("adding frame listener");
    graphics->root->addFrameListener(this);

    writeLog("run simulation");
    startRenderingLoop();
}

void Application::prepareModeChange(ApplicationMode* mode)
{
    if (verboseLogging)
    {
        writeLog("application: prepare mode change");
    }
    mode->prepare(arguments);
}

void Application::switchToNextMode()
{
    if (currentMode)
    {
        currentMode->deactivate();
    }
    currentMode = nextMode;
    if (currentMode)
    {
        currentMode->activate();
    }
    mouseEventTransform->target = currentMode;
    keyEventTransform->target = currentMode;
}

void Application::startRenderingLoop()
{
    state = Running;
    writeLog("starting rendering loop");
    graphics->root->startRendering();
}

bool Application::frameRenderingQueued(const Ogre::FrameEvent& event)
{
    if (graphics)
    {
        graphics->processWindowMessages();
        if (input)
        {
            input->setWindowSize(graphics->getWindowWidth(), graphics->getWindowHeight());
        }
    }
    getClipboard()->processEvents();

    if (quitSignal)
    {
        writeLog("signal " + std::to_string(int(quitSignal)) + " - quitting");
        state = Quitting;
    }
    else if (graphics && graphics->isWindowClosed())
    {
        writeLog("render window closed - quitting");
        state = Quitting;
    }
    else if (currentMode && currentMode->state == ApplicationMode::QuitRequested)
    {
        writeLog("application quitting");
        state = Quitting;
    }

    runFixedSteps(event.timeSinceLastFrame);
    traceFrameRate(event.timeSinceLastFrame, graphics ? graphics->renderWindow : nullptr);
    return state != Quitting;
}

void Application::runFixedSteps(float timeSinceLastFrame)
{
    frameTime = timeSinceLastFrame;
    accumulator += frameTime;
    const int steps = static_cast<int>(accumulator / fixedStep);
    for (int step = 0; step < steps; ++step)
    {
        if (currentMode)
        {
            currentMode->preStep();
        }
        // Input is read once per frame, so every buffered event reaches the mode before the
        // frame's first update.
        if (step == 0 && input)
        {
            input->capture();
        }
        if (currentMode)
        {
            currentMode->update(fixedStep);
        }
        accumulator -= fixedStep;
    }
    if (steps > 0 && currentMode)
    {
        currentMode->frameUpdate(frameTime);
    }
}
