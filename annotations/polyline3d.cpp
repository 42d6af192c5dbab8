#include "annotations/polyline3d.h"

#include <cstdint>
#include <utility>

#include "annotations/constructionmessages.h"
#include "annotations/sectionclipstack.h"
#include "document/component.h"
#include "drawapi/glenums.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "foundation/geometryarchive.h"
#include "foundation/line3d.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/entityset.h"
#include "model/entityvisitor.h"
#include "model/mergecontroller.h"
#include "model/vertex.h"
#include "platform/archive.h"
#include "platform/exceptions.h"

IMPLEMENT_SERIAL(CPolyline3d, CDrawingElement, VERSIONABLE_SCHEMA | 0)

namespace {

constexpr double kKeptSide = -0.001;
// Points drawn between two looks at whether the frame should stop.
constexpr std::size_t kPointsPerPoll = 4096;

bool IsStopDue(const ITarnisView* view, std::size_t index)
{
    return index % kPointsPerPoll == kPointsPerPoll - 1 && view->IsFrameAbandoned();
}
constexpr std::uint16_t kStippleHidden = 0x3333;

// Where the segment from p to q crosses the plane, given their signed distances.
CPoint3d CrossingPoint(const CPoint3d& p, double pDistance, const CPoint3d& q, double qDistance)
{
    const double t = pDistance / (pDistance - qDistance);
    return CPoint3d(p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t, p.z + (q.z - p.z) * t);
}

}  // namespace

CPolyline3d::CPolyline3d() = default;

CPolyline3d::CPolyline3d(std::vector<CPoint3d> points) : m_points(std::move(points)) {}

CPolyline3d::CPolyline3d(const CPolyline3d& other) = default;

CPolyline3d::~CPolyline3d() = default;

void CPolyline3d::Serialize(CArchive& ar)
{
    CDrawingElement::Serialize(ar);
    if (ar.IsLoading()) {
        ReadPoints(ar);
        return;
    }
    ar << static_cast<std::int32_t>(m_points.size());
    for (const CPoint3d& point : m_points) {
        ar << point;
    }
}

void CPolyline3d::ReadPoints(CArchive& ar)
{
    std::int32_t count = 0;
    ar >> count;
    if (count < 0) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a count is out of range");
    }
    ar.EnsureAvailable(static_cast<ULONGLONG>(count) * kPointBytes);
    m_points.clear();
    m_points.reserve(static_cast<size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        CPoint3d point;
        ar >> point;
        m_points.push_back(point);
    }
}

void CPolyline3d::Transform(const CTransformation& transform)
{
    RecordChange(true);
    for (CPoint3d& point : m_points) {
        transform.TransformPoint(point);
    }
}

std::uint64_t CPolyline3d::GetDrawingWeight(bool /*shadows*/) const
{
    // Every point goes to GL at every draw; the element's own calls are one more.
    return 1 + static_cast<std::uint64_t>(m_points.size()) * CFrameMeter::kVertexCost;
}

void CPolyline3d::Draw(ITarnisView* view)
{
    if (m_points.size() < 2 || view->IsFrameAbandoned() || !IsShown(view)) {
        return;
    }
    view->BeginElement(this);
    view->SetLighting(false);
    const bool stippled = IsHiddenFlagSet();
    if (stippled) {
        view->SetLineStipple(kStippleHidden);
    }
    view->EndPrimitive();
    ApplyMaterial(view);
    // The strip is clipped by the GL clip planes; past what GL offers, by the stack.
    const CSectionClipStack& sections = view->GetSectionFilters();
    // Each point is charged to the frame as it goes to GL; a long chain stops part way
    // once the frame has spent its budget.
    if (sections.ClipsInSoftware()) {
        for (std::size_t i = 0; i + 1 < m_points.size() && !IsStopDue(view, i); ++i) {
            view->DrawLine(m_points[i], m_points[i + 1]);
        }
    } else {
        view->BeginPrimitive(glenum::kLineStrip);
        for (std::size_t i = 0; i < m_points.size() && !IsStopDue(view, i); ++i) {
            view->VertexV(m_points[i]);
        }
        view->EndPrimitive();
    }
    if (stippled) {
        view->SetLineStipple(0);
    }
    view->EndElement();
}

