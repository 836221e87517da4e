// Opening a MagicaVoxel .vox file in the editor: its voxels become the model, without a
// skeleton, and saving writes the model file beside it.

#include "editor/EditorMode.h"

#include "app/Log.h"
#include "editor/QueryFlags.h"
#include "editor/Voxel.h"
#include "formats/Vox.h"
#include "menu/BarMenuView.h"
#include "menu/MenuSystem.h"
#include "skeleton/Skeleton.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

void EditorMode::importModel(const std::string& voxFile)
{
    std::error_code error;
    if (std::filesystem::exists(modelFileName, error))
    {
        throw std::runtime_error("couldn't import \"" + voxFile + "\": its model file \"" +
                                 modelFileName +
                                 "\" exists already; open that, or move it away to import again");
    }
    // Read before clearing: a refused file leaves the editor as it was.
    Vox::ReadReport report;
    const std::vector<Vox::Voxel> imported = Vox::read(voxFile, &report);

    skeleton->clearBindings();
    std::vector<int> allVoxels(voxels.size());
    for (size_t i = 0; i < allVoxels.size(); ++i)
        allVoxels[i] = int(i);
    removeVoxels(allVoxels);
    skeleton->clearEntries();
    destroySkeletonObjects();
    baseAnimation.frames.clear(); // the rest pose is taken again, from no particles

    for (const Vox::Voxel& voxel : imported)
        addVoxel(voxel.x, voxel.y, voxel.z, voxel.colour, QUERY_VOXEL);
    resetToRestPose();
    writeLog("imported " + std::to_string(voxels.size()) + " voxels from " + voxFile);
    if (report.framesLeftOut > 0 && menuSystem && menuSystem->barMenuView)
        menuSystem->barMenuView->showMessage(
            "first of " + std::to_string(report.framesLeftOut + 1) +
            " animation frames imported, " + std::to_string(report.framesLeftOut) + " left out");
}
