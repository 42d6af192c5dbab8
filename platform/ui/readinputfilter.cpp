#include "platform/ui/readinputfilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMainWindow>

#include "platform/quitrequest.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/winapp.h"

namespace {

QMainWindow* MainWindow()
{
    const CWinApp* app = AfxGetApp();
    return app != nullptr && app->m_pMainWnd != nullptr ? app->m_pMainWnd->GetWindow() : nullptr;
}

bool IsUserInput(QEvent::Type type)
{
    switch (type)
    {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::NativeGesture:
    // A file dropped on the window would be opened inside the read.
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: return true;
    default: return false;
    }
}

}  // namespace

CReadInputFilter::CReadInputFilter()
{
    QCoreApplication::instance()->installEventFilter(this);
}

CReadInputFilter::~CReadInputFilter()
{
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
}

bool CReadInputFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // The close goes on as it would after the read, and the read no longer holds it up.
    if (type == QEvent::Close)
    {
        if (watched == MainWindow())
            CQuitRequest::Request();
        return false;
    }
    if (!IsUserInput(type))
        return false;
    const bool key = type == QEvent::KeyPress || type == QEvent::ShortcutOverride;
    if (key && !CQuitRequest::IsRequested())
    {
        if (CWinApp* app = AfxGetApp())
        {
            if (app->IsExitKey(*static_cast<QKeyEvent*>(event)))
                app->OnQuitRequested();
        }
    }
    event->accept();
    return true;
}
