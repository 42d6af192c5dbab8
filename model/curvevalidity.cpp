// The curve's consistency check and the repairs it makes: dissolving a curve whose
// chain is broken, and cutting a curve that branches into one curve per run.

#include <algorithm>
#include <unordered_set>
#include <vector>

#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "model/curve.h"
#include "model/edge.h"
#include "model/validitylog.h"
#include "model/vertex.h"

namespace {

enum CurveMessageId : int
{
    kMsgCurveParentMissing = 20717,
    kMsgCurveParentDiffers = 20829,
    kMsgCurveBranches = 20830,
    kMsgCurveCountWrong = 20831,
    kMsgCurveEndMissing = 21744,
    kMsgCurveEndNotEdge = 21745,
    kMsgCurveEndNotOnCurve = 21746,
    kMsgCurveVertexMissing = 21747
};

// The program's own sentences for these messages; each takes the curve's label.
const char* CurveMessageFormat(int id)
{
    switch (id) {
    case kMsgCurveParentMissing:
        return "%s has no parent component.";
    case kMsgCurveParentDiffers:
        return "%s has another parent than its first edge.";
    case kMsgCurveBranches:
        return "%s branches at a vertex.";
    case kMsgCurveCountWrong:
        return "%s counts another number of edges than its chain has.";
    case kMsgCurveEndMissing:
        return "%s lacks its first or last edge.";
    case kMsgCurveEndNotEdge:
        return "%s has a first or last edge that is not an edge.";
    case kMsgCurveEndNotOnCurve:
        return "%s has a first or last edge that belongs to another curve.";
    case kMsgCurveVertexMissing:
        return "%s lacks its start or end vertex.";
    default:
        return "%s";
    }
}

void AppendCurveMessage(int id, const CCurve* curve)
{
    AppendValidityMessage(CurveMessageFormat(id), GetEntityLabel(curve));
}

// Every edge of the component, of the components it holds, that names the curve.
void CollectEdgesOfCurve(CComponent* component, const CCurve* curve, std::vector<CEdge*>& out,
                         std::unordered_set<const CComponent*>& visited)
{
    if (component == nullptr || !visited.insert(component).second) {
        return;
    }
    for (CDrawingElement* element : component->GetEntityList()) {
        if (element == nullptr) {
            continue;
        }
        if (element->IsKindOf(RUNTIME_CLASS(CEdge))) {
            auto* edge = static_cast<CEdge*>(element);
            if (edge->GetCurve() == curve) {
                out.push_back(edge);
            }
        } else if (element->IsKindOf(RUNTIME_CLASS(CComponent))) {
            CollectEdgesOfCurve(static_cast<CComponent*>(element), curve, out, visited);
        }
    }
}

bool IsCheckedEdge(const CEdge* edge, const CCurve* curve)
{
    return edge != nullptr && edge->IsKindOf(RUNTIME_CLASS(CEdge)) && edge->GetCurve() == curve;
}

} // namespace

// Repair

void CCurve::EraseAndDetach()
{
    CComponent* component = GetParentComponent();
    if (component == nullptr && GetCurrentModel() != nullptr) {
        component = GetCurrentModel()->GetRootComponent();
    }
    std::vector<CEdge*> edges;
    std::unordered_set<const CComponent*> visited;
    CollectEdgesOfCurve(component, this, edges, visited);
    // Edges outside any component still point here; the chain finds those it reaches.
    GetEdges(edges);
    std::unordered_set<const CEdge*> detached;
    for (CEdge* edge : edges) {
        if (edge->GetCurve() == this && detached.insert(edge).second) {
            edge->RecordChange(true);
            edge->SetCurve(nullptr);
        }
    }
    RecordChange(true);
    m_edgeCount = 0;
    m_firstEdge = nullptr;
    m_lastEdge = nullptr;
    Erase();
}

