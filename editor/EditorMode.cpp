#include "editor/EditorMode.h"

#include "app/AppData.h"
#include "app/Application.h"
#include "app/Graphics.h"
#include "app/Input.h"
#include "app/Log.h"
#include "editor/ModelViewMode.h"
#include "editor/QueryFlags.h"
#include "editor/RayPickIndex.h"
#include "editor/VoxelBatches.h"
#include "editor/RecoveryCopies.h"
#include "editor/ToolMode.h"
#include "editor/UndoHistory.h"
#include "editor/ViewMode.h"
#include "menu/BarMenuView.h"
#include "menu/MenuSystem.h"
#include "menu/MenuView.h"
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
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>

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

double steadySeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

EditorMode::EditorMode(Application* application)
    : ApplicationMode(application), history(new UndoHistory(this))
{
}

EditorMode::~EditorMode()
{
    releaseViewToolAndMenus();
    delete recovery;
    recovery = nullptr;
    destroyMirrorLine();

    for (Voxel* voxel : voxels)
        delete voxel;
    voxels.clear();
    delete voxelBatches;
    voxelBatches = nullptr;
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
    if (recovery && hasUnsavedChanges() && writeRecoveryCopies())
    {
        std::string where = recovery->modelCopy;
        if (!recovery->animationCopy.empty())
            where += " and " + recovery->animationCopy;
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

    chooseFileNames(arguments);

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
        // The animations are copied too when no animation file is named: a save would write
        // them beside the model.
        recovery = new RecoveryCopies(application->appData->getUserFolder(), modelFileName,
                                      animationFileName.empty()
                                          ? companionAnimationFileName(modelFileName)
                                          : animationFileName);
        recovery->animationsOptional = animationFileName.empty();
        const std::string newer = recovery->findNewer();
        if (!newer.empty())
        {
            writeLog("recovery copy newer than the model: " + newer);
            std::cout << "A recovery copy is newer than the model: " << newer << std::endl;
            // In the bar from the home folder on, so that the path fits beside the buttons.
            std::string shown = newer;
            const char* home = std::getenv("HOME");
            if (home && *home && shown.rfind(std::string(home) + "/", 0) == 0)
                shown = "~" + shown.substr(std::string(home).size());
            if (menuSystem && menuSystem->barMenuView)
                menuSystem->barMenuView->showMessage("Newer recovery copy: " + shown);
        }
        nextRecoveryCheck = steadySeconds() + RecoveryCopies::period();
    }

    if (graphics && graphics->renderWindow)
    {
        OgreBites::WindowEventUtilities::addWindowEventListener(graphics->renderWindow, this);
        windowListenerAdded = true;
    }
}

void EditorMode::chooseFileNames(const Ogre::StringVector& arguments)
{
    if (!arguments.empty() && Ogre::StringUtil::endsWith(arguments[0], ".xml", true))
        modelFileName = arguments[0];
    // A .vox model is imported, and saved as the model file of the same name beside it. It has
    // no skeleton, so an animation file named with it would be emptied by the first save.
    const bool importing =
        !arguments.empty() && Ogre::StringUtil::endsWith(arguments[0], ".vox", true);
    if (importing)
    {
        importFileName = arguments[0];
        modelFileName = importFileName.substr(0, importFileName.size() - 4) + ".xml";
        writeLog("importing file " + importFileName);
    }
    if (arguments.size() >= 2 && Ogre::StringUtil::endsWith(arguments[1], ".xml", true))
    {
        if (importing)
            writeLog("ERROR, no animation file with a .vox model, ignored " + arguments[1]);
        else
            animationFileName = arguments[1];
    }
    // Animations made without an animation file are saved beside the model under this name;
    // the next start finds them there.
    if (animationFileName.empty() && !importing)
    {
        const std::string companion = companionAnimationFileName(modelFileName);
        std::error_code error;
        if (std::filesystem::is_regular_file(companion, error))
            animationFileName = companion;
    }
    writeLog("using file " + modelFileName);
    writeLog("using animation file " + animationFileName);
}

