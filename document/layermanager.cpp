#include "document/layermanager.h"

#include <algorithm>

#include "document/component.h"
#include "document/containeriterator.h"
#include "document/documentcheck.h"
#include "document/layer.h"
#include "document/material.h"
#include "document/texture.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/color.h"
#include "foundation/notificationcenter.h"
#include "model/entitylist.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CLayerManager, CEntity, VERSIONABLE_SCHEMA | 4)

namespace {

// The name old files gave the default layer.
const CString kOldDefaultLayerName = "Default";

// The identifier with which the rendering options announce their transparency settings.
constexpr std::int32_t kTransparencyOptionsChanged = 2;

CString ConvertOldDefaultName(const CString& name, int version)
{
    return version < 2 && name == kOldDefaultLayerName ? CString(kDefaultLayerName) : name;
}

}  // namespace

CLayerManager::CLayerManager()
{
    GetNotificationCenter().AddObserver(kRenderingOptionsChangeNotification, this);
}

CLayerManager::CLayerManager(const CLayerManager& other)
    : CEntity(other), m_current(other.m_current), m_broadcasts(other.m_broadcasts)
{
}

CLayerManager::~CLayerManager()
{
    GetNotificationCenter().RemoveObserver(this);
}

CEntity* CLayerManager::Clone() const
{
    return new CLayerManager(*this);
}

void CLayerManager::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    std::swap(m_current, dynamic_cast<CLayerManager&>(other).m_current);
}

int CLayerManager::GetTypeId() const
{
    return kTypeLayerManager;
}

void CLayerManager::Erase()
{
    RecordChange(true);
    EraseEach(m_layers);
    CEntity::Erase();
}

int CLayerManager::GetCount() const
{
    return static_cast<int>(m_layers.size());
}

bool CLayerManager::IsEmpty() const
{
    return m_layers.empty();
}

bool CLayerManager::Contains(const CEntity* entity) const
{
    return ListContains(m_layers, entity);
}

void CLayerManager::Add(CEntity* entity)
{
    auto* layer = dynamic_cast<CLayer*>(entity);
    if (layer == nullptr) {
        return;
    }
    layer->SetParent(this);
    if (AppendOnce(m_layers, layer)) {
        Post(kLayerAdded, layer);
    }
}

bool CLayerManager::Remove(CEntity* entity)
{
    const auto found = std::find(m_layers.begin(), m_layers.end(), entity);
    if (entity == nullptr || found == m_layers.end()) {
        return false;
    }
    auto* layer = *found;
    if (layer == m_current) {
        CLayer* first = m_layers.front();
        m_current = first == layer ? nullptr : first;
        Post(kLayerCurrentChanged, m_current);
    }
    m_layers.erase(found);
    Post(kLayerRemoved, layer);
    layer->SetParent(nullptr);
    return true;
}

void CLayerManager::RemoveAll()
{
    for (CLayer* layer : m_layers) {
        Post(kLayerRemoved, layer);
        layer->Erase();
    }
    m_layers.clear();
    m_current = nullptr;
    Post(kLayerCurrentChanged, nullptr);
}

CEntity* CLayerManager::GetAt(int index) const
{
    return ListAt(m_layers, index);
}

IEntityIterator* CLayerManager::NewIterator()
{
    return new CContainerIterator(this);
}

CLayer* CLayerManager::AddLayer(const CString& name)
{
    if (!IsNameUnique(name)) {
        return nullptr;
    }
    auto* layer = new CLayer;
    layer->SetName(name);
    layer->SetColor(GetLayerColor(m_nextColor));
    if (++m_nextColor >= kLayerColorCount) {
        m_nextColor = 0;
    }
    if (IsRecordingChanges()) {
        if (CUndoOperation* operation = GetUndoOperation()) {
            operation->RecordAdd(layer, this);
        }
    }
    Add(layer);
    return layer;
}

bool CLayerManager::IsNameUnique(const CString& name) const
{
    return FindLayer(name) == nullptr;
}

CLayer* CLayerManager::FindLayer(const CString& name) const
{
    for (CLayer* layer : m_layers) {
        if (CLayer::GetDisplayName(layer).CompareNoCase(name) == 0) {
            return layer;
        }
    }
    return nullptr;
}

void CLayerManager::EnsureDefaultLayer()
{
    m_current = AddLayer(kDefaultLayerName);
}

bool CLayerManager::SetCurrentLayer(CLayer* layer)
{
    if (layer == m_current) {
        return true;
    }
    if (!Contains(layer)) {
        return false;
    }
    m_current = layer;
    Post(kLayerCurrentChanged, layer);
    return true;
}

CLayer* CLayerManager::GetDefaultLayer() const
{
    return m_layers.empty() ? nullptr : m_layers.front();
}

CLayer* CLayerManager::GetFirstShownLayer() const
{
    for (CLayer* layer : m_layers) {
        if (layer != nullptr && !layer->IsHidden()) {
            return layer;
        }
    }
    return nullptr;
}

bool CLayerManager::SetLayerHidden(CLayer* layer, bool hide)
{
    if (layer == nullptr) {
        return false;
    }
    if (hide && layer == m_current) {
        // The layer being hidden is still shown, so the first shown layer other than
        // it must take over; when there is none, hiding is refused.
        CLayer* replacement = nullptr;
        for (CLayer* candidate : m_layers) {
            if (candidate != layer && candidate != nullptr && !candidate->IsHidden()) {
                replacement = candidate;
                break;
            }
        }
        if (replacement == nullptr) {
            return false;
        }
        SetCurrentLayer(replacement);
    }
    layer->SetHidden(hide);
    if (hide) {
        if (CTarnwickModel* model = GetModel()) {
            model->GetSelectionSet().RemoveOnLayer(layer);
        }
    }
    Post(kLayerHiddenSet, layer);
    return true;
}

