#pragma once
// CGeometryBuilder: makes connected faces in one component from rings of vertices.
// Faces that meet share their edges, as the model's own tools would leave them.

#include <vector>

#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CComponent;
class CEdge;
class CFace;
class CLoop;
class CVertex;

class CGeometryBuilder
{
public:
    // The component receives every edge and face made; it must outlive the builder.
    explicit CGeometryBuilder(CComponent& component) : m_component(component) {}

    [[nodiscard]] CVertex* Vertex(const CPoint3d& position) const;
    // The edge between the two vertices, made in the component when there is none.
    CEdge* Edge(CVertex* start, CVertex* end) const;
    // A face over the ring, counter-clockwise about the normal.
    CFace* Face(const std::vector<CVertex*>& ring, const CVector3d& normal) const;
    // The same with the normal taken from the first three vertices.
    CFace* Face(const std::vector<CVertex*>& ring) const;
    // A hole in the face over the ring, clockwise seen from the front.
    CLoop* Hole(CFace* face, const std::vector<CVertex*>& ring) const;
    // The six faces of an axis-aligned box, facing outwards.
    std::vector<CFace*> Box(const CPoint3d& low, const CPoint3d& high) const;

private:
    CComponent& m_component;
};
