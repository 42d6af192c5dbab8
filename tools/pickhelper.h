#pragma once
// CPickHelper: finds what lies under a window point, or inside a window rectangle, by GL
// selection. The view replays the model's drawing with every element naming itself, the
// hits come back as paths of names (the instances walked, outermost first, then the
// element drawn), and they are kept in depth order: a smaller nearest depth first, then a
// smaller farthest depth, then an edge before anything else. In a point pick the nearest
// face is tracked, and what lies behind it is dropped from the hits kept, except the
// edges that lie in its plane. FindNearestHitPoint turns the hits into the model point
// nearest to the eye on the pick ray.
//
// A window pick keeps only the elements that lie wholly inside its rectangle: each
// element hit answers that itself (CDrawingElement::IsSelectedBy) through the point,
// segment and line tests of this class, with the instances of its hit path entered; a
// hit inside an instance is kept when that instance, the hit's top entity, lies inside.
//
// The buffers are fixed, so a pick allocates nothing; a pick with more hits than the
// selection buffer holds keeps the records that fit. Needs the view's context current.
// User-interface thread only.

#include <array>
#include <cstdint>

#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "foundation/point2d.h"
#include "drawapi/pickhelper.h"
#include "foundation/transformation.h"

class CComponent;
class CEdge;
class CEntity;
class CFace;
class CPickNameTable;
class CTarnisView;

class CPickHelper : public IPickHelper
{
public:
    static constexpr int kDefaultAperture = 6;
    static constexpr int kBufferSize = 2048;
    static constexpr int kHitCapacity = 512;
    // Besides the point, window and crossing modes of every pick.
    static constexpr int kModeNone = 0;
    static constexpr int kModeExtents = 4;

    // One selection record: its depths and the entities named around the hit.
    class HitPath
    {
    public:
        HitPath() = default;
        // The record in the selection buffer: name count, depths, then the names.
        HitPath(const std::uint32_t* record, const CPickNameTable* names);

        // The depths as stored; inverted drivers are read the other way round.
        [[nodiscard]] std::uint32_t GetMinDepth() const;
        [[nodiscard]] std::uint32_t GetMaxDepth() const;
        // The entities named, without the sub-element index that may end the path.
        [[nodiscard]] int GetEntityCount() const;
        [[nodiscard]] CEntity* GetEntity(int index) const;
        [[nodiscard]] CEntity* GetTopEntity() const { return GetEntity(0); }
        // The element drawn: the last entity of the path.
        [[nodiscard]] CEntity* GetPickedEntity() const { return GetEntity(GetEntityCount() - 1); }
        // -1 when the path does not end in a sub-element index.
        [[nodiscard]] int GetSubElementIndex() const;
        // The product of the transformations of the instances before the picked entity.
        [[nodiscard]] CTransformation GetInstanceTransform() const;
        // This hit comes before the other in depth order.
        [[nodiscard]] bool IsNearerThan(const HitPath& other) const;

    private:
        [[nodiscard]] std::uint32_t GetNameCount() const { return m_record != nullptr ? m_record[0] : 0; }
        // The names after the base name the pick pushes first.
        [[nodiscard]] std::uint32_t GetName(int index) const { return m_record[4 + index]; }

        const std::uint32_t* m_record = nullptr;
        const CPickNameTable* m_names = nullptr;
    };

    CPickHelper();
    // Attaches at once.
    CPickHelper(CTarnisView* view, const CPoint2d& point, int aperture);
    CPickHelper(const CPickHelper&) = delete;
    CPickHelper& operator=(const CPickHelper&) = delete;
    ~CPickHelper() override;

    // A point pick of the square of half size aperture (the default below 1) around the
    // window point.
    void Attach(CTarnisView* view, const CPoint2d& point, int aperture);
    // A region pick of the rectangle (mode kModeWindow or kModeCrossing).
    void AttachRegion(CTarnisView* view, const CPoint2d& corner1, const CPoint2d& corner2, int mode);
    // Whether the nearest face of a point pick hides what lies behind it; on by default.
    void SetFaceTracking(bool on) { m_faceTracking = on; }

