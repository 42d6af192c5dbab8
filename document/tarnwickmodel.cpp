#include "document/tarnwickmodel.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "annotations/dimensionstyle.h"
#include "annotations/sectionplane.h"
#include "annotations/textstyle.h"
#include "annotations/watermark.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentcs.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/dib.h"
#include "document/drawingwork.h"
#include "document/removalbatch.h"
#include "document/fontmanager.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/modelpages.h"
#include "document/optionsmanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "drawapi/drawingbase.h"
#include "foundation/modelid.h"
#include "foundation/notificationcenter.h"
#include "foundation/typedvalue.h"
#include "model/backreferencemap.h"
#include "model/relationshipmap.h"
#include "model/undomanager.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "model/vertex.h"
#include "model/wholemodelrelease.h"
#include "platform/heaptrim.h"
#include "platform/quitrequest.h"

IMPLEMENT_SERIAL(CTarnwickModel, CObject, VERSIONABLE_SCHEMA | 12)

namespace {

CTarnwickModel* g_currentModel = nullptr;

// The fonts of an emptied model's texts went with them; kept, they would be saved with the
// next file, which never named them. The styles' fonts stay: they are the new model's own
// until a read replaces them.
void EraseFontsTheStylesDoNotHold(CFontManager* fonts, const CEntity* textFont, const CEntity* dimensionFont)
{
    if (fonts == nullptr) {
        return;
    }
    std::vector<CEntity*> unheld;
    for (int i = 0; i < fonts->GetCount(); ++i) {
        CEntity* font = fonts->GetAt(i);
        if (font != nullptr && font != textFont && font != dimensionFont) {
            unheld.push_back(font);
        }
    }
    for (CEntity* font : unheld) {
        if (fonts->Remove(font)) {
            font->Erase();
        }
    }
}
// The entities the root component takes before its list first grows.
constexpr std::size_t kRootRoom = 1024;

// Messages of the model-level check for a member the model lacks.
enum ModelCheckMessage : int
{
    kMsgNoLayerManager = 21889,
    kMsgNoMaterialManager = 21890,
    kMsgNoRenderingOptions = 21892,
    kMsgNoShadowInfo = 21893,
    kMsgNoDrawingAxes = 21894,
    kMsgNoRootComponent = 21895,
    kMsgNoFontManager = 21905
};

bool IsIn(const std::vector<CObject*>& sorted, const CObject* object)
{
    return object != nullptr && std::binary_search(sorted.begin(), sorted.end(), object);
}

// Removes, without erasing, every element of the container that is in the set.
void ForgetIn(IEntityContainer* container, const std::vector<CObject*>& sorted)
{
    if (container == nullptr) {
        return;
    }
    for (int i = container->GetCount() - 1; i >= 0; --i) {
        CEntity* held = container->GetAt(i);
        if (IsIn(sorted, held)) {
            container->Remove(held);
        }
    }
}

// Checks one member; a missing one is logged with its message and counts as broken.
int CheckMember(CEntity* member, int missingMessage, int mode, CValidityResultMap& results)
{
    if (member == nullptr) {
        AppendValidityMessage("Message %d: the model lacks one of its managers.\n", missingMessage);
        return kValidityBroken;
    }
    return member->CheckValidity(mode, &results);
}

CSectionPlane* AsSectionPlane(CDrawingElement* element)
{
    return dynamic_cast<CSectionPlane*>(element);
}

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
    ResetCamera();
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
        m_rootComponent->ReserveEntities(kRootRoom);
    }
    if (m_behavior == nullptr) {
        m_behavior = new CComponentBehavior;
    }
    if (m_drawingAxes == nullptr) {
        m_drawingAxes = new CTarnisCS;
    }
    if (m_componentAxes == nullptr) {
        m_componentAxes = new CComponentCS(nullptr, false, false, true, false, CComponentCS::kDefaultSize);
    }
    if (m_rendering == nullptr) {
        m_rendering = new CRenderingOptions;
    }
    if (m_shadow == nullptr) {
        m_shadow = new CShadowInfo;
    }
    if (m_options == nullptr) {
        m_options = CreateOptionsManager();
    }
    if (m_pageList == nullptr) {
        m_pageList = modelpages::CreatePageList(this);
    }
    if (m_fontManager == nullptr) {
        m_fontManager = new CFontManager(m_rootComponent);
    }
    if (m_dimensionStyle == nullptr) {
        m_dimensionStyle = new CDimensionStyle(this);
    }
    if (m_textStyle == nullptr) {
        m_textStyle = new CTextStyle(this);
    }
    m_rootComponent->SetModel(this);
    m_shadow->SetModel(this);
    m_rendering->SetModel(this);
}

