#pragma once
// CSectionPlaneSlice: the section cut of one section plane in the component that holds
// it, computed once into a tree of slices and replayed every frame. Instances of one
// definition that see it through the same local plane (within 0.001, either way round)
// share one definition slice. The walk has its own clip stack, on which the active
// planes of nested definitions limit their part of the cut.
//
// The tree is bounded: nesting stops at the component depth limit and never re-enters
// a definition on its own path, and the walk stops adding slices once kMaxSlices are
// made, so a model built to explode the cut cannot exhaust memory. The walk is charged
// to the frame meter where it runs and stops when the meter says so (the budget spent,
// input waiting, a quit); a cut stopped part way is thrown away, not kept.

#include <cstdint>
#include <memory>
#include <vector>

#include "annotations/componentslice.h"
#include "annotations/definitionsliceindex.h"
#include "annotations/sectionclipstack.h"

class CComponent;
class CComponentDefinition;
class ITarnisView;

class CSectionPlaneSlice
{
public:
    static constexpr int kMaxSlices = 1 << 20;
    // The walk's costs in eighths of a unit of the frame meter: an entity visited, a
    // placement besides (its definition's slice looked for, its plane carried into its
    // axes, its slice made), and a definition slice compared with a placement's plane. A
    // face's corners and spans are charged by CFaceSlice. Measured, so that the cut spends
    // a budget in about the time drawing spends it.
    static constexpr std::uint64_t kEighthsPerUnit = 8;
    static constexpr std::uint64_t kEntityEighths = 11;
    static constexpr std::uint64_t kPlacementEighths = 128;
    static constexpr std::uint64_t kComparedEighths = 3;

    explicit CSectionPlaneSlice(CComponent* component);
    CSectionPlaneSlice(const CSectionPlaneSlice&) = delete;
    CSectionPlaneSlice& operator=(const CSectionPlaneSlice&) = delete;
    ~CSectionPlaneSlice();

    // Computes the cut unless it is computed already. False when the frame meter stopped
    // the walk: the slices made so far are dropped and the cut is left empty, to be
    // computed again by a later frame.
    bool Compute(const CPlane3d& plane, ITarnisView* view);
    // What computing the cut of the component costs at most on its own level, in the
    // meter's units: every entity visited, every corner of its faces walked. The cut of a
    // placed definition costs less than drawing it, which its placements already weigh.
    [[nodiscard]] static std::uint64_t GetVisitWeight(const CComponent& component);
    void Draw(ITarnisView* view);

    [[nodiscard]] CComponentSlice& GetRoot() { return *m_root; }
    [[nodiscard]] int GetDefinitionSliceCount() const { return static_cast<int>(m_definitionSlices.size()); }
    // The first definition slice made for the definition whose plane equals the given one
    // within 0.001, either way round; null when there is none. compared, when given, gets
    // how many slices were compared with the plane.
    [[nodiscard]] CDefinitionSlice* FindDefinitionSlice(const CComponentDefinition* definition, const CPlane3d& plane,
                                                        std::uint64_t* compared = nullptr) const;
    // Element slices made so far, the shared definition slices counted once.
    [[nodiscard]] int GetSliceCount() const { return m_sliceCount; }

private:
    void BuildSlices(CComponentSlice& parent, const CPlane3d& plane, ITarnisView* view, int depth);
    void AddInstance(CComponentSlice& parent, CDrawingElement* entity, const CPlane3d& plane, ITarnisView* view,
                     int depth);
    [[nodiscard]] bool IsOnPath(const CComponent* component) const;
    // Charges the meter, a few units at a time; false, and the walk marked stopped, when
    // the frame must stop.
    bool Charge(std::uint64_t eighths);
    void Drop();

    std::unique_ptr<CComponentSlice> m_root;
    std::vector<std::unique_ptr<CDefinitionSlice>> m_definitionSlices;
    CDefinitionSliceIndex m_index;
    CSectionClipStack m_clipStack;
    std::vector<const CComponent*> m_path;
    int m_sliceCount = 0;
    std::uint64_t m_pendingEighths = 0;
    bool m_computed = false;
    bool m_stopped = false;
};
