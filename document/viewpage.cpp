#include "document/viewpage.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "annotations/sectionplane.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/definitionlist.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/pagemessages.h"
#include "document/pageoptions.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/slideshowoptions.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "drawapi/tarnisview.h"
#include "foundation/notificationcenter.h"
#include "model/drawingelement.h"
#include "model/undosuspender.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CViewPage, CTarnwickPage, VERSIONABLE_SCHEMA | 9)

namespace {

// Used from the UI thread only.
PageTransitionFactory g_transitionFactory = nullptr;

// A transition time within this of zero means no animation.
constexpr double kNoTransitionTime = 0.001;

template <typename T>
void EraseValue(std::vector<T*>& list, const CEntity* entity)
{
    list.erase(std::remove(list.begin(), list.end(), entity), list.end());
}

// A page's settings own their attributes: the copy gets its own, as each is freed with
// the page that holds it.
template <typename T>
T* CopyOwned(const T* source)
{
    if (source == nullptr) {
        return nullptr;
    }
    const CUndoSuspender suspender;
    T* copy = new T(*source);
    copy->SetAttributeContainer(nullptr);
    copy->CopyAttributesFrom(source, false);
    return copy;
}

void DeleteOwned(CEntity* owned)
{
    if (owned != nullptr) {
        // The page's own undo record keeps copies; the attributes go with the object.
        const CUndoSuspender suspender;
        owned->Discard();
    }
}

}  // namespace

void SetPageTransitionFactory(PageTransitionFactory factory)
{
    g_transitionFactory = factory;
}

CViewPage::CViewPage() = default;

CViewPage::CViewPage(const CString& name, const CString& description, std::int32_t propertyMask)
    : CTarnwickPage(name, description), m_propertyMask(propertyMask)
{
}

CViewPage::CViewPage(const CViewPage& other)
    : CTarnwickPage(other),
      m_propertyMask(other.m_propertyMask),
      m_camera(other.m_camera),
      m_renderingOptions(CopyOwned(other.m_renderingOptions)),
      m_shadowInfo(CopyOwned(other.m_shadowInfo)),
      m_axes(CopyOwned(other.m_axes)),
      m_axesDisplayed(other.m_axesDisplayed),
      m_hidden(other.m_hidden),
      m_hiddenSet(other.m_hiddenSet),
      m_layers(other.m_layers),
      m_sectionPlanes(other.m_sectionPlanes),
      m_includedInAnimation(other.m_includedInAnimation),
      m_secondSwitch(other.m_secondSwitch),
      m_transitionTime(other.m_transitionTime),
      m_slideTime(other.m_slideTime),
      m_attached(false)
{
}

CViewPage::~CViewPage()
{
    DeleteOwnedObjects();
}

CEntity* CViewPage::Clone() const
{
    return new CViewPage(*this);
}

void CViewPage::SwapData(CEntity& other)
{
    CTarnwickPage::SwapData(other);
    auto& page = dynamic_cast<CViewPage&>(other);
    std::swap(m_propertyMask, page.m_propertyMask);
    std::swap(m_camera, page.m_camera);
    std::swap(m_renderingOptions, page.m_renderingOptions);
    std::swap(m_shadowInfo, page.m_shadowInfo);
    std::swap(m_axes, page.m_axes);
    std::swap(m_axesDisplayed, page.m_axesDisplayed);
    std::swap(m_hidden, page.m_hidden);
    std::swap(m_hiddenSet, page.m_hiddenSet);
    std::swap(m_layers, page.m_layers);
    std::swap(m_sectionPlanes, page.m_sectionPlanes);
    std::swap(m_includedInAnimation, page.m_includedInAnimation);
    std::swap(m_secondSwitch, page.m_secondSwitch);
    std::swap(m_transitionTime, page.m_transitionTime);
    std::swap(m_slideTime, page.m_slideTime);
}

int CViewPage::GetTypeId() const
{
    return kTypeViewPage;
}

void CViewPage::Erase()
{
    RecordChange(true);
    DeleteOwnedObjects();
    CTarnwickPage::Erase();
}

void CViewPage::DeleteOwnedObjects()
{
    DeleteOwned(std::exchange(m_renderingOptions, nullptr));
    DeleteOwned(std::exchange(m_shadowInfo, nullptr));
    DeleteOwned(std::exchange(m_axes, nullptr));
}

CString CViewPage::GetTabText() const
{
    if (m_includedInAnimation) {
        return GetName();
    }
    return CString::Formatted("(%s)", GetName());
}

