#pragma once
// The enumerators that yield loops: those of an edge's uses, those met at a vertex
// and a face's loop array. Made on the heap by their owners and deleted by the caller.

#include <cstddef>
#include <vector>

#include "model/ringguard.h"

class CEdge;
class CEdgeUse;
class CFace;
class CLoop;
class CVertex;

// Yields nothing.
class CEnumLoop
{
public:
    CEnumLoop() = default;
    CEnumLoop(const CEnumLoop&) = delete;
    CEnumLoop& operator=(const CEnumLoop&) = delete;
    virtual ~CEnumLoop();

    virtual void Reset();
    // True with the next loop; false at the end, loop left as it was.
    virtual bool Next(CLoop*& loop);
};

// For each use of an edge's radial ring, the use's loop (null for a use without one).
class CEnumLoopEdge : public CEnumLoop
{
public:
    explicit CEnumLoopEdge(const CEdge* edge);
    void Reset() override;
    bool Next(CLoop*& loop) override;

private:
    CRingCursor<CEdgeUse> m_cursor;
};

// The loops met by the uses of the vertex's edges, each once, in the order first met;
// collected when made.
class CEnumLoopVertex : public CEnumLoop
{
public:
    explicit CEnumLoopVertex(const CVertex* vertex);
    void Reset() override;
    bool Next(CLoop*& loop) override;

private:
    std::vector<CLoop*> m_loops;
    std::size_t m_index = 0;
};

// A face's loops in array order, read live by index.
class CEnumLoopArray : public CEnumLoop
{
public:
    explicit CEnumLoopArray(const CFace* face);
    void Reset() override;
    bool Next(CLoop*& loop) override;

private:
    const CFace* m_face;
    int m_index = 0;
};
