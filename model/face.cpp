#include "model/face.h"

#include <cmath>
#include <vector>

#include "document/facetexturecoords.h"
#include "document/material.h"
#include "document/versionmap.h"
#include "foundation/boundedline3d.h"
#include "foundation/geometryarchive.h"
#include "foundation/line3d.h"
#include "foundation/slaballocator.h"
#include "foundation/transformation.h"
#include "model/edgeuse.h"
#include "model/enumedge.h"
#include "model/enumedgeuse.h"
#include "model/enumloop.h"
#include "model/enumvertex.h"
#include "model/keptfacetriangles.h"
#include "model/loop.h"
#include "model/meshreadsink.h"
#include "model/vertex.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CFace, CDrawingElement, VERSIONABLE_SCHEMA | 3)

void* CFace::operator new(std::size_t size)
{
    return size == sizeof(CFace) ? CSlabAllocator::ForClass<CFace>().Allocate() : ::operator new(size);
}

void CFace::operator delete(void* object, std::size_t size)
{
    if (size == sizeof(CFace)) {
        CSlabAllocator::ForClass<CFace>().Free(object);
    } else {
        ::operator delete(object);
    }
}

namespace {

// The smallest record of a loop reference: a back-reference word.
constexpr ULONGLONG kMinLoopReferenceBytes = 2;

} // namespace

CFace::CFace() = default;

CFace::CFace(const CPlane3d& plane, CLoop* outerLoop) : m_plane(plane)
{
    if (outerLoop == nullptr) {
        return;
    }
    AppendLoop(outerLoop);
    if (!(outerLoop->GetSignedArea(m_plane.GetNormal(), nullptr) > 0.0)) {
        m_plane.Reverse();
    }
}

CFace::CFace(int edgeCount, CEdge* const* edges, const CPlane3d& plane) : m_plane(plane)
{
    AppendLoop(new CLoop(edgeCount, edges, this));
}

CFace::CFace(const CFace& other)
    : CDrawingElement(other), m_plane(other.m_plane), m_loops(other.m_loops), m_backMaterial(other.m_backMaterial)
{
}

CFace::~CFace()
{
    if (m_displayCache > 0) {
        CKeptFaceTriangles::Release(m_displayCache);
    }
}

void CFace::AppendLoop(CLoop* loop)
{
    m_loops.Append(loop);
    if (loop->GetFace() != this) {
        loop->SetFace(this);
    }
}

void CFace::Serialize(CArchive& ar)
{
    CDrawingElement::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CFace::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CFace));
    ar >> m_plane;
    ReadLoops(ar);
    if (version == 1) {
        std::int32_t hasMaterial = 0;
        ar >> hasMaterial;
        if (hasMaterial != 0) {
            CMaterial* material = nullptr;
            ArchiveReadMaterial(ar, material);
            SetMaterial(material);
        }
    }
    if (version >= 3) {
        CMaterial* material = nullptr;
        ArchiveReadMaterial(ar, material);
        TakeBackMaterial(material, false);
    } else {
        TakeBackMaterial(GetMaterial(), false);
    }
    OnGeometryChanged();
}

void CFace::ReadLoops(CArchive& ar)
{
    std::int32_t count = 0;
    ar >> count;
    if (count < 0 || count > kMaxLoopCount) {
        AfxThrowArchiveException(CArchiveException::genericException, {}, "a face has too many loops");
    }
    ar.EnsureAvailable(static_cast<ULONGLONG>(count) * kMinLoopReferenceBytes);
    m_loops.Free();
    m_loops.SetCount(count);
    const CVector3d normal = GetNormal();
    CPoint3d corners[3];
    bool triangle = false;
    bool convex = false;
    CLoop::STriangleMeasures measures;
    for (std::int32_t i = 0; i < count; ++i) {
        CLoop* loop = ReadLoopObject(ar);
        // A loop that already bounds a face (this one included) would be shared.
        if (loop == nullptr || loop->GetFace() != nullptr) {
            m_loops.SetCount(i);
            AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
        }
        m_loops.SetAt(i, loop);
        loop->SetFace(this);
        convex = loop->UpdateConvexity(normal, false, corners, triangle, measures) && loop->IsOuter();
    }
    if (CMeshReadSink* sink = CMeshReadSink::Current()) {
        if (count == 1 && triangle && convex) {
            sink->TriangleRead(corners, normal, measures.turn, measures.squaredSides);
        } else {
            sink->FaceRead(*this);
        }
    }
}

