#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "annotations/constructionline.h"
#include "annotations/constructionmessages.h"
#include "annotations/sectionplane.h"
#include "foundation/transformation.h"
#include "model/undooperation.h"
#include "platform/exceptions.h"
#include "tests/annotations/annotationtestsupport_b.h"

using namespace annotationtest;

namespace {

void ExpectPlane(const CPlane3d& actual, const CPlane3d& expected)
{
    EXPECT_DOUBLE_EQ(actual.a, expected.a);
    EXPECT_DOUBLE_EQ(actual.b, expected.b);
    EXPECT_DOUBLE_EQ(actual.c, expected.c);
    EXPECT_DOUBLE_EQ(actual.d, expected.d);
}

// The coefficients as given, without the normalising of the plane's constructor.
CPlane3d Raw(double a, double b, double c, double d)
{
    CPlane3d plane;
    plane.a = a;
    plane.b = b;
    plane.c = c;
    plane.d = d;
    return plane;
}

}  // namespace

TEST(SectionPlaneRecord, EveryFormatHoldsFourCoefficientsKeptExactlyAsStored)
{
    for (const int format : kFormats) {
        Bytes body = ElementPart(format);
        PutDoubles(body, {0, 0, 2, -4});
        CSectionPlane plane;
        ReadInPlace(plane, format, body);
        ExpectPlane(plane.GetPlane(), Raw(0, 0, 2, -4));
        EXPECT_TRUE(plane.GetBounds().IsEmpty());

        Bytes written;
        CSectionPlane* read = RoundTrip(plane, format, &written);
        ASSERT_NE(read, nullptr);
        ExpectPlane(read->GetPlane(), Raw(0, 0, 2, -4));
        EXPECT_EQ(StoreObject(*read, format), written) << format;
        Dispose(read);
    }
}

TEST(SectionPlaneRecord, AReferenceToAnotherClassWhereASectionPlaneBelongsIsBadClass)
{
    const CConstructionLine guide;
    const Bytes bytes = StoreObject(guide, kSaveFormat5000);
    const FormatVersions versions(kSaveFormat5000);
    try {
        Load(bytes, [](CArchive& ar) { (void)ReadSectionPlane(ar); });
        ADD_FAILURE() << "a guide line was read as a section plane";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::badClass);
    }
    CSectionPlane* none = nullptr;
    Load(Bytes{0, 0}, [&](CArchive& ar) { none = ReadSectionPlane(ar); });
    EXPECT_EQ(none, nullptr);
}

TEST(SectionPlane, SettingAnEqualPlaneRecordsNothingButTheReversedPlaneIsAChange)
{
    const entitytest::OpenOperation operation;
    auto* plane = new CSectionPlane(CPlane3d(0, 0, 1, -5));
    plane->SetPlane(CPlane3d(0, 0, 1, -5.0005));
    EXPECT_EQ(operation.Get().FindRecord(plane), nullptr);
    ExpectPlane(plane->GetPlane(), CPlane3d(0, 0, 1, -5));

    plane->SetPlane(CPlane3d(0, 0, -1, 5));
    EXPECT_NE(operation.Get().FindRecord(plane), nullptr);
    ExpectPlane(plane->GetPlane(), CPlane3d(0, 0, -1, 5));
    Dispose(plane);
}

TEST(SectionPlane, TransformingMovesTheEquationAndTheIdentityRecordsNothing)
{
    const entitytest::OpenOperation operation;
    auto* plane = new CSectionPlane(CPlane3d(0, 0, 1, -5));
    plane->Transform(CTransformation());
    EXPECT_EQ(operation.Get().FindRecord(plane), nullptr);

    CTransformation lift;
    lift.SetTranslation(CVector3d(0, 0, 10));
    plane->Transform(lift);
    EXPECT_NE(operation.Get().FindRecord(plane), nullptr);
    EXPECT_TRUE(plane->GetPlane().IsEqual(CPlane3d(0, 0, 1, -15), true));
    Dispose(plane);
}

TEST(SectionPlane, ExtentsGainOnlyTheCentreOfTheBoxSoFarProjectedOntoThePlane)
{
    const CSectionPlane plane(CPlane3d(0, 0, 1, -5));
    CBoundingBox3d empty;
    plane.AccumulateExtents(CTransformation(), empty);
    EXPECT_TRUE(empty.GetCorner(0).IsEqual(CPoint3d(0, 0, 5)));
    EXPECT_TRUE(empty.GetCorner(7).IsEqual(CPoint3d(0, 0, 5)));

    CBoundingBox3d box;
    box.Add(CPoint3d(0, 0, 0));
    box.Add(CPoint3d(2, 2, 2));
    plane.AccumulateExtents(CTransformation(), box);
    EXPECT_TRUE(box.GetCorner(7).IsEqual(CPoint3d(2, 2, 5)));
    EXPECT_TRUE(box.GetCorner(0).IsEqual(CPoint3d(0, 0, 0)));

    CTransformation lift;
    lift.SetTranslation(CVector3d(0, 0, 1));
    CBoundingBox3d moved;
    plane.AccumulateExtents(lift, moved);
    EXPECT_TRUE(moved.GetCorner(0).IsEqual(CPoint3d(0, 0, 6)));
}

TEST(SectionPlane, TheBoundsOfAnEmptyComponentAreThePointWhereTheOriginMeetsThePlane)
{
    CSectionPlane plane(CPlane3d(0, 0, 1, -5));
    plane.ComputeBounds(CBoundingBox3d());
    EXPECT_FALSE(plane.GetBounds().IsEmpty());
    EXPECT_NEAR(plane.GetBounds().xmin, 0.0, 1e-12);
    EXPECT_NEAR(plane.GetBounds().xmax, 0.0, 1e-12);
    EXPECT_NEAR(plane.GetBounds().ymax, 0.0, 1e-12);
    EXPECT_TRUE((plane.GetFrame() * CPoint3d()).IsEqual(CPoint3d(0, 0, 5)));
}

TEST(SectionPlane, TheBoundsSpanTheComponentBoxSeenAlongTheNormal)
{
    CSectionPlane plane(CPlane3d(0, 0, 1, 0));
    CBoundingBox3d box;
    box.Add(CPoint3d(0, 0, -3));
    box.Add(CPoint3d(2, 4, 3));
    plane.ComputeBounds(box);
    const CBoundingBox2d& bounds = plane.GetBounds();
    const double width = bounds.xmax - bounds.xmin;
    const double height = bounds.ymax - bounds.ymin;
    EXPECT_NEAR(width * height, 8.0, 1e-9);
    EXPECT_NEAR(bounds.GetDiagonal(), std::sqrt(20.0), 1e-9);

    CSectionPlane copy(plane);
    EXPECT_TRUE(copy.GetBounds().IsEmpty());
    ExpectPlane(copy.GetPlane(), plane.GetPlane());
}

TEST(SectionPlane, AnEquationThatIsNotFiniteFailsItsCheck)
{
    CSectionPlane plane(Raw(std::numeric_limits<double>::quiet_NaN(), 0, 1, 0));
    CString log;
    EXPECT_EQ(CheckAlone(plane, log), kValidityStale);
    EXPECT_EQ(log, CString::Formatted(GetConstructionMessageFormat(kMsgSectionPlaneInvalid), GetEntityLabel(&plane)));

    CSectionPlane sound;
    EXPECT_EQ(CheckAlone(sound, log), kValiditySound);
}
