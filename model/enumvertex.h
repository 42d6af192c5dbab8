#pragma once
// The enumerators that yield vertices: the start vertex of each use of a loop or of a
// face. Made on the heap by their owners and deleted by the caller.

#include "model/enumedgeuse.h"

class CFace;
class CLoop;
class CVertex;

// Yields nothing: what a loop without uses hands out.
class CEnumVertex
{
public:
    CEnumVertex() = default;
    CEnumVertex(const CEnumVertex&) = delete;
    CEnumVertex& operator=(const CEnumVertex&) = delete;
    virtual ~CEnumVertex();

    virtual void Reset();
    // True with the next vertex; false at the end, vertex left as it was.
    virtual bool Next(CVertex*& vertex);
};

// The start vertex of each use of a loop, in ring order.
class CEnumVertexLoop : public CEnumVertex
{
public:
    explicit CEnumVertexLoop(const CLoop* loop);
    void Reset() override;
    bool Next(CVertex*& vertex) override;

private:
    CEnumEdgeUseLoop m_uses;
};

// The start vertex of each use of a face, loop by loop.
class CEnumVertexFace : public CEnumVertex
{
public:
    explicit CEnumVertexFace(const CFace* face);
    void Reset() override;
    bool Next(CVertex*& vertex) override;

private:
    CEnumEdgeUseFace m_uses;
};
