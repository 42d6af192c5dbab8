#pragma once
// CGradientSliderCtrl: a slider whose channel shows a colour gradient (two colours, or
// several stops in equal segments) in a sunken frame, with an optional narrow thumb, a
// compact layout for small sliders and labels that derived sliders draw. A click in the
// channel moves the thumb there at once and ends the tracking as a release does.
#include <QSlider>
#include <vector>

#include "platform/ui/uitypes.h"

// One band of a drawn gradient: where it starts along the gradient, how long it is and
// its colour.
struct CGradientBand
{
    int offset;
    int length;
    COLORREF colour;
};

// The bands of a gradient over `length` pixels: as many as the largest difference of
// one channel, but no more than the pixels; a single band when the colours are equal.
[[nodiscard]] std::vector<CGradientBand> GradientBands(COLORREF start, COLORREF end, int length);

class CGradientSliderCtrl : public QSlider
{
public:
    explicit CGradientSliderCtrl(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);

    void SetStartColor(COLORREF colour);
    void SetEndColor(COLORREF colour);
    void SetColorStops(const std::vector<COLORREF>& stops);
    void SetCompact(bool compact);
    // 0: the platform's thumb.
    void SetThumbWidth(int width);
    // A highlighted part of the range; start not below end shows none.
    void SetSelection(int start, int end);

    [[nodiscard]] virtual QRect GetThumbRect() const;
    [[nodiscard]] virtual QRect GetChannelRect() const;
    // The thumb as drawn: narrowed to the thumb width against the edge on the side of
    // the range the position lies in.
    [[nodiscard]] QRect GetDrawnThumbRect() const;
    // The position a click at that point of the channel moves the thumb to.
    [[nodiscard]] int PositionAtPoint(QPoint point) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

    virtual void DrawChannel(QPainter& painter, QRect channel);
    virtual void DrawLabels(QPainter& /*painter*/) {}
    virtual void DrawThumb(QPainter& painter);
    virtual void DrawMultiGradient(QPainter& painter, const QRect& rect, const std::vector<COLORREF>& stops);
    virtual void DrawGradient(QPainter& painter, const QRect& rect, COLORREF start, COLORREF end);

    [[nodiscard]] bool IsCompact() const { return m_compact; }

private:
    void UpdateShades();

    COLORREF m_startColor;
    COLORREF m_endColor;
    std::vector<COLORREF> m_colorStops;
    COLORREF m_selectionColor;
    COLORREF m_darkColor = 0;
    COLORREF m_shadowColor = 0;
    COLORREF m_highlightColor = 0;
    COLORREF m_faceColor = 0;
    bool m_compact = false;
    int m_thumbWidth = 0;
    int m_selectionStart = 0;
    int m_selectionEnd = 0;
    // Set for one paint while the control is disabled.
    bool m_paintingDisabled = false;
};
