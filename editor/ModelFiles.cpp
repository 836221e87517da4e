#include "editor/ModelFiles.h"

#include "app/Log.h"
#include "app/SafeFile.h"
#include "editor/EditorMode.h"
#include "editor/ModelViewMode.h"
#include "editor/QueryFlags.h"
#include "editor/RecoveryTimer.h"
#include "editor/UndoHistory.h"
#include "editor/ViewMode.h"
#include "editor/Voxel.h"
#include "editor/VoxelModel.h"
#include "formats/Gltf.h"
#include "formats/Vox.h"
#include "menu/BarMenuView.h"
#include "menu/MenuSystem.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Animation.h"
#include "skeleton/ModelDocument.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreColourValue.h>
#include <OgreStringConverter.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{

std::string quoted(const std::string& fileName) { return "\"" + fileName + "\""; }

} // namespace

std::string ModelFiles::companionAnimationFileName(const std::string& modelFile)
{
    const std::filesystem::path model(modelFile);
    std::string stem = model.filename().string();
    if (Ogre::StringUtil::endsWith(stem, ".xml", true))
    {
        stem.resize(stem.size() - 4);
    }
    return (model.parent_path() / fitFileName(stem, "_animations.xml")).string();
}

void ModelFiles::chooseFileNames(const Ogre::StringVector& arguments)
{
    if (!arguments.empty() && Ogre::StringUtil::endsWith(arguments[0], ".xml", true))
        editor.modelFileName = arguments[0];
    // A .vox model is imported, and saved as the model file of the same name beside it. It has
    // no skeleton, so an animation file named with it would be emptied by the first save.
    const bool importing =
        !arguments.empty() && Ogre::StringUtil::endsWith(arguments[0], ".vox", true);
    if (importing)
    {
        editor.importFileName = arguments[0];
        editor.modelFileName =
            editor.importFileName.substr(0, editor.importFileName.size() - 4) + ".xml";
        writeLog("importing file " + editor.importFileName);
    }
    if (arguments.size() >= 2 && Ogre::StringUtil::endsWith(arguments[1], ".xml", true))
    {
        if (importing)
            writeLog("ERROR, no animation file with a .vox model, ignored " + arguments[1]);
        else
            editor.animationFileName = arguments[1];
    }
    // Animations made without an animation file are saved beside the model under this name;
    // the next start finds them there.
    if (editor.animationFileName.empty() && !importing)
    {
        const std::string companion = companionAnimationFileName(editor.modelFileName);
        std::error_code error;
        if (std::filesystem::is_regular_file(companion, error))
            editor.animationFileName = companion;
    }
    writeLog("using file " + editor.modelFileName);
    writeLog("using animation file " + editor.animationFileName);
}

void ModelFiles::save()
{
    // Animations made without an animation file go beside the model rather than nowhere.
    const bool newAnimationFile = editor.animationFileName.empty() && !editor.animations.empty();
    if (newAnimationFile)
        editor.animationFileName = companionAnimationFileName(editor.modelFileName);
    // Copies: saving may switch the view mode, and the names must not change under it.
    const std::string modelFile = editor.modelFileName;
    const std::string animationFile = editor.animationFileName;
    const int failuresBefore = saveFailures;
    // A save shows the rest pose in the model view; the animator comes back to the same
    // animation and time afterwards.
    const AnimateViewMode* animating = dynamic_cast<const AnimateViewMode*>(editor.viewMode);
    const int animationShown = animating ? animating->currentAnimation : -1;
    const float timeShown = animating ? animating->currentTime : 0.0f;
    auto backToAnimation = [&]
    {
        if (animationShown < 0 || (editor.viewMode && editor.viewMode->name != "ModelView"))
            return;
        AnimateViewMode* view = new AnimateViewMode();
        editor.setViewMode(view);
        view->selectAnimation(animationShown);
        view->setTime(timeShown);
    };
    // The re-binding a save makes joins the step it saves, so that undo takes both back.
    editor.history->beginAmending();
    try
    {
        saveModel(modelFile, animationFile);
    }
    catch (...)
    {
        editor.history->commit();
        runLogged(backToAnimation);
        throw;
    }
    editor.history->commit();
    runLogged(backToAnimation);
    if (saveFailures != failuresBefore)
        return;
    editor.history->markSaved();
    editor.recoveryTimer.discard();
    editor.showNote(newAnimationFile
                        ? "Saved, animations in " +
                              std::filesystem::path(animationFile).filename().string()
                        : std::string("Saved"));
}

