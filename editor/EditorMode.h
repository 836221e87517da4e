#pragma once

#include "app/ApplicationMode.h"
#include "editor/MirrorEditing.h"
#include "editor/ModelFiles.h"
#include "editor/Posing.h"
#include "editor/RecoveryTimer.h"
#include "editor/SkeletonDisplay.h"
#include "editor/Voxel.h"
#include "editor/VoxelModel.h"
#include "skeleton/Animation.h"

#include <OgreQuaternion.h>
#include <OgreRay.h>
#include <OgreVector.h>
#include <OgreWindowEventUtilities.h>

#include <functional>
#include <string>
#include <vector>

class Graphics;
class MenuPanelManager;
class MenuSystem;
class Skeleton;
struct ModelDocument;
class ToolMode;
class UndoHistory;
class ViewMode;
class VoxelBatches;
namespace Ogre
{
class ManualObject;
class MovableObject;
} // namespace Ogre

// The one mode of the program: owns the model, the skeleton, the animations, the view mode,
// the tool and the menus; flies the camera and turns input into editor commands.
class EditorMode : public ApplicationMode, public OgreBites::WindowEventListener
{
public:
    explicit EditorMode(Application* application);
    ~EditorMode() override;

    // --- ApplicationMode ---
    bool keyPressed(const KeyEvent& event) override;
    bool keyReleased(const KeyEvent& event) override;
    void prepare(const Ogre::StringVector& arguments) override;
    // Releases the tool, the view mode and the menus before the mode's particle system goes.
    void deactivate() override;
    void update(float timeStep) override;
    void frameUpdate(float frameTime) override;
    bool mouseMoved(const Ogre::Vector2& delta) override;
    bool mousePressed(const OIS::MouseButtonID& button) override;
    bool mouseReleased(const OIS::MouseButtonID& button) override;

    // --- window events ---
    void windowFocusChange(Ogre::RenderWindow* window) override;

    // --- view mode and tool ---
    void setViewMode(ViewMode* newViewMode);
    void setToolMode(ToolMode* newToolMode);

    // --- picking; screen coordinates are normalised (-1 to 1, y up) ---
    Ogre::Ray getPointerRay();
    Ogre::Vector3 getPointerScreenPosition();
    Ogre::Vector3 projectToScreen(const Ogre::Vector3& point);
    // Picks the scene's manual objects (the grid, bars, particles) through the graphics object.
    void pick(const Ogre::Ray& ray, unsigned queryMask, Ogre::MovableObject*& hitObject,
              float& hitDistance);
    int pickVoxel(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance)
    {
        return model.pick(ray, queryMask, hitDistance);
    }
    int pickVoxelByEveryBox(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance) const
    {
        return model.pickByEveryBox(ray, queryMask, hitDistance);
    }
    // The index of the voxel whose box the pointer ray hits first (mask 1), or -1.
    int voxelUnderPointer();

    // --- the voxel list: the model's operations under their editor names ---
    void addVoxel(int x, int y, int z, const Ogre::ColourValue& colour, uint32_t queryFlags)
    {
        model.add({x, y, z}, colour, queryFlags);
    }
    void removeVoxel(int index) { model.remove(index); }
    void removeVoxels(const std::vector<int>& indices) { model.removeSet(indices); }
    // The voxel's index in the list, or -1.
    int findVoxel(const Voxel* voxel) const { return model.find(voxel); }
    VoxelBatches* getVoxelBatches() { return model.getBatches(); }
    const std::vector<Voxel*>& getVoxels() const { return model.getVoxels(); }
    void paintVoxel(int index, const Ogre::ColourValue& colour) { model.paint(index, colour); }
    void moveVoxel(Voxel* voxel, int x, int y, int z) { model.moveTo(voxel, {x, y, z}); }
    std::vector<Ogre::ColourValue> realColours() const { return model.realColours(); }
    Ogre::ColourValue voxelColour(const Voxel* voxel) const { return model.voxelColour(voxel); }
    // Sculpts at the pointer: a voxel on the face or the ground cell the pointer is on.
    void addVoxelAtPointer();
    // Key O: removes the voxels no random sight line reaches, then binds again.
    void removeHiddenVoxels();
    std::vector<bool> findSeenVoxels(int rayCount, bool bruteForce)
    {
        return model.findSeen(rayCount, bruteForce);
    }

    // --- mirror editing (key X; an addition of this editor) ---
    static Voxel::Cell mirroredCell(const Voxel::Cell& cell)
    {
        return MirrorEditing::mirroredCell(cell);
    }
    void setMirrorEditing(bool on) { mirror.set(on); }
    int mirrorTwin(int index) const { return mirror.twin(index); }
    // Puts the camera at its start view: (0, 15, 70) looking at (0, 15, 0).
    void resetCamera();

