#pragma once
// The messages that the checks of vertices, edges, edge uses, loops and faces write
// into the validity log, with the program's own sentences they are formatted with. A
// message for a problem that repair mode mends has no line break of its own: the
// repair step appends one (model/validitylog.h, BeginRepair).

#include "model/validitylog.h"

enum TopologyMessageId : int
{
    kMsgVertexHasParent = 21846,        // vertex label
    kMsgVertexNotFinite = 21868,        // vertex label
    kMsgVertexBadEdgeEntry = 21801,     // index, vertex label
    kMsgVertexEdgeNotAttached = 20867,  // edge label, vertex label
    kMsgVertexEdgeListedTwice = 20868,  // edge label, vertex label

    kMsgEdgeMissingVertex = 20840,      // edge label
    kMsgEdgeBadStartVertex = 21896,     // edge label
    kMsgEdgeBadEndVertex = 21897,       // edge label
    kMsgEdgeDegenerate = 20841,         // edge label
    kMsgEdgeNotListed = 20842,          // vertex label, edge label
    kMsgEdgeBadCurve = 21800,           // edge label
    kMsgEdgeDuplicate = 21901,          // edge label, other edge label
    kMsgBadEdgeUseInRing = 21711,       // label
    kMsgEdgeUseOfOtherEdge = 20844,     // edge label

    kMsgEdgeUseBadEdge = 21769,         // use label
    kMsgEdgeUseBadLoop = 21770,         // use label
    kMsgEdgeUseBadNeighbour = 21771,    // use label
    kMsgEdgeUseBadRadial = 21772,       // use label

    kMsgLoopBadFace = 21706,            // loop label
    kMsgLoopHasParent = 21731,          // loop label
    kMsgLoopBadFirstUse = 21710,        // loop label
    kMsgLoopFirstUseElsewhere = 20851,  // face label, loop label
    kMsgLoopTooFewUses = 20852,         // loop label
    kMsgLoopRingOpen = 20853,           // loop label
    kMsgLoopRingGuard = 20854,          // count
    kMsgLoopUseElsewhere = 20858,       // loop label
    kMsgLoopUsesDisconnected = 20855,   // loop label
    kMsgLoopBadEdge = 21715,            // index, loop label
    kMsgLoopEdgeParent = 20859,         // loop label
    kMsgLoopNotClosed = 20860,          // loop label
    kMsgLoopNoArea = 20861,             // loop label
    kMsgLoopWrongWinding = 20862,       // loop label
    kMsgLoopEdgeWithoutParent = 21708,  // face label, edge label

    kMsgFaceNoOuterLoop = 20846,        // face label
    kMsgFaceBadLoop = 21716,            // index, face label
    kMsgFaceBadOuterLoop = 21803,       // index, face label
    kMsgFaceBadHole = 21730,            // index, face label
    kMsgFaceLoopOfOtherFace = 20847,    // loop label, face label
    kMsgFaceHoleOutside = 21917,        // index, face label
    kMsgFaceHoleNested = 21918,         // index, face label
    kMsgFaceHolesOverlap = 21919,       // index, face label
    kMsgFaceBadBackMaterial = 21774,    // face label
    kMsgFaceBadBox = 21775,             // face label
    kMsgFaceBadPlane = 21773,           // face label
    kMsgFaceNotPlanar = 20856           // face label
};

// The printf-style text of a topology message id; "" for another id.
[[nodiscard]] const char* GetTopologyMessageFormat(int id);

// Formats the id's text with the arguments and appends it to the validity log;
// never throws.
template <typename... Args>
void AppendTopologyMessage(int id, const Args&... args)
{
    AppendValidityMessage(GetTopologyMessageFormat(id), args...);
}