bool CViewPage::HasTransition() const
{
    if (!IsTransitionEnabled() || !Has(kCamera | kShadowSettings | kSectionPlanes)) {
        return false;
    }
    return std::fabs(m_transitionTime) > kNoTransitionTime;
}

IAnimation* CViewPage::CreateTransition(ITarnisView* view, CTarnwickPage* previous)
{
    if (!HasTransition() || g_transitionFactory == nullptr) {
        return nullptr;
    }
    return g_transitionFactory(view, dynamic_cast<CViewPage*>(previous), this, GetTransitionTime());
}

double CViewPage::GetTransitionTime() const
{
    return m_transitionTime >= 0.0 ? m_transitionTime : ::GetTransitionTime();
}

double CViewPage::GetSlideTime() const
{
    return m_slideTime >= 0.0 ? m_slideTime : ::GetSlideTime();
}

void CViewPage::SetRenderingOptions(const CRenderingOptions& options)
{
    if (m_renderingOptions == nullptr) {
        m_renderingOptions = new CRenderingOptions(options);
    } else {
        *m_renderingOptions = options;
    }
}

void CViewPage::SetShadowInfo(const CShadowInfo& shadow)
{
    if (m_shadowInfo == nullptr) {
        m_shadowInfo = new CShadowInfo(shadow);
    } else {
        *m_shadowInfo = shadow;
    }
}

void CViewPage::SetAxes(const CTarnisCS& axes, bool displayed)
{
    if (m_axes == nullptr) {
        m_axes = new CTarnisCS(axes);
    } else {
        *m_axes = axes;
    }
    m_axesDisplayed = displayed;
}

bool CViewPage::IsHiddenOnPage(const CDrawingElement* element) const
{
    return m_hiddenSet.count(element) != 0;
}

void CViewPage::AddHiddenElement(CDrawingElement* element)
{
    if (element != nullptr && m_hiddenSet.insert(element).second) {
        m_hidden.push_back(element);
    }
}

void CViewPage::RemoveHiddenElement(const CDrawingElement* element)
{
    if (m_hiddenSet.erase(element) != 0) {
        EraseValue(m_hidden, element);
    }
}

void CViewPage::AddVisibleLayer(CLayer* layer)
{
    if (layer != nullptr) {
        m_layers.push_back(layer);
    }
}

void CViewPage::AddSectionPlane(CSectionPlane* plane)
{
    m_sectionPlanes.push_back(plane);
}

void CViewPage::ClearStoredEntities()
{
    m_hidden.clear();
    m_hiddenSet.clear();
    m_layers.clear();
    m_sectionPlanes.clear();
}

void CViewPage::OnEntityErased(CEntity* entity)
{
    if (entity == nullptr) {
        return;
    }
    RemoveHiddenElement(dynamic_cast<const CDrawingElement*>(entity));
    EraseValue(m_layers, entity);
    EraseValue(m_sectionPlanes, entity);
}

void CViewPage::OnModelCleared(CTarnwickModel* /*model*/)
{
    ClearStoredEntities();
}

void CViewPage::CopyFromModel(ITarnisView* view, std::int32_t mask, bool honourLayerOverrides)
{
    if (view == nullptr || view->GetModel() == nullptr) {
        return;
    }
    if ((mask & m_propertyMask & kCamera) != 0) {
        view->StoreCamera();
    }
    CopyFromModel(*view->GetModel(), mask, honourLayerOverrides);
}

void CViewPage::CopyFromModel(CTarnwickModel& model, std::int32_t mask, bool honourLayerOverrides)
{
    const std::int32_t selected = mask & m_propertyMask;
    if ((selected & kCamera) != 0) {
        m_camera = model.GetCamera();
    }
    if ((selected & kRenderingOptions) != 0 && model.GetRenderingOptions() != nullptr) {
        SetRenderingOptions(*model.GetRenderingOptions());
    }
    if ((selected & kShadowSettings) != 0 && model.GetShadowInfo() != nullptr) {
        SetShadowInfo(*model.GetShadowInfo());
    }
    if ((selected & kAxes) != 0 && model.GetDrawingAxes() != nullptr) {
        SetAxes(*model.GetDrawingAxes(), model.IsDisplayAxes());
    }
    if ((selected & kSectionPlanes) != 0) {
        TakeSectionPlanes(model);
    }
    if ((selected & kHiddenElements) != 0) {
        TakeHiddenElements(model);
    }
    if ((selected & kVisibleLayers) != 0) {
        TakeLayers(model, honourLayerOverrides);
    }
}

