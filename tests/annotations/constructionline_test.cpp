#include <gtest/gtest.h>

#include <limits>

#include "annotations/constructionline.h"
#include "annotations/constructionmessages.h"
#include "foundation/transformation.h"
#include "model/undooperation.h"
#include "platform/exceptions.h"
#include "tests/annotations/annotationtestsupport_b.h"

using namespace annotationtest;

namespace {

const CLine3d kAlongX(CPoint3d(1.0, 2.0, 3.0), CUnitVector3d(1.0, 0.0, 0.0));

CBoundedLine3d Bounded(double start, double end)
{
    CBoundedLine3d line(kAlongX, false, false);
    line.start = start;
    line.end = end;
    return line;
}

void ExpectSameLine(const CBoundedLine3d& actual, const CBoundedLine3d& expected)
{
    EXPECT_TRUE(actual.line.origin.IsEqual(expected.line.origin));
    EXPECT_DOUBLE_EQ(actual.line.direction.x, expected.line.direction.x);
    EXPECT_DOUBLE_EQ(actual.line.direction.y, expected.line.direction.y);
    EXPECT_DOUBLE_EQ(actual.line.direction.z, expected.line.direction.z);
    EXPECT_DOUBLE_EQ(actual.start, expected.start);
    EXPECT_DOUBLE_EQ(actual.end, expected.end);
}

}  // namespace

TEST(ConstructionLineRecord, AVersionZeroRecordIsALineUnboundedAtBothEndsWithStippleZero)
{
    Bytes body = ElementPart(kSaveFormat3000);
    PutDoubles(body, {1, 2, 3, 1, 0, 0});
    CConstructionLine guide(Bounded(0, 5));
    ReadInPlace(guide, kSaveFormat3000, body);
    ExpectSameLine(guide.GetBoundedLine(), CBoundedLine3d(kAlongX, true, true));
    EXPECT_EQ(guide.GetStipple(), 0);
}

TEST(ConstructionLineRecord, AVersionOneRecordKeepsItsBoundsAndTheLowSixteenBitsOfTheStipple)
{
    for (const int format : {kSaveFormat5000, kSaveFormat4000}) {
        Bytes body = ElementPart(format);
        PutDoubles(body, {1, 2, 3, 1, 0, 0, -1e30, 5});
        PutInt(body, 0x12343333);
        CConstructionLine guide;
        ReadInPlace(guide, format, body);
        ExpectSameLine(guide.GetBoundedLine(), Bounded(-1e30, 5));
        EXPECT_FALSE(guide.GetBoundedLine().IsStartBounded());
        EXPECT_EQ(guide.GetStipple(), 0x3333);
    }
}

TEST(ConstructionLineRecord, FormatThreeThousandWritesTheLineWithoutBoundsOrStipple)
{
    const CConstructionLine guide(Bounded(0, 5));
    Bytes expected = ElementPart(kSaveFormat3000);
    PutDoubles(expected, {1, 2, 3, 1, 0, 0});
    EXPECT_EQ(Store([&](CArchive& ar) { const_cast<CConstructionLine&>(guide).Serialize(ar); }, kSaveFormat3000),
              expected);
}

TEST(ConstructionLineRecord, WrittenAndReadBackInEveryFormatTheLineWritesTheSameBytesAgain)
{
    const CConstructionLine guide(Bounded(-1, 7));
    for (const int format : kFormats) {
        Bytes first;
        CConstructionLine* read = RoundTrip(guide, format, &first);
        ASSERT_NE(read, nullptr);
        const CBoundedLine3d expected = format == kSaveFormat3000 ? CBoundedLine3d(kAlongX, true, true) : Bounded(-1, 7);
        ExpectSameLine(read->GetBoundedLine(), expected);
        if (format != kSaveFormat3000) {
            EXPECT_EQ(StoreObject(*read, format), first) << format;
        }
        Dispose(read);
    }
}

TEST(ConstructionLine, ExtentsHoldBothEndsOfASegmentButOnlyTheOriginOfARayOrLine)
{
    const CTransformation shift;
    CBoundingBox3d segment;
    CConstructionLine(Bounded(0, 5)).AccumulateExtents(shift, segment);
    EXPECT_TRUE(segment.GetCorner(0).IsEqual(CPoint3d(1, 2, 3)));
    EXPECT_TRUE(segment.GetCorner(7).IsEqual(CPoint3d(6, 2, 3)));

    for (const CBoundedLine3d& open : {Bounded(-1e30, 5), Bounded(0, 1e30), CBoundedLine3d(kAlongX, true, true)}) {
        CBoundingBox3d box;
        CConstructionLine(open).AccumulateExtents(shift, box);
        EXPECT_TRUE(box.GetCorner(0).IsEqual(CPoint3d(1, 2, 3)));
        EXPECT_TRUE(box.GetCorner(7).IsEqual(CPoint3d(1, 2, 3)));
    }
}

