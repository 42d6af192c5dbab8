#include "model/radialtails.h"

CRadialTails::CRadialTails() : m_outer(s_current)
{
    s_current = this;
}

CRadialTails::~CRadialTails()
{
    s_current = m_outer;
}

void CRadialTails::ForgetAll() noexcept
{
    for (CRadialTails* tails = s_current; tails != nullptr; tails = tails->m_outer) {
        // Clearing an empty table would still sweep its buckets, once per use freed.
        if (!tails->m_last.empty()) {
            tails->m_last.clear();
        }
    }
}

CEdgeUse* CRadialTails::Find(const CEdge* edge) const
{
    const auto found = m_last.find(edge);
    return found != m_last.end() ? found->second : nullptr;
}

void CRadialTails::Note(const CEdge* edge, CEdgeUse* last)
{
    m_last[edge] = last;
}