void CViewPage::SaveModelDisplay(ITarnisView* view, std::int32_t mask)
{
    CopyFromModel(view, mask, false);
    CTarnwickModel* model = view != nullptr ? view->GetModel() : nullptr;
    if (model == nullptr || (mask & m_propertyMask & kSectionPlanes) == 0) {
        return;
    }
    m_sectionPlanes.clear();
    std::vector<CComponent*> components{model->GetRootComponent()};
    if (const CDefinitionList* definitions = model->GetDefinitionList()) {
        components.insert(components.end(), definitions->GetDefinitions().begin(), definitions->GetDefinitions().end());
    }
    for (const CComponent* component : components) {
        if (auto* plane = dynamic_cast<CSectionPlane*>(component != nullptr ? component->GetActiveSectionPlane() : nullptr)) {
            m_sectionPlanes.push_back(plane);
        }
    }
}

void CViewPage::TakeHiddenElements(CTarnwickModel& model)
{
    m_hidden.clear();
    m_hiddenSet.clear();
    std::vector<CDrawingElement*> elements;
    if (model.GetRootComponent() != nullptr) {
        model.GetRootComponent()->GetEntities(elements);
    }
    for (CDrawingElement* element : elements) {
        if (element->IsHiddenFlagSet()) {
            AddHiddenElement(element);
        }
    }
}

void CViewPage::TakeSectionPlanes(CTarnwickModel& model)
{
    std::vector<CDrawingElement*> active;
    model.CollectActiveSectionPlanes(active);
    m_sectionPlanes.clear();
    for (CDrawingElement* element : active) {
        if (auto* plane = dynamic_cast<CSectionPlane*>(element)) {
            m_sectionPlanes.push_back(plane);
        }
    }
}

void CViewPage::TakeLayers(CTarnwickModel& model, bool honourLayerOverrides)
{
    m_layers.clear();
    const CLayerManager* manager = model.GetLayerManager();
    if (manager == nullptr) {
        return;
    }
    for (CLayer* layer : manager->GetLayers()) {
        // A layer whose state differs from the state stored for pages counts as shown.
        if (!layer->MatchesPageState(honourLayerOverrides)) {
            m_layers.push_back(layer);
        }
    }
}

void CViewPage::Activate()
{
    if (CTarnwickModel* model = GetOwnerModel()) {
        ApplyTo(*model);
    }
    CTarnwickPage::Activate();
}

void CViewPage::RestoreAsDisplayOverride(ITarnisView* view)
{
    GetNotificationCenter().Post(kDisplayOverrideRestoreNotification, view);
}

void CViewPage::ApplyTo(CTarnwickModel& model) const
{
    if (Has(kCamera)) {
        model.SetCamera(m_camera);
    }
    if (Has(kRenderingOptions) && m_renderingOptions != nullptr && model.GetRenderingOptions() != nullptr) {
        *model.GetRenderingOptions() = *m_renderingOptions;
    }
    if (Has(kShadowSettings) && m_shadowInfo != nullptr) {
        model.SetShadowInfo(*m_shadowInfo);
    }
    if (Has(kAxes)) {
        if (m_axes != nullptr && model.GetDrawingAxes() != nullptr) {
            *model.GetDrawingAxes() = *m_axes;
        }
        model.SetDisplayAxes(m_axesDisplayed);
    }
    if (Has(kSectionPlanes)) {
        std::vector<CDrawingElement*> planes;
        for (CSectionPlane* plane : m_sectionPlanes) {
            if (plane != nullptr) {
                planes.push_back(plane);
            }
        }
        model.RestoreActiveSectionPlanes(planes);
    }
    if (Has(kHiddenElements)) {
        ApplyHiddenElements(model);
    }
    if (Has(kVisibleLayers)) {
        ApplyLayers(model);
    }
}

void CViewPage::ApplyHiddenElements(CTarnwickModel& model) const
{
    std::vector<CDrawingElement*> elements;
    if (model.GetRootComponent() != nullptr) {
        model.GetRootComponent()->GetEntities(elements);
    }
    for (CDrawingElement* element : elements) {
        if (element->IsHiddenFlagSet()) {
            element->SetHidden(false);
        }
    }
    for (CDrawingElement* element : m_hidden) {
        element->SetHidden(true);
    }
}

