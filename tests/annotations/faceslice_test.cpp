// A face's cut names, for each span, the first edge lying in the plane (in the order of
// the face's loops) that the span's middle lies on, as comparing every span with every
// such edge does; and it stops, keeping nothing, when the frame meter says so.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "annotations/faceslice.h"
#include "annotations/sectionclipstack.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/framemeter.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "samplegen/sectionmodels.h"

namespace {

constexpr double kTolerance = 0.001;

double DistanceToSegment(const CPoint3d& p, const CPoint3d& a, const CPoint3d& b)
{
    const CVector3d ab = b - a;
    const double lengthSquared = DotProduct(ab, ab);
    const double t = std::clamp(lengthSquared > 0.0 ? DotProduct(p - a, ab) / lengthSquared : 0.0, 0.0, 1.0);
    return (p - (a + ab * t)).GetLength();
}

// Every edge of the face's loops lying in the plane, in loop order.
std::vector<CEdgeUse*> InPlaneUses(const CFace& face, const CPlane3d& plane)
{
    std::vector<CEdgeUse*> uses;
    for (int i = 0; i < face.GetLoopCount(); ++i) {
        CEdgeUse* first = face.GetLoop(i)->GetFirstEdgeUse();
        CEdgeUse* use = first;
        do {
            if (use->GetStartVertex()->GetPosition().IsOnPlane(plane) &&
                use->GetEndVertex()->GetPosition().IsOnPlane(plane)) {
                uses.push_back(use);
            }
            use = use->GetNext();
        } while (use != first);
    }
    return uses;
}

CEdge* FirstEdgeUnder(const CFaceSlice::Segment& segment, const std::vector<CEdgeUse*>& uses)
{
    const CPoint3d middle = segment.start + (segment.end - segment.start) * 0.5;
    for (CEdgeUse* use : uses) {
        if (DistanceToSegment(middle, use->GetStartVertex()->GetPosition(), use->GetEndVertex()->GetPosition()) <
            kTolerance) {
            return use->GetEdge();
        }
    }
    return nullptr;
}

class FaceSliceTest : public testing::Test
{
protected:
    void SetUp() override
    {
        m_model = new CTarnwickModel;
        BuildCrossingCutModel(*m_model, kCrossings);
        for (CDrawingElement* entity : m_model->GetRootComponent()->GetEntityList()) {
            m_face = m_face != nullptr ? m_face : dynamic_cast<CFace*>(entity);
        }
        ASSERT_NE(m_face, nullptr);
    }
    void TearDown() override
    {
        const CUndoSuspender suspender;
        m_model->Release();
    }

    static constexpr int kCrossings = 60;
    const CPlane3d m_plane{CPoint3d(0, 0, 0), CVector3d(0, 1, 0)};
    CTarnwickModel* m_model = nullptr;
    CFace* m_face = nullptr;
};

TEST_F(FaceSliceTest, SpansNameTheFirstEdgeInThePlaneUnderTheirMiddle)
{
    const CurrentModelScope scope(m_model);
    const CSectionClipStack clips;
    // The plane as made, and lifted within the tolerance: the same edges.
    for (const CPlane3d& plane : {m_plane, CPlane3d(CPoint3d(0, 0.0004, 0), CVector3d(0, 1, 0))}) {
        bool stopped = true;
        const auto slice = CFaceSlice::Build(m_face, plane, clips, stopped);
        EXPECT_FALSE(stopped);
        ASSERT_NE(slice, nullptr);
        const std::vector<CEdgeUse*> uses = InPlaneUses(*m_face, plane);
        ASSERT_GT(uses.size(), static_cast<std::size_t>(kCrossings));
        EXPECT_GE(slice->GetSegments().size(), static_cast<std::size_t>(kCrossings / 2));
        for (const CFaceSlice::Segment& segment : slice->GetSegments()) {
            EXPECT_EQ(segment.edge, FirstEdgeUnder(segment, uses));
        }
    }
}

TEST_F(FaceSliceTest, AFaceTheMeterStopsGivesNothing)
{
    const CurrentModelScope scope(m_model);
    const CSectionClipStack clips;
    const CFrameMeter::CScope meter(1);
    (void)CFrameMeter::Charge(2);
    bool stopped = false;
    EXPECT_EQ(CFaceSlice::Build(m_face, m_plane, clips, stopped), nullptr);
    EXPECT_TRUE(stopped);
}

}  // namespace
