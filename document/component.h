#pragma once
// CComponent: the container of drawable entities. The model's root component holds the
// top-level geometry; component definitions are components too. A component owns its
// entities in one ordered list, and owns the managers it makes itself: a relationship
// map, a material manager and a layer manager (the model uses the root component's).
// It also owns the definition list of the component definitions placed in it.

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "foundation/boundingbox3d.h"
#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "model/drawingelement.h"
#include "model/entitycontainer.h"

class CArchive;
class CComponentInstance;
class CDefinitionList;
class CEntitySet;
class CPointerIndexMap;
class CFace;
class CLayerManager;
struct CLine3d;
class CMaterialManager;
class CRelationship;
class CRelationshipMap;
class CSmoothNormals;
class CTarnwickModel;
class CTwiceListed;
class CUndoOperation;

class CComponent : public CDrawingElement, public IEntityContainer
{
    DECLARE_SERIAL(CComponent)

public:
    // --- drawing into the view (componentdraw.cpp) ---
    // The opaque pass (faces and other entities), then the second pass (edges); only
    // what blends while the options' transparency pass is 2 or 3.
    void Draw(ITarnisView* view) override;
    // One pass: 0 everything but edges (texts last), 1 the edges. Pass 0 notes each
    // entity's type in `types` (when given) so that pass 1 need not visit the faces.
    void DrawEntities(ITarnisView* view, int pass, std::vector<std::uint8_t>* types = nullptr);
    void DrawSorted(ITarnisView* view);
    // The entities' pick drawing, cut by the active section plane, then the section
    // planes uncut; an edge along a face is left to its face (componentdraw.cpp).
    void DrawIfShown(ITarnisView* view) override;
    // The bounds as a wire box, grown on every side by what the margin's pixels cover at
    // their centre; nothing for empty bounds.
    void DrawBounds(ITarnisView* view, int margin);
    // The vertex normals of the smooth surfaces among the faces, cleared again once
    // geometry changed and built before faces are drawn (componentdraw.cpp).
    [[nodiscard]] CSmoothNormals& GetSmoothNormals();
    void InvalidateSmoothNormals() { m_smoothNormalsStale = true; }
    void PrepareSmoothNormals(ITarnisView* view);

    // Components nest (through instances of definitions) at most this deep; a file
    // that nests deeper, or in a cycle, is refused.
    static constexpr int kMaxNestingDepth = 256;

    // Empty, with a new relationship map, definition list, material manager and layer
    // manager (which makes its default layer); no model.
    CComponent();
    // Undo snapshot: the drawing-element part only, no entities and no managers.
    CComponent(const CComponent& other);
    // Frees the component's own storage. The managers go with Erase; a component
    // deleted without being erased (a record that failed part-way) deletes them here.
    ~CComponent() override;