    [[nodiscard]] int GetMode() const override { return m_mode; }
    [[nodiscard]] ITarnisView* GetPickView() const override;
    [[nodiscard]] bool TestPoint(const CPoint3d& point) const override;
    [[nodiscard]] bool TestSegment(const CPoint3d& start, const CPoint3d& end) const override;
    [[nodiscard]] bool TestLine(const CBoundedLine3d& line) const override;
    [[nodiscard]] CLine3d GetLocalPickLine() const override;
    [[nodiscard]] bool IsRegionPick() const { return m_mode == kModeWindow || m_mode == kModeCrossing; }
    [[nodiscard]] const CLine3d& GetPickRay() const { return m_pickRay; }
    [[nodiscard]] CTarnisView* GetView() const { return m_view; }
    [[nodiscard]] const CPoint2d& GetPickPoint() const { return m_pickPoint; }
    [[nodiscard]] int GetAperture() const { return m_aperture; }

    // Picks what the entity draws (the model's root when null); the number of hits kept.
    int Pick(CEntity* entity = nullptr);
    // The model point of the hits nearest to the eye on the pick ray; false without hits.
    bool FindNearestHitPoint(CPoint3d& point);

    [[nodiscard]] int GetHitCount() const { return m_result; }
    [[nodiscard]] HitPath GetHit(int index) const;
    // The nearest face of a point pick with its plane in model space, facing the eye;
    // null when no face was hit.
    [[nodiscard]] CFace* GetNearestFace() const { return m_nearestFace; }
    [[nodiscard]] const CPlane3d& GetNearestFacePlane() const { return m_nearestFacePlane; }
    // The first edge among the hits kept, its sub-element index and its distance from
    // the pick ray; null when none.
    [[nodiscard]] CEdge* GetFirstEdge() const { return m_firstEdge; }
    [[nodiscard]] double GetFirstEdgeDistance() const { return m_firstEdgeDistance; }

protected:
    // Whether a hit counts; every hit does here.
    [[nodiscard]] virtual bool AcceptHit(const HitPath& hit) const;

private:
    void ClearHits();
    // Draws the root's elements that the pick volume may contain: a large flat model
    // draws a handful of its elements, not all of them.
    void DrawRoot(CComponent& root);
    void ProcessHits(int hits);
    // Whether what a window pick's hit selects lies wholly inside the rectangle, with the
    // root's active section plane in force: an instance at the top of the hit answers
    // for itself, another element is asked with the hit's instances entered.
    [[nodiscard]] bool IsHitInsideWindow(const HitPath& hit) const;
    void InsertHit(std::uint32_t offset);
    void TrackNearestFace();
    void ChooseHits();
    // Whether a hit deeper than the nearest face lies behind it.
    [[nodiscard]] bool IsBehindNearestFace(const HitPath& hit) const;
    // The point of the edge, in model space, nearest to the pick ray.
    [[nodiscard]] CPoint3d GetNearestEdgePoint(const CEdge& edge, const CTransformation& transform) const;

    CTarnisView* m_view = nullptr;
    CPoint2d m_pickPoint;
    int m_aperture = kDefaultAperture;
    CLine3d m_pickRay{CPoint3d(0, 0, 0), CUnitVector3d(0, 0, 1)};
    // Left, bottom, right, top in window pixels.
    double m_rectangle[4] = {0, 0, 0, 0};
    int m_mode = kModeNone;
    bool m_faceTracking = true;
    std::array<std::uint32_t, kBufferSize> m_buffer{};
    // Offsets of the records in the buffer, in depth order.
    std::array<std::uint32_t, kHitCapacity> m_hits{};
    int m_hitCount = 0;
    int m_result = 0;
    CFace* m_nearestFace = nullptr;
    std::uint32_t m_nearestFaceDepth = 0;
    CPlane3d m_nearestFacePlane;
    CEdge* m_firstEdge = nullptr;
    double m_firstEdgeDistance = 0.0;
};
