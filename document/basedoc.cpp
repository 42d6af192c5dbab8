#include "document/basedoc.h"

#include <vector>

#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/definitionlist.h"
#include "document/doctoolmanager.h"
#include "document/materialmanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/thumbnail.h"
#include "model/drawingelement.h"
#include "model/entityset.h"
#include "model/undomanager.h"
#include "model/undooperation.h"

namespace {

// Operations that leave the active component's instance data as it is.
constexpr int kNameIdKeepInstanceDataA = 20536;
constexpr int kNameIdKeepInstanceDataB = 20538;
// The tool that the colour-by-layer display ends.
constexpr int kToolIdPaintByLayer = 21255;

constexpr int kCommitDropThumbnails = 0x40;
constexpr int kCommitUpdateViews = 0x02;
constexpr int kCommitKeepIdentifiers = 0x04;
constexpr int kCommitKeepEmptied = 0x08;
constexpr int kCommitKeepUnused = 0x10;
constexpr int kCommitRecomputeSolids = 0x20;
constexpr int kCommitTypeChanged = 0x80;

constexpr int kSectionPlanesShown = 1;
constexpr int kSectionCutsShown = 2;

bool KeepsInstanceData(int nameId)
{
    return nameId == kNameIdKeepInstanceDataA || nameId == kNameIdKeepInstanceDataB;
}

// The touched components of the operation just kept, with every component that holds
// an instance of a touched definition, and theirs in turn.
std::vector<CComponent*> CollectTouched(CUndoManager* undo, int code)
{
    CEntitySet touched;
    if (undo != nullptr && code == kDBCommitKept && !undo->GetUndoStack().empty()) {
        undo->GetUndoStack().back()->CollectTouchedComponents(touched);
    }
    std::vector<CEntity*> entities;
    touched.ToVector(entities);
    for (CEntity* entity : entities) {
        if (const auto* definition = dynamic_cast<CComponentDefinition*>(entity)) {
            definition->CollectHolders(touched, true);
        }
    }
    entities.clear();
    touched.ToVector(entities);
    std::vector<CComponent*> components;
    for (CEntity* entity : entities) {
        if (auto* component = dynamic_cast<CComponent*>(entity)) {
            components.push_back(component);
        }
    }
    return components;
}

}  // namespace

CBaseDoc::CBaseDoc()
{
    ListenToUndoManager(true);
    GetNotificationCenter().AddObserver(kRenderingOptionsChangeNotification, this);
    GetNotificationCenter().AddObserver(kShadowNotification, this);
}

CBaseDoc::~CBaseDoc()
{
    GetNotificationCenter().RemoveObserver(this);
    SetToolManager(nullptr);
    ListenToUndoManager(false);
}

void CBaseDoc::ListenToUndoManager(bool listen)
{
    CUndoManager* undo = m_model.GetUndoManager();
    if (undo == nullptr) {
        return;
    }
    if (listen) {
        undo->AddDBListener(this);
    } else {
        undo->RemoveDBListener(this);
    }
}

void CBaseDoc::SetToolManager(IDocToolManager* toolManager)
{
    if (toolManager == m_toolManager) {
        return;
    }
    CUndoManager* undo = m_model.GetUndoManager();
    if (m_toolManager != nullptr) {
        if (undo != nullptr) {
            undo->RemoveDBListener(m_toolManager->GetDBListener());
        }
        m_model.GetSelectionSet().RemoveObserver(m_toolManager->GetSelectionObserver());
        m_toolManager->Shutdown();
    }
    m_toolManager = toolManager;
    if (m_toolManager == nullptr) {
        return;
    }
    // The tool manager hears each event before the document does.
    ListenToUndoManager(false);
    if (undo != nullptr) {
        undo->AddDBListener(m_toolManager->GetDBListener());
    }
    ListenToUndoManager(true);
    m_model.GetSelectionSet().AddObserver(m_toolManager->GetSelectionObserver());
}

void CBaseDoc::Activate()
{
    m_model.MakeCurrent();
    if (m_toolManager != nullptr) {
        m_toolManager->Activate();
    }
}

void CBaseDoc::DeleteContents()
{
    if (m_toolManager != nullptr) {
        m_toolManager->Reset();
    }
    m_model.GetSelectionSet().Clear(false);
    m_model.Clear();
}

void CBaseDoc::DeleteSectionCuts()
{
    // The cached cuts point at the entities they were made from.
    std::vector<CDrawingElement*> planes;
    m_model.CollectActiveSectionPlanes(planes);
    for (CDrawingElement* plane : planes) {
        if (auto* section = dynamic_cast<CSectionPlane*>(plane)) {
            section->DeleteSlice();
        }
    }
}

void CBaseDoc::ToggleSectionCuts()
{
    CRenderingOptions* rendering = m_model.GetRenderingOptions();
    if (rendering == nullptr) {
        return;
    }
    rendering->ToggleSectionDisplay(kSectionCutsShown);
    if ((rendering->GetSectionFlags() & kSectionCutsShown) != 0) {
        DeleteSectionCuts();
    }
    UpdateAllViews();
}

