#pragma once
// CViewCenterFinder: finds the model point the camera turns about: the standard views,
// Iso and orbiting keep it where it is on the screen. It walks the model shown and
// keeps the vertices that project into the viewport (and are not cut away by the
// root's section plane), summing their depth along the line of sight through the
// viewport centre. Made on the stack for one question.

#include "foundation/boundingbox3d.h"
#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "foundation/point2d.h"
#include "render/modelpointwalk.h"

class CTarnisView;

class CViewCenterFinder : public CModelPointWalk
{
public:
    explicit CViewCenterFinder(CTarnisView& view);
    ~CViewCenterFinder() override;

    // The centre of the box of the vertices in view; without any, the centre of the
    // model's box. False when the model shows nothing at all.
    bool GetCentre(CPoint3d& centre);
    // The orbit centre for a window point: the point on the line of sight through the
    // viewport centre at the average depth of the vertices in view that lie less than
    // twice as deep as the model point under the window point (or under the viewport
    // centre). Without such vertices the hit point itself, else the camera's target. The
    // picks and the walk stop for any input, the pointer's motion and the wheel too: the
    // answer is then GetPivotAtHand's, and false says it is not whole.
    bool GetPivot(const CPoint2d& windowPoint, CPoint3d& pivot);
    // The pivot the picture shown gives at once: on the line of sight through the
    // viewport centre, as deep as the last whole frame drew the model around the window
    // point; the camera's target when it drew nothing there.
    [[nodiscard]] CPoint3d GetPivotAtHand(const CPoint2d& windowPoint);

    // Walks the model; false when part of it was left out.
    bool Run();
    void SetDepthLimit(double limit) { m_depthLimit = limit; }
    [[nodiscard]] int GetCount() const { return m_count; }
    // The average depth of the vertices counted; 0 without any.
    [[nodiscard]] double GetAverageDepth() const { return m_count > 0 ? m_sum / m_count : 0.0; }
    [[nodiscard]] const CBoundingBox3d& GetBounds() const { return m_bounds; }
    [[nodiscard]] const CLine3d& GetCentreRay() const { return m_ray; }

protected:
    void AddPoint(const CPoint3d& point) override;

private:
    CTarnisView& m_view;
    CLine3d m_ray;
    double m_left = 0.0;
    double m_top = 0.0;
    double m_right = 0.0;
    double m_bottom = 0.0;
    CPoint3d m_eye;
    double m_depthLimit;
    double m_sum = 0.0;
    int m_count = 0;
    bool m_complete = true;
    CBoundingBox3d m_bounds;
    // The kept side of the root's active section plane, when cuts are shown.
    bool m_sectioned = false;
    CPlane3d m_section;
};
