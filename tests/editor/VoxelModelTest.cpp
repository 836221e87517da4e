#include "editor/VoxelModel.h"

#include "editor/VoxelBatches.h"
#include "formats/Vox.h"
#include "tests/editor/RandomEdits.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace
{

// The model's rules: one voxel per cell, the cell table and the drawing layer agree with the
// list, every binding names a voxel of the list and no voxel is in two groups.
void expectRules(EditorMode& editor, const std::string& when)
{
    const std::vector<Voxel*>& voxels = editor.voxels;
    VoxelBatches* batches = editor.getVoxelBatches();
    std::set<std::tuple<int, int, int>> cells;
    for (size_t i = 0; i < voxels.size(); ++i)
    {
        const Voxel::Cell& cell = voxels[i]->gridPosition;
        ASSERT_TRUE(cells.emplace(cell.x, cell.y, cell.z).second)
            << when << ": 2 voxels in cell " << cell.x << " " << cell.y << " " << cell.z;
        ASSERT_EQ(batches->findAt(cell), voxels[i]) << when;
        ASSERT_EQ(editor.findVoxel(voxels[i]), int(i)) << when;
    }
    ASSERT_EQ(batches->voxelCount(), voxels.size()) << when;
    std::set<const Skeleton::Element*> bound;
    for (const auto& [stick, group] : editor.skeleton->bindings)
        for (const Skeleton::Element* element : group.elements)
        {
            ASSERT_GE(editor.findVoxel(static_cast<const Voxel*>(element)), 0) << when;
            ASSERT_TRUE(bound.insert(element).second) << when << ": a voxel in two groups";
        }
}

} // namespace

// Random changes of every kind, undo and redo among them, on the sample and on an imported .vox
// model: after each the rules hold, and after every tenth the files a save writes open in a
// fresh editor, whose save writes the same bytes.
TEST(VoxelModel, EveryChangeKeepsTheRulesAndEverySaveOpensAgain)
{
    for (unsigned seed : {1u, 2u, 3u})
    {
        SampleSession session("rules-" + std::to_string(seed));
        if (seed == 3)
        {
            std::vector<Vox::Voxel> block;
            for (int i = 0; i < 300; ++i)
                block.push_back({i % 10 - 5, i / 100, (i / 10) % 10, Ogre::ColourValue::Green});
            Vox::write(block, session.folder.file("block.vox"));
            session.reopen({session.folder.file("block.vox")});
            ASSERT_EQ(session.editor->voxels.size(), 300u);
        }
        std::mt19937 random(seed);
        for (int change = 1; change <= 200; ++change)
        {
            randomChange(session, random, true);
            const std::string when =
                "seed " + std::to_string(seed) + ", change " + std::to_string(change);
            ASSERT_NO_FATAL_FAILURE(expectRules(*session.editor, when));
            if (change % 10)
                continue;
            const std::string written = session.save();
            ASSERT_NO_FATAL_FAILURE(
                session.reopen({session.editor->modelFileName, session.editor->animationFileName}));
            ASSERT_EQ(session.save(), written) << when;
        }
    }
}
