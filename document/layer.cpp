#include "document/layer.h"

#include <utility>

#include "document/documentcheck.h"
#include "document/material.h"
#include "document/versionmap.h"
#include "foundation/versioninfo.h"
#include "model/undosuspender.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CLayer, CEntity, VERSIONABLE_SCHEMA | 2)

namespace {

const CString kLayerMaterialName = "Layer";
const CString kLayerMaterialPrefix = "Layer_";

bool IsDefaultName(const CString& name)
{
    static const CString defaultName(kDefaultLayerName);
    return name == defaultName;
}

}  // namespace

CLayer::CLayer() : m_material(new CMaterial), m_ownsMaterial(true)
{
    m_material->SetParent(this);
    // The material is as new as the layer: its first state needs no undo record.
    const CUndoSuspender suspender;
    m_material->SetName(kLayerMaterialName);
    m_material->SetHidden(true);
}

CLayer::CLayer(const CLayer& other)
    : CEntity(other),
      m_name(other.m_name),
      m_hidden(other.m_hidden),
      m_defaultName(other.m_defaultName),
      m_material(other.m_material),
      m_pageFlags(other.m_pageFlags)
{
}

CLayer::~CLayer()
{
    if (m_ownsMaterial) {
        delete m_material;
    }
}

CEntity* CLayer::Clone() const
{
    return new CLayer(*this);
}

void CLayer::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& layer = dynamic_cast<CLayer&>(other);
    std::swap(m_name, layer.m_name);
    std::swap(m_hidden, layer.m_hidden);
    std::swap(m_defaultName, layer.m_defaultName);
    std::swap(m_pageFlags, layer.m_pageFlags);
    std::swap(m_material, layer.m_material);
}

int CLayer::GetTypeId() const
{
    return kTypeLayer;
}

void CLayer::Erase()
{
    RecordChange(true);
    if (m_material != nullptr) {
        // From here the material ends through its own Erase.
        m_ownsMaterial = false;
        m_material->Erase();
    }
    CEntity::Erase();
}

void CLayer::SetName(const CString& name)
{
    if (name == m_name) {
        return;
    }
    RecordChange(true);
    m_name = name;
    m_defaultName = IsDefaultName(m_name);
    if (m_material != nullptr) {
        m_material->SetName(kLayerMaterialPrefix + name);
    }
}

void CLayer::SetHidden(bool hidden)
{
    if (hidden == m_hidden) {
        return;
    }
    RecordChange(true);
    m_hidden = hidden;
}

void CLayer::SetColor(CColor color)
{
    if (color.GetValue() == 0) {
        return;
    }
    RecordChange(true);
    if (m_material != nullptr) {
        m_material->SetColor(color);
    }
}

bool CLayer::MatchesPageState(bool applyOverrides) const
{
    bool hidden = m_hidden;
    if (applyOverrides) {
        if ((m_pageFlags & kPageOverrideHidden) != 0) {
            hidden = true;
        }
        if ((m_pageFlags & kPageOverrideShown) != 0) {
            hidden = false;
        }
    }
    return hidden == ((m_pageFlags & kPageHidden) != 0);
}

bool CLayer::IsDefaultLayer(const CLayer* layer)
{
    return layer == nullptr || layer->m_defaultName;
}

CString CLayer::GetDisplayName(const CLayer* layer)
{
    return IsDefaultLayer(layer) ? CString(kDefaultLayerName) : layer->m_name;
}

void CLayer::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CLayer::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CLayer));
    m_name = ArchiveReadString(ar);
    m_defaultName = IsDefaultName(m_name);
    BYTE hidden = 0;
    ar >> hidden;
    m_hidden = hidden != 0;
    if (version >= 1) {
        m_material->Serialize(ar);
    } else {
        CColor color;
        ar >> color;
        m_material->SetColor(color);
        CMaterial* dropped = nullptr;
        ArchiveReadMaterial(ar, dropped);
    }
    m_pageFlags = 0;
    if (version >= 2) {
        ar >> m_pageFlags;
    }
}

void CLayer::WriteRecord(CArchive& ar)
{
    ArchiveWriteString(ar, m_name);
    ar << static_cast<BYTE>(m_hidden ? 1 : 0);
    m_material->Serialize(ar);
    if (GetSaveFormat() != kSaveFormat3000) {
        ar << m_pageFlags;
    }
}

void ArchiveReadLayer(CArchive& ar, CLayer*& layer)
{
    layer = static_cast<CLayer*>(ar.ReadObject(RUNTIME_CLASS(CLayer)));
}

int CLayer::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunDocumentCheck(*this, RUNTIME_CLASS(CLayer), results, [&]() {
        CDocumentCheck check(*this, mode);
        check.Take(CEntity::CheckValidity(mode, results));
        if (m_name.IsEmpty()) {
            check.Broken(kMsgLayerEmptyName, kValidityStale);
        }
        if (m_material != nullptr && !m_material->IsKindOf(RUNTIME_CLASS(CMaterial))) {
            check.Broken(kMsgLayerBadMaterial, kValidityBroken);
        } else if (m_material != nullptr && m_material->CheckValidity(mode, results) != kValiditySound) {
            // Whatever the material's own check mended is a change of the layer too.
            check.Repairable(kMsgLayerMaterialFails);
        }
        return check.GetSeverity();
    });
}