// Cuts the chain into runs at every vertex where other than two of its edges meet,
// and gives each run a curve of its own. This curve is left without edges and goes.
void CCurve::SplitIntoRuns()
{
    std::vector<CEdge*> members;
    std::unordered_set<const CVertex*> seenVertices;
    std::unordered_set<const CEdge*> seenEdges;
    std::vector<const CVertex*> pending{GetStartVertex()};
    while (!pending.empty()) {
        const CVertex* vertex = pending.back();
        pending.pop_back();
        if (vertex == nullptr || !seenVertices.insert(vertex).second) {
            continue;
        }
        for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
            CEdge* edge = vertex->GetEdgeAt(i);
            if (edge != nullptr && edge->GetCurve() == this && seenEdges.insert(edge).second) {
                members.push_back(edge);
                pending.push_back(edge->GetOtherVertex(vertex));
            }
        }
    }

    std::vector<std::vector<CEdge*>> runs;
    std::unordered_set<const CEdge*> handled;
    for (CEdge* member : members) {
        if (handled.count(member) != 0) {
            continue;
        }
        // Back to an end of the run.
        CEdge* current = member;
        CVertex* vertex = member->GetStartVertex();
        std::unordered_set<const CEdge*> back{member};
        while (CountVertexCurveEdges(vertex) == 2) {
            CEdge* next = GetNextCurveEdge(vertex, current);
            if (next == nullptr || !back.insert(next).second) {
                break;
            }
            vertex = next->GetOtherVertex(vertex);
            current = next;
        }
        // Then along the run, through vertices where exactly two of its edges meet.
        std::vector<CEdge*> run;
        CVertex* far = current->GetOtherVertex(vertex);
        while (current != nullptr && handled.insert(current).second) {
            run.push_back(current);
            if (CountVertexCurveEdges(far) != 2) {
                break;
            }
            current = GetNextCurveEdge(far, current);
            if (current != nullptr) {
                far = current->GetOtherVertex(far);
            }
        }
        runs.push_back(std::move(run));
    }

    for (const std::vector<CEdge*>& run : runs) {
        auto* runCurve = new CCurve;
        for (CEdge* edge : run) {
            RecordChange(true);
            if (m_edgeCount > 0) {
                --m_edgeCount;
            }
            edge->SetCurve(runCurve);
        }
        runCurve->RebuildFromEdge(run.front());
    }
    RecordChange(true);
    m_edgeCount = 0;
    m_firstEdge = nullptr;
    m_lastEdge = nullptr;
    Erase();
}

// Check

// A vertex where the curve runs on although further visible geometry meets it.
static bool IsBranchVertex(const CCurve* curve, const CVertex* vertex)
{
    const int count = vertex != nullptr ? vertex->GetEdgeCount() : 0;
    if (count < 3) {
        return false;
    }
    std::vector<const CEdge*> others;
    int onCurve = 0;
    for (int i = 0; i < count; ++i) {
        const CEdge* edge = vertex->GetEdgeAt(i);
        if (edge == nullptr) {
            continue;
        }
        if (edge->GetCurve() == curve) {
            ++onCurve;
        } else {
            others.push_back(edge);
        }
    }
    if (onCurve != 2) {
        return false;
    }
    for (auto it = others.rbegin(); it != others.rend(); ++it) {
        const CEdge* other = *it;
        if (other->HasFlag(CDrawingElement::kFlagSoft)) {
            continue;
        }
        if (other->GetCurve() != nullptr) {
            return true;
        }
        const CVertex* far = other->GetOtherVertex(vertex);
        const int farCount = far != nullptr ? far->GetEdgeCount() : 0;
        for (int i = 0; i < farCount; ++i) {
            const CEdge* edge = far->GetEdgeAt(i);
            if (edge != nullptr && edge->GetCurve() != nullptr) {
                if (edge->GetCurve() == curve) {
                    return true;
                }
                break;
            }
        }
    }
    return false;
}

int CCurve::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CCurve), results, result)) {
        return result;
    }
    result = CheckCurvePart(mode, results);
    // A curve that repair erased is gone and answers sound.
    return result < 0 ? kValiditySound : SetCheckResult(result, results);
}

