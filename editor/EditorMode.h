#pragma once

#include "app/ApplicationMode.h"
#include "editor/Voxel.h"
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
class RecoveryCopies;
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
}

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
    // The index of the voxel whose box the ray meets first among those whose query flags hold
    // every bit of queryMask, or -1; hitDistance is then -1.
    int pickVoxel(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance);
    // The same answer found by testing every voxel's box: the reference for the fast picks.
    int pickVoxelByEveryBox(const Ogre::Ray& ray, unsigned queryMask, float& hitDistance) const;

    // --- the voxel list ---
    void addVoxel(int x, int y, int z, const Ogre::ColourValue& colour, uint32_t queryFlags);
    void removeVoxel(int index);
    void removeVoxels(const std::vector<int>& indices);
    // The voxel's index in the list, or -1.
    int findVoxel(const Voxel* voxel) const;
    // A new voxel that draws in the editor's drawing layer once it is built.
    Voxel* createVoxel();
    // The drawing layer of the voxels, made on first use.
    VoxelBatches* getVoxelBatches();
    // Each voxel's own colour in list order, whatever colour a tool shows it in for now.
    std::vector<Ogre::ColourValue> realColours() const;
    std::vector<Voxel*> getVoxels() { return voxels; }
    void addVoxelAtPointer();
    // Paints the voxel at index and moves a voxel to a cell, as the paint and select tools do.
    void paintVoxel(int index, const Ogre::ColourValue& colour);
    void moveVoxel(Voxel* voxel, int x, int y, int z);
    // The voxel's own colour, also while the selection shows it red.
    Ogre::ColourValue voxelColour(const Voxel* voxel) const;
    // The index of the voxel whose box the pointer ray hits first (mask 1), or -1.
    int voxelUnderPointer();
    void removeHiddenVoxels();

    // --- mirror editing (key X; an addition of this editor) ---
    // The cell's mirror in the plane x = 0 of model space: (x, y, z) -> (-1 - x, y, z).
    static Voxel::Cell mirroredCell(const Voxel::Cell& cell)
    {
        return Voxel::Cell{-1 - cell.x, cell.y, cell.z};
    }
    // Switches mirror editing, the plane's line on the grid and "Mirror X" in the bar.
    void setMirrorEditing(bool on);
    // The index of the first voxel in the cell, or -1.
    int voxelAtCell(const Voxel::Cell& cell) const;
    // While mirror editing is on, the index of the voxel in the mirror cell of the voxel at
    // index; otherwise, or when that cell is empty, -1.
    int mirrorTwin(int index) const;
    // Casts rayCount random sight lines at the model as removeHiddenVoxels does and answers, per
    // voxel index, whether one of them hit that voxel first. bruteForce tests every box for
    // every ray; otherwise a grid index gives the same answers much faster.
    std::vector<bool> findSeenVoxels(int rayCount, bool bruteForce);
    // Puts the camera at its start view: (0, 15, 70) looking at (0, 15, 0).
    void resetCamera();

    // --- skeleton display and binding ---
    void rebindSkeleton();
    void createSkeletonObjects();
    void destroySkeletonObjects();

    // --- poses and animations ---
    void captureRestPose();
    // Whether baseAnimation holds a rest pose with one position per particle.
    bool hasRestPose();
    // Puts the particles in the given rest pose and every voxel at its cell, both turned by
    // modelOrientation, without touching bindings or offsets.
    void placeAtRest(const std::vector<Ogre::Vector3>& restPose);
    // A shown position taken back to model space (before modelOrientation).
    Ogre::Vector3 toModelSpace(const Ogre::Vector3& shown) const;
    void applyPose(const std::vector<Ogre::Vector3>& pose);
    void resetToRestPose();
    void setSkeletonSimulating(bool on);
    Animation* getAnimation(int index);
    void appendBaseAnimationCopy();
    // Stores a key frame of the animation at index, replacing one at exactly that time.
    void setKeyFrame(int animation, float time, const std::vector<Ogre::Vector3>& positions);

    // --- undo, redo and the unsaved mark ---
    // Runs an action as one step of the history (or as part of the step already open).
    void asStep(const std::string& name, const std::function<void()>& action);
    void undo();
    void redo();
    // Saves both files as Ctrl+S and the bar's "Save" do, and notes the saved state.
    void save();
    // Whether the model differs from what was last saved or loaded.
    bool hasUnsavedChanges() const;
    // Writes the recovery copies now; false when there is nowhere to write them.
    bool writeRecoveryCopies();
    // Tells the bar (or the log, without menus) a short note for a few seconds.
    void showNote(const std::string& text);

    // --- files ---
    // Chooses the file names from the command-line words and logs them.
    void chooseFileNames(const Ogre::StringVector& arguments);
    void saveModel(const std::string& modelFile, const std::string& animationFile);
    // "<model name without .xml>_animations.xml" beside the model: where animations made
    // without an animation file are saved, and found at the next start. A name past the
    // 255-byte limit is shortened with a hash.
    static std::string companionAnimationFileName(const std::string& modelFile);
    void loadModel(const std::string& modelFile, const std::string& animationFile);
    // Replaces the model by the voxels of a .vox file; the model file beside it must not exist
    // yet, so that the first save cannot overwrite work kept there.
    void importModel(const std::string& voxFile);
    // The model and its animations as the files hold them, from the voxel list, the skeleton in
    // its rest pose, the bindings and the animations, without changing any of them.
    void fillDocument(ModelDocument& document);
    // Writes "<model name>.glb" beside the model file; the bar says where, or why not.
    void exportModel();
    // Tells the user that a file could not be written (log, standard error and the bar menu).
    void reportSaveFailure(const std::string& fileName);
    int saveFailures = 0; // counts the files that could not be written

    Graphics* getGraphics();
    // Sets cameraVelocity from the flight keys held now: W/S forwards and back, A/D sideways,
    // nothing while left Ctrl is held.
    void followFlightKeys();
    // Whether a key is held now (false without a keyboard).
    bool isKeyDown(int keyCode);

    Ogre::Vector3 cameraVelocity = Ogre::Vector3::ZERO;
    bool mouseButtonDown = false;
    ViewMode* viewMode = nullptr;  // owned
    ToolMode* toolMode = nullptr;  // owned
    std::vector<Voxel*> voxels;    // voxels owned
    VoxelBatches* voxelBatches = nullptr; // owned; outlives every voxel
    Skeleton* skeleton = nullptr;  // owned
    bool skeletonSimulating = false;
    std::vector<Ogre::ManualObject*> skeletonObjects;
    Animation baseAnimation;
    std::vector<Animation> animations;
    std::string modelFileName = "new.xml";
    std::string animationFileName;
    // A .vox file named instead of a model file: imported at start, never written.
    std::string importFileName;
    Ogre::Quaternion modelOrientation = Ogre::Quaternion::IDENTITY;
    MenuSystem* menuSystem = nullptr; // owned
    UndoHistory* history = nullptr;   // owned
    RecoveryCopies* recovery = nullptr; // owned; only with a real window
    // Engine tests without fonts or menu materials switch this off before prepare.
    bool createMenus = true;
    // Mirror editing (key X): sculpt, paint and selection moves act on the mirror cells too.
    bool mirrorEditing = false;

