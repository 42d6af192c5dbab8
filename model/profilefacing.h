#pragma once
// CProfileFacing: which way each face of a component turns to the eye, noted for the
// face's edge uses while the faces are drawn, so that the edges drawn after them tell
// profiles without going from each use to its loop and its face again.
//
// Every face pass of a component takes a new stamp. The notes live on the edges, not
// on the uses, of which a model holds three per triangle: an edge holds the stamp of
// the pass that last noted one of its uses, the signs seen, and for each of its first
// uses whether it was noted and with which sign. A use noted in another pass, past
// those first ones, or whose face was nearly edge-on to the eye, reads as unknown,
// and the edge asks the face itself. An edge whose faces turn different sides to the
// eye (most edges of a surface) is told by its note without visiting its uses. The
// faces of an edge are drawn in one pass, its component's. User-interface thread only.

#include <cstdint>

class CEdge;
class CEdgeUse;
class CFace;

class CProfileFacing
{
public:
    // Below this the sign of a face seen from the eye may differ from one point of the
    // face to another (its vertices lie within a tolerance of its plane, not on it).
    static constexpr double kUncertain = 0.01;

    // Starts a face pass: a stamp no use holds yet becomes the current one. Returns it.
    static std::uint32_t BeginPass();
    // Makes an earlier pass current again (its component's edges are drawn next).
    static void SetCurrent(std::uint32_t stamp) { s_current = stamp; }
    [[nodiscard]] static std::uint32_t GetCurrent() { return s_current; }

    // Notes on every use of the face its side's facing value (the face normal, reversed
    // for reversed uses, against the line of sight); nothing when uncertain.
    static void Note(const CFace& face, double facing);
    // True, with -1, 0 (within 0.001 of edge-on) or +1, when the use was noted in the
    // current pass.
    [[nodiscard]] static bool Lookup(const CEdgeUse& use, int& sign);
    // True when two uses of the edge noted in the current pass have opposite signs.
    [[nodiscard]] static bool HasOppositeNotes(const CEdge& edge);

private:
    static std::uint32_t s_current;
    static std::uint32_t s_last;
};
