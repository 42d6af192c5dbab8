#include "model/curve.h"

#include <cmath>
#include <limits>

#include "document/versionmap.h"
#include "foundation/tolerance.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "foundation/versioninfo.h"
#include "model/arccurve.h"
#include "model/edge.h"
#include "model/entityset.h"
#include "model/vertex.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CCurve, CEntity, VERSIONABLE_SCHEMA | 4)

CCurve::CCurve() = default;

CCurve::CCurve(const CCurve& other)
    : CEntity(other),
      m_firstEdge(other.m_firstEdge),
      m_lastEdge(other.m_lastEdge),
      m_edgeCount(other.m_edgeCount),
      m_flag(other.m_flag)
{
}

CCurve::~CCurve() = default;

// Record

void CCurve::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

namespace {

std::int32_t ReadEdgeCount(CArchive& ar)
{
    std::int32_t count = 0;
    ar >> count;
    if (count < 0) {
        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    }
    return count;
}

} // namespace

void CCurve::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CCurve));
    switch (version) {
    case 0:
        // The oldest records named the chain's ends, which the reader finds again.
        (void)ReadEdge(ar);
        (void)ReadEdge(ar);
        break;
    case 2:
        m_flag = ArchiveReadBool(ar);
        break;
    case 3:
        m_firstEdge = ReadEdge(ar);
        m_lastEdge = ReadEdge(ar);
        m_flag = ArchiveReadBool(ar);
        m_edgeCount = ReadEdgeCount(ar);
        break;
    case 4:
        m_flag = ArchiveReadBool(ar);
        m_edgeCount = ReadEdgeCount(ar);
        break;
    default:
        break;
    }
}

void CCurve::WriteRecord(CArchive& ar) const
{
    if (GetSaveFormat() == kSaveFormat3000) {
        ar.WriteObject(m_firstEdge);
        ar.WriteObject(m_lastEdge);
    }
    ArchiveWriteBool(ar, m_flag);
    ar << m_edgeCount;
}

CCurve* ReadCurveObject(CArchive& ar)
{
    // ReadObject already refuses a class not derived from the one asked for.
    return static_cast<CCurve*>(ar.ReadObject(RUNTIME_CLASS(CCurve)));
}

void ReadCurveObject(CArchive& ar, CCurve*& curve)
{
    curve = ReadCurveObject(ar);
}

// Entity operations

bool CCurve::CollectDependents(CEntitySet& set)
{
    if (!CEntity::CollectDependents(set)) {
        return false;
    }
    std::vector<CEdge*> edges;
    GetEdges(edges);
    for (CEdge* edge : edges) {
        edge->CollectDependents(set);
    }
    return true;
}

void CCurve::Transform(const CTransformation& /*transform*/)
{
}

CEntity* CCurve::Clone() const
{
    return new CCurve(*this);
}

void CCurve::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& curve = static_cast<CCurve&>(other);
    std::swap(m_firstEdge, curve.m_firstEdge);
    std::swap(m_lastEdge, curve.m_lastEdge);
    std::swap(m_edgeCount, curve.m_edgeCount);
    std::swap(m_flag, curve.m_flag);
}

int CCurve::GetTypeId() const
{
    return kTypeCurve;
}

// Queries a plain curve answers plainly

bool CCurve::IsClosed(bool geometric) const
{
    if (!geometric) {
        return false;
    }
    const CVertex* start = GetStartVertex();
    const CVertex* end = GetEndVertex();
    if (start == nullptr || end == nullptr) {
        return false;
    }
    const CPoint3d& p = start->GetPosition();
    const CPoint3d& q = end->GetPosition();
    return std::fabs(p.x - q.x) <= kLengthTolerance && std::fabs(p.y - q.y) <= kLengthTolerance &&
           std::fabs(p.z - q.z) <= kLengthTolerance;
}

bool CCurve::GetQuadrantPoints(CPoint3d /*points*/[4]) const
{
    return false;
}

bool CCurve::IsInFacePlanes() const
{
    return false;
}

void CCurve::Update(bool /*keepSeamless*/, bool /*throughStart*/)
{
}

void CCurve::MoveBulge(const CPoint3d& /*target*/)
{
}

void CCurve::MoveRadius(const CPoint3d& /*directionPoint*/, const CPoint3d& /*target*/)
{
}

void CCurve::StretchToEndpoint(CVertex* vertex, const CPoint3d& positionP, const CPoint3d& positionQ)
{
    StretchPolyline(vertex, positionP, positionQ);
}

double CCurve::GetLength() const
{
    std::vector<CEdge*> edges;
    GetEdges(edges);
    double length = 0.0;
    for (const CEdge* edge : edges) {
        length += edge->GetLength();
    }
    return length;
}

bool CCurve::GetMidPoint(CPoint3d& /*point*/) const
{
    return false;
}

bool CCurve::IsPointOnArc(const CPoint3d& /*point*/) const
{
    return false;
}

bool CCurve::IsArc() const
{
    return false;
}

CPlane3d CCurve::GetPlane() const
{
    return CPlane3d();
}

