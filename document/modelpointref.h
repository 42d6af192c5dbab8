#pragma once
// CModelPointRef: a point of the model that texts and dimensions hang on: a free point,
// or a vertex, a point along an edge, a spot on a face or an image, and so on, possibly
// deep inside nested instances. It names the kind of point, the entities it hangs on
// with the instance path down to each, and the parameters that place the point on them.
// Here: the reference's data and its file record.

#include <cstdint>
#include <functional>

#include "document/instancepath.h"
#include "foundation/point3d.h"

class CArchive;
struct CBoundingBox2d;
class CDrawingElement;
class CEdge;
class CEntity;
class CEntitySet;
class CFace;
class CTransformation;
struct CPlane3d;

class CModelPointRef
{
public:
    enum Kind : std::int32_t
    {
        kUnset = 0,
        kFreePoint = 1,
        kVertex = 2,
        kConstructionPoint = 3,
        kEdgeMidpoint = 4,
        kEdgePoint = 5,
        kConstructionLinePoint = 6,
        kFacePoint = 7,
        kImagePoint = 8,
        kIntersection = 9,
        kArcCentre = 10,
        kSectionPlanePoint = 11
    };
    static constexpr std::int32_t kRecordVersion = 4;
    // Maps old entities to their copies (null: no copy, the entity stays).
    using CopyLookup = std::function<CEntity*(CEntity*)>;

    CModelPointRef() = default;
    // A free point.
    explicit CModelPointRef(const CPoint3d& point);

    // Reads the reference at the record version it carries. Throws the archive
    // exception on bad input.
    void Read(CArchive& ar);
    // Writes the reference; a pending detach writes a free point at the last position
    // (and is cleared), the reference in memory keeping its kind.
    void Write(CArchive& ar);

    [[nodiscard]] std::int32_t GetKind() const { return m_kind; }
    [[nodiscard]] const CPoint3d& GetParameters() const { return m_parameters; }
    [[nodiscard]] CEntity* GetFirstEntity() const { return m_first; }
    [[nodiscard]] CEntity* GetSecondEntity() const { return m_second; }
    [[nodiscard]] const CInstancePath& GetFirstPath() const { return m_firstPath; }
    [[nodiscard]] const CInstancePath& GetSecondPath() const { return m_secondPath; }
    [[nodiscard]] const CPoint3d& GetPosition() const { return m_position; }
    void SetPosition(const CPoint3d& position) { m_position = position; }
    [[nodiscard]] bool IsDetachPending() const { return m_detachPending; }
    void SetDetachPending(bool pending) { m_detachPending = pending; }
    // Fills every field (for references made by their owners).
    void Set(std::int32_t kind, const CPoint3d& parameters, CEntity* first, const CInstancePath& firstPath,
             CEntity* second, const CInstancePath& secondPath);

