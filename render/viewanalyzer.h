#pragma once
// CViewAnalyzer: reads back the depth buffer of the frame last drawn over a window
// rectangle and reports the nearest depth with its pixel, the farthest depth of the
// model and the average depth of the model's pixels (a depth of 0.99999 or more is
// background; a framebuffer without depth shows no model). Zoom window, centring on a
// pixel, autopan and the camera tools ask it how far away the model shown around a
// point is. Made for one question on the stack; the view's context must be current.
//
// Rectangles are in GL window coordinates (rows from the bottom) unless said otherwise.

#include <vector>

#include "foundation/point2d.h"

class ITarnisView;

class CViewAnalyzer
{
public:
    explicit CViewAnalyzer(ITarnisView& view);
    CViewAnalyzer(const CViewAnalyzer&) = delete;
    CViewAnalyzer& operator=(const CViewAnalyzer&) = delete;
    virtual ~CViewAnalyzer();

    // The rectangle spanned by two window points (rows from the top), clamped to the
    // viewport. kind GL_DEPTH_COMPONENT analyses the depths; GL_RGB only reads the
    // colours and counts the pixels.
    void AnalyzeRect(const CPoint2d& a, const CPoint2d& b, unsigned kind);
    // Scans the rectangle and, while it shows no model, grows it by strips on each side,
    // doubling the strips each round, until model pixels are seen or the rectangle is
    // the whole viewport.
    void AnalyzeGrowing(int x, int y, int width, int height);
    // The growing analysis from the 100 by 100 pixel square around a window point (rows
    // from the top).
    void AnalyzeAround(const CPoint2d& windowPoint);

    // The average model depth; 0.5 when no model pixel was seen.
    [[nodiscard]] double GetAverage() const;
    [[nodiscard]] int GetCount() const { return m_count; }
    [[nodiscard]] double GetNearest() const { return m_nearest; }
    // The nearest depth's pixel in GL window coordinates.
    [[nodiscard]] int GetNearestX() const { return m_nearestX; }
    [[nodiscard]] int GetNearestY() const { return m_nearestY; }
    [[nodiscard]] double GetFarthest() const { return m_farthest; }

private:
    void ResetResults();
    // Scans the rectangle [x0, x1) by [y0, y1), already inside the viewport.
    void ScanDepth(int x0, int y0, int x1, int y1);

    ITarnisView& m_view;
    int m_count = 0;
    double m_nearest = 1.0;
    int m_nearestX = 0;
    int m_nearestY = 0;
    double m_farthest = 0.0;
    double m_sum = 0.0;
    int m_viewport[4] = {0, 0, 0, 0};
    int m_x0 = 0;
    int m_y0 = 0;
    int m_x1 = 0;
    int m_y1 = 0;
    int m_flipHeight = 0;
    bool m_hasDepth = false;
    std::vector<float> m_row;
};
