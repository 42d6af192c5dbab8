#pragma once
// IPickHelper: what an element's window-selection test asks of the pick that runs it.
// The pick has drawn the model for GL selection and now asks each element it hit
// whether it lies wholly inside the window rectangle; the element tests its own points
// and segments, in its local coordinates (the view's current transformation carries
// them into the model), after leaving out what the active section planes cut away.

struct CBoundedLine3d;
struct CLine3d;
struct CPoint3d;
class ITarnisView;

class IPickHelper
{
public:
    // The modes of a pick: a point with its aperture, a window rectangle that must hold
    // what it selects, a crossing rectangle that selects what it touches.
    static constexpr int kModePoint = 1;
    static constexpr int kModeWindow = 2;
    static constexpr int kModeCrossing = 3;

    virtual ~IPickHelper() = default;

    [[nodiscard]] virtual int GetMode() const = 0;
    // The view the pick runs in; its current transformation and section planes are those
    // of the element being tested.
    [[nodiscard]] virtual ITarnisView* GetPickView() const = 0;
    // Whether the point, in local coordinates, projects inside the pick's square or
    // rectangle, in front of the eye and before the far plane.
    [[nodiscard]] virtual bool TestPoint(const CPoint3d& point) const = 0;
    // A region pick needs both ends; a point pick the point of the segment nearest to
    // the pick ray.
    [[nodiscard]] virtual bool TestSegment(const CPoint3d& start, const CPoint3d& end) const = 0;
    // A line unbounded at either end is never held by a rectangle.
    [[nodiscard]] virtual bool TestLine(const CBoundedLine3d& line) const = 0;
    // The line of sight through the pick point (a region's centre), in local
    // coordinates.
    [[nodiscard]] virtual CLine3d GetLocalPickLine() const = 0;
};