    // Reads or writes the component record (every version on reading, the newest on
    // writing). Throws the archive exception on bad input, and when the component
    // would contain itself or nest deeper than kMaxNestingDepth. Entries of the entity
    // list that are empty or name an element listed already are left out and counted on
    // the current model (CTarnwickModel::GetLeftOutEntryCount); for a face or edge that
    // another component's list holds, the entry left out is the one that would part a
    // face from its edges (CTwiceListed), and a face whose edge no component can hold
    // with all the faces using it refuses the file (badIndex).
    void Serialize(CArchive& ar) override;
    // Erases every entity in list order, then the managers, then the element itself.
    void Erase() override;
    // Moves every entity and what it depends on once, then the bounds are stale.
    void Transform(const CTransformation& transform) override;
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] CEntity* Clone() const override;
    [[nodiscard]] CTarnwickModel* GetModel() const override;
    [[nodiscard]] int GetTypeId() const override;
    // The component itself.
    [[nodiscard]] const CComponent* GetNestedComponent() const override;
    // Drawn as an element, what a placement draws around its content.
    [[nodiscard]] std::uint64_t GetDrawingWeight(bool shadows) const override;
    void OnGeometryChanged() override;
    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override;
    // What every entity not hidden by its flag shows in the view (componentdraw.cpp).
    void AccumulateExtentsVariant(ITarnisView* view, CBoundingBox3d& box) const override;
    // Adds the bounds to the box.
    void GetExtents(CBoundingBox3d& box) const override;
    // The answer and point of the entity whose point lies nearest to the line; 0 when
    // no entity meets it.
    [[nodiscard]] int IntersectLine(const CLine3d& line, CPoint3d& point) const override;
    // The nearest hit of the entities at least 0.001 along the ray; the path to it is
    // appended (the entity itself when it gives no path of its own).
    [[nodiscard]] bool IntersectPickRay(const CBoundedLine3d& ray, double pixelScale, CPoint3d& hitPoint,
                                        double& hitParameter, CInstancePath* hitPath, bool skipHidden) const override;

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
    // Between the two calls (which nest) Remove finds its entity through an index and
    // leaves a null in its place; the outermost end closes the gaps, order kept. One
    // removal from the middle of a long list costs the list's length, so a pass that
    // erases thousands pays that once. The list holds the nulls meanwhile.
    void BeginRemovalBatch();
    void EndRemovalBatch();

    // Removes and erases every entity, from the last to the first, recording each removal.
    virtual void EraseAll();
    // Empties the component in place: erases every entity (first to last) and every
    // relationship, material and layer, and makes the default layer again.
    virtual void Clear();
    // Clears the bounds-valid flag and the two containment flags.
    virtual void InvalidateBounds();
    // Adds the definition of every instance entity; recursively also theirs.
    virtual void CollectDefinitions(CEntitySet& definitions, bool recursive) const;

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
    // Room for that many entities, so that adding up to them moves none. A new component
    // has none: a model may hold hundreds of thousands of definitions of a few entities.
    void ReserveEntities(std::size_t count) { m_entities.reserve(count); }
    // Removes the relationship from the map and erases it.
    void EraseRelationship(CRelationship* relationship);

    [[nodiscard]] CRelationshipMap* GetRelationshipMap() const { return m_relationships; }
    [[nodiscard]] CMaterialManager* GetMaterialManager() const { return m_materialManager; }
    [[nodiscard]] CLayerManager* GetLayerManager() const { return m_layerManager; }
    [[nodiscard]] CDefinitionList* GetDefinitionList() const { return m_definitions; }

    // After the whole file is read: applies an old record's component transform, then
    // the same for every definition, whose insertion point returns to the origin.
    void PostLoad();
    // Gives every material one use per element (and back face, and component) that
    // uses it, here and in the definitions, recursively.
    void RecountMaterialUses();
    // The closed-solid cache of the shadow pass; recursively also the definitions'.
    void SetShadowState(int state, bool recursive);
    [[nodiscard]] int GetShadowState() const { return m_shadowState; }
    // Whether the faces close around solids the shadow volumes may treat as such: every
    // edge between two opaque, casting, shown faces on one layer, and no face cut by an
    // opening. Computed when the cache is unknown, and kept there.
    [[nodiscard]] bool IsClosedSolid();
    [[nodiscard]] const CTransformation& GetComponentTransform() const { return m_componentTransform; }

    // The model is set on the root component only.
    void SetModel(CTarnwickModel* model) { m_model = model; }

    // The union of the entities' extents, recomputed when stale; when grown, each
    // non-empty axis is widened by 0.01 on both sides.
    void GetBounds(CBoundingBox3d& out, bool grown) const;
    [[nodiscard]] CPoint3d GetBoundsCenter() const;
    // The second bounds, after the bounds are brought up to date; every recomputation
    // empties them.
    void GetSecondBounds(CBoundingBox3d& out) const;
    // The bounds as far as drawing reaches: grown by a tenth of their diagonal when a
    // section plane is held, since it is drawn larger than the bounds it sizes itself from.
    void GetDrawnBounds(CBoundingBox3d& out) const;
    // The bounds grow to include the point.
    virtual void AddPointToBounds(const CPoint3d& point);
    // The instance data: the smooth-normal table, made empty on first request.
    [[nodiscard]] CSmoothNormals& GetInstanceData() { return GetSmoothNormals(); }
    // The pick test along the line from its start on, unbounded beyond it.
    [[nodiscard]] bool RayTest(const CLine3d& line, double pixelScale, CPoint3d& hitPoint, double& hitParameter,
                               CInstancePath* hitPath, bool skipHidden) const;
    // The two containment flags, the bounds recomputed first when stale.
    [[nodiscard]] bool GetBoundsFlag() const;
    [[nodiscard]] bool ContainsConstructionLine() const;
    // The section planes among the entities (valid with the bounds).
    [[nodiscard]] const std::vector<CDrawingElement*>& GetSectionPlanes() const;
    // The active section plane; null without one or when another component holds it.
    [[nodiscard]] CDrawingElement* GetActiveSectionPlane() const;
    void SetActiveSectionPlane(CDrawingElement* plane);
    // True when the point lies at least 0.001 inside every face of the bounds;
    // otherwise the bounds become stale.
    bool CheckPointInBounds(const CPoint3d& point);

    [[nodiscard]] const CTransformation& GetEditTransform() const { return m_editTransform; }
    void ResetEditTransform();

    // Where the bounds are stale, makes them from a walk done for another purpose (the
    // count at opening walks a mesh's millions of faces and edges, which the first frame's
    // bounds would walk again): the box of the faces and edges, with the positions of the
    // other entities in the list, which are added as a recompute adds them. Nothing where
    // every entity must pass AddEntityBounds.
    void TakeMeshBounds(const CBoundingBox3d& mesh, const std::vector<std::size_t>& others) const;

