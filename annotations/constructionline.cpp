#include "annotations/constructionline.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "annotations/constructionmessages.h"
#include "document/versionmap.h"
#include "drawapi/tarnisview.h"
#include "foundation/line3d.h"
#include "foundation/geometryarchive.h"
#include "foundation/transformation.h"
#include "foundation/versioninfo.h"
#include "model/entityvisitor.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CConstructionLine, CConstructionGeometry, VERSIONABLE_SCHEMA | 1)

CConstructionLine::CConstructionLine() = default;

CConstructionLine::CConstructionLine(const CBoundedLine3d& line) : m_line(line) {}

CConstructionLine::CConstructionLine(const CConstructionLine& other)
    : CConstructionGeometry(other), ILineProvider(other), m_line(other.m_line), m_stipple(other.m_stipple)
{
}

CConstructionLine::~CConstructionLine() = default;

void CConstructionLine::Serialize(CArchive& ar)
{
    CConstructionGeometry::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else if (GetSaveFormat() == kSaveFormat3000) {
        ar << m_line.line;
    } else {
        ar << m_line;
        ArchiveWriteUInt32(ar, m_stipple);
    }
}

void CConstructionLine::ReadRecord(CArchive& ar)
{
    if (GetLoadedClassVersion(RUNTIME_CLASS(CConstructionLine)) < 1) {
        CLine3d line;
        ar >> line;
        m_line = CBoundedLine3d(line, true, true);
        m_stipple = 0;
        return;
    }
    ar >> m_line;
    std::int32_t stipple = 0;
    ar >> stipple;
    m_stipple = static_cast<std::uint16_t>(stipple & 0xFFFF);
}

void CConstructionLine::Transform(const CTransformation& transform)
{
    RecordChange(true);
    const double scale = transform.TransformLineGetScale(m_line.line);
    if (m_line.IsStartBounded()) {
        m_line.start *= scale;
    }
    if (m_line.IsEndBounded()) {
        m_line.end *= scale;
    }
}

CEntity* CConstructionLine::Clone() const
{
    return new CConstructionLine(*this);
}

void CConstructionLine::SwapData(CEntity& other)
{
    CConstructionGeometry::SwapData(other);
    auto& line = static_cast<CConstructionLine&>(other);
    std::swap(m_line, line.m_line);
    std::swap(m_stipple, line.m_stipple);
}

int CConstructionLine::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartGuideCheck(RUNTIME_CLASS(CConstructionLine), mode, results, result)) {
        return result;
    }
    if (!m_line.IsValid()) {
        AppendConstructionMessage(kMsgGuideLineInvalid, GetEntityLabel(this));
        return SetCheckResult(kValidityStale, results);
    }
    return kValiditySound;
}

int CConstructionLine::GetTypeId() const
{
    return kTypeConstructionLine;
}

void CConstructionLine::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    if (!m_line.IsStartBounded() || !m_line.IsEndBounded()) {
        box.Add(transform * m_line.line.origin);
        return;
    }
    CPoint3d start;
    CPoint3d end;
    m_line.GetStartPoint(start);
    m_line.GetEndPoint(end);
    box.Add(transform * start);
    box.Add(transform * end);
}

void CConstructionLine::AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const
{
    if (view == nullptr) {
        return;
    }
    std::vector<CPoint3d> points;
    CPoint3d end;
    if (m_line.IsStartBounded() && m_line.GetStartPoint(end)) {
        points.push_back(end);
    }
    if (m_line.IsEndBounded() && m_line.GetEndPoint(end)) {
        points.push_back(end);
    }
    if (!m_line.IsStartBounded() || !m_line.IsEndBounded()) {
        // Where the guide passes nearest to the middle of the view.
        double onGuide = 0.0;
        double onSight = 0.0;
        const CUnitVector3d sight(view->GetLocalViewDirection());
        if (!GetClosestLineParameters(m_line.line.origin, m_line.line.direction, view->GetLocalEyePoint(), sight,
                                      onGuide, onSight)) {
            onGuide = m_line.line.GetParameter(view->GetLocalEyePoint());
        }
        onGuide = std::clamp(onGuide, m_line.start, m_line.end);
        points.push_back(m_line.line.GetPoint(onGuide));
    }
    for (const CPoint3d& point : points) {
        CPoint3d projected;
        if (view->ModelToScreen(point, projected)) {
            box.Add(projected);
        }
    }
}

int CConstructionLine::IntersectLine(const CLine3d& line, CPoint3d& point) const
{
    double onGuide = 0.0;
    double onLine = 0.0;
    if (!GetClosestLineParameters(m_line.line.origin, m_line.line.direction, line.origin, line.direction, onGuide,
                                  onLine)) {
        point = m_line.line.origin;
        return kGuideParallel;
    }
    m_line.line.GetPoint(onGuide, point);
    return kGuideNearestPoint;
}

CBoundedLine3d CConstructionLine::GetLine() const
{
    return CBoundedLine3d(m_line.line, true, true);
}

void CConstructionLine::SetOrigin(const CPoint3d& origin)
{
    if (origin == m_line.line.origin) {
        return;
    }
    RecordChange(true);
    m_line.line.origin = origin;
}

bool CConstructionLine::Accept(IEntityVisitor* visitor)
{
    if (visitor == nullptr || !visitor->AcceptsElement(this)) {
        return true;
    }
    return visitor->OnLine(m_line, GetMaterialColor(), GetEffectiveLayer());
}
