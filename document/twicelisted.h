#pragma once
// The faces and edges that a component's entity list names while another component
// holds them already: a damaged file listed them twice. Faces sharing edges form
// connected sets, and a set never parts, since erasing one component would free what a
// face of the other still uses. A set stays with the component that listed it first,
// this list's entries left out, unless faces this list holds use its edges and no face
// left in another component does: then the set comes to this component and the earlier
// listing is left out. User-interface thread only, while a file is read.

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

class CComponent;
class CDrawingElement;
class CEdge;

class CTwiceListed
{
public:
    // takenIn: the edges components read so far put back because their lists left them
    // out. No list holds them, so taking one away leaves out no entry; one that comes
    // to the reader because its list names it leaves the set.
    CTwiceListed(CComponent& reader, std::unordered_set<const CDrawingElement*>& takenIn);
    CTwiceListed(const CTwiceListed&) = delete;
    CTwiceListed& operator=(const CTwiceListed&) = delete;

    // Notes an element the reader's list names. False, the entry to be left out at once,
    // when it is neither face nor edge, when no other component holds it, or when the
    // list named it already.
    bool NoteNamed(CDrawingElement* element);
    // Notes an edge that a face of the reader uses while another component holds it;
    // false when what holds it is not a component.
    bool NoteUsed(CEdge* edge);
    [[nodiscard]] bool IsEmpty() const { return m_noted.empty(); }

    struct Outcome
    {
        // Taken out of their components and given the reader as parent; the caller lists them.
        std::vector<CDrawingElement*> came;
        // The entries left out: the reader's for what stayed, the earlier lists' for what came.
        std::uint64_t leftOut = 0;
        // A face of the reader still uses an edge that another component holds.
        bool edgeHeldElsewhere = false;
    };
    // Decides every set at once; run once, after the reader's list and its faces' edges
    // are read.
    Outcome Settle();

private:
    struct Noted
    {
        CDrawingElement* element;
        bool named;
        bool used;
    };
    // A connected set, and whether faces or edges that cannot move with it tie it to the
    // reader or to another component.
    struct Group
    {
        std::vector<CDrawingElement*> members;
        bool tiedHere = false;
        bool tiedElsewhere = false;
    };
    using Moves = std::vector<std::pair<CDrawingElement*, CComponent*>>;

    void Note(CDrawingElement* element, bool named, bool used);
    [[nodiscard]] Group GatherGroup(CDrawingElement* seed, std::unordered_set<const CDrawingElement*>& seen) const;
    [[nodiscard]] bool IsMovable(const CDrawingElement* element) const;
    [[nodiscard]] bool IsNamed(const CDrawingElement* element) const;
    void Bring(const Group& group, Moves& moves, Outcome& outcome);

    CComponent& m_reader;
    std::unordered_set<const CDrawingElement*>& m_takenIn;
    std::vector<Noted> m_noted;
    std::unordered_map<const CDrawingElement*, std::size_t> m_places;
};