void CTarnwickModel::AddWatermark(CWatermark* watermark)
{
    if (watermark != nullptr && std::find(m_watermarks.begin(), m_watermarks.end(), watermark) == m_watermarks.end()) {
        m_watermarks.push_back(watermark);
    }
}

CTarnwickModel::~CTarnwickModel()
{
    GetNotificationCenter().Post(kDeleteModelNotification, this);
    if (m_abandoned) {
        if (g_currentModel == this) {
            g_currentModel = nullptr;
        }
        return;
    }
    if (m_undoManager != nullptr) {
        m_undoManager->NotifyModelDeleted(this);
    }
    DeleteMembers();
    SetPreviewImage(nullptr);
    delete m_undoManager;
    m_undoManager = nullptr;
    delete m_backReferences;
    m_backReferences = nullptr;
    if (g_currentModel == this) {
        g_currentModel = nullptr;
    }
}

void CTarnwickModel::AbandonAtExit()
{
    if (m_abandoned) {
        return;
    }
    m_abandoned = true;
    if (m_undoManager != nullptr) {
        m_undoManager->EndLogAtExit();
    }
}

void CTarnwickModel::DeleteMembers()
{
    const CurrentModelScope scope(this);
    // Erasing with recording off deletes each member with what it holds; the entities
    // go as a whole, as in Clear.
    const CWholeModelRelease release;
    ListenToRootManagers(false);
    modelpages::ErasePageList(m_pageList);
    m_pageList = nullptr;
    for (CWatermark* watermark : m_watermarks) {
        watermark->Erase();
    }
    m_watermarks.clear();
    if (m_shadow != nullptr) {
        m_shadow->Erase();
        m_shadow = nullptr;
    }
    if (m_rendering != nullptr) {
        m_rendering->Erase();
        m_rendering = nullptr;
    }
    delete m_options;
    m_options = nullptr;
    if (m_componentAxes != nullptr) {
        m_componentAxes->Erase();
        m_componentAxes = nullptr;
    }
    if (m_drawingAxes != nullptr) {
        m_drawingAxes->Erase();
        m_drawingAxes = nullptr;
    }
    if (m_behavior != nullptr) {
        m_behavior->Erase();
        m_behavior = nullptr;
    }
    if (m_dimensionStyle != nullptr) {
        m_dimensionStyle->SetFont(nullptr, false);
        m_dimensionStyle->Erase();
        m_dimensionStyle = nullptr;
    }
    if (m_textStyle != nullptr) {
        m_textStyle->SetFont(nullptr, false);
        m_textStyle->Erase();
        m_textStyle = nullptr;
    }
    if (m_rootComponent != nullptr) {
        m_rootComponent->Erase();
        m_rootComponent = nullptr;
    }
    if (m_fontManager != nullptr) {
        m_fontManager->Erase();
        m_fontManager = nullptr;
    }
    DeleteLooseVertices();
}

void CTarnwickModel::DeleteLooseVertices()
{
    for (CVertex* vertex : m_looseVertices) {
        delete vertex;
    }
    m_looseVertices.clear();
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
    if (m_options != nullptr) {
        m_options->MakeCurrent();
    }
}

std::uint64_t CTarnwickModel::GetDrawingWork()
{
    if (!m_drawingWorkKnown && m_rootComponent != nullptr) {
        SetDrawingWork(
            CDrawingWork::Count(*m_rootComponent, true, CDrawingWork::ShownBy(m_rendering, m_shadow, m_pageList)));
    }
    return m_drawingWork;
}

void CTarnwickModel::Clear()
{
    m_drawingWorkKnown = false;
    m_drawingWork = 0;
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
    ResetSettings();
    ListenToRootManagers(false);
    if (m_rootComponent != nullptr) {
        const CWholeModelRelease release;
        m_rootComponent->Clear();
    }
    DeleteLooseVertices();
    ListenToRootManagers(true);
    EraseFontsTheStylesDoNotHold(m_fontManager, m_textStyle != nullptr ? m_textStyle->PeekFont() : nullptr,
                                 m_dimensionStyle != nullptr ? m_dimensionStyle->PeekFont() : nullptr);
    EraseMemberAttributes();
    m_description.Empty();
    InitGuid(m_modelId);
    m_displayAxes = true;
    std::fill(std::begin(m_reserved), std::end(m_reserved), 0);
    SetPreviewImage(nullptr);
    delete m_backReferences;
    m_backReferences = nullptr;
    ResetCamera();
    SetDisplayAxes(true);
    // An emptied model should not keep the process as large as the model was; a process
    // asked to end gives everything back by ending, and what is left pending gives it
    // back when it has gone.
    if (!CQuitRequest::IsRequested() && !CWholeModelRelease::IsPending()) {
        ReturnFreeHeapToSystem();
    }
}

