#include "annotations/constructionpoint.h"

#include <utility>

#include "annotations/constructionline.h"
#include "annotations/constructionmessages.h"
#include "drawapi/tarnisview.h"
#include "foundation/boundedline3d.h"
#include "foundation/geometryarchive.h"
#include "foundation/transformation.h"
#include "model/entityvisitor.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CConstructionPoint, CConstructionGeometry, VERSIONABLE_SCHEMA | 0)

CConstructionPoint::CConstructionPoint() = default;

CConstructionPoint::CConstructionPoint(const CPoint3d& point) : m_point(point) {}

CConstructionPoint::CConstructionPoint(const CPoint3d& point, const CPoint3d& secondPoint)
    : m_point(point), m_secondPoint(secondPoint), m_withSegment(true)
{
}

CConstructionPoint::CConstructionPoint(const CConstructionPoint& other) = default;

CConstructionPoint::~CConstructionPoint() = default;

void CConstructionPoint::Serialize(CArchive& ar)
{
    CConstructionGeometry::Serialize(ar);
    if (ar.IsLoading()) {
        ar >> m_point >> m_secondPoint;
        m_withSegment = ArchiveReadBool(ar);
    } else {
        ar << m_point << m_secondPoint;
        ArchiveWriteBool(ar, m_withSegment);
    }
}

void CConstructionPoint::Transform(const CTransformation& transform)
{
    RecordChange(true);
    transform.TransformPoint(m_point);
    transform.TransformPoint(m_secondPoint);
}

CEntity* CConstructionPoint::Clone() const
{
    return new CConstructionPoint(*this);
}

void CConstructionPoint::SwapData(CEntity& other)
{
    CConstructionGeometry::SwapData(other);
    auto& point = static_cast<CConstructionPoint&>(other);
    std::swap(m_point, point.m_point);
    std::swap(m_secondPoint, point.m_secondPoint);
    std::swap(m_withSegment, point.m_withSegment);
}

int CConstructionPoint::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartGuideCheck(RUNTIME_CLASS(CConstructionPoint), mode, results, result)) {
        return result;
    }
    if (!m_point.IsValid()) {
        AppendConstructionMessage(kMsgGuidePointInvalid, GetEntityLabel(this));
        return SetCheckResult(kValidityStale, results);
    }
    if (!m_secondPoint.IsValid()) {
        AppendConstructionMessage(kMsgGuideSecondPointInvalid, GetEntityLabel(this));
        return SetCheckResult(kValidityStale, results);
    }
    return kValiditySound;
}

int CConstructionPoint::GetTypeId() const
{
    return kTypeConstructionPoint;
}

void CConstructionPoint::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    box.Add(transform * m_point);
}

void CConstructionPoint::AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const
{
    CPoint3d projected;
    if (view != nullptr && view->ModelToScreen(m_point, projected)) {
        box.Add(projected);
    }
}

int CConstructionPoint::IntersectLine(const CLine3d& /*line*/, CPoint3d& point) const
{
    point = m_point;
    return kGuideNearestPoint;
}

bool CConstructionPoint::Accept(IEntityVisitor* visitor)
{
    if (visitor == nullptr || !visitor->AcceptsElement(this)) {
        return true;
    }
    return visitor->OnLine(CBoundedLine3d(m_point, m_secondPoint), GetMaterialColor(), GetEffectiveLayer());
}