void ModelFiles::saveModel(const std::string& modelFile, const std::string& animationFile)
{
    // Poses are never saved: the skeleton goes back to its rest pose and every voxel to its
    // nearest stick, so the file always holds fresh bindings of voxels that exist.
    // The skeleton view shows the rest pose already: a save there stays in it.
    if (!editor.viewMode ||
        (editor.viewMode->name != "ModelView" && editor.viewMode->name != "SkeletonView"))
    {
        editor.setViewMode(new ModelViewMode());
    }
    editor.rebindSkeleton();
    editor.resetToRestPose();
    // A failure shown for an earlier save must not outlive a save that works.
    if (editor.menuSystem && editor.menuSystem->barMenuView)
    {
        editor.menuSystem->barMenuView->clearMessage();
    }

    ModelDocument document;
    fillDocument(document);
    if (!writeModelFile(document, modelFile))
    {
        reportSaveFailure(modelFile);
    }
    if (!animationFile.empty() && !writeAnimationFile(document, animationFile))
    {
        reportSaveFailure(animationFile);
    }
}

void ModelFiles::loadModel(const std::string& modelFile, const std::string& animationFile)
{
    // Both files are read before anything is cleared: a file that cannot be read stops the
    // start-up with the model as it was.
    ModelDocument document;
    if (!readModelFile(modelFile, document))
    {
        return; // a new model
    }
    readAnimationFile(animationFile, document);
    for (const std::string& problem : document.problems)
    {
        writeLog("ERROR, " + modelFile + ": " + problem);
    }

    editor.model.clear();
    editor.skeleton->clearEntries();
    editor.destroySkeletonObjects();
    editor.baseAnimation.frames.clear(); // the loaded particles become the rest pose

    for (const ModelDocument::Voxel& voxel : document.voxels)
    {
        editor.model.add({voxel.x, voxel.y, voxel.z}, voxel.colour, 1);
    }
    if (!document.particles.empty())
    {
        buildSkeleton(document, *editor.skeleton);
        editor.createSkeletonObjects();
    }
    std::vector<VoxelModel::Group> groups;
    for (const ModelDocument::Group& group : document.groups)
    {
        groups.emplace_back(group.constraintIndex, group.voxels);
    }
    editor.model.setBindings(groups);

    const size_t particleCount = editor.skeleton->system->particles.size();
    for (size_t number = 1; number <= document.animations.size(); ++number)
    {
        // A key frame of another length (an empty one, one holding only controls, or any frame
        // beside a model without particles) is kept as it is and written back unchanged; it is
        // only never shown.
        for (const auto& [time, positions] : document.animations[number - 1].frames)
        {
            if (positions.size() != particleCount)
            {
                char timeText[64];
                std::snprintf(timeText, sizeof(timeText), "%f", static_cast<double>(time));
                writeLog("animation " + std::to_string(number) + " has a key frame at time " +
                         timeText + " with " + std::to_string(positions.size()) +
                         " positions for " + std::to_string(particleCount) +
                         " particles; it is kept but not shown");
            }
        }
        editor.animations.push_back(std::move(document.animations[number - 1]));
    }

    try
    {
        editor.resetToRestPose();
    }
    catch (const std::out_of_range& error)
    {
        const size_t stickCount = editor.skeleton->system->sticks.size();
        for (const auto& [stickIndex, group] : editor.skeleton->bindings)
        {
            if (stickIndex < 0 || static_cast<size_t>(stickIndex) >= stickCount)
            {
                throw std::out_of_range("couldn't read the model file " + quoted(modelFile) +
                                        ": a voxel group is bound to stick " +
                                        std::to_string(stickIndex) + ", but the skeleton has " +
                                        std::to_string(stickCount) + " sticks");
            }
        }
        throw std::out_of_range("couldn't read the model file " + quoted(modelFile) + ": " +
                                error.what());
    }
}

void ModelFiles::reportSaveFailure(const std::string& fileName)
{
    ++saveFailures;
    writeLog("ERROR, couldn't write " + fileName);
    std::cerr << "ERROR, couldn't write " << fileName << std::endl;
    // In the bar too: a user who never sees the terminal must not believe the work is safe.
    if (editor.menuSystem && editor.menuSystem->barMenuView)
    {
        editor.menuSystem->barMenuView->showMessage("couldn't write " + fileName);
    }
}

