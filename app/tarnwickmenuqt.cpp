#include "app/tarnwickmenuqt.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <memory>

#include "drawapi/tarnisview.h"
#include "platform/ui/cmdui.h"
#include "platform/ui/coveredarea.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/winapp.h"
#include "tools/command.h"

namespace {

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

// The route a menu bar's command takes: the main window (view, document, frame, then the
// application), the application without one, the registry alone without a program.
bool RouteMenuCommand(int id, CCmdUI* ui)
{
    CWinApp* app = AfxGetApp();
    CCmdTarget* target = app != nullptr && app->m_pMainWnd != nullptr ? static_cast<CCmdTarget*>(app->m_pMainWnd)
                                                                      : app;
    if (target != nullptr)
        return target->OnCmdMsg(static_cast<UINT>(id), ui);
    if (ui != nullptr || !IsRegisteredCommandId(id))
        return false;
    FindAndExecuteCommand(id);
    return true;
}

int CommandIdOf(const QAction& action)
{
    bool isNumber = false;
    const int id = action.data().toInt(&isNumber);
    return isNumber ? id : 0;
}

void UpdateItemStates(QMenu& menu)
{
    for (QAction* action : menu.actions())
    {
        const int id = CommandIdOf(*action);
        if (action->menu() != nullptr || id < kFirstMenuCommandId)
            continue;
        CCmdUI ui(static_cast<UINT>(id));
        // A command the route does not know leaves its item as it is.
        if (!RouteMenuCommand(id, &ui))
            continue;
        action->setEnabled(ui.IsEnabled());
        // An item with a picture takes a check box only while it is checked: the box
        // would take the picture's place.
        action->setCheckable(ui.IsChecked() || (action->isCheckable() && action->icon().isNull()));
        action->setChecked(ui.IsChecked());
    }
}

// The command stays alive, and its id taken, until it has run; a run the event loop drops
// (the program ends first) lets go of it too.
void SendPickedCommand(int id)
{
    CCommand* command = FindAndUpdateCommand(id);
    if (command == nullptr)
        return;
    std::shared_ptr<CCommand> held(command, [](CCommand* c) { c->Release(); });
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [id, held] { RouteMenuCommand(id, nullptr); }, Qt::QueuedConnection);
}

void ReleaseItemCommands(const QMenu& menu)
{
    for (const QAction* action : menu.actions())
    {
        if (action->menu() != nullptr)
            ReleaseItemCommands(*action->menu());
        else if (CommandIdOf(*action) >= kFirstMenuCommandId)
            ReleaseCommandId(CommandIdOf(*action));
    }
}

}  // namespace

std::unique_ptr<CTarnwickMenuQt> CTarnwickMenuQt::Create()
{
    return std::unique_ptr<CTarnwickMenuQt>(new CTarnwickMenuQt(new QMenu, true));
}

CTarnwickMenuQt::CTarnwickMenuQt(QMenu* menu, bool owned) : m_menu(menu)
{
    if (owned)
        m_ownedMenu.reset(menu);
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] { UpdateItemStates(*menu); });
    QObject::connect(menu, &QMenu::aboutToHide, menu, [menu] { RepaintCoveredArea(*menu); });
}

CTarnwickMenuQt::~CTarnwickMenuQt()
{
    if (m_ownedMenu != nullptr)
        ReleaseItemCommands(*m_ownedMenu);
}

bool CTarnwickMenuQt::InsertItem(const CString& text, CCommand& command)
{
    const int id = command.GetId();
    QAction* action = m_menu->addAction(ToQString(text));
    action->setData(id);
    const int flags = command.GetFlags();
    action->setEnabled((flags & kMenuItemGrayed) == 0);
    action->setCheckable((flags & kMenuItemChecked) != 0);
    action->setChecked((flags & kMenuItemChecked) != 0);
    QObject::connect(action, &QAction::triggered, m_menu, [id] { SendPickedCommand(id); });
    return true;
}

void CTarnwickMenuQt::AppendSeparator()
{
    m_menu->addSeparator();
}

std::unique_ptr<CTarnwickMenu> CTarnwickMenuQt::InsertSubmenu(const CString& text)
{
    return std::unique_ptr<CTarnwickMenu>(new CTarnwickMenuQt(m_menu->addMenu(ToQString(text)), false));
}

bool CTarnwickMenuQt::Track(int x, int y, ITarnisView* view)
{
    CPoint2d point(x, y);
    if (view != nullptr)
        view->ClientToScreen(point);
    m_menu->exec(QPoint(static_cast<int>(point.x), static_cast<int>(point.y)));
    return true;
}
