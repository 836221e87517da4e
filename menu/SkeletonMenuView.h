#pragma once

#include "menu/MenuView.h"
#include "menu/TextField.h"

#include <memory>
#include <string>

class EditorMode;
class MenuPanel;
class SkeletonViewMode;

// The side menu of the skeleton view: "Biped template", "Clear skeleton", and for the chosen
// particle its name (a text field), its body area and whether it is pinned; below, what the
// skeleton holds and, for a body of 13 particles or more whose names differ from the
// template's, which particles the stick frames read.
class SkeletonMenuView : public MenuView
{
public:
    SkeletonMenuView() = default;
    ~SkeletonMenuView() override;

    void build(ApplicationMode* owner, MenuSystem* menuSystem,
               const Ogre::Vector3& areaSize) override;
    // Panel motion and hover as every view; then the texts follow the skeleton and the choice.
    void update(float timeStep) override;
    void setPosition(const Ogre::Vector3& position) override;
    void onClicked(MenuPanel* panel) override;
    // Writes every text from the skeleton and the chosen particle.
    void refresh();

    MenuPanel* templateButton = nullptr; // owned
    MenuPanel* clearButton = nullptr;    // owned
    std::unique_ptr<TextField> nameField;
    MenuPanel* bodyAreaButton = nullptr; // owned
    MenuPanel* pinButton = nullptr;      // owned
    MenuPanel* countsPanel = nullptr;    // owned
    MenuPanel* frameLines[2] = {};       // owned
    // The active skeleton view; it registers itself when activated.
    SkeletonViewMode* viewMode = nullptr;

private:
    EditorMode* editor();
    MenuPanel* addLine();
    // What the texts were last written from; a change writes them again.
    std::string shownFrom;
};
