#pragma once
// Clean-up of face loops that new geometry leaves behind: spikes where an outer loop
// runs out along itself and straight back, and the faces that a set of edges has in
// common.

#include <vector>

class CComponent;
class CEdge;
class CEdgeUse;
class CFace;

// Collapses every spike of the face's outer loop; new edges go into the component.
// Answers whether the loop still has more than two edge uses.
bool RemoveLoopSpikes(CFace* face, CComponent* component);
// Removes the spike that ends at the use, whose previous use runs the other way along
// the same line. Answers how many uses the remaining edge of the pair still has.
int CollapseSpike(CEdgeUse* use, CComponent* component);
// The faces that every one of the edges has, in the first edge's order; answers how
// many.
int FindCommonFaces(int count, CEdge* const* edges, std::vector<CFace*>& faces);
