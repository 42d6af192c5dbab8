#pragma once
// CTarnwickMenu: builds a popup menu without knowing the platform's menus. Every item
// carries a command (CCommand) that runs when the user picks the item. The program
// installs its platform's menus with SetPlatformMenuFactory; without them, and in the
// operations of this base, menus stay empty and are never shown.
#include <functional>
#include <memory>

#include "platform/cstring.h"

class CCommand;
class ITarnisView;

class CTarnwickMenu
{
public:
    CTarnwickMenu() = default;
    virtual ~CTarnwickMenu() = default;
    CTarnwickMenu(const CTarnwickMenu&) = delete;
    CTarnwickMenu& operator=(const CTarnwickMenu&) = delete;

    // The menu takes over the caller's reference to the command and lets go of it when the
    // menu is deleted, or at once when the item cannot be added; a picked item's command
    // is held until it has run. The flags (kMenuItemGrayed, kMenuItemChecked) and an
    // associated id other than 0 are stored in the command; the item shows the command's
    // state each time the menu opens. A null command adds nothing.
    void AppendItem(const CString& text, CCommand* command, int flags = 0, int associatedId = 0);
    // The item's text is the string of that id.
    void AppendItem(int stringId, CCommand* command, int flags = 0, int associatedId = 0);
    // An item whose command calls the callback.
    void AppendCallbackItem(const CString& text, std::function<void()> callback, int flags = 0,
                            int associatedId = 0);
    void AppendCallbackItem(int stringId, std::function<void()> callback, int flags = 0, int associatedId = 0);
    virtual void AppendSeparator() {}
    // A builder that fills a new submenu; the submenu belongs to this menu and stays in it
    // when the builder is deleted, and the builder is not used once this menu is gone.
    // Null when the platform has no menus.
    [[nodiscard]] std::unique_ptr<CTarnwickMenu> AppendSubmenu(const CString& text);
    [[nodiscard]] std::unique_ptr<CTarnwickMenu> AppendSubmenu(int stringId);

    // Shows the menu at (x, y) until an item is picked or the menu is dismissed: screen
    // coordinates, or the view's client coordinates when a view is given. The picked
    // item's command runs once the event loop runs again, so the caller may delete the
    // menu first. True when the menu was shown.
    virtual bool Track(int x, int y, ITarnisView* view = nullptr);

protected:
    // The platform's item for the command; false when it could not be made.
    virtual bool InsertItem(const CString& text, CCommand& command);
    virtual std::unique_ptr<CTarnwickMenu> InsertSubmenu(const CString& text);
};

// Makes a new platform popup menu, owned by the builder.
using PlatformMenuFactory = std::function<std::unique_ptr<CTarnwickMenu>()>;

// The program's platform menus; an empty factory goes back to menus that stay empty.
void SetPlatformMenuFactory(PlatformMenuFactory factory);
// A new empty popup menu that the caller owns; a flag other than 0 gives a builder without
// a menu. Never null.
[[nodiscard]] std::unique_ptr<CTarnwickMenu> CreatePlatformMenu(int flag = 0);
