#include "cli/render/Preview.h"

#include "editor/EditorMode.h"
#include "editor/Voxel.h"
#include "skeleton/ModelDocument.h"
#include "tests/editor/EditorTestFixture.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

using Ogre::Vector3;

namespace
{

ModelDocument sample()
{
    ModelDocument document;
    readModelFile((EXAMPLES / "bramblewick.xml").string(), document);
    readAnimationFile((EXAMPLES / "bramblewick_animations.xml").string(), document);
    return document;
}

} // namespace

// Through every animation of the sample, each voxel's centre is where the editor's animate
// view shows it.
TEST(Preview, VoxelsStandWhereTheAnimateViewShowsThem)
{
    const ModelDocument document = sample();
    Preview preview(document, Preview::View::Front, 64, 64);
    EditorTestFixture session;
    session.loadSample();
    EditorMode* editor = session.editor;
    std::map<std::tuple<int, int, int>, Voxel*> voxelAt;
    for (Voxel* voxel : editor->getVoxels())
        voxelAt[{voxel->gridPosition.x, voxel->gridPosition.y, voxel->gridPosition.z}] = voxel;
    ASSERT_EQ(voxelAt.size(), document.voxels.size());

    float largestError = 0.0f;
    for (size_t a = 0; a < document.animations.size(); ++a)
    {
        std::vector<std::string> warnings;
        preview.setAnimation(&document.animations[a], "animation", warnings);
        EXPECT_TRUE(warnings.empty());
        for (float time : {0.0f, 0.3f, 0.55f, 1.0f})
        {
            std::vector<Vector3> pose;
            editor->animations[a].samplePose(time, pose);
            editor->applyPose(pose);
            Preview::Frame frame;
            frame.time = time;
            const std::vector<Vector3> centres = preview.centres(frame);
            for (size_t i = 0; i < centres.size(); ++i)
            {
                const ModelDocument::Voxel& voxel = document.voxels[i];
                const Vector3 shown = voxelAt.at({voxel.x, voxel.y, voxel.z})->getPosition();
                largestError = std::max(largestError, (centres[i] - shown).length());
            }
        }
    }
    EXPECT_LT(largestError, 1.0e-4f);
}

// Every framed camera holds every corner of every voxel of every frame inside the picture,
// for an animation and for a turntable of it; a loop has one frame per 1/30 s of the walk.
TEST(Preview, FramingHoldsEveryVoxelOfEveryFrame)
{
    const ModelDocument document = sample();
    const Animation& walk = document.animations[1];
    const std::vector<Preview::Frame> loop = Preview::loop(walk, 30.0f);
    ASSERT_EQ(loop.size(), 30u);
    EXPECT_NEAR(loop[1].start, 1.0 / 30.0, 1e-9);
    EXPECT_NEAR(loop.back().start + loop.back().duration, 1.0, 1e-9);
    const std::vector<Preview::Frame> turn = Preview::turntable(16, &walk, 30.0f);
    ASSERT_EQ(turn.size(), 16u);

    for (Preview::View view : {Preview::View::Front, Preview::View::Back, Preview::View::Left,
                               Preview::View::Right, Preview::View::Iso})
    {
        for (const auto& [width, height] : {std::pair(300, 120), std::pair(100, 260)})
        {
            for (const std::vector<Preview::Frame>* frames : {&loop, &turn})
            {
                Preview preview(document, view, width, height);
                std::vector<std::string> warnings;
                preview.setAnimation(&walk, "walk", warnings);
                preview.fit(*frames);
                float lowest = 1e9f, highest = -1e9f;
                for (const Preview::Frame& frame : *frames)
                {
                    const CubeRasterizer rasterizer(preview.cameraOf(frame), width, height);
                    for (const Vector3& centre : preview.centres(frame))
                        for (int corner = 0; corner < 8; ++corner)
                        {
                            const Vector3 point = centre + Vector3(corner & 1 ? 0.5f : -0.5f,
                                                                   corner & 2 ? 0.5f : -0.5f,
                                                                   corner & 4 ? 0.5f : -0.5f);
                            float x, y;
                            ASSERT_TRUE(rasterizer.project(point, x, y));
                            ASSERT_TRUE(x >= 0 && x <= width && y >= 0 && y <= height)
                                << int(view) << ": " << x << ", " << y;
                            lowest = std::min(lowest, y);
                            highest = std::max(highest, y);
                        }
                }
                // ... and the model is not lost in the picture either.
                EXPECT_GT(highest - lowest, 0.3f * float(std::min(width, height)));
            }
        }
    }
}
