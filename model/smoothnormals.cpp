#include "model/smoothnormals.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "document/component.h"
#include "foundation/parallelchunks.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedge.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/vertex.h"

namespace {

// A face normal deviating this much from a regular fan's average makes it irregular.
constexpr double kRegularFanSpread = 0.39269908169872414;  // pi / 8
constexpr double kAngleTolerance = 0.001;
constexpr double kNormalTolerance = 1e-6;
// Closed fans of fewer faces are never taken as regular.
constexpr int kMinRegularFan = 6;

// How a fan around a vertex ended.
enum FanOutcome
{
    kFanClosed = 0,
    kFanOpenAtSenseA = 1,
    kFanOpenBothEnds = 2,
};

// A use starting at the fan's vertex, with whether its face is oriented like the
// face the walk started from.
struct Corner
{
    CEdgeUse* use;
    bool agree;
};

CVector3d ToVector(const CUnitVector3d& u)
{
    return {u.x, u.y, u.z};
}

// The next corner across the smooth edge that the sense crosses; false at an open end
// (an edge that is hard or not shared by exactly two faces).
bool StepAcross(const Corner& corner, bool senseA, const CVertex* vertex, Corner& next)
{
    CEdgeUse* arriving = corner.use->GetPrevious();
    if (arriving == nullptr) {
        return false;
    }
    CEdgeUse* crossing = senseA == corner.agree ? arriving : corner.use;
    const CEdge* edge = crossing->GetEdge();
    if (edge == nullptr || !edge->IsSmooth()) {
        return false;
    }
    // Two uses lead to each other; counting the uses instead would walk a ring of
    // thousands for each of its uses.
    CEdgeUse* partner = crossing->GetNextAroundEdge();
    if (partner == nullptr || partner == crossing || partner->GetNextAroundEdge() != crossing) {
        return false;
    }
    const bool startsHere = partner->GetStartVertex() == vertex;
    next.use = startsHere ? partner : partner->GetNext();
    next.agree = senseA ? startsHere : !startsHere;
    return next.use != nullptr && next.use->GetStartVertex() == vertex && next.use->GetFace() != nullptr;
}

// The corners around the use's start vertex in fan order: from the far end of sense
// B through the use to the far end of sense A.
FanOutcome WalkFan(CEdgeUse* use, std::vector<Corner>& fan)
{
    const CVertex* vertex = use->GetStartVertex();
    const Corner first{use, true};
    std::vector<Corner> senseA;
    Corner corner = first;
    bool openA = false;
    for (int step = 0; step < CSmoothNormals::kMaxFanSteps; ++step) {
        Corner next{};
        if (!StepAcross(corner, true, vertex, next)) {
            openA = true;
            break;
        }
        if (next.use == use && next.agree) {
            break;
        }
        senseA.push_back(next);
        corner = next;
    }
    std::vector<Corner> senseB;
    bool openB = false;
    if (openA) {
        corner = first;
        for (int step = 0; step < CSmoothNormals::kMaxFanSteps; ++step) {
            Corner next{};
            if (!StepAcross(corner, false, vertex, next)) {
                openB = true;
                break;
            }
            senseB.push_back(next);
            corner = next;
        }
    }
    fan.assign(senseB.rbegin(), senseB.rend());
    fan.push_back(first);
    fan.insert(fan.end(), senseA.begin(), senseA.end());
    if (!openA) {
        return kFanClosed;
    }
    return openB ? kFanOpenBothEnds : kFanOpenAtSenseA;
}

CVector3d CornerNormal(const Corner& corner)
{
    const CVector3d normal = ToVector(corner.use->GetFace()->GetNormal());
    return corner.agree ? normal : -normal;
}

// The angle of the face at the corner, between its two edges at the vertex.
double CornerAngle(const Corner& corner)
{
    const CEdgeUse* arriving = corner.use->GetPrevious();
    const CVertex* here = corner.use->GetStartVertex();
    const CVertex* ahead = corner.use->GetEndVertex();
    const CVertex* behind = arriving != nullptr ? arriving->GetStartVertex() : nullptr;
    if (here == nullptr || ahead == nullptr || behind == nullptr) {
        return 0.0;
    }
    const CVector3d a = ahead->GetPosition() - here->GetPosition();
    const CVector3d b = behind->GetPosition() - here->GetPosition();
    return std::atan2(a.CrossProduct(b).GetLength(), DotProduct(a, b));
}

bool NearlyEqual(const CVector3d& a, const CVector3d& b)
{
    return std::fabs(a.x - b.x) <= kNormalTolerance && std::fabs(a.y - b.y) <= kNormalTolerance &&
           std::fabs(a.z - b.z) <= kNormalTolerance;
}

// A closed fan of at least six equal triangles: a cone's apex or a vertex of a
// regular mesh, which stays faceted unless its faces spread widely.
bool IsRegularFan(const std::vector<Corner>& fan, FanOutcome outcome)
{
    if (outcome != kFanClosed || static_cast<int>(fan.size()) < kMinRegularFan) {
        return false;
    }
    const double firstAngle = CornerAngle(fan.front());
    for (const Corner& corner : fan) {
        if (corner.use->GetFace()->GetEdgeUseCount() != 3 ||
            std::fabs(CornerAngle(corner) - firstAngle) > kAngleTolerance) {
            return false;
        }
    }
    return true;
}

bool HasSmoothEdge(const CFace& face)
{
    std::unique_ptr<CEnumEdge> edges(face.NewEdgeEnum());
    CEdge* edge = nullptr;
    while (edges->Next(edge)) {
        if (edge->IsSmooth()) {
            return true;
        }
    }
    return false;
}

const std::vector<CDrawingElement*> kNoElements;

}  // namespace

