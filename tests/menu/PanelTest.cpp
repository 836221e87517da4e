#include "menu/Panel.h"
#include "menu/MenuPanel.h"
#include "tests/menu/MenuTestEngine.h"

#include <OgreOverlayContainer.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

namespace
{
// A panel built the way the menus build theirs.
std::unique_ptr<MenuPanel> makePanel(MenuTestEngine& test, float charHeight = -1,
                                     bool withText = true)
{
    auto panel = std::make_unique<MenuPanel>();
    panel->init(&test.mode);
    panel->enableSingleImage("MenuSystemControlBackground");
    if (withText)
        panel->enableText(Ogre::ColourValue::White, charHeight, -1);
    panel->attach(1);
    return panel;
}
} // namespace

TEST(Panel, FontSizeClassFollowsTheWholePixelHeight)
{
    EXPECT_EQ(Panel::sizedFontName("InputFontOutline", 14), "InputFontOutline050");
    MenuTestEngine test;
    // Heights are stored in whole pixels: 33.28 as 33, 35.9 as 35.
    for (auto [height, font] :
         {std::pair{33.28f, "050"}, {36.0f, "100"}, {13.0f, "025"}, {35.9f, "050"}})
    {
        EXPECT_EQ(makePanel(test, height)->textElement->getFontName(),
                  std::string("Latin1BasicFontOutline") + font)
            << height;
    }
}

TEST(Panel, SetFontAppliesAndRemovesTheFamilyAdjustment)
{
    MenuTestEngine test;
    test.setWindowSize(1280, 720);
    auto panel = makePanel(test, 20, true);
    Ogre::TextAreaOverlayElement2* text = panel->textElement;
    // The outline family shifts the text by -1.5 units (-1 pixel at 720) and spreads it.
    EXPECT_FLOAT_EQ(panel->fontOffset.y, -1.0f);
    EXPECT_FLOAT_EQ(text->getCharSpacing(), 0.045f);
    const float baseTop = text->getTop() - panel->fontOffset.y;
    const float left = text->getLeft();

    // Same family and height again: nothing moves.
    panel->setFont("BasicFontOutline");
    EXPECT_FLOAT_EQ(text->getTop(), baseTop - 1.0f);
    EXPECT_FLOAT_EQ(text->getLeft(), left);

    // An unknown family is used as it is, without spacing and without the old offset.
    panel->setFont("Handwriting");
    EXPECT_EQ(text->getFontName(), "Latin1Handwriting");
    EXPECT_FLOAT_EQ(text->getCharSpacing(), 0.0f);
    EXPECT_EQ(panel->fontOffset, Ogre::Vector3::ZERO);
    EXPECT_FLOAT_EQ(text->getTop(), baseTop);

    // A font the engine does not know fails, and leaves the offset consistent with the text.
    EXPECT_ANY_THROW(panel->setFont("NoSuchFont"));
    EXPECT_EQ(panel->fontOffset, Ogre::Vector3::ZERO);
}

TEST(MenuPanel, SetTextShowsLatin1ThroughUtf8)
{
    EXPECT_EQ(Panel::latin1ToUtf8("\xFF\x80 A"), "\xC3\xBF\xC2\x80 A");
    MenuTestEngine test;
    auto panel = makePanel(test);
    panel->setText("caf\xE9", "window");
    EXPECT_EQ(panel->textElement->getCaption(), "caf\xC3\xA9");
    EXPECT_EQ(panel->command, "window");

    test.application.singleByteText = false;
    panel->setText("\xC3\xA9");
    EXPECT_EQ(panel->textElement->getCaption(), "\xC3\xA9");

    // Without a text element the text is ignored, the command still taken.
    auto plain = makePanel(test, -1, false);
    plain->setText("x", "command");
    EXPECT_EQ(plain->command, "command");
    EXPECT_THROW(plain->enableSingleImage("Plain"), TextException) << "a second image halts";
}

