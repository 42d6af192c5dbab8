#include "document/modelpointref.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "annotations/constructionline.h"
#include "annotations/constructionpoint.h"
#include "annotations/sectionplane.h"
#include "document/componentinstance.h"
#include "document/material.h"
#include "document/tarnwickmodel.h"
#include "document/texture.h"
#include "foundation/boundedline3d.h"
#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "model/arccurve.h"
#include "model/backreferencemap.h"
#include "model/edge.h"
#include "model/entitycontainer.h"
#include "model/entityset.h"
#include "document/image.h"
#include "foundation/boundingbox2d.h"
#include "foundation/geometryarchive.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "model/drawingelement.h"
#include "model/edgeuse.h"
#include "model/entitylist.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/loopprocedures.h"
#include "model/vertex.h"
#include "platform/archive.h"

namespace {

// Gathers the 2D box of a loop's vertices carried into the face frame.
class CFrameBoxProc : public IVertexProcedure
{
public:
    explicit CFrameBoxProc(const CTransformation& toFrame) : m_toFrame(toFrame) {}

    bool Apply(CVertex* vertex) override
    {
        const CPoint3d p = m_toFrame * vertex->GetPosition();
        m_box.Add(CPoint2d(p.x, p.y));
        return true;
    }
    [[nodiscard]] const CBoundingBox2d& GetBox() const { return m_box; }

private:
    CTransformation m_toFrame;
    CBoundingBox2d m_box;
};

double Fraction(double value, double low, double high)
{
    const double size = high - low;
    return size > 0.0 ? (value - low) / size : 0.0;
}

}  // namespace

CModelPointRef::CModelPointRef(const CPoint3d& point)
    : m_kind(kFreePoint), m_parameters(point), m_position(point)
{
}

void CModelPointRef::Set(std::int32_t kind, const CPoint3d& parameters, CEntity* first,
                         const CInstancePath& firstPath, CEntity* second, const CInstancePath& secondPath)
{
    m_kind = kind;
    m_parameters = parameters;
    m_first = first;
    m_firstPath = firstPath;
    m_second = second;
    m_secondPath = secondPath;
}

void CModelPointRef::Read(CArchive& ar)
{
    std::int32_t version = 0;
    ar >> m_kind >> version;
    ar >> m_parameters;
    m_first = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
    m_second = version >= 1 ? ReadDrawingElement(ar) : nullptr;
    m_firstPath.Clear();
    m_secondPath.Clear();
    ReadPath(ar, m_firstPath);
    if (version >= 4) {
        ReadPath(ar, m_secondPath);
    }
    ConvertOldReferences(version);
}

void CModelPointRef::ReadPath(CArchive& ar, CInstancePath& path)
{
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        if (CComponentInstance* instance = ArchiveReadComponentInstance(ar)) {
            path.Push(instance);
        }
    }
}

void CModelPointRef::ConvertOldReferences(std::int32_t version)
{
    // Image points once named the image's own placement as the last step of the path.
    if (version < 2 && m_kind == kImagePoint && dynamic_cast<CImage*>(m_first) != nullptr) {
        m_firstPath.Pop();
    }
    // Face points once stored frame coordinates instead of fractions of the face box.
    if (version < 3 && m_kind == kFacePoint) {
        if (const auto* face = dynamic_cast<const CFace*>(m_first)) {
            m_parameters = GetFaceFractions(face, m_parameters);
        }
    }
}

bool CModelPointRef::GetFaceFrame(const CFace* face, CTransformation& frame, CBoundingBox2d& box)
{
    const CLoop* outer = face != nullptr ? face->GetOuterLoop() : nullptr;
    const CEdgeUse* use = outer != nullptr ? outer->GetFirstEdgeUse() : nullptr;
    if (use == nullptr || use->GetStartVertex() == nullptr || use->GetEndVertex() == nullptr) {
        return false;
    }
    const CPoint3d start = use->GetStartVertex()->GetPosition();
    const CUnitVector3d x(start, use->GetEndVertex()->GetPosition());
    const CUnitVector3d z = face->GetNormal();
    const CVector3d xAxis(x.x, x.y, x.z);
    const CVector3d zAxis(z.x, z.y, z.z);
    frame = CTransformation(xAxis, zAxis.CrossProduct(xAxis), zAxis, start);
    CTransformation toFrame;
    if (!frame.GetInverse(toFrame)) {
        return false;
    }
    CFrameBoxProc boxProc(toFrame);
    outer->ForEachVertex(boxProc);
    box = boxProc.GetBox();
    return !box.IsEmpty();
}

