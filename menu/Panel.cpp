#include "menu/Panel.h"

#include "app/Application.h"
#include "app/ApplicationMode.h"
#include "app/Graphics.h"
#include "app/Log.h"
#include "common/OgreTextAreaOverlayElement2.h"
#include "skeleton/VerletParticleSystem.h"

#include <OgreOverlay.h>
#include <OgreOverlayContainer.h>
#include <OgreOverlayManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreStringConverter.h>

#include <algorithm>
#include <cmath>

unsigned Panel::panelCounter = 0;

namespace
{
const float REFERENCE_WIDTH = 1920.0f;
const float REFERENCE_HEIGHT = 1080.0f;
// Below this per-channel difference a fading text colour has reached its target: packed colours
// have 8 bits per channel, and without the snap the fade can stall one float step short and
// rewrite the colour buffer forever.
const float COLOUR_ARRIVED = 1e-4f;
const float ARRIVED_SQUARED = 0.01f;

Ogre::OverlayManager* overlayManager()
{
    if (Graphics::instance && Graphics::instance->overlayManager)
    {
        return Graphics::instance->overlayManager;
    }
    return Ogre::OverlayManager::getSingletonPtr();
}

Application* applicationOf(ApplicationMode* owner)
{
    if (owner && owner->application)
    {
        return owner->application;
    }
    return Graphics::instance ? Graphics::instance->application : nullptr;
}

bool coloursClose(const Ogre::ColourValue& a, const Ogre::ColourValue& b)
{
    return std::fabs(a.r - b.r) < COLOUR_ARRIVED && std::fabs(a.g - b.g) < COLOUR_ARRIVED &&
           std::fabs(a.b - b.b) < COLOUR_ARRIVED && std::fabs(a.a - b.a) < COLOUR_ARRIVED;
}
} // namespace

Panel::~Panel()
{
    Ogre::OverlayManager* manager = overlayManager();
    if (textElement)
    {
        if (container)
        {
            container->removeChild(textElement->getName());
        }
        if (manager)
        {
            manager->destroyOverlayElement(textElement);
        }
        textElement = nullptr;
    }
    if (container)
    {
        // A root container stays listed in its overlay after the element is gone: take it out.
        if (attachedOverlay)
        {
            attachedOverlay->remove2D(container);
        }
        if (manager)
        {
            manager->destroyOverlayElement(container);
        }
        container = nullptr;
    }
    removeParticles();
}

void Panel::removeParticles()
{
    if (particleSystem && owner && owner->particleSystem == particleSystem)
    {
        particleSystem->removeParticle(topLeft);
        particleSystem->removeParticle(bottomRight);
    }
    topLeft = nullptr;
    bottomRight = nullptr;
    particleSystem = nullptr;
}

void Panel::init(ApplicationMode* newOwner)
{
    ++panelCounter;
    uniqueName = Ogre::StringConverter::toString(panelCounter);
    owner = newOwner;
}

float Panel::windowWidth()
{
    return Graphics::instance ? static_cast<float>(Graphics::instance->getWindowWidth())
                              : REFERENCE_WIDTH;
}

float Panel::windowHeight()
{
    return Graphics::instance ? static_cast<float>(Graphics::instance->getWindowHeight())
                              : REFERENCE_HEIGHT;
}

float Panel::unitsX(float units) { return units * windowWidth() / REFERENCE_WIDTH; }

float Panel::unitsY(float units) { return units * windowHeight() / REFERENCE_HEIGHT; }

void Panel::enableSingleImage(const std::string& materialName)
{
    if (container)
    {
        writeLog("CHECK: enabling single image, panel already set");
        haltExecution();
    }
    container = static_cast<Ogre::OverlayContainer*>(
        overlayManager()->createOverlayElement("Panel", "Panel" + uniqueName, false));
    container->setMetricsMode(Ogre::GMM_PIXELS);
    container->setPosition(0, 0);
    container->setDimensions(0, 0);
    targetSize = Ogre::Vector2(unitsX(100), unitsY(100));
    setMaterial(materialName);
}

void Panel::setMaterial(const std::string& materialName)
{
    if (container && container->getMaterialName() != materialName)
    {
        container->setMaterialName(materialName,
                                   Ogre::ResourceGroupManager::AUTODETECT_RESOURCE_GROUP_NAME);
    }
}