protected:
    [[nodiscard]] bool AreBoundsValid() const { return m_boundsValid; }
    // The entity's extents grow the bounds. Edges and faces of a component that keeps
    // the base behaviour add theirs without this call.
    virtual void AddEntityBounds(const CDrawingElement* entity) const;
    // Whether AddEntityBounds does more than the base, so that every entity must pass it.
    [[nodiscard]] virtual bool FillsSecondBounds() const { return false; }
    [[nodiscard]] CBoundingBox3d& GetBoundsCache() const { return m_bounds; }
    [[nodiscard]] CBoundingBox3d& GetSecondBoundsCache() const { return m_secondBounds; }

private:
    struct ReadTally;
    void ReadRecord(CArchive& ar);
    void ReadManagersAndEntities(CArchive& ar, int version, ReadTally& tally);
    void ReadOldRecord(CArchive& ar, int version, ReadTally& tally);
    void ReadEntities(CArchive& ar, ReadTally& tally);
    // An edge a face's loop uses belongs to the face's component: one that no list took
    // is taken into this one (and said); one another component holds is noted in twice,
    // which settles where it goes. Answers the entries left out; refuses the file
    // (badIndex) when a face still uses an edge another component holds.
    std::uint64_t SettleFaceEdges(CArchive& ar, CTwiceListed& twice, ReadTally& tally);
    void TakeInFaceEdges(CArchive& ar, CTwiceListed& twice);
    void ReadActiveSectionPlane(CArchive& ar);
    void FinishRead(CArchive& ar, const ReadTally& tally);
    void WriteRecord(CArchive& ar);
    // counted: the entities' uses as ReadEntities tallied them; null counts them here.
    void CountMaterialUses(const ReadTally* counted) const;
    void RecomputeBounds() const;
    void EmptyBounds() const;
    // The bounds from the box of the faces and edges and the positions of the other entities.
    void FinishBounds(const CBoundingBox3d& mesh, const std::vector<std::size_t>& others) const;
    void AddInstanceFlags(const CComponentInstance& instance) const;
    void AddOneToBatch(CDrawingElement* element, CUndoOperation* operation, CPointerIndexMap& added);
    void AddFaceEdges(const CFace* face, CUndoOperation* operation, CPointerIndexMap& added);
    // Erases every listed entity, or lets them go together while the whole model goes
    // (model/wholemodelrelease.h); the caller then empties the list.
    void EraseListed();
    void EraseManagers();

    std::vector<CDrawingElement*> m_entities;
    CTransformation m_componentTransform;
    CRelationshipMap* m_relationships = nullptr;
    CDefinitionList* m_definitions = nullptr;
    // The bounds and what goes with them are a cache that const queries fill.
    mutable CBoundingBox3d m_bounds;
    mutable CBoundingBox3d m_secondBounds;
    mutable bool m_boundsValid = false;
    mutable bool m_containsConstructionLine = false;
    mutable bool m_containsSectionPlane = false;
    CMaterialManager* m_materialManager = nullptr;
    CLayerManager* m_layerManager = nullptr;
    int m_shadowState = 0;
    CTransformation m_editTransform;
    CDrawingElement* m_activeSectionPlane = nullptr;
    mutable std::vector<CDrawingElement*> m_sectionPlanes;
    CTarnwickModel* m_model = nullptr;
    // Set while a walk through this component runs, so that a cycle made at run time
    // ends instead of recursing.
    mutable bool m_walking = false;
    bool m_managersErased = false;
    // The place of every listed entity while a removal batch runs.
    std::unordered_map<const CDrawingElement*, std::size_t> m_batchPlaces;
    int m_batchDepth = 0;
    // Shared so that the header needs no complete type; never actually shared.
    std::shared_ptr<CSmoothNormals> m_smoothNormals;
    bool m_smoothNormalsStale = false;
};
