#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "annotations/sectionclipstack.h"
#include "annotations/sectionplane.h"
#include "foundation/boundedline3d.h"
#include "foundation/transformation.h"
#include "tests/annotations/annotationtestsupport_b.h"

namespace {

// Records the GL calls the stack makes, one short text per call.
class RecordingClipPlanes : public IClipPlaneGL
{
public:
    void EnableClipPlane(int index) override { calls.push_back("enable " + std::to_string(index)); }
    void DisableClipPlane(int index) override { calls.push_back("disable " + std::to_string(index)); }
    void LoadClipPlane(int index, const CPlane3d& equation) override
    {
        calls.push_back("load " + std::to_string(index));
        loaded.push_back(equation);
    }
    [[nodiscard]] int GetMaxClipPlanes() const override { return offered; }

    int offered = 8;
    std::vector<std::string> calls;
    std::vector<CPlane3d> loaded;
};

// Keeps x >= offset.
CSectionPlane* MakeXPlane(std::vector<CSectionPlane*>& owned, double offset)
{
    owned.push_back(new CSectionPlane(CPlane3d(CPoint3d(offset, 0, 0), CVector3d(1, 0, 0))));
    return owned.back();
}

class SectionClipStackTest : public testing::Test
{
protected:
    void TearDown() override
    {
        SuppressClipPlanes(false);
        m_stack.Clear();
        for (CSectionPlane* plane : m_planes) {
            annotationtest::Dispose(plane);
        }
    }

    RecordingClipPlanes m_gl;
    CSectionClipStack m_stack{&m_gl};
    std::vector<CSectionPlane*> m_planes;
};

}  // namespace

TEST_F(SectionClipStackTest, OnlyTheFirstSixPlanesHoldAGLClipPlaneButAllOfThemClip)
{
    for (int i = 0; i < 7; ++i) {
        m_stack.PushPlane(MakeXPlane(m_planes, i), true);
    }
    EXPECT_EQ(m_gl.calls.size(), 12u);
    EXPECT_EQ(m_gl.calls[10], "enable 5");
    EXPECT_EQ(m_stack.GetClipPlaneIndex(6), -1);
    EXPECT_FALSE(m_stack.IsPointKept(CPoint3d(5.5, 0, 0)));  // only the seventh cuts it
    EXPECT_TRUE(m_stack.IsPointKept(CPoint3d(5.9995, 0, 0)));

    m_gl.calls.clear();
    m_stack.DisableClipPlanes(CSectionClipStack::kAllPlanes | 0x40u);
    EXPECT_EQ(m_gl.calls.size(), 6u);
    m_stack.PopPlane(true);  // the seventh has nothing to switch off
    m_stack.PopPlane(true);
    EXPECT_EQ(m_gl.calls.back(), "disable 5");
    EXPECT_EQ(m_stack.GetCount(), 5);
}

TEST_F(SectionClipStackTest, PlanesBeyondWhatTheContextOffersAreLeftToSoftware)
{
    m_gl.offered = 2;
    for (int i = 0; i < 3; ++i) {
        m_stack.PushPlane(MakeXPlane(m_planes, i), true);
        EXPECT_EQ(m_stack.ClipsInSoftware(), i == 2);
    }
    EXPECT_EQ(m_gl.calls.size(), 4u);
    EXPECT_EQ(m_stack.GetClipPlaneIndex(2), -1);
    EXPECT_FALSE(m_stack.IsPointKept(CPoint3d(1.5, 0, 0)));
}

TEST_F(SectionClipStackTest, SuppressionStopsTheSwitchingButStillLoadsEquations)
{
    SuppressClipPlanes(true);
    m_stack.PushPlane(MakeXPlane(m_planes, 1), true);
    m_stack.EnableClipPlanes(CSectionClipStack::kAllPlanes);
    m_stack.PopPlane(true);
    EXPECT_EQ(m_gl.calls, std::vector<std::string>{"load 0"});
    EXPECT_DOUBLE_EQ(m_gl.loaded[0].d, -1.0);

    SuppressClipPlanes(false);
    m_stack.PushPlane(MakeXPlane(m_planes, 1), false);  // a plane pushed without its GL plane
    m_stack.PopPlane(true);
    m_stack.PopPlane(true);  // empty
    EXPECT_EQ(m_gl.calls.size(), 1u);
}

