#include "platform/ui/dialogwidget.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QStyleHints>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "platform/ui/dialog.h"
#include "platform/ui/virtualkey.h"

namespace {

// A tip shows at most this many characters, as the tip request's buffer held.
constexpr int kMaxTipCharacters = 79;

const QColor kFrameColour(96, 96, 96);
const QColor kCaptionColour(52, 86, 140);
const QColor kCaptionTextColour(255, 255, 255);
const QColor kFaceColour(240, 240, 240);

UINT MouseFlags(const QMouseEvent* event)
{
    UINT flags = 0;
    if ((event->buttons() & Qt::LeftButton) != 0)
        flags |= MK_LBUTTON;
    if ((event->buttons() & Qt::RightButton) != 0)
        flags |= MK_RBUTTON;
    if ((event->modifiers() & Qt::ShiftModifier) != 0)
        flags |= MK_SHIFT;
    if ((event->modifiers() & Qt::ControlModifier) != 0)
        flags |= MK_CONTROL;
    return flags;
}

CPoint ToCPoint(QPoint point)
{
    return CPoint{point.x(), point.y()};
}

bool IsSizingHit(UINT hit)
{
    return hit >= HTLEFT && hit <= HTBOTTOMRIGHT;
}

}  // namespace

CDialogWidget::CDialogWidget(CDialog& dialog, QWidget* owner, bool child)
    : QWidget(owner, child ? Qt::Widget : Qt::Tool | Qt::FramelessWindowHint),
      m_dialog(&dialog),
      m_client(new QWidget(this)),
      m_child(child)
{
    setMouseTracking(false);
    if (!child)
    {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, kFaceColour);
        setPalette(palette);
        setAutoFillBackground(true);
    }
}

CDialogWidget::~CDialogWidget()
{
    if (m_dialog != nullptr)
        m_dialog->OnWindowDestroyed();
}

void CDialogWidget::SetFrame(int border, int caption)
{
    if (m_child)
        return;
    m_border = border;
    m_caption = caption;
    LayOutClient();
    update();
}

void CDialogWidget::SetClientSize(int width, int height)
{
    resize(width + 2 * m_border, height + 2 * m_border + m_caption);
    LayOutClient();
}

void CDialogWidget::LayOutClient()
{
    const int top = m_border + m_caption;
    m_client->setGeometry(m_border, top, std::max(0, width() - 2 * m_border), std::max(0, height() - top - m_border));
}

QRect CDialogWidget::CloseBoxRect() const
{
    if (m_caption <= 0)
        return {};
    const int side = m_caption - 4;
    return {width() - m_border - side - 2, m_border + 2, side, side};
}

UINT CDialogWidget::HitTest(QPoint local) const
{
    if (m_child || !rect().contains(local))
        return m_child ? HTCLIENT : HTNOWHERE;
    if (CloseBoxRect().contains(local))
        return HTCLOSE;
    const bool sizing = m_dialog != nullptr && (m_dialog->GetStyle() & WS_THICKFRAME) != 0;
    if (sizing)
    {
        const int corner = m_border + m_caption;
        const bool left = local.x() < m_border;
        const bool right = local.x() >= width() - m_border;
        const bool top = local.y() < m_border;
        const bool bottom = local.y() >= height() - m_border;
        const bool nearTop = local.y() < corner;
        const bool nearBottom = local.y() >= height() - corner;
        if ((left && nearTop) || (top && local.x() < corner))
            return HTTOPLEFT;
        if ((right && nearTop) || (top && local.x() >= width() - corner))
            return HTTOPRIGHT;
        if ((left && nearBottom) || (bottom && local.x() < corner))
            return HTBOTTOMLEFT;
        if ((right && nearBottom) || (bottom && local.x() >= width() - corner))
            return HTBOTTOMRIGHT;
        if (left)
            return HTLEFT;
        if (right)
            return HTRIGHT;
        if (top)
            return HTTOP;
        if (bottom)
            return HTBOTTOM;
    }
    if (local.y() >= m_border && local.y() < m_border + m_caption)
        return HTCAPTION;
    return m_client->geometry().contains(local) ? HTCLIENT : HTBORDER;
}

void CDialogWidget::WatchControl(QWidget* control)
{
    control->installEventFilter(this);
    for (QWidget* part : control->findChildren<QWidget*>())
        part->installEventFilter(this);
}

