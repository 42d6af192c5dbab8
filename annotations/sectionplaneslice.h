#pragma once
// CSectionPlaneSlice: the section cut of one section plane in the component that holds
// it, computed once into a tree of slices and replayed every frame. Instances of one
// definition that see it through the same local plane (within 0.001, either way round)
// share one definition slice. The walk has its own clip stack, on which the active
// planes of nested definitions limit their part of the cut.
//
// The tree is bounded: nesting stops at the component depth limit and never re-enters
// a definition on its own path, and the walk stops adding slices once kMaxSlices are
// made, so a model built to explode the cut cannot exhaust memory.

#include <memory>
#include <vector>

#include "annotations/componentslice.h"
#include "annotations/sectionclipstack.h"

class CComponent;
class CComponentDefinition;
class ITarnisView;

class CSectionPlaneSlice
{
public:
    static constexpr int kMaxSlices = 1 << 20;

    explicit CSectionPlaneSlice(CComponent* component);
    CSectionPlaneSlice(const CSectionPlaneSlice&) = delete;
    CSectionPlaneSlice& operator=(const CSectionPlaneSlice&) = delete;
    ~CSectionPlaneSlice();

    // Computes the cut unless the root has children already.
    void Compute(const CPlane3d& plane, ITarnisView* view);
    void Draw(ITarnisView* view);

    [[nodiscard]] CComponentSlice& GetRoot() { return *m_root; }
    [[nodiscard]] int GetDefinitionSliceCount() const { return static_cast<int>(m_definitionSlices.size()); }
    [[nodiscard]] CDefinitionSlice* FindDefinitionSlice(const CComponentDefinition* definition,
                                                        const CPlane3d& plane) const;
    // Element slices made so far, the shared definition slices counted once.
    [[nodiscard]] int GetSliceCount() const { return m_sliceCount; }

private:
    void BuildSlices(CComponentSlice& parent, const CPlane3d& plane, ITarnisView* view, int depth);
    void AddInstance(CComponentSlice& parent, CDrawingElement* entity, const CPlane3d& plane, ITarnisView* view,
                     int depth);
    [[nodiscard]] bool IsOnPath(const CComponent* component) const;

    std::unique_ptr<CComponentSlice> m_root;
    std::vector<std::unique_ptr<CDefinitionSlice>> m_definitionSlices;
    CSectionClipStack m_clipStack;
    std::vector<const CComponent*> m_path;
    int m_sliceCount = 0;
};
