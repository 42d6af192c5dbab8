#include "model/curveregistry.h"

#include <algorithm>

#include "model/curve.h"
#include "model/edge.h"

namespace {

struct CurveEntry
{
    CCurve* curve = nullptr;
    std::vector<CEdge*> edges;  // in the order they were read
};

// One list for the program: reading and copying never overlap.
std::vector<CurveEntry>& Entries()
{
    static std::vector<CurveEntry> entries;
    return entries;
}

// The curve's chain must hold exactly the edges that named it. When it knew its last
// edge before, the walk must end there, or a walk from that last edge must come
// back to the old first edge.
bool ResolveEntry(CurveEntry& entry)
{
    CCurve* curve = entry.curve;
    const int n = static_cast<int>(entry.edges.size());
    // Ends that an older record named but that are not among the curve's edges are
    // not trusted, nor even looked at: such an edge may already be gone.
    auto listed = [&entry](const CEdge* edge) {
        return edge != nullptr && std::find(entry.edges.begin(), entry.edges.end(), edge) != entry.edges.end();
    };
    CEdge* oldFirst = listed(curve->GetFirstEdge()) ? curve->GetFirstEdge() : nullptr;
    CEdge* oldLast = listed(curve->GetLastEdge()) ? curve->GetLastEdge() : nullptr;
    if (curve->ChainFromEdge(oldFirst != nullptr ? oldFirst : entry.edges.front(), n) != n) {
        return false;
    }
    if (oldLast == nullptr) {
        curve->Update(true, false);
        return true;
    }
    if (curve->GetLastEdge() == oldLast) {
        return true;
    }
    return curve->ChainFromEdge(oldLast, n) == n && curve->GetLastEdge() == oldFirst;
}

void Dissolve(CurveEntry& entry, bool eraseOrphans)
{
    for (auto it = entry.edges.rbegin(); it != entry.edges.rend(); ++it) {
        CEdge* edge = *it;
        edge->RecordChange(true);
        edge->SetCurve(nullptr);
        if (eraseOrphans && edge->GetParentComponent() == nullptr) {
            edge->Erase();
        }
    }
    entry.curve->SetEdgeCount(0);
    entry.curve->SetFirstEdge(nullptr);
    entry.curve->SetLastEdge(nullptr);
    entry.curve->Erase();
}

} // namespace

void CCurveRegistry::Reset()
{
    Entries().clear();
}

void CCurveRegistry::Add(CEdge* edge)
{
    if (edge == nullptr || edge->GetCurve() == nullptr) {
        return;
    }
    std::vector<CurveEntry>& entries = Entries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->curve == edge->GetCurve()) {
            if (std::find(it->edges.rbegin(), it->edges.rend(), edge) == it->edges.rend()) {
                it->edges.push_back(edge);
            }
            return;
        }
    }
    entries.push_back({edge->GetCurve(), {edge}});
}

void CCurveRegistry::Forget(const CEdge* edge)
{
    std::vector<CurveEntry>& entries = Entries();
    for (CurveEntry& entry : entries) {
        std::erase(entry.edges, edge);
    }
    std::erase_if(entries, [](const CurveEntry& entry) { return entry.edges.empty(); });
}

void CCurveRegistry::Resolve(bool eraseOrphans)
{
    // Taken out first: erasing entities may read a file's worth of curves anew.
    std::vector<CurveEntry> entries;
    entries.swap(Entries());
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!ResolveEntry(*it)) {
            Dissolve(*it, eraseOrphans);
        }
    }
}

int CCurveRegistry::GetEntryCount()
{
    return static_cast<int>(Entries().size());
}

std::vector<CEdge*> CCurveRegistry::GetEdgesOf(const CCurve* curve)
{
    for (const CurveEntry& entry : Entries()) {
        if (entry.curve == curve) {
            return entry.edges;
        }
    }
    return {};
}
