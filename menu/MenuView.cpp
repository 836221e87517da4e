#include "menu/MenuView.h"

#include "menu/MenuSystem.h"

bool MenuView::isActive() { return menuSystem && menuSystem->sideState == MenuSystem::Shown; }

void MenuView::onFocusChanged(const std::string&) {}

void MenuView::init(ApplicationMode* newOwner, MenuSystem* newMenuSystem,
                    const Ogre::Vector3& newAreaSize)
{
    owner = newOwner;
    menuSystem = newMenuSystem;
    areaSize = newAreaSize;
}

void MenuView::build(ApplicationMode* newOwner, MenuSystem* newMenuSystem,
                     const Ogre::Vector3& newAreaSize)
{
    init(newOwner, newMenuSystem, newAreaSize);
}
