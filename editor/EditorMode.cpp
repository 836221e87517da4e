#include "editor/EditorMode.h"

#include "app/AppData.h"
#include "app/Application.h"
#include "app/Graphics.h"
#include "app/Input.h"
#include "app/Log.h"
#include "editor/ModelViewMode.h"
#include "editor/QueryFlags.h"
#include "editor/ToolMode.h"
#include "editor/UndoHistory.h"
#include "editor/ViewMode.h"
#include "editor/VoxelBatches.h"
#include "menu/BarMenuView.h"
#include "menu/MenuSystem.h"
#include "menu/MenuView.h"
#include "menu/TextField.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"

#include <OIS/OISKeyboard.h>
#include <OgreCamera.h>
#include <OgreLight.h>
#include <OgreManualObject.h>
#include <OgreMath.h>
#include <OgreRenderWindow.h>
#include <OgreResourceGroupManager.h>
#include <OgreSceneManager.h>
#include <OgreSceneNode.h>
#include <OgreStringConverter.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>

namespace
{

// Returns the menu that took the press, or null.
MenuPanelManager* offerPressToMenus(MenuSystem* menuSystem, const OIS::MouseButtonID& button)
{
    if (!menuSystem || menuSystem->sideState != 1)
        return nullptr;
    if (menuSystem->currentView && menuSystem->currentView->mousePressed(button))
        return menuSystem->currentView;
    if (menuSystem->barMenuView && menuSystem->barMenuView->mousePressed(button))
        return menuSystem->barMenuView;
    return nullptr;
}

void offerReleaseToMenus(MenuSystem* menuSystem, const OIS::MouseButtonID& button)
{
    if (!menuSystem || menuSystem->sideState != 1)
        return;
    if (menuSystem->currentView && menuSystem->currentView->mouseReleased(button))
        return;
    if (menuSystem->barMenuView)
        menuSystem->barMenuView->mouseReleased(button);
}

} // namespace

EditorMode::EditorMode(Application* application)
    : ApplicationMode(application), history(new UndoHistory(this))
{
}

EditorMode::~EditorMode()
{
    releaseViewToolAndMenus();
    mirror.destroyLine();
    model.destroy();
    destroySkeletonObjects();
    delete skeleton;
    skeleton = nullptr;
    delete history;
    history = nullptr;

    Graphics* graphics = getGraphics();
    if (graphics && graphics->renderWindow && windowListenerAdded)
        OgreBites::WindowEventUtilities::removeWindowEventListener(graphics->renderWindow, this);
}

void EditorMode::deactivate()
{
    // The window closes without asking: unsaved work goes to the recovery folder first, while
    // the tool still knows the true colours of a selection.
    if (recoveryTimer.isRunning() && hasUnsavedChanges() && writeRecoveryCopies())
    {
        const std::string where = recoveryTimer.where();
        writeLog("unsaved changes kept in " + where);
        std::cout << "Unsaved changes kept in " << where << std::endl;
    }
    // The menu panels keep their particles in the mode's particle system: the menus go first.
    releaseViewToolAndMenus();
    ApplicationMode::deactivate();
}

void EditorMode::releaseViewToolAndMenus()
{
    // The tool may hold voxels and the view mode shows the rest pose when it goes, so both go
    // while the model, the skeleton and the menus are still there.
    delete toolMode;
    toolMode = nullptr;
    delete viewMode;
    viewMode = nullptr;
    delete menuSystem;
    menuSystem = nullptr;
    menuHoldingPress = nullptr;
}

Graphics* EditorMode::getGraphics()
{
    if (application && application->graphics)
        return application->graphics;
    return Graphics::instance;
}

bool EditorMode::isKeyDown(int keyCode)
{
    return application && application->input && application->input->isKeyDown(keyCode);
}

// ---------------------------------------------------------------------------------------------
// Start-up