private:
    void setUpScene();
    void createLight();
    void createGrid();
    // Destroys a voxel after telling the tool and the skeleton that it is gone.
    void destroyVoxel(Voxel* voxel);
    // Deletes the tool, the view mode and the menu system, in that order.
    void releaseViewToolAndMenus();
    // Undoes (back) or redoes one step, unless a stroke is under way.
    void stepHistory(bool back);
    // After undo or redo: shows the pose the view wants and says what happened in the bar.
    void afterHistory(const std::string& verb, const std::string& name, bool posed);
    // The file name with the unsaved mark in the bar, and the periodic recovery copy.
    void watchUnsavedWork();
    // The mirror plane's line on the grid, turned with the model; only while mirroring is on.
    void createMirrorLine();
    void destroyMirrorLine();

    Ogre::ManualObject* mirrorLine = nullptr;

    unsigned long long shownPosition = ~0ULL;
    bool shownSaved = false;
    unsigned long long recoveredPosition = 0;
    double nextRecoveryCheck = 0.0; // seconds of the steady clock

    bool windowListenerAdded = false;
    bool gestureOpen = false; // a press reached the tool and its step is open
    // The menu that took the press of the button now held; it gets the release. Not owned: the
    // menu system keeps its views until the mode goes.
    MenuPanelManager* menuHoldingPress = nullptr;
};

