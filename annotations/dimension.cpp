#include "annotations/dimension.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "annotations/annotationcheck.h"
#include "annotations/annotationlinks.h"
#include "annotations/dimensiondrawing.h"
#include "annotations/dimensionstyle.h"
#include "annotations/labelweight.h"
#include "document/layer.h"
#include "document/material.h"
#include "document/renderingoptions.h"
#include "drawapi/gltextimagecache.h"
#include "drawapi/tarnisview.h"
#include "foundation/lengthformatter.h"
#include "document/entitymerger.h"
#include "document/tarnwickmodel.h"
#include "model/entityvisitor.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CDimension, CDrawingElement, VERSIONABLE_SCHEMA | 0)

namespace {

const CString kValuePlaceholder = "<>";

}  // namespace

CString ExpandStoredLineBreaks(const CString& text)
{
    CString expanded = text;
    expanded.Replace(CString("\\n"), CString("\n"));
    return expanded;
}

CDimension::CDimension() = default;

CDimension::CDimension(const CDimension& other) : CDrawingElement(other), m_labelText(other.m_labelText)
{
}

CDimension::~CDimension()
{
    ResetLabelImage();
}

void CDimension::Serialize(CArchive& ar)
{
    CDrawingElement::Serialize(ar);
    if (ar.IsLoading()) {
        m_labelText = ExpandStoredLineBreaks(ArchiveReadString(ar));
    } else {
        ArchiveWriteString(ar, m_labelText);
    }
}

void CDimension::Erase()
{
    RecordChange(true);
    ResetLabelImage();
    CDrawingElement::Erase();
}

void CDimension::OnGeometryChanged()
{
    ResetLabelImage();
}

IGLTextImageCache* CDimension::GetLabelImage(ITarnisView* view)
{
    if (m_labelImage == nullptr && view != nullptr) {
        m_labelImage = view->CreateTextImageCache(false);
    }
    return m_labelImage.get();
}

void CDimension::ResetLabelImage()
{
    if (m_labelImage != nullptr) {
        m_labelImage->Reset();
    }
}

CEntity* CDimension::Clone() const
{
    return new CDimension(*this);
}

void CDimension::Transform(const CTransformation& transform)
{
    Transform(transform, 0, CEntityMerger::kListedOnly);
}

void CDimension::Transform(const CTransformation& /*transform*/, std::uint32_t /*mode*/, std::int32_t /*kind*/)
{
}

void CDimension::SwapData(CEntity& other)
{
    CDrawingElement::SwapData(other);
    std::swap(m_labelText, dynamic_cast<CDimension&>(other).m_labelText);
}

int CDimension::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunAnnotationCheck(*this, RUNTIME_CLASS(CDimension), results,
                              [&]() { return CheckDimensionPart(mode, results); });
}

int CDimension::CheckDimensionPart(int mode, CValidityResultMap* results)
{
    int result = CDrawingElement::CheckValidity(mode, results);
    if (mode != 2 && m_labelImage != nullptr && !m_labelImage->IsValid()) {
        result = std::max(result, 2);
    }
    return result;
}

int CDimension::GetTypeId() const
{
    return kTypeDimension;
}

bool CDimension::CanHaveMaterial() const
{
    return false;
}

bool CDimension::RefersTo(const CEntity* /*entity*/) const
{
    return false;
}

bool CDimension::IsAssociated() const
{
    return true;
}

void CDimension::SetLabelText(const CString& text)
{
    if (text == m_labelText) {
        return;
    }
    RecordChange(true);
    m_labelText = text;
}

CString CDimension::ApplyTextOverride(const CString& measured, bool& overridden) const
{
    overridden = false;
    if (m_labelText.IsEmpty()) {
        return measured;
    }
    CString shown = m_labelText;
    overridden = shown.Replace(kValuePlaceholder, measured) == 0;
    return shown;
}

CDimensionStyle* CDimension::GetDimensionStyle() const
{
    CTarnwickModel* model = GetModel();
    return GetModelDimensionStyle(model != nullptr ? model : GetCurrentModel());
}

CString CDimension::GetDisplayText(ITarnisView* view, bool& overridden)
{
    return BoundLabel(ApplyTextOverride(GetText(view), overridden));
}

CColor CDimension::GetLabelColor(bool overridden) const
{
    const CDimensionStyle* style = GetDimensionStyle();
    if (IsSelected() || style == nullptr) {
        return {};
    }
    if (!overridden) {
        return style->GetLabelColor();
    }
    return style->IsHighlighting() ? style->GetHighlightColor() : CColor();
}

CColor CDimension::GetDrawColor(ITarnisView* view) const
{
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    if (IsSelected() || (IsNewComponentHighlight() && view != nullptr && IsOnSelectedPath(view))) {
        const bool second = HasFlag(kFlagSecondHighlight) || IsUnderFlaggedInstance(view);
        if (options != nullptr) {
            return second ? options->GetSecondSelectionColor() : options->GetSelectionColor();
        }
    }
    CColor color;
    if (options != nullptr && options->IsColorByLayer()) {
        CLayer* layer = GetEffectiveLayer();
        if (layer != nullptr && CLayer::IsDefaultLayer(layer) && view->GetCurrentLayer() != nullptr) {
            layer = view->GetCurrentLayer();
        }
        if (layer != nullptr && layer->GetMaterial() != nullptr) {
            color = layer->GetMaterial()->GetColor();
        }
    }
    const CDimensionStyle* style = GetDimensionStyle();
    if (style == nullptr) {
        return color.GetValue() != 0 ? color : CColor(64, 64, 64, 255);
    }
    if (style->IsHighlighting() && !IsAssociated() && !m_forcedDisplay) {
        color = style->GetHighlightColor();
    }
    return color.GetValue() != 0 ? color : style->GetDefaultColor();
}