void CLayerManager::Clear()
{
    RecordChange(true);
    EraseEach(m_layers);
    m_layers.clear();
    m_current = nullptr;
    Post(kLayersCleared, nullptr);
}

void CLayerManager::ReleaseLayerTextures()
{
    for (CLayer* layer : m_layers) {
        CMaterial* material = layer->GetMaterial();
        if (material != nullptr && material->IsTextured()) {
            material->GetTexture()->ReleaseGLTexture();
        }
    }
}

void CLayerManager::OnNotify(const std::string& name, void* data)
{
    // The record begins with the identifier of the setter that posted it.
    if (name == kRenderingOptionsChangeNotification && data != nullptr &&
        *static_cast<const std::int32_t*>(data) == kTransparencyOptionsChanged) {
        ReleaseLayerTextures();
    }
}

void CLayerManager::OnOperationStarted(int code, int /*nameId*/)
{
    m_operationActive = code == 2 || code == 3;
}

void CLayerManager::OnOperationCommitted(int /*code*/, int /*nameId*/, int /*flags*/)
{
    m_operationActive = false;
}

void CLayerManager::OnEntityModified(CEntity* entity)
{
    if (m_operationActive) {
        if (auto* layer = dynamic_cast<CLayer*>(entity)) {
            Post(kLayerChangedInOperation, layer);
        }
    }
}

void CLayerManager::Post(std::int32_t code, CLayer* layer)
{
    if (!m_broadcasts) {
        return;
    }
    LayerChangedData data{code, layer};
    GetNotificationCenter().Post(kLayerChangedNotification, &data);
}

void CLayerManager::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CLayerManager::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CLayerManager));
    if (version > 0) {
        CEntity::Serialize(ar);
    }
    const std::int32_t count = ReadReferenceCount(ar);
    if (count == 0) {
        KeepOnlyFirstLayer();
    } else {
        RemoveAll();
    }
    for (std::int32_t i = 0; i < count; ++i) {
        CLayer* layer = nullptr;
        ArchiveReadLayer(ar, layer);
        if (layer == nullptr) {
            continue;
        }
        // A manager erases its layers; a second manager would erase them twice.
        if (layer->GetParent() != nullptr && layer->GetParent() != this) {
            AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
        }
        if (version < 2 && layer->GetName() == kOldDefaultLayerName) {
            layer->SetName(kDefaultLayerName);
        }
        Add(layer);
    }
    ReadCurrentLayer(ar, version, count);
}

void CLayerManager::KeepOnlyFirstLayer()
{
    while (m_layers.size() > 1) {
        CLayer* const last = m_layers.back();
        m_layers.pop_back();
        Post(kLayerRemoved, last);
        last->Erase();
    }
    m_current = GetDefaultLayer();
}

void CLayerManager::ReadCurrentLayer(CArchive& ar, int version, std::int32_t count)
{
    CLayer* current = nullptr;
    if (version < 3) {
        current = FindLayer(ConvertOldDefaultName(ArchiveReadString(ar), version));
    } else if (version == 3 || count > 0) {
        ArchiveReadLayer(ar, current);
    }
    if (current != nullptr && !Contains(current)) {
        CLayer* const stray = current;
        current = FindLayer(CLayer::GetDisplayName(stray));
        // The layer of that name stands in as current, but the stray one is no less the
        // file's: an element read before or after may name it, and a layer let go here
        // would be freed under it. The manager lists it. A layer of another manager stays
        // there.
        if (stray->GetParent() == nullptr) {
            Add(stray);
        }
    }
    if (current == nullptr) {
        current = GetDefaultLayer();
    }
    m_current = current;
    if (m_current != nullptr && m_current->IsHidden()) {
        m_current->SetHidden(false);
    }
    Post(kLayerCurrentChanged, m_current);
}

void CLayerManager::WriteRecord(CArchive& ar)
{
    CEntity::Serialize(ar);
    WriteReferences(ar, m_layers);
    if (!m_layers.empty()) {
        ar.WriteObject(Contains(m_current) ? m_current : nullptr);
    }
}

CLayerManager* GetCurrentLayerManager()
{
    CTarnwickModel* const model = GetCurrentModel();
    return model != nullptr ? model->GetLayerManager() : nullptr;
}

int CLayerManager::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunDocumentCheck(*this, RUNTIME_CLASS(CLayerManager), results, [&]() {
        CDocumentCheck check(*this, mode);
        check.Take(CEntity::CheckValidity(mode, results));
        for (std::size_t i = 0; i < m_layers.size(); ++i) {
            CLayer* layer = m_layers[i];
            if (layer == nullptr || !layer->IsKindOf(RUNTIME_CLASS(CLayer))) {
                check.Broken(kMsgLayerManagerBadEntry, kValidityBroken, static_cast<int>(i));
            } else {
                check.Take(layer->CheckValidity(mode, results));
            }
        }
        if (m_current != nullptr && !m_current->IsKindOf(RUNTIME_CLASS(CLayer))) {
            check.Broken(kMsgLayerManagerBadCurrent, kValidityBroken);
        }
        return check.GetSeverity();
    });
}
