#include "model/edge.h"

#include <gtest/gtest.h>

#include "foundation/slaballocator.h"
#include "model/curve.h"
#include "model/radialtails.h"
#include "model/undooperation.h"
#include "model/topologymessages.h"
#include "model/validitylog.h"
#include "tests/model/topologytestsupport.h"

namespace {

using topologytest::Builder;
using topologytest::CProbeVertex;

TEST(Edge, AnswersItsGeometryFromItsVertices)
{
    Builder builder;
    CVertex* a = builder.Vertex(0, 0);
    CVertex* b = builder.Vertex(3, 4);
    CVertex* c = builder.Vertex(3, 0);
    CEdge* ab = builder.Edge(a, b);
    CEdge* bc = builder.Edge(b, c);
    EXPECT_DOUBLE_EQ(ab->GetLength(), 5.0);
    EXPECT_TRUE(ab->GetMidPoint().IsEqual(CPoint3d(1.5, 2, 0)));
    EXPECT_EQ(ab->GetOtherVertex(a), b);
    EXPECT_EQ(ab->GetOtherVertex(b), a);
    EXPECT_EQ(ab->GetCommonVertex(bc), b);
    EXPECT_EQ(ab->GetCommonVertex(builder.Edge(c, builder.Vertex(9, 9))), nullptr);
    const CBoundedLine3d line = ab->GetLine();
    EXPECT_DOUBLE_EQ(line.end - line.start, 5.0);
    EXPECT_TRUE(ab->IsFree());
    EXPECT_EQ(ab->GetEdgeUseCount(), 0);
}

TEST(Edge, SettingTheSameVertexRecordsNothingAndAnotherVertexIsRecorded)
{
    Builder builder;
    CEdge* edge = builder.Edge(builder.Vertex(0, 0), builder.Vertex(1, 0));
    CVertex* start = edge->GetStartVertex();
    CVertex* elsewhere = builder.Vertex(0, 1);
    builder.Edge(start, elsewhere);
    SetRecordingChanges(true);
    {
        const entitytest::OpenOperation operation;
        edge->SetStartVertex(start, false);
        EXPECT_EQ(operation.Get().FindRecord(edge), nullptr);
        edge->SetStartVertex(elsewhere, false);
        EXPECT_NE(operation.Get().FindRecord(edge), nullptr);
    }
    SetRecordingChanges(false);
    EXPECT_EQ(edge->GetStartVertex(), elsewhere);
    EXPECT_FALSE(start->ContainsEdge(edge));
    EXPECT_EQ(elsewhere->GetEdgeCount(), 2);
}

TEST(Edge, MovingTheLastEdgeOffAVertexErasesTheVertex)
{
    Builder builder;
    bool deleted = false;
    CEdge* edge = builder.Edge(new CProbeVertex(CPoint3d(), &deleted), builder.Vertex(1, 0));
    edge->SetStartVertex(builder.Vertex(0, 1), false);
    EXPECT_TRUE(deleted);
}

TEST(Edge, ErasingLeavesItsVerticesErasingThoseLeftAloneAndErasesItsUses)
{
    Builder builder;
    CFace* face = builder.Square();
    CLoop* loop = face->GetOuterLoop();
    CEdge* edge = loop->GetFirstEdgeUse()->GetEdge();
    CVertex* start = edge->GetStartVertex();
    builder.Component().Remove(edge);
    edge->Erase();
    EXPECT_EQ(start->GetEdgeCount(), 1);
    EXPECT_EQ(loop->GetEdgeUseCount(), 3);

    bool deleted = false;
    CEdge* lone = builder.Edge(new CProbeVertex(CPoint3d(7, 7, 7), &deleted), builder.Vertex(8, 8));
    builder.Component().Remove(lone);
    lone->Erase();
    EXPECT_TRUE(deleted);
}

TEST(Edge, ACurveCountsItsEdgesAndDissolvesFromAnyOfThem)
{
    Builder builder;
    CVertex* v[4] = {builder.Vertex(0, 0), builder.Vertex(1, 0), builder.Vertex(2, 1), builder.Vertex(3, 1)};
    auto* curve = new CCurve;
    CEdge* edges[3];
    for (int i = 0; i < 3; ++i) {
        edges[i] = builder.Edge(v[i], v[i + 1]);
        edges[i]->SetCurve(curve);
    }
    curve->RebuildFromEdge(edges[1]);
    EXPECT_EQ(curve->GetEdgeCount(), 3);
    EXPECT_EQ(curve->GetParent(), &builder.Component());
    EXPECT_EQ(edges[2]->GetCurveDirection(), kCurveDirectionForward);

    edges[1]->DetachFromCurve();
    for (CEdge* edge : edges) {
        EXPECT_EQ(edge->GetCurve(), nullptr);
        EXPECT_EQ(edge->GetCurveDirection(), 0);
    }
}

TEST(Edge, SmoothingTellsItsFacesAndTransformingDropsTheirBoxes)
{
    Builder builder;
    CFace* face = builder.Square();
    CEdge* edge = face->GetOuterLoop()->GetFirstEdgeUse()->GetEdge();
    face->SetDisplayCache(5);
    edge->SetSmooth(true);
    EXPECT_TRUE(edge->IsSmooth());
    EXPECT_EQ(face->GetDisplayCache(), 0);
    face->SetDisplayCache(-4);
    edge->Transform(CTransformation());
    EXPECT_EQ(face->GetDisplayCache(), 0);
    edge->SetSoftAndSmooth(true, false);
    EXPECT_TRUE(edge->IsSoft());
    EXPECT_FALSE(edge->IsSmooth());
}

TEST(Edge, FindsItsUsesByLoopAndByFace)
{
    Builder builder;
    CFace* left = builder.Square();
    CVertex* shared0 = left->GetOuterLoop()->GetFirstEdgeUse()->GetNext()->GetStartVertex();
    CVertex* shared1 = left->GetOuterLoop()->GetFirstEdgeUse()->GetNext()->GetEndVertex();
    CFace* right = builder.Face({shared0, builder.Vertex(2, 0), builder.Vertex(2, 1), shared1}, {0, 0, 1});
    CEdge* middle = shared0->FindEdgeTo(shared1);
    ASSERT_EQ(middle->GetEdgeUseCount(), 2);
    EXPECT_TRUE(middle->IsFirstUseOnFace(left));
    EXPECT_FALSE(middle->IsFirstUseOnFace(right));
    EXPECT_EQ(middle->GetLoopOnFace(right), right->GetOuterLoop());
    EXPECT_EQ(middle->FindEdgeUseInLoop(right->GetOuterLoop())->GetFace(), right);
    EXPECT_FALSE(middle->HasEdgeUseOnFace(nullptr));
}

// Faces over one ring of four edges, put into the component before or after the edges.
std::vector<CFace*> AddFacesOverOneRing(CComponent& component, int faceCount, bool facesFirst)
{
    CVertex* v[4] = {new CVertex(CPoint3d(0, 0, 0)), new CVertex(CPoint3d(1, 0, 0)), new CVertex(CPoint3d(1, 1, 0)),
                     new CVertex(CPoint3d(0, 1, 0))};
    CEdge* edges[4];
    for (int i = 0; i < 4; ++i) {
        edges[i] = new CEdge(v[i], v[(i + 1) % 4], false);
    }
    std::vector<CFace*> faces;
    for (int i = 0; i < faceCount; ++i) {
        faces.push_back(new CFace(4, edges, CPlane3d(v[0]->GetPosition(), CVector3d(0, 0, 1))));
    }
    for (const bool addingFaces : {facesFirst, !facesFirst}) {
        if (addingFaces) {
            for (CFace* face : faces) {
                component.Add(face);
            }
        } else {
            for (CEdge* edge : edges) {
                component.Add(edge);
            }
        }
    }
    return faces;
}

std::vector<std::size_t> LiveTopology()
{
    return {CSlabAllocator::ForClass<CVertex>().GetLiveCount(), CSlabAllocator::ForClass<CEdge>().GetLiveCount(),
            CSlabAllocator::ForClass<CEdgeUse>().GetLiveCount(), CSlabAllocator::ForClass<CLoop>().GetLiveCount(),
            CSlabAllocator::ForClass<CFace>().GetLiveCount()};
}

TEST(Edge, FacesLeavingOneRingOneByOneKeepItWholeForTheOthersWhicheverComesFirst)
{
    for (const bool facesFirst : {false, true}) {
        Builder builder;
        const std::vector<CFace*> faces = AddFacesOverOneRing(builder.Component(), CRadialTails::kShortWalk + 4,
                                                              facesFirst);
        CEdge* edge = faces[0]->GetOuterLoop()->GetFirstEdgeUse()->GetEdge();
        for (std::size_t i = 0; i + 1 < faces.size(); ++i) {
            builder.Component().EraseEntity(faces[i]);
            ASSERT_EQ(edge->GetEdgeUseCount(), static_cast<int>(faces.size() - i - 1)) << facesFirst;
            EXPECT_EQ(edge->GetFirstEdgeUse()->GetFace(), faces[i + 1]);
            EXPECT_EQ(edge->CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
        }
    }
}

// Closing a model whose faces came before their edges took minutes: every use walked
// round its ring to leave it.
TEST(Edge, AComponentErasedOrClearedFreesFacesOverOneRingWhicheverComesFirst)
{
    Builder builder;
    const std::vector<std::size_t> before = LiveTopology();
    for (const int faceCount : {3, 40}) {
        for (const bool facesFirst : {false, true}) {
            for (const bool clear : {false, true}) {
                auto* component = new CComponent;
                const std::vector<CFace*> faces = AddFacesOverOneRing(*component, faceCount, facesFirst);
                if (clear) {
                    component->Clear();
                    EXPECT_TRUE(component->IsEmpty());
                }
                component->Erase();
                EXPECT_EQ(LiveTopology(), before) << faceCount << " faces, faces first " << facesFirst
                                                  << ", cleared " << clear;
            }
        }
    }
}

TEST(EdgeCheck, ASoundEdgeIsSoundAndAVertexThatLostItIsRepairedInRepairMode)
{
    Builder builder;
    CEdge* edge = builder.Edge(builder.Vertex(0, 0), builder.Vertex(1, 0));
    const CValidityCheckScope checking;
    CValidityResultMap results;
    EXPECT_EQ(edge->CheckValidity(kValidityModeCheck, &results), kValiditySound);

    edge->GetEndVertex()->RemoveEdge(edge, false);
    CValidityResultMap second;
    EXPECT_EQ(edge->CheckValidity(kValidityModeCheck, &second), kValidityRepairable);
    CValidityResultMap third;
    EXPECT_EQ(edge->CheckValidity(kValidityModeRepair, &third), kValiditySound);
    EXPECT_TRUE(edge->GetEndVertex()->ContainsEdge(edge));
}

TEST(EdgeCheck, AnEdgeWithoutLengthCannotBeRepairedAndTheBypassAnswersSound)
{
    Builder builder;
    CEdge* edge = builder.Edge(builder.Vertex(0, 0), builder.Vertex(0.0005, 0));
    EXPECT_EQ(edge->CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
    const CValidityCheckScope checking;
    EXPECT_EQ(edge->CheckValidity(kValidityModeCheck, nullptr), kValidityStale);
}

TEST(EdgeCheck, AStaleCurveEndsTheCheckBeforeADuplicateEdgeIsReported)
{
    Builder builder;
    CVertex* a = builder.Vertex(0, 0);
    CVertex* b = builder.Vertex(1, 0);
    CEdge* edge = builder.Edge(a, b);
    auto* twin = new CEdge(b, a, false);
    builder.Component().Add(twin);
    const CString duplicate =
        CString::Formatted(GetTopologyMessageFormat(kMsgEdgeDuplicate), GetEntityLabel(edge), GetEntityLabel(twin));
    const CValidityCheckScope checking;
    ClearValidityLog();
    CValidityResultMap results;
    EXPECT_EQ(edge->CheckValidity(kValidityModeCheck, &results), kValidityRepairable);
    EXPECT_GE(GetValidityLog().Find(duplicate), 0);

    auto* curve = new CCurve;
    edge->SetCurve(curve);
    curve->RebuildFromEdge(edge);
    curve->NegateId();
    ClearValidityLog();
    CValidityResultMap second;
    EXPECT_EQ(edge->CheckValidity(kValidityModeCheck, &second), kValidityStale);
    EXPECT_LT(GetValidityLog().Find(duplicate), 0);
    ClearValidityLog();
}

} // namespace