CPoint3d CModelPointRef::GetFaceFractions(const CFace* face, const CPoint3d& framePoint)
{
    CTransformation frame;
    CBoundingBox2d box;
    if (!GetFaceFrame(face, frame, box)) {
        return CPoint3d(0, 0, 0);
    }
    return CPoint3d(Fraction(framePoint.x, box.xmin, box.xmax), Fraction(framePoint.y, box.ymin, box.ymax), 0.0);
}

void CModelPointRef::Write(CArchive& ar)
{
    if (m_detachPending) {
        ar << static_cast<std::int32_t>(kFreePoint) << kRecordVersion << m_position;
        ar.WriteObject(nullptr);
        ar.WriteObject(nullptr);
        ar << static_cast<std::int32_t>(0) << static_cast<std::int32_t>(0);
        m_detachPending = false;
        return;
    }
    ar << m_kind << kRecordVersion << m_parameters;
    ar.WriteObject(m_first);
    ar.WriteObject(m_second);
    WritePath(ar, m_firstPath);
    WritePath(ar, m_secondPath);
}

void CModelPointRef::WritePath(CArchive& ar, const CInstancePath& path)
{
    ar << static_cast<std::int32_t>(path.GetCount());
    for (CEntity* entity : path.GetEntities()) {
        ar.WriteObject(entity);
    }
}

bool CModelPointRef::MapAttachment(CEntity*& entity, CInstancePath& path, int firstMapped, const CopyLookup& copyOf)
{
    bool changed = false;
    CInstancePath mapped;
    for (int i = 0; i < path.GetCount(); ++i) {
        CEntity* step = path.GetAt(i);
        CEntity* copy = i >= firstMapped ? copyOf(step) : nullptr;
        mapped.Push(copy != nullptr ? copy : step);
        changed = changed || copy != nullptr;
    }
    if (CEntity* copy = entity != nullptr ? copyOf(entity) : nullptr) {
        entity = copy;
        changed = true;
    }
    path = mapped;
    return changed;
}

bool CModelPointRef::MapBelowInstance(const CEntity* instance, const CopyLookup& copyOf)
{
    bool changed = false;
    for (auto [entity, path] : {std::pair{&m_first, &m_firstPath}, std::pair{&m_second, &m_secondPath}}) {
        const auto& steps = path->GetEntities();
        const auto found = std::find(steps.begin(), steps.end(), instance);
        if (instance != nullptr && found != steps.end()) {
            const int below = static_cast<int>(found - steps.begin()) + 1;
            changed = MapAttachment(*entity, *path, below, copyOf) || changed;
        }
    }
    return changed;
}

bool CModelPointRef::OnInstanceRemoved(const CEntity* instance, const CopyLookup& copyOf)
{
    bool changed = false;
    for (auto [entity, path] : {std::pair{&m_first, &m_firstPath}, std::pair{&m_second, &m_secondPath}}) {
        if (instance == nullptr || path->Front() != instance) {
            continue;
        }
        CInstancePath rest;
        for (int i = 1; i < path->GetCount(); ++i) {
            rest.Push(path->GetAt(i));
        }
        *path = rest;
        MapAttachment(*entity, *path, 0, copyOf);
        changed = true;
    }
    return changed;
}

namespace {

CTransformation PathTransform(const CInstancePath& path)
{
    CTransformation transform;
    path.GetTransform(transform);
    return transform;
}

// The line an intersection point takes from an entity: an edge's or a construction
// line's, carried through the entity's path.
bool GetEntityLine(const CEntity* entity, const CInstancePath& path, CLine3d& out)
{
    if (const auto* edge = dynamic_cast<const CEdge*>(entity)) {
        if (edge->GetStartVertex() == nullptr || edge->GetEndVertex() == nullptr) {
            return false;
        }
        out = CLine3d(edge->GetStartVertex()->GetPosition(), edge->GetEndVertex()->GetPosition());
    } else if (const auto* line = dynamic_cast<const CConstructionLine*>(entity)) {
        out = line->GetLine().line;
    } else {
        return false;
    }
    out.Transform(PathTransform(path));
    return true;
}

bool IsReferrerOf(const CBackReferenceMap& map, const CEntity* entity, const CEntity* owner)
{
    const std::unique_ptr<IEntityIterator> referrers(map.NewIterator(entity));
    CEntity* referrer = nullptr;
    while (referrers != nullptr && referrers->Next(referrer)) {
        if (referrer == owner) {
            return true;
        }
    }
    return false;
}

// The image's face size: its texture's width and height.
bool GetImageSize(const CImage* image, double& width, double& height)
{
    const CFace* face = image != nullptr ? image->GetFace() : nullptr;
    const CMaterial* material = face != nullptr ? face->GetMaterial() : nullptr;
    const CTexture* texture = material != nullptr ? material->GetTexture() : nullptr;
    if (texture == nullptr) {
        return false;
    }
    width = texture->GetWidth();
    height = texture->GetHeight();
    return true;
}

}  // namespace

