#pragma once

#include <vector>

class MenuPanel;
class MenuPanelManager;

// The time slider's marks: a thin upright bar over the track at every key time of the current
// animation, the key at the time shown in a colour of its own. The marks take no clicks, so a
// press on one reaches the track or the knob below.
class KeyMarks
{
public:
    explicit KeyMarks(MenuPanelManager& view) : view(view) {}
    ~KeyMarks();
    KeyMarks(const KeyMarks&) = delete;
    KeyMarks& operator=(const KeyMarks&) = delete;

    // Marks `keyTimes` on a track covering the times 0 to span; a key equal to `current` gets
    // the current look.
    void show(const std::vector<float>& keyTimes, float current, float span, MenuPanel* track);
    // Places the marks again after the track moved (the menu slid or the window changed size).
    void place();

    std::vector<MenuPanel*> marks; // owned; also in the view's panel list
    std::vector<float> times;
    float currentTime = 0.0f;
    float span = 1.0f;

private:
    MenuPanel* makeMark();
    void removeMark();

    MenuPanelManager& view; // back reference: the view whose panel list holds the marks
    MenuPanel* track = nullptr;
};
