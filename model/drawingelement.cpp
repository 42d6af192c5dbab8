#include "model/drawingelement.h"

#include "document/component.h"
#include "document/instancepath.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/transformation.h"
#include "foundation/versioninfo.h"
#include "platform/archive.h"
#include "platform/profile.h"
#include "model/drawinggeneration.h"
#include "model/validitylog.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"

IMPLEMENT_SERIAL(CDrawingElement, CEntity, VERSIONABLE_SCHEMA | 9)

namespace {

bool ShowsHiddenGeometry(const ITarnisView* view)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    return options != nullptr && options->IsShowHiddenGeometry();
}

bool ColorsByLayer(const ITarnisView* view)
{
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    return options != nullptr && options->IsColorByLayer();
}

CColor GetSelectionColor(const ITarnisView* view)
{
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    return options != nullptr ? options->GetSelectionColor() : CColor(255, 255, 0, 255);
}

CColor GetSecondSelectionColor(const ITarnisView* view)
{
    const CRenderingOptions* options = view != nullptr ? view->GetRenderingOptions() : nullptr;
    return options != nullptr ? options->GetSecondSelectionColor() : CColor(255, 0, 0, 255);
}

// Read once: the preference changes only between runs.
bool UsesNewComponentHighlight()
{
    static const int value = GetProfileInt(CString("Preferences"), CString("UseNewComponentHighlight"), 1);
    return value == 1;
}

const CDrawingElement* AsDrawingElement(const CEntity* entity)
{
    if (entity != nullptr && entity->IsKindOf(RUNTIME_CLASS(CDrawingElement))) {
        return static_cast<const CDrawingElement*>(entity);
    }
    return nullptr;
}

} // namespace

CDrawingElement::CDrawingElement()
{
    if (CLayerManager* layers = GetCurrentLayerManager()) {
        CLayer* current = layers->GetCurrentLayer();
        if (!CLayer::IsDefaultLayer(current)) {
            m_layer = current;
        }
    }
}

CDrawingElement::CDrawingElement(const CDrawingElement& other)
    : CEntity(other)
    , m_flags(other.m_flags & ~kFlagsRunTime)
    , m_material(other.m_material)
    , m_layer(other.m_layer)
{
}

CDrawingElement::~CDrawingElement() = default;

void CDrawingElement::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CDrawingElement::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CDrawingElement));
    if (version == 0 || version == 1 || version == 3 || version == 4) {
        CColor color;
        ar >> color;
        m_material = nullptr;
        if (color.GetValue() != 0) {
            SetMaterialByColour(color, false);
        }
    } else if (version >= 5) {
        CMaterial* material = nullptr;
        ArchiveReadMaterial(ar, material);
        m_material = material;
        if (material != nullptr) {
            material->AddUse(false);
        }
    }
    if (version >= 1) {
        SetFlagBits(kFlagHidden, ArchiveReadBool(ar));
    }
    if (version >= 6) {
        SetFlagBits(kFlagCastsShadows, ArchiveReadBool(ar));
        SetFlagBits(kFlagReceivesShadows, ArchiveReadBool(ar));
    }
    if (version >= 7) {
        SetFlagBits(kFlagSoft, ArchiveReadBool(ar));
    }
    SetFlagBits(kFlagSmooth, version >= 8 ? ArchiveReadBool(ar) : HasFlag(kFlagSoft));
    if (version >= 9) {
        SetFlagBits(kFlagSecondHighlight, ArchiveReadBool(ar));
    }
    if (version == 2) {
        if (ArchiveReadBool(ar)) {
            CMaterial* dropped = nullptr;
            ArchiveReadMaterial(ar, dropped);
        }
    } else if (version >= 4) {
        CLayer* layer = nullptr;
        ArchiveReadLayer(ar, layer);
        // The default layer is held as null, whatever the file names.
        m_layer = CLayer::IsDefaultLayer(layer) ? nullptr : layer;
    }
    SetFlagBits(kFlagsLoadCleared, false);
}

