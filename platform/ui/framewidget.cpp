#include "platform/ui/framewidget.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QResizeEvent>
#include <QUrl>

#include "platform/filekind.h"
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

// A drop that names files is the frame's, taken or refused; anything else is the main window's.
bool NamesFiles(const QDropEvent& drag)
{
    return drag.mimeData() != nullptr && drag.mimeData()->hasUrls();
}

// The file a drop opens (the first local one) must be a regular file; told from its name
// alone, so that a drag over the window never waits on a pipe or a device.
bool OpensDroppedFile(const std::vector<CString>& paths)
{
    return !paths.empty() && NamesRegularFile(paths.front());
}

// The program only reads a dropped file, so a drop is only ever taken as a copy: taken as the
// move the source may propose, it would tell the source to remove its file. A source that
// offers no copy is refused.
void AnswerDrag(QDropEvent& drag, bool takes)
{
    if (takes && (drag.possibleActions() & Qt::CopyAction) != 0)
    {
        drag.setDropAction(Qt::CopyAction);
        drag.accept();
    }
    else
        drag.ignore();
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
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return QMainWindow::event(event);
    auto* drag = static_cast<QDropEvent*>(event);
    if (!NamesFiles(*drag))
        return QMainWindow::event(event);
    // The file is looked at when the drag enters and again at the drop; the moves in
    // between keep the answer.
    const std::vector<CString> paths = LocalFiles(drag->mimeData());
    if (type != QEvent::DragMove)
        m_dragOpensFile = OpensDroppedFile(paths);
    AnswerDrag(*drag, m_dragOpensFile);
    if (type == QEvent::Drop && drag->isAccepted())
    {
        // The source waits until the drop returns: the file is read on the loop's next turn,
        // so that neither a long read nor a box that refuses the file holds the source.
        QMetaObject::invokeMethod(
            this,
            [this, paths] {
                if (m_frame != nullptr)
                    m_frame->OnDropFiles(paths);
            },
            Qt::QueuedConnection);
    }
    return true;
}

QMenu* CFrameWidget::createPopupMenu()
{
    if (m_frame != nullptr)
        if (QMenu* menu = m_frame->CreateBarsMenu())
            return menu;
    return QMainWindow::createPopupMenu();
}
