// The model file and the animation file of EditorMode: the editor's side of ModelDocument,
// which reads and writes the text. A load builds the voxels, the skeleton and the bindings from
// the document; a save and an export fill one from them.

#include "editor/EditorMode.h"

#include "app/Log.h"
#include "app/SafeFile.h"
#include "editor/ModelViewMode.h"
#include "editor/ViewMode.h"
#include "editor/Voxel.h"
#include "formats/Gltf.h"
#include "menu/BarMenuView.h"
#include "menu/MenuSystem.h"
#include "skeleton/Animation.h"
#include "skeleton/ModelDocument.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticle.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreColourValue.h>

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

std::string EditorMode::companionAnimationFileName(const std::string& modelFile)
{
    const std::filesystem::path model(modelFile);
    std::string stem = model.filename().string();
    if (Ogre::StringUtil::endsWith(stem, ".xml", true))
    {
        stem.resize(stem.size() - 4);
    }
    return (model.parent_path() / fitFileName(stem, "_animations.xml")).string();
}

void EditorMode::saveModel(const std::string& modelFile, const std::string& animationFile)
{
    // Poses are never saved: the skeleton goes back to its rest pose and every voxel to its
    // nearest stick, so the file always holds fresh bindings of voxels that exist.
    if (!viewMode || viewMode->name != "ModelView")
    {
        setViewMode(new ModelViewMode());
    }
    rebindSkeleton();
    resetToRestPose();
    // A failure shown for an earlier save must not outlive a save that works.
    if (menuSystem && menuSystem->barMenuView)
    {
        menuSystem->barMenuView->clearMessage();
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

void EditorMode::loadModel(const std::string& modelFile, const std::string& animationFile)
{
    // Both files are read before anything is cleared: a file that cannot be read stops the
    // start-up with the model as it was.
    ModelDocument document;
    if (!readModelFile(modelFile, document))
    {
        return; // a new model
    }
    readAnimationFile(animationFile, document);

    // Bindings first: the voxels then go without a search through every group.
    skeleton->clearBindings();
    std::vector<int> allVoxels(voxels.size());
    for (size_t i = 0; i < allVoxels.size(); ++i)
    {
        allVoxels[i] = static_cast<int>(i);
    }
    removeVoxels(allVoxels);
    skeleton->clearEntries();
    destroySkeletonObjects();
    skeleton->clearBindings();
    baseAnimation.frames.clear(); // the loaded particles become the rest pose

    for (const ModelDocument::Voxel& voxel : document.voxels)
    {
        addVoxel(voxel.x, voxel.y, voxel.z, voxel.colour, 1);
    }
    if (!document.particles.empty())
    {
        buildSkeleton(document, *skeleton);
        createSkeletonObjects();
    }
    for (const ModelDocument::Group& group : document.groups)
    {
        Skeleton::BindingGroup bound;
        bound.constraintIndex = group.constraintIndex;
        for (int index : group.voxels)
        {
            bound.elements.push_back(voxels.at(index));
        }
        skeleton->bindings[group.constraintIndex] = std::move(bound);
    }

    const size_t particleCount = skeleton->system->particles.size();
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
        animations.push_back(std::move(document.animations[number - 1]));
    }

    try
    {
        resetToRestPose();
    }
    catch (const std::out_of_range& error)
    {
        const size_t stickCount = skeleton->system->sticks.size();
        for (const auto& [stickIndex, group] : skeleton->bindings)
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

void EditorMode::reportSaveFailure(const std::string& fileName)
{
    ++saveFailures;
    writeLog("ERROR, couldn't write " + fileName);
    std::cerr << "ERROR, couldn't write " << fileName << std::endl;
    // In the bar too: a user who never sees the terminal must not believe the work is safe.
    if (menuSystem && menuSystem->barMenuView)
    {
        menuSystem->barMenuView->showMessage("couldn't write " + fileName);
    }
}

void EditorMode::fillDocument(ModelDocument& document)
{
    document = ModelDocument();
    std::unordered_map<const Skeleton::Element*, int> voxelIndices;
    voxelIndices.reserve(voxels.size());
    const std::vector<Ogre::ColourValue> colours = realColours();
    for (size_t i = 0; i < voxels.size(); ++i)
    {
        const Voxel* voxel = voxels[i];
        voxelIndices.emplace(voxel, static_cast<int>(i)); // the first one wins, as a scan would
        const Voxel::Cell& cell = voxel->getGridPosition();
        document.voxels.push_back({cell.x, cell.y, cell.z, colours[i]});
    }

    std::unordered_map<const Verlet::Particle*, int> particleIds;
    // The rest pose in model space: the particles on screen are turned by modelOrientation, and
    // may show a key frame.
    const std::vector<Ogre::Vector3>* restPose = baseAnimation.findFrame(0.0f);
    for (size_t i = 0; i < skeleton->entries.size(); ++i)
    {
        const Skeleton::ParticleEntry* entry = skeleton->entries[i];
        const Ogre::Vector3 position = restPose && restPose->size() == skeleton->entries.size()
                                           ? (*restPose)[i]
                                           : entry->particle->position;
        particleIds.emplace(entry->particle, entry->id); // sticks name the first entry
        document.particles.push_back(
            {position, entry->particle->invMass, entry->id, entry->name, entry->bodyAreaHint});
    }
    for (const Verlet::Stick* stick : skeleton->system->sticks)
    {
        const auto a = particleIds.find(stick->a);
        const auto b = particleIds.find(stick->b);
        document.sticks.push_back({a != particleIds.end() ? a->second : 0,
                                   b != particleIds.end() ? b->second : 0});
    }

    for (const auto& [stickIndex, group] : skeleton->bindings)
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
    document.animations = animations;
}

void EditorMode::exportModel()
{
    ModelDocument document;
    fillDocument(document);
    const std::string fileName =
        std::filesystem::path(modelFileName).replace_extension(".glb").string();
    BarMenuView* bar = menuSystem ? menuSystem->barMenuView : nullptr;
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
