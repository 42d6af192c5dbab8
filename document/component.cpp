#include "document/component.h"

#include <algorithm>
#include <memory>

#include "document/containeriterator.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/tarnwickmodel.h"
#include "model/attributecontainer.h"
#include "model/edge.h"
#include "model/entitylist.h"
#include "model/entityset.h"
#include "model/enumedge.h"
#include "model/face.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"

IMPLEMENT_DYNAMIC(CComponent, CDrawingElement)

namespace {

constexpr std::size_t kInitialCapacity = 1024;
// A point must lie this far inside every face of the bounds to count as inside.
constexpr double kInsideMargin = 0.001;
constexpr double kGrowMargin = 0.01;

// The open operation while recording is on; null otherwise.
CUndoOperation* RecordingOperation(const CEntity* entity)
{
    return IsRecordingChanges() ? entity->GetUndoOperation() : nullptr;
}

}  // namespace

CComponent::CComponent()
{
    m_entities.reserve(kInitialCapacity);
    m_relationships = new CRelationshipMap;
    m_relationships->SetParent(this);
    m_materialManager = new CMaterialManager;
    m_materialManager->SetParent(this);
    m_layerManager = new CLayerManager;
    m_layerManager->SetParent(this);
    m_layerManager->EnsureDefaultLayer();
}

CComponent::CComponent(const CComponent& other) : CDrawingElement(other)
{
}

CComponent::~CComponent() = default;

CEntity* CComponent::Clone() const
{
    return new CComponent(*this);
}

int CComponent::GetTypeId() const
{
    return kTypeComponent;
}

CTarnwickModel* CComponent::GetModel() const
{
    if (m_model != nullptr) {
        return m_model;
    }
    if (GetParent() != nullptr) {
        return GetParent()->GetModel();
    }
    return GetCurrentModel();
}

void CComponent::Erase()
{
    RecordChange(true);
    for (CDrawingElement* entity : m_entities) {
        entity->Erase();
    }
    // The component's own material may live in its own manager, which is erased next.
    if (m_materialManager != nullptr && m_materialManager->Contains(GetMaterial())) {
        SetMaterial(nullptr);
    }
    EraseManagers();
    CDrawingElement::Erase();
}

void CComponent::EraseManagers()
{
    if (m_relationships != nullptr) {
        m_relationships->Erase();
    }
    if (m_layerManager != nullptr) {
        m_layerManager->Erase();
    }
    if (m_materialManager != nullptr) {
        m_materialManager->Erase();
    }
}

void CComponent::OnGeometryChanged()
{
    for (CDrawingElement* entity : m_entities) {
        entity->OnGeometryChanged();
    }
}

void CComponent::AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const
{
    for (const CDrawingElement* entity : m_entities) {
        entity->AccumulateExtents(transform, box);
    }
}

void CComponent::GetExtents(CBoundingBox3d& box) const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    box.Add(m_bounds);
}

int CComponent::GetCount() const
{
    return static_cast<int>(m_entities.size());
}

bool CComponent::IsEmpty() const
{
    return m_entities.empty();
}

bool CComponent::Contains(const CEntity* entity) const
{
    return ListContains(m_entities, entity);
}

void CComponent::Add(CEntity* entity)
{
    auto* element = dynamic_cast<CDrawingElement*>(entity);
    if (element == nullptr) {
        return;
    }
    m_entities.push_back(element);
    element->SetParent(this);
    if (m_boundsValid) {
        AddToBounds(element);
    }
}

bool CComponent::Remove(CEntity* entity)
{
    auto* element = dynamic_cast<CDrawingElement*>(entity);
    if (element == nullptr) {
        return false;
    }
    const auto found = std::find(m_entities.begin(), m_entities.end(), element);
    if (found == m_entities.end()) {
        return false;
    }
    m_entities.erase(found);
    element->SetParent(nullptr);
    InvalidateBounds();
    return true;
}

void CComponent::RemoveAll()
{
    m_entities.clear();
    m_entities.shrink_to_fit();
    if (m_relationships != nullptr) {
        m_relationships->RemoveAll();
    }
    if (m_materialManager != nullptr) {
        m_materialManager->RemoveAll();
    }
    InvalidateBounds();
}

CEntity* CComponent::GetAt(int index) const
{
    return ListAt(m_entities, index);
}

IEntityIterator* CComponent::NewIterator()
{
    return new CContainerIterator(this);
}

void CComponent::EraseAll()
{
    RecordChange(true);
    while (!m_entities.empty()) {
        CDrawingElement* const last = m_entities.back();
        if (last == nullptr) {
            m_entities.pop_back();
            continue;
        }
        Remove(last);
        if (CUndoOperation* operation = RecordingOperation(this)) {
            operation->RecordRemove(last, this);
        }
        last->Erase();
    }
    InvalidateBounds();
}