void EditorMode::setUpScene()
{
    createLight();
    createGrid();
    setViewMode(new ModelViewMode());
    addVoxel(0, 0, 0, Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f), QUERY_NEW_VOXEL);
    for (Voxel* voxel : voxels)
        voxel->setQueryFlags(QUERY_VOXEL);
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
                if (std::vector<Ogre::Vector3>* restPose = baseAnimation.findFrame(0.0f))
                    applyPose(std::vector<Ogre::Vector3>(*restPose));
                resetToRestPose();
            });
        break;
    case OIS::KC_O:
        asStep("hidden voxel removal",
               [&]
               {
                   const size_t before = voxels.size();
                   runLogged([&] { removeHiddenVoxels(); });
                   const size_t removed = before - voxels.size();
                   showNote("Removed " + std::to_string(removed) +
                            (removed == 1 ? " hidden voxel" : " hidden voxels"));
               });
        break;
    case OIS::KC_X:
        // Not a change: it only decides what the next edits do.
        runLogged([&] { setMirrorEditing(!mirrorEditing); });
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

bool EditorMode::keyReleased(const KeyEvent& event)
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
    if (isKeyDown(OIS::KC_LCONTROL))
        return;
    cameraVelocity.z = float(isKeyDown(OIS::KC_W)) - float(isKeyDown(OIS::KC_S));
    cameraVelocity.x = float(isKeyDown(OIS::KC_D)) - float(isKeyDown(OIS::KC_A));
}

bool EditorMode::mouseMoved(const Ogre::Vector2& delta)
{
    if (isKeyDown(OIS::KC_LSHIFT))
    {
        Ogre::Camera* camera = getGraphics()->camera;
        camera->yaw(Ogre::Radian(-0.005f * delta.x));
        camera->pitch(Ogre::Radian(-0.005f * delta.y));
    }
    return true;
}

