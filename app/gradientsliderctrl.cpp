#include "app/gradientsliderctrl.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <cstdlib>

#include "app/buttonst.h"
#include "platform/sysinfo.h"

namespace {

constexpr int kMinChannelThickness = 10;

int Channel(COLORREF colour, int index)
{
    return index == 0 ? GetRValue(colour) : index == 1 ? GetGValue(colour) : GetBValue(colour);
}

// The mid-point of two colours, each channel rounded up.
COLORREF MidPoint(COLORREF a, COLORREF b)
{
    return RGB((GetRValue(a) + GetRValue(b) + 1) / 2, (GetGValue(a) + GetGValue(b) + 1) / 2,
               (GetBValue(a) + GetBValue(b) + 1) / 2);
}

}  // namespace

std::vector<CGradientBand> GradientBands(COLORREF start, COLORREF end, int length)
{
    if (length <= 0)
        return {};
    int bands = 0;
    for (int c = 0; c < 3; ++c)
        bands = std::max(bands, std::abs(Channel(end, c) - Channel(start, c)));
    bands = std::clamp(bands, 1, length);
    std::vector<CGradientBand> result;
    result.reserve(static_cast<size_t>(bands));
    for (int k = 0; k < bands; ++k)
    {
        const int from = k * length / bands;
        const int to = (k + 1) * length / bands;
        int rgb[3];
        for (int c = 0; c < 3; ++c)
            rgb[c] = Channel(start, c) + (Channel(end, c) - Channel(start, c)) * k / bands;
        result.push_back(CGradientBand{from, to - from, RGB(rgb[0], rgb[1], rgb[2])});
    }
    return result;
}

CGradientSliderCtrl::CGradientSliderCtrl(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent),
      m_startColor(GetSysColor(COLOR_WINDOW)),
      m_endColor(GetSysColor(COLOR_WINDOW)),
      m_selectionColor(GetSysColor(COLOR_HIGHLIGHT))
{
    // The minimum at the top, as the platform's sliders stand.
    if (orientation == Qt::Vertical)
        setInvertedAppearance(true);
    UpdateShades();
}

void CGradientSliderCtrl::UpdateShades()
{
    m_darkColor = MidPoint(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_3DDKSHADOW));
    m_shadowColor = GetSysColor(COLOR_BTNSHADOW);
    m_highlightColor = GetSysColor(COLOR_BTNHIGHLIGHT);
    m_faceColor = GetSysColor(COLOR_BTNFACE);
}

void CGradientSliderCtrl::SetStartColor(COLORREF colour)
{
    m_startColor = colour;
    UpdateShades();
    update();
}

void CGradientSliderCtrl::SetEndColor(COLORREF colour)
{
    m_endColor = colour;
    UpdateShades();
    update();
}

void CGradientSliderCtrl::SetColorStops(const std::vector<COLORREF>& stops)
{
    m_colorStops = stops;
    update();
}

void CGradientSliderCtrl::SetCompact(bool compact)
{
    m_compact = compact;
    update();
}

void CGradientSliderCtrl::SetThumbWidth(int width)
{
    m_thumbWidth = width;
    update();
}

void CGradientSliderCtrl::SetSelection(int start, int end)
{
    m_selectionStart = start;
    m_selectionEnd = end;
    update();
}

QRect CGradientSliderCtrl::GetThumbRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    QRect thumb = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    if (m_compact && !(thumb.height() < 13 && thumb.top() < 3))
        thumb = QRect(thumb.left(), 2, thumb.width(), 13);
    return thumb;
}

QRect CGradientSliderCtrl::GetChannelRect() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    QRect channel = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    // The platform's groove is a thin line; the gradient needs room to show.
    if (orientation() == Qt::Horizontal && channel.height() < kMinChannelThickness)
        channel = QRect(channel.left(), channel.center().y() - kMinChannelThickness / 2, channel.width(),
                        kMinChannelThickness);
    else if (orientation() == Qt::Vertical && channel.width() < kMinChannelThickness)
        channel = QRect(channel.center().x() - kMinChannelThickness / 2, channel.top(), kMinChannelThickness,
                        channel.height());
    if (m_compact && channel.height() > 9)
        channel = QRect(channel.left(), 2, channel.width(), 10);
    return channel;
}

QRect CGradientSliderCtrl::GetDrawnThumbRect() const
{
    QRect thumb = GetThumbRect();
    if (m_thumbWidth < 1)
        return thumb;
    // The platform's thumb covers its position from the middle; the narrow one keeps
    // the edge towards the end of the range the position is nearer.
    const bool upperHalf = value() - minimum() >= (maximum() - minimum() + 1) / 2;
    if (orientation() == Qt::Horizontal)
    {
        if (upperHalf)
            thumb.setLeft(thumb.right() + 1 - m_thumbWidth);
        else
            thumb.setWidth(m_thumbWidth);
    }
    else if (upperHalf)
    {
        const int bottom = thumb.bottom() - 2;
        thumb = QRect(thumb.left(), bottom + 1 - m_thumbWidth, thumb.width(), m_thumbWidth);
    }
    else
        thumb.setHeight(m_thumbWidth);
    return thumb;
}

int CGradientSliderCtrl::PositionAtPoint(QPoint point) const
{
    const QRect channel = GetChannelRect();
    const QRect thumb = GetThumbRect();
    const bool horizontal = orientation() == Qt::Horizontal;
    const int click = horizontal ? point.x() - channel.left() : point.y() - channel.top();
    const int thumbLength = horizontal ? thumb.width() : thumb.height();
    const int span = (horizontal ? channel.width() : channel.height()) - thumbLength;
    if (span <= 0)
        return minimum();
    const long long position =
        minimum() + static_cast<long long>(maximum() - minimum()) * (click - thumbLength / 2) / span;
    return static_cast<int>(std::clamp<long long>(position, minimum(), maximum()));
}

