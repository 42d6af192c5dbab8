#include "annotations/modelpointref.h"

#ifdef GLIMRA_MODELPOINTREF_STANDIN

#include "foundation/geometryarchive.h"
#include "foundation/vector3d.h"
#include "model/drawingelement.h"
#include "model/edge.h"
#include "model/entitylist.h"
#include "model/face.h"
#include "model/vertex.h"
#include "platform/archive.h"

namespace {

const char* const kInstanceClassName = "CComponentInstance";

CPoint3d EdgePointAt(const CEdge& edge, double t)
{
    const CPoint3d start = edge.GetStartVertex()->GetPosition();
    const CPoint3d end = edge.GetEndVertex()->GetPosition();
    return CPoint3d(start.x * (1.0 - t) + end.x * t, start.y * (1.0 - t) + end.y * t,
                    start.z * (1.0 - t) + end.z * t);
}

bool HasVertices(const CEdge* edge)
{
    return edge != nullptr && edge->GetStartVertex() != nullptr && edge->GetEndVertex() != nullptr;
}

}  // namespace

CModelPointRef::CModelPointRef(const CPoint3d& point) : m_kind(kFreePoint), m_parameters(point), m_position(point)
{
}

CModelPointRef::CModelPointRef(CEntity* vertex) : m_kind(kVertex), m_first(vertex)
{
    m_position = GetPosition();
}

CModelPointRef::CModelPointRef(CEdge* edge, const CPoint3d& point) : m_kind(kEdgePoint), m_first(edge), m_position(point)
{
    if (HasVertices(edge)) {
        const CPoint3d start = edge->GetStartVertex()->GetPosition();
        const CVector3d along = edge->GetEndVertex()->GetPosition() - start;
        const double squared = along.x * along.x + along.y * along.y + along.z * along.z;
        if (squared > 0.0) {
            const CVector3d offset = point - start;
            m_parameters.x = (offset.x * along.x + offset.y * along.y + offset.z * along.z) / squared;
        }
    }
}

CModelPointRef::CModelPointRef(CFace* face, const CPoint3d& point)
    : m_kind(kFacePoint), m_first(face), m_position(point)
{
}

CPoint3d CModelPointRef::GetPosition() const
{
    switch (m_kind) {
    case kFreePoint:
        return m_parameters;
    case kVertex:
        if (auto* vertex = dynamic_cast<CVertex*>(m_first)) {
            return vertex->GetPosition();
        }
        break;
    case kEdgeMidpoint:
    case kEdgePoint: {
        auto* edge = dynamic_cast<CEdge*>(m_first);
        if (HasVertices(edge)) {
            return EdgePointAt(*edge, m_kind == kEdgeMidpoint ? 0.5 : m_parameters.x);
        }
        break;
    }
    default:
        break;
    }
    return m_position;
}

bool CModelPointRef::RefersTo(const CEntity* entity) const
{
    return entity != nullptr && (entity == m_first || entity == m_second || m_firstPath.Contains(entity) ||
                                 m_secondPath.Contains(entity));
}

void CModelPointRef::AddReferences(CEntity* owner) const
{
    for (CEntity* entity : {m_first, m_second}) {
        if (entity != nullptr) {
            entity->AddBackReference(owner);
        }
    }
    for (const CInstancePath* path : {&m_firstPath, &m_secondPath}) {
        for (CEntity* instance : path->GetEntities()) {
            instance->AddBackReference(owner);
        }
    }
}

void CModelPointRef::RemoveReferences(CEntity* owner) const
{
    for (CEntity* entity : {m_first, m_second}) {
        if (entity != nullptr) {
            entity->RemoveBackReference(owner);
        }
    }
    for (const CInstancePath* path : {&m_firstPath, &m_secondPath}) {
        for (CEntity* instance : path->GetEntities()) {
            instance->RemoveBackReference(owner);
        }
    }
}

void CModelPointRef::Read(CArchive& ar)
{
    std::int32_t version = 0;
    ar >> m_kind >> version >> m_parameters;
    m_first = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
    m_second = version >= 1 ? ReadDrawingElement(ar) : nullptr;
    ReadPath(ar, m_firstPath);
    m_secondPath.Clear();
    if (version >= 4) {
        ReadPath(ar, m_secondPath);
    }
    m_position = m_kind == kFreePoint ? m_parameters : CPoint3d();
    m_position = GetPosition();
}

void CModelPointRef::ReadPath(CArchive& ar, CInstancePath& path)
{
    path.Clear();
    const std::int32_t count = ReadReferenceCount(ar);
    const CRuntimeClass* instanceClass = CRuntimeClass::FromName(kInstanceClassName);
    for (std::int32_t i = 0; i < count; ++i) {
        CObject* object = ar.ReadObject(RUNTIME_CLASS(CEntity));
        // A path holds instances only; without the instance class no object can be one.
        if (object == nullptr || instanceClass == nullptr || !object->IsKindOf(instanceClass)) {
            AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
        }
        path.Push(static_cast<CEntity*>(object));
    }
}

void CModelPointRef::Write(CArchive& ar)
{
    ar << m_kind << kRecordVersion << m_parameters;
    ar.WriteObject(m_first);
    ar.WriteObject(m_second);
    WritePath(ar, m_firstPath);
    WritePath(ar, m_secondPath);
}

void CModelPointRef::WritePath(CArchive& ar, const CInstancePath& path)
{
    ar << static_cast<std::int32_t>(path.GetCount());
    for (CEntity* instance : path.GetEntities()) {
        ar.WriteObject(instance);
    }
}

#endif