bool EditorMode::mousePressed(const OIS::MouseButtonID& button)
{
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
    if (mirrorLine && mirrorLine->getParentSceneNode())
        mirrorLine->getParentSceneNode()->setOrientation(modelOrientation);

    watchUnsavedWork();
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

int EditorMode::pickVoxel(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance)
{
    hitDistance = -1.0f;
    if (!voxelBatches)
        return -1;
    Voxel* voxel = voxelBatches->pick(ray, queryMask, hitDistance);
    return voxel ? findVoxel(voxel) : -1;
}

int EditorMode::pickVoxelByEveryBox(const Ogre::Ray& ray, unsigned queryMask,
                                    float& hitDistance) const
{
    int best = -1;
    hitDistance = -1.0f;
    for (size_t i = 0; i < voxels.size(); ++i)
    {
        const Voxel& voxel = *voxels[i];
        if ((voxel.getQueryFlags() & queryMask) != queryMask)
            continue;
        const std::pair<bool, Ogre::Real> hit = ray.intersects(VoxelBatches::pickBox(voxel));
        if (hit.first && (best < 0 || hit.second < hitDistance ||
                          (hit.second == hitDistance &&
                           VoxelBatches::nameBefore(voxel.getBoxNumber(),
                                                    voxels[size_t(best)]->getBoxNumber()))))
        {
            best = int(i);
            hitDistance = hit.second;
        }
    }
    return best;
}

VoxelBatches* EditorMode::getVoxelBatches()
{
    if (!voxelBatches)
        voxelBatches = new VoxelBatches(getGraphics()->sceneManager);
    return voxelBatches;
}

Voxel* EditorMode::createVoxel() { return new Voxel(getVoxelBatches()); }

void EditorMode::addVoxel(int x, int y, int z, const Ogre::ColourValue& colour, uint32_t queryFlags)
{
    const Voxel::Cell cell{x, y, z};
    if (getVoxelBatches()->findAt(cell))
        return;

    Voxel* voxel = createVoxel();
    voxel->build(Ogre::ColourValue(0.5f, 0.5f, 0.5f, 1.0f));
    voxel->setQueryFlags(queryFlags);
    voxels.push_back(voxel);
    voxel->setGridPosition(x, y, z);
    voxel->setColour(colour);
    history->voxelAdded(int(voxels.size()) - 1);
}

void EditorMode::removeVoxel(int index)
{
    if (index < 0 || size_t(index) >= voxels.size())
        return;
    history->voxelRemoving(index);
    Voxel* voxel = voxels[index];
    voxels.erase(voxels.begin() + index);
    destroyVoxel(voxel);
}

void EditorMode::removeVoxels(const std::vector<int>& indices)
{
    if (history->isOpen())
    {
        // One by one from the back, so that the history records each voxel's place in the
        // list and in its group as it is when the voxel goes; undo puts them back front first.
        std::vector<int> sorted;
        for (int index : indices)
            if (index >= 0 && size_t(index) < voxels.size())
                sorted.push_back(index);
        std::sort(sorted.begin(), sorted.end());
        sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
        for (auto index = sorted.rbegin(); index != sorted.rend(); ++index)
            removeVoxel(*index);
        return;
    }
    for (int index : indices)
    {
        if (index < 0 || size_t(index) >= voxels.size() || !voxels[index])
            continue;
        destroyVoxel(voxels[index]);
        voxels[index] = nullptr;
    }
    voxels.erase(std::remove(voxels.begin(), voxels.end(), nullptr), voxels.end());
}

int EditorMode::findVoxel(const Voxel* voxel) const
{
    if (!voxel)
        return -1;
    for (size_t i = 0; i < voxels.size(); ++i)
        if (voxels[i] == voxel)
            return int(i);
    return -1;
}

std::vector<Ogre::ColourValue> EditorMode::realColours() const
{
    std::unordered_map<const Voxel*, Ogre::ColourValue> shownOtherwise;
    if (toolMode)
        toolMode->collectRealColours(shownOtherwise);
    std::vector<Ogre::ColourValue> colours;
    colours.reserve(voxels.size());
    for (const Voxel* voxel : voxels)
    {
        const auto real = shownOtherwise.find(voxel);
        colours.push_back(real != shownOtherwise.end() ? real->second : voxel->getColour());
    }
    return colours;
}

void EditorMode::destroyVoxel(Voxel* voxel)
{
    if (toolMode)
        toolMode->voxelRemoved(voxel);
    if (skeleton)
        skeleton->unbindElement(voxel);
    delete voxel;
}

std::vector<bool> EditorMode::findSeenVoxels(int rayCount, bool bruteForce)
{
    Ogre::Vector3 minimum(1000.0f, 1000.0f, 1000.0f);
    Ogre::Vector3 maximum(-1000.0f, -1000.0f, -1000.0f);
    for (Voxel* voxel : voxels)
    {
        minimum.makeFloor(voxel->getPosition());
        maximum.makeCeil(voxel->getPosition());
    }
    const Ogre::Vector3 centre = minimum + (maximum - minimum) * 0.5f;

    std::unique_ptr<RayPickIndex> index;
    if (!bruteForce)
        index.reset(new RayPickIndex(voxels, QUERY_VOXEL));

    std::vector<bool> seen(voxels.size(), false);
    for (int ray = 0; ray < rayCount; ++ray)
    {
        // One call per statement: the order in which random numbers are drawn is fixed.
        float dx = Ogre::Math::SymmetricRandom();
        float dy = Ogre::Math::SymmetricRandom();
        float dz = Ogre::Math::SymmetricRandom();
        Ogre::Vector3 direction = Ogre::Vector3(dx, dy, dz).normalisedCopy();
        Ogre::Vector3 origin = centre + direction * 100.0f;
        float tx = Ogre::Math::RangeRandom(minimum.x, maximum.x);
        float ty = Ogre::Math::RangeRandom(minimum.y, maximum.y);
        float tz = Ogre::Math::RangeRandom(minimum.z, maximum.z);
        Ogre::Ray sightLine(origin, (Ogre::Vector3(tx, ty, tz) - origin).normalisedCopy());

        float hitDistance = -1.0f;
        const int hit = index ? index->pick(sightLine, hitDistance)
                              : pickVoxelByEveryBox(sightLine, QUERY_VOXEL, hitDistance);
        if (hit >= 0)
            seen[size_t(hit)] = true;
    }
    return seen;
}

// ---------------------------------------------------------------------------------------------
// Mirror editing

void EditorMode::setMirrorEditing(bool on)
{
    if (on == mirrorEditing)
        return;
    mirrorEditing = on;
    writeLog(on ? "mirror editing on" : "mirror editing off");
    if (on)
        createMirrorLine();
    else
        destroyMirrorLine();
    if (menuSystem && menuSystem->barMenuView)
        menuSystem->barMenuView->showMirror(on);
}

int EditorMode::voxelAtCell(const Voxel::Cell& cell) const
{
    // The cell's block says at once whether any voxel is there; the list order decides which.
    if (voxelBatches && !voxelBatches->findAt(cell))
        return -1;
    for (size_t i = 0; i < voxels.size(); ++i)
        if (voxels[i]->gridPosition == cell)
            return int(i);
    return -1;
}

int EditorMode::mirrorTwin(int index) const
{
    if (!mirrorEditing || index < 0 || size_t(index) >= voxels.size())
        return -1;
    return voxelAtCell(mirroredCell(voxels[size_t(index)]->gridPosition));
}

void EditorMode::createMirrorLine()
{
    Graphics* graphics = getGraphics();
    if (mirrorLine || !graphics || !graphics->sceneManager)
        return;
    Ogre::SceneManager* sceneManager = graphics->sceneManager;
    mirrorLine = sceneManager->createManualObject("mirrorPlane");
    mirrorLine->begin("MirrorPlane", Ogre::RenderOperation::OT_LINE_LIST,
                      Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME);
    // Over the grid's own line at x = 0, as long as the grid.
    mirrorLine->position(0.0f, 0.0f, -50.0f);
    mirrorLine->position(0.0f, 0.0f, 50.0f);
    mirrorLine->end();
    mirrorLine->setQueryFlags(0); // never picked: sculpting on the ground goes through it
    // Drawn after the grid, so that it wins where the two lines lie on each other.
    mirrorLine->setRenderQueueGroup(Ogre::RENDER_QUEUE_MAIN + 1);
    Ogre::SceneNode* node = sceneManager->getRootSceneNode()->createChildSceneNode(
        Ogre::Vector3::ZERO, modelOrientation);
    node->attachObject(mirrorLine);
}

void EditorMode::destroyMirrorLine()
{
    Graphics* graphics = getGraphics();
    if (!mirrorLine || !graphics || !graphics->sceneManager)
    {
        mirrorLine = nullptr;
        return;
    }
    Ogre::SceneManager* sceneManager = graphics->sceneManager;
    if (Ogre::SceneNode* node = mirrorLine->getParentSceneNode())
    {
        node->detachObject(mirrorLine);
        sceneManager->destroySceneNode(node);
    }
    sceneManager->destroyManualObject(mirrorLine);
    mirrorLine = nullptr;
}

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
    skeleton->bindToNearestSticks(std::vector<Skeleton::Element*>(voxels.begin(), voxels.end()));
}