void CGradientSliderCtrl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_paintingDisabled = !isEnabled();
    DrawChannel(painter, GetChannelRect());
    m_paintingDisabled = false;
    DrawThumb(painter);
    // A compact slider's labels were drawn with its channel, under the thumb.
    if (!m_compact)
        DrawLabels(painter);
}

void CGradientSliderCtrl::DrawThumb(QPainter& painter)
{
    if (m_thumbWidth < 1)
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        option.subControls = QStyle::SC_SliderHandle;
        style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
        return;
    }
    const QRect thumb = GetDrawnThumbRect();
    painter.fillRect(thumb, ToQColor(m_faceColor));
    painter.setPen(ToQColor(m_highlightColor));
    painter.drawLine(thumb.topLeft(), thumb.topRight());
    painter.drawLine(thumb.topLeft(), thumb.bottomLeft());
    painter.setPen(ToQColor(m_darkColor));
    painter.drawLine(thumb.bottomLeft(), thumb.bottomRight());
    painter.drawLine(thumb.topRight(), thumb.bottomRight());
}

void CGradientSliderCtrl::DrawChannel(QPainter& painter, QRect channel)
{
    if (orientation() == Qt::Vertical && channel.width() > channel.height())
        channel = QRect(channel.left(), channel.top(), channel.height(), channel.width());
    if (minimum() != 0 || maximum() != 0)
        channel.adjust(0, 1, 0, -1);
    const COLORREF start = m_paintingDisabled ? m_faceColor : m_startColor;
    const COLORREF end = m_paintingDisabled ? m_faceColor : m_endColor;
    const int across = orientation() == Qt::Horizontal ? channel.height() : channel.width();
    if (across >= 4)
    {
        if (m_paintingDisabled)
            painter.fillRect(channel, ToQColor(start));
        else if (start != end)
            DrawGradient(painter, channel, start, end);
        else if (!m_colorStops.empty())
            DrawMultiGradient(painter, channel, m_colorStops);
        else
            painter.fillRect(channel, ToQColor(start));
    }
    // A sunken frame: shadow outside and dark inside on the left and top, highlight
    // outside and face inside on the right and bottom.
    const QRect outer = channel.adjusted(0, 0, -1, -1);
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    auto edges = [&painter](const QRect& r, COLORREF topLeft, COLORREF bottomRight) {
        painter.setPen(ToQColor(topLeft));
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(ToQColor(bottomRight));
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    edges(outer, m_shadowColor, m_highlightColor);
    edges(inner, m_darkColor, m_faceColor);
    const int range = maximum() - minimum();
    if (m_selectionStart < m_selectionEnd && range > 0)
    {
        const QRect area = channel.adjusted(2, 2, -2, -2);
        if (orientation() == Qt::Horizontal)
        {
            const int from = area.left() + area.width() * (m_selectionStart - minimum()) / range;
            const int to = area.left() + area.width() * (m_selectionEnd - minimum()) / range;
            painter.fillRect(QRect(from, area.top(), to - from, area.height()), ToQColor(m_selectionColor));
        }
        else
        {
            const int from = area.top() + area.height() * (m_selectionStart - minimum()) / range;
            const int to = area.top() + area.height() * (m_selectionEnd - minimum()) / range;
            painter.fillRect(QRect(area.left(), from, area.width(), to - from), ToQColor(m_selectionColor));
        }
    }
    if (m_compact)
        DrawLabels(painter);
}

void CGradientSliderCtrl::DrawGradient(QPainter& painter, const QRect& rect, COLORREF start, COLORREF end)
{
    const bool horizontal = orientation() == Qt::Horizontal;
    const int length = horizontal ? rect.width() : rect.height();
    for (const CGradientBand& band : GradientBands(start, end, length))
    {
        // Horizontal gradients run left to right, vertical ones from the bottom up.
        const QRect part = horizontal ? QRect(rect.left() + band.offset, rect.top(), band.length, rect.height())
                                      : QRect(rect.left(), rect.bottom() + 1 - band.offset - band.length,
                                              rect.width(), band.length);
        painter.fillRect(part, ToQColor(band.colour));
    }
}

void CGradientSliderCtrl::DrawMultiGradient(QPainter& painter, const QRect& rect, const std::vector<COLORREF>& stops)
{
    const int count = static_cast<int>(stops.size());
    if (count < 2)
    {
        if (count == 1)
            painter.fillRect(rect, ToQColor(stops.front()));
        return;
    }
    const bool horizontal = orientation() == Qt::Horizontal;
    const int length = horizontal ? rect.width() : rect.height();
    const int segment = (length + count - 2) / (count - 1);
    for (int i = 0; i + 1 < count; ++i)
    {
        const int from = i * segment;
        const int to = i + 2 == count ? length : std::min(length, from + segment);
        const QRect part = horizontal ? QRect(rect.left() + from, rect.top(), to - from, rect.height())
                                      : QRect(rect.left(), rect.bottom() + 1 - to, rect.width(), to - from);
        DrawGradient(painter, part, stops[static_cast<size_t>(i)], stops[static_cast<size_t>(i) + 1]);
    }
}

void CGradientSliderCtrl::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton && GetChannelRect().contains(point) && !GetThumbRect().contains(point))
    {
        setValue(PositionAtPoint(point));
        update();
        // The owner hears the end of a tracking, as after a drag of the thumb.
        emit sliderReleased();
    }
    QSlider::mousePressEvent(event);
}
