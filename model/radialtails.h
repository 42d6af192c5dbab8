#pragma once
// CRadialTails: while one stands, an edge use that joins a long radial ring notes
// itself as the ring's last member, so that the next use of that edge joins the ring
// without a walk round it. Uses join their edge's ring at its end, and finding the end
// of a ring of n uses takes n steps: a file that bounds a thousand faces by one ring of
// edges would otherwise be read in time that grows with the square of the faces. A
// model file read stands one for the whole read (CLoadSession), and so may a builder
// that makes many faces over the same edges.
//
// Rings of a few uses are walked and never noted, so that an ordinary model adds
// nothing. A noted use counts only while it still leads back to its edge's first use;
// any use that goes away while one stands empties the table, which the next long walks
// fill again. Scopes nest; user-interface thread only.

#include <unordered_map>

class CEdge;
class CEdgeUse;

class CRadialTails
{
public:
    // Walks of up to this many steps are taken without asking the table.
    static constexpr int kShortWalk = 8;

    CRadialTails();
    ~CRadialTails();
    CRadialTails(const CRadialTails&) = delete;
    CRadialTails& operator=(const CRadialTails&) = delete;

    // The innermost table that stands; null when none does.
    [[nodiscard]] static CRadialTails* GetCurrent() { return s_current; }
    // Empties every table that stands: a use goes away.
    static void ForgetAll() noexcept;

    // The use noted last for the edge; null when none is.
    [[nodiscard]] CEdgeUse* Find(const CEdge* edge) const;
    void Note(const CEdge* edge, CEdgeUse* last);

private:
    std::unordered_map<const CEdge*, CEdgeUse*> m_last;
    CRadialTails* m_outer;
    static inline CRadialTails* s_current = nullptr;
};
