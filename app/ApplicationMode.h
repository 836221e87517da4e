#pragma once

#include "app/KeyListener.h"
#include "app/MouseListener.h"

#include <OgreString.h>

#include <cstdint>

class Application;
namespace Verlet
{
class ParticleSystem;
}

// A mode receives time and input from the application. Exactly one mode, the editor, runs.
class ApplicationMode : public KeyListener, public MouseListener
{
public:
    enum ModeState : int32_t
    {
        Created = 0,
        Prepared = 1,
        QuitRequested = 2,
    };

    explicit ApplicationMode(Application* application);

    bool keyPressed(const KeyEvent& event) override;
    bool keyReleased(const KeyEvent& event) override;
    virtual ~ApplicationMode();

    // Called once before the mode becomes current, with the command-line words.
    virtual void prepare(const Ogre::StringVector& arguments);
    // Called right after the mode became current.
    virtual void activate() {}
    virtual void reserved0() {}
    // Called when another mode takes over, and at teardown.
    virtual void deactivate();
    // Called before each fixed step.
    virtual void preStep() {}
    virtual void reserved1(float) {}
    virtual void reserved2(float) {}
    // Called once per fixed step with the step length (0.016 s).
    virtual void update(float timeStep) { (void)timeStep; }
    // Called once per rendered frame in which at least one fixed step ran.
    virtual void frameUpdate(float frameTime) { (void)frameTime; }
    virtual void reserved3(float) {}
    // Asks the application to quit at the start of the next frame.
    virtual void requestQuit();
    virtual void reserved4() {}

    bool mouseMoved(const Ogre::Vector2& delta) override;
    bool mousePressed(const OIS::MouseButtonID& button) override;
    bool mouseReleased(const OIS::MouseButtonID& button) override;

    ModeState state = Created;
    Application* application = nullptr;           // back pointer
    Verlet::ParticleSystem* particleSystem = nullptr; // owned: created by prepare, destroyed by deactivate
};
