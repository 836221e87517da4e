#include "app/Application.h"

#include "app/ApplicationMode.h"
#include "app/Input.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
// Records the calls the frame loop makes, in order, into one shared journal.
class JournalMode : public ApplicationMode
{
public:
    JournalMode(Application* application, std::vector<std::string>& journal)
        : ApplicationMode(application), journal(journal)
    {
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

    std::vector<std::string>& journal;
    float lastStep = 0.0f;
    float lastFrameTime = 0.0f;
};

// Input without devices: a capture only leaves a mark in the journal.
class JournalInput : public Input
{
public:
    explicit JournalInput(std::vector<std::string>& journal) : journal(journal) {}
    void capture() override { journal.push_back("capture"); }
    std::vector<std::string>& journal;
};

class ApplicationLoop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The application makes its data folder: keep it out of the real home.
        setenv("XDG_DATA_HOME", ::testing::TempDir().c_str(), 1);
        application = new Application();
        mode = new JournalMode(application, journal);
        application->currentMode = mode;
        application->input = new JournalInput(journal);
    }
    void TearDown() override
    {
        delete application; // also deletes the input
        delete mode;
    }

    int count(const std::string& call) const
    {
        return static_cast<int>(std::count(journal.begin(), journal.end(), call));
    }

    std::vector<std::string> journal;
    Application* application = nullptr;
    JournalMode* mode = nullptr;
};
} // namespace

TEST_F(ApplicationLoop, ShortFramesCarryTheirTimeOverToTheNextFrame)
{
    application->runFixedSteps(0.010f);
    EXPECT_TRUE(journal.empty()) << "no step, no input and no frame update below one step";
    EXPECT_FLOAT_EQ(application->accumulator, 0.010f);

    application->runFixedSteps(0.010f);
    EXPECT_EQ(journal, (std::vector<std::string>{"preStep", "capture", "update", "frameUpdate"}));
    EXPECT_NEAR(application->accumulator, 0.004f, 1e-6f);
    EXPECT_FLOAT_EQ(mode->lastStep, 0.016f);
    EXPECT_FLOAT_EQ(mode->lastFrameTime, 0.010f) << "frameUpdate gets the frame's own time";
}

TEST_F(ApplicationLoop, LongFrameRunsSeveralStepsButReadsInputOnce)
{
    application->runFixedSteps(0.1f);
    EXPECT_EQ(count("update"), 6);
    EXPECT_EQ(count("preStep"), 6);
    EXPECT_EQ(count("capture"), 1);
    EXPECT_EQ(count("frameUpdate"), 1);
    // Input is read inside the first step, after its preStep and before its update.
    ASSERT_GE(journal.size(), 3u);
    EXPECT_EQ(journal[0], "preStep");
    EXPECT_EQ(journal[1], "capture");
    EXPECT_EQ(journal[2], "update");
    EXPECT_EQ(journal.back(), "frameUpdate");
    EXPECT_NEAR(application->accumulator, 0.004f, 1e-5f);
    EXPECT_FLOAT_EQ(application->frameTime, 0.1f);
}

TEST_F(ApplicationLoop, StepCountHasNoUpperBound)
{
    application->runFixedSteps(1.0f); // a stalled second: 62.5 steps
    EXPECT_EQ(count("update"), 62);
    EXPECT_EQ(count("capture"), 1);
    EXPECT_NEAR(application->accumulator, 0.008f, 1e-4f);
}

TEST_F(ApplicationLoop, QuitRequestEndsTheLoopAfterTheNextFrame)
{
    Ogre::FrameEvent event;
    event.timeSinceLastEvent = 0.02f;
    event.timeSinceLastFrame = 0.02f;
    EXPECT_TRUE(application->frameRenderingQueued(event));
    mode->requestQuit();
    EXPECT_FALSE(application->frameRenderingQueued(event));
    EXPECT_EQ(application->state, Application::Quitting);
    EXPECT_EQ(count("update"), 2) << "the quitting frame still runs its steps";
}

TEST(ApplicationCommandLine, QuotesGroupAndBlanksTabsAndLineFeedsSeparate)
{
    EXPECT_EQ(Application::splitCommandLine("\"my model.xml\" anims.xml"),
              (Ogre::StringVector{"my model.xml", "anims.xml"}));
    EXPECT_EQ(Application::splitCommandLine("a.xml\tb.xml\nskip_config"),
              (Ogre::StringVector{"a.xml", "b.xml", "skip_config"}));
    EXPECT_TRUE(Application::splitCommandLine("").empty());
}

TEST(ApplicationTitle, BeginsWithNameAndVersion)
{
    const std::string title = Application::windowTitle();
    EXPECT_EQ(title.rfind("BRAMBLEWICK Voxel Editor 0.14", 0), 0u) << title;
    EXPECT_GT(title.size(), std::string("BRAMBLEWICK Voxel Editor 0.14").size());
}
