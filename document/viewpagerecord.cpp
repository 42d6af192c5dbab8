// The record of a view page: the page part, the property mask, and what the mask
// selects, each part under the class version that brought it.

#include "annotations/sectionplane.h"
#include "document/animationseconds.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/loadsession.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "document/versionmap.h"
#include "document/viewpage.h"
#include "foundation/versioninfo.h"
#include "model/entitylist.h"
#include "platform/archive.h"

namespace {

// A stored entity that belongs to nothing cannot be shown or hidden; the page drops it.
// When this reference made it (`known`: the archive's count before it was read), it goes
// with all its reference made, and no later reference reads any of it. One read before
// is left to what read it: a relationship's end or an element's layer is held without
// being owned.
template <typename T>
bool KeepIfOwned(CArchive& ar, T* entity, bool owned, UINT known)
{
    if (entity == nullptr) {
        return false;
    }
    if (!owned && entity->GetParent() == nullptr && ar.IsMadeAfter(entity, known)) {
        CLoadSession::DropMadeAfter(ar, known);
    }
    return owned;
}

}  // namespace

void CViewPage::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        Read(ar);
    } else {
        Write(ar);
    }
}

void CViewPage::Write(CArchive& ar)
{
    CTarnwickPage::Serialize(ar);
    // A part whose object is missing is not stored, and the page stops claiming it.
    if (m_renderingOptions == nullptr) {
        m_propertyMask &= ~kRenderingOptions;
    }
    if (m_shadowInfo == nullptr) {
        m_propertyMask &= ~kShadowSettings;
    }
    if (m_axes == nullptr) {
        m_propertyMask &= ~kAxes;
    }
    ar << m_propertyMask;
    const bool oldest = GetSaveFormat() == kSaveFormat3000;
    if (Has(kCamera)) {
        if (oldest) {
            m_camera.Serialize(ar);
        } else {
            ar.WriteObject(&m_camera);
        }
    }
    if (Has(kRenderingOptions)) {
        m_renderingOptions->Serialize(ar);
    }
    if (Has(kShadowSettings)) {
        m_shadowInfo->Serialize(ar);
        ArchiveWriteBool(ar, m_shadowInfo->IsDisplayShadows());
    }
    if (Has(kAxes)) {
        m_axes->Serialize(ar);
        ArchiveWriteBool(ar, m_axesDisplayed);
    }
    if (Has(kHiddenElements)) {
        WriteReferences(ar, m_hidden);
    }
    if (Has(kVisibleLayers)) {
        WriteLayers(ar);
    }
    if (Has(kSectionPlanes)) {
        WriteReferences(ar, m_sectionPlanes);
    }
    ArchiveWriteBool(ar, m_includedInAnimation);
    ArchiveWriteBool(ar, m_secondSwitch);
    if (!oldest) {
        ar << m_transitionTime << m_slideTime;
    }
}

void CViewPage::WriteLayers(CArchive& ar) const
{
    if (GetSaveFormat() != kSaveFormat3000) {
        WriteReferences(ar, m_layers);
        return;
    }
    // The oldest format lists only the layers whose stored page state is hidden.
    std::vector<CLayer*> marked;
    for (CLayer* layer : m_layers) {
        if ((layer->GetPageFlags() & CLayer::kPageHidden) != 0) {
            marked.push_back(layer);
        }
    }
    WriteReferences(ar, marked);
}

void CViewPage::Read(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CViewPage));
    CTarnwickPage::Serialize(ar);
    ar >> m_propertyMask;
    if (Has(kCamera)) {
        ReadCamera(ar, version < 7, m_camera);
    }
    ReadSettings(ar, version);
    ReadHiddenElements(ar);
    ReadLayers(ar, version);
    ReadSectionPlanes(ar, version);
    if (version >= 3) {
        m_includedInAnimation = ArchiveReadBool(ar);
    }
    if (version >= 6) {
        m_secondSwitch = ArchiveReadBool(ar);
    }
    m_transitionTime = -1.0;
    if (version >= 8) {
        ar >> m_transitionTime;
        MendPageSeconds(m_transitionTime);
    }
    if (version >= 9) {
        ar >> m_slideTime;
        MendPageSeconds(m_slideTime);
    }
}

void CViewPage::ReadSettings(CArchive& ar, int version)
{
    if (Has(kRenderingOptions)) {
        if (m_renderingOptions == nullptr) {
            m_renderingOptions = new CRenderingOptions;
        }
        m_renderingOptions->Serialize(ar);
    }
    if (Has(kShadowSettings)) {
        if (m_shadowInfo == nullptr) {
            m_shadowInfo = new CShadowInfo;
        }
        m_shadowInfo->Serialize(ar);
        if (version >= 2) {
            m_shadowInfo->SetDisplayShadowsQuiet(ArchiveReadBool(ar));
        }
    }
    if (Has(kAxes)) {
        if (m_axes == nullptr) {
            m_axes = new CTarnisCS;
        }
        m_axes->Serialize(ar);
        m_axesDisplayed = ArchiveReadBool(ar);
    }
}

void CViewPage::ReadHiddenElements(CArchive& ar)
{
    m_hidden.clear();
    m_hiddenSet.clear();
    if (!Has(kHiddenElements)) {
        return;
    }
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        const UINT known = ar.GetMapCount();
        CDrawingElement* element = ReadHiddenElementObject(ar);
        if (KeepIfOwned(ar, element, element != nullptr && element->GetParent() != nullptr, known)) {
            AddHiddenElement(element);
        }
    }
}

void CViewPage::ReadLayers(CArchive& ar, int version)
{
    m_layers.clear();
    if (version < 1 || !Has(kVisibleLayers)) {
        return;
    }
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        CLayer* layer = nullptr;
        const UINT known = ar.GetMapCount();
        ArchiveReadLayer(ar, layer);
        if (KeepIfOwned(ar, layer, layer != nullptr && dynamic_cast<CLayerManager*>(layer->GetParent()) != nullptr,
                        known)) {
            m_layers.push_back(layer);
        }
    }
}

void CViewPage::ReadSectionPlanes(CArchive& ar, int version)
{
    m_sectionPlanes.clear();
    if (!Has(kSectionPlanes) || version < 4) {
        return;
    }
    if (version == 4) {
        // One plane, kept as read (null included).
        const UINT known = ar.GetMapCount();
        CSectionPlane* plane = ReadSectionPlane(ar);
        if (plane != nullptr && plane->GetParentComponent() == nullptr) {
            KeepIfOwned(ar, plane, false, known);
            plane = nullptr;
        }
        m_sectionPlanes.push_back(plane);
        return;
    }
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        const UINT known = ar.GetMapCount();
        CSectionPlane* plane = ReadSectionPlane(ar);
        if (KeepIfOwned(ar, plane, plane != nullptr && plane->GetParentComponent() != nullptr, known)) {
            m_sectionPlanes.push_back(plane);
        }
    }
}