bool CDialogWidget::eventFilter(QObject* watched, QEvent* event)
{
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || m_dialog == nullptr)
        return false;
    if (event->type() == QEvent::KeyPress)
        return PreTranslateKey(target, static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::ToolTip && target != this)
        return ShowToolTip(target, event);
    return false;
}

bool CDialogWidget::PreTranslateKey(QWidget* target, QKeyEvent* event)
{
    CKeyMessage key;
    key.key = VirtualKeyFromQt(event->key());
    key.system = (event->modifiers() & Qt::AltModifier) != 0;
    key.event = event;
    // Every dialog around the control may take the key, the innermost first.
    for (QWidget* w = target; w != nullptr; w = w->parentWidget())
    {
        auto* window = dynamic_cast<CDialogWidget*>(w);
        if (window != nullptr && window->m_dialog != nullptr && window->m_dialog->PreTranslateKeyDown(key))
        {
            event->accept();
            return true;
        }
        if (w->isWindow())
            break;
    }
    return false;
}

bool CDialogWidget::ShowToolTip(QWidget* target, QEvent* event)
{
    QWidget* control = target;
    while (control != nullptr && control->property("dlgCtrlId").isNull())
        control = control->parentWidget();
    if (control == nullptr)
        return false;
    const int id = control->property("dlgCtrlId").toInt();
    const CString text = m_dialog->GetToolTipText(id);
    if (text.IsEmpty())
        return false;
    const QString tip = QString::fromStdString(text.ToUtf8()).left(kMaxTipCharacters);
    QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), tip, control);
    return true;
}

void CDialogWidget::paintEvent(QPaintEvent*)
{
    if (m_child || (m_border == 0 && m_caption == 0))
        return;
    QPainter painter(this);
    painter.setPen(kFrameColour);
    for (int i = 0; i < m_border; ++i)
        painter.drawRect(i, i, width() - 1 - 2 * i, height() - 1 - 2 * i);
    if (m_caption <= 0)
        return;
    const QRect caption(m_border, m_border, width() - 2 * m_border, m_caption);
    painter.fillRect(caption, kCaptionColour);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(8, m_caption - 6));
    painter.setFont(font);
    painter.setPen(kCaptionTextColour);
    const QRect close = CloseBoxRect();
    painter.drawText(caption.adjusted(4, 0, -(close.width() + 6), 0), Qt::AlignVCenter | Qt::AlignLeft,
                     windowTitle());
    // The close box: a cross on the caption.
    QPen pen(kCaptionTextColour, 1.5);
    painter.setPen(pen);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect cross = close.adjusted(3, 3, -3, -3);
    painter.drawLine(cross.topLeft(), cross.bottomRight());
    painter.drawLine(cross.topRight(), cross.bottomLeft());
}

void CDialogWidget::resizeEvent(QResizeEvent*)
{
    LayOutClient();
    if (m_dialog != nullptr)
        m_dialog->OnSize(SIZE_RESTORED, width(), height());
}

void CDialogWidget::moveEvent(QMoveEvent*)
{
    if (m_dialog != nullptr)
        m_dialog->OnMove(x(), y());
}

void CDialogWidget::mousePressEvent(QMouseEvent* event)
{
    if (m_dialog == nullptr || event->button() != Qt::LeftButton)
        return;
    if (IsSecondClick(event))
    {
        DoubleClick(event);
        return;
    }
    m_doubleClicked = false;
    const QPoint global = event->globalPosition().toPoint();
    m_dialog->SetMessageCursorPos(ToCPoint(global));
    const UINT hit = HitTest(event->position().toPoint());
    if (hit == HTCLOSE)
    {
        m_closePressed = true;
        return;
    }
    if (hit == HTCLIENT || hit == HTNOWHERE)
        return;
    const bool handled = m_dialog->OnNcLButtonDown(hit, ToCPoint(global));
    if (handled || m_dialog == nullptr || m_dialog->HasCapture())
        return;
    m_pressPoint = global;
    m_startRect = geometry();
    if (hit == HTCAPTION)
        m_tracking = Tracking::Moving;
    else if (IsSizingHit(hit) && (m_dialog->GetStyle() & WS_THICKFRAME) != 0)
    {
        m_tracking = Tracking::Sizing;
        m_sizingEdge = hit - HTLEFT + WMSZ_LEFT;
    }
}

