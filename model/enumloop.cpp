#include "model/enumloop.h"

#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/enumedgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"

#include <algorithm>

CEnumLoop::~CEnumLoop() = default;

void CEnumLoop::Reset() {}

bool CEnumLoop::Next(CLoop*& /*loop*/)
{
    return false;
}

CEnumLoopEdge::CEnumLoopEdge(const CEdge* edge) : m_cursor(edge != nullptr ? edge->GetFirstEdgeUse() : nullptr) {}

void CEnumLoopEdge::Reset()
{
    m_cursor.Reset();
}

bool CEnumLoopEdge::Next(CLoop*& loop)
{
    CEdgeUse* use = nullptr;
    if (!m_cursor.Step(use, [](const CEdgeUse* u) { return u->GetNextAroundEdge(); })) {
        return false;
    }
    loop = use->GetLoop();
    return true;
}

CEnumLoopVertex::CEnumLoopVertex(const CVertex* vertex)
{
    m_loops.reserve(static_cast<std::size_t>(vertex->GetEdgeCount()));
    for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
        CEnumEdgeUseEdge uses(vertex->GetEdgeAt(i));
        CEdgeUse* use = nullptr;
        while (uses.Next(use)) {
            CLoop* loop = use->GetLoop();
            if (loop != nullptr && std::find(m_loops.begin(), m_loops.end(), loop) == m_loops.end()) {
                m_loops.push_back(loop);
            }
        }
    }
}

void CEnumLoopVertex::Reset()
{
    m_index = 0;
}

bool CEnumLoopVertex::Next(CLoop*& loop)
{
    if (m_index >= m_loops.size()) {
        return false;
    }
    loop = m_loops[m_index++];
    return true;
}

CEnumLoopArray::CEnumLoopArray(const CFace* face) : m_face(face) {}

void CEnumLoopArray::Reset()
{
    m_index = 0;
}

bool CEnumLoopArray::Next(CLoop*& loop)
{
    if (m_face == nullptr || m_index >= m_face->GetLoopCount()) {
        return false;
    }
    loop = m_face->GetLoop(m_index++);
    return true;
}
