#include "annotations/dimensionlinear.h"

#include <cmath>
#include <utility>

#include <algorithm>

#include "annotations/annotationcheck.h"
#include "annotations/dimensiondrawing.h"
#include "annotations/dimensionstyle.h"
#include "annotations/labelweight.h"
#include "annotations/sectionclipstack.h"
#include "document/renderingoptions.h"
#include "document/twfont.h"
#include "drawapi/glenums.h"
#include "drawapi/gltextimagecache.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"
#include "annotations/pointreferences.h"
#include "document/entitymerger.h"
#include "document/versionmap.h"
#include "foundation/geometryarchive.h"
#include "foundation/tolerance.h"
#include "foundation/transformation.h"
#include "foundation/unitvector3d.h"
#include "model/entityset.h"
#include "model/vertex.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CDimensionLinear, CDimension, VERSIONABLE_SCHEMA | 4)

CVector3d DirectionFromStoredAngle(const CVector3d& normal, double angle)
{
    CTransformation frame;
    frame.SetFromPlane(CPoint3d(), CUnitVector3d(normal));
    const CTransformation turn = CTransformation::Rotation(CPoint3d(), CUnitVector3d(0.0, 0.0, 1.0), angle);
    const CUnitVector3d x = (frame * turn).GetXAxis();
    return CVector3d(x.x, x.y, x.z);
}

namespace {

constexpr double kHalfPi = 1.570796326794897;

CVector3d UnitOrZero(const CVector3d& v)
{
    CVector3d unit = v;
    unit.Normalize();
    return unit;
}

CVector3d TurnedDirection(const CTransformation& transform, const CVector3d& direction)
{
    return UnitOrZero(transform * direction);
}

}  // namespace

CDimensionLinear::CDimensionLinear() = default;

CDimensionLinear::CDimensionLinear(const CDimensionLinear& other)
    : CDimension(other),
      m_first(other.m_first),
      m_second(other.m_second),
      m_normal(other.m_normal),
      m_direction(other.m_direction),
      m_mode(other.m_mode),
      m_offset(other.m_offset),
      m_labelPosition(other.m_labelPosition)
{
}

CDimensionLinear::~CDimensionLinear() = default;

bool CDimensionLinear::CollectDependents(CEntitySet& set)
{
    if (set.Contains(this) || !(m_first.IsContainedIn(set) && m_second.IsContainedIn(set))) {
        return false;
    }
    return CDrawingElement::CollectDependents(set);
}

CEntity* CDimensionLinear::Clone() const
{
    return new CDimensionLinear(*this);
}

void CDimensionLinear::SwapData(CEntity& other)
{
    auto& dimension = dynamic_cast<CDimensionLinear&>(other);
    OnErased();
    dimension.OnErased();
    CDimension::SwapData(other);
    std::swap(m_first, dimension.m_first);
    std::swap(m_second, dimension.m_second);
    std::swap(m_normal, dimension.m_normal);
    std::swap(m_direction, dimension.m_direction);
    std::swap(m_mode, dimension.m_mode);
    std::swap(m_offset, dimension.m_offset);
    std::swap(m_labelPosition, dimension.m_labelPosition);
    OnModified();
    dimension.OnModified();
}

void CDimensionLinear::OnModified()
{
    m_first.AddReferences(this);
    m_second.AddReferences(this);
}

void CDimensionLinear::OnErased()
{
    m_first.RemoveReferences(this);
    m_second.RemoveReferences(this);
}

void CDimensionLinear::Transform(const CTransformation& transform, std::uint32_t mode, std::int32_t kind)
{
    if (transform.IsIdentity()) {
        return;
    }
    RecordChange(true);
    m_first.Transform(transform);
    m_second.Transform(transform);
    m_first.Evaluate();
    m_second.Evaluate();
    m_normal = TurnedDirection(transform, m_normal);
    m_direction = TurnedDirection(transform, m_direction);
    const CTransformation frame = GetDimensionFrame();
    CTransformation fromFrame;
    if (!frame.GetInverse(fromFrame)) {
        return;
    }
    if (kind == CEntityMerger::kListedOnly && mode != 2) {
        const CPoint3d label = fromFrame * (transform * (frame * CPoint3d(m_labelPosition, m_offset, 0.0)));
        SetLabelPosition(label.x);
        SetOffset(label.y);
    } else if ((kind == CEntityMerger::kListedAndDependent && mode == 3) || mode == 4) {
        SetOffset((fromFrame * (transform * (frame * CVector3d(0.0, m_offset, 0.0)))).y);
    }
}