CPoint3d CModelPointRef::EvaluateLocal(bool& known) const
{
    known = true;
    const CPoint3d& p = m_parameters;
    switch (m_kind) {
    case kFreePoint: return p;
    case kVertex:
        if (const auto* vertex = dynamic_cast<const CVertex*>(m_first)) {
            return vertex->GetPosition();
        }
        break;
    case kConstructionPoint:
        if (const auto* point = dynamic_cast<const CConstructionPoint*>(m_first)) {
            return point->GetPoint();
        }
        break;
    case kEdgeMidpoint:
    case kEdgePoint: {
        const double t = m_kind == kEdgeMidpoint ? 0.5 : p.x;
        if (CPoint3d along; GetEdgePoint(dynamic_cast<const CEdge*>(m_first), t, along)) {
            return along;
        }
        break;
    }
    case kConstructionLinePoint:
        if (const auto* line = dynamic_cast<const CConstructionLine*>(m_first)) {
            return line->GetLine().line.GetPoint(p.x);
        }
        break;
    case kFacePoint:
        if (CPoint3d onFace; GetFacePoint(dynamic_cast<const CFace*>(m_first), p, onFace)) {
            return onFace;
        }
        break;
    case kImagePoint: {
        double width = 0.0;
        double height = 0.0;
        const auto* image = dynamic_cast<const CImage*>(m_first);
        if (GetImageSize(image, width, height)) {
            return image->GetTransform() * CPoint3d(p.x * width, p.y * height, 0.0);
        }
        break;
    }
    case kArcCentre:
        if (const auto* arc = dynamic_cast<const CArcCurve*>(m_first)) {
            return arc->GetArc().centre;
        }
        break;
    case kSectionPlanePoint:
        if (const auto* section = dynamic_cast<const CSectionPlane*>(m_first)) {
            CPoint3d projected;
            section->GetPlane().ProjectPoint(p, projected);
            return projected;
        }
        break;
    default: break;
    }
    known = false;
    return GetLocalPosition();
}

bool CModelPointRef::GetEdgePoint(const CEdge* edge, double t, CPoint3d& out)
{
    if (edge == nullptr || edge->GetStartVertex() == nullptr || edge->GetEndVertex() == nullptr) {
        return false;
    }
    const CPoint3d start = edge->GetStartVertex()->GetPosition();
    out = start + (edge->GetEndVertex()->GetPosition() - start) * t;
    return true;
}

double CModelPointRef::GetEdgeFraction(const CEdge* edge, const CPoint3d& point)
{
    if (edge == nullptr || edge->GetStartVertex() == nullptr || edge->GetEndVertex() == nullptr) {
        return 0.0;
    }
    const CPoint3d start = edge->GetStartVertex()->GetPosition();
    const CVector3d along = edge->GetEndVertex()->GetPosition() - start;
    const double squared = along.GetLengthSquared();
    return squared > 0.0 ? DotProduct(point - start, along) / squared : 0.0;
}

bool CModelPointRef::GetFacePoint(const CFace* face, const CPoint3d& fractions, CPoint3d& out)
{
    CTransformation frame;
    CBoundingBox2d box;
    if (!GetFaceFrame(face, frame, box)) {
        return false;
    }
    const CPoint3d& f = fractions;
    out = frame * CPoint3d(box.xmin + f.x * (box.xmax - box.xmin), box.ymin + f.y * (box.ymax - box.ymin), 0.0);
    return true;
}

