#pragma once
// CEdgeSlice: the kept part of an edge that lies in the section plane.

#include "annotations/elementslice.h"
#include "foundation/point3d.h"

class CEdge;

class CEdgeSlice : public CElementSlice
{
public:
    CEdgeSlice(CEdge* edge, const CPoint3d& start, const CPoint3d& end);

    void Draw(ITarnisView* view) override;

    [[nodiscard]] CEdge* GetEdge() const { return m_edge; }
    [[nodiscard]] const CPoint3d& GetStart() const { return m_start; }
    [[nodiscard]] const CPoint3d& GetEnd() const { return m_end; }

private:
    CEdge* m_edge;
    CPoint3d m_start;
    CPoint3d m_end;
};