void CDrawingElement::WriteRecord(CArchive& ar) const
{
    ar.WriteObject(m_material);
    ArchiveWriteBool(ar, HasFlag(kFlagHidden));
    ArchiveWriteBool(ar, HasFlag(kFlagCastsShadows));
    ArchiveWriteBool(ar, HasFlag(kFlagReceivesShadows));
    ArchiveWriteBool(ar, HasFlag(kFlagSoft));
    ArchiveWriteBool(ar, HasFlag(kFlagSmooth));
    if (GetSaveFormat() == kSaveFormat5000) {
        ArchiveWriteBool(ar, HasFlag(kFlagSecondHighlight));
    }
    ar.WriteObject(m_layer);
}

void CDrawingElement::Erase()
{
    if (m_material != nullptr) {
        m_material->RemoveUse(true);
    }
    CEntity::Erase();
}

CEntity* CDrawingElement::Clone() const
{
    return new CDrawingElement(*this);
}

void CDrawingElement::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    if (!other.IsKindOf(RUNTIME_CLASS(CDrawingElement))) {
        return;
    }
    auto& element = static_cast<CDrawingElement&>(other);
    const std::uint32_t mine = m_flags & kFlagsStored;
    const std::uint32_t theirs = element.m_flags & kFlagsStored;
    m_flags = (m_flags & ~kFlagsStored) | theirs;
    element.m_flags = (element.m_flags & ~kFlagsStored) | mine;
    std::swap(m_material, element.m_material);
    std::swap(m_layer, element.m_layer);
    m_flags &= ~kFlagsRunTime;
}

int CDrawingElement::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CDrawingElement), results, result)) {
        return result;
    }
    result = CEntity::CheckValidity(mode, results);
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    result = CheckReferences(results);
    if (result != kValiditySound || results == nullptr) {
        return result;
    }
    result = CheckManagers(mode);
    return result == kValiditySound ? kValiditySound : SetCheckResult(result, results);
}

int CDrawingElement::CheckReferences(CValidityResultMap* results)
{
    CEntity* parent = GetParent();
    int message = 0;
    const CEntity* culprit = nullptr;
    if (parent != nullptr && !parent->IsKindOf(RUNTIME_CLASS(CEntity))) {
        message = kMsgBadParent;
        culprit = parent;
    } else if (m_material != nullptr && !m_material->IsKindOf(RUNTIME_CLASS(CMaterial))) {
        message = kMsgBadMaterial;
        culprit = m_material;
    } else if (m_layer != nullptr && !m_layer->IsKindOf(RUNTIME_CLASS(CLayer))) {
        message = kMsgBadLayer;
        culprit = m_layer;
    }
    if (message == 0) {
        return kValiditySound;
    }
    AppendValidityMessageId(message, GetEntityLabel(this));
    StoreCheckResult(results, culprit, kValidityBroken);
    return SetCheckResult(kValidityBroken, results);
}

int CDrawingElement::CheckManagers(int mode)
{
    // An element outside any model has no managers to belong to.
    CTarnwickModel* model = GetModel();
    if (model == nullptr) {
        return kValiditySound;
    }
    int severity = kValiditySound;
    if (m_material != nullptr) {
        CMaterialManager* materials = model->GetMaterialManager();
        if (materials == nullptr || !materials->IsKindOf(RUNTIME_CLASS(CMaterialManager))) {
            AppendValidityMessageId(kMsgBadMaterialManager, GetEntityLabel(this));
            return kValidityBroken;
        }
        if (!materials->Contains(m_material)) {
            AppendValidityMessageId(kMsgMaterialNotInManager, GetEntityLabel(this));
            if (BeginRepair(mode)) {
                RecordChange(true);
                m_material = nullptr;
            } else {
                severity = kValidityRepairable;
            }
        }
    }
    if (m_layer != nullptr) {
        CLayerManager* layers = model->GetLayerManager();
        if (layers == nullptr || !layers->IsKindOf(RUNTIME_CLASS(CLayerManager))) {
            AppendValidityMessageId(kMsgBadLayerManager, GetEntityLabel(this));
            return kValidityBroken;
        }
        if (!layers->Contains(m_layer)) {
            AppendValidityMessageId(kMsgLayerNotInManager, GetEntityLabel(this));
            if (BeginRepair(mode)) {
                RecordChange(true);
                m_layer = nullptr;
            } else {
                severity = kValidityRepairable;
            }
        }
    }
    return severity;
}

