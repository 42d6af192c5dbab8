#include "model/edgeuse.h"

#include <gtest/gtest.h>

#include <memory>

#include "model/enumedgeuse.h"
#include "tests/model/topologytestsupport.h"

namespace {

using topologytest::Builder;
using topologytest::RingOf;

TEST(EdgeUse, AFirstUseIsItsOwnLoopRingAndRadialRingAndTheEdgesFirstUse)
{
    Builder builder;
    CEdge* edge = builder.Edge(builder.Vertex(0, 0), builder.Vertex(1, 0));
    auto* loop = new CLoop;
    auto* use = new CEdgeUse(edge, true, nullptr, loop);
    EXPECT_EQ(use->GetNext(), use);
    EXPECT_EQ(use->GetPrevious(), use);
    EXPECT_EQ(use->GetNextAroundEdge(), use);
    EXPECT_EQ(edge->GetFirstEdgeUse(), use);
    EXPECT_EQ(loop->GetFirstEdgeUse(), use);
    EXPECT_EQ(use->GetStartVertex(), edge->GetEndVertex());
    EXPECT_TRUE(use->GetDirection().IsEqual(CVector3d(-1, 0, 0)));
    loop->Erase();
    EXPECT_EQ(edge->GetFirstEdgeUse(), nullptr);
}

TEST(EdgeUse, ErasingTheEdgesFirstUseHandsTheRadialRingToTheNextAndTheLastLeavesItEmpty)
{
    Builder builder;
    CEdge* edge = builder.Edge(builder.Vertex(0, 0), builder.Vertex(1, 0));
    CLoop* loops[3] = {new CLoop, new CLoop, new CLoop};
    CEdgeUse* uses[3];
    for (int i = 0; i < 3; ++i) {
        uses[i] = new CEdgeUse(edge, i == 1, nullptr, loops[i]);
    }
    EXPECT_EQ(edge->GetEdgeUseCount(), 3);
    EXPECT_EQ(uses[2]->GetNextAroundEdge(), uses[0]);
    uses[0]->Erase();
    EXPECT_EQ(edge->GetFirstEdgeUse(), uses[1]);
    EXPECT_EQ(edge->GetEdgeUseCount(), 2);
    EXPECT_EQ(uses[2]->GetNextAroundEdge(), uses[1]);
    EXPECT_EQ(loops[0]->GetFirstEdgeUse(), nullptr);
    uses[1]->Erase();
    uses[2]->Erase();
    EXPECT_EQ(edge->GetFirstEdgeUse(), nullptr);
    for (CLoop* loop : loops) {
        loop->Erase();
    }
}

TEST(EdgeUse, ErasingTheLoopsFirstUseMakesItsPreviousUseTheFirst)
{
    Builder builder;
    CLoop* loop = builder.Square()->GetOuterLoop();
    CEdgeUse* first = loop->GetFirstEdgeUse();
    CEdgeUse* previous = first->GetPrevious();
    CEdgeUse* next = first->GetNext();
    first->Erase();
    EXPECT_EQ(loop->GetFirstEdgeUse(), previous);
    EXPECT_EQ(previous->GetNext(), next);
    EXPECT_EQ(next->GetPrevious(), previous);
}

TEST(EdgeUse, SplittingInsertsTheNewUseAfterAForwardUseAndBeforeAReversedOne)
{
    Builder builder;
    CFace* left = builder.Square();
    CEdgeUse* forward = left->GetOuterLoop()->GetFirstEdgeUse()->GetNext();
    CVertex* bottom = forward->GetStartVertex();
    CVertex* top = forward->GetEndVertex();
    CFace* right = builder.Face({bottom, builder.Vertex(2, 0), builder.Vertex(2, 1), top}, {0, 0, 1});
    CEdge* edge = forward->GetEdge();
    CEdgeUse* backward = edge->FindEdgeUseOnFace(right);
    ASSERT_TRUE(backward->IsReversed());

    // The edge now ends half way; the new edge covers the upper half.
    CVertex* middle = builder.Vertex(1, 0.5);
    edge->SetEndVertex(middle, false);
    CEdge* upper = builder.Edge(middle, top);
    CEdgeUse* afterForward = forward->Split(upper);
    CEdgeUse* beforeBackward = backward->Split(upper);
    EXPECT_EQ(forward->GetNext(), afterForward);
    EXPECT_EQ(backward->GetPrevious(), beforeBackward);
    EXPECT_TRUE(beforeBackward->IsReversed());
    EXPECT_EQ(left->GetOuterLoop()->GetEdgeUseCount(), 5);
    EXPECT_EQ(upper->GetEdgeUseCount(), 2);
    for (CLoop* loop : {left->GetOuterLoop(), right->GetOuterLoop()}) {
        for (const CEdgeUse* use : RingOf(loop)) {
            EXPECT_EQ(use->GetEndVertex(), use->GetNext()->GetStartVertex());
        }
    }
}

TEST(EdgeUse, TheSharedRunOfTwoLoopsCountsTheEdgesTheyRunAlongTogether)
{
    Builder builder;
    CVertex* a = builder.Vertex(0, 0);
    CVertex* b = builder.Vertex(1, 0);
    CVertex* c = builder.Vertex(2, 0);
    CVertex* d = builder.Vertex(2, 1);
    CVertex* e = builder.Vertex(0, 1);
    CVertex* f = builder.Vertex(1, -1);
    CFace* upper = builder.Face({a, b, c, d, e}, {0, 0, 1});
    CFace* lower = builder.Face({c, b, a, f}, {0, 0, 1});
    CEdgeUse* useA = a->FindEdgeTo(b)->FindEdgeUseOnFace(upper);
    CEdgeUse* useB = a->FindEdgeTo(b)->FindEdgeUseOnFace(lower);
    CEdgeUse* endA = nullptr;
    CEdgeUse* endB = nullptr;
    EXPECT_EQ(CEdgeUse::CountSharedRun(useA, useB, endA, endB), 2);
    EXPECT_NE(useA->GetEdge(), endA->GetEdge());
    EXPECT_EQ(useA->GetEdge(), useB->GetEdge());
    EXPECT_EQ(endA->GetEdge(), endB->GetEdge());

    CEdgeUse* single = d->FindEdgeTo(e)->GetFirstEdgeUse();
    CEdgeUse* same = single;
    EXPECT_EQ(CEdgeUse::CountSharedRun(single, same, endA, endB), 5);
}

TEST(EdgeUse, PartnersAreTheOtherUsesOfTheEdge)
{
    Builder builder;
    CFace* left = builder.Square();
    CEdgeUse* lone = left->GetOuterLoop()->GetFirstEdgeUse();
    std::unique_ptr<CEnumEdgeUse> alone(lone->NewPartnerEnum());
    CEdgeUse* found = nullptr;
    EXPECT_FALSE(alone->Next(found));

    CEdgeUse* shared = lone->GetNext();
    CFace* right = builder.Face({shared->GetStartVertex(), builder.Vertex(2, 0), builder.Vertex(2, 1),
                                 shared->GetEndVertex()},
                                {0, 0, 1});
    std::unique_ptr<CEnumEdgeUse> partners(shared->NewPartnerEnum());
    ASSERT_TRUE(partners->Next(found));
    EXPECT_EQ(found->GetFace(), right);
    EXPECT_FALSE(partners->Next(found));
    partners->Reset();
    EXPECT_TRUE(partners->Next(found));
}

} // namespace