void EditorMode::prepare(const Ogre::StringVector& arguments)
{
    ApplicationMode::prepare(arguments);

    skeleton = new Skeleton(0.7f);
    skeleton->system->restCheck = false;

    files.chooseFileNames(arguments);

    if (createMenus)
    {
        menuSystem = new MenuSystem();
        menuSystem->create(this);
        menuSystem->show();
    }

    setUpScene();

    if (!importFileName.empty())
        importModel(importFileName);
    else
        loadModel(modelFileName, animationFileName);

    Graphics* graphics = getGraphics();
    // Only a real window has a user whose work needs keeping; tests leave the folder alone.
    if (graphics && graphics->renderWindow && application && application->appData &&
        !application->appData->getUserFolder().empty())
    {
        recoveryTimer.start(application->appData->getUserFolder());
    }

    if (graphics && graphics->renderWindow)
    {
        OgreBites::WindowEventUtilities::addWindowEventListener(graphics->renderWindow, this);
        windowListenerAdded = true;
    }
}

void EditorMode::setUpScene()
{
    createLight();
    createGrid();
    setViewMode(new ModelViewMode());
    addVoxel(0, 0, 0, Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f), QUERY_NEW_VOXEL);
    model.setQueryFlags(QUERY_VOXEL);
    resetCamera();
}

void EditorMode::createLight()
{
    Ogre::Light* light = getGraphics()->sceneManager->createLight("Light");
    light->setType(Ogre::Light::LT_DIRECTIONAL);
    light->setDiffuseColour(Ogre::ColourValue(1.0f, 1.0f, 1.0f, 1.0f));
    light->setDirection(Ogre::Vector3(0.3f, -0.6f, -1.0f).normalisedCopy());
}

