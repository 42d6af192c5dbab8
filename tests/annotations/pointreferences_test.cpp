#include <gtest/gtest.h>

#include "annotations/pointreferences.h"
#include "model/backreferencemap.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/vertex.h"
#include "tests/model/topologytestsupport.h"

TEST(PointReferences, PointsOnVerticesEdgesAndFacesFollowWhatTheyHangOn)
{
    topologytest::Builder builder;
    CFace* face = builder.Square(2.0);
    CVertex* corner = builder.Vertex(5, 5, 5);
    CEdge* edge = builder.Edge(builder.Vertex(0, 0, 3), builder.Vertex(4, 0, 3));

    const CModelPointRef onVertex = MakeVertexPoint(corner);
    const CModelPointRef onEdge = MakeEdgePoint(edge, CPoint3d(1, 7, 3));
    const CModelPointRef onFace = MakeFacePoint(face, CPoint3d(0.5, 1.5, 0));
    EXPECT_EQ(onVertex.GetKind(), CModelPointRef::kVertex);
    EXPECT_EQ(onEdge.GetKind(), CModelPointRef::kEdgePoint);
    EXPECT_EQ(onEdge.GetParameters().x, 0.25);
    EXPECT_EQ(onFace.GetKind(), CModelPointRef::kFacePoint);
    EXPECT_EQ(EvaluatePoint(onEdge), CPoint3d(1, 0, 3));
    EXPECT_EQ(EvaluatePoint(onFace), CPoint3d(0.5, 1.5, 0));

    corner->SetPosition(CPoint3d(6, 6, 6));
    edge->GetEndVertex()->SetPosition(CPoint3d(8, 0, 3));
    EXPECT_EQ(EvaluatePoint(onVertex), CPoint3d(6, 6, 6));
    EXPECT_EQ(EvaluatePoint(onEdge), CPoint3d(2, 0, 3));
    EXPECT_TRUE(onEdge.RefersTo(edge));
    EXPECT_FALSE(onEdge.RefersTo(face));
    delete corner;
}

TEST(PointReferences, APointWhoseEntityIsMissingOrOfAnotherClassKeepsItsLastPosition)
{
    topologytest::Builder builder;
    CVertex* vertex = builder.Vertex(1, 1, 1);
    CModelPointRef point;
    point.Set(CModelPointRef::kEdgePoint, CPoint3d(0.5, 0, 0), vertex, CInstancePath(), nullptr, CInstancePath());
    point.SetPosition(CPoint3d(9, 9, 9));
    EXPECT_EQ(EvaluatePoint(point), CPoint3d(9, 9, 9));
    point.Set(CModelPointRef::kFacePoint, CPoint3d(0.5, 0.5, 0), nullptr, CInstancePath(), nullptr, CInstancePath());
    EXPECT_EQ(EvaluatePoint(point), CPoint3d(9, 9, 9));
    delete vertex;
}

TEST(PointReferences, TheOwnerIsRegisteredWithTheEntityAndDroppedAgain)
{
    topologytest::Builder builder;
    CVertex* vertex = builder.Vertex(1, 1, 1);
    CDrawingElement owner;
    const CModelPointRef point = MakeVertexPoint(vertex);
    point.AddReferences(&owner);
    const CBackReferenceMap* references = GetCurrentModel()->FindEntitySet();
    ASSERT_NE(references, nullptr);
    EXPECT_TRUE(references->Contains(vertex));
    point.RemoveReferences(&owner);
    EXPECT_FALSE(references->Contains(vertex));
    delete vertex;
}
