#include "platform/ui/view.h"

#include <utility>

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QObject>
#include <QScreen>

#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/viewwidget.h"

CView::CView() = default;

CView::~CView()
{
    if (m_frame != nullptr && m_frame->GetActiveView() == this)
        m_frame->SetActiveView(nullptr);
    if (m_document != nullptr)
        m_document->RemoveView(this);
    if (m_widget != nullptr)
    {
        m_widget->Detach();
        delete m_widget;
    }
}

bool CView::Create(QWidget* parent)
{
    if (m_widget == nullptr)
        m_widget = new CViewWidget(*this, parent);
    return true;
}

void CView::DestroyWindow()
{
    if (m_widget == nullptr)
        return;
    OnDestroy();
    CViewWidget* widget = std::exchange(m_widget, nullptr);
    widget->Detach();
    m_timers.clear();
    m_paintPending = false;
    delete widget;
}

QWidget* CView::GetWidget() const
{
    return m_widget;
}

void CView::OnInitialUpdate()
{
    OnUpdate(nullptr, 0, nullptr);
}

void CView::OnUpdate(CView*, LPARAM, CObject*)
{
    Invalidate();
}

bool CView::OnCmdMsg(UINT id, CCmdUI* ui)
{
    if (HandleOwnCommand(id, ui))
        return true;
    return m_document != nullptr && m_document->OnCmdMsg(id, ui);
}

void CView::Invalidate()
{
    m_showOnly = false;
    m_frameWanted = true;
    if (m_widget == nullptr || std::exchange(m_paintPending, true))
        return;
    QMetaObject::invokeMethod(
        m_widget,
        [this] {
            if (std::exchange(m_paintPending, false) && m_widget != nullptr)
                m_widget->update();
        },
        Qt::QueuedConnection);
}

void CView::ShowPresentedFrame()
{
    if (m_widget == nullptr)
        return;
    m_showOnly = true;
    m_widget->update();
}

void CView::DiscardPresentedFrame()
{
    m_frameImage.reset();
    if (m_widget != nullptr)
        m_widget->update();
}

CView::EPaint CView::TakePaintRequest(bool whole)
{
    const bool showOnly = std::exchange(m_showOnly, false);
    const bool fits =
        m_frameImage != nullptr && m_widget != nullptr && m_frameImage->size() == m_widget->size();
    if (!m_frameWanted && (fits || showOnly))
        return EPaint::kShow;
    // Past here a frame is wanted, or the presented one no longer fits the window.
    // A frame drawn in a paint of a part of the window would show in that part only.
    if (!whole)
    {
        m_frameWanted = true;
        return EPaint::kShowThenDraw;
    }
    // The window's other widgets are painted and shown in the same pass as the view: a
    // long frame drawn in it would keep what a menu covered on the screen until it ends.
    // Feedback drawn over the presented frame is shown as it is before the frame comes.
    if (fits && !m_shownBeforeFrame && (showOnly || IsNextFrameSlow()))
    {
        m_shownBeforeFrame = true;
        return EPaint::kShowThenDraw;
    }
    m_shownBeforeFrame = false;
    m_paintPending = false;
    m_frameWanted = false;
    return EPaint::kDraw;
}

void CView::UpdateWindow()
{
    if (m_widget != nullptr)
        m_widget->repaint();
}

CRect CView::GetClientRect() const
{
    if (m_widget == nullptr)
        return {};
    return CRect{0, 0, m_widget->width(), m_widget->height()};
}

bool CView::IsWindowVisible() const
{
    return m_widget != nullptr && m_widget->isVisible();
}

UINT CView::SetTimer(UINT id, UINT milliseconds)
{
    if (m_widget == nullptr)
        return 0;
    KillTimer(id);
    m_timers[id] = m_widget->startTimer(static_cast<int>(std::max<UINT>(milliseconds, 1)));
    return id;
}

bool CView::KillTimer(UINT id)
{
    const auto found = m_timers.find(id);
    if (found == m_timers.end())
        return false;
    if (m_widget != nullptr)
        m_widget->killTimer(found->second);
    m_timers.erase(found);
    return true;
}

void CView::OnWindowDestroyed()
{
    m_widget = nullptr;
    m_paintPending = false;
    m_timers.clear();
}

void CView::DispatchTimer(int qtTimerId)
{
    for (const auto& [id, qtId] : m_timers)
        if (qtId == qtTimerId)
        {
            OnTimer(id);
            return;
        }
}

void CView::SetCursor(HCURSOR cursor)
{
    if (m_widget != nullptr)
        m_widget->setCursor(GetQtCursor(cursor));
}

void CView::PresentFrame(int width, int height, const std::vector<std::uint8_t>& rgba)
{
    if (width < 1 || height < 1 || rgba.size() < static_cast<size_t>(width) * static_cast<size_t>(height) * 4)
        return;
    // The framebuffer's alpha is what blending left there, not coverage: the window shows the
    // colours opaque, or blended areas would let the previous frame show through.
    m_frameImage = std::make_unique<QImage>(
        QImage(rgba.data(), width, height, width * 4, QImage::Format_RGBA8888).convertToFormat(QImage::Format_RGB32));
}

void CView::OnPaint()
{
    OnDraw();
}

int CView::GetScreenDepth() const
{
    if (m_widget == nullptr || m_widget->screen() == nullptr)
        return 24;
    return m_widget->screen()->depth();
}

void CView::SetCapture()
{
    if (m_widget != nullptr)
        m_widget->grabMouse();
}

void CView::ReleaseCapture()
{
    if (m_widget != nullptr && QWidget::mouseGrabber() == m_widget)
        m_widget->releaseMouse();
}

CPoint CView::ClientToScreen(CPoint point) const
{
    if (m_widget == nullptr)
        return point;
    const QPoint global = m_widget->mapToGlobal(QPoint(point.x, point.y));
    return CPoint{global.x(), global.y()};
}

CPoint CView::ScreenToClient(CPoint point) const
{
    if (m_widget == nullptr)
        return point;
    const QPoint local = m_widget->mapFromGlobal(QPoint(point.x, point.y));
    return CPoint{local.x(), local.y()};
}

CPoint CView::GetCursorPos()
{
    const QPoint pointer = QCursor::pos();
    return CPoint{pointer.x(), pointer.y()};
}

bool CView::IsAltKeyDown()
{
    return (QGuiApplication::queryKeyboardModifiers() & Qt::AltModifier) != 0;
}