    // --- skeleton display and binding ---
    void rebindSkeleton();
    void createSkeletonObjects() { skeletonDisplay.create(); }
    void destroySkeletonObjects() { skeletonDisplay.destroy(); }

    // --- poses and animations (see Posing) ---
    void captureRestPose() { posing.captureRestPose(); }
    bool hasRestPose() { return posing.hasRestPose(); }
    void placeAtRest(const std::vector<Ogre::Vector3>& restPose) { posing.placeAtRest(restPose); }
    Ogre::Vector3 toModelSpace(const Ogre::Vector3& shown) const
    {
        return posing.toModelSpace(shown);
    }
    void applyPose(const std::vector<Ogre::Vector3>& pose) { posing.applyPose(pose); }
    void resetToRestPose() { posing.resetToRestPose(); }
    void setSkeletonSimulating(bool on) { posing.setSkeletonSimulating(on); }
    Animation* getAnimation(int index) { return posing.getAnimation(index); }
    void appendBaseAnimationCopy() { posing.appendBaseAnimationCopy(); }
    void setKeyFrame(int animation, float time, const std::vector<Ogre::Vector3>& positions)
    {
        posing.setKeyFrame(animation, time, positions);
    }

    // --- undo, redo and the unsaved mark ---
    // Runs an action as one step of the history (or as part of the step already open).
    void asStep(const std::string& name, const std::function<void()>& action);
    void undo();
    void redo();
    // Saves both files as Ctrl+S and the bar's "Save" do, and notes the saved state.
    void save() { files.save(); }
    // Whether the model differs from what was last saved or loaded.
    bool hasUnsavedChanges() const;
    // Writes the recovery copies now; false when there is nowhere to write them.
    bool writeRecoveryCopies() { return recoveryTimer.write(); }
    // Tells the bar (or the log, without menus) a short note for a few seconds.
    void showNote(const std::string& text);

    // --- files (see ModelFiles) ---
    void saveModel(const std::string& modelFile, const std::string& animationFile)
    {
        files.saveModel(modelFile, animationFile);
    }
    void loadModel(const std::string& modelFile, const std::string& animationFile)
    {
        files.loadModel(modelFile, animationFile);
    }
    void importModel(const std::string& voxFile) { files.importModel(voxFile); }
    void fillDocument(ModelDocument& document) { files.fillDocument(document); }
    void exportModel() { files.exportModel(); }

    Graphics* getGraphics();
    // Sets cameraVelocity from the flight keys held now: W/S forwards and back, A/D sideways,
    // nothing while left Ctrl is held.
    void followFlightKeys();
    // Whether a key is held now (false without a keyboard).
    bool isKeyDown(int keyCode);

    Ogre::Vector3 cameraVelocity = Ogre::Vector3::ZERO;
    bool mouseButtonDown = false;
    ViewMode* viewMode = nullptr; // owned
    ToolMode* toolMode = nullptr; // owned
    // The voxel list, the cell table and the bindings' bookkeeping: every change goes there.
    VoxelModel model{*this};
    // The voxel list, read only.
    const std::vector<Voxel*>& voxels = model.getVoxels();
    Skeleton* skeleton = nullptr; // owned
    bool skeletonSimulating = false;
    SkeletonDisplay skeletonDisplay{*this};
    Animation baseAnimation;
    std::vector<Animation> animations;
    std::string modelFileName = "new.xml";
    std::string animationFileName;
    // A .vox file named instead of a model file: imported at start, never written.
    std::string importFileName;
    Ogre::Quaternion modelOrientation = Ogre::Quaternion::IDENTITY;
    MenuSystem* menuSystem = nullptr; // owned
    UndoHistory* history = nullptr;   // owned
    MirrorEditing mirror{*this};
    ModelFiles files{*this};
    RecoveryTimer recoveryTimer{*this};
    Posing posing{*this};
    // Engine tests without fonts or menu materials switch this off before prepare.
    bool createMenus = true;

private:
    void setUpScene();
    void createLight();
    void createGrid();
    // Deletes the tool, the view mode and the menu system, in that order.
    void releaseViewToolAndMenus();
    // Undoes (back) or redoes one step, unless a stroke is under way.
    void stepHistory(bool back);
    // After undo or redo: shows the pose the view wants and says what happened in the bar.
    void afterHistory(const std::string& verb, const std::string& name, bool posed);

    bool windowListenerAdded = false;
    bool gestureOpen = false; // a press reached the tool and its step is open
    // The menu that took the press of the button now held; it gets the release. Not owned: the
    // menu system keeps its views until the mode goes.
    MenuPanelManager* menuHoldingPress = nullptr;
};
