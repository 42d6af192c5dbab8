#pragma once
// CMergeController: integrates newly added entities into the geometry of the component
// that holds them: coincident vertices weld, edges split where a vertex lies on them,
// degenerate and duplicate edges go, curves split where new edges meet them, faces that
// now overlap or border coplanar neighbours are re-examined, and new faces are found for
// edges that close loops. It listens to the model's database while it lives, so that
// entities its own passes erase leave its working sets.

#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "foundation/boundingbox3d.h"
#include "model/dblistener.h"
#include "model/entitycontainer.h"

class CComponent;
class CComponentInstance;
class CDrawingElement;
class CEdge;
class CEdgeUse;
class COctree;
class CEntitySet;
class CFace;
class CLoop;
class CVertex;

// What a long merge reports its progress to; it may cancel the merge.
class IMergeProgress
{
public:
    virtual ~IMergeProgress() = default;
    [[nodiscard]] virtual bool IsCancelled() = 0;
    // Not called by the merge.
    virtual void Reset() {}
    virtual void SetFraction(double fraction) = 0;
    virtual void Step() = 0;
};

class CMergeController : public CDBListener
{
public:
    // Neither the component nor the set is owned; the set loses what the merge erases.
    CMergeController(CComponent* component, CEntitySet* entities);
    ~CMergeController() override;
    CMergeController(const CMergeController&) = delete;
    CMergeController& operator=(const CMergeController&) = delete;

    // Runs the passes; true when faces were found, vertices welded or instances glued.
    // With glueInstances, each component instance of the set is glued by a relationship
    // to the face its base stands on (model/gluetarget.h). faceOption false
    // erases new faces that no surrounding face takes as a hole. The changes are
    // recorded in the open undo operation, or in one of the merge's own; without a
    // current undo manager nothing is merged and the answer is false.
    bool Merge(bool glueInstances, bool faceOption);

    // The reporter (not owned; null for none) hears the merge's progress; a cancel
    // ends the merge by an exception of type int with the value -1, and what was
    // changed until then stays, recorded like any change.
    void SetProgressReporter(IMergeProgress* reporter, double amount)
    {
        m_progress = reporter;
        m_progressAmount = amount;
    }

    [[nodiscard]] int GetChangedFaceCount() const { return m_changedFaceCount; }
    [[nodiscard]] const std::set<CVertex*>& GetWeldedVertices() const { return m_weldedVertices; }

    void OnEntityCreated(CEntity* entity) override;
    void OnEntityErased(CEntity* entity) override;
    void OnModelCleared(CTarnwickModel* model) override;

private:
    void BuildMergeBox();
    void CollectNearby();
    void AddNearby(CDrawingElement* element);
    bool WeldAndSplit();
    void Weld(COctree& octree, CVertex* vertex, bool isNew);
    bool SplitAtOctreeVertices(COctree& octree, CEdge* edge);
    void CleanUpEdges();
    void RemoveDegenerateEdges();
    void AbsorbDuplicateEdges();
    void RepairLoops(const std::vector<CLoop*>& loops);
    void SplitCurves();
    void RefitFacesAtWeldedVertices();
    void ResolveOverlappingFaces();
    bool ResolveOverlap(CEdge* edge, CEdgeUse* useA, CEdgeUse* useB);
    void CleanUpCoplanarNeighbours();
    bool FindFaces(bool faceOption);
    bool GlueInstances(const std::vector<CComponentInstance*>& instances);
    [[nodiscard]] bool IsAlive(const CEntity* entity) const;
    [[nodiscard]] std::vector<CEdge*> GetTouchedEdges() const;
    void StepProgress();

    CComponent* m_component;
    CEntitySet* m_entities;
    CBoundingBox3d m_mergeBox;
    std::vector<CDrawingElement*> m_nearby;
    // Where each element stands in m_nearby, so that an erasure nulls its entries at once.
    std::unordered_map<const CEntity*, std::vector<std::size_t>> m_nearbyPlaces;
    std::set<CVertex*> m_newVertices;
    std::set<CVertex*> m_weldedVertices;
    std::set<CEdge*> m_touchedEdges;
    std::vector<CEdge*> m_edgeWorkList;
    IMergeProgress* m_progress = nullptr;
    double m_progressAmount = 0.0;
    int m_changedFaceCount = 0;
    std::set<const CEntity*> m_erased;
};

// CSubmodelIterator: an entity iterator over a vector that passes over null entries.
class CSubmodelIterator : public IEntityIterator
{
public:
    explicit CSubmodelIterator(const std::vector<CEntity*>* entities) : m_entities(entities) {}
    void Reset() override { m_index = 0; }
    bool Next(CEntity*& entity) override;

private:
    const std::vector<CEntity*>* m_entities;
    std::size_t m_index = 0;
};