void CTarnwickModel::ResetSettings()
{
    modelpages::ClearPageList(m_pageList);
    // Reading sets only the options a file names: the next file keeps none of another's,
    // nor of a read that failed part way.
    if (m_options != nullptr) {
        for (int i = 0; i < m_options->GetProviderCount(); ++i) {
            m_options->GetProviderAt(i)->ResetToDefaults();
        }
    }
    if (m_shadow != nullptr) {
        m_shadow->Reset();
    }
    if (m_rendering != nullptr) {
        m_rendering->Reset();
    }
    if (m_componentAxes != nullptr) {
        m_componentAxes->Reset();
    }
    if (m_drawingAxes != nullptr) {
        m_drawingAxes->Reset();
    }
    if (m_behavior != nullptr) {
        m_behavior->Reset();
    }
}

// The members live on from file to file; the attributes a file gave them go with it,
// or an emptied model would keep them and the next read drop them unfreed.
void CTarnwickModel::EraseMemberAttributes()
{
    const CUndoSuspender suspender;
    CEntity* const members[] = {m_drawingAxes,  m_componentAxes,    m_rootComponent, GetLayerManager(),
                                GetMaterialManager(), GetDefinitionList(), m_rendering, m_shadow,
                                m_behavior,     m_textStyle,        m_dimensionStyle, m_fontManager,
                                modelpages::AsEntity(m_pageList)};
    for (CEntity* member : members) {
        if (member != nullptr) {
            member->EraseAttributes();
        }
    }
}

void CTarnwickModel::ResetCamera()
{
    m_camera.SetView(CPoint3d(0.0, 0.0, 500.0), CPoint3d(0.0, 0.0, 0.0), CVector3d(0.0, 1.0, 0.0), 1.0, 1000.0,
                     true, 30.0, 133.0);
}

void CTarnwickModel::SetShadowInfo(const CShadowInfo& shadow)
{
    if (m_shadow == nullptr) {
        return;
    }
    *m_shadow = shadow;
    PostShadowNotification(kShadowAssigned, m_shadow);
}

void CTarnwickModel::SetPreviewImage(CDib* image)
{
    if (image == m_preview) {
        return;
    }
    if (image != nullptr) {
        image->AddUse();
    }
    if (CDib* const previous = std::exchange(m_preview, image)) {
        (void)previous->ReleaseUse();
    }
}

CMaterialManager* CTarnwickModel::GetMaterialManager() const
{
    return m_rootComponent != nullptr ? m_rootComponent->GetMaterialManager() : nullptr;
}

CLayerManager* CTarnwickModel::GetLayerManager() const
{
    return m_rootComponent != nullptr ? m_rootComponent->GetLayerManager() : nullptr;
}

