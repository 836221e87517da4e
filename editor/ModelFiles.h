#pragma once

#include <string>

#include <OgreStringVector.h>

class EditorMode;
struct ModelDocument;

// The editor's files: which ones it works on, loading the model and its animations, saving
// them (Ctrl+S, the bar's "Save"), importing a .vox file and exporting glTF. ModelDocument
// reads and writes the text; this glue fills one from the editor and builds the editor from one.
class ModelFiles
{
public:
    explicit ModelFiles(EditorMode& editor) : editor(editor) {}

    // Chooses the file names from the command-line words and logs them.
    void chooseFileNames(const Ogre::StringVector& arguments);
    // Saves both files and notes the saved state.
    void save();
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

private:
    EditorMode& editor; // back pointer
};
