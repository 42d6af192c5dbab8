#include "app/buttonst.h"

#include <QEnterEvent>
#include <QPainter>
#include <QPixmap>

#include "app/mfcwinbmp.h"
#include "platform/sysinfo.h"
#include "platform/ui/stringtable.h"

namespace {

QIcon IconFromResource(int id, int size)
{
    CMfcWinBmp bitmap;
    if (id == 0 || !bitmap.LoadFromSvgResource(id, size, size))
        return {};
    return QIcon(QPixmap::fromImage(bitmap.ToImage()));
}

}  // namespace

QColor ToQColor(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

CButtonST::CButtonST(QWidget* parent)
    : QPushButton(parent),
      m_idleBackground(GetSysColor(COLOR_BTNFACE)),
      m_idleText(GetSysColor(COLOR_BTNTEXT)),
      m_activeBackground(GetSysColor(COLOR_BTNFACE)),
      m_activeText(GetSysColor(COLOR_BTNTEXT))
{
    setAttribute(Qt::WA_Hover);
    // A double click reaches the button as a second press: QWidget's own double-click
    // handling does exactly that, so it is left in place.
}

void CButtonST::SetIcons(int inId, int outId, int size)
{
    m_iconSize = size;
    m_iconIn = IconFromResource(inId, size);
    m_iconOut = outId != 0 ? IconFromResource(outId, size) : m_iconIn;
    update();
}

void CButtonST::SetTooltipText(const CString& text, bool activate)
{
    setToolTip(activate ? QString::fromStdString(text.ToUtf8()) : QString());
    update();
}

void CButtonST::SetTooltipText(int stringId, bool activate)
{
    const CString text = LoadStringResource(stringId);
    if (!text.IsEmpty())
        SetTooltipText(text, activate);
}

void CButtonST::SetCheck(int state, bool redraw)
{
    m_checkState = state;
    if (redraw)
        update();
}

void CButtonST::ToggleCheck(bool redraw)
{
    SetCheck(m_checkState != 0 ? 0 : 1, redraw);
}

void CButtonST::SetShowCaption(bool show)
{
    m_showCaption = show;
    update();
}

void CButtonST::SetFlat(bool flat)
{
    m_flat = flat;
    update();
}

void CButtonST::SetDrawBorder(bool draw)
{
    m_drawBorder = draw;
    update();
}

void CButtonST::SetTransparent(bool transparent)
{
    m_transparent = transparent;
    update();
}

void CButtonST::SetFocusOnFlat(bool focus)
{
    m_focusOnFlat = focus;
    update();
}

void CButtonST::SetImageAlign(int align, int margin)
{
    m_imageAlign = align;
    m_imageMargin = margin;
    update();
}

void CButtonST::SetButtonCursor(HCURSOR cursor)
{
    if (cursor != nullptr)
        setCursor(GetQtCursor(cursor));
    else
        unsetCursor();
}

void CButtonST::SetColors(COLORREF idleBackground, COLORREF idleText, COLORREF activeBackground, COLORREF activeText)
{
    m_idleBackground = idleBackground;
    m_idleText = idleText;
    m_activeBackground = activeBackground;
    m_activeText = activeText;
    update();
}

void CButtonST::SetDefault(bool isDefault)
{
    m_isDefault = isDefault;
    update();
}

void CButtonST::enterEvent(QEnterEvent* event)
{
    m_mouseOver = true;
    update();
    QPushButton::enterEvent(event);
}

void CButtonST::leaveEvent(QEvent* event)
{
    m_mouseOver = false;
    update();
    QPushButton::leaveEvent(event);
}

void CButtonST::DrawBorder(QPainter& painter, const QRect& rect, bool pressed) const
{
    const QRect r = rect.adjusted(0, 0, -1, -1);
    auto frame = [&painter, &r](int inset, COLORREF topLeft, COLORREF bottomRight) {
        const QRect f = r.adjusted(inset, inset, -inset, -inset);
        painter.setPen(ToQColor(topLeft));
        painter.drawLine(f.topLeft(), f.topRight());
        painter.drawLine(f.topLeft(), f.bottomLeft());
        painter.setPen(ToQColor(bottomRight));
        painter.drawLine(f.bottomLeft(), f.bottomRight());
        painter.drawLine(f.topRight(), f.bottomRight());
    };
    if (pressed)
    {
        if (m_drawBorder)
            frame(0, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        return;
    }
    if (!m_flat)
    {
        frame(0, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_3DDKSHADOW));
        frame(1, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_BTNSHADOW));
    }
    else if (m_mouseOver && m_drawBorder)
        frame(0, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
}

void CButtonST::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QRect rect = this->rect();
    const bool pressed = IsPressedLook();
    const bool disabled = !isEnabled();
    if (!m_flat && (hasFocus() || m_isDefault))
    {
        painter.setPen(Qt::black);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
        rect.adjust(1, 1, -1, -1);
    }
    // A transparent button leaves its parent's background showing through.
    if (!m_transparent)
        painter.fillRect(rect, ToQColor(m_mouseOver || pressed ? m_activeBackground : m_idleBackground));
    DrawBorder(painter, rect, pressed);
    QRect captionRect = rect;
    DrawImage(painter, rect, captionRect, pressed, disabled);
    if (m_showCaption && !text().isEmpty())
        DrawCaption(painter, captionRect, pressed, disabled);
    if (hasFocus() && (!m_flat || m_focusOnFlat))
    {
        QPen dotted(Qt::black, 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(3, 3, -4, -4));
    }
}

void CButtonST::DrawImage(QPainter& painter, const QRect& rect, QRect& captionRect, bool pressed, bool disabled)
{
    const QIcon& icon = pressed ? m_iconIn : m_iconOut;
    if (icon.isNull())
        return;
    const int size = m_iconSize;
    const bool caption = m_showCaption && !text().isEmpty();
    QRect image(0, 0, size, size);
    if (!caption)
        image.moveCenter(rect.center());
    else if (m_imageAlign == kImageAbove)
    {
        image.moveTo(rect.left() + (rect.width() - size) / 2, rect.top() + 3);
        captionRect.setTop(image.bottom() + 1);
    }
    else
    {
        image.moveTo(rect.left() + 3 + m_imageMargin, rect.top() + (rect.height() - size) / 2);
        captionRect.setLeft(rect.left() + size - 2 * m_imageMargin + 10);
    }
    if (pressed)
        image.translate(1, 1);
    icon.paint(&painter, image, Qt::AlignCenter, disabled ? QIcon::Disabled : QIcon::Normal);
}

void CButtonST::DrawCaption(QPainter& painter, const QRect& captionRect, bool pressed, bool disabled)
{
    painter.setFont(font());
    QRect measured = painter.fontMetrics().boundingRect(text());
    measured.moveCenter(captionRect.center());
    if (pressed)
        measured.translate(1, 1);
    const COLORREF colour = disabled ? GetSysColor(COLOR_GRAYTEXT) : m_mouseOver ? m_activeText : m_idleText;
    painter.setPen(ToQColor(colour));
    painter.drawText(measured, Qt::AlignCenter | Qt::TextSingleLine, text());
}