void Panel::enableText(const Ogre::ColourValue& colour, float charHeight, float leftMargin)
{
    if (!container)
    {
        enableSingleImage("");
    }
    if (charHeight < 0)
    {
        charHeight = unitsY(31.2f);
    }
    if (leftMargin < 0)
    {
        leftMargin = unitsX(24);
    }
    textElement = static_cast<Ogre::TextAreaOverlayElement2*>(
        overlayManager()->createOverlayElement("TextArea2", "PanelTextArea" + uniqueName));
    textElement->setVertical(false);
    textElement->setMetricsMode(Ogre::GMM_PIXELS);
    textElement->setCharHeight(charHeight);
    float height = textElement->getCharHeight();
    textElement->setPosition(leftMargin + fontOffset.x,
                             (container->getHeight() - height) * 0.5f + fontOffset.y);
    textElement->setDimensions(0, 0);
    textElement->setCaption("");
    setFont("BasicFontOutline");
    textElement->setColourTop(colour);
    textElement->setColourBottom(colour);
    container->addChild(textElement);
    textColour = colour;
}

std::string Panel::sizedFontName(const std::string& family, float pixelHeight)
{
    const float high = 36.0f;
    const float low = 14.0f;
    if (family != "BasicFontOutline" && family != "InputFontOutline" && family != "BasicFont")
    {
        return family;
    }
    if (pixelHeight >= high)
    {
        return family + "100";
    }
    if (pixelHeight >= low)
    {
        return family + "050";
    }
    return family + "025";
}

void Panel::setFont(const std::string& family)
{
    if (!textElement)
    {
        return;
    }
    Ogre::Vector3 base =
        Ogre::Vector3(textElement->getLeft(), textElement->getTop(), 0) - fontOffset;
    Application* application = applicationOf(owner);
    std::string encoding = application ? application->textEncoding : std::string("Latin1");
    std::string fontName = encoding + sizedFontName(family, textElement->getCharHeight());
    if (textElement->getFontName() == fontName)
    {
        return;
    }
    float spacing = 0;
    Ogre::Vector3 offset = Ogre::Vector3::ZERO;
    auto found = fontAdjustments.find(family);
    if (found != fontAdjustments.end())
    {
        spacing = found->second.charSpacing;
        offset = Ogre::Vector3(unitsX(found->second.offset.x), unitsY(found->second.offset.y), 0);
    }
    // An unknown font throws here; the offset is only taken once the font is in place so that
    // the text position stays consistent with it.
    textElement->setFontName(fontName);
    fontOffset = offset;
    textElement->setCharSpacing(spacing);
    textElement->setPosition(base.x + fontOffset.x, base.y + fontOffset.y);
}

void Panel::attach(int layer)
{
    Ogre::Overlay* overlay =
        Graphics::instance->getOverlay(layer < 0 ? 0u : static_cast<unsigned>(layer));
    if (attachedOverlay && attachedOverlay != overlay)
    {
        attachedOverlay->remove2D(container);
    }
    overlay->add2D(container);
    attachedOverlay = overlay;
    Verlet::ParticleSystem* system = owner ? owner->particleSystem : nullptr;
    if (!system)
    {
        writeLog("ERROR, panel Panel" + uniqueName + " attached without a particle system");
        return;
    }
    particleSystem = system;
    if (!topLeft)
    {
        topLeft = system->addParticle(Ogre::Vector3::ZERO, 1.0f);
    }
    if (!bottomRight)
    {
        bottomRight = system->addParticle(Ogre::Vector3::ZERO, 1.0f);
    }
}

void Panel::snapToTarget()
{
    if (!topLeft || !bottomRight)
    {
        return;
    }
    Ogre::Vector3 farCorner = targetPosition + Ogre::Vector3(targetSize.x, targetSize.y, 0);
    topLeft->position = targetPosition;
    topLeft->oldPosition = targetPosition;
    bottomRight->position = farCorner;
    bottomRight->oldPosition = farCorner;
    layOverParticles();
}

