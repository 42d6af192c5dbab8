// The face operations that change topology across faces and loops: one face absorbing
// another, splits along chains of edges or at an edge a loop uses twice, holes moving
// between faces, touching holes joined and stray holes dropped. Each records its
// changes before it makes them.

#include <algorithm>
#include <vector>

#include "document/facetexturecoords.h"
#include "document/layer.h"
#include "foundation/polygon2d.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/faceprojection2d.h"
#include "model/loop.h"
#include "model/vertex.h"

namespace {

// What a face's referrers hear when a piece of it became a face of its own; the new
// face travels with it, so attached points can tell which piece they stand on.
constexpr int kReferenceFaceSplit = 4;

// Every point of the first polygon lies strictly inside the second.
bool IsStrictlyInside(const std::vector<CPoint2d>& points, const std::vector<CPoint2d>& polygon)
{
    if (points.empty() || polygon.size() < 3) {
        return false;
    }
    return std::all_of(points.begin(), points.end(), [&polygon](const CPoint2d& p) {
        return ClassifyPointInPolygon2d(p, polygon.data(), static_cast<int>(polygon.size())) == kPointInPolygon;
    });
}

// No point of the first polygon lies outside the second.
bool IsWithin(const std::vector<CPoint2d>& points, const std::vector<CPoint2d>& polygon)
{
    if (points.empty() || polygon.size() < 3) {
        return false;
    }
    return std::none_of(points.begin(), points.end(), [&polygon](const CPoint2d& p) {
        return ClassifyPointInPolygon2d(p, polygon.data(), static_cast<int>(polygon.size())) == kPointOutsidePolygon;
    });
}

// The uses of a loop in ring order (bounded by the loop's own guard).
std::vector<CEdgeUse*> UsesOf(const CLoop* loop)
{
    std::vector<CEdgeUse*> uses;
    CEnumEdgeUseLoop ring(loop);
    CEdgeUse* use = nullptr;
    while (ring.Next(use)) {
        uses.push_back(use);
    }
    return uses;
}

// Every edge of the first loop is an edge of the second.
bool RunsWhollyAlong(const CLoop* loop, const CLoop* other)
{
    const std::vector<CEdgeUse*> uses = UsesOf(loop);
    return !uses.empty() &&
           std::all_of(uses.begin(), uses.end(), [other](const CEdgeUse* use) { return other->ContainsEdge(use->GetEdge()); });
}

} // namespace

void CFace::TakeLayerFrom(const CFace* other)
{
    if (other == nullptr || CLayer::IsDefaultLayer(other->GetEffectiveLayer())) {
        return;
    }
    if (CLayer::IsDefaultLayer(GetEffectiveLayer()) || GetArea() < other->GetArea()) {
        SetLayer(other->GetLayer());
    }
}

void CFace::TakeMaterialsFrom(const CFace* other)
{
    if (other == nullptr || !(GetArea() < other->GetArea())) {
        return;
    }
    if (GetMaterial() != nullptr) {
        SetMaterial(other->GetMaterial());
        CopyTexturePlacementFrom(other, true);
    }
    if (m_backMaterial != nullptr) {
        SetBackMaterial(other->m_backMaterial);
        CopyTexturePlacementFrom(other, false);
    }
}

void CFace::CopyTexturePlacementFrom(const CFace* other, bool front)
{
    const CFaceTextureCoords* source = GetFaceTextureCoords(other);
    if (source == nullptr || source->IsEmpty()) {
        return;
    }
    CFaceTextureCoords* own = GetFaceTextureCoords(this);
    if (own == nullptr) {
        own = new CFaceTextureCoords;
        GetOrCreateAttributeContainer(own);
    }
    if (front) {
        own->SetFrontPlacement(source->GetFrontPlacement());
    } else {
        own->SetBackPlacement(source->GetBackPlacement());
    }
}

bool CFace::MergeWith(CFace* other, CEdge* sharedEdge)
{
    if (other == nullptr || other == this || sharedEdge == nullptr) {
        return false;
    }
    CLoop* ownLoop = sharedEdge->GetLoopOnFace(this);
    CLoop* otherLoop = sharedEdge->GetLoopOnFace(other);
    if (ownLoop == nullptr || otherLoop == nullptr || RunsWhollyAlong(ownLoop, otherLoop) ||
        RunsWhollyAlong(otherLoop, ownLoop)) {
        return false;
    }
    RecordChange(true);
    TakeMaterialsFrom(other);
    TakeLayerFrom(other);
    other->ReplaceInRelationships(this);
    ownLoop->JoinAcrossEdge(otherLoop, sharedEdge);
    other->RecordChange(true);
    if (otherLoop->GetFirstEdgeUse() == nullptr) {
        other->m_loops.RemoveAt(other->m_loops.Find(otherLoop));
        otherLoop->Erase();
    }
    for (std::int32_t i = other->m_loops.GetCount() - 1; i >= 0; --i) {
        CLoop* hole = other->m_loops.GetAt(i);
        if (hole == nullptr || hole->IsOuter()) {
            continue;
        }
        other->m_loops.RemoveAt(i);
        hole->SetFace(nullptr);
        AddInnerLoop(hole);
    }
    other->OnGeometryChanged();
    RefitPlane(nullptr, true);
    other->NotifyReferrers(kReferenceMerged, this);
    return true;
}

