#pragma once

#include <OgreColourValue.h>
#include <OgreVector.h>

#include <string>

class ApplicationMode;
namespace Ogre
{
class Overlay;
class OverlayContainer;
class TextAreaOverlayElement2;
} // namespace Ogre
namespace Verlet
{
class Particle;
class ParticleSystem;
} // namespace Verlet

// One overlay container with a single material and an optional line of text. The panel does not
// place its element directly: two particles (top-left and bottom-right corner) are pulled towards
// a target rectangle every step, and the element is laid over them, so every move is a damped,
// slightly springy slide.
//
// All lengths are in pixels. Menu layout is written in reference units of a 1920 x 1080 screen;
// unitsX / unitsY turn them into pixels of the current window.
class Panel
{
public:
    Panel() = default;
    virtual ~Panel();
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // Called once, right after construction: takes the next number for the element names.
    virtual void init(ApplicationMode* owner);
    // One animation step; the caller runs it once per fixed simulation step.
    virtual void update(float timeStep);

    void enableSingleImage(const std::string& materialName);
    void setMaterial(const std::string& materialName);
    // A negative charHeight means 31.2 vertical units, a negative leftMargin 24 horizontal units.
    void enableText(const Ogre::ColourValue& colour, float charHeight, float leftMargin);
    void setFont(const std::string& family);
    // Adds the container to the overlay `layer` (-1 stands for 0) and creates the particles.
    void attach(int layer);
    void snapToTarget();
    // Scales the panel's place, size, corners and letters by the window's change of size (sx
    // across, sy down), as if it had been laid out for the new window.
    virtual void rescale(float sx, float sy);
    void setActive(bool active);
    bool hasArrived();
    void centreTextVertically();

    // The font name (without the text-encoding prefix) chosen for a family at a pixel height:
    // the three sized families get "100", "050" or "025"; any other family is used unchanged.
    static std::string sizedFontName(const std::string& family, float pixelHeight);
    // Reference units of a 1920 x 1080 screen to pixels of the current window.
    static float unitsX(float units);
    static float unitsY(float units);
    static float windowWidth();
    static float windowHeight();
    // Every byte of 128 or more becomes its two-byte UTF-8 form.
    static std::string latin1ToUtf8(const std::string& text);

    ApplicationMode* owner = nullptr;                     // back pointer
    Ogre::OverlayContainer* container = nullptr;          // owned, through the overlay manager
    Ogre::TextAreaOverlayElement2* textElement = nullptr; // owned, child of container
    Verlet::Particle* topLeft = nullptr;                  // lives in the owner's particle system
    Verlet::Particle* bottomRight = nullptr;              // lives in the owner's particle system
    Ogre::Vector3 targetPosition = Ogre::Vector3::ZERO;
    Ogre::Vector2 targetSize = Ogre::Vector2::ZERO; // x: width, y: height
    Ogre::ColourValue textColour = Ogre::ColourValue(1, 1, 1, 1);
    std::string uniqueName;
    float smoothing = 0.15f;
    Ogre::Vector3 fontOffset = Ogre::Vector3::ZERO;

    // Panels made so far in this process; supplies uniqueName.
    static unsigned panelCounter;

protected:
    // The particle system the corners were created in. The mode deletes that system in
    // deactivate(), possibly before the panel dies; the corners are only handed back while the
    // owner still holds this very system.
    Verlet::ParticleSystem* particleSystem = nullptr;
    // The overlay the container was added to; it must forget the container before it dies.
    Ogre::Overlay* attachedOverlay = nullptr;

private:
    void removeParticles();
    void layOverParticles();
};
