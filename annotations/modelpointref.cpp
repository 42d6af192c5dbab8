#include "annotations/modelpointref.h"

#ifdef GLIMRA_MODELPOINTREF_STANDIN

#include "foundation/geometryarchive.h"
#include "model/drawingelement.h"
#include "model/entitylist.h"
#include "platform/archive.h"

namespace {

const char* const kInstanceClassName = "CComponentInstance";

}  // namespace

CModelPointRef::CModelPointRef(const CPoint3d& point) : m_kind(kFreePoint), m_parameters(point), m_position(point)
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
    ar >> m_kind >> version >> m_parameters;
    m_first = static_cast<CEntity*>(ar.ReadObject(RUNTIME_CLASS(CEntity)));
    m_second = version >= 1 ? ReadDrawingElement(ar) : nullptr;
    m_firstPath.Clear();
    m_secondPath.Clear();
    ReadPath(ar, m_firstPath);
    if (version >= 4) {
        ReadPath(ar, m_secondPath);
    }
}

void CModelPointRef::ReadPath(CArchive& ar, CInstancePath& path)
{
    const std::int32_t count = ReadReferenceCount(ar);
    const CRuntimeClass* instanceClass = CRuntimeClass::FromName(kInstanceClassName);
    for (std::int32_t i = 0; i < count; ++i) {
        CObject* object = ar.ReadObject(RUNTIME_CLASS(CEntity));
        if (object == nullptr) {
            continue;
        }
        // A path holds instances only; without the instance class no object can be one.
        if (instanceClass == nullptr || !object->IsKindOf(instanceClass)) {
            AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
        }
        path.Push(static_cast<CEntity*>(object));
    }
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
    for (CEntity* instance : path.GetEntities()) {
        ar.WriteObject(instance);
    }
}

#endif
