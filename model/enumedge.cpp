#include "model/enumedge.h"

#include "model/edgeuse.h"
#include "model/vertex.h"

CEnumEdge::~CEnumEdge() = default;

void CEnumEdge::Reset() {}

bool CEnumEdge::Next(CEdge*& /*edge*/)
{
    return false;
}

CEnumEdgeLoop::CEnumEdgeLoop(const CLoop* loop) : m_uses(loop) {}

void CEnumEdgeLoop::Reset()
{
    m_uses.Reset();
}

bool CEnumEdgeLoop::Next(CEdge*& edge)
{
    CEdgeUse* use = nullptr;
    if (!m_uses.Next(use)) {
        return false;
    }
    edge = use->GetEdge();
    return true;
}

CEnumEdgeArray::CEnumEdgeArray(const CVertex* vertex) : m_vertex(vertex) {}

void CEnumEdgeArray::Reset()
{
    m_index = 0;
}

bool CEnumEdgeArray::Next(CEdge*& edge)
{
    if (m_vertex == nullptr || m_index >= m_vertex->GetEdgeCount()) {
        return false;
    }
    edge = m_vertex->GetEdgeAt(m_index++);
    return true;
}

CEnumEdgeFace::CEnumEdgeFace(const CFace* face) : m_uses(face) {}

void CEnumEdgeFace::Reset()
{
    m_uses.Reset();
}

bool CEnumEdgeFace::Next(CEdge*& edge)
{
    CEdgeUse* use = nullptr;
    if (!m_uses.Next(use)) {
        return false;
    }
    edge = use->GetEdge();
    return true;
}
