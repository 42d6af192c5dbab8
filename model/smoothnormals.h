#pragma once
// CSmoothNormals: the vertex normals of a component's smooth surfaces. Faces joined by
// smooth edges are shaded as one surface: at each corner of such a face the normal is
// the average of the normals of the faces around the vertex that the smooth edges
// connect, weighted by their corner angles. The averages live in this table; each edge
// use keeps the index of its start corner's entry (0 not computed, -1 the face's own
// normal, k >= 1 entry k), and faces that received an entry carry kFlagSmoothSurface.
//
// The component's drawing data owns one table; it is cleared when geometry changes and
// built again before faces are drawn. Uses set back to index 0 are computed anew.

#include <cstdint>
#include <vector>

#include "foundation/unitvector3d.h"

class CComponent;
class CEdgeUse;
class CFace;
class CTransformation;

class CSmoothNormals
{
public:
    // Marks a face that lies on a smooth surface.
    static constexpr std::uint32_t kFlagSmoothSurface = 0x800;
    // A fan is followed at most this many faces in each direction around a vertex.
    static constexpr int kMaxFanSteps = 1000;

    CSmoothNormals() = default;
    CSmoothNormals(const CSmoothNormals&) = delete;
    CSmoothNormals& operator=(const CSmoothNormals&) = delete;

    // Computes the corners not yet computed of every face of the component that has a
    // smooth edge. Does nothing once built.
    void Build(const CComponent& component);
    // The normal at the use's start corner, transformed when a transformation is
    // given: the table entry turned to the face's side, else the face's own normal
    // ((0, 0, 1) for a use without face).
    [[nodiscard]] CUnitVector3d GetNormal(const CEdgeUse& use, const CTransformation* transform) const;

    // Empties the table and sets every use of the component's faces back to 0 (and
    // drops their smooth-surface mark), so no use keeps an index into the old table;
    // the next Build computes everything again.
    void Clear(const CComponent& component);
    [[nodiscard]] bool IsBuilt() const { return m_built; }
    // While held, Build leaves the table unbuilt, so that it runs again next time.
    void SetHoldUnbuilt(bool hold) { m_holdUnbuilt = hold; }
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_normals.size()); }
    // Entry k, 1-based as the uses count; k must lie in 1..GetCount().
    [[nodiscard]] const CUnitVector3d& GetEntry(int k) const { return m_normals[k - 1]; }

private:
    void BuildFace(CFace& face);
    void ComputeFan(CEdgeUse* use);

    std::vector<CUnitVector3d> m_normals;
    bool m_built = false;
    bool m_holdUnbuilt = false;
};