void CFace::WriteRecord(CArchive& ar) const
{
    ar << m_plane;
    ar << static_cast<std::int32_t>(m_loops.GetCount());
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        ar.WriteObject(m_loops.GetAt(i));
    }
    ar.WriteObject(m_backMaterial);
}

void CFace::TakeBackMaterial(CMaterial* material, bool notify)
{
    // The record reader fills a new face, which holds no use yet.
    m_backMaterial = material;
    if (m_backMaterial != nullptr) {
        m_backMaterial->AddUse(notify);
    }
}

void CFace::Erase()
{
    RecordChange(true);
    if (m_backMaterial != nullptr) {
        m_backMaterial->RemoveUse(true);
    }
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        CLoop* loop = m_loops.GetAt(i);
        m_loops.SetAt(i, nullptr);
        if (loop != nullptr) {
            loop->Erase();
        }
    }
    m_loops.Free();
    OnGeometryChanged();
    CDrawingElement::Erase();
}

void CFace::Discard()
{
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        if (CLoop* loop = m_loops.GetAt(i)) {
            loop->Discard();
        }
    }
    m_loops.Free();
    CDrawingElement::Discard();
}

bool CFace::CollectDependents(CEntitySet& set)
{
    if (!CDrawingElement::CollectDependents(set)) {
        return false;
    }
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        if (CLoop* loop = m_loops.GetAt(i)) {
            loop->CollectDependents(set);
        }
    }
    return true;
}

void CFace::Transform(const CTransformation& transform)
{
    RecordChange(true);
    // The placements are moved from the plane the face had before.
    if (CFaceTextureCoords* coords = GetFaceTextureCoords(this)) {
        coords->Transform(transform, m_plane);
    }
    transform.TransformPlane(m_plane);
    if (transform.IsMirrored()) {
        CEnumLoopArray loops(this);
        CLoop* loop = nullptr;
        while (loops.Next(loop)) {
            loop->Reverse();
        }
    }
    OnGeometryChanged();
}

CEntity* CFace::Clone() const
{
    return new CFace(*this);
}

void CFace::SwapData(CEntity& other)
{
    auto& face = static_cast<CFace&>(other);
    OnGeometryChanged();
    CDrawingElement::SwapData(other);
    face.OnGeometryChanged();
    std::swap(m_plane, face.m_plane);
    m_loops.Swap(face.m_loops);
    std::swap(m_backMaterial, face.m_backMaterial);
}

int CFace::GetTypeId() const
{
    return kTypeFace;
}

void CFace::OnGeometryChanged()
{
    if (m_displayCache != 0) {
        // Enlists the face so that undo finds it, without a copy of its state.
        RecordChange(false);
        if (m_displayCache > 0) {
            CKeptFaceTriangles::Release(m_displayCache);
        }
        m_displayCache = 0;
    }
    InvalidateComponentSmoothNormals();
}

void CFace::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    const CLoop* outer = GetOuterLoop();
    if (outer == nullptr) {
        return;
    }
    std::vector<CPoint3d> points;
    outer->GetPoints(points, &transform);
    for (const CPoint3d& point : points) {
        box.Add(point);
    }
}

void CFace::GetExtents(CBoundingBox3d& box) const
{
    // Not cached: the box would cost a face a third of its size, and the outer loop of
    // a face is usually a handful of vertices.
    const CLoop* outer = GetOuterLoop();
    if (outer == nullptr) {
        return;
    }
    // A model's bounds ask this of every face, and a mesh's are triangles.
    CPoint3d corners[3];
    if (outer->GetTrianglePoints(corners)) {
        for (const CPoint3d& corner : corners) {
            box.Add(corner);
        }
        return;
    }
    CEnumEdgeUseLoop walk(outer);
    CEdgeUse* use = nullptr;
    while (walk.Next(use)) {
        if (const CVertex* vertex = use->GetStartVertex()) {
            box.Add(vertex->GetPosition());
        }
    }
}

CBoundingBox3d CFace::GetBoundingBox() const
{
    CBoundingBox3d box;
    GetExtents(box);
    return box;
}

int CFace::IntersectLine(const CLine3d& line, CPoint3d& point) const
{
    return m_plane.IntersectLine(line, point) ? kFaceLineHitsPlane : kFaceLineParallel;
}

