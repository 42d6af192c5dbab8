#pragma once
// Making and following the points that texts and linear dimensions hang on: a point on
// a vertex, along an edge or on a face, and where such a point lies now. The entities a
// point names and its owner's back references are the reference's own (RefersTo,
// AddReferences, RemoveReferences).

#include "document/modelpointref.h"
#include "foundation/point3d.h"

class CEdge;
class CFace;
class CVertex;

// A point on the vertex.
[[nodiscard]] CModelPointRef MakeVertexPoint(CVertex* vertex);
// The point of the edge's line nearest the given point, kept as the fraction of the
// way from the start vertex to the end vertex.
[[nodiscard]] CModelPointRef MakeEdgePoint(CEdge* edge, const CPoint3d& point);
// The point on the face, kept as fractions of the width and height of the face's
// outer-loop box in the face frame (0 across a flat box).
[[nodiscard]] CModelPointRef MakeFacePoint(CFace* face, const CPoint3d& point);

// Where the point lies now, in the coordinates of the component of the entity it hangs
// on: free points, vertices, edges and faces are worked out from what they hang on;
// other kinds, and points whose entity is missing or of another class, answer the last
// position the reference keeps.
[[nodiscard]] CPoint3d EvaluatePoint(const CModelPointRef& point);