    // The point of its kind in model coordinates (through the first path; each line of
    // an intersection through its own path), kept as the position. An entity of the
    // wrong class, or a missing one, leaves the last position.
    CPoint3d Evaluate();
    // The position in the coordinates of the first entity's component.
    [[nodiscard]] CPoint3d GetLocalPosition() const;
    // Face, image and arc-centre points lie in a plane.
    [[nodiscard]] bool HasPlane() const;
    // That plane in model coordinates; false when there is none.
    bool GetPlane(CPlane3d& out) const;
    [[nodiscard]] CDrawingElement* GetDrawingElement() const;
    // A free point moves; attached kinds follow their entities and ignore it.
    void Transform(const CTransformation& transform);
    // Every referenced entity (or, with a path, its first instance) is in the set.
    [[nodiscard]] bool IsContainedIn(const CEntitySet& set) const;
    [[nodiscard]] bool RefersTo(const CEntity* entity) const;
    // Register or drop the owner as referrer of both entities and every path instance.
    void AddReferences(CEntity* owner) const;
    void RemoveReferences(CEntity* owner) const;
    // Drops the references, records the owner's change and becomes a free point at the
    // last position.
    void Detach(CEntity* owner);
    // Every referenced entity and every instance of both paths joins the set.
    void AddEntitiesTo(CEntitySet& set) const;
    // Detaches (recorded) when the set holds a referenced entity or a path instance: what
    // the point hung on is going away. True when it detached.
    bool OnEntitiesRemoved(CEntity* owner, const CEntitySet& set);
    // OnInstanceRemoved (below) with the owner's change recorded and its references
    // renewed.
    bool OnInstanceRemoved(CEntity* owner, const CEntity* instance, const CopyLookup& copyOf);
    // Hangs on the replacement instead of the old entity, or detaches without one.
    void ReplaceEntity(CEntity* owner, CEntity* oldEntity, CEntity* replacement);
    // The reaction to a change of a referenced entity: erased detaches at the last
    // position, merged moves to the entity merged into and keeps the point's place on
    // it, a changed face keeps a point still inside it (fractions worked out again) and
    // detaches one that fell off. False when the reference does not name the entity or
    // the change needs nothing.
    bool OnReferenceChanged(CEntity* owner, int code, CEntity* changed, CEntity* argument);
    // The number of referenced entities that do not list the owner as referrer; with
    // repair the owner is registered with them.
    int CheckReferences(CEntity* owner, bool repair) const;

    // For each of the two attachments whose path passes through the instance: the
    // entity and the path steps after the instance are replaced by their copies. True
    // when anything changed. The owner records and re-registers (its caller's work).
    bool MapBelowInstance(const CEntity* instance, const CopyLookup& copyOf);
    // For each path that starts with the instance (exploded away): the instance leaves
    // the path and the entity and the remaining steps are replaced by their copies.
    // True when anything changed.
    bool OnInstanceRemoved(const CEntity* instance, const CopyLookup& copyOf);

    // The face frame (at the start of the outer loop's first edge use, x along that use,
    // z the face normal) and the outer loop's box in it. False for a face without a
    // usable outer loop.
    static bool GetFaceFrame(const CFace* face, CTransformation& frame, CBoundingBox2d& box);
    // The fractions of the face's outer-loop box in the face frame that a point given in
    // that frame lies at; 0 across a flat box and without a frame.
    [[nodiscard]] static CPoint3d GetFaceFractions(const CFace* face, const CPoint3d& framePoint);
    // The point, in the face's coordinates, at those fractions; false without a frame.
    static bool GetFacePoint(const CFace* face, const CPoint3d& fractions, CPoint3d& out);
    // The point of the edge's line at the fraction of the way from its start vertex to its
    // end vertex; false for a missing edge or one without both vertices.
    static bool GetEdgePoint(const CEdge* edge, double t, CPoint3d& out);
    // The fraction of the way from the edge's start vertex to its end vertex at which the
    // point nearest the given one on the edge's line lies; 0 for a missing or flat edge.
    [[nodiscard]] static double GetEdgeFraction(const CEdge* edge, const CPoint3d& point);

private:
    static void ReadPath(CArchive& ar, CInstancePath& path);
    static void WritePath(CArchive& ar, const CInstancePath& path);
    void ConvertOldReferences(std::int32_t version);
    [[nodiscard]] CPoint3d EvaluateLocal(bool& known) const;
    void ForEachReferenced(const std::function<void(CEntity*)>& visit) const;
    [[nodiscard]] bool GetLocalPlane(CPlane3d& out) const;
    static bool MapAttachment(CEntity*& entity, CInstancePath& path, int firstMapped, const CopyLookup& copyOf);
    void MoveToSurvivor(CEntity* owner, CEntity* merged, CEntity* survivor);
    bool OnFaceChanged(CEntity* owner, const CEntity* changed);

    std::int32_t m_kind = kUnset;
    CPoint3d m_parameters;
    CEntity* m_first = nullptr;
    CInstancePath m_firstPath;
    CEntity* m_second = nullptr;
    CInstancePath m_secondPath;
    CPoint3d m_position;
    bool m_detachPending = false;
};
