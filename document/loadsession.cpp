#include "document/loadsession.h"

#include <algorithm>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/layermanager.h"
#include "document/materialmanager.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "model/attributecontainer.h"
#include "model/curveregistry.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/entitycontainer.h"
#include "model/relationshipmap.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "platform/archive.h"
#include "platform/quitrequest.h"

namespace {

bool IsIn(const std::vector<CObject*>& sorted, const CObject* object)
{
    return std::binary_search(sorted.begin(), sorted.end(), object);
}

void SortUnique(std::vector<CObject*>& objects)
{
    std::sort(objects.begin(), objects.end());
    objects.erase(std::unique(objects.begin(), objects.end()), objects.end());
}

// What a component made by the read holds that the archive did not make: the default
// layer its constructor made, colour materials made while reading. The component's
// destructor frees only the managers' own storage.
void AddComponentHelpers(const CComponent& component, const std::vector<CObject*>& made,
                         std::vector<CObject*>& helpers)
{
    IEntityContainer* const containers[] = {component.GetLayerManager(), component.GetMaterialManager(),
                                            component.GetDefinitionList(), component.GetRelationshipMap()};
    for (IEntityContainer* container : containers) {
        if (container == nullptr) {
            continue;
        }
        for (int i = 0; i < container->GetCount(); ++i) {
            CEntity* held = container->GetAt(i);
            if (held != nullptr && !IsIn(made, held)) {
                helpers.push_back(held);
            }
        }
    }
}

// An entity the read did not make (a member of the model read in place) forgets the
// attribute container the read made for it, which goes with the read. The archive notes
// the containers as it reads, so a large model's other objects are not looked at.
void ForgetMadeAttributeContainers(const CArchive& ar, const std::vector<CObject*>& made)
{
    for (const UINT i : ar.GetNotedObjects()) {
        auto* container = dynamic_cast<CAttributeContainer*>(ar.GetLoadedObject(i));
        CEntity* owner = container != nullptr ? container->GetParent() : nullptr;
        if (owner != nullptr && !IsIn(made, owner) && owner->GetAttributeContainer() == container) {
            owner->SetAttributeContainer(nullptr);
        }
    }
}

// What a dropped reference made was joined, as it was read, to what was read before it:
// a placement to its definition's list, an edge to its vertices' lists and to the curves
// waiting to be joined up, an edge use to its edge's ring. None of that may still lead
// to it once it is freed.
void LetGoOfWhatWasJoined(const std::vector<CObject*>& made)
{
    const CUndoSuspender suspender;
    for (CObject* object : made) {
        if (auto* instance = dynamic_cast<CComponentInstance*>(object)) {
            if (CComponentDefinition* definition = instance->GetDefinition()) {
                definition->RemoveInstance(instance);
            }
        } else if (auto* edge = dynamic_cast<CEdge*>(object)) {
            CCurveRegistry::Forget(edge);
            for (CVertex* vertex : {edge->GetStartVertex(), edge->GetEndVertex()}) {
                if (vertex != nullptr) {
                    vertex->RemoveEdge(edge, false);
                }
            }
        } else if (auto* use = dynamic_cast<CEdgeUse*>(object)) {
            use->UnlinkFromEdge();
        }
    }
    // The ends of rings noted for joining may be among the uses just taken out.
    if (CRadialTails::GetCurrent() != nullptr) {
        CRadialTails::ForgetAll();
    }
}

}  // namespace

void CLoadSession::DropMadeAfter(CArchive& ar, UINT known)
{
    std::vector<CObject*> made;
    for (UINT i = known + 1; i <= ar.GetMapCount(); ++i) {
        if (CObject* object = ar.GetLoadedObject(i)) {
            made.push_back(object);
        }
    }
    SortUnique(made);
    LetGoOfWhatWasJoined(made);
    for (CObject* object : made) {
        ar.DeleteWhenClosed(object);
    }
}

CLoadSession::CLoadSession(CTarnwickModel* model, CArchive& ar) : m_model(model), m_ar(ar)
{
}

CLoadSession::~CLoadSession()
{
    if (!m_committed) {
        Discard();
    }
}

void CLoadSession::AddHelper(CObject* object)
{
    if (object != nullptr) {
        m_helpers.push_back(object);
    }
}

void CLoadSession::RemoveHelper(CObject* object)
{
    m_helpers.erase(std::remove(m_helpers.begin(), m_helpers.end(), object), m_helpers.end());
}

void CLoadSession::InstallVersionMap(CVersionMap* map)
{
    m_versionMap = map;
    SetLoadedVersionMap(map);
}

std::vector<CObject*> CLoadSession::CollectMadeObjects() const
{
    std::vector<CObject*> made;
    for (UINT i = 1; i <= m_ar.GetMapCount(); ++i) {
        CObject* object = m_ar.GetLoadedObject(i);
        if (object != nullptr && object != m_versionMap) {
            made.push_back(object);
        }
    }
    made.insert(made.end(), m_helpers.begin(), m_helpers.end());
    SortUnique(made);
    std::vector<CObject*> helpers;
    for (CObject* object : made) {
        if (const auto* component = dynamic_cast<const CComponent*>(object)) {
            AddComponentHelpers(*component, made, helpers);
        }
    }
    made.insert(made.end(), helpers.begin(), helpers.end());
    SortUnique(made);
    return made;
}

void CLoadSession::Discard() noexcept
{
    if (m_discarded || m_committed) {
        return;
    }
    m_discarded = true;
    if (CQuitRequest::IsLeavingWork()) {
        Leave();
        return;
    }
    try {
        const std::vector<CObject*> made = CollectMadeObjects();
        // Later reads and copies must see their own versions again, not this file's.
        SetLoadedVersionMap(nullptr);
        CCurveRegistry::Reset();
        ForgetMadeAttributeContainers(m_ar, made);
        if (m_model != nullptr) {
            m_model->ForgetObjects(made);
        }
        for (CObject* object : made) {
            delete object;
        }
        m_helpers.clear();
        if (m_model != nullptr) {
            m_model->Clear();
        }
    } catch (...) {
        // Discarding runs while an exception passes; nothing may escape it.
    }
}

void CLoadSession::Leave() noexcept
{
    SetLoadedVersionMap(nullptr);
    CCurveRegistry::Reset();
    m_helpers.clear();
    if (m_model != nullptr) {
        m_model->AbandonAtExit();
    }
}
