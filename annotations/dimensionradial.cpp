#include "annotations/dimensionradial.h"

#include <cmath>
#include <utility>

#include "annotations/dimensiondrawing.h"
#include "annotations/dimensionstyle.h"
#include "annotations/labelweight.h"
#include "annotations/sectionclipstack.h"
#include "document/twfont.h"
#include "drawapi/glenums.h"
#include "drawapi/gltextimagecache.h"
#include "document/entitymerger.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "foundation/geometryarchive.h"
#include "foundation/transformation.h"

#include "annotations/annotationcheck.h"
#include "document/versionmap.h"
#include "foundation/tolerance.h"
#include "model/arccurve.h"
#include "model/curve.h"
#include "model/edge.h"
#include "model/entityset.h"
#include "platform/archive.h"
#include "platform/resources.h"

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

void CDimensionRadial::AddReferencedEntities(CEntitySet& set) const
{
    if (m_edge != nullptr) {
        set.Add(m_edge);
    }
}

void CDimensionRadial::ReplaceEntity(CEntity* oldEntity, CEntity* newEntity)
{
    if (oldEntity == nullptr || oldEntity != m_edge) {
        return;
    }
    if (auto* edge = dynamic_cast<CEdge*>(newEntity)) {
        SetEdge(edge);
    } else {
        Detach();
    }
}

