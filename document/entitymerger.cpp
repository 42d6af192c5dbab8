#include "document/entitymerger.h"

#include <set>

#include "annotations/dimension.h"
#include "annotations/text.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/tarnwickmodel.h"
#include "foundation/transformation.h"
#include "model/curve.h"
#include "model/drawingelement.h"
#include "model/edge.h"
#include "model/relationship.h"
#include "model/vertex.h"

namespace {

bool IsAnnotation(const CEntity* entity)
{
    return dynamic_cast<const CText*>(entity) != nullptr || dynamic_cast<const CDimension*>(entity) != nullptr;
}

// The instance the given one is glued to: the first end of its only relationship.
// Null when it has none, several, or is glued to something else.
CComponentInstance* GluedTo(const CComponentInstance* instance)
{
    std::vector<CRelationship*> relationships;
    instance->CountRelationshipsAsSecond(relationships);
    if (relationships.size() != 1) {
        return nullptr;
    }
    return dynamic_cast<CComponentInstance*>(relationships.front()->GetFirst());
}

}  // namespace

CEntityMerger::CEntityMerger(const std::vector<CEntity*>& entities)
{
    m_input.AddVector(entities);
}

CEntityMerger::~CEntityMerger() = default;

void CEntityMerger::MergePass(bool collectInstances)
{
    m_dependents.RemoveAll();
    m_movedInstances.RemoveAll();
    m_riders.clear();
    CEntitySet listedInstances;
    for (CEntity* entity : m_input) {
        if (entity == nullptr) {
            continue;
        }
        entity->CollectDependents(m_dependents);
        if (dynamic_cast<CComponentInstance*>(entity) != nullptr) {
            listedInstances.Add(entity);
        }
    }
    CollectAnnotations(m_input);
    if (!collectInstances) {
        return;
    }
    CollectMovedInstances(listedInstances);
    CollectRiders();
}

void CEntityMerger::CollectAnnotations(const CEntitySet& listed)
{
    for (CEntity* entity : listed) {
        if (entity != nullptr && IsAnnotation(entity)) {
            m_annotations.emplace(entity, m_dependents.Contains(entity) ? kListedAndDependent : kListedOnly);
        }
    }
    for (CEntity* entity : m_dependents) {
        if (IsAnnotation(entity)) {
            m_annotations.emplace(entity, kReachedAsDependent);
        }
    }
}

void CEntityMerger::CollectMovedInstances(const CEntitySet& listedInstances)
{
    for (CEntity* entity : m_dependents) {
        if (dynamic_cast<CComponentInstance*>(entity) != nullptr && !listedInstances.Contains(entity)) {
            m_movedInstances.Add(entity);
        }
    }
    if (m_keepNamedInstances) {
        return;
    }
    for (CEntity* entity : listedInstances) {
        const auto* definition = static_cast<CComponentInstance*>(entity)->GetDefinition();
        if (definition != nullptr && !definition->GetThirdText().IsEmpty()) {
            m_movedInstances.Add(entity);
        }
    }
}

void CEntityMerger::CollectRiders()
{
    // An instance glued to another moved instance rides on it rather than moving alone.
    std::vector<CComponentInstance*> riders;
    for (CEntity* entity : m_movedInstances) {
        auto* instance = static_cast<CComponentInstance*>(entity);
        std::vector<CRelationship*> relationships;
        instance->CountRelationshipsAsSecond(relationships);
        if (!relationships.empty() && m_movedInstances.Contains(relationships.front()->GetFirst()) &&
            dynamic_cast<CComponentInstance*>(relationships.front()->GetFirst()) != nullptr) {
            riders.push_back(instance);
        }
    }
    for (CComponentInstance* rider : riders) {
        m_movedInstances.Remove(rider);
        m_dependents.Remove(rider);
    }
    for (CComponentInstance* rider : riders) {
        // A chain of glue that comes round to an instance already seen has no host.
        std::set<const CComponentInstance*> seen{rider};
        for (CComponentInstance* host = GluedTo(rider); host != nullptr && seen.insert(host).second;
             host = GluedTo(host)) {
            if (m_movedInstances.Contains(host)) {
                m_riders[host].push_back(rider);
                break;
            }
        }
    }
}

