#pragma once
// The point of the model that a text leader or a linear dimension hangs on
// (CModelPointRef) belongs to the component code. While that class is not part of the
// model library, the annotations use the stand-in below: it keeps and evaluates the
// common kinds and reads and writes the full record, so that texts and dimensions
// read every file. It gives way to the real class as soon as that exists.

#if __has_include("model/modelpointref.h")
#include "model/modelpointref.h"
#elif __has_include("document/modelpointref.h")
#include "document/modelpointref.h"
#else
#define GLIMRA_MODELPOINTREF_STANDIN 1

#include <cstdint>

#include "document/instancepath.h"
#include "foundation/point3d.h"

class CArchive;
class CEdge;
class CEntity;
class CFace;

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
        kConstructionLine = 6,
        kFacePoint = 7,
        kImagePoint = 8,
        kIntersection = 9,
        kArcCentre = 10,
        kSectionPlanePoint = 11
    };

    // The version of the record this program writes.
    static constexpr std::int32_t kRecordVersion = 4;

    CModelPointRef() = default;
    // A free point.
    explicit CModelPointRef(const CPoint3d& point);
    // A point on a vertex.
    explicit CModelPointRef(CEntity* vertex);
    // A point along the edge where the point projects onto it.
    CModelPointRef(CEdge* edge, const CPoint3d& point);
    // A point on the face; the stand-in keeps the position as it is.
    CModelPointRef(CFace* face, const CPoint3d& point);

    // Reads the record; the first path at every record version, the second from
    // version 4. Counts and classes are checked: a negative or impossible count is
    // badIndex, a reference of another class badClass.
    void Read(CArchive& ar);
    void Write(CArchive& ar);

    [[nodiscard]] std::int32_t GetKind() const { return m_kind; }
    // The point evaluated from what it hangs on (free points, vertices and edges);
    // the last position for the other kinds.
    [[nodiscard]] CPoint3d GetPosition() const;
    [[nodiscard]] CEntity* GetFirstEntity() const { return m_first; }
    [[nodiscard]] CEntity* GetSecondEntity() const { return m_second; }
    [[nodiscard]] const CInstancePath& GetFirstPath() const { return m_firstPath; }
    [[nodiscard]] const CInstancePath& GetSecondPath() const { return m_secondPath; }

    // The entity is one of the two or an instance on either path.
    [[nodiscard]] bool RefersTo(const CEntity* entity) const;
    // Register or drop the owner as referrer of both entities and every path instance.
    void AddReferences(CEntity* owner) const;
    void RemoveReferences(CEntity* owner) const;

private:
    void ReadPath(CArchive& ar, CInstancePath& path);
    static void WritePath(CArchive& ar, const CInstancePath& path);

    std::int32_t m_kind = kUnset;
    CPoint3d m_parameters;
    CEntity* m_first = nullptr;
    CInstancePath m_firstPath;
    CEntity* m_second = nullptr;
    CInstancePath m_secondPath;
    CPoint3d m_position;
};

#endif
