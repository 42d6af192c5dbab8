#pragma once
// The point of the model that a text leader or a linear dimension hangs on
// (CModelPointRef) belongs to the component code (document/modelpointref.h). Until
// that class is part of this library, the annotations use the stand-in below, which
// has the same operations and reads and writes the same record; it gives way to the
// real class as soon as that exists. How a point is made on an entity and followed
// lives in annotations/pointreferences.h.

#if __has_include("document/modelpointref.h")
#include "document/modelpointref.h"
#else
#define GLIMRA_MODELPOINTREF_STANDIN 1

#include <cstdint>

#include "document/instancepath.h"
#include "foundation/point3d.h"

class CArchive;
class CEntity;

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

    CModelPointRef() = default;
    // A free point.
    explicit CModelPointRef(const CPoint3d& point);

    // Reads the reference at the record version it carries: the first path at every
    // version, the second from version 4; null path entries are skipped. A negative or
    // impossible count is badIndex, a path entry of another class badClass.
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

private:
    static void ReadPath(CArchive& ar, CInstancePath& path);
    static void WritePath(CArchive& ar, const CInstancePath& path);

    std::int32_t m_kind = kUnset;
    CPoint3d m_parameters;
    CEntity* m_first = nullptr;
    CInstancePath m_firstPath;
    CEntity* m_second = nullptr;
    CInstancePath m_secondPath;
    CPoint3d m_position;
    bool m_detachPending = false;
};

#endif
