#pragma once

#include "menu/MenuPanelManager.h"

class MenuSystem;

// A menu shown by the menu system: the side menus and the bottom bar.
class MenuView : public MenuPanelManager
{
public:
    using MenuPanelManager::init;

    // Views take pointer input only while the side menu is fully in.
    bool isActive() override;
    void onFocusChanged(const std::string& command) override;
    virtual void init(ApplicationMode* owner, MenuSystem* menuSystem,
                      const Ogre::Vector3& areaSize);
    virtual void reserved1() {}
    // Stores the three as init does, then creates the view's panels (once per program).
    virtual void build(ApplicationMode* owner, MenuSystem* menuSystem,
                       const Ogre::Vector3& areaSize);

    MenuSystem* menuSystem = nullptr; // back pointer
};
