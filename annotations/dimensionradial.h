#pragma once
// CDimensionRadial: the radius or the diameter of a circle or arc of the model. It is
// attached to an edge whose curve is an arc and reads the arc from it whenever it is
// needed, keeping the last one: when the edge goes away the dimension keeps that arc
// and stands free.

#include "annotations/dimension.h"
#include "foundation/arc3d.h"

class CEdge;
class CEntitySet;

class CDimensionRadial : public CDimension
{
    DECLARE_SERIAL(CDimensionRadial)

public:
    // No edge, the full circle of radius 0, leader angle and extent 0, a radius.
    CDimensionRadial();
    // The edge, the arc, the leader angle and extent and the diameter flag; the flag
    // to write the edge as detached is not copied.
    CDimensionRadial(const CDimensionRadial& other);
    ~CDimensionRadial() override;

    // Reads or writes the record: the dimension part, the edge, the leader angle and
    // extent, the diameter flag and, when no edge is written, the arc. Throws the
    // archive exception on bad input; an edge reference to another class is badClass.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges the dimension part, the edge, the arc, the leader and the diameter flag
    // (the back references follow the edges); the other entity must be a radial dimension.
    void SwapData(CEntity& other) override;
    // Erasing the edge, or its curve ceasing to be an arc, detaches the dimension.
    void OnReferenceChanged(int code, CEntity* changed, CEntity* argument) override;
    // Registers the dimension as referrer of its edge.
    void OnModified() override;
    void OnErased() override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // The text point and the arc point (and the opposite point of a diameter), through the transformation.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    // The arc point (and the opposite one) not cut away, the layout points and the label inside.
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;

    [[nodiscard]] bool RefersTo(const CEntity* entity) const override;
    // The edge exists and its curve is an arc.
    [[nodiscard]] bool IsAssociated() const override;

    using CDimension::Transform;
    // A free arc moves with the transformation; a radial dimension listed alone (kind
    // 2) also carries its text point through it.
    void Transform(const CTransformation& transform, std::uint32_t mode, std::int32_t kind) override;
    // Puts the leader through the point: its angle on the arc and its reach (fixed: 0 for
    // a diameter, 1.5 radii for a radius). Without keepRatio a point outside the arc is
    // kept at its distance beyond it.
    void SetLeaderFromPoint(const CPoint3d& point, bool fixed, bool keepRatio);
    // The arc's plane and centre.
    [[nodiscard]] CPlane3d GetPlane() const override;
    [[nodiscard]] CPoint3d GetAnchorPoint() const override;
    // The radius (or diameter) with the style's prefix, "?" when the view scales the
    // arc's plane unevenly.
    [[nodiscard]] CString GetText(ITarnisView* view) override;
    void DrawDimension(ITarnisView* view, bool solid) override;
    // The leader and diameter lines, the end marks and the label.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    [[nodiscard]] int GetScreenLength(ITarnisView* view) override;

    // The text point (0), the point on the arc (1) and the point opposite (2); a leader
    // meeting the circle off the arc is moved onto it.
    struct Layout
    {
        CPoint3d points[3];
    };
    [[nodiscard]] Layout ComputeLayout();
    // The label beside the text point (true) or centred on the diameter (false).
    bool PlaceLabel(ITarnisView* view, const Layout& layout, CPoint3d& position, int& alignment) const;

    [[nodiscard]] CEdge* GetEdge() const { return m_edge; }
    // Records the change and moves the back reference; the arc is read from the edge.
    void SetEdge(CEdge* edge);
    // The arc, refreshed from the edge's arc curve when there is one.
    [[nodiscard]] const CArc3d& GetArc();
    [[nodiscard]] double GetLeaderAngle() const { return m_leaderAngle; }
    [[nodiscard]] double GetLeaderExtent() const { return m_leaderExtent; }
    [[nodiscard]] bool IsDiameter() const { return m_diameter; }
    // Each records the change when the value differs.
    void SetLeader(double angle, double extent);
    void SetDiameter(bool diameter);

    // Drops the edge (and its back reference), keeping the last arc.
    void Detach();
    // Nothing when the edge is in the set; with markOnly the next write stores no edge,
    // otherwise the dimension detaches.
    void DetachFromEntitiesOutside(const CEntitySet& set, bool markOnly) override;
    // The edge.
    void AddReferencedEntities(CEntitySet& set) const override;
    // Hangs on the new entity in place of its edge when that is an edge; detaches otherwise.
    void ReplaceEntity(CEntity* oldEntity, CEntity* newEntity) override;
    // Detaches when the set holds the edge.
    void OnEntitiesRemoved(const CEntitySet& set, bool flag) override;
    [[nodiscard]] bool WritesDetached() const { return m_writeDetached; }

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar);
    void RefreshArc();
    void ReanchorOnArc(Layout& layout) const;
    int CheckRadial(int mode, CValidityResultMap* results);

    CEdge* m_edge = nullptr;
    CArc3d m_arc = CArc3d::FullCircle();
    double m_leaderAngle = 0.0;
    double m_leaderExtent = 0.0;
    bool m_diameter = false;
    bool m_writeDetached = false;
};