CPoint3d CModelPointRef::Evaluate()
{
    if (m_kind == kIntersection) {
        CLine3d first;
        CLine3d second;
        CPoint3d point;
        if (GetEntityLine(m_first, m_firstPath, first) && GetEntityLine(m_second, m_secondPath, second) &&
            first.IntersectLine(second, point)) {
            m_position = point;
        }
        return m_position;
    }
    bool known = false;
    const CPoint3d local = EvaluateLocal(known);
    if (known) {
        m_position = m_firstPath.IsEmpty() ? local : PathTransform(m_firstPath) * local;
    }
    return m_position;
}

CPoint3d CModelPointRef::GetLocalPosition() const
{
    CTransformation inverse;
    if (m_firstPath.IsEmpty() || !PathTransform(m_firstPath).GetInverse(inverse)) {
        return m_position;
    }
    return inverse * m_position;
}

bool CModelPointRef::HasPlane() const
{
    return m_kind == kFacePoint || m_kind == kImagePoint || m_kind == kArcCentre;
}

bool CModelPointRef::GetLocalPlane(CPlane3d& out) const
{
    if (m_kind == kFacePoint) {
        if (const auto* face = dynamic_cast<const CFace*>(m_first)) {
            out = face->GetPlane();
            return true;
        }
    } else if (m_kind == kImagePoint) {
        if (const auto* image = dynamic_cast<const CImage*>(m_first)) {
            out = image->GetTransform() * CPlane3d(CPoint3d(0, 0, 0), CVector3d(0, 0, 1));
            return true;
        }
    } else if (m_kind == kArcCentre) {
        if (const auto* arc = dynamic_cast<const CArcCurve*>(m_first)) {
            out = arc->GetPlane();
            return true;
        }
    }
    return false;
}

bool CModelPointRef::GetPlane(CPlane3d& out) const
{
    if (!GetLocalPlane(out)) {
        return false;
    }
    if (!m_firstPath.IsEmpty()) {
        out = PathTransform(m_firstPath) * out;
    }
    return true;
}

CDrawingElement* CModelPointRef::GetDrawingElement() const
{
    return dynamic_cast<CDrawingElement*>(m_first);
}

void CModelPointRef::Transform(const CTransformation& transform)
{
    if (m_kind == kFreePoint) {
        m_parameters = transform * m_parameters;
        m_position = m_parameters;
    }
}

bool CModelPointRef::IsContainedIn(const CEntitySet& set) const
{
    for (auto [entity, path] : {std::pair{m_first, &m_firstPath}, std::pair{m_second, &m_secondPath}}) {
        const CEntity* named = path->IsEmpty() ? entity : path->Front();
        if (named != nullptr && !set.Contains(named)) {
            return false;
        }
    }
    return true;
}

bool CModelPointRef::RefersTo(const CEntity* entity) const
{
    return entity != nullptr && (entity == m_first || entity == m_second || m_firstPath.Contains(entity) ||
                                 m_secondPath.Contains(entity));
}

void CModelPointRef::AddReferences(CEntity* owner) const
{
    ForEachReferenced([owner](CEntity* entity) { entity->AddBackReference(owner); });
}

void CModelPointRef::RemoveReferences(CEntity* owner) const
{
    ForEachReferenced([owner](CEntity* entity) { entity->RemoveBackReference(owner); });
}

void CModelPointRef::ForEachReferenced(const std::function<void(CEntity*)>& visit) const
{
    for (CEntity* entity : {m_first, m_second}) {
        if (entity != nullptr) {
            visit(entity);
        }
    }
    for (const CInstancePath* path : {&m_firstPath, &m_secondPath}) {
        for (CEntity* instance : path->GetEntities()) {
            visit(instance);
        }
    }
}

void CModelPointRef::Detach(CEntity* owner)
{
    if (owner != nullptr) {
        RemoveReferences(owner);
        owner->RecordChange(true);
    }
    m_kind = kFreePoint;
    m_parameters = m_position;
    m_first = nullptr;
    m_second = nullptr;
    m_firstPath.Clear();
    m_secondPath.Clear();
}

void CModelPointRef::AddEntitiesTo(CEntitySet& set) const
{
    ForEachReferenced([&set](CEntity* entity) { set.Add(entity); });
}

bool CModelPointRef::OnEntitiesRemoved(CEntity* owner, const CEntitySet& set)
{
    bool removed = false;
    ForEachReferenced([&](CEntity* entity) { removed = removed || set.Contains(entity); });
    if (removed) {
        Detach(owner);
    }
    return removed;
}