CDefinitionList* CTarnwickModel::GetDefinitionList() const
{
    return m_rootComponent != nullptr ? m_rootComponent->GetDefinitionList() : nullptr;
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

CComponentInstance* CTarnwickModel::GetActiveInstance() const
{
    return m_activePath.IsEmpty() ? nullptr : m_activePath.GetInstance(m_activePath.GetCount() - 1);
}

bool CTarnwickModel::OpenInstance(CComponentInstance* instance)
{
    if (instance == nullptr || instance->GetDefinition() == nullptr ||
        instance->GetParentComponent() != GetActiveComponent()) {
        return false;
    }
    m_activePath.Push(instance);
    PlaceComponentAxes();
    return true;
}

void CTarnwickModel::CloseInstance()
{
    if (m_activePath.IsEmpty()) {
        return;
    }
    if (CComponent* active = GetActiveComponent()) {
        active->ResetEditTransform();
    }
    m_activePath.Pop();
    PlaceComponentAxes();
}

// The axes of the open definition where the open path shows them; the model's origin
// while nothing is open.
void CTarnwickModel::PlaceComponentAxes()
{
    if (m_componentAxes == nullptr) {
        return;
    }
    CTransformation placement;
    m_activePath.GetTransform(placement);
    if (const CComponentInstance* instance = GetActiveInstance()) {
        placement = placement * instance->GetDefinition()->GetComponentTransform();
    }
    const CUndoSuspender suspender;
    m_componentAxes->SetFromTransform(placement);
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

CDrawingElement* CTarnwickModel::GetActiveSectionPlane() const
{
    const CComponent* component = GetActiveComponent();
    return component != nullptr ? component->GetActiveSectionPlane() : nullptr;
}

void CTarnwickModel::SetActiveSectionPlane(CDrawingElement* plane)
{
    if (CComponent* component = GetActiveComponent()) {
        component->SetActiveSectionPlane(plane);
    }
}

void CTarnwickModel::CollectActiveSectionPlanes(std::vector<CDrawingElement*>& planes) const
{
    if (m_rendering == nullptr || (m_rendering->GetSectionFlags() & 2) == 0 || m_rootComponent == nullptr) {
        return;
    }
    if (CDrawingElement* plane = m_rootComponent->GetActiveSectionPlane()) {
        planes.push_back(plane);
    }
    if (const CDefinitionList* definitions = GetDefinitionList()) {
        for (const CComponentDefinition* definition : definitions->GetDefinitions()) {
            if (CDrawingElement* plane = definition->GetActiveSectionPlane()) {
                planes.push_back(plane);
            }
        }
    }
}

void CTarnwickModel::RestoreActiveSectionPlanes(const std::vector<CDrawingElement*>& planes)
{
    std::vector<CComponent*> components;
    if (m_rootComponent != nullptr) {
        components.push_back(m_rootComponent);
    }
    if (const CDefinitionList* definitions = GetDefinitionList()) {
        components.insert(components.end(), definitions->GetDefinitions().begin(),
                          definitions->GetDefinitions().end());
    }
    for (CComponent* component : components) {
        if (component->GetActiveSectionPlane() != nullptr) {
            component->SetActiveSectionPlane(nullptr);
        }
    }
    for (CDrawingElement* plane : planes) {
        if (auto* owner = dynamic_cast<CComponent*>(plane != nullptr ? plane->GetParent() : nullptr)) {
            owner->SetActiveSectionPlane(plane);
        }
    }
}

namespace {

// The components of the active path from the outermost: the root component, then each
// instance's definition; the last is the active component.
std::vector<CComponent*> PathComponents(CComponent* root, const CInstancePath& path)
{
    std::vector<CComponent*> components;
    if (root != nullptr) {
        components.push_back(root);
    }
    for (int i = 0; i < path.GetCount(); ++i) {
        const CComponentInstance* instance = path.GetInstance(i);
        if (instance != nullptr && instance->GetDefinition() != nullptr) {
            components.push_back(instance->GetDefinition());
        }
    }
    return components;
}

}  // namespace

void CTarnwickModel::ApplySectionPlanes(IDrawingBase& context, bool includeActive) const
{
    if (m_rendering == nullptr || (m_rendering->GetSectionFlags() & 2) == 0) {
        return;
    }
    std::vector<CComponent*> components = PathComponents(m_rootComponent, m_activePath);
    if (!includeActive && !components.empty()) {
        components.pop_back();
    }
    for (const CComponent* component : components) {
        if (CSectionPlane* plane = AsSectionPlane(component->GetActiveSectionPlane())) {
            context.PushSectionFilter(plane, true);
        }
    }
}

void CTarnwickModel::RemoveSectionPlanes(IDrawingBase& context, bool includeActive) const
{
    if (m_rendering == nullptr || (m_rendering->GetSectionFlags() & 2) == 0) {
        return;
    }
    std::vector<CComponent*> components = PathComponents(m_rootComponent, m_activePath);
    if (!includeActive && !components.empty()) {
        components.pop_back();
    }
    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        if (CSectionPlane* plane = AsSectionPlane((*it)->GetActiveSectionPlane())) {
            context.PopSectionFilter(plane);
        }
    }
}

std::int32_t CTarnwickModel::GetReservedWord(int index) const
{
    return index >= 0 && index < kReservedWordCount ? m_reserved[index] : 0;
}

void CTarnwickModel::SetDisplayAxes(bool display)
{
    m_displayAxes = display;
    if (m_options != nullptr) {
        orvell::utils::CTypedValue value;
        value.SetBool(display);
        m_options->SetValue(CString("AxisOptions"), CString("DisplayAxes"), value);
    }
}

void CTarnwickModel::FreeDisplayResources()
{
    if (CMaterialManager* materials = GetMaterialManager()) {
        materials->ReleaseTextures();
    }
    if (CLayerManager* layers = GetLayerManager()) {
        layers->ReleaseLayerTextures();
    }
    if (m_fontManager != nullptr) {
        m_fontManager->ReleaseDisplayResources();
    }
    if (m_rootComponent != nullptr) {
        const CUndoSuspender suspender;
        m_rootComponent->OnGeometryChanged();
    }
    if (m_shadow != nullptr) {
        m_shadow->DeleteDisplayList();
        m_shadow->DeleteSecondDisplayList();
    }
}

int CTarnwickModel::FixValidityErrors(int mode, bool repair)
{
    const CValidityCheckScope checking;
    m_checking = true;
    const int checkMode = repair ? kValidityModeRepair : mode;
    CValidityResultMap results;
    int worst = kValiditySound;
    const auto take = [&worst](int severity) { worst = std::max(worst, severity); };
    take(CheckMember(GetLayerManager(), kMsgNoLayerManager, checkMode, results));
    take(CheckMember(GetMaterialManager(), kMsgNoMaterialManager, checkMode, results));
    take(CheckMember(m_fontManager, kMsgNoFontManager, checkMode, results));
    take(CheckMember(m_rendering, kMsgNoRenderingOptions, checkMode, results));
    take(CheckMember(m_shadow, kMsgNoShadowInfo, checkMode, results));
    take(CheckMember(m_drawingAxes, kMsgNoDrawingAxes, checkMode, results));
    if (CDefinitionList* definitions = GetDefinitionList()) {
        take(definitions->CheckValidity(checkMode, &results));
    }
    take(CheckMember(m_rootComponent, kMsgNoRootComponent, checkMode, results));
    take(modelpages::CheckPageList(m_pageList, checkMode, results));
    m_checking = false;
    return worst;
}

void CTarnwickModel::ForgetObjects(const std::vector<CObject*>& sortedObjects)
{
    const CUndoSuspender suspender;
    if (IsIn(sortedObjects, m_preview)) {
        m_preview = nullptr;
    }
    // All of them came from the table.
    m_looseVertices.clear();
    if (m_textStyle != nullptr && IsIn(sortedObjects, m_textStyle->PeekFont())) {
        m_textStyle->SetFont(nullptr, false);
    }
    if (m_dimensionStyle != nullptr && IsIn(sortedObjects, m_dimensionStyle->PeekFont())) {
        m_dimensionStyle->SetFont(nullptr, false);
    }
    ForgetIn(m_fontManager, sortedObjects);
    modelpages::ForgetPages(m_pageList, sortedObjects);
    // The axes keep no material or layer; one a read cut short left on them goes while
    // it still lives, whoever frees it (the discard, or the managers' clearing after).
    for (CTarnisCS* axes : {m_drawingAxes, static_cast<CTarnisCS*>(m_componentAxes)}) {
        if (axes != nullptr) {
            axes->KeepNoReferences();
        }
    }
    if (m_rootComponent == nullptr) {
        return;
    }
    if (IsIn(sortedObjects, m_rootComponent->GetActiveSectionPlane())) {
        m_rootComponent->SetActiveSectionPlane(nullptr);
    }
    if (IsIn(sortedObjects, m_rootComponent->GetMaterial())) {
        m_rootComponent->SetMaterial(nullptr);
    }
    if (IsIn(sortedObjects, m_rootComponent->GetLayer())) {
        m_rootComponent->SetLayer(nullptr);
    }
    // One by one, each removal would search the list: a refused file of a few hundred
    // thousand elements took minutes to let go of.
    {
        const CRemovalBatch batch(m_rootComponent);
        ForgetIn(m_rootComponent, sortedObjects);
    }
    ForgetIn(m_rootComponent->GetRelationshipMap(), sortedObjects);
    if (CDefinitionList* definitions = m_rootComponent->GetDefinitionList()) {
        (void)definitions->ForgetWhere(
            [&sortedObjects](const CComponentDefinition* definition) { return IsIn(sortedObjects, definition); });
    }
    ForgetIn(m_rootComponent->GetMaterialManager(), sortedObjects);
    ForgetIn(m_rootComponent->GetLayerManager(), sortedObjects);
}
