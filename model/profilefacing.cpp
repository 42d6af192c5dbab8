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

std::uint32_t Encode(std::uint32_t stamp, int sign)
{
    return (stamp << 2) | static_cast<std::uint32_t>(sign + 1);
}

// An edge's note is the stamp times four plus 0 (every use noted -1), 2 (every use
// noted +1) or 3 (both signs noted).
constexpr std::uint32_t kBothSigns = 3;

void NoteOnEdge(CEdge& edge, std::uint32_t stamp, int sign)
{
    const std::uint32_t note = Encode(stamp, sign);
    const std::uint32_t old = edge.GetProfileNote();
    if ((old >> 2) != stamp) {
        edge.SetProfileNote(note);
    } else if (old != note) {
        edge.SetProfileNote((stamp << 2) | kBothSigns);
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
            use->SetProfileFacing(Encode(s_current, useSign));
            if (CEdge* edge = use->GetEdge()) {
                NoteOnEdge(*edge, s_current, useSign);
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
    const std::uint32_t value = use.GetProfileFacing();
    if (s_current == 0 || (value >> 2) != s_current) {
        return false;
    }
    sign = static_cast<int>(value & 3u) - 1;
    return true;
}

bool CProfileFacing::HasOppositeNotes(const CEdge& edge)
{
    return s_current != 0 && edge.GetProfileNote() == ((s_current << 2) | kBothSigns);
}
