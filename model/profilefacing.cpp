#include "model/profilefacing.h"

#include <cmath>

#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"

namespace {

// A noted value is the stamp times four plus the sign plus one.
constexpr std::uint32_t kLastStamp = (1u << 29) - 1;
// Uses past this many in one loop (or in a ring that never comes back) are left
// unnoted; their edges then ask the face.
constexpr int kMaxNoted = 65536;
// The uses of an edge that get a place in its mask of noted uses; the others of a
// larger ring are left unnoted.
constexpr int kMaskPlaces = 16;

std::uint32_t Encode(std::uint32_t stamp, int sign)
{
    return (stamp << 2) | static_cast<std::uint32_t>(sign + 1);
}

// An edge's note is the stamp times four plus 0 (every use noted -1), 2 (every use
// noted +1) or 3 (both signs noted).
constexpr std::uint32_t kBothSigns = 3;

// A use's place in its edge's mask: the edge's first use, then the use that leads
// back to it (so that both uses of an ordinary edge are placed without a step along
// the ring), then the others in ring order; -1 past the mask or off the ring.
int GetMaskPlace(const CEdgeUse& use, const CEdge& edge)
{
    const CEdgeUse* first = edge.GetFirstEdgeUse();
    if (&use == first) {
        return 0;
    }
    if (first == nullptr || use.GetNextAroundEdge() == first) {
        return first != nullptr ? 1 : -1;
    }
    int place = 2;
    for (const CEdgeUse* other = first->GetNextAroundEdge(); other != nullptr && other != first && place < kMaskPlaces;
         other = other->GetNextAroundEdge(), ++place) {
        if (other == &use) {
            return place;
        }
    }
    return -1;
}

// Each place holds two bits: noted, and noted +1.
std::uint32_t MaskBits(int place, int sign)
{
    return (sign > 0 ? 3u : 1u) << (2 * place);
}

void NoteOnEdge(CEdge& edge, const CEdgeUse& use, std::uint32_t stamp, int sign)
{
    const std::uint32_t note = Encode(stamp, sign);
    const std::uint32_t old = edge.GetProfileNote();
    const int place = GetMaskPlace(use, edge);
    const std::uint32_t bits = place >= 0 ? MaskBits(place, sign) : 0;
    if ((old >> 2) != stamp) {
        edge.SetProfileNote(note);
        edge.SetProfileUses(bits);
        return;
    }
    if (old != note) {
        edge.SetProfileNote((stamp << 2) | kBothSigns);
    }
    if (place >= 0) {
        // A use noted twice in one pass (a face drawn twice) keeps the latest sign.
        edge.SetProfileUses((edge.GetProfileUses() & ~MaskBits(place, 1)) | bits);
    }
}

int SignOf(double facing)
{
    return facing > 0.0 ? 1 : -1;
}

}  // namespace

std::uint32_t CProfileFacing::s_current = 0;
std::uint32_t CProfileFacing::s_last = 0;

std::uint32_t CProfileFacing::BeginPass()
{
    // After half a billion passes the stamps start again; a use left unnoted that long
    // and then read in the one matching pass is the price.
    s_last = s_last >= kLastStamp ? 1 : s_last + 1;
    s_current = s_last;
    return s_current;
}

void CProfileFacing::Note(const CFace& face, double facing)
{
    if (s_current == 0 || std::fabs(facing) < kUncertain) {
        return;
    }
    const int sign = SignOf(facing);
    for (int i = 0; i < face.GetLoopCount(); ++i) {
        const CLoop* loop = face.GetLoop(i);
        CEdgeUse* first = loop != nullptr ? loop->GetFirstEdgeUse() : nullptr;
        CEdgeUse* use = first;
        for (int k = 0; use != nullptr && k < kMaxNoted; ++k) {
            const int useSign = use->IsReversed() ? -sign : sign;
            if (CEdge* edge = use->GetEdge()) {
                NoteOnEdge(*edge, *use, s_current, useSign);
            }
            use = use->GetNext();
            if (use == first) {
                break;
            }
        }
    }
}

bool CProfileFacing::Lookup(const CEdgeUse& use, int& sign)
{
    const CEdge* edge = use.GetEdge();
    if (s_current == 0 || edge == nullptr || (edge->GetProfileNote() >> 2) != s_current) {
        return false;
    }
    const int place = GetMaskPlace(use, *edge);
    const std::uint32_t bits = place >= 0 ? (edge->GetProfileUses() >> (2 * place)) & 3u : 0;
    if ((bits & 1u) == 0) {
        return false;
    }
    sign = bits == 3u ? 1 : -1;
    return true;
}

bool CProfileFacing::HasOppositeNotes(const CEdge& edge)
{
    return s_current != 0 && edge.GetProfileNote() == ((s_current << 2) | kBothSigns);
}