void CSmoothNormals::Clear(const CComponent& component)
{
    m_normals.clear();
    m_built = false;
    for (CDrawingElement* element : component.GetEntityList()) {
        auto* face = dynamic_cast<CFace*>(element);
        if (face == nullptr) {
            continue;
        }
        face->SetFlagBits(kFlagSmoothSurface, false);
        std::unique_ptr<CEnumEdgeUse> uses(face->NewEdgeUseEnum());
        CEdgeUse* use = nullptr;
        while (uses->Next(use)) {
            use->SetSmoothNormalIndex(0);
        }
    }
}

namespace {

bool IsSmoothEdge(const CDrawingElement* element)
{
    return element->IsSmooth() && dynamic_cast<const CEdge*>(element) != nullptr;
}

bool ListHasSmoothEdge(const std::vector<CDrawingElement*>& elements)
{
    // A mesh's millions of flags lie all over memory: a long list is looked over in chunks
    // on the processors the program may use.
    if (!CParallelChunks::IsWorthSplitting(elements.size())) {
        return std::any_of(elements.begin(), elements.end(), IsSmoothEdge);
    }
    std::vector<char> found(CParallelChunks::ChunksOf(elements.size()), 0);
    CParallelChunks::RunOverList(elements.size(), [&](std::size_t chunk, std::size_t first, std::size_t end) {
        const auto at = [&elements](std::size_t i) { return elements.begin() + static_cast<std::ptrdiff_t>(i); };
        found[chunk] = std::any_of(at(first), at(end), IsSmoothEdge) ? 1 : 0;
    });
    return std::find(found.begin(), found.end(), 1) != found.end();
}

}  // namespace

void CSmoothNormals::Build(const CComponent& component)
{
    if (m_built) {
        return;
    }
    // Most components have no smooth edge at all: one look at each element's flags
    // spares every face its walk over its edges.
    const std::vector<CDrawingElement*>& elements = component.GetEntityList();
    const bool anySmooth = ListHasSmoothEdge(elements);
    for (CDrawingElement* element : anySmooth ? elements : kNoElements) {
        if (auto* face = dynamic_cast<CFace*>(element)) {
            BuildFace(*face);
        }
    }
    if (!m_holdUnbuilt) {
        m_built = true;
    }
}

void CSmoothNormals::BuildFace(CFace& face)
{
    if (!HasSmoothEdge(face)) {
        return;
    }
    std::unique_ptr<CEnumEdgeUse> uses(face.NewEdgeUseEnum());
    CEdgeUse* use = nullptr;
    while (uses->Next(use)) {
        if (use->GetSmoothNormalIndex() == 0 && use->GetStartVertex() != nullptr && use->GetPrevious() != nullptr &&
            use->GetFace() != nullptr) {
            ComputeFan(use);
        }
    }
}

void CSmoothNormals::ComputeFan(CEdgeUse* use)
{
    std::vector<Corner> fan;
    const FanOutcome outcome = WalkFan(use, fan);
    bool regular = IsRegularFan(fan, outcome);

    CVector3d sum(0.0, 0.0, 0.0);
    double totalWeight = 0.0;
    for (std::size_t i = 0; i < fan.size(); ++i) {
        double weight = CornerAngle(fan[i]);
        if (outcome == kFanOpenAtSenseA && (i == 0 || i + 1 == fan.size())) {
            weight *= 0.5;
        }
        sum += CornerNormal(fan[i]) * weight;
        totalWeight += weight;
    }
    if (totalWeight <= 0.0) {
        return;
    }
    CVector3d average = sum / totalWeight;
    if (!average.Normalize()) {
        return;
    }
    if (regular) {
        const CUnitVector3d averageDirection(average);
        for (const Corner& corner : fan) {
            if (CUnitVector3d(CornerNormal(corner)).AngleTo(averageDirection) >= kRegularFanSpread) {
                regular = false;
                break;
            }
        }
    }
    std::int32_t entry = 0;
    for (const Corner& corner : fan) {
        const CVector3d normal = CornerNormal(corner);
        if (regular || NearlyEqual(normal, average) || NearlyEqual(normal, -average)) {
            corner.use->SetSmoothNormalIndex(-1);
            continue;
        }
        corner.use->GetFace()->SetFlagBits(kFlagSmoothSurface, true);
        if (entry == 0) {
            m_normals.emplace_back(average);
            entry = static_cast<std::int32_t>(m_normals.size());
        }
        corner.use->SetSmoothNormalIndex(entry);
    }
}

CUnitVector3d CSmoothNormals::GetNormal(const CEdgeUse& use, const CTransformation* transform) const
{
    const CFace* face = use.GetFace();
    const CVector3d faceNormal = face != nullptr ? ToVector(face->GetNormal()) : CVector3d(0.0, 0.0, 1.0);
    CVector3d normal = faceNormal;
    const std::int32_t index = use.GetSmoothNormalIndex();
    if (index >= 1 && index <= GetCount()) {
        normal = ToVector(GetEntry(index));
        if (DotProduct(normal, faceNormal) < 0.0) {
            normal = -normal;
        }
    }
    if (transform != nullptr) {
        normal = *transform * normal;
    }
    return CUnitVector3d(normal);
}