TEST_F(SectionClipStackTest, EquationsFollowTheInstancesIntoTheirLocalSpace)
{
    m_stack.PushPlane(MakeXPlane(m_planes, 5), true);
    CTransformation shift;
    shift.SetTranslation(CVector3d(10, 0, 0));
    m_stack.PushTransform(shift);
    // Local x = -5 lands on the plane x = 5.
    EXPECT_TRUE(CPoint3d(-5, 3, 1).IsOnPlane(m_stack.GetCurrentEquation(0)));
    EXPECT_FALSE(m_stack.IsPointKept(CPoint3d(-6, 0, 0)));

    const CTransformation turn = CTransformation::Rotation(CPoint3d(), CUnitVector3d(0, 0, 1), kPi / 2);
    m_stack.PushTransform(turn);
    // Local (0, y) lands on model x = 10 - y: kept while y <= 5.
    EXPECT_TRUE(m_stack.IsPointKept(CPoint3d(0, 4.9, 0)));
    EXPECT_FALSE(m_stack.IsPointKept(CPoint3d(0, 5.1, 0)));

    m_stack.PopTransform();
    m_stack.PopTransform();
    m_stack.PopTransform();  // unmatched
    EXPECT_TRUE(CPoint3d(5, 0, 0).IsOnPlane(m_stack.GetCurrentEquation(0)));
}

TEST_F(SectionClipStackTest, SegmentsLinesAndPolylinesKeepTheVisibleSide)
{
    CPoint3d p(-2, 0, 0);
    CPoint3d q(4, 0, 0);
    EXPECT_TRUE(m_stack.ClipSegment(p, q));  // nothing active
    m_stack.PushPlane(MakeXPlane(m_planes, 1), true);
    m_stack.PushPlane(MakeXPlane(m_planes, 2), true);
    EXPECT_TRUE(m_stack.ClipSegment(p, q));
    EXPECT_EQ(p, CPoint3d(2, 0, 0));
    EXPECT_EQ(q, CPoint3d(4, 0, 0));

    CPoint3d gone(-3, 0, 0);
    CPoint3d alsoGone(1.5, 0, 0);
    EXPECT_FALSE(m_stack.ClipSegment(gone, alsoGone));
    EXPECT_EQ(gone, CPoint3d(-3, 0, 0));

    CBoundedLine3d ray(CLine3d(CPoint3d(0, 0, 0), CUnitVector3d(-1, 0, 0)), false, true);
    EXPECT_FALSE(m_stack.ClipLine(ray));

    std::vector<CPoint3d> square{{0, 0, 0}, {4, 0, 0}, {4, 4, 0}, {0, 4, 0}};
    EXPECT_TRUE(m_stack.ClipPolyline(square));
    for (const CPoint3d& point : square) {
        EXPECT_GE(point.x, 2 - 1e-9);
    }
    std::vector<CPoint3d> left{{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
    EXPECT_FALSE(m_stack.ClipPolyline(left));
    EXPECT_EQ(left.size(), 3u);
}

TEST_F(SectionClipStackTest, MasksNameThePlanesASegmentOrAFaceLiesIn)
{
    m_stack.PushPlane(MakeXPlane(m_planes, 1), true);
    m_stack.PushPlane(MakeXPlane(m_planes, 2), true);
    EXPECT_EQ(m_stack.GetPlanesThroughSegment(CPoint3d(2, 0, 0), CPoint3d(2.0005, 5, 5)), 2u);
    EXPECT_EQ(m_stack.GetPlanesThroughSegment(CPoint3d(2, 0, 0), CPoint3d(1, 0, 0)), 0u);
    const CPlane3d reversed(CPoint3d(1, 0, 0), CVector3d(-1, 0, 0));
    EXPECT_EQ(m_stack.GetCoincidentPlanes(reversed), 1u);
}
