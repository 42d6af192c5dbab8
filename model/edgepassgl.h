#pragma once
// IEdgePassGL: lets the view keep what the edge pass of a component drew and draw it
// again while nothing it depends on changed. Where every edge is drawn as a plain line
// (the lowered levels of a moving camera) the lines do not depend on the camera, so
// the pass of a large component costs one array draw per line style instead of a walk
// over its edges; and since faces are left out at the lowered levels, the
// opaque pass then only needs the few entities that are neither faces nor edges, which
// the edge pass notes as it walks. The view installs its implementation with
// SetEdgePassGL; until it does, every pass walks its entities. User-interface thread
// only.

#include <cstddef>
#include <vector>

class CComponent;
class ITarnisView;

class IEdgePassGL
{
public:
    virtual ~IEdgePassGL();

    // Draws the component's edge pass from what was kept, when that still shows it:
    // true when drawn. Otherwise the view keeps what the pass draws until EndEdgePass,
    // when it can be kept, and the pass tells it the other entities it walks past.
    virtual bool BeginEdgePass(ITarnisView* view, const CComponent& component) = 0;
    // The entity at the index in the component's list is neither a face nor an edge.
    virtual void NoteOtherEntity(std::size_t index) = 0;
    // The pass has drawn its last line.
    virtual void EndEdgePass(ITarnisView* view, const CComponent& component) = 0;
    // The indices, in list order, of the component's entities that are neither faces
    // nor edges, as its last kept edge pass noted them; null unless the component's
    // entities are the same since.
    [[nodiscard]] virtual const std::vector<std::size_t>* GetOtherEntities(ITarnisView* view,
                                                                         const CComponent& component) = 0;
};

// Null removes the implementation; the caller keeps ownership.
void SetEdgePassGL(IEdgePassGL* edgePassGL);
[[nodiscard]] IEdgePassGL* GetEdgePassGL();