void ModelFiles::fillDocument(ModelDocument& document)
{
    document = ModelDocument();
    std::unordered_map<const Skeleton::Element*, int> voxelIndices;
    voxelIndices.reserve(editor.voxels.size());
    const std::vector<Ogre::ColourValue> colours = editor.realColours();
    for (size_t i = 0; i < editor.voxels.size(); ++i)
    {
        const Voxel* voxel = editor.voxels[i];
        voxelIndices.emplace(voxel, static_cast<int>(i)); // the first one wins, as a scan would
        const Voxel::Cell& cell = voxel->getGridPosition();
        document.voxels.push_back({cell.x, cell.y, cell.z, colours[i]});
    }

    std::unordered_map<const Verlet::Particle*, int> particleIds;
    // The rest pose in model space: the particles on screen are turned by modelOrientation, and
    // may show a key frame.
    const std::vector<Ogre::Vector3>* restPose = editor.baseAnimation.findFrame(0.0f);
    for (size_t i = 0; i < editor.skeleton->entries.size(); ++i)
    {
        const Skeleton::ParticleEntry* entry = editor.skeleton->entries[i];
        const Ogre::Vector3 position =
            restPose && restPose->size() == editor.skeleton->entries.size()
                ? (*restPose)[i]
                : entry->particle->position;
        particleIds.emplace(entry->particle, entry->id); // sticks name the first entry
        document.particles.push_back(
            {position, entry->particle->invMass, entry->id, entry->name, entry->bodyAreaHint});
    }
    for (const Verlet::Stick* stick : editor.skeleton->system->sticks)
    {
        const auto a = particleIds.find(stick->a);
        const auto b = particleIds.find(stick->b);
        document.sticks.push_back(
            {a != particleIds.end() ? a->second : 0, b != particleIds.end() ? b->second : 0});
    }

    for (const auto& [stickIndex, group] : editor.skeleton->bindings)
    {
        ModelDocument::Group written;
        written.constraintIndex = stickIndex;
        for (const Skeleton::Element* element : group.elements)
        {
            const auto index = voxelIndices.find(element);
            if (index == voxelIndices.end())
            {
                // Only a voxel that is no longer in the list; writing it would make the
                // file unreadable.
                writeLog("ERROR, bound voxel not in the voxel list, left out of the file");
                continue;
            }
            written.voxels.push_back(index->second);
        }
        document.groups.push_back(std::move(written));
    }
    document.animations = editor.animations;
}

void ModelFiles::exportModel()
{
    ModelDocument document;
    fillDocument(document);
    const std::string fileName =
        std::filesystem::path(editor.modelFileName).replace_extension(".glb").string();
    BarMenuView* bar = editor.menuSystem ? editor.menuSystem->barMenuView : nullptr;
    if (bar)
    {
        bar->clearMessage();
    }
    std::vector<std::string> warnings;
    try
    {
        exportGltf(document, fileName, warnings);
    }
    catch (const std::exception& error)
    {
        writeLog(std::string("ERROR, ") + error.what());
        if (bar)
        {
            bar->showMessage(error.what());
        }
        return;
    }
    for (const std::string& warning : warnings)
    {
        writeLog("export: " + warning);
    }
    writeLog("exported " + fileName);
    if (bar)
    {
        bar->showMessage("exported " + fileName, Ogre::ColourValue::White);
    }
}

void ModelFiles::importModel(const std::string& voxFile)
{
    std::error_code error;
    if (std::filesystem::exists(editor.modelFileName, error))
    {
        throw std::runtime_error("couldn't import \"" + voxFile + "\": its model file \"" +
                                 editor.modelFileName +
                                 "\" exists already; open that, or move it away to import again");
    }
    // Read before clearing: a refused file leaves the editor as it was.
    Vox::ReadReport report;
    const std::vector<Vox::Voxel> imported = Vox::read(voxFile, &report);

    editor.model.clear();
    editor.skeleton->clearEntries();
    editor.destroySkeletonObjects();
    editor.baseAnimation.frames.clear(); // the rest pose is taken again, from no particles

    for (const Vox::Voxel& voxel : imported)
        editor.model.add({voxel.x, voxel.y, voxel.z}, voxel.colour, QUERY_VOXEL);
    editor.resetToRestPose();
    writeLog("imported " + std::to_string(editor.voxels.size()) + " voxels from " + voxFile);
    if (report.framesLeftOut > 0 && editor.menuSystem && editor.menuSystem->barMenuView)
        editor.menuSystem->barMenuView->showMessage(
            "first of " + std::to_string(report.framesLeftOut + 1) +
            " animation frames imported, " + std::to_string(report.framesLeftOut) + " left out");
}