void CViewPage::ApplyLayers(CTarnwickModel& model) const
{
    CLayerManager* manager = model.GetLayerManager();
    if (manager == nullptr) {
        return;
    }
    // The list is taken as the layers whose state differs from the page state stored in
    // each layer, so it is applied the same way round: a listed layer takes the other
    // state, an unlisted one the stored state. A page taken from the model and applied
    // again changes no layer, whatever the stored states are.
    const std::unordered_set<const CLayer*> listed(m_layers.begin(), m_layers.end());
    const auto hides = [&listed](const CLayer* layer) {
        const bool storedHidden = (layer->GetPageFlags() & CLayer::kPageHidden) != 0;
        return listed.count(layer) != 0 ? !storedHidden : storedHidden;
    };
    const std::vector<CLayer*> layers = manager->GetLayers();
    // Showing first: the manager refuses to hide the current layer while no other is
    // shown to take its place.
    for (CLayer* layer : layers) {
        if (layer->IsHidden() && !hides(layer)) {
            manager->SetLayerHidden(layer, false);
        }
    }
    for (CLayer* layer : layers) {
        if (!layer->IsHidden() && hides(layer)) {
            manager->SetLayerHidden(layer, true);
        }
    }
}

int CViewPage::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CViewPage), results, result)) {
        return result;
    }
    const int base = CTarnwickPage::CheckValidity(mode, results);
    if (base >= kValidityStale) {
        return SetCheckResult(base, results);
    }
    const int worst = std::max({base, CheckOwnedObjects(mode, results), CheckStoredEntities(mode, results)});
    return worst == kValiditySound ? kValiditySound : SetCheckResult(worst, results);
}

int CViewPage::CheckOwnedObjects(int mode, CValidityResultMap* results)
{
    const std::pair<CEntity*, int> owned[] = {
        {m_renderingOptions, kMsgBadPageRenderingOptions},
        {m_shadowInfo, kMsgBadPageShadowInfo},
        {m_axes, kMsgBadPageAxes},
    };
    int worst = kValiditySound;
    for (const auto& [entity, message] : owned) {
        if (entity == nullptr) {
            continue;
        }
        const int severity = entity->CheckValidity(mode, results);
        if (severity >= kValidityStale) {
            AppendPageMessage(message, GetEntityLabel(this));
        }
        worst = std::max(worst, severity);
    }
    return worst;
}

int CViewPage::CheckStoredEntities(int mode, CValidityResultMap* /*results*/)
{
    int worst = kValiditySound;
    // A missing hidden element or layer is dropped in repair mode; the page still
    // works without it.
    const auto reportRepairable = [&](int message, std::size_t index) {
        AppendPageMessage(message, static_cast<int>(index), GetEntityLabel(this));
        if (!BeginRepair(mode)) {
            worst = std::max(worst, static_cast<int>(kValidityRepairable));
            return false;
        }
        return true;
    };
    for (std::size_t i = m_hidden.size(); i-- > 0;) {
        CDrawingElement* element = m_hidden[i];
        const bool wrongClass = element != nullptr && !element->IsKindOf(RUNTIME_CLASS(CDrawingElement));
        if ((element == nullptr || wrongClass) &&
            reportRepairable(element == nullptr ? kMsgNullHiddenElement : kMsgBadHiddenElement, i)) {
            RecordChange(true);
            RemoveHiddenElement(element);
        }
    }
    for (std::size_t i = m_layers.size(); i-- > 0;) {
        CLayer* layer = m_layers[i];
        const bool wrongClass = layer != nullptr && !layer->IsKindOf(RUNTIME_CLASS(CLayer));
        if ((layer == nullptr || wrongClass) &&
            reportRepairable(layer == nullptr ? kMsgNullPageLayer : kMsgBadPageLayer, i)) {
            RecordChange(true);
            m_layers.erase(m_layers.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    for (std::size_t i = 0; i < m_sectionPlanes.size(); ++i) {
        CSectionPlane* plane = m_sectionPlanes[i];
        if (plane == nullptr || !plane->IsKindOf(RUNTIME_CLASS(CSectionPlane))) {
            AppendPageMessage(plane == nullptr ? kMsgNullPageSectionPlane : kMsgBadPageSectionPlane,
                              static_cast<int>(i), GetEntityLabel(this));
            return kValidityBroken;
        }
    }
    return worst;
}

CDrawingElement* ReadHiddenElementObject(CArchive& ar)
{
    return static_cast<CDrawingElement*>(ar.ReadObject(RUNTIME_CLASS(CDrawingElement)));
}
