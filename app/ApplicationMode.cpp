#include "app/ApplicationMode.h"

#include "skeleton/VerletParticleSystem.h"

ApplicationMode::ApplicationMode(Application* application) : application(application) {}

ApplicationMode::~ApplicationMode()
{
    delete particleSystem;
}

bool ApplicationMode::keyPressed(const KeyEvent&)
{
    return true;
}

bool ApplicationMode::keyReleased(const KeyEvent&)
{
    return true;
}

void ApplicationMode::prepare(const Ogre::StringVector&)
{
    state = Prepared;
    particleSystem = new Verlet::ParticleSystem(1, 0.8f);
    particleSystem->restCheck = false;
    particleSystem->floorHeight = -5000.0f;
}

void ApplicationMode::deactivate()
{
    delete particleSystem;
    particleSystem = nullptr;
}

void ApplicationMode::requestQuit()
{
    state = QuitRequested;
}

bool ApplicationMode::mouseMoved(const Ogre::Vector2&)
{
    return true;
}

bool ApplicationMode::mousePressed(const OIS::MouseButtonID&)
{
    return true;
}

bool ApplicationMode::mouseReleased(const OIS::MouseButtonID&)
{
    return true;
}
