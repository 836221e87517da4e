#include "menu/Panel.h"
#include "menu/MenuPanel.h"
#include "tests/menu/MenuTestEngine.h"

#include <OgreOverlayContainer.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

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
    {
        panel->enableText(Ogre::ColourValue::White, charHeight, -1);
    }
    panel->attach(1);
    return panel;
}

// Steps until the panel has arrived; returns the number of steps and the largest distance the
// top-left corner went past its target along x (towards negative x).
struct Settling
{
    int steps = 0;
    float overshoot = 0;
};

Settling settle(MenuTestEngine& test, Panel& panel, int limit = 1000)
{
    Settling result;
    while (result.steps < limit && !panel.hasArrived())
    {
        test.stepParticles();
        panel.update(Application::fixedStep);
        ++result.steps;
        result.overshoot =
            std::max(result.overshoot, panel.targetPosition.x - panel.topLeft->position.x);
    }
    return result;
}

} // namespace

TEST(Panel, ElementNamesFollowTheProcessCounter)
{
    MenuTestEngine test;
    auto first = makePanel(test);
    auto second = makePanel(test, -1, false);
    unsigned n = Panel::panelCounter;
    EXPECT_EQ(first->container->getName(), "Panel" + std::to_string(n - 1));
    EXPECT_EQ(first->textElement->getName(), "PanelTextArea" + std::to_string(n - 1));
    EXPECT_EQ(second->container->getName(), "Panel" + std::to_string(n));
    EXPECT_EQ(second->textElement, nullptr);
    // A panel gets its container once; a second try is a programming error that stops.
    EXPECT_THROW(second->enableSingleImage("Plain"), TextException);
    // The defaults of a fresh image: 100 x 100 units, and the material asked for.
    EXPECT_EQ(second->targetSize, Ogre::Vector2(100, 100));
    EXPECT_EQ(second->container->getMaterialName(), "MenuSystemControlBackground");
    // The default text is 31.2 units high and starts 24 units in (plus the font's offset).
    EXPECT_FLOAT_EQ(first->textElement->getCharHeight(), 31.0f);
    EXPECT_FLOAT_EQ(first->textElement->getLeft(), 24.0f);
}

TEST(Panel, FontSizeClassFollowsTheWholePixelHeight)
{
    EXPECT_EQ(Panel::sizedFontName("BasicFontOutline", 36), "BasicFontOutline100");
    EXPECT_EQ(Panel::sizedFontName("BasicFontOutline", 35.99f), "BasicFontOutline050");
    EXPECT_EQ(Panel::sizedFontName("InputFontOutline", 14), "InputFontOutline050");
    EXPECT_EQ(Panel::sizedFontName("BasicFont", 13.99f), "BasicFont025");
    EXPECT_EQ(Panel::sizedFontName("Handwriting", 50), "Handwriting");

    MenuTestEngine test;
    // 33.28 pixels are stored as 33: the middle class.
    auto middle = makePanel(test, 33.28f);
    EXPECT_EQ(middle->textElement->getFontName(), "Latin1BasicFontOutline050");
    auto large = makePanel(test, 36);
    EXPECT_EQ(large->textElement->getFontName(), "Latin1BasicFontOutline100");
    auto small = makePanel(test, 13);
    EXPECT_EQ(small->textElement->getFontName(), "Latin1BasicFontOutline025");
    // Just under a threshold: 35.9 is stored as 35.
    auto truncated = makePanel(test, 35.9f);
    EXPECT_EQ(truncated->textElement->getFontName(), "Latin1BasicFontOutline050");
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
    float baseTop = text->getTop() - panel->fontOffset.y;
    float left = text->getLeft();

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
    EXPECT_EQ(Panel::latin1ToUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(Panel::latin1ToUtf8("\xFF\x80 A"), "\xC3\xBF\xC2\x80 A");

    MenuTestEngine test;
    auto panel = makePanel(test);
    panel->setText("Fen\xEAtre", "window");
    EXPECT_EQ(panel->textElement->getCaption(), "Fen\xC3\xAAtre");
    EXPECT_EQ(panel->command, "window");

    test.application.singleByteText = false;
    panel->setText("\xC3\xA9");
    EXPECT_EQ(panel->textElement->getCaption(), "\xC3\xA9");

    // Without a text element the text is ignored, the command still taken.
    auto plain = makePanel(test, -1, false);
    plain->setText("x", "command");
    EXPECT_EQ(plain->command, "command");
}

TEST(PanelMotion, SmoothingAboveOneJumpsInOneUpdate)
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
    EXPECT_FLOAT_EQ(panel->container->getWidth(), 50);
    EXPECT_FLOAT_EQ(panel->container->getHeight(), 40);
    EXPECT_EQ(panel->textElement->getColourTop(), Ogre::ColourValue::Red);
}

