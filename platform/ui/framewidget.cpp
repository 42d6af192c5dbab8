#include "platform/ui/framewidget.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QResizeEvent>
#include <QUrl>

#include "platform/ui/framewnd.h"

namespace {

// Interfaces refresh their command states this often while the window is shown.
constexpr int kCommandUpdateMilliseconds = 200;

std::vector<CString> LocalFiles(const QMimeData* data)
{
    std::vector<CString> paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths.push_back(CString::FromUtf8(url.toLocalFile().toStdString()));
    return paths;
}

}  // namespace

CFrameWidget::CFrameWidget(CFrameWnd& frame) : m_frame(&frame)
{
    QObject::connect(&m_updateTimer, &QTimer::timeout, this, [this] {
        if (m_frame != nullptr && isVisible())
            m_frame->UpdateCommandUI();
    });
    m_updateTimer.start(kCommandUpdateMilliseconds);
}

void CFrameWidget::closeEvent(QCloseEvent* event)
{
    bool accept = true;
    if (m_frame != nullptr && !m_closingByFrame)
        m_frame->HandleCloseRequest(accept);
    if (accept)
        event->accept();
    else
        event->ignore();
}

void CFrameWidget::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (m_frame == nullptr)
        return;
    const int type = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    m_frame->OnSize(type, event->size().width(), event->size().height());
}

bool CFrameWidget::event(QEvent* event)
{
    if (event->type() == QEvent::DragEnter)
    {
        auto* enter = static_cast<QDragEnterEvent*>(event);
        if (LocalFiles(enter->mimeData()).empty())
            return QMainWindow::event(event);
        enter->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop)
    {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::vector<CString> paths = LocalFiles(drop->mimeData());
        if (paths.empty())
            return QMainWindow::event(event);
        drop->acceptProposedAction();
        if (m_frame != nullptr)
            m_frame->OnDropFiles(paths);
        return true;
    }
    return QMainWindow::event(event);
}

QMenu* CFrameWidget::createPopupMenu()
{
    if (m_frame != nullptr)
        if (QMenu* menu = m_frame->CreateBarsMenu())
            return menu;
    return QMainWindow::createPopupMenu();
}
