#include "menu/MenuSystem.h"

#include "editor/EditorMode.h"
#include "menu/BarMenuView.h"
#include "menu/MenuView.h"
#include "menu/Panel.h"
#include "skeleton/VerletParticle.h"

#include "menu/AnimMenuView.h"
#include "menu/ModelMenuView.h"
#include "menu/SkeletonMenuView.h"

#include <OgreOverlayContainer.h>

namespace
{
// Reference units of the frame layout.
const float FRAME_HEIGHT = 156.0f;    // top panel and bottom bar
const float BAR_SHOWN_HEIGHT = 56.0f; // the part of the bar that shows
const float SIDE_WIDTH = 320.0f;
const float SIDE_LEFT = 2.0f;
const float FRAME_SMOOTHING = 0.06f;

MenuView* asView(ModelMenuView* view) { return view; }

MenuView* asView(AnimMenuView* view) { return view; }

MenuView* asView(SkeletonMenuView* view) { return view; }

Panel* makeFramePanel(EditorMode* editor, const std::string& material, const Ogre::Vector2& size)
{
    Panel* panel = new Panel();
    panel->init(editor);
    panel->enableSingleImage(material);
    panel->attach(-1);
    panel->smoothing = FRAME_SMOOTHING;
    panel->targetPosition = Ogre::Vector3::ZERO;
    panel->targetSize = size;
    return panel;
}

void showContainer(Panel* panel)
{
    if (panel && panel->container && !panel->container->isVisible())
    {
        panel->container->show();
    }
}

void hideContainer(Panel* panel)
{
    if (panel && panel->container && panel->container->isVisible())
    {
        panel->container->hide();
    }
}
} // namespace

MenuSystem::~MenuSystem()
{
    delete topPanel;
    delete barPanel;
    delete sidePanel;
    topPanel = barPanel = sidePanel = nullptr;
    delete modelMenuView;
    delete animMenuView;
    delete skeletonMenuView;
    delete barMenuView;
    modelMenuView = nullptr;
    animMenuView = nullptr;
    skeletonMenuView = nullptr;
    barMenuView = nullptr;
    currentView = nullptr;
    pendingView = nullptr;
}

Ogre::Vector3 MenuSystem::barShownTarget()
{
    return Ogre::Vector3(0, Panel::unitsY(1080.0f - BAR_SHOWN_HEIGHT), 0);
}

Ogre::Vector3 MenuSystem::barHiddenTarget() { return Ogre::Vector3(0, Panel::unitsY(1080.0f), 0); }

Ogre::Vector3 MenuSystem::sideShownTarget()
{
    return Ogre::Vector3(Panel::unitsX(SIDE_LEFT), 0, 0);
}

Ogre::Vector3 MenuSystem::sideHiddenTarget()
{
    return Ogre::Vector3(Panel::unitsX(SIDE_LEFT - SIDE_WIDTH), 0, 0);
}

void MenuSystem::create(EditorMode* newEditor)
{
    editor = newEditor;
    float width = Panel::windowWidth();
    float height = Panel::windowHeight();
    laidOutWidth = width;
    laidOutHeight = height;
    topPanel = makeFramePanel(editor, "MenuSystemTopPanel",
                              Ogre::Vector2(width, Panel::unitsY(FRAME_HEIGHT)));
    barPanel = makeFramePanel(editor, "MenuSystemBottomPanel",
                              Ogre::Vector2(width, Panel::unitsY(FRAME_HEIGHT)));
    sidePanel = makeFramePanel(editor, "MenuSystemBottomPanel",
                               Ogre::Vector2(Panel::unitsX(SIDE_WIDTH), height));

    Ogre::Vector3 sideArea(Panel::unitsX(SIDE_WIDTH - 4), Panel::unitsY(1080 - 56 - 56 - 30), 0);
    Ogre::Vector3 barArea(width, Panel::unitsY(FRAME_HEIGHT - 4), 0);

    modelMenuView = new ModelMenuView();
    modelMenuView->build(editor, this, sideArea);
    animMenuView = new AnimMenuView();
    animMenuView->build(editor, this, sideArea);
    (void)sideArea;
    barMenuView = new BarMenuView();
    barMenuView->build(editor, this, barArea);
    // Made last, so that the designed menus' panels keep their numbers.
    skeletonMenuView = new SkeletonMenuView();
    skeletonMenuView->build(editor, this, sideArea);
    currentView = nullptr;

    startHiding();
    topPanel->snapToTarget();
    barPanel->snapToTarget();
    sidePanel->snapToTarget();

    for (MenuView* view : {asView(modelMenuView), asView(animMenuView), asView(skeletonMenuView)})
    {
        if (view)
        {
            view->setPosition(sideHiddenTarget());
            view->snapAll();
            view->setAllVisible(false);
            view->setAllActive(false);
        }
    }
    barMenuView->setPosition(barPanel->targetPosition +
                             Ogre::Vector3(0, Panel::unitsY(2 + FRAME_HEIGHT), 0));
    barMenuView->snapAll();
    barMenuView->setAllVisible(false);
    barMenuView->setAllActive(false);
    finishHiding();
}

void MenuSystem::startHiding()
{
    topPanel->targetPosition = Ogre::Vector3(0, -Panel::unitsY(FRAME_HEIGHT), 0);
    barPanel->targetPosition = barHiddenTarget();
    sidePanel->targetPosition = sideHiddenTarget();
    sideState = SlidingOut;
    if (currentView)
    {
        currentView->setPosition(sideHiddenTarget());
    }
    state = SlidingOut;
    pendingView = nullptr;
}