void CDimensionRadial::OnEntitiesRemoved(const CEntitySet& set, bool /*flag*/)
{
    if (m_edge != nullptr && set.Contains(m_edge)) {
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
    ar >> Finite(m_leaderAngle) >> Finite(m_leaderExtent);
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

// --- layout and drawing ---

namespace {

// The strings the label starts with when the style asks for a prefix; a language file
// translates them.
constexpr int kRadiusPrefixId = 21440;
constexpr int kDiameterPrefixId = 21441;

bool Near(double a, double b)
{
    return std::fabs(a - b) <= 0.001;
}

CVector3d Unit(const CVector3d& v)
{
    CVector3d unit = v;
    unit.Normalize();
    return unit;
}

}  // namespace

CPlane3d CDimensionRadial::GetPlane() const
{
    return m_arc.plane;
}

CPoint3d CDimensionRadial::GetAnchorPoint() const
{
    return m_arc.centre;
}

CDimensionRadial::Layout CDimensionRadial::ComputeLayout()
{
    const CArc3d& arc = GetArc();
    CPoint3d onArc;
    arc.GetPointAtAngle(m_leaderAngle, onArc);
    const CVector3d u = Unit(onArc - arc.centre);
    const double r = arc.radius;
    Layout layout;
    const double reach = m_leaderExtent >= 0.0 ? r * m_leaderExtent : r + std::fabs(m_leaderExtent);
    layout.points[0] = arc.centre + u * reach;
    layout.points[1] = arc.centre + u * r;
    layout.points[2] = arc.centre + u * (-r);
    if (!m_diameter && !arc.IsClosed(true) && m_leaderAngle - arc.endAngle >= 0.001) {
        ReanchorOnArc(layout);
    }
    return layout;
}

void CDimensionRadial::ReanchorOnArc(Layout& layout) const
{
    const CArc3d& arc = m_arc;
    const double a = m_leaderAngle;
    const double start = arc.startAngle;
    const double end = arc.endAngle;
    if (end > kPi - 0.001 || (start + kPi - 0.001 < a && a < end + kPi + 0.001)) {
        std::swap(layout.points[1], layout.points[2]);
        return;
    }
    CPoint3d s;
    CPoint3d e;
    CPoint3d s2;
    CPoint3d e2;
    arc.GetStartPoint(s);
    arc.GetEndPoint(e);
    arc.GetPointAtAngle(start + kPi, s2);
    arc.GetPointAtAngle(end + kPi, e2);
    const CVector3d w = Unit(CVector3d(arc.plane.a, arc.plane.b, arc.plane.c).CrossProduct(s - e));
    const double side = DotProduct(layout.points[0] - arc.centre, w);
    const bool inGap = a - end >= 0.001 && a - (start + kPi) <= -0.001;
    const bool toEnd = inGap ? side > 0.0 : side <= 0.0;
    layout.points[1] = toEnd ? e : s;
    layout.points[2] = toEnd ? e2 : s2;
    const CVector3d along = Unit(layout.points[1] - arc.centre);
    layout.points[0] = arc.centre + along * DotProduct(layout.points[0] - arc.centre, along);
}

CString CDimensionRadial::GetText(ITarnisView* view)
{
    const CArc3d& arc = GetArc();
    const CVector3d scales = view != nullptr ? view->GetTransform().GetScales() : CVector3d(1.0, 1.0, 1.0);
    double value = 0.0;
    const CVector3d n = Unit(CVector3d(arc.plane.a, arc.plane.b, arc.plane.c));
    if (Near(scales.x, scales.y) && Near(scales.x, scales.z)) {
        value = arc.radius * scales.x;
    } else if (Near(std::fabs(n.x), 1.0) && Near(scales.y, scales.z)) {
        value = arc.radius * scales.y;
    } else if (Near(std::fabs(n.y), 1.0) && Near(scales.x, scales.z)) {
        value = arc.radius * scales.x;
    } else if (Near(std::fabs(n.z), 1.0) && Near(scales.x, scales.y)) {
        value = arc.radius * scales.x;
    } else {
        return CString("?");
    }
    const CDimensionStyle* style = GetDimensionStyle();
    CString text = FormatMeasuredLength(m_diameter ? 2.0 * value : value, style);
    if (style != nullptr && style->HasPrefix()) {
        text = LoadResourceString(m_diameter ? kDiameterPrefixId : kRadiusPrefixId).value_or(CString()) + text;
    }
    return text;
}

int CDimensionRadial::GetScreenLength(ITarnisView* view)
{
    const CArc3d& arc = GetArc();
    const double pixel = view != nullptr ? view->PixelsToModelLength(1.0, arc.centre) : 0.0;
    if (!(pixel > 0.0)) {
        return 0;
    }
    return static_cast<int>((m_diameter ? 2.0 : 1.0) * arc.radius / pixel);
}

bool CDimensionRadial::PlaceLabel(ITarnisView* view, const Layout& layout, CPoint3d& position,
                                  int& alignment) const
{
    position = layout.points[0];
    if (m_diameter && m_leaderExtent >= 0.0 && m_leaderExtent <= 1.0) {
        alignment = 4;
        return false;
    }
    CPoint3d text;
    CPoint3d onArc;
    bool right = true;
    if (view->ModelToScreen(layout.points[0], text) && view->ModelToScreen(layout.points[1], onArc)) {
        right = text.x >= onArc.x;
    }
    alignment = right ? 3 : 5;
    CVector3d r = view->GetInverseTransform() * view->GetCameraState().rightAxis;
    if (!right) {
        r = -r;
    }
    const CVector3d n = Unit(CVector3d(m_arc.plane.a, m_arc.plane.b, m_arc.plane.c));
    const CVector3d w = Unit(n.CrossProduct(r));
    const CDimensionStyle* style = GetDimensionStyle();
    auto* font = style != nullptr ? dynamic_cast<CTwFont*>(style->PeekFont()) : nullptr;
    if (w.GetLengthSquared() > 0.0 && font != nullptr) {
        const CVector3d inPlane = Unit(w.CrossProduct(n));
        position = layout.points[0] + inPlane * view->PixelsToModelLength(font->GetScaledHeight(), position);
    }
    return true;
}

void CDimensionRadial::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    // Reading the arc only refreshes the copy kept of the edge's curve.
    const Layout layout = const_cast<CDimensionRadial*>(this)->ComputeLayout();
    for (int i = 0; i < (m_diameter ? 3 : 2); ++i) {
        box.Add(transform * layout.points[i]);
    }
}

bool CDimensionRadial::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    if (view == nullptr) {
        return false;
    }
    const Layout layout = const_cast<CDimensionRadial*>(this)->ComputeLayout();
    const CPoint3d* q = layout.points;
    const CSectionClipStack& sections = view->GetSectionFilters();
    if (!sections.IsEmpty() && (!sections.IsPointKept(q[1]) || (m_diameter && !sections.IsPointKept(q[2])))) {
        return false;
    }
    for (int i = 0; i < (m_diameter ? 3 : 2); ++i) {
        if (!selector->TestPoint(q[i])) {
            return false;
        }
    }
    CPoint3d position;
    int alignment = 4;
    (void)PlaceLabel(view, layout, position, alignment);
    return IsLabelSelected(*selector, position, GetRenderedLabel(), alignment);
}

