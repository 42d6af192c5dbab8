#include "annotations/edgeslice.h"

#include "drawapi/tarnisview.h"

CEdgeSlice::CEdgeSlice(CEdge* edge, const CPoint3d& start, const CPoint3d& end)
    : m_edge(edge), m_start(start), m_end(end)
{
}

void CEdgeSlice::Draw(ITarnisView* view)
{
    view->DrawLine(m_start, m_end);
    view->EndPrimitive();
}