bool CModelPointRef::OnInstanceRemoved(CEntity* owner, const CEntity* instance, const CopyLookup& copyOf)
{
    if (instance == nullptr || (m_firstPath.Front() != instance && m_secondPath.Front() != instance)) {
        return false;
    }
    if (owner != nullptr) {
        owner->RecordChange(true);
        RemoveReferences(owner);
    }
    OnInstanceRemoved(instance, copyOf);
    if (owner != nullptr) {
        AddReferences(owner);
    }
    return true;
}

void CModelPointRef::ReplaceEntity(CEntity* owner, CEntity* oldEntity, CEntity* replacement)
{
    if (replacement == nullptr) {
        Detach(owner);
        return;
    }
    if (owner != nullptr) {
        owner->RecordChange(true);
        RemoveReferences(owner);
    }
    for (CEntity** entity : {&m_first, &m_second}) {
        if (*entity == oldEntity) {
            *entity = replacement;
        }
    }
    if (owner != nullptr) {
        AddReferences(owner);
    }
}

bool CModelPointRef::OnReferenceChanged(CEntity* owner, int code, CEntity* changed, CEntity* argument)
{
    if (code == kReferenceCurveChanged || !RefersTo(changed)) {
        return false;
    }
    switch (code) {
    case kReferenceErased:
        // A vertex or an instance still knows where it is; an edge or a face being erased
        // has let go of its vertices and loops, and the last position stands.
        Evaluate();
        Detach(owner);
        return true;
    case kReferenceMerged: MoveToSurvivor(owner, changed, argument); return true;
    default: return OnFaceChanged(owner, changed);
    }
}

void CModelPointRef::MoveToSurvivor(CEntity* owner, CEntity* merged, CEntity* survivor)
{
    // Vertices and edges tell before they change; a face tells once it has handed its
    // loops over, and its point's last position stands.
    if (m_kind != kFacePoint) {
        Evaluate();
    }
    ReplaceEntity(owner, merged, survivor);
    if (survivor == nullptr || m_first != survivor) {
        return;
    }
    // The survivor runs or spans differently: the fractions that placed the point on the
    // merged entity would put it elsewhere on the survivor.
    const CPoint3d local = GetLocalPosition();
    if (const auto* edge = dynamic_cast<const CEdge*>(survivor); edge != nullptr && m_kind == kEdgePoint) {
        m_parameters = CPoint3d(GetEdgeFraction(edge, local), 0.0, 0.0);
    } else if (const auto* face = dynamic_cast<const CFace*>(survivor); face != nullptr && m_kind == kFacePoint) {
        CTransformation frame;
        CBoundingBox2d box;
        if (GetFaceFrame(face, frame, box)) {
            m_parameters = GetFaceFractions(face, frame.GetInverse() * local);
        }
    }
}

bool CModelPointRef::OnFaceChanged(CEntity* owner, const CEntity* changed)
{
    const auto* face = dynamic_cast<const CFace*>(m_first);
    if (m_kind != kFacePoint || face == nullptr || changed != m_first) {
        return false;
    }
    const CPoint3d local = GetLocalPosition();
    if (face->ClassifyPoint(local) != kFacePointInside) {
        Detach(owner);
        return true;
    }
    // The point hangs on the same entities: its references stay as they are. Dropped
    // and added again here they would be lost, since the face's list takes no new
    // referrer while it is being told.
    if (owner != nullptr) {
        owner->RecordChange(true);
    }
    CTransformation frame;
    CBoundingBox2d box;
    if (GetFaceFrame(face, frame, box)) {
        m_parameters = GetFaceFractions(face, frame.GetInverse() * local);
    }
    return true;
}

int CModelPointRef::CheckReferences(CEntity* owner, bool repair) const
{
    int missing = 0;
    CBackReferenceMap* map = GetCurrentModel() != nullptr ? GetCurrentModel()->FindEntitySet() : nullptr;
    if (owner == nullptr || map == nullptr) {
        return 0;
    }
    ForEachReferenced([&](CEntity* entity) {
        if (!IsReferrerOf(*map, entity, owner)) {
            ++missing;
            if (repair) {
                entity->AddBackReference(owner);
            }
        }
    });
    return missing;
}
