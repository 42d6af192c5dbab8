#include "tools/tarnwickmenu.h"

#include <utility>

#include "platform/ui/stringtable.h"
#include "tools/command.h"
#include "tools/commandfunction.h"

namespace {

// User-interface thread only, like the menus.
PlatformMenuFactory& Factory()
{
    static PlatformMenuFactory factory;
    return factory;
}

}  // namespace

void CTarnwickMenu::AppendItem(const CString& text, CCommand* command, int flags, int associatedId)
{
    if (command == nullptr)
        return;
    command->SetFlags(flags);
    if (associatedId != 0)
        command->SetAssociatedId(associatedId);
    if (!InsertItem(text, *command))
        command->Release();
}

void CTarnwickMenu::AppendItem(int stringId, CCommand* command, int flags, int associatedId)
{
    AppendItem(LoadStringResource(stringId), command, flags, associatedId);
}

void CTarnwickMenu::AppendCallbackItem(const CString& text, std::function<void()> callback, int flags,
                                       int associatedId)
{
    AppendItem(text, new CCommandFunction(std::move(callback)), flags, associatedId);
}

void CTarnwickMenu::AppendCallbackItem(int stringId, std::function<void()> callback, int flags, int associatedId)
{
    AppendCallbackItem(LoadStringResource(stringId), std::move(callback), flags, associatedId);
}

std::unique_ptr<CTarnwickMenu> CTarnwickMenu::AppendSubmenu(const CString& text)
{
    return InsertSubmenu(text);
}

std::unique_ptr<CTarnwickMenu> CTarnwickMenu::AppendSubmenu(int stringId)
{
    return InsertSubmenu(LoadStringResource(stringId));
}

bool CTarnwickMenu::Track(int /*x*/, int /*y*/, ITarnisView* /*view*/)
{
    return false;
}

bool CTarnwickMenu::InsertItem(const CString& /*text*/, CCommand& /*command*/)
{
    return false;
}

std::unique_ptr<CTarnwickMenu> CTarnwickMenu::InsertSubmenu(const CString& /*text*/)
{
    return nullptr;
}

void SetPlatformMenuFactory(PlatformMenuFactory factory)
{
    Factory() = std::move(factory);
}

std::unique_ptr<CTarnwickMenu> CreatePlatformMenu(int flag)
{
    std::unique_ptr<CTarnwickMenu> menu;
    if (flag == 0 && Factory())
        menu = Factory()();
    return menu != nullptr ? std::move(menu) : std::make_unique<CTarnwickMenu>();
}