bool CFace::IntersectPickRay(const CBoundedLine3d& ray, double /*pixelScale*/, CPoint3d& hitPoint,
                             double& hitParameter, CInstancePath* /*hitPath*/, bool skipHidden) const
{
    if (skipHidden && IsHiddenFlagSet()) {
        return false;
    }
    CBoundingBox3d box = GetBoundingBox();
    box.Expand(kLengthTolerance);
    if (!ray.IntersectsBox(box)) {
        return false;
    }
    double t = 0.0;
    if (!ray.line.Intersect(m_plane, t) || !(t > -kLengthTolerance)) {
        return false;
    }
    if (ray.IsEndBounded() && t - ray.end >= kLengthTolerance) {
        return false;
    }
    const CPoint3d point = ray.line.GetPoint(t);
    hitPoint = point;
    hitParameter = t;
    const int found = ClassifyPoint(point, false);
    return found == kFacePointInside || found == kFacePointOnEdge || found == kFacePointOnVertex;
}

bool CFace::CanHaveMaterial() const
{
    return true;
}

void CFace::CopyPropertiesFrom(const CDrawingElement* other)
{
    CDrawingElement::CopyPropertiesFrom(other);
    if (other != nullptr && other->IsKindOf(RUNTIME_CLASS(CFace))) {
        SetBackMaterial(static_cast<const CFace*>(other)->m_backMaterial);
    }
}

int CFace::GetEdgeUseCount() const
{
    int count = 0;
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        if (const CLoop* loop = m_loops.GetAt(i)) {
            count += loop->GetEdgeUseCount();
        }
    }
    return count;
}

CPoint3d CFace::GetFirstPoint() const
{
    const CLoop* outer = GetOuterLoop();
    const CEdgeUse* use = outer != nullptr ? outer->GetFirstEdgeUse() : nullptr;
    const CVertex* vertex = use != nullptr ? use->GetStartVertex() : nullptr;
    return vertex != nullptr ? vertex->GetPosition() : CPoint3d();
}

CEnumLoop* CFace::NewLoopEnum() const
{
    return new CEnumLoopArray(this);
}

CEnumEdgeUse* CFace::NewEdgeUseEnum() const
{
    return new CEnumEdgeUseFace(this);
}

CEnumEdge* CFace::NewEdgeEnum() const
{
    return new CEnumEdgeFace(this);
}

CEnumVertex* CFace::NewVertexEnum() const
{
    return new CEnumVertexFace(this);
}

void CFace::SetPlane(const CPlane3d& plane)
{
    RecordChange(true);
    m_plane = plane;
    OnGeometryChanged();
}

void CFace::FlipPlane()
{
    RecordChange(true);
    m_plane.Reverse();
}

void CFace::Reverse()
{
    RecordChange(true);
    m_plane.Reverse();
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        if (CLoop* loop = m_loops.GetAt(i)) {
            loop->Reverse();
        }
    }
    NotifyReferrers(kReferenceFaceReversed, this);
    OnGeometryChanged();
}

void CFace::RemoveLoop(CLoop* loop, bool erase)
{
    const std::int32_t index = m_loops.Find(loop);
    if (loop == nullptr || index < 0) {
        return;
    }
    RecordChange(true);
    m_loops.RemoveAt(index);
    if (erase) {
        loop->Erase();
    } else {
        loop->SetFace(nullptr);
    }
    OnGeometryChanged();
}

void CFace::EraseInnerLoops()
{
    if (m_loops.GetCount() <= 1) {
        return;
    }
    RecordChange(true);
    while (m_loops.GetCount() > 1) {
        CLoop* last = m_loops.GetAt(m_loops.GetCount() - 1);
        m_loops.RemoveAt(m_loops.GetCount() - 1);
        if (last != nullptr) {
            last->Erase();
        }
    }
    OnGeometryChanged();
}

void CFace::AddInnerLoop(CLoop* loop)
{
    if (loop == nullptr || HasLoop(loop)) {
        return;
    }
    RecordChange(true);
    CFace* previousFace = loop->GetFace();
    if (previousFace != nullptr && previousFace != this) {
        loop = new CLoop(loop);
        if (CVector3d(previousFace->GetNormal()) != CVector3d(GetNormal())) {
            previousFace->Reverse();
        }
    } else {
        previousFace = nullptr;
    }
    loop->SetFace(this);
    if (loop->GetSignedArea(GetNormal(), nullptr) > 0.0) {
        loop->Reverse();
    }
    loop->SetOuter(false);
    m_loops.Append(loop);
    OnGeometryChanged();
    if (previousFace != nullptr) {
        previousFace->CopyPropertiesFrom(this);
        previousFace->MoveRelationshipsTo(this);
    }
}