std::uint64_t CDimensionRadial::GetDrawingWeight(bool /*shadows*/) const
{
    // Up to three segments, two end marks.
    constexpr std::uint64_t kLineVertices = 28;
    const CDimensionStyle* style = GetDimensionStyle();
    const auto* font = style != nullptr ? dynamic_cast<const CTwFont*>(style->PeekFont()) : nullptr;
    const bool inPlane = style != nullptr && style->IsLabelInPlane() && font != nullptr && font->GetFontKind() > 1;
    return kLineVertices + GetLabelWeight(inPlane);
}

void CDimensionRadial::DrawDimension(ITarnisView* view, bool solid)
{
    const Layout layout = ComputeLayout();
    const CPoint3d* q = layout.points;
    CSectionClipStack& sections = view->GetSectionFilters();
    if (!sections.IsEmpty() && (!sections.IsPointKept(q[1]) || (m_diameter && !sections.IsPointKept(q[2])))) {
        return;
    }
    sections.DisableClipPlanes(CSectionClipStack::kAllPlanes);
    const CDimensionStyle* style = GetDimensionStyle();
    auto* font = style != nullptr ? dynamic_cast<CTwFont*>(const_cast<CDimensionStyle*>(style)->GetFont()) : nullptr;
    bool overridden = false;
    const CString text = GetDisplayText(view, overridden);
    CPoint3d position;
    int alignment = 4;
    const bool beside = PlaceLabel(view, layout, position, alignment);
    IGLTextImageCache* image = GetLabelImage(view);
    const CPlane3d& plane = m_arc.plane;
    const auto segment = [view](const CPoint3d& a, const CPoint3d& b) {
        view->BeginPrimitive(glenum::kLines);
        view->VertexV(a);
        view->VertexV(b);
        view->EndPrimitive();
    };
    if (m_diameter) {
        if (!beside && view->GetDrawMode() != IModelView::kDrawModeSelection && font != nullptr && image != nullptr) {
            image->SetText(text, IGLTextImageCache::kAlignCentre, font, view);
            DrawLineAroundLabel(view, q[1], q[2], position, *image, alignment, false);
        } else {
            segment(q[1], q[2]);
        }
        DrawEndMark(view, plane, q[1], Unit(q[2] - q[1]));
        DrawEndMark(view, plane, q[2], Unit(q[1] - q[2]));
        if (beside) {
            segment(q[0], q[1]);
        }
    } else {
        segment(q[0], q[1]);
        DrawEndMark(view, plane, q[1], Unit(q[0] - q[1]));
    }
    if (beside) {
        segment(q[0], position);
    }
    if (font != nullptr) {
        const CColor lineColor = view->GetColor();
        view->SetColor(GetLabelColor(overridden));
        const bool inPlane = style->IsLabelInPlane() && font->GetFontKind() > 1;
        DrawDimensionLabel(view, font, position, text, alignment, solid, inPlane ? &plane : nullptr,
                           style->IsFlipped(), image);
        view->SetColor(lineColor);
    }
    view->EndPrimitive();
    sections.EnableClipPlanes(CSectionClipStack::kAllPlanes);
}

void CDimensionRadial::Transform(const CTransformation& transform, std::uint32_t /*mode*/, std::int32_t kind)
{
    if (transform.IsIdentity()) {
        return;
    }
    const CPoint3d textPoint = ComputeLayout().points[0];
    if (m_edge == nullptr) {
        RecordChange(true);
        m_arc.Transform(transform);
        OnGeometryChanged();
    }
    if (kind == CEntityMerger::kListedOnly) {
        SetLeaderFromPoint(transform * textPoint, false, m_leaderExtent >= 0.0);
    }
}

void CDimensionRadial::SetLeaderFromPoint(const CPoint3d& point, bool fixed, bool keepRatio)
{
    const CArc3d& arc = GetArc();
    const double angle = arc.GetAngleOfPoint(point);
    const double d = (point - arc.centre).GetLength();
    double extent = 0.0;
    if (fixed) {
        extent = m_diameter ? 0.0 : 1.5;
    } else if (arc.radius > 0.0) {
        extent = d / arc.radius;
    }
    if (!keepRatio && extent >= 1.0) {
        extent = -(d - arc.radius);
    }
    SetLeader(angle, extent);
}