void CComponent::Clear()
{
    RecordChange(true);
    // Dropped before the managers are emptied, so that no use is taken back from a
    // material already gone.
    SetMaterial(nullptr);
    SetLayer(nullptr);
    for (CDrawingElement* entity : m_entities) {
        entity->Erase();
    }
    m_entities.clear();
    m_entities.shrink_to_fit();
    InvalidateBounds();
    if (m_relationships != nullptr) {
        m_relationships->EraseAll(true);
    }
    if (m_layerManager != nullptr) {
        m_layerManager->Clear();
        m_layerManager->EnsureDefaultLayer();
    }
    if (m_materialManager != nullptr) {
        m_materialManager->Clear();
    }
    if (CAttributeContainer* attributes = GetAttributeContainer()) {
        attributes->ReleaseAll();
    }
}

void CComponent::InvalidateBounds()
{
    m_boundsValid = false;
}

CDrawingElement* CComponent::AddEntity(CDrawingElement* entity)
{
    if (CUndoOperation* operation = RecordingOperation(this)) {
        operation->RecordAdd(entity, this);
    }
    Add(entity);
    return entity;
}

bool CComponent::RemoveEntity(CDrawingElement* entity)
{
    if (!Remove(entity)) {
        return false;
    }
    if (CUndoOperation* operation = RecordingOperation(this)) {
        operation->RecordRemove(entity, this);
    }
    return true;
}

bool CComponent::EraseEntity(CDrawingElement* entity)
{
    if (entity == nullptr) {
        return false;
    }
    entity->DeleteRelationships();
    const bool removed = RemoveEntity(entity);
    entity->Erase();
    return removed;
}

void CComponent::AddEntities(const std::vector<CEntity*>& entities)
{
    CUndoOperation* const operation = RecordingOperation(this);
    CEntitySet added;
    for (CEntity* entity : entities) {
        if (entity == nullptr || added.Contains(entity)) {
            continue;
        }
        if (auto* element = dynamic_cast<CDrawingElement*>(entity)) {
            AddOneToBatch(element, operation, added);
            if (const auto* face = dynamic_cast<const CFace*>(element)) {
                AddFaceEdges(face, operation, added);
            }
        } else if (auto* relationship = dynamic_cast<CRelationship*>(entity)) {
            if (m_relationships != nullptr) {
                m_relationships->AddRelationship(relationship);
            }
        }
    }
}

void CComponent::AddOneToBatch(CDrawingElement* element, CUndoOperation* operation, CEntitySet& added)
{
    if (operation != nullptr) {
        operation->RecordAdd(element, this);
    }
    Add(element);
    added.Add(element);
}

void CComponent::AddFaceEdges(const CFace* face, CUndoOperation* operation, CEntitySet& added)
{
    const std::unique_ptr<CEnumEdge> edges(face->NewEdgeEnum());
    if (!edges) {
        return;
    }
    CEdge* edge = nullptr;
    while (edges->Next(edge)) {
        if (edge != nullptr && !added.Contains(edge)) {
            AddOneToBatch(edge, operation, added);
        }
    }
}

void CComponent::GetEntities(std::vector<CDrawingElement*>& out) const
{
    out.insert(out.end(), m_entities.begin(), m_entities.end());
}

void CComponent::EraseRelationship(CRelationship* relationship)
{
    if (relationship == nullptr) {
        return;
    }
    if (m_relationships != nullptr) {
        m_relationships->Remove(relationship);
    }
    relationship->Erase();
}

void CComponent::RecomputeBounds() const
{
    m_bounds.SetEmpty();
    for (const CDrawingElement* entity : m_entities) {
        AddToBounds(entity);
    }
    m_boundsValid = true;
}

void CComponent::AddToBounds(const CDrawingElement* entity) const
{
    entity->GetExtents(m_bounds);
}

void CComponent::GetBounds(CBoundingBox3d& out, bool grown) const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    out = m_bounds;
    if (!grown) {
        return;
    }
    if (out.xmin <= out.xmax) {
        out.xmin -= kGrowMargin;
        out.xmax += kGrowMargin;
    }
    if (out.ymin <= out.ymax) {
        out.ymin -= kGrowMargin;
        out.ymax += kGrowMargin;
    }
    if (out.zmin <= out.zmax) {
        out.zmin -= kGrowMargin;
        out.zmax += kGrowMargin;
    }
}

CPoint3d CComponent::GetBoundsCenter() const
{
    if (!m_boundsValid) {
        RecomputeBounds();
    }
    return m_bounds.GetCentre();
}

bool CComponent::CheckPointInBounds(const CPoint3d& point)
{
    const bool inside = m_boundsValid && point.x > m_bounds.xmin + kInsideMargin &&
                        point.x < m_bounds.xmax - kInsideMargin && point.y > m_bounds.ymin + kInsideMargin &&
                        point.y < m_bounds.ymax - kInsideMargin && point.z > m_bounds.zmin + kInsideMargin &&
                        point.z < m_bounds.zmax - kInsideMargin;
    if (!inside) {
        InvalidateBounds();
    }
    return inside;
}

void CComponent::ResetEditTransform()
{
    m_editTransform = CTransformation();
}
