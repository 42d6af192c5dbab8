#include <gtest/gtest.h>

#include <limits>

#include "annotations/constructionline.h"
#include "annotations/constructionmessages.h"
#include "annotations/constructionpoint.h"
#include "document/material.h"
#include "foundation/transformation.h"
#include "model/undooperation.h"
#include "tests/annotations/annotationtestsupport_b.h"

using namespace annotationtest;

TEST(ConstructionPointRecord, EveryFormatHoldsBothPointsAndTheSegmentFlag)
{
    for (const int format : kFormats) {
        Bytes body = ElementPart(format);
        PutPoint(body, CPoint3d(1, 2, 3));
        PutPoint(body, CPoint3d(4, 5, 6));
        PutBool(body, true);
        CConstructionPoint guide;
        ReadInPlace(guide, format, body);
        EXPECT_TRUE(guide.GetPoint().IsEqual(CPoint3d(1, 2, 3)));
        EXPECT_TRUE(guide.GetSecondPoint().IsEqual(CPoint3d(4, 5, 6)));
        EXPECT_TRUE(guide.HasSegment());

        Bytes written;
        CConstructionPoint* read = RoundTrip(guide, format, &written);
        ASSERT_NE(read, nullptr);
        EXPECT_TRUE(read->GetSecondPoint().IsEqual(CPoint3d(4, 5, 6)));
        EXPECT_TRUE(read->HasSegment());
        EXPECT_EQ(StoreObject(*read, format), written) << format;
        Dispose(read);
    }
}

TEST(ConstructionPointRecord, AGuideReadWithAMaterialDropsItAndGivesBackItsUse)
{
    CMaterial material;
    Bytes body = ElementPart(kSaveFormat5000, 1);
    PutPoint(body, CPoint3d());
    PutPoint(body, CPoint3d());
    PutBool(body, false);
    CConstructionPoint guide;
    ReadInPlace(guide, kSaveFormat5000, body, {&material});
    EXPECT_EQ(guide.GetMaterial(), nullptr);
    EXPECT_EQ(material.GetUseCount(), 0);
    EXPECT_EQ(guide.GetTypeId(), kTypeConstructionPoint);
}

TEST(ConstructionPoint, TransformingMovesBothPointsButTheExtentsHoldOnlyThePoint)
{
    const entitytest::OpenOperation operation;
    auto* guide = new CConstructionPoint(CPoint3d(1, 0, 0), CPoint3d(-5, 0, 0));
    CTransformation shift;
    shift.SetTranslation(CVector3d(0, 0, 2));
    guide->Transform(shift);
    EXPECT_NE(operation.Get().FindRecord(guide), nullptr);
    EXPECT_TRUE(guide->GetPoint().IsEqual(CPoint3d(1, 0, 2)));
    EXPECT_TRUE(guide->GetSecondPoint().IsEqual(CPoint3d(-5, 0, 2)));

    const CBoundingBox3d box = guide->GetBoundingBox();
    EXPECT_TRUE(box.GetCorner(0).IsEqual(CPoint3d(1, 0, 2)));
    EXPECT_TRUE(box.GetCorner(7).IsEqual(CPoint3d(1, 0, 2)));
    CPoint3d nearest;
    EXPECT_EQ(guide->IntersectLine(CLine3d(CPoint3d(9, 9, 9), CUnitVector3d(0, 1, 0)), nearest), kGuideNearestPoint);
    EXPECT_TRUE(nearest.IsEqual(CPoint3d(1, 0, 2)));
    Dispose(guide);
}

TEST(ConstructionPoint, EachPointThatIsNotFiniteHasItsOwnMessage)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct
    {
        CPoint3d point;
        CPoint3d second;
        int message;
    } cases[] = {
        {CPoint3d(nan, 0, 0), CPoint3d(), kMsgGuidePointInvalid},
        {CPoint3d(), CPoint3d(0, 0, std::numeric_limits<double>::infinity()), kMsgGuideSecondPointInvalid},
    };
    for (const auto& c : cases) {
        CConstructionPoint guide(c.point, c.second);
        CString log;
        EXPECT_EQ(CheckAlone(guide, log), kValidityStale);
        EXPECT_EQ(log, CString::Formatted(GetConstructionMessageFormat(c.message), GetEntityLabel(&guide)));
    }
    CConstructionPoint sound;
    CString log;
    EXPECT_EQ(CheckAlone(sound, log), kValiditySound);
}
