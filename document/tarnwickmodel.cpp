#include "document/tarnwickmodel.h"

#include <cstdio>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/fontmanager.h"
#include "document/layermanager.h"
#include "document/materialmanager.h"
#include "foundation/modelid.h"
#include "foundation/notificationcenter.h"
#include "model/backreferencemap.h"
#include "model/undomanager.h"
#include "model/undosuspender.h"

IMPLEMENT_DYNAMIC(CTarnwickModel, CObject)

namespace {

CTarnwickModel* g_currentModel = nullptr;

}  // namespace

CTarnwickModel* GetCurrentModel()
{
    return g_currentModel;
}

CTarnwickModel* SetCurrentModel(CTarnwickModel* model)
{
    CTarnwickModel* const previous = g_currentModel;
    g_currentModel = model;
    if (model != nullptr && model->GetUndoManager() != nullptr) {
        SetCurrentUndoManager(model->GetUndoManager());
    }
    return previous;
}

CurrentModelScope::CurrentModelScope() : m_previousModel(GetCurrentModel())
{
}

CurrentModelScope::CurrentModelScope(CTarnwickModel* model) : CurrentModelScope()
{
    SetCurrentModel(model);
}

CurrentModelScope::~CurrentModelScope()
{
    // The undo manager follows the model rather than being saved itself: a manager
    // saved here could be gone by now, deleted with the model that made it current.
    SetCurrentModel(m_previousModel);
}

CTarnwickModel::CTarnwickModel()
{
    InitGuid(m_modelId);
    CreateMembers();
    m_undoManager = new CUndoManager(this, CUndoManager::kDefaultStackDepth);
    if (GetCurrentUndoManager() == nullptr) {
        SetCurrentUndoManager(m_undoManager);
    }
    ListenToRootManagers(true);
    if (CLayerManager* layers = GetLayerManager()) {
        layers->SetBroadcasting(true);
    }
    m_selection.EnableNotifications(false);
}

void CTarnwickModel::CreateMembers()
{
    const CurrentModelScope scope(this);
    // A new model has no history: its first state is nothing to undo, and it must not
    // land in an operation that another model has open.
    const CUndoSuspender suspender;
    if (m_rootComponent == nullptr) {
        m_rootComponent = new CComponent;
    }
    m_rootComponent->SetModel(this);
    if (m_fontManager == nullptr) {
        m_fontManager = new CFontManager(m_rootComponent);
    }
}

CTarnwickModel::~CTarnwickModel()
{
    GetNotificationCenter().Post(kDeleteModelNotification, this);
    if (m_undoManager != nullptr) {
        m_undoManager->NotifyModelDeleted(this);
    }
    {
        const CurrentModelScope scope(this);
        const CUndoSuspender suspender;
        ListenToRootManagers(false);
        if (m_fontManager != nullptr) {
            m_fontManager->Erase();
            m_fontManager = nullptr;
        }
        if (m_rootComponent != nullptr) {
            // Erasing with recording off deletes the entities, the managers and the
            // component itself.
            m_rootComponent->Erase();
            m_rootComponent = nullptr;
        }
    }
    delete m_undoManager;
    m_undoManager = nullptr;
    delete m_backReferences;
    m_backReferences = nullptr;
    if (g_currentModel == this) {
        g_currentModel = nullptr;
    }
}

void CTarnwickModel::ListenToRootManagers(bool listen)
{
    if (m_undoManager == nullptr) {
        return;
    }
    CDBListener* const listeners[] = {GetMaterialManager(), GetLayerManager()};
    for (CDBListener* listener : listeners) {
        if (listener == nullptr) {
            continue;
        }
        if (listen) {
            m_undoManager->AddDBListener(listener);
        } else {
            m_undoManager->RemoveDBListener(listener);
        }
    }
}

int CTarnwickModel::Release()
{
    if (m_refCount == 0) {
        std::fputs("CTarnwickModel::Release called with reference count == 0\n", stdout);
        return 0;
    }
    if (--m_refCount > 0) {
        return m_refCount;
    }
    const CUndoSuspender suspender;
    delete this;
    return 0;
}

void CTarnwickModel::MakeCurrent()
{
    SetCurrentModel(this);
}

void CTarnwickModel::Clear()
{
    // The erased entities must reach this model's undo manager, not another's.
    const CurrentModelScope scope(this);
    if (m_undoManager != nullptr) {
        m_undoManager->NotifyModelCleared(this);
        m_undoManager->Reset();
    }
    while (!m_activePath.IsEmpty()) {
        if (CComponent* active = GetActiveComponent()) {
            active->ResetEditTransform();
        }
        m_activePath.Pop();
    }
    ResetEntityIdCounter();
    // The selection would otherwise keep pointers to the entities erased below.
    m_selection.Clear(false);
    ListenToRootManagers(false);
    if (m_rootComponent != nullptr) {
        m_rootComponent->Clear();
    }
    ListenToRootManagers(true);
    m_description.Empty();
    InitGuid(m_modelId);
    m_displayAxes = true;
    for (std::int32_t& word : m_reserved) {
        word = 0;
    }
    delete m_backReferences;
    m_backReferences = nullptr;
    SetDisplayAxes(true);
}

CMaterialManager* CTarnwickModel::GetMaterialManager() const
{
    return m_rootComponent != nullptr ? m_rootComponent->GetMaterialManager() : nullptr;
}

CLayerManager* CTarnwickModel::GetLayerManager() const
{
    return m_rootComponent != nullptr ? m_rootComponent->GetLayerManager() : nullptr;
}

CBackReferenceMap* CTarnwickModel::GetEntitySet()
{
    if (m_backReferences == nullptr) {
        m_backReferences = new CBackReferenceMap;
    }
    return m_backReferences;
}

bool CTarnwickModel::IsActivePath(const CInstancePath& path) const
{
    return path == m_activePath;
}

CDefinitionList* CTarnwickModel::GetDefinitionList() const
{
    return m_rootComponent != nullptr ? m_rootComponent->GetDefinitionList() : nullptr;
}

CComponentInstance* CTarnwickModel::GetActiveInstance() const
{
    return m_activePath.IsEmpty() ? nullptr : m_activePath.GetInstance(m_activePath.GetCount() - 1);
}

CComponent* CTarnwickModel::GetActiveComponent() const
{
    const CComponentInstance* instance = GetActiveInstance();
    if (instance != nullptr && instance->GetDefinition() != nullptr) {
        return instance->GetDefinition();
    }
    return m_rootComponent;
}

const CTransformation& CTarnwickModel::GetActiveTransform() const
{
    static const CTransformation identity;
    const CComponent* const component = GetActiveComponent();
    return component != nullptr ? component->GetEditTransform() : identity;
}

CDrawingElement* CTarnwickModel::AddEntity(CDrawingElement* entity)
{
    CComponent* const component = GetActiveComponent();
    return component != nullptr ? component->AddEntity(entity) : entity;
}

std::int32_t CTarnwickModel::GetReservedWord(int index) const
{
    return index >= 0 && index < kReservedWordCount ? m_reserved[index] : 0;
}

void CTarnwickModel::SetDisplayAxes(bool display)
{
    m_displayAxes = display;
}