int CDrawingElement::GetTypeId() const
{
    return kTypeDrawingElement;
}

void CDrawingElement::OnGeometryChanged()
{
}

void CDrawingElement::Draw(ITarnisView* /*view*/)
{
}

void CDrawingElement::DrawIfShown(ITarnisView* view)
{
    if (IsShown(view)) {
        Draw(view);
    }
}

void CDrawingElement::DrawShadow(ITarnisView* /*view*/, ShadowPassSettings* /*settings*/)
{
}

std::uint64_t CDrawingElement::GetDrawingWeight(bool /*shadows*/) const
{
    return 1;
}

void CDrawingElement::AccumulateExtents(const CTransformation& /*transform*/, CBoundingBox3d& /*box*/) const
{
}

void CDrawingElement::AccumulateExtentsVariant(ITarnisView* /*view*/, CBoundingBox3d& /*box*/) const
{
}

void CDrawingElement::GetExtents(CBoundingBox3d& box) const
{
    AccumulateExtents(CTransformation(), box);
}

bool CDrawingElement::IsPickable(const orvell::geometry::IGeomFilter* /*filter*/) const
{
    return true;
}

CBoundingBox3d CDrawingElement::GetBoundingBox() const
{
    CBoundingBox3d box;
    GetExtents(box);
    return box;
}

bool CDrawingElement::IsShown(ITarnisView* view) const
{
    if (view != nullptr && view->IsHiddenByLightingMode(this)) {
        return false;
    }
    if (IsSelected()) {
        return true;
    }
    return !IsHidden(view);
}

bool CDrawingElement::IsHidden(ITarnisView* view) const
{
    if (!IsHiddenFlagSet()) {
        return IsLayerHidden(view);
    }
    return !(view != nullptr && ShowsHiddenGeometry(view));
}

bool CDrawingElement::IsLayerHidden(ITarnisView* view) const
{
    CLayer* layer = m_layer;
    if (layer == nullptr && view != nullptr) {
        layer = view->GetCurrentLayer();
    }
    if (layer == nullptr) {
        CLayerManager* layers = GetCurrentLayerManager();
        layer = layers != nullptr ? layers->GetDefaultLayer() : nullptr;
    }
    return layer != nullptr && layer->IsHidden();
}

bool CDrawingElement::IsSelectedBy(IPickHelper* selector, const CInstancePath* /*path*/) const
{
    const CBoundingBox3d box = GetBoundingBox();
    if (selector == nullptr || box.IsEmpty()) {
        return false;
    }
    for (int corner = 0; corner < 8; ++corner) {
        if (!selector->TestPoint(box.GetCorner(corner))) {
            return false;
        }
    }
    return true;
}

int CDrawingElement::IntersectLine(const CLine3d& /*line*/, CPoint3d& /*point*/) const
{
    return 0;
}

bool CDrawingElement::IntersectPickRay(const CBoundedLine3d& /*ray*/, double /*pixelScale*/,
                                       CPoint3d& /*hitPoint*/, double& /*hitParameter*/,
                                       CInstancePath* /*hitPath*/, bool /*skipHidden*/) const
{
    return false;
}

bool CDrawingElement::IsOnPathWithFlag(ITarnisView* view, std::uint32_t bit) const
{
    if (view == nullptr) {
        return false;
    }
    const CInstancePath& path = view->GetInstancePath();
    for (int i = path.GetCount() - 1; i >= 0; --i) {
        const CDrawingElement* instance = AsDrawingElement(path.GetAt(i));
        if (instance != nullptr && instance->HasFlag(bit)) {
            return true;
        }
    }
    return false;
}

