#pragma once
// CEdgeUse: one side of an edge as one loop runs along it. The uses of a loop form a
// ring through previous and next; the uses of an edge form a second, radial ring
// through next-around-edge. The setters of the links keep no invariant by
// themselves: the loop and edge operations pair them.

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "foundation/vector3d.h"
#include "model/entity.h"

class CEdge;
class CEnumEdgeUse;
class CFace;
class CLoop;
class CVertex;

class CEdgeUse : public CEntity
{
    DECLARE_SERIAL(CEdgeUse)

public:
    // Objects of exactly this class take slots of the class's slab allocator; larger
    // derived objects go to the heap.
    [[nodiscard]] static void* operator new(std::size_t size);
    static void operator delete(void* object, std::size_t size);

    // For reading: no edge and no loop, its own ring both ways.
    CEdgeUse();
    // Inserted right after the previous use (a ring of its own without one), appended
    // to the edge's radial ring, and the loop's first use when the loop has none.
    CEdgeUse(CEdge* edge, bool reversed, CEdgeUse* previous, CLoop* loop);
    // Copies every link as it is; no ring changes.
    CEdgeUse(const CEdgeUse& other);
    ~CEdgeUse() override;

    // The entity part, the edge, the reversed flag and the loop (and, in the oldest
    // layout, previous and next). Reading joins the edge's radial ring. Throws the
    // archive exception on bad input; a missing edge or loop is badIndex.
    void Serialize(CArchive& ar) override;
    // A face and its edges belong to one component. While a component's entity list is
    // read it stands here (null otherwise; the previous one is returned), and a use read
    // meanwhile whose edge another element already holds is counted, so that the
    // component learns that one of its faces uses an edge it cannot hold.
    // User-interface thread only.
    static const CEntity* SetHolderBeingRead(const CEntity* holder);
    [[nodiscard]] static std::uint64_t GetForeignEdgeCount();
    // Leaves the loop ring and the radial ring, then the entity is erased.
    void Erase() override;
    // Adds the edge and the next use, so one use gathers its whole ring.
    bool CollectDependents(CEntitySet& set) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be an edge use.
    void SwapData(CEntity& other) override;
    // The own parent, else the edge's, else the loop's.
    [[nodiscard]] CEntity* GetParent() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    [[nodiscard]] CEdge* GetEdge() const { return reinterpret_cast<CEdge*>(m_edgeAndReversed & ~kReversedBit); }
    [[nodiscard]] bool IsReversed() const { return (m_edgeAndReversed & kReversedBit) != 0; }
    [[nodiscard]] CLoop* GetLoop() const { return m_loop; }
    [[nodiscard]] CEdgeUse* GetPrevious() const { return m_previous; }
    [[nodiscard]] CEdgeUse* GetNext() const { return m_next; }
    [[nodiscard]] CEdgeUse* GetNextAroundEdge() const { return m_nextAroundEdge; }

    void SetLoop(CLoop* loop);
    void SetNext(CEdgeUse* use);
    void SetPrevious(CEdgeUse* use);
    void SetReversed(bool reversed);
    // Moves the use to another edge's radial ring; nothing for the same edge.
    void SetEdge(CEdge* edge, bool reversed);
    // Appends the use to its edge's radial ring, before the edge's first use.
    void LinkToEdge();
    // Takes the use out of its edge's radial ring; the use then points to itself.
    void UnlinkFromEdge();
    // Makes the use a ring of its own and leaves the others as they are: for an edge
    // that takes its whole ring apart.
    void LeaveRadialRing();

    // In loop direction; null when the edge is missing.
    [[nodiscard]] CVertex* GetStartVertex() const;
    [[nodiscard]] CVertex* GetEndVertex() const;
    // The loop's face; null without loop.
    [[nodiscard]] CFace* GetFace() const;
    // From the start to the end vertex; zero when a vertex is missing.
    [[nodiscard]] CVector3d GetDirection() const;

    // -1 face normal, 0 not computed, k >= 1 an entry of the smooth-normal table.
    [[nodiscard]] std::int32_t GetSmoothNormalIndex() const { return m_smoothNormalIndex; }
    void SetSmoothNormalIndex(std::int32_t index) { m_smoothNormalIndex = index; }
    [[nodiscard]] CUnitVector3d GetSmoothNormal() const;  // the component's table entry (facedraw.cpp)

    // The other uses of the same edge; the caller deletes the enumerator.
    [[nodiscard]] CEnumEdgeUse* NewPartnerEnum() const;

    // For a split of the edge into itself and newEdge: inserts a use of newEdge next
    // to this one so the loop runs over both pieces in its own direction. Returns it.
    CEdgeUse* Split(CEdge* newEdge);
    // How many consecutive edges the loops of two uses of one edge share; moves
    // useA and useB to one end of the shared run and the run-end outputs to the other.
    static int CountSharedRun(CEdgeUse*& useA, CEdgeUse*& useB, CEdgeUse*& runEndA, CEdgeUse*& runEndB);

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    [[nodiscard]] CEdgeUse* FindRadialLast(CEdgeUse* first);
    [[nodiscard]] CEdgeUse* FindRadialPredecessor() const;
    int CheckLinks(int mode, CValidityResultMap* results);
    // The checks of neighbouring uses, through the result map only; a result of 2 or
    // 3 becomes this use's result.
    int CheckNeighbours(std::initializer_list<CEdgeUse*> neighbours, int mode, CValidityResultMap* results);

    static constexpr std::uintptr_t kReversedBit = 1;
    [[nodiscard]] static std::uintptr_t Pack(CEdge* edge, bool reversed)
    {
        return reinterpret_cast<std::uintptr_t>(edge) | (reversed ? kReversedBit : 0);
    }

    // Ordered against padding: a model holds three uses per triangle. The reversed flag
    // rides in the lowest bit of the edge's address, which is always clear (an edge is
    // aligned to eight bytes), and so takes no word of its own.
    std::int32_t m_smoothNormalIndex = 0;
    std::uintptr_t m_edgeAndReversed = 0;
    CLoop* m_loop = nullptr;
    CEdgeUse* m_previous = nullptr;
    CEdgeUse* m_next = nullptr;
    CEdgeUse* m_nextAroundEdge = nullptr;
};