void CBaseDoc::ToggleSectionPlanes()
{
    CRenderingOptions* rendering = m_model.GetRenderingOptions();
    if (rendering == nullptr) {
        return;
    }
    rendering->ToggleSectionDisplay(kSectionPlanesShown);
    if ((rendering->GetSectionFlags() & kSectionPlanesShown) == 0) {
        CSelectionSet& selection = m_model.GetSelectionSet();
        selection.BeginChange();
        std::vector<CEntity*> selected;
        selection.ToVector(selected);
        for (CEntity* entity : selected) {
            if (dynamic_cast<CSectionPlane*>(entity) != nullptr) {
                selection.Remove(entity, true);
            }
        }
        selection.EndChange();
    }
    UpdateAllViews();
}

void CBaseDoc::OnOperationStarted(int /*code*/, int nameId)
{
    // Starting may free what the redo stack held as erased, which a cut may name.
    DeleteSectionCuts();
    if (!KeepsInstanceData(nameId)) {
        if (CComponent* active = m_model.GetActiveComponent()) {
            active->InvalidateBounds();
        }
    }
    m_model.GetSelectionSet().BeginChange();
}

void CBaseDoc::OnEntityErased(CEntity* entity)
{
    if (dynamic_cast<CDrawingElement*>(entity) != nullptr) {
        m_model.GetSelectionSet().Remove(entity, true);
    }
}

void CBaseDoc::OnEntityRemoved(CEntity* entity, IEntityContainer* container)
{
    auto* element = dynamic_cast<CDrawingElement*>(entity);
    if (element == nullptr || dynamic_cast<CComponent*>(container) == nullptr) {
        return;
    }
    m_model.GetSelectionSet().Remove(entity, true);
    element->OnGeometryChanged();
}

void CBaseDoc::OnOperationCommitted(int code, int nameId, int flags)
{
    RefreshTouchedComponents(code, flags);
    DeleteSectionCuts();
    if ((flags & kCommitRecomputeSolids) != 0 && m_model.GetRootComponent() != nullptr) {
        m_model.GetRootComponent()->SetShadowState(0, true);
    }
    if (!KeepsInstanceData(nameId)) {
        if (CComponent* active = m_model.GetActiveComponent()) {
            active->InvalidateBounds();
        }
    }
    if ((flags & kCommitUpdateViews) != 0) {
        UpdateAllViews();
    }
    if ((flags & kCommitTypeChanged) != 0) {
        GetNotificationCenter().Post(kComponentTypeChangeNotification, &m_model);
    }
    if (code != 1 && code != kDBCommitDropped) {
        GetNotificationCenter().Post(kLoadedComponentsChangedNotification, &m_model);
    }
    m_model.GetSelectionSet().EndChange();
    FreeShadowDisplayData();
}

void CBaseDoc::RefreshTouchedComponents(int code, int flags)
{
    const std::vector<CComponent*> touched = CollectTouched(m_model.GetUndoManager(), code);
    if (touched.empty()) {
        return;
    }
    for (CComponent* component : touched) {
        auto* definition = dynamic_cast<CComponentDefinition*>(component);
        if (definition != nullptr && (flags & kCommitDropThumbnails) != 0) {
            if (auto* thumbnail = dynamic_cast<CThumbnail*>(definition->GetThumbnail())) {
                thumbnail->SetImage(nullptr);
            }
        }
        component->SetShadowState(0, false);
        component->InvalidateBounds();
    }
    if (code != kDBCommitKept) {
        return;
    }
    // Identifiers first: the purges below may delete touched definitions.
    if ((flags & kCommitKeepIdentifiers) == 0) {
        for (CComponent* component : touched) {
            if (auto* definition = dynamic_cast<CComponentDefinition*>(component)) {
                definition->NewGuid();
            }
        }
    }
    if ((flags & kCommitKeepEmptied) == 0) {
        // The definition the user is editing stays even while it is empty.
        if (CDefinitionList* definitions = m_model.GetDefinitionList()) {
            definitions->PurgeEmptyDefinitions(m_model.GetActivePath());
        }
    }
    if ((flags & kCommitKeepUnused) == 0) {
        if (CDefinitionList* definitions = m_model.GetDefinitionList()) {
            definitions->PurgeUnused(true);
        }
        if (CMaterialManager* materials = m_model.GetMaterialManager()) {
            materials->PurgeUnused();
        }
    }
}

void CBaseDoc::OnNotify(const std::string& name, void* data)
{
    if (name != kRenderingOptionsChangeNotification) {
        return;
    }
    if (const auto* change = static_cast<const CRenderingOptionsChange*>(data)) {
        if (change->id == 1 || change->id == 4) {
            DeleteSectionCuts();
        } else if (change->id == kRenderingColorByLayer && change->options != nullptr &&
                   change->options->IsColorByLayer() && m_toolManager != nullptr &&
                   m_toolManager->GetActiveToolId() == kToolIdPaintByLayer) {
            m_toolManager->PopTool();
        }
    }
    FreeShadowDisplayData();
}

void CBaseDoc::FreeShadowDisplayData()
{
    if (CShadowInfo* shadow = m_model.GetShadowInfo()) {
        shadow->DeleteDisplayList();
        shadow->DeleteSecondDisplayList();
    }
}