void EditorMode::createSkeletonObjects()
{
    Ogre::SceneManager* sceneManager = getGraphics()->sceneManager;
    const std::string& group = Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME;
    auto attach = [&](Ogre::ManualObject* object)
    {
        Ogre::SceneNode* node = sceneManager->getRootSceneNode()->createChildSceneNode(
            Ogre::Vector3::ZERO, Ogre::Quaternion::IDENTITY);
        node->attachObject(object);
        object->setRenderQueueGroup(99);
        skeletonObjects.push_back(object);
        return node;
    };

    for (size_t i = 0; i < skeleton->entries.size(); ++i)
    {
        Ogre::ManualObject* object =
            sceneManager->createManualObject("boneParticle" + std::to_string(i));
        object->begin("BonePoint", Ogre::RenderOperation::OT_POINT_LIST, group);
        object->position(Ogre::Vector3::ZERO);
        object->end();
        // A two-unit cube around the point, so that the particle is easy to hit.
        object->setBoundingBox(Ogre::AxisAlignedBox(-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f));
        Ogre::SceneNode* node = attach(object);
        node->setPosition(skeleton->entries[i]->particle->position);
        object->setQueryFlags(QUERY_PARTICLE);
        object->getUserObjectBindings().setUserAny("particleIndex", Ogre::Any(int(i)));
    }

    const std::vector<Verlet::Stick*>& sticks = skeleton->system->sticks;
    for (size_t i = 0; i < sticks.size(); ++i)
    {
        Ogre::ManualObject* object = sceneManager->createManualObject("stick" + std::to_string(i));
        object->begin("Bones", Ogre::RenderOperation::OT_LINE_LIST, group);
        object->position(sticks[i]->a->position);
        object->position(sticks[i]->b->position);
        object->end();
        attach(object);
        object->setQueryFlags(QUERY_BONE);
    }

    Skeleton::ParticleEntry* left = skeleton->findEntry("lefthand");
    Skeleton::ParticleEntry* right = skeleton->findEntry("righthand");
    if (left && right)
    {
        const Ogre::Vector3& l = left->particle->position;
        const Ogre::Vector3& r = right->particle->position;
        Ogre::Vector3 along = (r - l).normalisedCopy();
        Ogre::ManualObject* object = sceneManager->createManualObject("hands");
        object->begin("HandToHand", Ogre::RenderOperation::OT_LINE_LIST, group);
        object->position(l - along * 5.0f);
        object->position(r + along * 5.0f);
        object->end();
        attach(object);
        object->setQueryFlags(QUERY_BONE);
    }
}

