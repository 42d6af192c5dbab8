#pragma once
// The enumerators that yield edge uses: around an edge, the partners of one use, the
// ring of a loop and every use of a face. Made on the heap by their owners and deleted
// by the caller; they must not outlive a change of what they walk. The flagged Next
// takes a direction; only the loop walker honours it.

#include <vector>

#include "model/enumloop.h"
#include "model/ringguard.h"

class CEdge;
class CEdgeUse;
class CFace;
class CLoop;

// Yields nothing: what an owner without uses hands out.
class CEnumEdgeUse
{
public:
    CEnumEdgeUse() = default;
    CEnumEdgeUse(const CEnumEdgeUse&) = delete;
    CEnumEdgeUse& operator=(const CEnumEdgeUse&) = delete;
    virtual ~CEnumEdgeUse();

    virtual void Reset();
    // True with the next use in use; false at the end, use left as it was.
    virtual bool Next(CEdgeUse*& use, bool forward);
    virtual bool Next(CEdgeUse*& use);
};

// The uses of an edge's radial ring, from the edge's first use.
class CEnumEdgeUseEdge : public CEnumEdgeUse
{
public:
    explicit CEnumEdgeUseEdge(const CEdge* edge);
    void Reset() override;
    bool Next(CEdgeUse*& use, bool forward) override;
    using CEnumEdgeUse::Next;

private:
    CRingCursor<CEdgeUse> m_cursor;
};

// The other uses of the use's edge, from the one after it around the edge.
class CEnumEdgeUsePartners : public CEnumEdgeUse
{
public:
    explicit CEnumEdgeUsePartners(const CEdgeUse* use);
    void Reset() override;
    bool Next(CEdgeUse*& use, bool forward) override;
    using CEnumEdgeUse::Next;

private:
    CRingCursor<CEdgeUse> m_cursor;
};

// A loop's ring from its first use, through next (forward) or previous. At the end the
// out use is set to null.
class CEnumEdgeUseLoop : public CEnumEdgeUse
{
public:
    explicit CEnumEdgeUseLoop(const CLoop* loop);
    void Reset() override;
    bool Next(CEdgeUse*& use, bool forward) override;
    using CEnumEdgeUse::Next;

private:
    CRingCursor<CEdgeUse> m_cursor;
};

// Every use of every loop of a face, loop by loop in ring order.
class CEnumEdgeUseFace : public CEnumEdgeUse
{
public:
    explicit CEnumEdgeUseFace(const CFace* face);
    ~CEnumEdgeUseFace() override;
    void Reset() override;
    bool Next(CEdgeUse*& use, bool forward) override;
    using CEnumEdgeUse::Next;

private:
    CEnumLoopArray m_loops;
    CEnumEdgeUse* m_inner = nullptr;
    bool m_done = false;
};

// Every use the edge's radial ring or the loop's ring holds, in the enumerator's order.
[[nodiscard]] std::vector<CEdgeUse*> UsesOf(const CEdge* edge);
[[nodiscard]] std::vector<CEdgeUse*> UsesOf(const CLoop* loop);