QRect CDialogWidget::SizedRect(QPoint cursor) const
{
    const QPoint delta = cursor - m_pressPoint;
    int left = m_startRect.left();
    int top = m_startRect.top();
    int right = m_startRect.left() + m_startRect.width();
    int bottom = m_startRect.top() + m_startRect.height();
    const UINT edge = m_sizingEdge;
    if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT)
        left += delta.x();
    if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT)
        right += delta.x();
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT)
        top += delta.y();
    if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT)
        bottom += delta.y();
    return {left, top, right - left, bottom - top};
}

void CDialogWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dialog == nullptr)
        return;
    const QPoint global = event->globalPosition().toPoint();
    m_dialog->SetMessageCursorPos(ToCPoint(global));
    if (m_dialog->HasCapture())
    {
        m_dialog->OnMouseMove(MouseFlags(event), ToCPoint(m_client->mapFromGlobal(global)));
        return;
    }
    if (m_tracking == Tracking::Moving)
    {
        const QPoint delta = global - m_pressPoint;
        CRect rect{m_startRect.left() + delta.x(), m_startRect.top() + delta.y(),
                   m_startRect.left() + delta.x() + width(), m_startRect.top() + delta.y() + height()};
        m_dialog->OnMoving(rect);
        if (m_dialog != nullptr)
            m_dialog->SetWindowPos(rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    else if (m_tracking == Tracking::Sizing)
    {
        const QRect proposed = SizedRect(global);
        CRect rect{proposed.left(), proposed.top(), proposed.left() + proposed.width(),
                   proposed.top() + proposed.height()};
        m_dialog->OnSizing(m_sizingEdge, rect);
        if (m_dialog != nullptr)
            m_dialog->SetWindowPos(rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER);
    }
}

void CDialogWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_dialog == nullptr || event->button() != Qt::LeftButton)
        return;
    const QPoint global = event->globalPosition().toPoint();
    m_dialog->SetMessageCursorPos(ToCPoint(global));
    m_lastReleaseTime = event->timestamp();
    m_lastReleasePoint = global;
    if (m_tracking != Tracking::None)
    {
        m_tracking = Tracking::None;
        m_dialog->OnExitSizeMove();
        return;
    }
    if (m_closePressed)
    {
        m_closePressed = false;
        if (HitTest(event->position().toPoint()) == HTCLOSE)
            m_dialog->OnClose();
        return;
    }
    if (m_dialog->HasCapture())
        m_dialog->OnLButtonUp(MouseFlags(event), ToCPoint(m_client->mapFromGlobal(global)));
}

bool CDialogWidget::IsSecondClick(const QMouseEvent* event) const
{
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const QPoint distance = event->globalPosition().toPoint() - m_lastReleasePoint;
    return !m_doubleClicked && event->timestamp() >= m_lastReleaseTime &&
           event->timestamp() - m_lastReleaseTime <= static_cast<quint64>(interval) && distance.manhattanLength() <= 4;
}

void CDialogWidget::DoubleClick(const QMouseEvent* event)
{
    m_doubleClicked = true;
    const QPoint global = event->globalPosition().toPoint();
    m_dialog->SetMessageCursorPos(ToCPoint(global));
    const UINT hit = HitTest(event->position().toPoint());
    if (hit != HTCLIENT && hit != HTNOWHERE && hit != HTCLOSE)
        m_dialog->OnNcLButtonDblClk(hit, ToCPoint(global));
}

void CDialogWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Qt reports the double click after the second press, which counted as one already.
    if (m_dialog == nullptr || event->button() != Qt::LeftButton || m_doubleClicked)
        return;
    DoubleClick(event);
}

void CDialogWidget::keyPressEvent(QKeyEvent* event)
{
    if (m_dialog == nullptr)
        return;
    // A key of a control has passed the dialogs already; one for the window itself not.
    bool fromControl = false;
    for (const QWidget* w = QApplication::focusWidget(); w != nullptr && w != this; w = w->parentWidget())
        fromControl = fromControl || !w->property("dlgCtrlId").isNull();
    if (!fromControl && PreTranslateKey(this, event))
        return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        m_dialog->OnOK();
    else if (event->key() == Qt::Key_Escape)
        m_dialog->OnCancel();
    else
        event->ignore();
}