CTransformation CDimensionLinear::GetDimensionFrame() const
{
    const CVector3d x = UnitOrZero(m_direction);
    const CVector3d z = UnitOrZero(m_normal);
    const CTransformation base(x, UnitOrZero(z.CrossProduct(x)), z, m_first.GetPosition());
    const auto turned = [&base](double angle) {
        return base * CTransformation::Rotation(CPoint3d(), CUnitVector3d(0.0, 0.0, 1.0), angle);
    };
    switch (m_mode) {
    case kAligned: {
        const CPoint3d second = base.GetInverse() * m_second.GetPosition();
        return turned(std::atan2(second.y, second.x));
    }
    case kAlongDirection: return base;
    case kAcrossDirection: return turned(kHalfPi);
    default: return CTransformation();
    }
}

void CDimensionLinear::OnReferenceChanged(int code, CEntity* changed, CEntity* argument)
{
    if (!m_first.OnReferenceChanged(this, code, changed, argument) &&
        !m_second.OnReferenceChanged(this, code, changed, argument)) {
        return;
    }
    // Only a merge moves a point; an erased entity leaves it where it was. Erasing the
    // dimension while its component erases all it holds would pull the entity from
    // under that walk.
    if (code == kReferenceMerged && m_first.Evaluate().IsEqual(m_second.Evaluate(), 0.001)) {
        EraseFromComponent(GetParentComponent());
    }
}

int CDimensionLinear::GetTypeId() const
{
    return kTypeDimensionLinear;
}

bool CDimensionLinear::RefersTo(const CEntity* entity) const
{
    return m_first.RefersTo(entity) || m_second.RefersTo(entity);
}

bool CDimensionLinear::IsAssociated() const
{
    return m_first.GetKind() != CModelPointRef::kFreePoint && m_second.GetKind() != CModelPointRef::kFreePoint;
}

void CDimensionLinear::AddReferencedEntities(CEntitySet& set) const
{
    m_first.AddEntitiesTo(set);
    m_second.AddEntitiesTo(set);
}

void CDimensionLinear::ReplaceEntity(CEntity* oldEntity, CEntity* newEntity)
{
    bool replaced = false;
    for (CModelPointRef* point : {&m_first, &m_second}) {
        if (oldEntity != nullptr && point->RefersTo(oldEntity)) {
            point->ReplaceEntity(this, oldEntity, newEntity);
            replaced = true;
        }
    }
    if (replaced) {
        // Both points may have named the entity that one of them just let go of.
        OnModified();
    }
}

void CDimensionLinear::DetachFromEntitiesOutside(const CEntitySet& set, bool markOnly)
{
    bool detached = false;
    for (CModelPointRef* point : {&m_first, &m_second}) {
        if (point->IsContainedIn(set)) {
            continue;
        }
        if (markOnly) {
            point->SetDetachPending(true);
        } else {
            point->Detach(this);
            detached = true;
        }
    }
    if (detached) {
        OnModified();
    }
}

void CDimensionLinear::OnEntitiesRemoved(const CEntitySet& set, bool /*flag*/)
{
    const bool first = m_first.OnEntitiesRemoved(this, set);
    if (m_second.OnEntitiesRemoved(this, set) || first) {
        OnModified();
    }
}

void CDimensionLinear::SetPoints(const CModelPointRef& first, const CModelPointRef& second)
{
    RecordChange(true);
    OnErased();
    m_first = first;
    m_second = second;
    OnModified();
}

void CDimensionLinear::SetOffset(double offset)
{
    if (offset == m_offset) {
        return;
    }
    RecordChange(true);
    m_offset = offset;
}

void CDimensionLinear::SetLabelPosition(double position)
{
    if (position == m_labelPosition) {
        return;
    }
    RecordChange(true);
    m_labelPosition = position;
}

void CDimensionLinear::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        const int version = GetLoadedClassVersion(RUNTIME_CLASS(CDimensionLinear));
        if (version >= 2) {
            CDimension::Serialize(ar);
        }
        ReadRecord(ar, version);
    } else {
        CDimension::Serialize(ar);
        WriteRecord(ar);
    }
}

void CDimensionLinear::ReadRecord(CArchive& ar, int version)
{
    if (version == 0) {
        m_first = MakeVertexPoint(ReadVertex(ar));
        m_second = MakeVertexPoint(ReadVertex(ar));
    } else {
        m_first.Read(ar);
        m_second.Read(ar);
    }
    ar >> m_normal;
    if (version <= 3) {
        double angle = 0.0;
        ar >> Finite(angle);
        m_direction = DirectionFromStoredAngle(m_normal, angle);
    } else {
        ar >> m_direction;
    }
    ar >> m_mode >> Finite(m_offset);
    if (version >= 3) {
        ar >> Finite(m_labelPosition);
    }
    OnModified();
}

