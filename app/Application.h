#pragma once

#include <OgreFrameListener.h>
#include <OgreString.h>

#include <cstdint>
#include <string>

class AppData;
class ApplicationMode;
class Graphics;
class Input;
class KeyEventTransform;
class MouseEventTransform;

// Owns the engine set-up, the input devices, the data folder service and the one mode, and runs
// the fixed-step frame loop inside the engine's rendering loop.
class Application : public Ogre::FrameListener
{
public:
    enum AppState : int32_t
    {
        Idle = 0,
        Running = 1,
        Quitting = 2,
    };

    // The simulation step of every fixed update.
    static constexpr float fixedStep = 0.016f;

    Application();
    ~Application() override;

    // The whole life of the program after construction.
    void run(const Ogre::StringVector& words);
    void prepareModeChange(ApplicationMode* mode);
    void startRenderingLoop();
    bool frameRenderingQueued(const Ogre::FrameEvent& event) override;

    // Runs the fixed steps that fit into the accumulated time. Split out of
    // frameRenderingQueued so that the arithmetic can be tested without a window.
    void runFixedSteps(float timeSinceLastFrame);

    // Splits a command line into words: blanks, tabs and line feeds separate, double quotes group.
    static Ogre::StringVector splitCommandLine(const std::string& commandLine);

    // "BRAMBLEWICK Voxel Editor " followed by the version and the maker's notice.
    static std::string windowTitle();

    Graphics* graphics = nullptr;               // owned
    Input* input = nullptr;                     // owned
    AppState state = Idle;
    ApplicationMode* nextMode = nullptr;        // owned: the mode object
    ApplicationMode* currentMode = nullptr;     // not owned: the mode receiving time and events
    float frameTime = 0.0f;
    float accumulator = 0.0f;
    Ogre::StringVector arguments;
    AppData* appData = nullptr;                 // owned
    MouseEventTransform* mouseEventTransform = nullptr; // owned
    KeyEventTransform* keyEventTransform = nullptr;     // owned
    std::string textEncoding = "Latin1";
    bool singleByteText = true;

private:
    // Makes `nextMode` current: deactivates the old mode, activates the new one and points the
    // input adapters at it.
    void switchToNextMode();
};