void EditorMode::destroySkeletonObjects()
{
    Graphics* graphics = getGraphics();
    Ogre::SceneManager* sceneManager = graphics ? graphics->sceneManager : nullptr;
    if (!sceneManager)
    {
        skeletonObjects.clear();
        return;
    }
    for (Ogre::ManualObject* object : skeletonObjects)
    {
        if (Ogre::SceneNode* node = object->getParentSceneNode())
        {
            node->detachObject(object);
            if (Ogre::Node* parent = node->getParent())
                parent->removeChild(node);
            sceneManager->destroySceneNode(node);
        }
        sceneManager->destroyManualObject(object);
    }
    skeletonObjects.clear();
}

// ---------------------------------------------------------------------------------------------
// Poses and animations

// Stored poses are in model space; modelOrientation only turns what is shown. Captured
// positions are therefore turned back before they are kept.
Ogre::Vector3 EditorMode::toModelSpace(const Ogre::Vector3& shown) const
{
    if (modelOrientation == Ogre::Quaternion::IDENTITY)
        return shown;
    return modelOrientation.Inverse() * shown;
}

void EditorMode::captureRestPose()
{
    baseAnimation.frames.clear();
    std::vector<Ogre::Vector3> pose;
    pose.reserve(skeleton->entries.size());
    for (Skeleton::ParticleEntry* entry : skeleton->entries)
        pose.push_back(toModelSpace(entry->particle->position));
    baseAnimation.frames[0.0f] = pose;
}

bool EditorMode::hasRestPose()
{
    const std::vector<Ogre::Vector3>* restPose = baseAnimation.findFrame(0.0f);
    return restPose && !restPose->empty() && restPose->size() == skeleton->system->particles.size();
}

void EditorMode::placeAtRest(const std::vector<Ogre::Vector3>& restPose)
{
    std::vector<Verlet::Particle*>& particles = skeleton->system->particles;
    for (size_t i = 0; i < particles.size() && i < restPose.size(); ++i)
    {
        const Ogre::Vector3 position = modelOrientation * restPose[i];
        particles[i]->position = position;
        particles[i]->oldPosition = position;
    }
    for (Voxel* voxel : voxels)
    {
        const Voxel::Cell& cell = voxel->getGridPosition();
        voxel->setPosition(modelOrientation *
                           (Ogre::Vector3(float(cell.x), float(cell.y), float(cell.z)) +
                            Ogre::Vector3(0.5f, 0.5f, 0.5f)));
    }
}

void EditorMode::applyPose(const std::vector<Ogre::Vector3>& pose)
{
    skeleton->setPose(pose, modelOrientation);
    destroySkeletonObjects();
    createSkeletonObjects();
    skeleton->updateElements(Ogre::Vector3::ZERO);
}

void EditorMode::resetToRestPose()
{
    if (skeleton->entries.empty())
        return;
    history->skeletonChanging();
    // The rest pose is the skeleton the voxels' cells were laid out on. A pose shown in the
    // animate view is never taken for it: the file would then pair that pose with cells bound
    // in another one. Only a skeleton without a rest pose yet (just loaded) takes its own.
    if (!hasRestPose())
        captureRestPose();
    const std::vector<Ogre::Vector3> restPose = *baseAnimation.findFrame(0.0f);
    placeAtRest(restPose);
    skeleton->computeBindOffsets();
    applyPose(restPose);
}

void EditorMode::setSkeletonSimulating(bool on)
{
    skeletonSimulating = on;
    for (Verlet::Particle* particle : skeleton->system->particles)
        particle->oldPosition = particle->position;
}

Animation* EditorMode::getAnimation(int index)
{
    if (size_t(unsigned(index)) < animations.size())
        return &animations[size_t(index)];
    return nullptr;
}

void EditorMode::appendBaseAnimationCopy()
{
    animations.push_back(baseAnimation);
    history->animationAdded(animations.back());
}

void EditorMode::setKeyFrame(int animation, float time, const std::vector<Ogre::Vector3>& positions)
{
    Animation* target = getAnimation(animation);
    if (!target)
        return;
    history->frameChanging(animation, time, positions);
    target->frames[time] = positions;
}

