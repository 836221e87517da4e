#include "menu/ModelMenuView.h"

#include "editor/GetColorToolMode.h"
#include "editor/ModelViewMode.h"
#include "editor/PaintToolMode.h"
#include "editor/SculptToolMode.h"
#include "editor/SelectToolMode.h"
#include "skeleton/Skeleton.h"
#include "skeleton/VerletParticleSystem.h"
#include "tests/menu/EditorMenuTestEngine.h"

#include <OgreMaterialManager.h>
#include <OgreOverlay.h>
#include <OgreOverlayContainer.h>
#include <OgrePass.h>
#include <OgreTechnique.h>
#include <OgreTextureUnitState.h>

#include <gtest/gtest.h>

namespace
{
ModelMenuView* modelMenu(EditorMenuTestEngine& test)
{
    return test.editor->menuSystem->modelMenuView;
}

// Where the knob's centre sits along its track, as a share of the track's width.
float knobShare(const MenuPanelManager::SliderPartial& slider)
{
    const float knobCentre = slider.knob->targetPosition.x + slider.knob->targetSize.x * 0.5f;
    return (knobCentre - slider.track->targetPosition.x) / slider.track->targetSize.x;
}

Ogre::ColourValue swatchTint(ModelMenuView* view)
{
    const Ogre::MaterialPtr& material = view->colorPicker.swatch->container->getMaterial();
    return material->getTechnique(0)
        ->getPass(0)
        ->getTextureUnitState(1)
        ->getColourBlendMode()
        .colourArg1;
}
} // namespace

TEST(ModelMenuView, StacksControlsAndGivesEachTrackItsOwnGradient)
{
    EditorMenuTestEngine test;
    ModelMenuView* view = modelMenu(test);

    // 1920 x 1080, side view origin (2, 0): buttons, frame, the three tracks, swatch, re-bind.
    const MenuPanel* panels[] = {view->editVoxelsButton,
                                 view->selectVoxelsButton,
                                 view->pickColorButton,
                                 view->colorPicker.frame,
                                 view->colorPicker.sliders[0].track,
                                 view->colorPicker.sliders[1].track,
                                 view->colorPicker.sliders[2].track,
                                 view->colorPicker.swatch,
                                 view->rebindButton};
    const float tops[] = {0, 76, 152, 228, 244, 288.8f, 333.6f, 378.4f, 608};
    const float lefts[] = {2, 2, 2, 2, 18, 18, 18, 130, 2};
    for (int i = 0; i < 9; ++i)
    {
        EXPECT_NEAR(panels[i]->targetPosition.y, tops[i], 1e-3f) << "panel " << i;
        EXPECT_NEAR(panels[i]->targetPosition.x, lefts[i], 1e-3f) << "panel " << i;
    }

    // The frame lies on the overlay behind the controls and never takes the pointer.
    const std::string frameName = view->colorPicker.frame->container->getName();
    EXPECT_EQ(test.menus.engine.graphics.overlays[0]->getChild(frameName),
              view->colorPicker.frame->container);
    EXPECT_FALSE(view->colorPicker.frame->state->interactive);

    const char* names[] = {"Red", "Green", "Blue"};
    const char* textures[] = {"red.png", "green.png", "blue.png"};
    for (int i = 0; i < 3; ++i)
    {
        const MenuPanel* track = view->colorPicker.sliders[i].track;
        const std::string name = std::string("MenuSystemColorPickSliderBase") + names[i];
        EXPECT_EQ(track->container->getMaterialName(), name);
        EXPECT_EQ(track->state->focusMaterial, name);
        Ogre::MaterialPtr clone = Ogre::MaterialManager::getSingleton().getByName(name);
        ASSERT_TRUE(clone);
        EXPECT_EQ(clone->getTechnique(0)->getPass(0)->getTextureUnitState(0)->getTextureName(),
                  textures[i]);
    }
}

