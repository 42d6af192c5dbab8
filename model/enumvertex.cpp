#include "model/enumvertex.h"

#include "model/edgeuse.h"

CEnumVertex::~CEnumVertex() = default;

void CEnumVertex::Reset() {}

bool CEnumVertex::Next(CVertex*& /*vertex*/)
{
    return false;
}

CEnumVertexLoop::CEnumVertexLoop(const CLoop* loop) : m_uses(loop) {}

void CEnumVertexLoop::Reset()
{
    m_uses.Reset();
}

bool CEnumVertexLoop::Next(CVertex*& vertex)
{
    CEdgeUse* use = nullptr;
    if (!m_uses.Next(use)) {
        return false;
    }
    vertex = use->GetStartVertex();
    return true;
}

CEnumVertexFace::CEnumVertexFace(const CFace* face) : m_uses(face) {}

void CEnumVertexFace::Reset()
{
    m_uses.Reset();
}

bool CEnumVertexFace::Next(CVertex*& vertex)
{
    CEdgeUse* use = nullptr;
    if (!m_uses.Next(use)) {
        return false;
    }
    vertex = use->GetStartVertex();
    return true;
}