// ---------------------------------------------------------------------------------------------
// Undo, redo and unsaved work

void EditorMode::paintVoxel(int index, const Ogre::ColourValue& colour)
{
    history->colourChanging(index, colour);
    voxels[size_t(index)]->setColour(colour);
}

void EditorMode::moveVoxel(Voxel* voxel, int x, int y, int z)
{
    const Voxel::Cell before = voxel->gridPosition;
    const Ogre::Vector3 nodeBefore = voxel->getPosition();
    voxel->setGridPosition(x, y, z);
    history->cellChanged(voxel, before, nodeBefore);
}

Ogre::ColourValue EditorMode::voxelColour(const Voxel* voxel) const
{
    std::unordered_map<const Voxel*, Ogre::ColourValue> shownOtherwise;
    if (toolMode)
        toolMode->collectRealColours(shownOtherwise);
    const auto real = shownOtherwise.find(voxel);
    return real != shownOtherwise.end() ? real->second : voxel->colour;
}

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
    else if (posed)
    {
        // Taken back to a state recorded under a pose: the model view shows the rest pose.
        if (std::vector<Ogre::Vector3>* restPose = baseAnimation.findFrame(0.0f))
            runLogged([&] { applyPose(std::vector<Ogre::Vector3>(*restPose)); });
    }
    showNote(verb + ": " + name);
}

void EditorMode::showNote(const std::string& text)
{
    writeLog(text);
    if (menuSystem && menuSystem->barMenuView)
        menuSystem->barMenuView->showNote(text);
}

void EditorMode::save()
{
    // Animations made without an animation file go beside the model rather than nowhere.
    const bool newAnimationFile = animationFileName.empty() && !animations.empty();
    if (newAnimationFile)
        animationFileName = companionAnimationFileName(modelFileName);
    // Copies: saving may switch the view mode, and the names must not change under it.
    const std::string modelFile = modelFileName;
    const std::string animationFile = animationFileName;
    const int failuresBefore = saveFailures;
    // A save shows the rest pose in the model view; the animator comes back to the same
    // animation and time afterwards.
    const AnimateViewMode* animating = dynamic_cast<const AnimateViewMode*>(viewMode);
    const int animationShown = animating ? animating->currentAnimation : -1;
    const float timeShown = animating ? animating->currentTime : 0.0f;
    auto backToAnimation = [&]
    {
        if (animationShown < 0 || (viewMode && viewMode->name != "ModelView"))
            return;
        AnimateViewMode* view = new AnimateViewMode();
        setViewMode(view);
        view->selectAnimation(animationShown);
        view->setTime(timeShown);
    };
    // The re-binding a save makes joins the step it saves, so that undo takes both back.
    history->beginAmending();
    try
    {
        saveModel(modelFile, animationFile);
    }
    catch (...)
    {
        history->commit();
        runLogged(backToAnimation);
        throw;
    }
    history->commit();
    runLogged(backToAnimation);
    if (saveFailures != failuresBefore)
        return;
    history->markSaved();
    if (recovery)
        recovery->discard();
    recoveredPosition = ~0ULL;
    showNote(newAnimationFile ? "Saved, animations in " +
                                    std::filesystem::path(animationFile).filename().string()
                              : std::string("Saved"));
}

bool EditorMode::hasUnsavedChanges() const { return !history->isSaved(); }

bool EditorMode::writeRecoveryCopies()
{
    if (!recovery)
        return false;
    bool written = false;
    runLogged([&] { written = recovery->write(*this); });
    if (written)
        recoveredPosition = history->position();
    return written;
}

void EditorMode::watchUnsavedWork()
{
    const bool saved = history->isSaved();
    if (history->position() != shownPosition || saved != shownSaved)
    {
        shownPosition = history->position();
        shownSaved = saved;
        if (menuSystem && menuSystem->barMenuView)
            menuSystem->barMenuView->showStatus(
                std::filesystem::path(modelFileName).filename().string() + (saved ? "" : " *"));
    }
    if (!recovery || saved || history->position() == recoveredPosition)
        return;
    const double now = steadySeconds();
    if (now < nextRecoveryCheck)
        return;
    nextRecoveryCheck = now + RecoveryCopies::period();
    if (writeRecoveryCopies())
        writeLog("recovery copy written to " + recovery->modelCopy);
}
