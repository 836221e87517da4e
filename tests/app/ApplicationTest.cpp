#include "app/Application.h"

#include "app/ApplicationMode.h"
#include "app/Input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
using Journal = std::vector<std::string>;

// Records the calls the frame loop makes, in order; the input's captures go in the same journal.
struct JournalMode : ApplicationMode
{
    struct JournalInput : Input
    {
        explicit JournalInput(Journal& journal) : journal(journal) {}
        void capture() override { journal.push_back("capture"); }
        Journal& journal;
    };

    explicit JournalMode(Application* application) : ApplicationMode(application)
    {
        application->currentMode = this;
        application->input = new JournalInput(journal); // deleted by the application
    }
    void preStep() override { journal.push_back("preStep"); }
    void update(float timeStep) override
    {
        journal.push_back("update");
        lastStep = timeStep;
    }
    void frameUpdate(float frameTime) override
    {
        journal.push_back("frameUpdate");
        lastFrameTime = frameTime;
    }
    long count(const std::string& call) const
    {
        return std::count(journal.begin(), journal.end(), call);
    }

    Journal journal;
    float lastStep = 0.0f;
    float lastFrameTime = 0.0f;
};

class ApplicationLoop : public ::testing::Test
{
protected:
    ~ApplicationLoop() override { application.currentMode = nullptr; } // the mode goes first

    // The application makes its data folder: keep it out of the real home.
    int keepHome = setenv("XDG_DATA_HOME", ::testing::TempDir().c_str(), 1);
    Application application;
    JournalMode mode{&application};
};
} // namespace

TEST_F(ApplicationLoop, ShortFramesCarryTheirTimeOverToTheNextFrame)
{
    application.runFixedSteps(0.010f);
    EXPECT_TRUE(mode.journal.empty()) << "no step, no input and no frame update below one step";
    EXPECT_FLOAT_EQ(application.accumulator, 0.010f);

    application.runFixedSteps(0.010f);
    EXPECT_EQ(mode.journal, (Journal{"preStep", "capture", "update", "frameUpdate"}));
    EXPECT_NEAR(application.accumulator, 0.004f, 1e-6f);
    EXPECT_FLOAT_EQ(mode.lastStep, 0.016f);
    EXPECT_FLOAT_EQ(mode.lastFrameTime, 0.010f) << "frameUpdate gets the frame's own time";
}

TEST_F(ApplicationLoop, LongFramesRunEveryStepWithoutBoundButReadInputOnce)
{
    application.runFixedSteps(0.1f);
    EXPECT_EQ(mode.count("update"), 6);
    EXPECT_EQ(mode.count("preStep"), 6);
    EXPECT_EQ(mode.count("capture"), 1);
    EXPECT_EQ(mode.count("frameUpdate"), 1);
    // Input is read inside the first step, after its preStep and before its update.
    ASSERT_GE(mode.journal.size(), 3u);
    EXPECT_EQ(Journal(mode.journal.begin(), mode.journal.begin() + 3),
              (Journal{"preStep", "capture", "update"}));
    EXPECT_EQ(mode.journal.back(), "frameUpdate");
    EXPECT_NEAR(application.accumulator, 0.004f, 1e-5f);
    EXPECT_FLOAT_EQ(application.frameTime, 0.1f);

    mode.journal.clear();
    application.runFixedSteps(0.996f); // a stalled second: 62.5 steps
    EXPECT_EQ(mode.count("update"), 62);
    EXPECT_EQ(mode.count("capture"), 1);
    EXPECT_NEAR(application.accumulator, 0.008f, 1e-4f);
}

TEST_F(ApplicationLoop, QuitRequestEndsTheLoopAfterTheNextFrame)
{
    Ogre::FrameEvent event;
    event.timeSinceLastEvent = event.timeSinceLastFrame = 0.02f;
    EXPECT_TRUE(application.frameRenderingQueued(event));
    mode.requestQuit();
    EXPECT_FALSE(application.frameRenderingQueued(event));
    EXPECT_EQ(application.state, Application::Quitting);
    EXPECT_EQ(mode.count("update"), 2) << "the quitting frame still runs its steps";
}

TEST(ApplicationCommandLine, QuotesGroupAndBlanksTabsAndLineFeedsSeparate)
{
    EXPECT_EQ(Application::splitCommandLine("\"my model.xml\" anims.xml"),
              (Ogre::StringVector{"my model.xml", "anims.xml"}));
    EXPECT_EQ(Application::splitCommandLine("a.xml\tb.xml\nskip_config"),
              (Ogre::StringVector{"a.xml", "b.xml", "skip_config"}));
    EXPECT_TRUE(Application::splitCommandLine("").empty());
}