CFace* CFace::SplitByEdges(int count, CEdge* const* edges, CLoop* loop)
{
    if (loop == nullptr || loop->GetFace() != this || count < 1 || edges == nullptr) {
        return nullptr;
    }
    RecordChange(true);
    CLoop* created = loop->SplitByEdges(count, edges);
    if (created == nullptr) {
        return nullptr;
    }
    created->SetOuter(true);
    auto* face = new CFace(m_plane, created);
    created->SetFace(face);
    RefitPlane(nullptr, true);
    face->RefitPlane(nullptr, true);
    if (loop->IsOuter()) {
        DistributeHoles(face);
    }
    MoveRelationshipsTo(face);
    face->CopyPropertiesFrom(this);
    NotifyReferrers(kReferenceFaceSplit, face);
    OnGeometryChanged();
    return face;
}

CLoop* CFace::SplitAtEdge(CEdge* edge)
{
    CLoop* loop = edge != nullptr ? edge->GetLoopOnFace(this) : nullptr;
    if (loop == nullptr) {
        return nullptr;
    }
    RecordChange(true);
    CLoop* separated = loop->SplitAtEdge(edge);
    if (separated == nullptr) {
        OnGeometryChanged();
        return nullptr;
    }
    if (separated->IsOuter() && loop->IsOuter()) {
        // Which piece stays depends on the winding: the piece that winds the way the
        // outer loop must keeps this face.
        if (separated->GetSignedArea(GetNormal(), nullptr) > 0.0 &&
            loop->GetSignedArea(GetNormal(), nullptr) > 0.0) {
            auto* face = new CFace(m_plane, separated);
            separated->SetFace(face);
            OnGeometryChanged();
            DistributeHoles(face);
            MoveRelationshipsTo(face);
            face->CopyPropertiesFrom(this);
            return separated;
        }
    }
    separated->SetFace(nullptr);
    AddInnerLoop(separated);
    return separated;
}

void CFace::DistributeHoles(CFace* newFace)
{
    if (newFace == nullptr || m_loops.GetCount() < 2) {
        return;
    }
    const CFaceProjection2d projection(this);
    bool recorded = false;
    for (std::int32_t i = m_loops.GetCount() - 1; i >= 1; --i) {
        CLoop* hole = m_loops.GetAt(i);
        if (hole == nullptr || hole->IsOuter()) {
            continue;
        }
        std::vector<CPoint3d> points;
        hole->GetPoints(points, nullptr);
        const bool outside = std::any_of(points.begin(), points.end(), [&projection](const CPoint3d& p) {
            return projection.ClassifyPointOuter(p) == kPointOutsidePolygon;
        });
        if (!outside) {
            continue;
        }
        if (!recorded) {
            RecordChange(true);
            newFace->RecordChange(true);
            recorded = true;
        }
        m_loops.RemoveAt(i);
        hole->SetFace(newFace);
        newFace->m_loops.Append(hole);
    }
    if (recorded) {
        OnGeometryChanged();
        newFace->OnGeometryChanged();
    }
}

void CFace::JoinTouchingLoops()
{
    bool joined = false;
    // Each join takes one loop away, so the loop count bounds the passes.
    for (int guard = m_loops.GetCount(); guard > 0 && m_loops.GetCount() >= 2; --guard) {
        CEdgeUse* use = nullptr;
        CEdgeUse* partner = nullptr;
        CLoop* loop = nullptr;
        for (std::int32_t i = 0; i < m_loops.GetCount() && loop == nullptr; ++i) {
            if (m_loops.GetAt(i)->FindAdjacentLoopOfFace(use, partner)) {
                loop = m_loops.GetAt(i);
            }
        }
        if (loop == nullptr) {
            break;
        }
        CLoop* kept = JoinLoopsAtEdgeUse(use, partner);
        joined = true;
        CEdge* twice = nullptr;
        std::vector<CEdge*> seen;
        for (CEdgeUse* own : UsesOf(kept)) {
            if (std::find(seen.begin(), seen.end(), own->GetEdge()) != seen.end()) {
                twice = own->GetEdge();
                break;
            }
            seen.push_back(own->GetEdge());
        }
        if (twice == nullptr) {
            continue;
        }
        RecordChange(true);
        CLoop* separated = kept->SplitAtEdge(twice);
        if (separated == nullptr) {
            continue;
        }
        separated->SetFace(nullptr);
        std::vector<CPoint2d> keptPolygon;
        std::vector<CPoint2d> separatedPolygon;
        kept->GetPolygon(m_plane, nullptr, keptPolygon);
        separated->GetPolygon(m_plane, nullptr, separatedPolygon);
        if (IsStrictlyInside(separatedPolygon, keptPolygon)) {
            if (!kept->IsOuter()) {
                separated->Erase();
            } else {
                AddInnerLoop(separated);
            }
        } else if (IsStrictlyInside(keptPolygon, separatedPolygon) && !separated->IsOuter()) {
            RemoveLoop(kept, true);
            AddInnerLoop(separated);
        } else {
            AddInnerLoop(separated);
        }
    }
    if (joined) {
        RemoveStrayLoops();
    }
}