CVector3d CCurve::GetNormal() const
{
    std::vector<CVertex*> vertices;
    GetVertices(vertices);
    std::vector<CPoint3d> positions;
    positions.reserve(vertices.size());
    for (const CVertex* vertex : vertices) {
        positions.push_back(vertex->GetPosition());
    }
    CPlane3d plane(0.0, 0.0, 0.0, 0.0);
    plane.FitToPoints(static_cast<int>(positions.size()), positions.data());
    return {plane.a, plane.b, plane.c};
}

CCurve* CCurve::NewEmptyCurve() const
{
    auto* curve = new CCurve;
    curve->m_flag = m_flag;
    return curve;
}

// Fields

void CCurve::SetFlag(bool flag)
{
    if (flag != m_flag) {
        RecordChange(true);
        m_flag = flag;
    }
}

void CCurve::SetEdgeCount(std::int32_t count)
{
    RecordChange(true);
    m_edgeCount = count;
}

void CCurve::AddEdgeCount()
{
    RecordChange(true);
    if (m_edgeCount < std::numeric_limits<std::int32_t>::max()) {
        ++m_edgeCount;
    }
}

void CCurve::ReleaseEdge()
{
    RecordChange(true);
    if (m_edgeCount <= 0) {
        return;
    }
    --m_edgeCount;
    if (m_edgeCount == 0) {
        Erase();
    }
}

// Free functions

CArcCurve* AsArcCurve(CCurve* curve)
{
    if (curve == nullptr || !curve->IsKindOf(RUNTIME_CLASS(CArcCurve))) {
        return nullptr;
    }
    auto* arcCurve = static_cast<CArcCurve*>(curve);
    return arcCurve->GetArc().HasValidAxes() ? arcCurve : nullptr;
}

bool IsValidArcCurve(const CCurve* curve)
{
    return AsArcCurve(const_cast<CCurve*>(curve)) != nullptr;
}

// Stretching an open curve after one end vertex moved

CPlane3d CCurve::GetReferencePlane(const std::vector<CPoint3d>& positions) const
{
    if (IsArc()) {
        return GetPlane();
    }
    CPlane3d fitted(0.0, 0.0, 0.0, 0.0);
    fitted.FitToPoints(static_cast<int>(positions.size()), positions.data());
    if (CVector3d(fitted.a, fitted.b, fitted.c).GetLengthSquared() <= kZeroLengthSquared) {
        return GetPlane();
    }
    return fitted;
}

void CCurve::MoveVertices(const std::vector<CVertex*>& vertices, const std::vector<CPoint3d>& positions)
{
    for (size_t i = 0; i < vertices.size() && i < positions.size(); ++i) {
        CVertex* vertex = vertices[i];
        const CPoint3d& old = vertex->GetPosition();
        if (old.x == positions[i].x && old.y == positions[i].y && old.z == positions[i].z) {
            continue;
        }
        vertex->RecordChange(true);
        vertex->SetPosition(positions[i]);
    }
}

// The moved end goes to P; every other vertex turns about the fixed end by the angle
// from Q to P in the reference plane and scales by |P - fixed| / |Q - fixed|, so a
// vertex at Q would land on P.
void CCurve::StretchPolyline(CVertex* vertex, const CPoint3d& positionP, const CPoint3d& positionQ)
{
    if (vertex == nullptr || IsClosed(true)) {
        return;
    }
    std::vector<CVertex*> vertices;
    if (GetVertices(vertices) < 2) {
        return;
    }
    std::vector<CPoint3d> positions;
    positions.reserve(vertices.size());
    for (const CVertex* v : vertices) {
        positions.push_back(v->GetPosition());
    }
    const CPlane3d reference = GetReferencePlane(positions);
    const bool movedIsStart = vertex == vertices.front();
    const size_t movedIndex = movedIsStart ? 0 : positions.size() - 1;
    const CPoint3d fixed = movedIsStart ? positions.back() : positions.front();

    const CVector3d toP = positionP - fixed;
    const CVector3d toQ = positionQ - fixed;
    const double lengthP = toP.GetLength();
    const double lengthQ = toQ.GetLength();
    if (lengthP < kDivisionTolerance || lengthQ < kDivisionTolerance) {
        return;
    }
    const double ratio = lengthP / lengthQ;
    const CVector3d normal(reference.a, reference.b, reference.c);
    CTransformation turn;
    if (normal.GetLengthSquared() > kZeroLengthSquared) {
        const CUnitVector3d axis(normal);
        const CVector3d unitNormal(axis);
        const CVector3d inPlaneP = toP - unitNormal * DotProduct(unitNormal, toP);
        const CVector3d inPlaneQ = toQ - unitNormal * DotProduct(unitNormal, toQ);
        const double angle =
            std::atan2(DotProduct(unitNormal, inPlaneQ.CrossProduct(inPlaneP)), DotProduct(inPlaneQ, inPlaneP));
        turn = CTransformation::Rotation(fixed, axis, angle);
    }
    for (size_t i = 0; i < positions.size(); ++i) {
        if (i == movedIndex) {
            positions[i] = positionP;
            continue;
        }
        positions[i] = turn * (fixed + (positions[i] - fixed) * ratio);
    }
    MoveVertices(vertices, positions);
}
