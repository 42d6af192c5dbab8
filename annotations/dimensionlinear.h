#pragma once
// CDimensionLinear: the distance between two points of the model, measured in a plane
// aligned with the points, along a direction or across it. Each point hangs on the
// model (a vertex, an edge, a face ...) or is free; the dimension keeps the two
// points, the plane normal, the direction, the alignment mode, the offset of the
// dimension line and the label position, and works out everything else from them.

#include <cstdint>

#include "annotations/dimension.h"
#include "document/modelpointref.h"
#include "foundation/transformation.h"
#include "foundation/vector3d.h"

class CDimensionLinear : public CDimension
{
    DECLARE_SERIAL(CDimensionLinear)

public:
    enum AlignmentMode : std::int32_t
    {
        kAligned = 0,
        kAlongDirection = 1,
        kAcrossDirection = 2
    };

    // Two unset points, normal (0, 0, 1), direction (1, 0, 0), aligned, offset and label
    // position 0.
    CDimensionLinear();
    // Both points with their paths, the vectors, mode, offset and label position.
    CDimensionLinear(const CDimensionLinear& other);
    ~CDimensionLinear() override;

    // Reads or writes the record. Records of versions 0 and 1 begin with the points:
    // they hold no drawing-element part and no label text. Throws the archive
    // exception on bad input.
    void Serialize(CArchive& ar) override;
    // Goes with a group of entities only when both its points go with it.
    bool CollectDependents(CEntitySet& set) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Drops the back references, exchanges the dimension part, both points, the vectors,
    // mode, offset and label position, and registers the back references again. The
    // other entity must be a linear dimension.
    void SwapData(CEntity& other) override;
    using CDimension::Transform;
    // Free points move, the normal and the direction turn with the transformation; a
    // dimension listed alone (kind 2, mode other than 2) also carries its offset and
    // label position through it, kind 3 with mode 3 and mode 4 its offset only. Nothing
    // for the identity.
    void Transform(const CTransformation& transform, std::uint32_t mode, std::int32_t kind) override;
    // The first point reacts to the change (CModelPointRef::OnReferenceChanged), else the
    // second; a dimension whose two points a merge has brought together erases itself
    // from its component.
    void OnReferenceChanged(int code, CEntity* changed, CEntity* argument) override;
    // Registers the dimension as referrer of what both points hang on.
    void OnModified() override;
    void OnErased() override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // The layout points, through the transformation.
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    // Neither measured point cut away, the six layout points and the label inside.
    [[nodiscard]] bool IsSelectedBy(IPickHelper* selector, const CInstancePath* path) const override;

    [[nodiscard]] bool RefersTo(const CEntity* entity) const override;
    // False when either point is free.
    [[nodiscard]] bool IsAssociated() const override;
    // The entities and path instances of both points.
    void AddReferencedEntities(CEntitySet& set) const override;
    void ReplaceEntity(CEntity* oldEntity, CEntity* newEntity) override;
    // Each point not contained in the set is detached, or with markOnly written once as a
    // free point.
    void DetachFromEntitiesOutside(const CEntitySet& set, bool markOnly) override;
    // Each point that hangs on an entity of the set becomes a free point.
    void OnEntitiesRemoved(const CEntitySet& set, bool flag) override;

    // The plane through the first point with the normal; the anchor is the midpoint.
    [[nodiscard]] CPlane3d GetPlane() const override;
    [[nodiscard]] CPoint3d GetAnchorPoint() const override;
    // The length of the dimension line in model space, in the model's units.
    [[nodiscard]] CString GetText(ITarnisView* view) override;
    void DrawDimension(ITarnisView* view, bool solid) override;
    // The extension and dimension lines, the end marks and the label.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    [[nodiscard]] int GetScreenLength(ITarnisView* view) override;

    // The points the dimension is drawn from, in frame coordinates: the measured points
    // on the plane (0, 1), the ends of the dimension line (2, 3) and the measured points
    // as they are (4, 5). The positions are evaluated again from what they hang on.
    struct Layout
    {
        CTransformation frame;
        CPoint3d points[6];
    };
    [[nodiscard]] Layout ComputeLayout();
    // Where the label goes for a dimension line through the anchor; false when it sits
    // beside the line rather than on it.
    bool PlaceLabel(ITarnisView* view, const Layout& layout, const CPoint3d& anchor, CPoint3d& position,
                    int& alignment) const;
    // The dimension line lies on the same side of both measured points.
    [[nodiscard]] static bool IsSameSide(double offset, const CPoint3d& first, const CPoint3d& second);

    [[nodiscard]] const CModelPointRef& GetFirstPoint() const { return m_first; }
    [[nodiscard]] const CModelPointRef& GetSecondPoint() const { return m_second; }
    // Records the change, drops the old back references and registers the new ones.
    void SetPoints(const CModelPointRef& first, const CModelPointRef& second);
    [[nodiscard]] const CVector3d& GetNormal() const { return m_normal; }
    [[nodiscard]] const CVector3d& GetDirection() const { return m_direction; }
    [[nodiscard]] std::int32_t GetAlignmentMode() const { return m_mode; }
    [[nodiscard]] double GetOffset() const { return m_offset; }
    [[nodiscard]] double GetLabelPosition() const { return m_labelPosition; }
    // Each records the change and stores the value only when it differs.
    void SetOffset(double offset);
    void SetLabelPosition(double position);
    // The frame the dimension is laid out in: x along the measured direction of the
    // alignment mode, z the normal, the origin at the first point; the identity for an
    // unknown mode.
    [[nodiscard]] CTransformation GetDimensionFrame() const;

private:
    void ReadRecord(CArchive& ar, int version);
    void WriteRecord(CArchive& ar);
    int CheckLinear(int mode, CValidityResultMap* results);
    void DrawExtensionLines(ITarnisView* view, const Layout& layout);

    CModelPointRef m_first;
    CModelPointRef m_second;
    CVector3d m_normal{0.0, 0.0, 1.0};
    CVector3d m_direction{1.0, 0.0, 0.0};
    std::int32_t m_mode = kAligned;
    double m_offset = 0.0;
    double m_labelPosition = 0.0;
};

// The direction that records before version 4 stored as an angle: the x axis of the
// plane frame through the origin with this normal, turned by the angle about that
// frame's z axis.
[[nodiscard]] CVector3d DirectionFromStoredAngle(const CVector3d& normal, double angle);