TEST(ModelMenuView, ToolButtonsInstallTheirToolAndMoveTheHighlight)
{
    EditorMenuTestEngine test;
    ModelMenuView* view = modelMenu(test);
    EXPECT_EQ(test.editor->toolMode, nullptr);

    test.click(view->editVoxelsButton);
    EXPECT_NE(dynamic_cast<SculptToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_TRUE(view->editVoxelsButton->state->selected);
    EXPECT_EQ(view->editVoxelsButton->container->getMaterialName(),
              "MenuSystemControlSelectedBackground");

    test.click(view->selectVoxelsButton);
    EXPECT_NE(dynamic_cast<SelectToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_TRUE(view->selectVoxelsButton->state->selected);
    EXPECT_FALSE(view->editVoxelsButton->state->selected);
    EXPECT_EQ(view->editVoxelsButton->container->getMaterialName(), "MenuSystemControlBackground");

    test.click(view->pickColorButton);
    EXPECT_NE(dynamic_cast<GetColorToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_TRUE(view->pickColorButton->state->selected);
    EXPECT_FALSE(view->selectVoxelsButton->state->selected);

    // The swatch chooses painting, but the picker's frame carries the highlight.
    test.click(view->colorPicker.swatch);
    EXPECT_NE(dynamic_cast<PaintToolMode*>(test.editor->toolMode), nullptr);
    EXPECT_TRUE(view->colorPicker.frame->state->selected);
    EXPECT_EQ(view->colorPicker.frame->container->getMaterialName(),
              "MenuSystemControlSelectedBackground");
    EXPECT_FALSE(view->colorPicker.swatch->state->selected);
    EXPECT_FALSE(view->pickColorButton->state->selected);

    // Back to a button: the frame loses the highlight.
    test.click(view->editVoxelsButton);
    EXPECT_TRUE(view->editVoxelsButton->state->selected);
    EXPECT_FALSE(view->colorPicker.frame->state->selected);
    EXPECT_EQ(view->colorPicker.frame->container->getMaterialName(), "MenuSystemControlBackground");
}

TEST(ModelMenuView, ColourMovesKnobsAndSwatchAndSlidersWriteItBack)
{
    EditorMenuTestEngine test;
    ModelMenuView* view = modelMenu(test);
    auto* modelView = dynamic_cast<ModelViewMode*>(test.editor->viewMode);
    ASSERT_NE(modelView, nullptr);
    ASSERT_EQ(view->colorPicker.colourTarget, modelView);

    // A colour picked from a voxel: knobs at a half, a quarter and the right end.
    modelView->setColour(Ogre::ColourValue(0.5f, 0.25f, 1.0f, 0.75f));
    EXPECT_NEAR(knobShare(view->colorPicker.sliders[0]), 0.5f, 1e-5f);
    EXPECT_NEAR(knobShare(view->colorPicker.sliders[1]), 0.25f, 1e-5f);
    EXPECT_NEAR(knobShare(view->colorPicker.sliders[2]), 1.0f, 1e-5f);
    EXPECT_EQ(swatchTint(view), Ogre::ColourValue(0.5f, 0.25f, 1.0f, 1.0f));
    // Showing a colour does not write it: the picked alpha stays in the painting colour.
    EXPECT_FLOAT_EQ(modelView->colour.a, 0.75f);

    // Clicking a track takes the component from the click point.
    const MenuPanel* green = view->colorPicker.sliders[1].track;
    test.clickAt(green->targetPosition +
                 Ogre::Vector3(green->targetSize.x * 0.75f, green->targetSize.y * 0.5f, 0));
    EXPECT_NEAR(view->colorPicker.sliders[1].value, 0.75f, 1e-4f);
    EXPECT_NEAR(modelView->colour.g, 0.75f, 1e-4f);
    EXPECT_FLOAT_EQ(modelView->colour.a, 1.0f);
    EXPECT_NEAR(swatchTint(view).g, 0.75f, 1e-4f);

    // Dragging the red knob far past either end clamps, and the knob's centre stays on the end.
    MenuPanelManager::SliderPartial& red = view->colorPicker.sliders[0];
    test.step(60); // the knobs slide to their new places
    test.pointAt(EditorMenuTestEngine::centreOf(red.knob));
    test.press();
    test.menus.setPointer(1900.0f, red.track->targetPosition.y);
    test.step();
    EXPECT_FLOAT_EQ(red.value, 1.0f);
    EXPECT_FLOAT_EQ(modelView->colour.r, 1.0f);
    EXPECT_NEAR(knobShare(red), 1.0f, 1e-5f);
    test.menus.setPointer(-50.0f, 500.0f);
    test.step();
    test.release();
    EXPECT_FLOAT_EQ(red.value, 0.0f);
    EXPECT_FLOAT_EQ(modelView->colour.r, 0.0f);
    EXPECT_NEAR(knobShare(red), 0.0f, 1e-5f);
    EXPECT_EQ(test.editor->toolMode, nullptr);

    // applyColour and showColour agree: the written colour comes back unchanged.
    const Ogre::ColourValue written = modelView->colour;
    view->showColour(written);
    view->applyColour();
    EXPECT_EQ(modelView->colour, written);
}

TEST(ModelMenuView, RebindButtonBindsVoxelsAndCapturesTheRestPose)
{
    EditorMenuTestEngine test;
    ModelMenuView* view = modelMenu(test);
    Skeleton* skeleton = test.editor->skeleton;
    skeleton->addEntry(Ogre::Vector3(-3, 0, 0), 0, "a", 0, 1.0f);
    skeleton->addEntry(Ogre::Vector3(3, 0, 0), 1, "b", 0, 1.0f);
    skeleton->system->addStick(skeleton->system->particles[0], skeleton->system->particles[1],
                               6.0f);
    ASSERT_FALSE(test.editor->voxels.empty());
    EXPECT_TRUE(skeleton->bindings.empty());

    test.click(view->rebindButton);

    ASSERT_EQ(skeleton->bindings.count(0), 1u);
    EXPECT_EQ(skeleton->bindings[0].elements.size(), test.editor->voxels.size());
    std::vector<Ogre::Vector3>* restPose = test.editor->baseAnimation.findFrame(0.0f);
    ASSERT_NE(restPose, nullptr);
    EXPECT_EQ(restPose->size(), 2u);
    EXPECT_EQ(test.editor->toolMode, nullptr);
}
