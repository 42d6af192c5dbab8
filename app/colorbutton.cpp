#include "app/colorbutton.h"

#include <QPainter>
#include <cmath>

#include "platform/sysinfo.h"

namespace {

constexpr double kTintEpsilon = 0.001;

int Tinted(int channel, double tint)
{
    const double c = channel / 255.0;
    return static_cast<int>(std::lround((c + (1.0 - c) * tint) * 255.0));
}

}  // namespace

CColorButton::CColorButton(QWidget* parent) : CButtonST(parent) {}

void CColorButton::SetColor(const CColor& color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

void CColorButton::SetSwatch(bool swatch)
{
    m_swatch = swatch;
    update();
}

void CColorButton::SetDrawWhenDisabled(bool draw)
{
    m_drawWhenDisabled = draw;
    update();
}

void CColorButton::SetTint(double tint)
{
    if (tint == m_tint)
        return;
    m_tint = tint;
    update();
}

QColor CColorButton::GetFillColor() const
{
    const int red = m_color.GetRedByte();
    const int green = m_color.GetGreenByte();
    const int blue = m_color.GetBlueByte();
    if (std::abs(m_tint) < kTintEpsilon)
        return QColor(red, green, blue);
    return QColor(Tinted(red, m_tint), Tinted(green, m_tint), Tinted(blue, m_tint));
}

void CColorButton::DrawImage(QPainter& painter, const QRect& rect, QRect& captionRect, bool /*pressed*/,
                             bool disabled)
{
    const QRect inner = rect.adjusted(2, 2, -2, -2);
    const QColor face = ToQColor(GetSysColor(COLOR_BTNFACE));
    const bool caption = !text().isEmpty();
    if (m_color.GetValue() == 0 || (disabled && !m_drawWhenDisabled))
        painter.fillRect(inner, face);
    else if (m_swatch && caption)
    {
        painter.fillRect(inner, face);
        const int side = inner.height() - 2;
        painter.fillRect(QRect(inner.left() + 1, inner.top() + 1, side, side), GetFillColor());
    }
    else
        painter.fillRect(inner, GetFillColor());
    if (m_swatch)
        captionRect.setLeft(captionRect.left() + rect.height() / 3);
}
