#pragma once

#include "editor/ToolMode.h"

#include <OgrePlane.h>
#include <OgreVector.h>

#include <cstdint>
#include <string>
#include <vector>

class SelectorRectangle;
namespace Verlet
{
class Particle;
}

// Poses the skeleton in the animate view: a screen rectangle chooses the particles that may
// move, then dragging one particle pulls them along while every other particle is held. The
// pose is stored as the key frame at the current time when the button is released.
class AnimateToolMode : public ToolMode
{
public:
    enum State : int32_t
    {
        NothingSelected = 0,
        DrawingRectangle = 1,
        Selection = 2,
    };

    struct ClipboardEntry
    {
        int32_t particleIndex = 0;
        Ogre::Vector3 position = Ogre::Vector3::ZERO;
    };

    ~AnimateToolMode() override;

    void mousePressed(const OIS::MouseButtonID* button) override;
    void mouseHeld(const OIS::MouseButtonID* button) override;
    void mouseReleased(const OIS::MouseButtonID* button) override;
    // Appends the selected particles' positions to the clipboard.
    void copy() override;
    // "Copied 3 particles": what the bar says after a copy or paste.
    static std::string particleCountNote(const std::string& verb, int count);
    // Writes the clipboard into the key frame at the current time and shows it.
    void paste() override;
    // The same, each entry going to its partner particle, reflected in x = 0 (PoseMirror).
    void pasteMirrored() override;

    // Stores every particle's position as the current animation's frame at the current time.
    void storePose();

    Verlet::Particle* dragged = nullptr;     // not owned
    std::vector<Verlet::Particle*> selected; // not owned
    Ogre::Plane dragPlane;
    std::vector<float> savedInvMass;
    int32_t state = NothingSelected;
    SelectorRectangle* rectangle = nullptr; // owned
    Ogre::Vector3 rectangleStart = Ogre::Vector3::ZERO;
    Ogre::Vector3 rectangleEnd = Ogre::Vector3::ZERO;
    std::vector<ClipboardEntry> clipboard;

private:
    bool inAnimateView() const;
    // Starts a drag when the pointer is over a particle; false when it is over none.
    bool tryStartDrag();
    void finishRectangle();
    void finishDrag();
    void restoreInvMass();
    void destroyRectangle();
    void pasteEntries(bool mirrored);
};
