#include "app/titletip.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "app/buttonst.h"
#include "platform/sysinfo.h"

std::vector<CString> SplitTipLines(const CString& text)
{
    std::vector<CString> lines;
    CString line;
    for (int i = 0; i < text.GetLength(); ++i)
    {
        const char16_t unit = text[i];
        if (unit == u'\n')
        {
            lines.push_back(line);
            line = CString();
        }
        else
            line += unit;
    }
    if (!line.IsEmpty())
        lines.push_back(line);
    return lines;
}

CRect PlaceTip(CPoint position, int widest, int lineHeight, int lineCount, CPoint offset, int margin,
               int screenWidth, int screenHeight)
{
    const int width = widest + 2 * margin + 2;
    const int height = lineCount * lineHeight + 4;
    CRect rect{position.x, position.y, position.x + width, position.y + height};
    if (rect.right > screenWidth)
    {
        const int by = widest + 2 * (offset.x + margin) + 2;
        rect.left -= by;
        rect.right -= by;
    }
    if (rect.bottom > screenHeight)
    {
        const int by = lineCount * lineHeight + 2 * offset.y + 4;
        rect.top -= by;
        rect.bottom -= by;
    }
    return rect;
}

CTitleTip::CTitleTip()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint),
      m_textColor(GetSysColor(COLOR_INFOTEXT)),
      m_backgroundColor(GetSysColor(COLOR_INFOBK))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    setFont(QApplication::font());
    m_showTimer.setSingleShot(true);
    m_hideTimer.setSingleShot(true);
    QObject::connect(&m_showTimer, &QTimer::timeout, this, [this] { OnShowTimer(); });
    QObject::connect(&m_hideTimer, &QTimer::timeout, this, [this] { Hide(true); });
}

CTitleTip::~CTitleTip()
{
    if (m_owner != nullptr)
        m_owner->removeEventFilter(this);
}

bool CTitleTip::Create(QWidget* owner)
{
    if (owner == nullptr)
        return false;
    if (m_owner != nullptr)
        m_owner->removeEventFilter(this);
    m_owner = owner;
    setParent(owner, windowFlags());
    owner->installEventFilter(this);
    return true;
}

void CTitleTip::SetText(const CString& text)
{
    m_text = text;
    m_lines = SplitTipLines(text);
}

void CTitleTip::SetTextColor(COLORREF colour)
{
    m_textColor = colour;
    update();
}

void CTitleTip::ShowAt(CPoint point)
{
    m_showTimer.stop();
    m_position = QPoint(point.x + m_offsetX, point.y + m_offsetY);
    m_cursor = QCursor::pos();
    if (m_showDelay == 0)
        Show();
    else
        m_showTimer.start(m_showDelay);
}

void CTitleTip::ShowAtCursor()
{
    const QPoint cursor = QCursor::pos();
    ShowAt(CPoint{cursor.x(), cursor.y()});
}

void CTitleTip::Hide(bool clearText)
{
    if (!isVisible() && !IsPending())
        return;
    m_showTimer.stop();
    m_hideTimer.stop();
    if (clearText)
        SetText(CString());
    hide();
}

void CTitleTip::Show()
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr)
        return;
    if (!m_showWithoutOwnerFocus && (m_owner == nullptr || (focus != m_owner && !m_owner->isAncestorOf(focus))))
        return;
    m_hotRect = QRect(m_cursor.x() - m_hoverTolerance, m_cursor.y() - m_hoverTolerance, 2 * m_hoverTolerance + 1,
                      2 * m_hoverTolerance + 1);
    const QFontMetrics metrics(font());
    int widest = 0;
    for (const CString& line : m_lines)
        widest = std::max(widest, metrics.horizontalAdvance(QString::fromStdString(line.ToUtf8())));
    const int lineHeight = metrics.height();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen != nullptr ? screen->geometry().size() : QSize(1920, 1080);
    const CRect rect = PlaceTip(CPoint{m_position.x(), m_position.y()}, widest, lineHeight,
                                static_cast<int>(m_lines.size()), CPoint{m_offsetX, m_offsetY}, m_margin,
                                size.width(), size.height());
    setGeometry(rect.left, rect.top, rect.Width(), rect.Height());
    show();
    raise();
    update();
    m_hideTimer.start(m_hideDelay);
}

void CTitleTip::OnShowTimer()
{
    hide();
    // A cursor that moved on while the tip waited no longer asks for it.
    const QRect square(m_cursor.x() - m_hoverTolerance, m_cursor.y() - m_hoverTolerance, 2 * m_hoverTolerance + 1,
                       2 * m_hoverTolerance + 1);
    if (square.contains(QCursor::pos()))
        Show();
}

void CTitleTip::OnMouseMoved(QPoint screen)
{
    if (!m_keepOnMove && m_hideTimer.isActive() && !m_hotRect.contains(screen))
        Hide(true);
}

void CTitleTip::RelayEvent(const QEvent* event)
{
    switch (event->type())
    {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: Hide(true); break;
    case QEvent::MouseMove:
        OnMouseMoved(static_cast<const QMouseEvent*>(event)->globalPosition().toPoint());
        break;
    default: break;
    }
}

bool CTitleTip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && (isVisible() || IsPending()))
        RelayEvent(event);
    return false;
}

void CTitleTip::mouseMoveEvent(QMouseEvent* event)
{
    OnMouseMoved(event->globalPosition().toPoint());
}

void CTitleTip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(m_backgroundColor));
    painter.setPen(ToQColor(m_textColor));
    const QFontMetrics metrics(font());
    int y = 2;
    for (const CString& line : m_lines)
    {
        painter.drawText(m_margin, y + metrics.ascent(), QString::fromStdString(line.ToUtf8()));
        y += metrics.height();
    }
}