void CFace::RemoveStrayLoops()
{
    const CLoop* outer = GetOuterLoop();
    if (outer == nullptr || m_loops.GetCount() < 2) {
        return;
    }
    std::vector<std::vector<CPoint2d>> polygons(static_cast<std::size_t>(m_loops.GetCount()));
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        m_loops.GetAt(i)->GetPolygon(m_plane, nullptr, polygons[static_cast<std::size_t>(i)]);
    }
    std::vector<CLoop*> stray;
    for (std::size_t i = 1; i < polygons.size(); ++i) {
        bool drop = !IsWithin(polygons[i], polygons[0]);
        for (std::size_t j = 1; j < polygons.size() && !drop; ++j) {
            drop = j != i && IsStrictlyInside(polygons[i], polygons[j]);
        }
        if (drop) {
            stray.push_back(m_loops.GetAt(static_cast<std::int32_t>(i)));
        }
    }
    for (CLoop* loop : stray) {
        RemoveLoop(loop, true);
    }
}

CEdge* CFace::FindSharedEdgeLoop(const CFace* other) const
{
    if (other == nullptr) {
        return nullptr;
    }
    for (std::int32_t i = 0; i < m_loops.GetCount(); ++i) {
        for (std::int32_t j = 0; j < other->m_loops.GetCount(); ++j) {
            if (CEdge* shared = m_loops.GetAt(i)->SharesEdgeWith(other->m_loops.GetAt(j))) {
                return shared;
            }
        }
    }
    return nullptr;
}

CLoop* CFace::JoinLoopsAtEdgeUse(CEdgeUse* a, CEdgeUse* b)
{
    if (a == nullptr || b == nullptr || a->GetEdge() != b->GetEdge()) {
        return nullptr;
    }
    CLoop* kept = a->GetLoop();
    CLoop* other = b->GetLoop();
    if (kept == nullptr || other == nullptr || kept == other || !HasLoop(kept) || !HasLoop(other)) {
        return kept;
    }
    if (!kept->IsOuter() && other->IsOuter()) {
        std::swap(kept, other);
    }
    RecordChange(true);
    kept->JoinAcrossEdge(other, a->GetEdge());
    if (other->GetFirstEdgeUse() == nullptr) {
        RemoveLoop(other, true);
    }
    OnGeometryChanged();
    return kept;
}

bool CFace::ConnectLoops(CVertex* vertexA, CEdge* edgeA, CLoop* loopA, CVertex* vertexB, CEdge* edgeB, CLoop* loopB)
{
    if (loopA == nullptr || loopB == nullptr || !HasLoop(loopA) || !HasLoop(loopB)) {
        return false;
    }
    RecordChange(true);
    bool connected = false;
    if (!loopA->IsOuter() && loopB->IsOuter()) {
        connected = loopB->ConnectLoops(vertexB, edgeB, vertexA, edgeA, loopA);
        if (connected) {
            RemoveLoop(loopA, true);
        }
    } else {
        connected = loopA->ConnectLoops(vertexA, edgeA, vertexB, edgeB, loopB);
        if (connected) {
            RemoveLoop(loopB, true);
        }
    }
    if (connected) {
        OnGeometryChanged();
    }
    return connected;
}

CLoop* CFace::FindHoleMatchingOuterLoop() const
{
    const CLoop* outer = GetOuterLoop();
    if (outer == nullptr) {
        return nullptr;
    }
    std::vector<CLoop*> candidates;
    bool first = true;
    for (CEdgeUse* use : UsesOf(outer)) {
        if (first) {
            CEnumEdgeUsePartners partners(use);
            CEdgeUse* partner = nullptr;
            while (partners.Next(partner)) {
                CLoop* loop = partner->GetLoop();
                const CFace* face = loop != nullptr ? loop->GetFace() : nullptr;
                if (face != nullptr && face != this && !loop->IsOuter() && face->GetPlane().IsEqual(m_plane, false) &&
                    std::find(candidates.begin(), candidates.end(), loop) == candidates.end()) {
                    candidates.push_back(loop);
                }
            }
            first = false;
        } else {
            const CEdge* edge = use->GetEdge();
            std::erase_if(candidates, [edge](const CLoop* loop) { return !loop->ContainsEdge(edge); });
        }
        if (candidates.empty()) {
            return nullptr;
        }
    }
    return candidates.empty() ? nullptr : candidates.front();
}