bool CDimension::IsShown(ITarnisView* view) const
{
    if (!CDrawingElement::IsShown(view)) {
        return false;
    }
    if (view == nullptr) {
        return true;
    }
    const CRenderingOptions* options = view->GetRenderingOptions();
    if (options != nullptr && options->GetDisplayByte(CRenderingOptions::kHideAnnotations)) {
        return false;
    }
    const CTransformation t = view->GetTransform();
    const CPlane3d plane = t * GetPlane();
    CVector3d normal(plane.a, plane.b, plane.c);
    normal.Normalize();
    const CCameraState camera = view->GetCameraState();
    CVector3d toEye = camera.perspective ? camera.eyePoint - t * GetAnchorPoint() : -camera.viewDirection;
    toEye.Normalize();
    return std::fabs(DotProduct(normal, toEye)) > 0.001;
}

void CDimension::Draw(ITarnisView* view)
{
    if (view == nullptr || view->GetDrawingLevel() <= 6 || !IsShown(view)) {
        return;
    }
    const CDimensionStyle* style = GetDimensionStyle();
    const CRenderingOptions* options = view->GetRenderingOptions();
    const bool mayStipple = (options != nullptr && options->IsShowHiddenGeometry()) || m_forcedDisplay;
    bool hidden = false;
    if (style != nullptr && style->HidesOblique()) {
        const CPlane3d plane = view->GetTransform() * GetPlane();
        CVector3d normal(plane.a, plane.b, plane.c);
        normal.Normalize();
        if (1.0 - style->GetObliqueThreshold() > std::fabs(DotProduct(normal, view->GetCameraState().viewDirection))) {
            if (!mayStipple) {
                return;
            }
            hidden = true;
        }
    }
    if (style != nullptr && style->HidesSmall() && GetScreenLength(view) < style->GetMinimumScreenLength()) {
        if (!mayStipple) {
            return;
        }
        hidden = true;
    }
    view->BeginElement(this);
    view->ResetLineState();
    view->SetColor(GetDrawColor(view));
    view->SetLighting(false);
    const bool stippled = IsHiddenFlagSet() || hidden;
    if (stippled) {
        view->SetLineStipple(0x3333);
        view->SetLineWidth(1.0);
    } else {
        view->SetLineWidth(style != nullptr ? style->GetLineWeight() : 1);
    }
    DrawDimension(view, !hidden);
    view->EndPrimitive();
    if (stippled) {
        view->SetLineStipple(0);
    }
    view->EndElement();
}

void CDimension::DrawEndMark(ITarnisView* view, const CPlane3d& plane, const CPoint3d& point,
                             const CVector3d& direction)
{
    const CDimensionStyle* style = GetDimensionStyle();
    if (style != nullptr) {
        ::DrawEndMark(view, plane, point, direction, style->GetEndMarkType(), style->GetEndMarkSize(),
                      style->GetLineWeight());
    }
}

CPlane3d CDimension::GetPlane() const
{
    return {};
}

CPoint3d CDimension::GetAnchorPoint() const
{
    return {};
}

CString CDimension::GetText(ITarnisView* /*view*/)
{
    return {};
}

void CDimension::DrawDimension(ITarnisView* /*view*/, bool /*solid*/)
{
}

std::uint64_t CDimension::GetDrawingWeight(bool /*shadows*/) const
{
    return 1;
}

std::uint64_t CDimension::GetLabelWeight(bool inPlane) const
{
    // A measured length as the label shows it, about as long as most.
    static const CString kMeasuredSample(u"10' 11 15/16\"");
    bool overridden = false;
    const CString label = BoundLabel(ApplyTextOverride(kMeasuredSample, overridden));
    const CDimensionStyle* style = GetDimensionStyle();
    const CEntity* font = style != nullptr ? style->PeekFont() : nullptr;
    return LabelTextWeight(label, LabelPixelHeight(font), true) + (inPlane ? 0 : kLabelDepthReadUnits);
}

int CDimension::GetScreenLength(ITarnisView* /*view*/)
{
    return 0;
}

CString FormatMeasuredLength(double inches, const CDimensionStyle* style)
{
    CString text = CLengthFormatter(-1).Format(inches);
    if (style == nullptr || !style->IsHighlighting()) {
        while (!text.IsEmpty() && (text[0] == '~' || text[0] == ' ')) {
            text = text.Mid(1);
        }
    }
    return text;
}

void CDimension::AddReferencedEntities(CEntitySet& /*set*/) const {}

void CDimension::ReplaceEntity(CEntity* /*oldEntity*/, CEntity* /*newEntity*/) {}

void CDimension::DetachFromEntitiesOutside(const CEntitySet& /*set*/, bool /*markOnly*/) {}

void CDimension::OnEntitiesRemoved(const CEntitySet& /*set*/, bool /*flag*/) {}

bool CDimension::Accept(IEntityVisitor* visitor)
{
    return visitor == nullptr || visitor->OnDimension(this);
}