void CDimensionLinear::WriteRecord(CArchive& ar)
{
    m_first.Write(ar);
    m_second.Write(ar);
    ar << m_normal << m_direction << m_mode << m_offset << m_labelPosition;
}

int CDimensionLinear::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunAnnotationCheck(*this, RUNTIME_CLASS(CDimensionLinear), results,
                              [&]() { return CheckLinear(mode, results); });
}

int CDimensionLinear::CheckLinear(int mode, CValidityResultMap* results)
{
    const int base = CheckDimensionPart(mode, results);
    if (base != kValiditySound) {
        return base;
    }
    CAnnotationCheck check(*this, mode);
    if (!IsValidUnitVector(m_normal) || !IsValidUnitVector(m_direction)) {
        check.Broken(kMsgDimensionBadVector, kValidityBroken);
    }
    if ((m_mode < kAligned || m_mode > kAcrossDirection) && check.Repairable(kMsgDimensionBadMode)) {
        m_mode = kAlongDirection;
    }
    if (!IsValidDouble(m_offset) || !IsValidDouble(m_labelPosition)) {
        check.Broken(kMsgDimensionBadNumber, kValidityBroken);
    }
    return check.GetSeverity();
}

// --- layout and drawing ---

CPlane3d CDimensionLinear::GetPlane() const
{
    return {m_first.GetPosition(), UnitOrZero(m_normal)};
}

CPoint3d CDimensionLinear::GetAnchorPoint() const
{
    const CPoint3d& a = m_first.GetPosition();
    const CPoint3d& b = m_second.GetPosition();
    return {(a.x + b.x) / 2.0, (a.y + b.y) / 2.0, (a.z + b.z) / 2.0};
}

CDimensionLinear::Layout CDimensionLinear::ComputeLayout()
{
    m_first.Evaluate();
    m_second.Evaluate();
    Layout layout;
    layout.frame = GetDimensionFrame();
    const CTransformation toFrame = layout.frame.GetInverse();
    const CPoint3d first = toFrame * m_first.GetPosition();
    const CPoint3d second = toFrame * m_second.GetPosition();
    layout.points[0] = CPoint3d(first.x, first.y, 0.0);
    layout.points[1] = CPoint3d(second.x, second.y, 0.0);
    layout.points[2] = CPoint3d(first.x, first.y + m_offset, 0.0);
    layout.points[3] = CPoint3d(second.x, m_offset, 0.0);
    layout.points[4] = first;
    layout.points[5] = second;
    return layout;
}

void CDimensionLinear::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    // Evaluating the points only refreshes the positions they keep.
    const Layout layout = const_cast<CDimensionLinear*>(this)->ComputeLayout();
    for (const CPoint3d& point : layout.points) {
        box.Add(transform * (layout.frame * point));
    }
}

bool CDimensionLinear::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    ITarnisView* view = selector != nullptr ? selector->GetPickView() : nullptr;
    if (view == nullptr) {
        return false;
    }
    const Layout layout = const_cast<CDimensionLinear*>(this)->ComputeLayout();
    const CSectionClipStack& sections = view->GetSectionFilters();
    if (!sections.IsEmpty() &&
        (!sections.IsPointKept(m_first.GetPosition()) || !sections.IsPointKept(m_second.GetPosition()))) {
        return false;
    }
    for (const CPoint3d& point : layout.points) {
        if (!selector->TestPoint(layout.frame * point)) {
            return false;
        }
    }
    const CPoint3d* p = layout.points;
    const CPoint3d middle((p[2].x + p[3].x) / 2.0, (p[2].y + p[3].y) / 2.0, 0.0);
    CPoint3d position;
    int alignment = 4;
    view->PushTransform(layout.frame, false);
    (void)PlaceLabel(view, layout, middle, position, alignment);
    const bool inside = IsLabelSelected(*selector, position, GetRenderedLabel(), alignment);
    view->PopTransform(false);
    return inside;
}

CString CDimensionLinear::GetText(ITarnisView* view)
{
    const Layout layout = ComputeLayout();
    CVector3d line = layout.frame * (layout.points[3] - layout.points[2]);
    if (view != nullptr) {
        line = view->GetTransform() * line;
    }
    return FormatMeasuredLength(line.GetLength(), GetDimensionStyle());
}

