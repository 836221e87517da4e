#include "menu/ModelMenuView.h"

#include "editor/GetColorToolMode.h"
#include "editor/ModelViewMode.h"
#include "editor/PaintToolMode.h"
#include "editor/SculptToolMode.h"
#include "editor/SelectToolMode.h"
#include "menu/AnimMenuView.h"
#include "menu/TextField.h"
#include "skeleton/AnimateToolMode.h"
#include "skeleton/AnimateViewMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/menu/MenuTestEngine.h"

#include <OgreOverlayContainer.h>

#include <gtest/gtest.h>

TEST(ModelMenuView, ToolButtonsInstallTheirToolAndMoveTheHighlight)
{
    EditorMenuTestEngine test;
    ModelMenuView* view = test.editor->menuSystem->modelMenuView;
    EXPECT_EQ(test.editor->toolMode, nullptr);
    const std::string selected = "MenuSystemControlSelectedBackground";

    test.click(view->editVoxelsButton);
    EXPECT_NE(dynamic_cast<SculptToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_EQ(view->editVoxelsButton->container->getMaterialName(), selected);

    test.click(view->selectVoxelsButton);
    EXPECT_NE(dynamic_cast<SelectToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_TRUE(view->selectVoxelsButton->state->selected);
    EXPECT_FALSE(view->editVoxelsButton->state->selected);
    EXPECT_EQ(view->editVoxelsButton->container->getMaterialName(), "MenuSystemControlBackground");

    test.click(view->pickColorButton);
    EXPECT_NE(dynamic_cast<GetColorToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_FALSE(view->selectVoxelsButton->state->selected);

    // The swatch chooses painting, but the picker's frame carries the highlight.
    test.click(view->colorPicker.swatch);
    EXPECT_NE(dynamic_cast<PaintToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_EQ(view->colorPicker.frame->container->getMaterialName(), selected);
    EXPECT_FALSE(view->colorPicker.swatch->state->selected);
    EXPECT_FALSE(view->pickColorButton->state->selected);

    test.click(view->editVoxelsButton);
    EXPECT_FALSE(view->colorPicker.frame->state->selected);

    // "Re-bind" binds the voxels to the skeleton.
    Skeleton* skeleton = test.editor->skeleton;
    skeleton->addEntry(Ogre::Vector3(-3, 0, 0), 0, "a", 0, 1.0f);
    skeleton->addEntry(Ogre::Vector3(3, 0, 0), 1, "b", 0, 1.0f);
    skeleton->system->addStick(skeleton->system->particles[0], skeleton->system->particles[1],
                               6.0f);
    test.click(view->rebindButton);
    ASSERT_EQ(skeleton->bindings.count(0), 1u);
    EXPECT_EQ(skeleton->bindings[0].elements.size(), test.editor->voxels.size());
}

// The picker shows the colour the paint tool paints, from the start and across view modes; the
// lit tool button is the tool in use after 2 and 1; a save from the animation view comes back
// to it with the same animation, time and tool.
TEST(ModelMenuView, LitToolAndColourSurviveViewChangesAndASaveKeepsTheAnimationPlace)
{
    EditorMenuTestEngine test;
    EditorMode* editor = test.editor.get();
    ModelMenuView* view = editor->menuSystem->modelMenuView;
    auto paintColour = [&] { return dynamic_cast<ModelViewMode&>(*editor->viewMode).colour; };
    EXPECT_EQ(paintColour(), Ogre::ColourValue::White);
    EXPECT_EQ(view->pickerColour(), Ogre::ColourValue::White);

    test.click(view->selectVoxelsButton);
    test.clickAt(EditorMenuTestEngine::pointIn(view->colorPicker.sliders[0].track, 0.25f));
    const Ogre::ColourValue chosen = view->pickerColour();
    EXPECT_LT(chosen.r, 0.5f);
    EXPECT_EQ(paintColour(), chosen);

    Skeleton* skeleton = editor->skeleton;
    skeleton->addEntry(Ogre::Vector3(-3, 0, 0), 0, "a", 0, 1.0f);
    skeleton->addEntry(Ogre::Vector3(3, 0, 0), 1, "b", 0, 1.0f);
    skeleton->system->addStick(skeleton->system->particles[0], skeleton->system->particles[1],
                               6.0f);
    editor->keyPressed(KeyEvent{OIS::KC_2});
    test.settle();
    test.click(editor->menuSystem->animMenuView->selectMoveButton);
    editor->appendBaseAnimationCopy();
    auto* animate = dynamic_cast<AnimateViewMode*>(editor->viewMode);
    ASSERT_NE(animate, nullptr);
    animate->selectAnimation(1);
    animate->setTime(0.5f);

    testing::internal::CaptureStderr(); // the model's folder does not exist: the save fails
    editor->save();
    testing::internal::GetCapturedStderr();
    animate = dynamic_cast<AnimateViewMode*>(editor->viewMode);
    ASSERT_NE(animate, nullptr);
    EXPECT_EQ(animate->currentAnimation, 1);
    EXPECT_FLOAT_EQ(animate->currentTime, 0.5f);
    EXPECT_NE(dynamic_cast<AnimateToolMode*>(editor->toolMode), nullptr);

    editor->keyPressed(KeyEvent{OIS::KC_1});
    EXPECT_NE(dynamic_cast<SelectToolMode*>(editor->toolMode), nullptr);
    EXPECT_EQ(paintColour(), chosen);
    EXPECT_EQ(view->pickerColour(), chosen);
}

// The palette under the picker offers the model's colours, most used first, and the colours
// painted with lately; the shape buttons and keys 4 to 8 choose the same shape.
TEST(ModelMenuView, PaletteSwatchesSetThePaintColourAndShapeButtonsFollowTheKeys)
{
    EditorMenuTestEngine test;
    EditorMode* editor = test.editor.get();
    ModelMenuView* view = editor->menuSystem->modelMenuView;
    auto& modelView = dynamic_cast<ModelViewMode&>(*editor->viewMode);
    const Ogre::ColourValue red(0.8f, 0.1f, 0.1f), blue(0.1f, 0.2f, 0.9f), green(0, 1, 0);
    for (int x = 1; x <= 3; ++x)
        editor->addVoxel(x, 0, 0, red, 1);
    for (int x = 4; x <= 5; ++x)
        editor->addVoxel(x, 0, 0, blue, 1);
    test.settle();
    PaletteSwatches& palette = view->palette;
    Ogre::ColourValue shown;
    const std::vector<Ogre::ColourValue> expected{red, blue, Ogre::ColourValue(0.5f, 0.5f, 0.5f)};
    for (size_t i = 0; i < expected.size(); ++i)
    {
        ASSERT_TRUE(palette.colourOf(palette.swatches[i], shown)) << i;
        EXPECT_EQ(shown, expected[i]) << i;
    }
    EXPECT_FALSE(palette.colourOf(palette.swatches[3], shown));
    EXPECT_FALSE(palette.colourOf(palette.swatches[PaletteSwatches::PER_ROW], shown));

    test.click(palette.swatches[1]);
    EXPECT_EQ(modelView.colour, blue);
    EXPECT_EQ(view->pickerColour(), Ogre::ColourValue(blue.r, blue.g, blue.b, 1));

    modelView.colourUsed(green);
    test.click(palette.swatches[PaletteSwatches::PER_ROW]);
    EXPECT_EQ(modelView.colour, green);
    EXPECT_EQ(view->colourField->getText(), "#00ff00");

    // A typed colour paints from now on; a bad one changes nothing and the field shows the
    // painting colour again.
    view->typeColour("#3366CC");
    EXPECT_EQ(modelView.colour, Ogre::ColourValue(0.2f, 0.4f, 0.8f));
    EXPECT_EQ(view->colourField->getText(), "#3366cc");
    view->typeColour("#33");
    EXPECT_EQ(modelView.colour, Ogre::ColourValue(0.2f, 0.4f, 0.8f));
    EXPECT_EQ(view->colourField->getText(), "#3366cc");

    editor->keyPressed(KeyEvent{OIS::KC_6});
    EXPECT_EQ(modelView.shape, ShapeCells::Shape::Line);
    EXPECT_TRUE(view->shapeButtons.buttons[2]->state->selected);
    EXPECT_FALSE(view->shapeButtons.buttons[0]->state->selected);
    test.click(view->shapeButtons.buttons[3]);
    EXPECT_EQ(modelView.shape, ShapeCells::Shape::Face);
    EXPECT_FALSE(view->shapeButtons.buttons[2]->state->selected);
    // A new model view (key 1) keeps the shape the menu shows.
    editor->keyPressed(KeyEvent{OIS::KC_1});
    EXPECT_EQ(dynamic_cast<ModelViewMode&>(*editor->viewMode).shape, ShapeCells::Shape::Face);
}
