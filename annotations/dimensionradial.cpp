#include "annotations/dimensionradial.h"

#include <utility>

#include "annotations/annotationcheck.h"
#include "document/versionmap.h"
#include "foundation/tolerance.h"
#include "model/arccurve.h"
#include "model/curve.h"
#include "model/edge.h"
#include "model/entityset.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CDimensionRadial, CDimension, VERSIONABLE_SCHEMA | 2)

CDimensionRadial::CDimensionRadial() = default;

// The arc is copied as well: a copy of a free dimension has no edge to read it from,
// and undo restores a dimension from such a copy.
CDimensionRadial::CDimensionRadial(const CDimensionRadial& other)
    : CDimension(other),
      m_edge(other.m_edge),
      m_arc(other.m_arc),
      m_leaderAngle(other.m_leaderAngle),
      m_leaderExtent(other.m_leaderExtent),
      m_diameter(other.m_diameter)
{
}

CDimensionRadial::~CDimensionRadial() = default;

CEntity* CDimensionRadial::Clone() const
{
    return new CDimensionRadial(*this);
}

void CDimensionRadial::SwapData(CEntity& other)
{
    auto& dimension = dynamic_cast<CDimensionRadial&>(other);
    OnErased();
    dimension.OnErased();
    CDimension::SwapData(other);
    std::swap(m_edge, dimension.m_edge);
    std::swap(m_arc, dimension.m_arc);
    std::swap(m_leaderAngle, dimension.m_leaderAngle);
    std::swap(m_leaderExtent, dimension.m_leaderExtent);
    std::swap(m_diameter, dimension.m_diameter);
    OnModified();
    dimension.OnModified();
}

void CDimensionRadial::OnReferenceChanged(int code, CEntity* /*changed*/, CEntity* argument)
{
    if (code == kReferenceErased) {
        Detach();
    } else if (code == kReferenceCurveChanged && argument != nullptr) {
        if (AsArcCurve(dynamic_cast<CCurve*>(argument)) == nullptr) {
            Detach();
        }
    }
}

void CDimensionRadial::OnModified()
{
    if (m_edge != nullptr) {
        m_edge->AddBackReference(this);
    }
}

void CDimensionRadial::OnErased()
{
    if (m_edge != nullptr) {
        m_edge->RemoveBackReference(this);
    }
}

int CDimensionRadial::GetTypeId() const
{
    return kTypeDimensionRadial;
}

bool CDimensionRadial::RefersTo(const CEntity* entity) const
{
    return entity != nullptr && entity == m_edge;
}

bool CDimensionRadial::IsAssociated() const
{
    return m_edge != nullptr && m_edge->GetArcCurve() != nullptr;
}

void CDimensionRadial::SetEdge(CEdge* edge)
{
    if (edge == m_edge) {
        return;
    }
    RecordChange(true);
    OnErased();
    m_edge = edge;
    OnModified();
    RefreshArc();
}

const CArc3d& CDimensionRadial::GetArc()
{
    RefreshArc();
    return m_arc;
}

void CDimensionRadial::RefreshArc()
{
    if (m_edge == nullptr) {
        return;
    }
    if (const CArcCurve* curve = m_edge->GetArcCurve()) {
        m_arc = curve->GetArc();
    }
}

void CDimensionRadial::SetLeader(double angle, double extent)
{
    if (angle != m_leaderAngle) {
        RecordChange(true);
        m_leaderAngle = angle;
    }
    if (extent != m_leaderExtent) {
        RecordChange(true);
        m_leaderExtent = extent;
    }
}

void CDimensionRadial::SetDiameter(bool diameter)
{
    if (diameter == m_diameter) {
        return;
    }
    RecordChange(true);
    m_diameter = diameter;
}

void CDimensionRadial::Detach()
{
    RefreshArc();
    OnErased();
    RecordChange(true);
    m_edge = nullptr;
    OnModified();
}

void CDimensionRadial::DetachFromEntitiesOutside(const CEntitySet& set, bool markOnly)
{
    if (m_edge == nullptr || set.Contains(m_edge)) {
        return;
    }
    if (markOnly) {
        m_writeDetached = true;
    } else {
        Detach();
    }
}

void CDimensionRadial::Serialize(CArchive& ar)
{
    CDimension::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CDimensionRadial::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CDimensionRadial));
    m_edge = ReadEdge(ar);
    ar >> m_leaderAngle >> m_leaderExtent;
    m_diameter = ArchiveReadBool(ar);
    if (m_edge == nullptr) {
        m_arc.Serialize(ar, version >= 2);
    }
    OnModified();
}

void CDimensionRadial::WriteRecord(CArchive& ar)
{
    RefreshArc();
    CEdge* written = m_writeDetached ? nullptr : m_edge;
    ar.WriteObject(written);
    ar << m_leaderAngle << m_leaderExtent;
    ArchiveWriteBool(ar, m_diameter);
    if (written == nullptr) {
        m_arc.Serialize(ar, true);
    }
    m_writeDetached = false;
}

int CDimensionRadial::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunAnnotationCheck(*this, RUNTIME_CLASS(CDimensionRadial), results,
                              [&]() { return CheckRadial(mode, results); });
}

int CDimensionRadial::CheckRadial(int mode, CValidityResultMap* results)
{
    const int base = CheckDimensionPart(mode, results);
    if (base != kValiditySound) {
        return base;
    }
    CAnnotationCheck check(*this, mode);
    if (m_edge != nullptr && (!m_edge->IsKindOf(RUNTIME_CLASS(CEdge)) || m_edge->GetArcCurve() == nullptr)) {
        check.Broken(kMsgDimensionBadEdge, kValidityBroken);
    }
    if (!IsValidDouble(m_leaderAngle) || !IsValidDouble(m_leaderExtent) || !m_arc.IsValid()) {
        check.Broken(kMsgDimensionBadNumber, kValidityBroken);
    }
    return check.GetSeverity();
}