int CDimensionLinear::GetScreenLength(ITarnisView* view)
{
    const Layout layout = ComputeLayout();
    const CPoint3d start = layout.frame * layout.points[2];
    const CPoint3d end = layout.frame * layout.points[3];
    const CVector3d line = end - start;
    const double length = line.GetLengthSquared() < 1e-20 ? 0.0 : line.GetLength();
    const CPoint3d middle((start.x + end.x) / 2.0, (start.y + end.y) / 2.0, (start.z + end.z) / 2.0);
    const double pixel = view != nullptr ? view->PixelsToModelLength(1.0, middle) : 0.0;
    return pixel > 0.0 ? static_cast<int>(length / pixel) : 0;
}

bool CDimensionLinear::IsSameSide(double offset, const CPoint3d& first, const CPoint3d& second)
{
    if (std::fabs(offset) <= 0.001) {
        return true;
    }
    return (offset - first.y >= 0.0) == (offset - second.y >= 0.0);
}

bool CDimensionLinear::PlaceLabel(ITarnisView* view, const Layout& layout, const CPoint3d& anchor,
                                  CPoint3d& position, int& alignment) const
{
    const CDimensionStyle* style = GetDimensionStyle();
    position = anchor;
    auto* font = style != nullptr ? dynamic_cast<CTwFont*>(style->PeekFont()) : nullptr;
    if (style == nullptr || !style->IsLabelInPlane() || (font != nullptr && font->GetFontKind() <= 1)) {
        alignment = 4;
        return true;
    }
    // In the frame, y runs across the dimension line; flip makes the label read upwards.
    CVector3d v(0.0, 1.0, 0.0);
    CPoint3d origin;
    CPoint3d alongY;
    CPoint3d alongX;
    if (style->IsFlipped() && view->ModelToScreen(anchor, origin) &&
        view->ModelToScreen(anchor + CVector3d(0.0, 1.0, 0.0), alongY) &&
        view->ModelToScreen(anchor + CVector3d(1.0, 0.0, 0.0), alongX)) {
        const CVector3d u = UnitOrZero(alongY - origin);
        const CVector3d w = UnitOrZero(alongX - origin);
        if (w.CrossProduct(u).z > 0.0) {
            v = -v;
        }
        if (std::fabs(w.x) > 0.1 ? w.x < 0.0 : w.y > 0.0) {
            v = -v;
        }
    }
    const double d = v.y * m_offset;
    const bool sameSide = IsSameSide(m_offset, layout.points[0], layout.points[1]);
    int placement = style->GetLabelPlacement();
    if (placement == CDimensionStyle::kLabelAboveUnlessFar) {
        placement = sameSide && d < 0.0 ? CDimensionStyle::kLabelBelow : CDimensionStyle::kLabelAbove;
    } else if (placement == CDimensionStyle::kLabelBelowUnlessFar) {
        placement = sameSide && d < 0.0 ? CDimensionStyle::kLabelAbove : CDimensionStyle::kLabelBelow;
    }
    const double gap = view->PixelsToModelLength(std::trunc(0.5 * style->GetLineWeight() + 2.5), anchor);
    switch (placement) {
    case CDimensionStyle::kLabelAbove: alignment = 1; position = anchor + v * gap; return false;
    case CDimensionStyle::kLabelBelow: alignment = 7; position = anchor + v * (-gap); return false;
    case CDimensionStyle::kLabelCentred: alignment = 4; return true;
    default: return true;
    }
}