bool CDrawingElement::IsOnSelectedPath(ITarnisView* view) const
{
    return IsOnPathWithFlag(view, kFlagSelected);
}

bool CDrawingElement::IsUnderFlaggedInstance(ITarnisView* view) const
{
    return IsOnPathWithFlag(view, kFlagSecondHighlight);
}

bool CDrawingElement::IsUnderHiddenInstance(ITarnisView* view) const
{
    return IsOnPathWithFlag(view, kFlagHidden);
}

void CDrawingElement::SetFlagBits(std::uint32_t bits, bool on)
{
    const std::uint32_t old = m_flags;
    if (on) {
        m_flags |= bits;
    } else {
        m_flags &= ~bits;
    }
    if (m_flags != old) {
        CDrawingGeneration::Advance();
    }
}

void CDrawingElement::SetFlagRecorded(std::uint32_t bit, bool on)
{
    if (HasFlag(bit) == on) {
        return;
    }
    RecordChange(true);
    SetFlagBits(bit, on);
}

void CDrawingElement::SetHidden(bool hidden)
{
    SetFlagRecorded(kFlagHidden, hidden);
}

void CDrawingElement::SetCastsShadows(bool casts)
{
    SetFlagRecorded(kFlagCastsShadows, casts);
}

void CDrawingElement::SetSoft(bool soft)
{
    SetFlagRecorded(kFlagSoft, soft);
}

void CDrawingElement::SetSmooth(bool smooth)
{
    SetFlagRecorded(kFlagSmooth, smooth);
}

bool CDrawingElement::CanHaveMaterial() const
{
    return true;
}

CMaterial* CDrawingElement::GetMaterial() const
{
    return m_material;
}

void CDrawingElement::SetMaterial(CMaterial* material)
{
    if (!CanHaveMaterial() || material == m_material) {
        return;
    }
    RecordChange(true);
    if (m_material != nullptr) {
        m_material->RemoveUse(true);
    }
    m_material = material;
    if (m_material != nullptr) {
        m_material->AddUse(true);
    }
}

void CDrawingElement::SetMaterialByColour(CColor color, bool record)
{
    if (color.GetValue() == 0 || !CanHaveMaterial()) {
        return;
    }
    if (m_material != nullptr && m_material->IsPlainColor() && m_material->GetColorValue() == color) {
        return;
    }
    CMaterialManager* materials = GetCurrentMaterialManager();
    if (materials == nullptr) {
        return;
    }
    if (record) {
        RecordChange(true);
    }
    if (m_material != nullptr) {
        m_material->RemoveUse(record);
    }
    m_material = materials->FindOrCreateColorMaterial(color);
    if (m_material != nullptr) {
        m_material->AddUse(record);
    }
}

CColor CDrawingElement::GetMaterialColor() const
{
    if (m_material == nullptr) {
        return CColor();
    }
    return m_material->IsPlainColor() ? m_material->GetColorValue() : m_material->GetColor();
}

CMaterial* CDrawingElement::GetDisplayMaterial(ITarnisView* view) const
{
    if (!ColorsByLayer(view)) {
        if (m_material != nullptr) {
            return m_material;
        }
        return view != nullptr ? view->GetCurrentMaterial() : nullptr;
    }
    CLayer* layer = GetEffectiveLayer();
    if (CLayer::IsDefaultLayer(layer) && view != nullptr && view->GetCurrentLayer() != nullptr) {
        layer = view->GetCurrentLayer();
    }
    return layer != nullptr ? layer->GetMaterial() : nullptr;
}

bool CDrawingElement::UsesDefaultLayer() const
{
    return m_layer == nullptr;
}