void MenuSystem::finishHiding()
{
    hideContainer(topPanel);
    hideContainer(barPanel);
    hideContainer(sidePanel);
    if (currentView)
    {
        currentView->setAllVisible(false);
    }
    if (barMenuView)
    {
        barMenuView->setAllVisible(false);
    }
    topPanel->setActive(false);
    barPanel->setActive(false);
    sidePanel->setActive(false);
    if (currentView)
    {
        currentView->reset();
        currentView = nullptr;
    }
    state = Hidden;
    sideState = Hidden;
    pendingView = nullptr;
}

void MenuSystem::show()
{
    state = SlidingIn;
    topPanel->targetPosition = Ogre::Vector3(0, -Panel::unitsY(FRAME_HEIGHT), 0);
    barPanel->targetPosition = barShownTarget();
    currentView = asView(modelMenuView);
    pendingView = nullptr;
    slideInCurrentView();
    slideInBarView();
    showContainer(topPanel);
    showContainer(barPanel);
    showContainer(sidePanel);
    if (currentView)
    {
        currentView->setAllVisible(true);
    }
    if (barMenuView)
    {
        barMenuView->setAllVisible(true);
    }
    topPanel->setActive(true);
    barPanel->setActive(true);
    sidePanel->setActive(true);
}

void MenuSystem::slideInCurrentView()
{
    sideState = SlidingIn;
    sidePanel->targetPosition = sideShownTarget();
    if (currentView)
    {
        currentView->enter();
        currentView->setPosition(sideHiddenTarget());
        currentView->snapAll();
        currentView->setAllVisible(false);
        currentView->setPosition(sideShownTarget());
        currentView->setAllVisible(true);
        currentView->setAllActive(true);
    }
}

void MenuSystem::slideInBarView()
{
    if (!barMenuView)
    {
        return;
    }
    Ogre::Vector3 target = barPanel->targetPosition;
    barMenuView->enter();
    barMenuView->setPosition(target +
                             Ogre::Vector3(0, Panel::unitsY(2) + barPanel->targetSize.y, 0));
    barMenuView->snapAll();
    barMenuView->setAllVisible(false);
    barMenuView->setPosition(target + Ogre::Vector3(0, Panel::unitsY(2), 0));
    barMenuView->setAllVisible(true);
    barMenuView->setAllActive(true);
}

void MenuSystem::slideOutCurrentView()
{
    sideState = SlidingOut;
    Ogre::Vector3 target(Panel::unitsX(SIDE_LEFT) - sidePanel->targetSize.x, 0, 0);
    sidePanel->targetPosition = target;
    if (currentView)
    {
        currentView->setPosition(target);
    }
}

void MenuSystem::requestView(MenuView* view)
{
    if (!view || view == pendingView)
    {
        return;
    }
    if (view == currentView)
    {
        // Back to the view that is sliding out before the other one came in: it is the one
        // that must come back, not the one that was waiting.
        if (pendingView)
        {
            pendingView = view;
        }
        return;
    }
    pendingView = view;
    slideOutCurrentView();
}

void MenuSystem::fitToWindow()
{
    const float width = Panel::windowWidth();
    const float height = Panel::windowHeight();
    if ((width == laidOutWidth && height == laidOutHeight) || width <= 0 || height <= 0 ||
        laidOutWidth <= 0 || laidOutHeight <= 0)
    {
        return;
    }
    const float sx = width / laidOutWidth;
    const float sy = height / laidOutHeight;
    for (Panel* panel : {topPanel, barPanel, sidePanel})
    {
        if (panel)
        {
            panel->rescale(sx, sy);
        }
    }
    for (MenuPanelManager* view : {static_cast<MenuPanelManager*>(modelMenuView),
                                   static_cast<MenuPanelManager*>(animMenuView),
                                   static_cast<MenuPanelManager*>(skeletonMenuView),
                                   static_cast<MenuPanelManager*>(barMenuView)})
    {
        if (view)
        {
            view->rescale(sx, sy);
        }
    }
    laidOutWidth = width;
    laidOutHeight = height;
}

void MenuSystem::update(float timeStep)
{
    fitToWindow();
    if (state == Hidden)
    {
        return;
    }
    topPanel->update(timeStep);
    barPanel->update(timeStep);
    sidePanel->update(timeStep);
    if (currentView)
    {
        currentView->update(timeStep);
    }
    if (barMenuView)
    {
        barMenuView->update(timeStep);
    }

    bool allArrived = topPanel->hasArrived() && barPanel->hasArrived() && sidePanel->hasArrived();
    if (state == SlidingIn && allArrived)
    {
        state = Shown;
    }
    if (state == SlidingOut && allArrived)
    {
        finishHiding();
    }
    if (sideState == SlidingIn && sidePanel->hasArrived())
    {
        sideState = Shown;
    }
    // The side panel's hidden target is just short of its width, so the exchange normally
    // happens on the first swing past it. Should the slide ever come to rest without passing
    // (another smoothing, another window), a waiting view still comes in.
    if (sideState == SlidingOut && sidePanel->topLeft &&
        (sidePanel->topLeft->position.x < -sidePanel->targetSize.x ||
         (pendingView && sidePanel->hasArrived())))
    {
        if (currentView)
        {
            currentView->setAllVisible(false);
            currentView->setAllActive(false);
            currentView->reset();
        }
        sidePanel->snapToTarget();
        if (pendingView)
        {
            currentView = pendingView;
            pendingView = nullptr;
            slideInCurrentView();
        }
    }
}
