#pragma once
// The enumerators that yield edges: a loop's edges, a vertex's edge list and a
// face's edges. Made on the heap by their owners and deleted by the caller.

#include "model/enumedgeuse.h"

class CEdge;
class CFace;
class CLoop;
class CVertex;

// Yields nothing.
class CEnumEdge
{
public:
    CEnumEdge() = default;
    CEnumEdge(const CEnumEdge&) = delete;
    CEnumEdge& operator=(const CEnumEdge&) = delete;
    virtual ~CEnumEdge();

    virtual void Reset();
    // True with the next edge; false at the end, edge left as it was.
    virtual bool Next(CEdge*& edge);
};

// The edge of each use of a loop in ring order; an edge used twice comes twice.
class CEnumEdgeLoop : public CEnumEdge
{
public:
    explicit CEnumEdgeLoop(const CLoop* loop);
    void Reset() override;
    bool Next(CEdge*& edge) override;

private:
    CEnumEdgeUseLoop m_uses;
};

// A vertex's edge list in list order, read live by index.
class CEnumEdgeArray : public CEnumEdge
{
public:
    explicit CEnumEdgeArray(const CVertex* vertex);
    void Reset() override;
    bool Next(CEdge*& edge) override;

private:
    const CVertex* m_vertex;
    int m_index = 0;
};

// The edge of each use of a face; an edge between two loops of the face comes twice.
class CEnumEdgeFace : public CEnumEdge
{
public:
    explicit CEnumEdgeFace(const CFace* face);
    void Reset() override;
    bool Next(CEdge*& edge) override;

private:
    CEnumEdgeUseFace m_uses;
};