void EditorMode::createGrid()
{
    Ogre::SceneManager* sceneManager = getGraphics()->sceneManager;
    Ogre::ManualObject* grid = sceneManager->createManualObject("grid");
    grid->begin("BaseWhiteNoLighting", Ogre::RenderOperation::OT_LINE_LIST,
                Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    std::vector<Ogre::Vector3> points;
    for (int i = -50; i < 50; ++i)
    {
        points.emplace_back(float(i), 0.0f, -50.0f);
        points.emplace_back(float(i), 0.0f, 50.0f);
    }
    for (int i = -50; i < 50; ++i)
    {
        points.emplace_back(-50.0f, 0.0f, float(i));
        points.emplace_back(50.0f, 0.0f, float(i));
    }
    for (const Ogre::Vector3& point : points)
        grid->position(point);
    for (Ogre::uint32 i = 0; i < points.size(); ++i)
        grid->index(i);
    grid->end();
    grid->setQueryFlags(QUERY_GRID);
    sceneManager->getRootSceneNode()
        ->createChildSceneNode(Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY)
        ->attachObject(grid);
}

void EditorMode::resetCamera()
{
    Ogre::Camera* camera = getGraphics()->camera;
    camera->setPosition(Ogre::Vector3(0.0f, 15.0f, 70.0f));
    camera->lookAt(Ogre::Vector3(0.0f, 15.0f, 0.0f));
}

// ---------------------------------------------------------------------------------------------
// Keyboard and mouse

bool EditorMode::keyPressed(const KeyEvent& event)
{
    // A text field with the focus takes every key; the camera stops.
    if (TextField::routeKeyPressed(menuSystem, event))
    {
        cameraVelocity = Ogre::Vector3::ZERO;
        return true;
    }
    if (isKeyDown(OIS::KC_LCONTROL))
    {
        cameraVelocity = Ogre::Vector3::ZERO;
        switch (event.key)
        {
        case OIS::KC_S:
            runLogged([&] { save(); });
            break;
        case OIS::KC_Z:
            if (isKeyDown(OIS::KC_LSHIFT))
                redo();
            else
                undo();
            break;
        case OIS::KC_Y:
            redo();
            break;
        case OIS::KC_L:
            break;
        case OIS::KC_E:
            runLogged([&] { exportModel(); });
            break;
        case OIS::KC_C:
            if (toolMode)
                runLogged([&] { toolMode->copy(); });
            break;
        case OIS::KC_V:
            // Left Shift as well: the copied particles go to their partners, reflected.
            if (toolMode && isKeyDown(OIS::KC_LSHIFT))
                asStep("mirrored paste", [&] { runLogged([&] { toolMode->pasteMirrored(); }); });
            else if (toolMode)
                asStep("paste", [&] { runLogged([&] { toolMode->paste(); }); });
            break;
        default:
            if (viewMode)
                asStep("", [&] { runLogged([&] { viewMode->keyPressed(event); }); });
            break;
        }
        return true;
    }

    switch (event.key)
    {
    case OIS::KC_ESCAPE:
        break;
    case OIS::KC_1:
        setViewMode(new ModelViewMode());
        break;
    case OIS::KC_2:
        // The first visit adds an animation when there is none: that is a change.
        if (!skeleton->system->particles.empty())
            asStep("", [&] { runLogged([&] { setViewMode(new AnimateViewMode()); }); });
        break;
    case OIS::KC_W:
    case OIS::KC_S:
    case OIS::KC_A:
    case OIS::KC_D:
        followFlightKeys();
        break;
    case OIS::KC_R:
    case OIS::KC_B:
        asStep("re-binding",
               [&]
               {
                   runLogged(
                       [&]
                       {
                           rebindSkeleton();
                           resetToRestPose();
                       });
               });
        break;
    case OIS::KC_N:
        asStep("rest pose", [&] { runLogged([&] { resetToRestPose(); }); });
        break;
    case OIS::KC_M:
        runLogged(
            [&]
            {
                modelOrientation =
                    modelOrientation * Ogre::Quaternion(Ogre::Radian(0.05f), Ogre::Vector3::UNIT_Y);
                // A model without a skeleton turns its voxels about the same axis.
                if (skeleton->entries.empty())
                    placeAtRest({});
                if (std::vector<Ogre::Vector3>* restPose = baseAnimation.findFrame(0.0f))
                    applyPose(std::vector<Ogre::Vector3>(*restPose));
                resetToRestPose();
            });
        break;
    case OIS::KC_O:
        asStep("hidden voxel removal",
               [&]
               {
                   const size_t before = model.size();
                   runLogged([&] { removeHiddenVoxels(); });
                   const size_t removed = before - model.size();
                   showNote("Removed " + std::to_string(removed) +
                            (removed == 1 ? " hidden voxel" : " hidden voxels"));
               });
        break;
    case OIS::KC_X:
        // Not a change: it only decides what the next edits do.
        runLogged([&] { setMirrorEditing(!mirror.isOn()); });
        break;
    default:
        if (viewMode)
            asStep(event.key == OIS::KC_DELETE ? "key frame reset"
                   : event.key == OIS::KC_F    ? "mirrored pose"
                                               : "",
                   [&] { runLogged([&] { viewMode->keyPressed(event); }); });
        break;
    }
    return true;
}

bool EditorMode::keyReleased(const KeyEvent&)
{
    if (isKeyDown(OIS::KC_LCONTROL))
    {
        cameraVelocity = Ogre::Vector3::ZERO;
        return true;
    }
    followFlightKeys();
    return true;
}

void EditorMode::followFlightKeys()
{
    // Counting presses and releases drifts for good after one release without its press (left
    // Ctrl let go before S); the keys held now never do.
    cameraVelocity = Ogre::Vector3::ZERO;
    // Keys typed into a text field are no flight keys.
    if (isKeyDown(OIS::KC_LCONTROL) || TextField::anyFocused(menuSystem))
        return;
    cameraVelocity.z = float(isKeyDown(OIS::KC_W)) - float(isKeyDown(OIS::KC_S));
    cameraVelocity.x = float(isKeyDown(OIS::KC_D)) - float(isKeyDown(OIS::KC_A));
}

bool EditorMode::mouseMoved(const Ogre::Vector2& delta)
{
    if (isKeyDown(OIS::KC_LSHIFT) && !TextField::anyFocused(menuSystem))
    {
        Ogre::Camera* camera = getGraphics()->camera;
        camera->yaw(Ogre::Radian(-0.005f * delta.x));
        camera->pitch(Ogre::Radian(-0.005f * delta.y));
    }
    return true;
}

bool EditorMode::mousePressed(const OIS::MouseButtonID& button)
{
    // A press on a text field focuses it; any other press first commits the focused one.
    if (TextField::routePressed(menuSystem, button))
        return true;
    if (MenuPanelManager* menu = offerPressToMenus(menuSystem, button))
    {
        menuHoldingPress = menu;
        return true;
    }
    mouseButtonDown = true;
    // A press and its release are one step: a whole stroke, drag or removal.
    if (!gestureOpen)
    {
        history->begin("");
        gestureOpen = true;
    }
    if (toolMode)
        runLogged([&] { toolMode->mousePressed(&button); });
    return true;
}

bool EditorMode::mouseReleased(const OIS::MouseButtonID& button)
{
    mouseButtonDown = false;
    if (toolMode)
        runLogged([&] { toolMode->mouseReleased(&button); });
    if (gestureOpen)
    {
        gestureOpen = false;
        history->commit();
    }
    // The menu that took the press sees its release even when the side menu has started to
    // slide since; otherwise its held button or knob would wait for a release that never comes.
    if (menuHoldingPress)
    {
        MenuPanelManager* menu = menuHoldingPress;
        menuHoldingPress = nullptr;
        menu->mouseReleased(button);
        return true;
    }
    offerReleaseToMenus(menuSystem, button);
    return true;
}

void EditorMode::windowFocusChange(Ogre::RenderWindow* window)
{
    Graphics* graphics = getGraphics();
    if (window && graphics && window == graphics->renderWindow)
    {
        mouseReleased(OIS::MB_Left);
        mouseReleased(OIS::MB_Right);
    }
}

// ---------------------------------------------------------------------------------------------
// Time

void EditorMode::update(float timeStep)
{
    if (particleSystem)
        particleSystem->update(timeStep);

    if (mouseButtonDown && toolMode)
    {
        const OIS::MouseButtonID held = OIS::MB_Left;
        runLogged([&] { toolMode->mouseHeld(&held); });
    }

    if (skeletonSimulating)
        skeleton->update(timeStep);

    // Keys let go while the window had no focus send no release.
    if (application && application->input)
        followFlightKeys();
    Ogre::Camera* camera = getGraphics()->camera;
    const float speed = isKeyDown(OIS::KC_LSHIFT) ? 40.0f : 10.0f;
    camera->move((camera->getDerivedRight() * cameraVelocity.x +
                  camera->getDerivedDirection() * cameraVelocity.z) *
                 speed * timeStep);

    if (menuSystem)
        menuSystem->update(timeStep);

    // The plane is x = 0 of the model: its line turns with the model (key M, undo).
    mirror.update();
    recoveryTimer.watch();
}

void EditorMode::frameUpdate(float)
{
    if (!skeletonSimulating)
        return;
    runLogged(
        [&]
        {
            destroySkeletonObjects();
            createSkeletonObjects();
            skeleton->updateElements(Ogre::Vector3::ZERO);
        });
}

// ---------------------------------------------------------------------------------------------
// View mode and tool

void EditorMode::setViewMode(ViewMode* newViewMode)
{
    if (viewMode)
    {
        delete toolMode;
        toolMode = nullptr;
        delete viewMode;
    }
    viewMode = newViewMode;
    viewMode->editor = this;
    viewMode->activate();
}

void EditorMode::setToolMode(ToolMode* newToolMode)
{
    delete toolMode;
    toolMode = newToolMode;
    if (toolMode)
        toolMode->editor = this;
}

// ---------------------------------------------------------------------------------------------
// Picking

Ogre::Ray EditorMode::getPointerRay()
{
    Graphics* graphics = getGraphics();
    float mouseX = application && application->input ? application->input->mouseX : 0.0f;
    float mouseY = application && application->input ? application->input->mouseY : 0.0f;
    return graphics->camera->getCameraToViewportRay(mouseX / float(graphics->getWindowWidth()),
                                                    mouseY / float(graphics->getWindowHeight()));
}

Ogre::Vector3 EditorMode::getPointerScreenPosition()
{
    Graphics* graphics = getGraphics();
    float mouseX = application && application->input ? application->input->mouseX : 0.0f;
    float mouseY = application && application->input ? application->input->mouseY : 0.0f;
    float width = float(graphics->getWindowWidth());
    float height = float(graphics->getWindowHeight());
    return Ogre::Vector3(2.0f * mouseX / width - 1.0f, -(2.0f * mouseY / height - 1.0f), -1.0f);
}

Ogre::Vector3 EditorMode::projectToScreen(const Ogre::Vector3& point)
{
    Ogre::Camera* camera = getGraphics()->camera;
    Ogre::Vector3 inView = camera->getViewMatrix() * point;
    if (inView.z < 0.0f)
        return camera->getProjectionMatrix() * inView;
    return Ogre::Vector3::ZERO;
}

void EditorMode::pick(const Ogre::Ray& ray, unsigned queryMask, Ogre::MovableObject*& hitObject,
                      float& hitDistance)
{
    Graphics::pickManualObject(getGraphics()->sceneManager, ray, queryMask, hitObject, hitDistance);
}

// ---------------------------------------------------------------------------------------------
// The voxel list

void EditorMode::removeHiddenVoxels()
{
    std::vector<bool> seen = findSeenVoxels(240000, false);
    std::vector<int> hidden;
    for (size_t i = 0; i < seen.size(); ++i)
        if (!seen[i])
            hidden.push_back(int(i));
    removeVoxels(hidden);
    rebindSkeleton();
    resetToRestPose();
}

// ---------------------------------------------------------------------------------------------
// Skeleton display and binding

void EditorMode::rebindSkeleton()
{
    history->skeletonChanging();
    // Nearest sticks are found in the rest pose, with every voxel at its cell: the place a
    // save writes and a load binds, so that binding gives the same groups whatever was shown.
    if (hasRestPose())
        placeAtRest(*baseAnimation.findFrame(0.0f));
    model.bindToNearestSticks();
}

// ---------------------------------------------------------------------------------------------
// Undo, redo and unsaved work

void EditorMode::asStep(const std::string& name, const std::function<void()>& action)
{
    history->begin(name);
    try
    {
        action();
    }
    catch (...)
    {
        history->commit();
        throw;
    }
    history->commit();
}

void EditorMode::undo() { stepHistory(true); }

void EditorMode::redo() { stepHistory(false); }

void EditorMode::stepHistory(bool back)
{
    // Not in the middle of a stroke: the step is not complete yet.
    if (mouseButtonDown || history->isOpen())
        return;
    if (toolMode)
        toolMode->letGo();
    bool posed = false;
    std::string name;
    runLogged([&] { name = back ? history->undo(posed) : history->redo(posed); });
    afterHistory(back ? "Undo" : "Redo", name, posed);
}

void EditorMode::afterHistory(const std::string& verb, const std::string& name, bool posed)
{
    if (name.empty())
    {
        showNote(verb == "Undo" ? "Nothing to undo" : "Nothing to redo");
        return;
    }
    if (auto* view = dynamic_cast<AnimateViewMode*>(viewMode))
        view->refresh();
    else if (posed || modelOrientation != Ogre::Quaternion::IDENTITY)
    {
        // Taken back to a state recorded under a pose, or before the model was turned (M is
        // no step): the model view shows the rest pose, turned as the model is now.
        runLogged(
            [&]
            {
                if (modelOrientation != Ogre::Quaternion::IDENTITY)
                {
                    placeAtRest(std::vector<Ogre::Vector3>());
                    resetToRestPose();
                }
                else if (std::vector<Ogre::Vector3>* restPose = baseAnimation.findFrame(0.0f))
                    applyPose(std::vector<Ogre::Vector3>(*restPose));
            });
    }
    showNote(verb + ": " + name);
}

void EditorMode::showNote(const std::string& text)
{
    writeLog(text);
    if (menuSystem && menuSystem->barMenuView)
        menuSystem->barMenuView->showNote(text);
}

bool EditorMode::hasUnsavedChanges() const { return !history->isSaved(); }
