#include "model/face.h"

#include <gtest/gtest.h>

#include <vector>

#include "document/facetexturecoords.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/tarnwickmodel.h"
#include "foundation/boundedline3d.h"
#include "foundation/transformation.h"
#include "model/validitylog.h"
#include "tests/model/topologytestsupport.h"

namespace {

using topologytest::Builder;
using topologytest::RingOf;

// An entity that refers to another and writes down the codes it is told.
class CListener : public CEntity
{
public:
    void OnReferenceChanged(int code, CEntity* /*changed*/, CEntity* /*argument*/) override { codes.push_back(code); }
    std::vector<int> codes;
};

TEST(FaceConstruction, TheFrontNormalAlwaysAgreesWithTheOuterLoopsWinding)
{
    Builder builder;
    CFace* square = builder.Square();
    CVertex* a = builder.Vertex(0, 0, 5);
    CVertex* b = builder.Vertex(0, 1, 5);
    CVertex* c = builder.Vertex(1, 1, 5);
    auto* loop = new CLoop;
    CEdgeUse* ab = new CEdgeUse(builder.Edge(a, b), false, nullptr, loop);
    CEdgeUse* bc = new CEdgeUse(builder.Edge(b, c), false, ab, loop);
    new CEdgeUse(builder.Edge(c, a), false, bc, loop);
    auto* face = new CFace(CPlane3d(CPoint3d(0, 0, 5), CVector3d(0, 0, 1)), loop);
    builder.Component().Add(face);
    EXPECT_DOUBLE_EQ(face->GetPlane().c, -1.0);
    EXPECT_EQ(loop->GetFace(), face);
    EXPECT_DOUBLE_EQ(square->GetPlane().c, 1.0);
    EXPECT_EQ(square->GetEdgeUseCount(), 4);
    EXPECT_TRUE(square->GetFirstPoint().IsEqual(CPoint3d(0, 0, 0)));
    EXPECT_EQ(square->GetLoop(1), nullptr);
    EXPECT_EQ(CFace().GetOuterLoop(), nullptr);
}

TEST(FaceOrientation, ReversingTwiceRestoresPlaneAndLoopsAndTellsTheReferrersEachTime)
{
    Builder builder;
    CFace* face = builder.SquareWithHole();
    CListener listener;
    face->AddBackReference(&listener);
    const std::vector<CEdgeUse*> outer = RingOf(face->GetLoop(0));
    face->Reverse();
    EXPECT_DOUBLE_EQ(face->GetPlane().c, -1.0);
    EXPECT_GT(face->GetLoop(0)->GetSignedArea(face->GetNormal(), nullptr), 0.0);
    EXPECT_LT(face->GetLoop(1)->GetSignedArea(face->GetNormal(), nullptr), 0.0);
    face->Reverse();
    EXPECT_DOUBLE_EQ(face->GetPlane().c, 1.0);
    EXPECT_EQ(RingOf(face->GetLoop(0)), outer);
    EXPECT_EQ(listener.codes, (std::vector<int>{kReferenceFaceReversed, kReferenceFaceReversed}));
    face->RemoveBackReference(&listener);
}

TEST(FaceOrientation, AMirrorReversesTheLoopsAndARotationDoesNot)
{
    Builder builder;
    CFace* face = builder.Square();
    CEdgeUse* first = face->GetOuterLoop()->GetFirstEdgeUse();
    const bool reversed = first->IsReversed();
    face->Transform(CTransformation::Rotation(CPoint3d(), CUnitVector3d(0, 0, 1), kPi / 2.0));
    EXPECT_EQ(first->IsReversed(), reversed);
    face->Transform(CTransformation::Scaling(-1.0, 1.0, 1.0));
    EXPECT_NE(first->IsReversed(), reversed);
}

TEST(FaceQueries, ClassifiesPointsAgainstThePlaneTheOuterLoopAndTheHole)
{
    Builder builder;
    CFace* face = builder.SquareWithHole();
    EXPECT_EQ(face->ClassifyPoint(CPoint3d(0.5, 0.5, 0.001)), kFacePointInside);
    EXPECT_EQ(face->ClassifyPoint(CPoint3d(0.5, 0.5, 0.0011)), kFacePointOffPlane);
    EXPECT_EQ(face->ClassifyPoint(CPoint3d(2, 2, 0)), kFacePointOutside);
    EXPECT_EQ(face->ClassifyPoint(CPoint3d(2, 1, 0)), kFacePointOnEdge);
    EXPECT_EQ(face->ClassifyPoint(CPoint3d(3, 3, 0)), kFacePointOnVertex);
    EXPECT_EQ(face->ClassifyPoint(CPoint3d(4, 2, 0)), kFacePointOnEdge);
    EXPECT_EQ(face->ClassifyPoint(CPoint3d(5, 2, 0)), kFacePointOutside);
    EXPECT_EQ(CFace().ClassifyPoint(CPoint3d()), kFacePointNoLoops);
    EXPECT_EQ(face->GetDominantAxis(), 0);
}

TEST(FaceQueries, TheAreaSubtractsHolesAndTheBoxIgnoresThemAndFollowsAMovedVertexAtOnce)
{
    Builder builder;
    CFace* face = builder.SquareWithHole();
    EXPECT_DOUBLE_EQ(face->GetArea(), 12.0);
    CTransformation twice;
    twice.SetUniformScale(2.0);
    EXPECT_DOUBLE_EQ(face->GetArea(&twice), 48.0);
    CBoundingBox3d box = face->GetBoundingBox();
    EXPECT_DOUBLE_EQ(box.xmax, 4.0);
    face->GetOuterLoop()->GetFirstEdgeUse()->GetStartVertex()->SetPosition(CPoint3d(-1, 0, 0));
    EXPECT_DOUBLE_EQ(face->GetBoundingBox().xmin, -1.0);
    CBoundingBox3d extents;
    face->AccumulateExtents(twice, extents);
    EXPECT_DOUBLE_EQ(extents.xmin, -2.0);
}

TEST(FaceQueries, RefittingFollowsTheVerticesAndPlanarityUsesTheTolerance)
{
    Builder builder;
    CFace* face = builder.Square();
    EXPECT_TRUE(face->AreAllVerticesOnPlane());
    face->SetPlane(CPlane3d(CPoint3d(0, 0, 0.5), CVector3d(0, 0, 1)));
    EXPECT_FALSE(face->AreAllVerticesOnPlane());
    EXPECT_FALSE(face->IsPlanarWith());
    CPlane3d fitted;
    EXPECT_TRUE(face->RefitPlane(&fitted, true));
    EXPECT_NEAR(face->GetPlane().d, 0.0, 1e-12);
    EXPECT_GT(face->GetPlane().c, 0.0);
    EXPECT_TRUE(face->IsPlanarWith(&fitted));

    CVertex* lifted = face->GetOuterLoop()->GetFirstEdgeUse()->GetStartVertex();
    lifted->SetPosition(CPoint3d(0, 0, 0.1));
    EXPECT_FALSE(face->RefitPlane(nullptr, false));
}

TEST(FaceQueries, APickRayHitsTheFaceButNotItsHoleNorAHiddenFaceWhenAsked)
{
    Builder builder;
    CFace* face = builder.SquareWithHole();
    CPoint3d hit;
    double t = 0.0;
    const CBoundedLine3d down(CLine3d(CPoint3d(0.5, 0.5, 10), CUnitVector3d(0, 0, -1)), false, true);
    ASSERT_TRUE(face->IntersectPickRay(down, 1.0, hit, t, nullptr, false));
    EXPECT_TRUE(hit.IsEqual(CPoint3d(0.5, 0.5, 0)));
    EXPECT_DOUBLE_EQ(t, 10.0);
    const CBoundedLine3d intoHole(CLine3d(CPoint3d(2, 2, 10), CUnitVector3d(0, 0, -1)), false, true);
    EXPECT_FALSE(face->IntersectPickRay(intoHole, 1.0, hit, t, nullptr, false));
    const CBoundedLine3d tooShort(CPoint3d(0.5, 0.5, 10), CPoint3d(0.5, 0.5, 5));
    EXPECT_FALSE(face->IntersectPickRay(tooShort, 1.0, hit, t, nullptr, false));
    face->SetHidden(true);
    EXPECT_FALSE(face->IntersectPickRay(down, 1.0, hit, t, nullptr, true));
    EXPECT_EQ(face->IntersectLine(CLine3d(CPoint3d(0, 0, 1), CUnitVector3d(1, 0, 0)), hit), kFaceLineParallel);
}

TEST(FaceLoops, HolesAreAddedClockwiseAndRemovedOrErased)
{
    Builder builder;
    CFace* face = builder.SquareWithHole();
    CFace* donor = builder.Face({builder.Vertex(0.5, 0.5), builder.Vertex(0.8, 0.5), builder.Vertex(0.8, 0.8)},
                                {0, 0, 1});
    face->AddInnerLoop(donor->GetOuterLoop());
    ASSERT_EQ(face->GetLoopCount(), 3);
    CLoop* copied = face->GetLoop(2);
    EXPECT_NE(copied, donor->GetOuterLoop());
    EXPECT_FALSE(copied->IsOuter());
    EXPECT_LT(copied->GetSignedArea(face->GetNormal(), nullptr), 0.0);
    EXPECT_EQ(donor->GetOuterLoop()->GetFace(), donor);

    face->RemoveLoop(copied, false);
    EXPECT_EQ(copied->GetFace(), nullptr);
    copied->Erase();
    face->EraseInnerLoops();
    EXPECT_EQ(face->GetLoopCount(), 1);
    EXPECT_DOUBLE_EQ(face->GetArea(), 16.0);
}

TEST(FaceMaterials, TheBackMaterialCountsAUseThatErasingReleases)
{
    Builder builder;
    CFace* face = builder.Square();
    auto* material = new CMaterial;
    builder.Component().GetMaterialManager()->AddMaterial(material);
    face->SetBackMaterial(material);
    face->SetBackMaterial(material);
    EXPECT_EQ(material->GetUseCount(), 1);
    CFace* copy = builder.Square(1.0, 5.0);
    copy->CopyPropertiesFrom(face);
    EXPECT_EQ(copy->GetBackMaterial(), material);
    EXPECT_EQ(material->GetUseCount(), 2);
    builder.Component().Remove(face);
    face->Erase();
    EXPECT_EQ(material->GetUseCount(), 1);
}

TEST(FaceCheck, ASoundFaceIsSoundAndAFaceOffItsVerticesIsRefittedInRepairMode)
{
    Builder builder;
    CFace* face = builder.SquareWithHole();
    const CValidityCheckScope checking;
    CValidityResultMap results;
    EXPECT_EQ(face->CheckValidity(kValidityModeCheck, &results), kValiditySound);

    face->SetPlane(CPlane3d(CPoint3d(0, 0, 0.5), CVector3d(0, 0, 1)));
    CValidityResultMap second;
    EXPECT_EQ(face->CheckValidity(kValidityModeCheck, &second), kValidityRepairable);
    CValidityResultMap third;
    EXPECT_EQ(face->CheckValidity(kValidityModeRepair, &third), kValiditySound);
    EXPECT_TRUE(face->AreAllVerticesOnPlane());
}

TEST(FaceCheck, AHoleOutsideTheOuterLoopIsReportedAndRemovedInRepairMode)
{
    Builder builder;
    CFace* face = builder.Square();
    builder.Hole(face, {builder.Vertex(5, 5), builder.Vertex(5, 6), builder.Vertex(6, 6), builder.Vertex(6, 5)});
    const CValidityCheckScope checking;
    ClearValidityLog();
    EXPECT_EQ(face->CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_FALSE(GetValidityLog().IsEmpty());
    EXPECT_EQ(face->GetLoopCount(), 2);
    EXPECT_EQ(face->CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(face->GetLoopCount(), 1);
    ClearValidityLog();
}

} // namespace

TEST(FaceMaterials, TransformingAFaceMovesItsTexturePlacementFromThePlaneItHadBefore)
{
    Builder builder;
    CFace* face = builder.Square();
    auto* coords = new CFaceTextureCoords;
    coords->SetFrontMatrix(Matrix3Identity());
    face->GetOrCreateAttributeContainer(coords);
    ASSERT_EQ(GetFaceTextureCoords(face), coords);
    // Turning the face over about the x axis moves the plane frame with it: the
    // placement stays where it lay on the face.
    face->Transform(CTransformation::Rotation(CPoint3d(), CUnitVector3d(1, 0, 0), kPi));
    CTexturePlacement expected;
    expected.SetMatrix(Matrix3Identity());
    expected.Transform(CTransformation::Rotation(CPoint3d(), CUnitVector3d(1, 0, 0), kPi), CPlane3d());
    EXPECT_TRUE(Matrix3IsEqual(coords->GetFrontPlacement().matrix, expected.matrix, 1e-9));
    EXPECT_DOUBLE_EQ(face->GetPlane().c, -1.0);
}
