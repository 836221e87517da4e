#include "menu/KeyMarks.h"

#include "menu/MenuPanel.h"
#include "menu/MenuPanelManager.h"

#include <OgreOverlayContainer.h>

#include <algorithm>

namespace
{
const float MARK_WIDTH = 4.0f;
const float CURRENT_MARK_WIDTH = 8.0f;
// Reaches above and below the track (28.8 high) so the knob does not hide it.
const float MARK_HEIGHT = 44.0f;
} // namespace

KeyMarks::~KeyMarks()
{
    while (!marks.empty())
        removeMark();
}

void KeyMarks::show(const std::vector<float>& keyTimes, float current, float newSpan,
                    MenuPanel* newTrack)
{
    times = keyTimes;
    currentTime = current;
    span = newSpan > 0.0f ? newSpan : 1.0f;
    track = newTrack;
    while (marks.size() > times.size())
        removeMark();
    while (marks.size() < times.size())
        marks.push_back(makeMark());
    place();
}

void KeyMarks::place()
{
    if (!track)
        return;
    const Ogre::Vector3& t = track->targetPosition;
    for (size_t i = 0; i < marks.size(); ++i)
    {
        MenuPanel* mark = marks[i];
        const bool isCurrent = times[i] == currentTime;
        const float width = Panel::unitsX(isCurrent ? CURRENT_MARK_WIDTH : MARK_WIDTH);
        const float height = Panel::unitsY(MARK_HEIGHT);
        mark->state->normalMaterial = isCurrent ? "MenuSystemKeyMarkCurrent" : "MenuSystemKeyMark";
        mark->setMaterial(mark->state->normalMaterial);
        mark->targetSize = Ogre::Vector2(width, height);
        const float along = std::min(std::max(times[i] / span, 0.0f), 1.0f);
        mark->targetPosition =
            Ogre::Vector3(t.x + track->targetSize.x * along - width * 0.5f,
                          t.y + (track->targetSize.y - height) * 0.5f, 0.0f);
    }
}

MenuPanel* KeyMarks::makeMark()
{
    MenuPanel* mark = new MenuPanel();
    mark->init(view.owner);
    mark->enableSingleImage("MenuSystemKeyMark");
    mark->attach(view.layer());
    mark->smoothing = track ? 0.06f : mark->smoothing;
    mark->targetPosition = track ? track->targetPosition : Ogre::Vector3::ZERO;
    mark->targetSize = Ogre::Vector2(Panel::unitsX(MARK_WIDTH), Panel::unitsY(MARK_HEIGHT));
    mark->snapToTarget();
    mark->state->interactive = false;
    // A mark made while the menu is away stays hidden with it.
    if (mark->container && track && track->container && !track->container->isVisible())
        mark->container->hide();
    view.addPanel(mark);
    return mark;
}

void KeyMarks::removeMark()
{
    MenuPanel* mark = marks.back();
    marks.pop_back();
    view.panels.erase(std::remove(view.panels.begin(), view.panels.end(), mark),
                      view.panels.end());
    if (view.focus == mark)
        view.focus = nullptr;
    if (view.pressed == mark)
        view.pressed = nullptr;
    delete mark;
}