void CDimensionLinear::DrawExtensionLines(ITarnisView* view, const Layout& layout)
{
    const CPoint3d* p = layout.points;
    const CRenderingOptions* options = view->GetRenderingOptions();
    const CDimensionStyle* style = GetDimensionStyle();
    int gapPixels = style != nullptr ? style->GetExtensionGap() : 5;
    if (options != nullptr) {
        int extra = options->IsJitterEdges() ? 10 : 0;
        extra = std::max(extra, options->IsDrawProfiles() ? options->GetProfileWidth() : 0);
        extra = std::max(extra, options->IsExtendEdges() ? options->GetExtendLength() : 0);
        gapPixels += extra;
    }
    const int overshootPixels = style != nullptr ? style->GetExtensionOvershoot() : 10;
    const double gap[2] = {view->PixelsToModelLength(gapPixels, p[0]), view->PixelsToModelLength(gapPixels, p[1])};
    const double overshoot[2] = {view->PixelsToModelLength(overshootPixels, p[2]),
                                 view->PixelsToModelLength(overshootPixels, p[3])};
    CVector3d e[2];
    if (std::fabs(m_offset) > 0.001) {
        e[0] = CVector3d(0.0, m_offset < p[0].y ? -1.0 : 1.0, 0.0);
        e[1] = CVector3d(0.0, m_offset < p[1].y ? -1.0 : 1.0, 0.0);
    }
    const CCameraState camera = view->GetCameraState();
    const CVector3d sight = UnitOrZero(view->GetInverseTransform() * camera.viewDirection);
    const bool seesDepth = camera.perspective || std::fabs(std::fabs(sight.z) - 1.0) > 1e-9;
    view->BeginPrimitive(glenum::kLines);
    for (int k = 0; k < 2; ++k) {
        CPoint3d from = p[k] + e[k] * gap[k];
        const double depth = p[4 + k].z;
        if (std::fabs(depth) > 0.001 && seesDepth) {
            const CPoint3d back = p[4 + k] + CVector3d(0.0, 0.0, depth > 0.0 ? -gap[k] : gap[k]);
            view->VertexV(p[k]);
            view->VertexV(back);
            from = p[k];
        }
        view->VertexV(from);
        view->VertexV(p[2 + k] + e[k] * overshoot[k]);
    }
    view->EndPrimitive();
}

std::uint64_t CDimensionLinear::GetDrawingWeight(bool /*shadows*/) const
{
    // Two extension lines with their steps back, the dimension line in two pieces round
    // its label and two end marks.
    constexpr std::uint64_t kLineVertices = 32;
    const CDimensionStyle* style = GetDimensionStyle();
    const auto* font = style != nullptr ? dynamic_cast<const CTwFont*>(style->PeekFont()) : nullptr;
    const bool inPlane = style != nullptr && style->IsLabelInPlane() && (font == nullptr || font->GetFontKind() > 1);
    return kLineVertices + GetLabelWeight(inPlane);
}

void CDimensionLinear::DrawDimension(ITarnisView* view, bool solid)
{
    const Layout layout = ComputeLayout();
    CSectionClipStack& sections = view->GetSectionFilters();
    if (!sections.IsEmpty() &&
        (!sections.IsPointKept(m_first.GetPosition()) || !sections.IsPointKept(m_second.GetPosition()))) {
        return;
    }
    sections.DisableClipPlanes(CSectionClipStack::kAllPlanes);
    view->EndPrimitive();
    view->PushTransform(layout.frame, true);
    const CPoint3d* p = layout.points;
    DrawExtensionLines(view, layout);
    const CPlane3d plane(CPoint3d(), CVector3d(0.0, 0.0, 1.0));
    DrawEndMark(view, plane, p[2], UnitOrZero(p[3] - p[2]));
    DrawEndMark(view, plane, p[3], UnitOrZero(p[2] - p[3]));
    bool overridden = false;
    const CString text = GetDisplayText(view, overridden);
    const CColor labelColor = GetLabelColor(overridden);
    const CPoint3d middle((p[2].x + p[3].x) / 2.0, (p[2].y + p[3].y) / 2.0, 0.0);
    CPoint3d position;
    int alignment = 4;
    const bool onLine = PlaceLabel(view, layout, middle, position, alignment);
    const CDimensionStyle* style = GetDimensionStyle();
    auto* font = style != nullptr ? dynamic_cast<CTwFont*>(const_cast<CDimensionStyle*>(style)->GetFont()) : nullptr;
    IGLTextImageCache* image = GetLabelImage(view);
    if (onLine && view->GetDrawMode() != IModelView::kDrawModeSelection && font != nullptr && image != nullptr) {
        image->SetText(text, IGLTextImageCache::kAlignCentre, font, view);
        DrawLineAroundLabel(view, p[2], p[3], position, *image, alignment, false);
    } else {
        view->BeginPrimitive(glenum::kLines);
        view->VertexV(p[2]);
        view->VertexV(p[3]);
        view->EndPrimitive();
    }
    if (font != nullptr) {
        const CColor lineColor = view->GetColor();
        view->SetColor(labelColor);
        const bool inPlane = style->IsLabelInPlane();
        DrawDimensionLabel(view, font, position, text, alignment, solid, inPlane ? &plane : nullptr,
                           style->IsFlipped(), image);
        view->SetColor(lineColor);
    }
    view->EndPrimitive();
    view->PopTransform(true);
    sections.EnableClipPlanes(CSectionClipStack::kAllPlanes);
}
