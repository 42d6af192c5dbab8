#include "model/topologymessages.h"

namespace {

struct TopologyMessageText
{
    int id;
    const char* format;
};

constexpr TopologyMessageText kTexts[] = {
    {kMsgVertexHasParent, "%s belongs to a component."},
    {kMsgVertexNotFinite, "%s has a position that is not finite."},
    {kMsgVertexBadEdgeEntry, "Edge entry %d of %s is not an edge.\n"},
    {kMsgVertexEdgeNotAttached, "%s is listed by %s but does not end there."},
    {kMsgVertexEdgeListedTwice, "%s is listed twice by %s."},
    {kMsgEdgeMissingVertex, "%s lacks a vertex.\n"},
    {kMsgEdgeBadStartVertex, "The start vertex of %s is not a vertex.\n"},
    {kMsgEdgeBadEndVertex, "The end vertex of %s is not a vertex.\n"},
    {kMsgEdgeDegenerate, "%s has no length.\n"},
    {kMsgEdgeNotListed, "%s does not list %s."},
    {kMsgEdgeBadCurve, "The curve of %s is not a curve."},
    {kMsgEdgeDuplicate, "%s joins the same vertices as %s."},
    {kMsgBadEdgeUseInRing, "A use in the ring of %s is not an edge use.\n"},
    {kMsgEdgeUseOfOtherEdge, "A use in the radial ring of %s belongs to another edge.\n"},
    {kMsgEdgeUseBadEdge, "The edge of %s is missing or not an edge.\n"},
    {kMsgEdgeUseBadLoop, "The loop of %s is missing or not a loop.\n"},
    {kMsgEdgeUseBadNeighbour, "A neighbour of %s in its loop is missing or not an edge use.\n"},
    {kMsgEdgeUseBadRadial, "The next use around the edge of %s is missing or not an edge use.\n"},
    {kMsgLoopBadFace, "The face of %s is missing or not a face.\n"},
    {kMsgLoopHasParent, "%s belongs to a component."},
    {kMsgLoopBadFirstUse, "The first use of %s is missing or not an edge use.\n"},
    {kMsgLoopFirstUseElsewhere, "On %s the first use of %s belongs to another loop.\n"},
    {kMsgLoopTooFewUses, "%s has fewer than three uses.\n"},
    {kMsgLoopRingOpen, "The ring of %s does not come back to its first use.\n"},
    {kMsgLoopRingGuard, "The walk stopped after %d uses.\n"},
    {kMsgLoopUseElsewhere, "A use in the ring of %s belongs to another loop.\n"},
    {kMsgLoopUsesDisconnected, "A use in %s does not start where the previous one ends.\n"},
    {kMsgLoopBadEdge, "The edge of use %d in %s is missing or not an edge.\n"},
    {kMsgLoopEdgeParent, "An edge of %s lies in another component than its face."},
    {kMsgLoopNotClosed, "%s does not close.\n"},
    {kMsgLoopNoArea, "%s encloses no area.\n"},
    {kMsgLoopWrongWinding, "%s winds the wrong way for its kind."},
    {kMsgLoopEdgeWithoutParent, "On %s the edge %s belongs to no component."},
    {kMsgFaceNoOuterLoop, "%s has no sound outer loop.\n"},
    {kMsgFaceBadLoop, "Loop %d of %s is missing or not a loop.\n"},
    {kMsgFaceBadOuterLoop, "Outer loop %d of %s is broken.\n"},
    {kMsgFaceBadHole, "Hole %d of %s is broken.\n"},
    {kMsgFaceLoopOfOtherFace, "%s names another face than %s."},
    {kMsgFaceHoleOutside, "Hole %d of %s lies outside the outer loop.\n"},
    {kMsgFaceHoleNested, "Hole %d of %s lies inside another hole.\n"},
    {kMsgFaceHolesOverlap, "Hole %d of %s overlaps another hole.\n"},
    {kMsgFaceBadBackMaterial, "The back material of %s is not a material."},
    {kMsgFaceBadBox, "The box of %s is not finite."},
    {kMsgFaceBadPlane, "The plane of %s is not finite.\n"},
    {kMsgFaceNotPlanar, "A vertex of %s lies off its plane."},
};

} // namespace

const char* GetTopologyMessageFormat(int id)
{
    for (const TopologyMessageText& text : kTexts) {
        if (text.id == id) {
            return text.format;
        }
    }
    return "";
}