int CCurve::CheckCurvePart(int mode, CValidityResultMap* results)
{
    const int entityResult = CEntity::CheckValidity(mode, results);
    if (entityResult != kValiditySound) {
        return entityResult;
    }
    int result = CheckChain(mode, results);
    if (result < 0) {
        return result;
    }
    for (CVertex* vertex : {GetStartVertex(), GetEndVertex()}) {
        if (vertex != nullptr) {
            const int vertexResult = vertex->CheckValidity(mode, nullptr);
            if (vertexResult >= kValidityStale) {
                result = std::max(result, vertexResult);
            }
        }
    }
    return result;
}

// Answers a severity, or -1 when repair erased the curve.
int CCurve::CheckChain(int mode, CValidityResultMap* /*results*/)
{
    int result = kValiditySound;
    // Each finding is either repaired (the curve goes or is cut) or counts as 1.
    auto finding = [&](int id, bool cut) -> bool {
        AppendCurveMessage(id, this);
        if (BeginRepair(mode)) {
            if (cut) {
                SplitIntoRuns();
            } else {
                EraseAndDetach();
            }
            return true;
        }
        result = std::max(result, static_cast<int>(kValidityRepairable));
        return false;
    };

    if (mode != kValidityModeIgnoreStaleIds) {
        if (m_firstEdge == nullptr || m_lastEdge == nullptr) {
            if (finding(kMsgCurveEndMissing, false)) {
                return -1;
            }
        } else if (!m_firstEdge->IsKindOf(RUNTIME_CLASS(CEdge)) || !m_lastEdge->IsKindOf(RUNTIME_CLASS(CEdge))) {
            if (finding(kMsgCurveEndNotEdge, false)) {
                return -1;
            }
        } else if (m_firstEdge->GetCurve() != this || m_lastEdge->GetCurve() != this) {
            if (finding(kMsgCurveEndNotOnCurve, false)) {
                return -1;
            }
        }
    }
    const bool endsSound = IsCheckedEdge(m_firstEdge, this) && IsCheckedEdge(m_lastEdge, this);

    if (GetParentComponent() == nullptr) {
        AppendCurveMessage(kMsgCurveParentMissing, this);
        if (BeginRepair(mode)) {
            if (m_firstEdge != nullptr) {
                SetParent(m_firstEdge->GetParent());
            }
        } else {
            result = std::max(result, static_cast<int>(kValidityRepairable));
        }
    } else if (m_firstEdge != nullptr && GetParentComponent() != m_firstEdge->GetParentComponent()) {
        AppendCurveMessage(kMsgCurveParentDiffers, this);
        if (BeginRepair(mode)) {
            SetParent(m_firstEdge->GetParent());
        } else {
            result = std::max(result, static_cast<int>(kValidityRepairable));
        }
    }
    if (!endsSound) {
        return result;
    }

    CVertex* start = GetStartVertex();
    if (start == nullptr || GetEndVertex() == nullptr) {
        return finding(kMsgCurveVertexMissing, false) ? -1 : result;
    }

    // The edges connected to the start vertex through edges of this curve.
    std::unordered_set<const CEdge*> connected;
    std::unordered_set<const CVertex*> seen;
    std::vector<const CVertex*> pending{start};
    bool tooMany = false;
    bool branch = false;
    while (!pending.empty()) {
        const CVertex* vertex = pending.back();
        pending.pop_back();
        if (!seen.insert(vertex).second) {
            continue;
        }
        tooMany = tooMany || CountVertexCurveEdges(vertex) > 2;
        branch = branch || IsBranchVertex(this, vertex);
        for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
            const CEdge* edge = vertex->GetEdgeAt(i);
            if (edge != nullptr && edge->GetCurve() == this && connected.insert(edge).second) {
                if (const CVertex* far = edge->GetOtherVertex(vertex)) {
                    pending.push_back(far);
                }
            }
        }
    }
    if (m_edgeCount <= 0 || static_cast<size_t>(m_edgeCount) != connected.size()) {
        if (finding(kMsgCurveCountWrong, false)) {
            return -1;
        }
    }
    if (tooMany) {
        if (finding(kMsgCurveBranches, true)) {
            return -1;
        }
    } else if (branch) {
        if (finding(kMsgCurveBranches, false)) {
            return -1;
        }
    }
    return result;
}
