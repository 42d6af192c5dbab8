#pragma once
// The enumerators that yield faces: those of an edge's uses and those met at a
// vertex. Made on the heap by their owners and deleted by the caller.

#include <cstddef>
#include <vector>

#include "model/ringguard.h"

class CEdge;
class CEdgeUse;
class CFace;
class CVertex;

// Yields nothing.
class CEnumFace
{
public:
    CEnumFace() = default;
    CEnumFace(const CEnumFace&) = delete;
    CEnumFace& operator=(const CEnumFace&) = delete;
    virtual ~CEnumFace();

    virtual void Reset();
    // True with the next face; false at the end, face left as it was.
    virtual bool Next(CFace*& face);
};

// For each use of an edge's radial ring, the use's face (null for a use without loop).
class CEnumFaceEdge : public CEnumFace
{
public:
    explicit CEnumFaceEdge(const CEdge* edge);
    void Reset() override;
    bool Next(CFace*& face) override;

private:
    CRingCursor<CEdgeUse> m_cursor;
};

// The faces met by the uses of the vertex's edges, each once, in the order first met;
// collected when made.
class CEnumFaceVertex : public CEnumFace
{
public:
    explicit CEnumFaceVertex(const CVertex* vertex);
    void Reset() override;
    bool Next(CFace*& face) override;

private:
    std::vector<CFace*> m_faces;
    std::size_t m_index = 0;
};
