#include "model/profilefacing.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/vertex.h"
#include "tests/model/geometrytestsupport.h"

using namespace geometrytest;

TEST(ProfileFacing, UsesAnswerTheirSidesSignOnlyInThePassThatNotedThem)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* a = Vertex(0, 0);
    CVertex* b = Vertex(1, 0);
    CVertex* c = Vertex(1, 1);
    CVertex* d = Vertex(0, 1);
    CVertex* e = Vertex(2, 0);
    CVertex* f = Vertex(2, 1);
    CFace* left = Face(component, {a, b, c, d});
    CFace* right = Face(component, {b, e, f, c});
    const CEdge* shared = b->FindEdgeTo(c);
    const CEdgeUse* first = shared->GetFirstEdgeUse();
    const CEdgeUse* second = first->GetNextAroundEdge();
    int sign = 7;

    const std::uint32_t pass = CProfileFacing::BeginPass();
    EXPECT_FALSE(CProfileFacing::Lookup(*first, sign)) << "not noted yet";
    CProfileFacing::Note(*left, -2.0);
    CProfileFacing::Note(*right, -2.0);
    ASSERT_TRUE(CProfileFacing::Lookup(*first, sign));
    const int firstSign = sign;
    ASSERT_TRUE(CProfileFacing::Lookup(*second, sign));
    // The two faces run the shared edge in opposite directions.
    EXPECT_EQ(sign, -firstSign);
    EXPECT_EQ(firstSign, first->IsReversed() ? 1 : -1);

    // A nested pass does not see them; its own pass again does.
    CProfileFacing::BeginPass();
    EXPECT_FALSE(CProfileFacing::Lookup(*first, sign));
    CProfileFacing::SetCurrent(pass);
    EXPECT_TRUE(CProfileFacing::Lookup(*first, sign));

    // A face nearly edge-on to the eye is left for the edge to work out.
    CProfileFacing::BeginPass();
    CProfileFacing::Note(*left, CProfileFacing::kUncertain / 2);
    EXPECT_FALSE(CProfileFacing::Lookup(*first, sign));
    EXPECT_FALSE(CProfileFacing::Lookup(*second, sign));
}

TEST(ProfileFacing, EachUseOfAnEdgeAmongManyFacesAnswersItsOwnFacesSide)
{
    RecordingModel model;
    CComponent& component = model.Component();
    CVertex* b = Vertex(1, 0);
    CVertex* c = Vertex(1, 1);
    // Four faces around the edge from b to c: two in the ground, a fin up and a fin down.
    const std::vector<std::pair<CFace*, double>> faces = {
        {Face(component, {Vertex(0, 0), b, c, Vertex(0, 1)}), -2.0},
        {Face(component, {b, Vertex(2, 0), Vertex(2, 1), c}), -2.0},
        {Face(component, {b, c, Vertex(1, 1, 1), Vertex(1, 0, 1)}), 0.5},
        {Face(component, {b, c, Vertex(1, 1, -1), Vertex(1, 0, -1)}), -3.0},
    };
    const CEdge* shared = b->FindEdgeTo(c);
    CProfileFacing::BeginPass();
    for (const auto& [face, facing] : faces) {
        CProfileFacing::Note(*face, facing);
    }
    int uses = 0;
    const CEdgeUse* use = shared->GetFirstEdgeUse();
    do {
        double facing = 0.0;
        for (const auto& [face, value] : faces) {
            facing = face == use->GetFace() ? value : facing;
        }
        int sign = 7;
        ASSERT_TRUE(CProfileFacing::Lookup(*use, sign)) << uses;
        EXPECT_EQ(sign, (facing > 0.0) != use->IsReversed() ? 1 : -1) << uses;
        ++uses;
        use = use->GetNextAroundEdge();
    } while (use != shared->GetFirstEdgeUse());
    EXPECT_EQ(uses, 4);
}
