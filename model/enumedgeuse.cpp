#include "model/enumedgeuse.h"

#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"

namespace {

CEdgeUse* NextAroundEdge(const CEdgeUse* use)
{
    return use->GetNextAroundEdge();
}

} // namespace

CEnumEdgeUse::~CEnumEdgeUse() = default;

void CEnumEdgeUse::Reset() {}

bool CEnumEdgeUse::Next(CEdgeUse*& /*use*/, bool /*forward*/)
{
    return false;
}

bool CEnumEdgeUse::Next(CEdgeUse*& use)
{
    return Next(use, true);
}

CEnumEdgeUseEdge::CEnumEdgeUseEdge(const CEdge* edge) : m_cursor(edge != nullptr ? edge->GetFirstEdgeUse() : nullptr) {}

void CEnumEdgeUseEdge::Reset()
{
    m_cursor.Reset();
}

bool CEnumEdgeUseEdge::Next(CEdgeUse*& use, bool /*forward*/)
{
    return m_cursor.Step(use, NextAroundEdge);
}

CEnumEdgeUsePartners::CEnumEdgeUsePartners(const CEdgeUse* use)
    : m_cursor(use != nullptr ? use->GetNextAroundEdge() : nullptr, const_cast<CEdgeUse*>(use), true)
{
}

void CEnumEdgeUsePartners::Reset()
{
    m_cursor.Reset();
}

bool CEnumEdgeUsePartners::Next(CEdgeUse*& use, bool /*forward*/)
{
    return m_cursor.Step(use, NextAroundEdge);
}

CEnumEdgeUseLoop::CEnumEdgeUseLoop(const CLoop* loop) : m_cursor(loop != nullptr ? loop->GetFirstEdgeUse() : nullptr) {}

void CEnumEdgeUseLoop::Reset()
{
    m_cursor.Reset();
}

bool CEnumEdgeUseLoop::Next(CEdgeUse*& use, bool forward)
{
    const bool found = forward ? m_cursor.Step(use, [](const CEdgeUse* u) { return u->GetNext(); })
                               : m_cursor.Step(use, [](const CEdgeUse* u) { return u->GetPrevious(); });
    if (!found) {
        use = nullptr;
    }
    return found;
}

CEnumEdgeUseFace::CEnumEdgeUseFace(const CFace* face) : m_loops(face) {}

CEnumEdgeUseFace::~CEnumEdgeUseFace()
{
    delete m_inner;
}

void CEnumEdgeUseFace::Reset()
{
    m_loops.Reset();
    delete m_inner;
    m_inner = nullptr;
    m_done = false;
}

bool CEnumEdgeUseFace::Next(CEdgeUse*& use, bool forward)
{
    while (!m_done) {
        if (m_inner != nullptr) {
            CEdgeUse* found = nullptr;
            if (m_inner->Next(found, forward)) {
                use = found;
                return true;
            }
            delete m_inner;
            m_inner = nullptr;
        }
        CLoop* loop = nullptr;
        if (!m_loops.Next(loop)) {
            m_done = true;
        } else if (loop != nullptr) {
            m_inner = loop->NewEdgeUseEnum();
        }
    }
    return false;
}

namespace {

std::vector<CEdgeUse*> Collect(CEnumEdgeUse&& ring)
{
    std::vector<CEdgeUse*> uses;
    CEdgeUse* use = nullptr;
    while (ring.Next(use)) {
        uses.push_back(use);
    }
    return uses;
}

}  // namespace

std::vector<CEdgeUse*> UsesOf(const CEdge* edge)
{
    return Collect(CEnumEdgeUseEdge(edge));
}

std::vector<CEdgeUse*> UsesOf(const CLoop* loop)
{
    return Collect(CEnumEdgeUseLoop(loop));
}
