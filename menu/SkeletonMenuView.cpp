#include "menu/SkeletonMenuView.h"

#include "editor/EditorMode.h"
#include "editor/UndoHistory.h"
#include "menu/MenuPanel.h"
#include "menu/TextField.h"
#include "skeleton/Skeleton.h"
#include "skeleton/SkeletonViewMode.h"
#include "skeleton/VerletParticleSystem.h"

namespace
{
const float GAP = 20.0f;
const float LINE_SCALE = 0.6f;
} // namespace

SkeletonMenuView::~SkeletonMenuView()
{
    nameField.reset();
    delete templateButton;
    delete clearButton;
    delete bodyAreaButton;
    delete pinButton;
    delete countsPanel;
    delete frameLines[0];
    delete frameLines[1];
}

EditorMode* SkeletonMenuView::editor() { return static_cast<EditorMode*>(owner); }

MenuPanel* SkeletonMenuView::addLine()
{
    MenuPanel* line = addSmallButton(-1, LINE_SCALE);
    line->state->interactive = false;
    return line;
}

void SkeletonMenuView::build(ApplicationMode* owner, MenuSystem* menuSystem,
                             const Ogre::Vector3& areaSize)
{
    init(owner, menuSystem, areaSize);
    templateButton = addButton(1);
    templateButton->setText("Biped template");
    clearButton = addButton(1);
    clearButton->setText("Clear skeleton");
    nameField.reset(new TextField(*this));
    nameField->label = "Name: ";
    nameField->onCommit = [this](const std::string& name)
    {
        if (viewMode && viewMode->editing)
            editor()->asStep("particle name",
                             [&] { viewMode->editing->rename(viewMode->editing->chosen, name); });
    };
    bodyAreaButton = addSmallButton(-1, 1);
    pinButton = addSmallButton(-1, 1);
    countsPanel = addLine();
    frameLines[0] = addLine();
    frameLines[1] = addLine();
    refresh();
}

void SkeletonMenuView::setPosition(const Ogre::Vector3& position)
{
    const float gap = Panel::unitsY(GAP);
    float y = position.y;
    for (MenuPanel* panel : {templateButton, clearButton, nameField->panel, bodyAreaButton,
                             pinButton, countsPanel, frameLines[0], frameLines[1]})
    {
        panel->targetPosition = Ogre::Vector3(position.x, y, 0);
        y += panel->targetSize.y + gap;
    }
}

void SkeletonMenuView::update(float timeStep)
{
    MenuView::update(timeStep);
    if (!viewMode || !viewMode->editing)
        return;
    viewMode->showChosen();
    const std::string from = std::to_string(viewMode->editing->chosen) + " " +
                             std::to_string(editor()->history->position());
    if (from != shownFrom)
        refresh();
}

void SkeletonMenuView::refresh()
{
    SkeletonEditing* editing = viewMode ? viewMode->editing.get() : nullptr;
    shownFrom = editing ? std::to_string(editing->chosen) + " " +
                              std::to_string(editor()->history->position())
                        : "";
    Skeleton* skeleton = owner ? editor()->skeleton : nullptr;
    const int chosen = editing ? editing->chosen : -1;
    const Skeleton::ParticleEntry* entry =
        skeleton && chosen >= 0 && chosen < int(skeleton->entries.size())
            ? skeleton->entries[size_t(chosen)]
            : nullptr;
    nameField->setText(entry ? entry->name : "");
    bodyAreaButton->setText(
        entry ? std::string("Body area: ") + SkeletonEditing::BODY_AREAS[entry->bodyAreaHint % 5]
              : "Body area");
    pinButton->setText(entry ? (entry->particle->invMass == 0.0f ? "Pinned" : "Free")
                             : "Pinned / free");
    countsPanel->setText(
        skeleton ? std::to_string(skeleton->entries.size()) + " particles, " +
                       std::to_string(skeleton->system->sticks.size()) + " sticks" +
                       (entry ? ", chosen " + std::to_string(chosen) : "")
                 : "");
    // "Frame reads 1 neck, 2 ..., 12 leftknee": the names in two lines.
    const std::string note = editing ? editing->frameNote() : "";
    const size_t cut = note.find(", 8 ");
    frameLines[0]->setText(note.substr(0, cut));
    frameLines[1]->setText(cut == std::string::npos ? "" : note.substr(cut + 2));
}

void SkeletonMenuView::onClicked(MenuPanel* panel)
{
    SkeletonEditing* editing = viewMode ? viewMode->editing.get() : nullptr;
    if (!editing)
        return;
    EditorMode* target = editor();
    const int chosen = editing->chosen;
    Skeleton::ParticleEntry* entry =
        chosen >= 0 && chosen < editing->particleCount() ? target->skeleton->entries[size_t(chosen)]
                                                         : nullptr;
    if (panel == templateButton)
        target->asStep("biped template", [&] { editing->applyBipedTemplate(); });
    else if (panel == clearButton)
        target->asStep("skeleton cleared", [&] { editing->clear(); });
    else if (panel == bodyAreaButton && entry)
        target->asStep("body area",
                       [&] { editing->setBodyArea(chosen, (entry->bodyAreaHint + 1) % 5); });
    else if (panel == pinButton && entry)
        target->asStep("pin", [&] { editing->setPinned(chosen, entry->particle->invMass != 0.0f); });
    refresh();
}
