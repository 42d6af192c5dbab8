#include "model/faceprojection2d.h"

#include <gtest/gtest.h>

#include <cmath>

#include "foundation/polygon2d.h"
#include "tests/model/topologytestsupport.h"

namespace {

using topologytest::Builder;

TEST(FaceProjection, PointsInTheHoleAreOutsideAndOnItsEdgeOnTheBoundary)
{
    Builder builder;
    const CFace* face = builder.SquareWithHole();
    const CFaceProjection2d projection(face);
    EXPECT_EQ(projection.GetPointCount(), 8);
    EXPECT_EQ(projection.ClassifyPoint(CPoint3d(0.5, 0.5, 0)), kPointInPolygon);
    EXPECT_EQ(projection.ClassifyPoint(CPoint3d(2, 2, 0)), kPointOutsidePolygon);
    EXPECT_EQ(projection.ClassifyPoint(CPoint3d(2, 1, 0)), kPointOnPolygonEdge);
    EXPECT_EQ(projection.ClassifyPoint(CPoint3d(1, 1, 0)), kPointOnPolygonVertex);
    EXPECT_EQ(projection.ClassifyPoint(CPoint3d(9, 9, 0)), kPointOutsidePolygon);
    EXPECT_EQ(projection.ClassifyPointOuter(CPoint3d(2, 2, 0)), kPointInPolygon);
    EXPECT_EQ(projection.ClassifyPoint2d(projection.Project(CPoint3d(2, 2, 0)), true), kPointInPolygon);
    EXPECT_EQ(projection.GetLoopPoints(face->GetLoop(1)), projection.GetPoints() + 4);
    EXPECT_EQ(projection.GetLoopPoints(nullptr), nullptr);
}

TEST(FaceProjection, AFaceAndItsReversedTwinProjectToTheSamePoints)
{
    Builder builder;
    CFace* face = builder.Face({builder.Vertex(0, 0, 0), builder.Vertex(1, 0, 1), builder.Vertex(1, 1, 1),
                                builder.Vertex(0, 1, 0)},
                               CVector3d(-1, 0, 1) * (1.0 / std::sqrt(2.0)));
    CFaceProjection2d projection(face);
    const CPoint2d first = projection.GetPoints()[0];
    const CPoint2d second = projection.GetPoints()[1];
    face->Reverse();
    projection.Rebuild();
    // The reversed ring starts with the same use, which now runs the other way.
    EXPECT_EQ(projection.GetPoints()[0], second);
    EXPECT_EQ(projection.GetPoints()[1], first);
}

TEST(FaceProjection, ComparesFacesThatTouchNestOverlapOrStayApart)
{
    Builder builder;
    CFace* big = builder.Square(4.0);
    CFace* small = builder.Square(1.0, 1.0, 1.0);
    CFace* neighbour = builder.Square(1.0, 4.0, 0.0);
    CFace* crossing = builder.Square(2.0, 3.0, 3.0);
    CFace* far = builder.Square(1.0, 10.0, 10.0);
    const CFaceProjection2d projection(big);
    EXPECT_EQ(projection.ClassifyFace(small), kProjectionOtherInside);
    EXPECT_EQ(CFaceProjection2d(small).ClassifyFace(big), kProjectionThisInside);
    EXPECT_EQ(projection.ClassifyFace(neighbour), kProjectionTouching);
    EXPECT_EQ(projection.ClassifyFace(crossing), kProjectionOverlapping);
    EXPECT_EQ(projection.ClassifyFace(far), kProjectionDisjoint);
    EXPECT_TRUE(IsFaceInsideFace(small, big));
    EXPECT_FALSE(IsFaceInsideFace(big, big));
    EXPECT_FALSE(IsFaceInsideFace(big, small));
}

TEST(FaceProjection, ClassifiesLoopsInsideAroundOrAcrossTheFace)
{
    Builder builder;
    CFace* face = builder.Square(4.0);
    const CFaceProjection2d projection(face);
    EXPECT_EQ(projection.ClassifyLoop(builder.Square(1.0, 1.0, 1.0)->GetOuterLoop(), nullptr), kLoopInsideFace);
    EXPECT_EQ(projection.ClassifyLoop(builder.Square(8.0, -2.0, -2.0)->GetOuterLoop(), nullptr), kLoopEnclosesFace);
    EXPECT_EQ(projection.ClassifyLoop(builder.Square(2.0, 3.0, 1.0)->GetOuterLoop(), nullptr), kLoopCrossesFace);
    CTransformation shift;
    shift.SetTranslation(CVector3d(3, 0, 0));
    EXPECT_EQ(projection.ClassifyLoop(builder.Square(1.0, 1.0, 1.0)->GetOuterLoop(), &shift), kLoopCrossesFace);

    CFace* inner = builder.Square(1.0, 1.0, 1.0);
    const CFaceProjection2d innerProjection(inner);
    EXPECT_EQ(projection.ClassifyLoopOfFace(innerProjection, inner->GetOuterLoop(), false), kLoopInsideFace);
    EXPECT_EQ(innerProjection.ClassifyLoopOfFace(projection, face->GetOuterLoop(), false), kLoopEnclosesFace);
    EXPECT_EQ(projection.ClassifyLoopOfFace(innerProjection, face->GetOuterLoop(), false), kLoopProjectionNone);
}

TEST(FaceProjection, WithoutAFaceEveryClassificationAnswersZero)
{
    Builder builder;
    CFace* face = builder.Square();
    const CFaceProjection2d empty;
    const CFaceProjection2d projection(face);
    EXPECT_EQ(empty.ClassifyPoint(CPoint3d()), 0);
    EXPECT_EQ(empty.ClassifyPointOuter(CPoint3d()), 0);
    EXPECT_EQ(empty.ClassifyFace(face), 0);
    EXPECT_EQ(empty.ClassifyProjection(projection, false), 0);
    EXPECT_EQ(empty.ClassifyLoop(face->GetOuterLoop(), nullptr), 0);
    EXPECT_EQ(empty.ClassifyLoopOfFace(projection, face->GetOuterLoop(), false), 0);
    EXPECT_EQ(projection.ClassifyProjection(empty, false), kProjectionDisjoint);
}

} // namespace