void CPolyline3d::ExplodeIntoEdges(CEntitySet* out)
{
    CComponent* component = GetParentComponent();
    if (component == nullptr) {
        return;
    }
    CEntitySet made;
    CVertex* previous = nullptr;
    // A vertex is made only once an edge takes it up, so that none is left unowned.
    for (std::size_t i = 1; i < m_points.size(); ++i) {
        const CPoint3d& from = previous != nullptr ? previous->GetPosition() : m_points[0];
        if (from.IsEqual(m_points[i])) {
            continue;
        }
        if (previous == nullptr) {
            previous = new CVertex(from);
        }
        auto* vertex = new CVertex(m_points[i]);
        auto* edge = new CEdge(previous, vertex, false);
        edge->CopyPropertiesFrom(this);
        component->Add(edge);
        made.Add(edge);
        if (out != nullptr) {
            out->Add(previous);
            out->Add(vertex);
            out->Add(edge);
        }
        previous = vertex;
    }
    if (made.IsEmpty()) {
        return;
    }
    CMergeController merge(component, &made);
    merge.Merge(false, true);
}

CEntity* CPolyline3d::Clone() const
{
    return new CPolyline3d(*this);
}

void CPolyline3d::SwapData(CEntity& other)
{
    CDrawingElement::SwapData(other);
    m_points.swap(static_cast<CPolyline3d&>(other).m_points);
}

int CPolyline3d::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CPolyline3d), results, result)) {
        return result;
    }
    result = CDrawingElement::CheckValidity(mode, results);
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    for (int i = 0; i < GetPointCount(); ++i) {
        if (!m_points[i].IsValid()) {
            AppendConstructionMessage(kMsgPolylinePointInvalid, i, GetEntityLabel(this));
            result = kValidityStale;
        }
    }
    return result == kValiditySound ? kValiditySound : SetCheckResult(result, results);
}

int CPolyline3d::GetTypeId() const
{
    return kTypePolyline3d;
}

void CPolyline3d::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    for (const CPoint3d& point : m_points) {
        box.Add(transform * point);
    }
}

void CPolyline3d::AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const
{
    for (const CPoint3d& point : m_points) {
        CPoint3d projected;
        if (view != nullptr && view->ModelToScreen(point, projected)) {
            box.Add(projected);
        }
    }
}

int CPolyline3d::IntersectLine(const CLine3d& line, CPoint3d& point) const
{
    double best = 0.0;
    for (size_t i = 1; i < m_points.size(); ++i) {
        CPoint3d nearest;
        (void)IntersectLineSegment(m_points[i - 1], m_points[i], line.origin, line.direction, nearest);
        const double distance = nearest.DistanceToLine(line);
        if (i == 1 || distance < best) {
            best = distance;
            point = nearest;
        }
    }
    return 1;
}

bool Point3dVector::ClipByPlane(std::vector<CPoint3d>& points, const CPlane3d& plane)
{
    if (points.empty()) {
        return false;
    }
    std::vector<CPoint3d> kept;
    kept.reserve(points.size() + 1);
    CPoint3d previous = points.back();
    double previousDistance = plane.GetSignedDistance(previous);
    for (const CPoint3d& point : points) {
        if (point == previous) {
            continue;
        }
        const double distance = plane.GetSignedDistance(point);
        const bool isKept = distance > kKeptSide;
        const bool wasKept = previousDistance > kKeptSide;
        if (isKept != wasKept) {
            kept.push_back(CrossingPoint(previous, previousDistance, point, distance));
        }
        if (isKept) {
            kept.push_back(point);
        }
        previous = point;
        previousDistance = distance;
    }
    points.swap(kept);
    return !points.empty();
}

bool CPolyline3d::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    if (view == nullptr || m_points.size() < 2) {
        return false;
    }
    if (selector->GetMode() == IPickHelper::kModePoint) {
        for (size_t i = 1; i < m_points.size(); ++i) {
            if (selector->TestSegment(m_points[i - 1], m_points[i])) {
                return true;
            }
        }
        return false;
    }
    if (selector->GetMode() != IPickHelper::kModeWindow) {
        return false;
    }
    std::vector<CPoint3d> kept = m_points;
    if (!view->GetSectionFilters().ClipPolyline(kept)) {
        return false;
    }
    for (const CPoint3d& point : kept) {
        if (!selector->TestPoint(point)) {
            return false;
        }
    }
    return true;
}

bool CPolyline3d::Accept(IEntityVisitor* visitor)
{
    if (visitor == nullptr || !visitor->AcceptsElement(this)) {
        return true;
    }
    const std::vector<CPoint3d> points = m_points;
    return visitor->OnPolyline(GetEffectiveLayer(), GetMaterialColor(), points);
}