TEST(PanelMotion, FramePanelsSwingPastTheirTargetAndFactoryPanelsAreDampedMore)
{
    // Sent 320 units to the left, as the side panel is when a menu slides out, at smoothing
    // 0.06: a frame panel's corners have damping 1.0, a factory panel's 0.85.
    struct Case
    {
        float damping, height, overshoot, overshootTolerance;
        int steps, stepTolerance;
    };
    for (const Case& c : {Case{1.0f, 1080, 42, 4, 50, 6}, Case{0.85f, 56, 4, 1.5f, 33, 4}})
    {
        SCOPED_TRACE(c.damping);
        MenuTestEngine test;
        auto panel = makePanel(test, -1, false);
        panel->smoothing = 0.06f;
        panel->topLeft->damping = panel->bottomRight->damping = c.damping;
        panel->targetSize = Ogre::Vector2(c.damping < 1 ? 316 : 320, c.height);
        panel->targetPosition = Ogre::Vector3(2, 0, 0);
        panel->snapToTarget();
        panel->targetPosition = Ogre::Vector3(2 - 320, 0, 0);
        int steps = 0;
        float overshoot = 0;
        for (; steps < 1000 && !panel->hasArrived(); ++steps)
        {
            test.stepParticles();
            panel->update(Application::fixedStep);
            overshoot = std::max(overshoot, panel->targetPosition.x - panel->topLeft->position.x);
        }
        EXPECT_NEAR(overshoot, c.overshoot, c.overshootTolerance);
        EXPECT_NEAR(steps, c.steps, c.stepTolerance);
    }
}

TEST(PanelMotion, SmoothingAboveOneJumpsTextColourFadesAndSizeNeverTurnsNegative)
{
    MenuTestEngine test;
    auto panel = makePanel(test);
    panel->smoothing = 2.0f;
    panel->targetPosition = Ogre::Vector3(300, 200, 0);
    panel->targetSize = Ogre::Vector2(50, 40);
    panel->textColour = Ogre::ColourValue::Red;
    panel->update(Application::fixedStep);
    EXPECT_TRUE(panel->hasArrived());
    EXPECT_FLOAT_EQ(panel->container->getLeft(), 300);
    EXPECT_FLOAT_EQ(panel->container->getHeight(), 40);
    EXPECT_EQ(panel->textElement->getColourTop(), Ogre::ColourValue::Red);

    panel = makePanel(test); // white text
    panel->smoothing = 0.06f;
    panel->targetSize = Ogre::Vector2(100, 50);
    panel->snapToTarget();

    // The fade takes 0.3 of the remaining way per step at smoothing 0.06, and does arrive.
    panel->textColour = Ogre::ColourValue(0, 0, 0, 1);
    panel->update(Application::fixedStep);
    EXPECT_NEAR(panel->textElement->getColourBottom().r, 0.7f, 1e-5);
    EXPECT_NEAR(panel->textElement->getColourTop().g, 0.7f, 1e-5);
    for (int i = 0; i < 60; ++i)
        panel->update(Application::fixedStep);
    EXPECT_EQ(panel->textElement->getColourBottom(), panel->textColour);

    // The bottom-right corner flung past the top-left one: the element collapses, never flips.
    panel->bottomRight->position = panel->topLeft->position + Ogre::Vector3(-30, -10, 0);
    panel->bottomRight->oldPosition = panel->bottomRight->position;
    panel->smoothing = 0.0f;
    panel->update(Application::fixedStep);
    EXPECT_EQ(panel->container->getWidth(), 0);
    EXPECT_EQ(panel->container->getHeight(), 0);
}

TEST(PanelMotion, DeactivatedPanelFreezesAndHidesOnlyWhenWhollyOffScreen)
{
    MenuTestEngine test;
    auto panel = makePanel(test, -1, false);
    panel->targetSize = Ogre::Vector2(320, 1080);
    // One pixel still shows at -319; -321 is off the left edge, 1081 below the bottom one.
    for (auto [x, y, visible] : {std::tuple{-319, 0, true}, {-321, 0, false}, {0, 1081, false}})
    {
        panel->setActive(true);
        panel->targetPosition = Ogre::Vector3(x, y, 0);
        panel->snapToTarget();
        panel->setActive(false);
        EXPECT_EQ(panel->container->isVisible(), visible) << x << ", " << y;
    }
    panel->targetPosition = Ogre::Vector3(500, 0, 0);
    panel->update(Application::fixedStep);
    EXPECT_FLOAT_EQ(panel->topLeft->position.y, 1081) << "targets change nothing while inactive";
}

TEST(Panel, OutlivingTheParticleSystemIsSafe)
{
    MenuTestEngine test;
    auto kept = makePanel(test);
    auto dropped = makePanel(test);
    const size_t before = test.mode.particleSystem->particles.size();
    dropped.reset();
    EXPECT_EQ(test.mode.particleSystem->particles.size(), before - 2);
    // The mode deletes its particle system before the menus die: the panel lets it go.
    test.mode.deactivate();
    kept.reset();
}
