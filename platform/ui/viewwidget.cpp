#include "platform/ui/viewwidget.h"

#include <QKeyEvent>
#include <algorithm>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QResizeEvent>
#include <QTimer>
#include <QTimerEvent>
#include <QWheelEvent>

#include "platform/ui/uitypes.h"
#include "platform/ui/view.h"
#include "platform/ui/virtualkey.h"

namespace {

UINT MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    UINT flags = 0;
    if ((buttons & Qt::LeftButton) != 0)
        flags |= MK_LBUTTON;
    if ((buttons & Qt::RightButton) != 0)
        flags |= MK_RBUTTON;
    if ((buttons & Qt::MiddleButton) != 0)
        flags |= MK_MBUTTON;
    if ((modifiers & Qt::ShiftModifier) != 0)
        flags |= MK_SHIFT;
    if ((modifiers & Qt::ControlModifier) != 0)
        flags |= MK_CONTROL;
    return flags;
}

CPoint ClientPoint(const QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    return CPoint{point.x(), point.y()};
}

// Keys that are no characters come with control text of their own (Delete 127, Backspace 8,
// Tab 9): they act as keys and type nothing, in every view. Enter and Esc alone go on as
// characters, which the typed value takes as its commands. (The value's buffer refuses
// control characters too, for whatever else sends it characters.)
bool TypesCharacter(QChar character)
{
    if (character.category() != QChar::Other_Control)
        return true;
    return character == u'\r' || character == u'\x1b';
}

}  // namespace

CViewWidget::CViewWidget(CView& view, QWidget* parent) : QWidget(parent), m_view(&view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

CViewWidget::~CViewWidget()
{
    if (m_view != nullptr)
        m_view->OnWindowDestroyed();
}

void CViewWidget::paintEvent(QPaintEvent* event)
{
    if (m_view == nullptr)
        return;
    // A first frame may take seconds: the window's menus and bars are shown first, over a
    // blank view, and the frame is drawn at the next turn of the loop.
    if (!m_windowShown && m_view->GetPresentedFrame() == nullptr)
    {
        m_windowShown = true;
        QPainter(this).fillRect(rect(), Qt::white);
        QTimer::singleShot(0, this, [this] { update(); });
        return;
    }
    // Feedback drawn over the last frame is shown as it is; a frame would wipe it. So is
    // the last frame when nothing asked for another (a menu closed over the view), and
    // before a frame that may take long: this pass shows the window whole at once.
    const bool whole = (QRegion(rect()) - event->region()).isEmpty();
    switch (m_view->TakePaintRequest(whole))
    {
    case CView::EPaint::kShow: break;
    case CView::EPaint::kShowThenDraw: QTimer::singleShot(0, this, [this] { update(); }); break;
    case CView::EPaint::kDraw: m_view->OnPaint(); break;
    }
    QPainter painter(this);
    if (const QImage* frame = m_view->GetPresentedFrame())
        painter.drawImage(0, 0, *frame);
    else
        painter.fillRect(rect(), Qt::white);
}

void CViewWidget::resizeEvent(QResizeEvent* event)
{
    if (m_view != nullptr)
        m_view->OnSize(event->size().width(), event->size().height());
}

void CViewWidget::timerEvent(QTimerEvent* event)
{
    if (m_view != nullptr)
        m_view->DispatchTimer(event->timerId());
}

void CViewWidget::mousePressEvent(QMouseEvent* event)
{
    if (m_view == nullptr)
        return;
    const UINT flags = MouseFlags(event->buttons(), event->modifiers());
    switch (event->button())
    {
    case Qt::LeftButton: m_view->OnLButtonDown(flags, ClientPoint(event)); break;
    case Qt::RightButton: m_view->OnRButtonDown(flags, ClientPoint(event)); break;
    case Qt::MiddleButton: m_view->OnMButtonDown(flags, ClientPoint(event)); break;
    default: break;
    }
}

void CViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_view == nullptr)
        return;
    const UINT flags = MouseFlags(event->buttons(), event->modifiers());
    switch (event->button())
    {
    case Qt::LeftButton: m_view->OnLButtonUp(flags, ClientPoint(event)); break;
    case Qt::RightButton: m_view->OnRButtonUp(flags, ClientPoint(event)); break;
    case Qt::MiddleButton: m_view->OnMButtonUp(flags, ClientPoint(event)); break;
    default: break;
    }
}

void CViewWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (m_view == nullptr)
        return;
    const UINT flags = MouseFlags(event->buttons(), event->modifiers());
    switch (event->button())
    {
    case Qt::LeftButton: m_view->OnLButtonDblClk(flags, ClientPoint(event)); break;
    case Qt::RightButton: m_view->OnRButtonDblClk(flags, ClientPoint(event)); break;
    case Qt::MiddleButton: m_view->OnMButtonDblClk(flags, ClientPoint(event)); break;
    default: break;
    }
}

void CViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_view != nullptr)
        m_view->OnMouseMove(MouseFlags(event->buttons(), event->modifiers()), ClientPoint(event));
}

void CViewWidget::leaveEvent(QEvent*)
{
    if (m_view != nullptr)
        m_view->OnMouseLeave();
}

void CViewWidget::wheelEvent(QWheelEvent* event)
{
    if (m_view == nullptr)
        return;
    const QPoint global = event->globalPosition().toPoint();
    const UINT flags = MouseFlags(event->buttons(), event->modifiers());
    if (m_view->OnMouseWheel(flags, event->angleDelta().y(), CPoint{global.x(), global.y()}))
        event->accept();
    else
        event->ignore();
}

void CViewWidget::keyPressEvent(QKeyEvent* event)
{
    if (m_view == nullptr)
        return;
    const bool repeated = m_heldKeys.Press(*event);
    const UINT repeat = static_cast<UINT>(std::max(1, event->count()));
    if (m_view->OnKeyDown(VirtualKeyFromQt(event->key()), repeat, repeated))
        return;
    for (const QChar character : event->text())
    {
        if (TypesCharacter(character))
            m_view->OnChar(character.unicode(), repeat, repeated);
    }
}

void CViewWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (m_heldKeys.Release(*event) && m_view != nullptr)
        m_view->OnKeyUp(VirtualKeyFromQt(event->key()), 1);
}

void CViewWidget::focusOutEvent(QFocusEvent* event)
{
    m_heldKeys.Clear();
    QWidget::focusOutEvent(event);
}
