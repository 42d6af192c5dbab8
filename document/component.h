#pragma once
// CComponent: the container of drawable entities. The model's root component holds the
// top-level geometry; component definitions are components too. A component owns its
// entities in one ordered list, and owns the managers it makes itself: a relationship
// map, a material manager and a layer manager (the model uses the root component's).
// Its file record comes with component definitions; until then a component is not
// created by name from a file.

#include <vector>

#include "foundation/boundingbox3d.h"
#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "model/drawingelement.h"
#include "model/entitycontainer.h"

class CEntitySet;
class CFace;
class CLayerManager;
class CMaterialManager;
class CRelationship;
class CRelationshipMap;
class CTarnwickModel;
class CUndoOperation;

class CComponent : public CDrawingElement, public IEntityContainer
{
    DECLARE_DYNAMIC(CComponent)

public:
    // Empty, with a new relationship map, material manager and layer manager (which
    // makes its default layer); no model.
    CComponent();
    // Undo snapshot: the drawing-element part only, no entities and no managers.
    CComponent(const CComponent& other);
    // Frees the component's own storage; the entities and managers go with Erase.
    ~CComponent() override;

    // Erases every entity in list order, then the managers, then the element itself.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    [[nodiscard]] CTarnwickModel* GetModel() const override;
    [[nodiscard]] int GetTypeId() const override;
    void OnGeometryChanged() override;
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    // Adds the bounds to the box.
    void GetExtents(CBoundingBox3d& box) const override;

    // IEntityContainer over the entities. Objects that are not drawing elements are
    // ignored by Add and answered false by Remove and Contains.
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] bool IsEmpty() const override;
    [[nodiscard]] bool Contains(const CEntity* entity) const override;
    // Appends and becomes the parent; records nothing (AddEntity does).
    void Add(CEntity* entity) override;
    // Takes the entity out (order kept) and clears its parent; does not erase it.
    bool Remove(CEntity* entity) override;
    // Forgets every entity without erasing or unparenting it, and empties the
    // relationship map and the material manager the same way.
    void RemoveAll() override;
    [[nodiscard]] CEntity* GetAt(int index) const override;
    [[nodiscard]] IEntityIterator* NewIterator() override;

    // Removes and erases every entity, from the last to the first, recording each removal.
    virtual void EraseAll();
    // Empties the component in place: erases every entity (first to last) and every
    // relationship, material and layer, and makes the default layer again.
    virtual void Clear();
    void InvalidateBounds();

    // Records the addition in the open operation (while recording), then adds. Returns
    // the entity.
    CDrawingElement* AddEntity(CDrawingElement* entity);
    // Removes and records the removal; false when the entity was not held.
    bool RemoveEntity(CDrawingElement* entity);
    // Deletes the entity's relationships, removes it, then erases it whether or not
    // it was held; returns whether it was held. The entity must not be used afterwards.
    bool EraseEntity(CDrawingElement* entity);
    // Adds drawing elements (a face brings its edges right after it) and relationships
    // as one batch, each once; anything else is skipped.
    void AddEntities(const std::vector<CEntity*>& entities);
    void GetEntities(std::vector<CDrawingElement*>& out) const;
    [[nodiscard]] const std::vector<CDrawingElement*>& GetEntityList() const { return m_entities; }
    // Removes the relationship from the map and erases it.
    void EraseRelationship(CRelationship* relationship);

    [[nodiscard]] CRelationshipMap* GetRelationshipMap() const { return m_relationships; }
    [[nodiscard]] CMaterialManager* GetMaterialManager() const { return m_materialManager; }
    [[nodiscard]] CLayerManager* GetLayerManager() const { return m_layerManager; }

    // The model is set on the root component only.
    void SetModel(CTarnwickModel* model) { m_model = model; }

    // The union of the entities' extents, recomputed when stale; when grown, each
    // non-empty axis is widened by 0.01 on both sides.
    void GetBounds(CBoundingBox3d& out, bool grown) const;
    [[nodiscard]] CPoint3d GetBoundsCenter() const;
    // True when the point lies at least 0.001 inside every face of the bounds;
    // otherwise the bounds become stale.
    bool CheckPointInBounds(const CPoint3d& point);

    [[nodiscard]] const CTransformation& GetEditTransform() const { return m_editTransform; }
    void ResetEditTransform();

private:
    void RecomputeBounds() const;
    void AddToBounds(const CDrawingElement* entity) const;
    void AddOneToBatch(CDrawingElement* element, CUndoOperation* operation, CEntitySet& added);
    void AddFaceEdges(const CFace* face, CUndoOperation* operation, CEntitySet& added);
    void EraseManagers();

    std::vector<CDrawingElement*> m_entities;
    CRelationshipMap* m_relationships = nullptr;
    // The bounds are a cache that const queries fill.
    mutable CBoundingBox3d m_bounds;
    mutable bool m_boundsValid = false;
    CMaterialManager* m_materialManager = nullptr;
    CLayerManager* m_layerManager = nullptr;
    CTransformation m_editTransform;
    CTarnwickModel* m_model = nullptr;
};
