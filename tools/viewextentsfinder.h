#pragma once
// CViewExtentsFinder: fits the camera to what the model (or some of its entities)
// draws. One walk of the geometry finds, for each side of the view volume, the point
// that sticks out farthest, and the box of everything; zoom extents then places the
// camera so that those points lie just inside the view with a 5 % margin, keeping its
// direction and up vector. In its box form it gives the box of what is drawn in camera
// coordinates, which printing lays out on the page.

#include <array>
#include <cstdint>
#include <vector>

#include "foundation/boundingbox3d.h"
#include "foundation/transformation.h"
#include "render/modelpointwalk.h"
#include "render/viewdefinition.h"

class CTarnisView;
class IEntityIterator;

class CViewExtentsFinder : public CModelPointWalk
{
public:
    explicit CViewExtentsFinder(CTarnisView& view);
    ~CViewExtentsFinder() override;

    // Up to three rounds, each from the camera the round before left, until the camera
    // stays. Null stands for every entity of the model. Without any point the camera only
    // moves sideways so that its target lies on the drawing axes' origin (shown axes) or
    // the world origin.
    void ZoomExtents(IEntityIterator* entities);
    // The box of what the model draws in camera coordinates (looking along -z), projected
    // onto the near plane in perspective. False when nothing was drawn.
    bool ComputeViewExtents();
    // Collects the points of the entities (every entity of the model for null) against
    // the current camera.
    void Collect(IEntityIterator* entities);

    [[nodiscard]] int GetPointCount() const { return m_pointCount; }
    [[nodiscard]] const CBoundingBox3d& GetBounds() const { return m_bounds; }
    // Per side of the view volume (left, right, bottom, top, near, far): the point that
    // lies farthest out, and its distance outside that side.
    [[nodiscard]] const CPoint3d& GetExtremePoint(int side) const { return m_extremePoints[side]; }
    [[nodiscard]] double GetExtremeDistance(int side) const { return m_extremeDistances[side]; }

protected:
    void AddPoint(const CPoint3d& point) override;

private:
    enum Side : int
    {
        kLeft = 0,
        kRight,
        kBottom,
        kTop,
        kNear,
        kFar
    };

    void Walk(IEntityIterator* entities);
    // The sides of the whole viewport from the current camera, no point found yet.
    void StartCollecting();
    void Measure(const CPoint3d& point);
    // Collect, keeping the points met for the rounds after.
    void CollectRemembering(IEntityIterator* entities);
    // Keeps the point unless the same point was kept lately.
    void Remember(const CPoint3d& point);
    // Measures the points the first round kept, in their order, instead of walking again.
    void Recollect();
    void MoveTargetToOrigin();
    void FitParallel();
    // False when the sides found meet in no eye position.
    bool FitPerspective();

    CTarnisView& m_view;
    CViewDefinition::Planes m_planes{};
    std::array<double, 6> m_extremeDistances{};
    std::array<CPoint3d, 6> m_extremePoints{};
    CBoundingBox3d m_bounds;
    int m_pointCount = 0;
    bool m_boxMode = false;
    CTransformation m_transform;
    double m_scale = 0.0;
    // Later rounds see the points of the first in the same order, with only the camera
    // moved; a point the same as one before it cannot change what a round finds, so the
    // first round keeps each distinct point it meets at its first place (a point met
    // again long after may be kept twice), up to a limit, and later rounds measure those.
    bool m_remembering = false;
    bool m_keptAll = false;
    std::vector<CPoint3d> m_remembered;
    // The points kept lately, by a hash of their coordinates.
    struct RecentPoint
    {
        CPoint3d point;
        bool used = false;
    };
    std::vector<RecentPoint> m_recent;
};
