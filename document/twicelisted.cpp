#include "document/twicelisted.h"

#include <algorithm>
#include <deque>

#include "document/component.h"
#include "document/removalbatch.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/face.h"

namespace {

CComponent* HolderOf(const CDrawingElement* element)
{
    return dynamic_cast<CComponent*>(element->GetParent());
}

bool IsFaceOrEdge(const CDrawingElement* element)
{
    return element->GetTypeId() == kTypeFace || element->GetTypeId() == kTypeEdge;
}

// Calls visit with each edge a face's loops use, or each face that uses an edge.
template <typename Visit>
void ForEachNeighbour(const CDrawingElement* element, Visit visit)
{
    if (element->GetTypeId() == kTypeFace) {
        const auto* face = static_cast<const CFace*>(element);
        for (int l = 0; l < face->GetLoopCount(); ++l) {
            for (const CEdgeUse* use : UsesOf(face->GetLoop(l))) {
                if (CEdge* edge = use->GetEdge()) {
                    visit(edge);
                }
            }
        }
        return;
    }
    for (const CEdgeUse* use : UsesOf(static_cast<const CEdge*>(element))) {
        if (CFace* face = use->GetFace()) {
            visit(face);
        }
    }
}

// Takes each element out of the component holding it, one pass over each list.
void TakeOutOfHolders(const std::vector<std::pair<CDrawingElement*, CComponent*>>& moves)
{
    std::vector<CComponent*> holders;
    std::deque<CRemovalBatch> batches;
    for (const auto& [element, holder] : moves) {
        if (std::find(holders.begin(), holders.end(), holder) == holders.end()) {
            holders.push_back(holder);
            batches.emplace_back(holder);
        }
        (void)holder->Remove(element);
    }
}

}  // namespace

CTwiceListed::CTwiceListed(CComponent& reader, std::unordered_set<const CDrawingElement*>& takenIn)
    : m_reader(reader), m_takenIn(takenIn)
{
}

bool CTwiceListed::NoteNamed(CDrawingElement* element)
{
    const CComponent* holder = HolderOf(element);
    if (holder == nullptr || holder == &m_reader || !IsFaceOrEdge(element)) {
        return false;
    }
    const auto place = m_places.find(element);
    if (place != m_places.end() && m_noted[place->second].named) {
        return false;
    }
    Note(element, true, false);
    return true;
}

bool CTwiceListed::NoteUsed(CEdge* edge)
{
    if (HolderOf(edge) == nullptr) {
        return false;
    }
    Note(edge, false, true);
    return true;
}

void CTwiceListed::Note(CDrawingElement* element, bool named, bool used)
{
    const auto [place, added] = m_places.emplace(element, m_noted.size());
    if (added) {
        m_noted.push_back({element, named, used});
        return;
    }
    m_noted[place->second].named = m_noted[place->second].named || named;
    m_noted[place->second].used = m_noted[place->second].used || used;
}

bool CTwiceListed::IsNamed(const CDrawingElement* element) const
{
    const auto place = m_places.find(element);
    return place != m_places.end() && m_noted[place->second].named;
}

bool CTwiceListed::IsMovable(const CDrawingElement* element) const
{
    const CComponent* holder = HolderOf(element);
    return holder != nullptr && holder != &m_reader &&
           (m_places.count(element) > 0 || m_takenIn.count(element) > 0);
}

// What faces and edges a seed reaches through faces and edges that could move with it;
// those that could not tie the set to where they are.
CTwiceListed::Group CTwiceListed::GatherGroup(CDrawingElement* seed,
                                              std::unordered_set<const CDrawingElement*>& seen) const
{
    Group group;
    group.members.push_back(seed);
    (void)seen.insert(seed);
    for (std::size_t i = 0; i < group.members.size(); ++i) {
        ForEachNeighbour(group.members[i], [&](CDrawingElement* neighbour) {
            const CEntity* parent = neighbour->GetParent();
            // A face no list took yet waits for a list of its own.
            if (parent == nullptr || seen.count(neighbour) > 0) {
                return;
            }
            if (parent == &m_reader) {
                group.tiedHere = true;
            } else if (IsMovable(neighbour)) {
                group.members.push_back(neighbour);
                (void)seen.insert(neighbour);
            } else {
                group.tiedElsewhere = true;
            }
        });
    }
    return group;
}

CTwiceListed::Outcome CTwiceListed::Settle()
{
    Outcome outcome;
    Moves moves;
    std::unordered_set<const CDrawingElement*> seen;
    for (const Noted& noted : m_noted) {
        if (seen.count(noted.element) > 0) {
            continue;
        }
        const Group group = GatherGroup(noted.element, seen);
        if (group.tiedHere && !group.tiedElsewhere) {
            Bring(group, moves, outcome);
            continue;
        }
        outcome.leftOut += static_cast<std::uint64_t>(
            std::count_if(group.members.begin(), group.members.end(),
                          [this](const CDrawingElement* member) { return IsNamed(member); }));
    }
    TakeOutOfHolders(moves);
    for (const auto& [element, holder] : moves) {
        element->SetParent(&m_reader);
        outcome.came.push_back(element);
    }
    outcome.edgeHeldElsewhere = std::any_of(m_noted.begin(), m_noted.end(), [this](const Noted& noted) {
        return noted.used && noted.element->GetParent() != &m_reader;
    });
    return outcome;
}

// The set comes to the reader. An element its component's list held loses that entry;
// an edge only put back loses none, and is listed from now on when the reader names it.
void CTwiceListed::Bring(const Group& group, Moves& moves, Outcome& outcome)
{
    for (CDrawingElement* member : group.members) {
        moves.emplace_back(member, HolderOf(member));
        if (m_takenIn.count(member) == 0) {
            ++outcome.leftOut;
        } else if (IsNamed(member)) {
            (void)m_takenIn.erase(member);
        }
    }
}