void CEntityMerger::Merge(const CTransformation& transform)
{
    Apply(transform, CTransformation());
}

void CEntityMerger::Apply(const CTransformation& transform, const CTransformation& second)
{
    if (m_dependents.IsEmpty()) {
        MergePass(m_collectInstances);
    }
    CEntitySet toldCurves;
    for (CEntity* entity : m_dependents) {
        if (m_annotations.count(entity) != 0) {
            continue;
        }
        auto* instance = dynamic_cast<CComponentInstance*>(entity);
        if (instance != nullptr && m_collectInstances && m_movedInstances.Contains(instance)) {
            MoveWhole(instance, transform);
        } else if (instance == nullptr && TellCurves(entity, transform, toldCurves)) {
            // the curve has moved the vertex with it
        } else {
            entity->Transform(transform);
        }
        if (auto* element = dynamic_cast<CDrawingElement*>(entity)) {
            element->NotifyDependents();
        }
    }
    for (const auto& [annotation, code] : m_annotations) {
        const auto* text = dynamic_cast<const CText*>(annotation);
        // A screen text does not move with the model; it takes the second transformation.
        const bool main = text == nullptr || text->IsAttached();
        MoveAnnotation(annotation, main ? transform : second, m_annotationContext, code);
    }
    CTarnwickModel* model = GetCurrentModel();
    if (auto* active = dynamic_cast<CComponentDefinition*>(model != nullptr ? model->GetActiveComponent() : nullptr)) {
        active->NotifyDependents();
    }
}

bool CEntityMerger::TellCurves(CEntity* entity, const CTransformation& transform, CEntitySet& toldCurves)
{
    auto* vertex = dynamic_cast<CVertex*>(entity);
    if (vertex == nullptr || !m_updateCurves) {
        return false;
    }
    const CPoint3d before = vertex->GetPosition();
    const CPoint3d after = transform * before;
    bool told = false;
    for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
        CEdge* edge = vertex->GetEdgeAt(i);
        CCurve* curve = edge != nullptr ? edge->GetCurve() : nullptr;
        if (curve == nullptr || m_dependents.Contains(edge) || !toldCurves.Add(curve)) {
            continue;
        }
        curve->StretchToEndpoint(vertex, before, after);
        told = true;
    }
    return told;
}

void CEntityMerger::MoveWhole(CComponentInstance* instance, const CTransformation& transform)
{
    const CTransformation before = instance->GetTransform();
    const CVector3d scales = before.GetScales();
    instance->Transform(transform);
    instance->SetScales(scales);
    const auto found = m_riders.find(instance);
    if (found == m_riders.end()) {
        return;
    }
    CTransformation inverse;
    if (!before.GetInverse(inverse)) {
        return;
    }
    const CTransformation change = instance->GetTransform() * inverse;
    for (CComponentInstance* rider : found->second) {
        const CVector3d riderScales = rider->GetTransform().GetScales();
        rider->Transform(change);
        rider->SetScales(riderScales);
    }
}

void CEntityMerger::MoveAnnotation(CEntity* annotation, const CTransformation& transform, std::uint32_t context,
                                   std::int32_t code)
{
    if (auto* text = dynamic_cast<CText*>(annotation)) {
        text->TransformBy(transform, context, code);
    } else if (auto* dimension = dynamic_cast<CDimension*>(annotation)) {
        dimension->Transform(transform, context, code);
    }
}

std::vector<CComponentInstance*> CEntityMerger::GetRiders(const CComponentInstance* host) const
{
    const auto found = m_riders.find(host);
    return found != m_riders.end() ? found->second : std::vector<CComponentInstance*>();
}

std::int32_t CEntityMerger::GetAnnotationCode(const CEntity* entity) const
{
    const auto found = m_annotations.find(const_cast<CEntity*>(entity));
    return found != m_annotations.end() ? found->second : 0;
}