TEST(PanelMotion, FramePanelSwingsPastItsTargetAndSettles)
{
    // A frame panel of the menu system: particle damping 1.0, smoothing 0.06, sent 320 units
    // to the left as the side panel is when a menu slides out.
    MenuTestEngine test;
    auto panel = makePanel(test, -1, false);
    panel->smoothing = 0.06f;
    panel->targetSize = Ogre::Vector2(320, 1080);
    panel->targetPosition = Ogre::Vector3(2, 0, 0);
    panel->snapToTarget();
    panel->targetPosition = Ogre::Vector3(2 - 320, 0, 0);
    Settling result = settle(test, *panel);
    RecordProperty("overshoot", std::to_string(result.overshoot));
    RecordProperty("steps", result.steps);
    EXPECT_NEAR(result.overshoot, 42, 4);
    EXPECT_NEAR(result.steps, 50, 6);
    EXPECT_TRUE(panel->hasArrived());
}

TEST(PanelMotion, FactoryPanelIsDampedMore)
{
    MenuTestEngine test;
    auto panel = makePanel(test, -1, false);
    panel->smoothing = 0.06f;
    panel->topLeft->damping = 0.85f;
    panel->bottomRight->damping = 0.85f;
    panel->targetSize = Ogre::Vector2(316, 56);
    panel->targetPosition = Ogre::Vector3(2, 0, 0);
    panel->snapToTarget();
    panel->targetPosition = Ogre::Vector3(2 - 320, 0, 0);
    Settling result = settle(test, *panel);
    RecordProperty("overshoot", std::to_string(result.overshoot));
    RecordProperty("steps", result.steps);
    EXPECT_NEAR(result.overshoot, 4, 1.5);
    EXPECT_NEAR(result.steps, 33, 4);
}

TEST(PanelMotion, TextColourFadesAndSizeNeverTurnsNegative)
{
    MenuTestEngine test;
    auto panel = makePanel(test);
    panel->smoothing = 0.06f;
    panel->targetSize = Ogre::Vector2(100, 50);
    panel->snapToTarget();

    // The fade takes 0.3 of the remaining way per step at smoothing 0.06...
    panel->textColour = Ogre::ColourValue(0, 0, 0, 1);
    panel->update(Application::fixedStep);
    EXPECT_NEAR(panel->textElement->getColourBottom().r, 0.7f, 1e-5);
    EXPECT_NEAR(panel->textElement->getColourTop().g, 0.7f, 1e-5);
    // ... and does reach its colour exactly.
    for (int i = 0; i < 60; ++i)
    {
        panel->update(Application::fixedStep);
    }
    EXPECT_EQ(panel->textElement->getColourBottom(), panel->textColour);

    // The bottom-right corner flung past the top-left one: the element collapses, never flips.
    panel->bottomRight->position = panel->topLeft->position + Ogre::Vector3(-30, -10, 0);
    panel->bottomRight->oldPosition = panel->bottomRight->position;
    panel->smoothing = 0.0f;
    panel->update(Application::fixedStep);
    EXPECT_EQ(panel->container->getWidth(), 0);
    EXPECT_EQ(panel->container->getHeight(), 0);
}

TEST(PanelMotion, DeactivatedPanelHidesOnlyWhenWhollyOffScreen)
{
    MenuTestEngine test;
    auto panel = makePanel(test, -1, false);
    panel->targetSize = Ogre::Vector2(320, 1080);
    panel->targetPosition = Ogre::Vector3(-319, 0, 0); // one pixel still shows
    panel->snapToTarget();
    panel->setActive(false);
    EXPECT_TRUE(panel->container->isVisible());
    EXPECT_FALSE(panel->topLeft->simulated);

    // Frozen: targets change nothing while inactive.
    panel->targetPosition = Ogre::Vector3(500, 0, 0);
    panel->update(Application::fixedStep);
    EXPECT_FLOAT_EQ(panel->topLeft->position.x, -319);

    panel->setActive(true);
    panel->targetPosition = Ogre::Vector3(-321, 0, 0);
    panel->snapToTarget();
    panel->setActive(false);
    EXPECT_FALSE(panel->container->isVisible());
    panel->setActive(true);
    EXPECT_TRUE(panel->container->isVisible());
    EXPECT_TRUE(panel->bottomRight->simulated);

    // Below the window's bottom edge counts as off screen too.
    panel->targetPosition = Ogre::Vector3(0, 1081, 0);
    panel->snapToTarget();
    panel->setActive(false);
    EXPECT_FALSE(panel->container->isVisible());
}

TEST(Panel, OutlivingTheParticleSystemIsSafe)
{
    MenuTestEngine test;
    auto kept = makePanel(test);
    auto dropped = makePanel(test);
    size_t before = test.mode.particleSystem->particles.size();
    dropped.reset();
    EXPECT_EQ(test.mode.particleSystem->particles.size(), before - 2);
    // The mode deletes its particle system before the menus die: the panel lets it go.
    test.mode.deactivate();
    kept.reset();
    SUCCEED();
}