void Panel::rescale(float sx, float sy)
{
    targetPosition.x *= sx;
    targetPosition.y *= sy;
    targetSize.x *= sx;
    targetSize.y *= sy;
    for (Verlet::Particle* corner : {topLeft, bottomRight})
    {
        if (corner)
        {
            corner->position.x *= sx;
            corner->position.y *= sy;
            corner->oldPosition.x *= sx;
            corner->oldPosition.y *= sy;
        }
    }
    if (textElement)
    {
        const Ogre::Vector3 base =
            Ogre::Vector3(textElement->getLeft(), textElement->getTop(), 0) - fontOffset;
        fontOffset.x *= sx;
        fontOffset.y *= sy;
        textElement->setCharHeight(textElement->getCharHeight() * sy);
        textElement->setPosition(base.x * sx + fontOffset.x, base.y * sy + fontOffset.y);
    }
    if (topLeft && bottomRight)
    {
        layOverParticles();
    }
}

void Panel::setActive(bool active)
{
    if (topLeft && bottomRight)
    {
        topLeft->simulated = active;
        bottomRight->simulated = active;
    }
    if (!container)
    {
        return;
    }
    if (active)
    {
        if (!container->isVisible())
        {
            container->show();
        }
        return;
    }
    if (!container->isVisible() || !topLeft || !bottomRight)
    {
        return;
    }
    bool offScreen = bottomRight->position.x < 0 || bottomRight->position.y < 0 ||
                     topLeft->position.x > windowWidth() || topLeft->position.y > windowHeight();
    if (offScreen)
    {
        container->hide();
    }
}

bool Panel::hasArrived()
{
    if (!topLeft || !bottomRight)
    {
        return true;
    }
    Ogre::Vector3 farCorner = targetPosition + Ogre::Vector3(targetSize.x, targetSize.y, 0);
    return topLeft->position.squaredDistance(targetPosition) < ARRIVED_SQUARED &&
           bottomRight->position.squaredDistance(farCorner) < ARRIVED_SQUARED &&
           topLeft->getVelocity().squaredLength() < ARRIVED_SQUARED &&
           bottomRight->getVelocity().squaredLength() < ARRIVED_SQUARED;
}

void Panel::centreTextVertically()
{
    if (!textElement)
    {
        return;
    }
    float x = textElement->getLeft() - fontOffset.x;
    float y = (targetSize.y - textElement->getCharHeight()) * 0.5f;
    textElement->setPosition(x + fontOffset.x, y + fontOffset.y);
}

void Panel::update(float)
{
    if (!topLeft || !bottomRight || !topLeft->simulated)
    {
        return;
    }
    Ogre::Vector3 farCorner = targetPosition + Ogre::Vector3(targetSize.x, targetSize.y, 0);
    if (smoothing > 1)
    {
        topLeft->position = targetPosition;
        topLeft->oldPosition = targetPosition;
        bottomRight->position = farCorner;
        bottomRight->oldPosition = farCorner;
    }
    else
    {
        topLeft->move((targetPosition - topLeft->position) * smoothing);
        bottomRight->move((farCorner - bottomRight->position) * smoothing);
    }

    if (textElement)
    {
        Ogre::ColourValue current = textElement->getColourBottom();
        if (current != textColour || textElement->getColourTop() != textColour)
        {
            Ogre::ColourValue next = textColour;
            if (smoothing < 1)
            {
                float t = std::min(smoothing * 5.0f, 1.0f);
                next = current + (textColour - current) * t;
                if (coloursClose(next, textColour))
                {
                    next = textColour;
                }
            }
            textElement->setColourTop(next);
            textElement->setColourBottom(next);
        }
    }
    layOverParticles();
}

void Panel::layOverParticles()
{
    if (!container)
    {
        return;
    }
    Ogre::Vector3 size = bottomRight->position - topLeft->position;
    float left = topLeft->position.x;
    float top = topLeft->position.y;
    float width = std::max(size.x, 0.0f);
    float height = std::max(size.y, 0.0f);
    // Setting the same metrics again would still mark the geometry out of date.
    if (container->getLeft() != left || container->getTop() != top)
    {
        container->setPosition(left, top);
    }
    if (container->getWidth() != width || container->getHeight() != height)
    {
        container->setDimensions(width, height);
    }
}

std::string Panel::latin1ToUtf8(const std::string& text)
{
    std::string result;
    result.reserve(text.size() * 2);
    for (char c : text)
    {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 128)
        {
            result += static_cast<char>(0xC0 | (byte >> 6));
            result += static_cast<char>(0x80 | (byte & 0x3F));
        }
        else
        {
            result += c;
        }
    }
    return result;
}