TEST(ConstructionLine, TransformingRecordsTheChangeAndScalesTheBoundsAlongTheLine)
{
    const entitytest::OpenOperation operation;
    CConstructionLine* guide = new CConstructionLine(Bounded(-1e30, 5));
    guide->Transform(CTransformation::Scaling(2, 2, 2));
    EXPECT_NE(operation.Get().FindRecord(guide), nullptr);
    EXPECT_TRUE(guide->GetBoundedLine().line.origin.IsEqual(CPoint3d(2, 4, 6)));
    EXPECT_FALSE(guide->GetBoundedLine().IsStartBounded());
    EXPECT_DOUBLE_EQ(guide->GetBoundedLine().end, 10.0);
    Dispose(guide);
}

TEST(ConstructionLine, TheNearestPointToALineLiesOnTheGuideUnlessTheyAreParallel)
{
    const CConstructionLine guide(Bounded(0, 1));
    CPoint3d point;
    EXPECT_EQ(guide.IntersectLine(CLine3d(CPoint3d(4, 0, 0), CUnitVector3d(0, 0, 1)), point), kGuideNearestPoint);
    EXPECT_TRUE(point.IsEqual(CPoint3d(4, 2, 3)));
    EXPECT_EQ(guide.IntersectLine(CLine3d(CPoint3d(0, 9, 9), CUnitVector3d(-1, 0, 0)), point), kGuideParallel);
    EXPECT_TRUE(point.IsEqual(CPoint3d(1, 2, 3)));
    const CBoundedLine3d provided = guide.GetLine();
    EXPECT_FALSE(provided.IsStartBounded() || provided.IsEndBounded());
}

TEST(ConstructionLine, SwappingAndCloningCarryTheLineAndTheStipple)
{
    Bytes body = ElementPart(kSaveFormat5000);
    PutDoubles(body, {1, 2, 3, 1, 0, 0, 0, 5});
    PutInt(body, 0x00FF);
    CConstructionLine stippled;
    ReadInPlace(stippled, kSaveFormat5000, body);
    CConstructionLine plain;
    plain.SwapData(stippled);
    EXPECT_EQ(plain.GetStipple(), 0x00FF);
    EXPECT_EQ(stippled.GetStipple(), 0);
    ExpectSameLine(stippled.GetBoundedLine(), CBoundedLine3d());

    CEntity* copy = plain.Clone();
    EXPECT_EQ(static_cast<CConstructionLine*>(copy)->GetStipple(), 0x00FF);
    ExpectSameLine(static_cast<CConstructionLine*>(copy)->GetBoundedLine(), Bounded(0, 5));
    Dispose(copy);
}

TEST(ConstructionLine, MovingTheOriginByLessThanTheToleranceRecordsNothing)
{
    const entitytest::OpenOperation operation;
    CConstructionLine* guide = new CConstructionLine(Bounded(0, 5));
    guide->SetOrigin(CPoint3d(1.0005, 2, 3));
    EXPECT_EQ(operation.Get().FindRecord(guide), nullptr);
    guide->SetOrigin(CPoint3d(0, 0, 0));
    EXPECT_NE(operation.Get().FindRecord(guide), nullptr);
    EXPECT_TRUE(guide->GetBoundedLine().line.origin.IsEqual(CPoint3d()));
    Dispose(guide);
}

TEST(ConstructionLine, AGuideWithALineThatIsNotFiniteFailsItsCheck)
{
    CBoundedLine3d broken = Bounded(0, 5);
    broken.end = std::numeric_limits<double>::quiet_NaN();
    CConstructionLine guide(broken);
    CString log;
    EXPECT_EQ(CheckAlone(guide, log), kValidityStale);
    EXPECT_EQ(log, CString::Formatted(GetConstructionMessageFormat(kMsgGuideLineInvalid), GetEntityLabel(&guide)));

    CConstructionLine sound(Bounded(0, 5));
    EXPECT_EQ(CheckAlone(sound, log), kValiditySound);
    EXPECT_EQ(guide.CheckValidity(kValidityModeCheck, nullptr), kValiditySound) << "bypassed outside a check run";
}