void CFace::SetBackMaterial(CMaterial* material)
{
    if (material == m_backMaterial) {
        return;
    }
    RecordChange(true);
    if (m_backMaterial != nullptr) {
        m_backMaterial->RemoveUse(true);
    }
    m_backMaterial = material;
    if (m_backMaterial != nullptr) {
        m_backMaterial->AddUse(true);
    }
}

double CFace::GetArea(const CTransformation* transform) const
{
    CUnitVector3d normal = GetNormal();
    if (transform != nullptr) {
        transform->TransformUnitVector(normal);
    }
    double area = 0.0;
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        const CLoop* loop = m_loops.GetAt(i);
        if (loop == nullptr) {
            continue;
        }
        const double loopArea = std::fabs(loop->GetSignedArea(normal, transform));
        area += loop->IsOuter() ? loopArea : -loopArea;
    }
    return area + GetOpeningsArea(transform);
}

int CFace::ClassifyPoint(const CPoint3d& point, bool ignoreOpenings) const
{
    if (m_loops.IsEmpty()) {
        return kFacePointNoLoops;
    }
    if (std::fabs(m_plane.GetSignedDistance(point)) > kLengthTolerance) {
        return kFacePointOffPlane;
    }
    const int axis = GetDominantAxis();
    for (std::int32_t i = 1; i < m_loops.GetCount(); ++i) {
        const int found = m_loops.GetAt(i)->ClassifyPoint(point, axis, nullptr);
        if (found == kLoopPointInside) {
            return kFacePointOutside;
        }
        if (found != kLoopPointOutside) {
            return found;
        }
    }
    if (!ignoreOpenings) {
        const int found = ClassifyPointInOpenings(point, axis);
        if (found != kFacePointInside) {
            return found;
        }
    }
    return GetOuterLoop()->ClassifyPoint(point, axis, nullptr);
}

bool CFace::AreAllVerticesOnPlane() const
{
    CEnumVertexFace vertices(this);
    CVertex* vertex = nullptr;
    while (vertices.Next(vertex)) {
        if (vertex == nullptr || !vertex->GetPosition().IsOnPlane(m_plane)) {
            return false;
        }
    }
    return true;
}

int CFace::GetDominantAxis() const
{
    const double nx = std::fabs(m_plane.a);
    const double ny = std::fabs(m_plane.b);
    const double nz = std::fabs(m_plane.c);
    if (nx >= ny && nx >= nz) {
        return 1;
    }
    return nz <= ny ? 2 : 0;
}

bool CFace::RefitPlane(CPlane3d* fitted, bool apply)
{
    const CLoop* outer = GetOuterLoop();
    if (outer == nullptr) {
        return false;
    }
    std::vector<CPoint3d> points;
    outer->GetPoints(points, nullptr);
    if (points.size() < 3) {
        return false;
    }
    CPlane3d plane = m_plane;
    const bool fits = plane.FitToPoints(static_cast<int>(points.size()), points.data());
    if (apply) {
        if (fits) {
            SetPlane(plane);
        }
        if (!(outer->GetSignedArea(GetNormal(), nullptr) > 0.0)) {
            RecordChange(true);
            m_plane.Reverse();
        }
        OnGeometryChanged();
    }
    if (fitted != nullptr) {
        *fitted = plane;
    }
    return fits;
}

bool CFace::IsPlanarWith(const CPlane3d* plane) const
{
    const CPlane3d& reference = plane != nullptr ? *plane : m_plane;
    std::vector<CPoint3d> points;
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        m_loops.GetAt(i)->GetPoints(points, nullptr);
    }
    for (const CPoint3d& point : points) {
        if (!point.IsOnPlane(reference)) {
            return false;
        }
    }
    if (m_loops.GetCount() == 1 && GetOuterLoop()->GetEdgeUseCount() == 3 && points.size() == 3) {
        CPlane3d triangle;
        triangle.FitToPoints(3, points.data());
        return AreEqualWithin(triangle.a, reference.a, kDivisionTolerance) &&
               AreEqualWithin(triangle.b, reference.b, kDivisionTolerance) &&
               AreEqualWithin(triangle.c, reference.c, kDivisionTolerance);
    }
    return true;
}
