#pragma once
// CFaceSlice: the lines along which a section plane crosses a face, inside the face
// and on the kept side of the other active planes. A span that runs along an edge of
// the face lying in the plane names that edge, which draws the line itself.

#include <cstdint>
#include <memory>
#include <vector>

#include "annotations/elementslice.h"
#include "foundation/plane3d.h"
#include "foundation/point3d.h"

class CEdge;
class CFace;
class CSectionClipStack;

class CFaceSlice : public CElementSlice
{
public:
    struct Segment
    {
        CPoint3d start;
        CPoint3d end;
        CEdge* edge = nullptr;
    };

    explicit CFaceSlice(CFace* face);

    // Units of the frame meter: a corner of the face's loops walked, a crossing sorted or
    // a span matched with the edges lying in the plane.
    static constexpr std::uint64_t kCornersPerUnit = 3;
    static constexpr std::uint64_t kSpansPerUnit = 1;

    // The spans of the face on the plane, clipped by the stack; null when the planes
    // are parallel or nothing is left. A span names the edge lying in the plane that it
    // runs along: spans and edges are met in their order along the cut line. Counts are
    // bounded by the face's loops, whose walks stop at their ring guard. Charges the
    // frame meter as it goes; when the meter says stop, answers null with stopped set.
    [[nodiscard]] static std::unique_ptr<CFaceSlice> Build(CFace* face, const CPlane3d& plane,
                                                           const CSectionClipStack& clips, bool& stopped);

    void Draw(ITarnisView* view) override;

    [[nodiscard]] CFace* GetFace() const { return m_face; }
    [[nodiscard]] const std::vector<Segment>& GetSegments() const { return m_segments; }
    void AddSegment(const Segment& segment) { m_segments.push_back(segment); }

private:
    CFace* m_face;
    std::vector<Segment> m_segments;
};