CLayer* CDrawingElement::GetEffectiveLayer() const
{
    if (m_layer != nullptr) {
        return m_layer;
    }
    CLayerManager* layers = nullptr;
    if (CTarnwickModel* model = GetModel()) {
        layers = model->GetLayerManager();
    } else {
        layers = GetCurrentLayerManager();
    }
    return layers != nullptr ? layers->GetDefaultLayer() : nullptr;
}

void CDrawingElement::SetLayer(CLayer* layer)
{
    if (CLayer::IsDefaultLayer(layer)) {
        layer = nullptr;
    }
    if (layer == m_layer) {
        return;
    }
    RecordChange(true);
    m_layer = layer;
}

void CDrawingElement::EraseFromComponent(CComponent* component)
{
    if (component != nullptr) {
        component->EraseEntity(this);
    }
}

void CDrawingElement::CopyPropertiesFrom(const CDrawingElement* other)
{
    if (other == nullptr) {
        return;
    }
    for (const std::uint32_t bit : {kFlagHidden, kFlagCastsShadows, kFlagReceivesShadows, kFlagSoft}) {
        SetFlagRecorded(bit, other->HasFlag(bit));
    }
    SetSmooth(other->IsSmooth());
    SetMaterial(other->GetMaterial());
    SetLayer(other->GetEffectiveLayer());
    CopyAttributesFrom(other, false);
}

void CDrawingElement::InstanceHook(ITarnisView* /*view*/)
{
}

bool CDrawingElement::IsInstance() const
{
    return false;
}

const CComponent* CDrawingElement::GetNestedComponent() const
{
    return nullptr;
}

bool CDrawingElement::ExportTessellation(IExportSink* /*sink*/)
{
    return true;
}

void CDrawingElement::NotifyGeometryChanged()
{
    OnGeometryChanged();
}

void CDrawingElement::NotifyDependents()
{
}

void CDrawingElement::ApplyColor(ITarnisView* view, CColor color)
{
    if (view != nullptr && color.GetValue() != 0) {
        view->SetColor(color);
    }
}

void CDrawingElement::ApplyMaterial(ITarnisView* view)
{
    ApplyColor(view, GetDrawColor(view));
}

CColor CDrawingElement::GetForegroundColor(ITarnisView* view) const
{
    return view != nullptr ? view->GetForegroundColor() : CColor(0, 0, 0, 255);
}

bool CDrawingElement::IsHighlighted(ITarnisView* view) const
{
    return CanHighlight() && (IsSelected() || (UsesNewComponentHighlight() && IsOnSelectedPath(view)));
}

CColor CDrawingElement::GetDrawColor(ITarnisView* view) const
{
    CColor color;
    if (IsHighlighted(view)) {
        const bool second = HasFlag(kFlagSecondHighlight) || IsUnderFlaggedInstance(view);
        color = second ? GetSecondSelectionColor(view) : GetSelectionColor(view);
    } else {
        const CMaterial* material = GetDisplayMaterial(view);
        color = material != nullptr ? material->GetColor() : CColor();
        if (view != nullptr && !ColorsByLayer(view) && color == view->GetBackgroundColor()) {
            color = GetForegroundColor(view);
        }
    }
    return color.GetValue() != 0 ? color : GetForegroundColor(view);
}

CColor CDrawingElement::GetOwnColor(IModelView* fallback) const
{
    if (m_material != nullptr && m_material->IsPlainColor()) {
        return m_material->GetColorValue();
    }
    const CMaterial* fallbackMaterial = fallback != nullptr ? fallback->GetDefaultMaterial() : nullptr;
    return fallbackMaterial != nullptr ? fallbackMaterial->GetColor() : CColor();
}

bool CDrawingElement::CanHighlight() const
{
    return true;
}

CDrawingElement* ReadDrawingElement(CArchive& ar)
{
    return static_cast<CDrawingElement*>(ar.ReadObject(RUNTIME_CLASS(CDrawingElement)));
}

bool CDrawingElement::Accept(IEntityVisitor* /*visitor*/)
{
    return true;
}
