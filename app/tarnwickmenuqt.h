#pragma once
// CTarnwickMenuQt: the program's popup menus, a QMenu filled through CTarnwickMenu. Each
// item's action carries its command's id. When a menu opens, every item takes its state
// from the command route (the registry, through CGlimraApp); a picked item's command is
// held and sent along the main window's command route once the event loop runs again,
// then let go. Deleting the builder that owns the menu lets go of the commands of every
// item, submenus included.
#include <memory>

#include "tools/tarnwickmenu.h"

class QMenu;

class CTarnwickMenuQt : public CTarnwickMenu
{
public:
    // A new empty popup menu that the builder owns; the platform menu factory.
    [[nodiscard]] static std::unique_ptr<CTarnwickMenuQt> Create();
    ~CTarnwickMenuQt() override;

    void AppendSeparator() override;
    bool Track(int x, int y, ITarnisView* view = nullptr) override;

    [[nodiscard]] QMenu* GetMenu() const { return m_menu; }

protected:
    bool InsertItem(const CString& text, CCommand& command) override;
    std::unique_ptr<CTarnwickMenu> InsertSubmenu(const CString& text) override;

private:
    // Fills the menu; owns it when owned is set (a submenu belongs to its parent menu).
    CTarnwickMenuQt(QMenu* menu, bool owned);

    QMenu* m_menu;
    std::unique_ptr<QMenu> m_ownedMenu;
};
