#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "annotations/constructionmessages.h"
#include "annotations/polyline3d.h"
#include "document/component.h"
#include "document/tarnwickmodel.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/entityset.h"
#include "model/undooperation.h"
#include "model/vertex.h"
#include "platform/exceptions.h"
#include "tests/annotations/annotationtestsupport_b.h"

using namespace annotationtest;

namespace {

using Points = std::vector<CPoint3d>;

void ExpectPoints(const Points& actual, const Points& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_TRUE(actual[i].IsEqual(expected[i])) << "point " << i;
    }
}

}  // namespace

TEST(Polyline3dRecord, EveryFormatHoldsACountAndThePointsAndWritesThemBackAlike)
{
    const Points points{CPoint3d(0, 0, 0), CPoint3d(1, 2, 3), CPoint3d(-4, 5, 6)};
    for (const int format : kFormats) {
        Bytes body = ElementPart(format);
        PutInt(body, 3);
        for (const CPoint3d& p : points) {
            PutPoint(body, p);
        }
        CPolyline3d polyline;
        ReadInPlace(polyline, format, body);
        ExpectPoints(polyline.GetPoints(), points);

        Bytes written;
        CPolyline3d* read = RoundTrip(polyline, format, &written);
        ASSERT_NE(read, nullptr);
        ExpectPoints(read->GetPoints(), points);
        EXPECT_EQ(StoreObject(*read, format), written) << format;
        Dispose(read);
    }
}

TEST(Polyline3dRecord, APointCountBelowZeroOrBeyondTheBytesLeftIsRefused)
{
    const struct
    {
        std::int32_t count;
        int pointsPresent;
        int cause;
    } cases[] = {
        {-1, 0, CArchiveException::genericException},
        {2, 1, CArchiveException::endOfFile},
        {0x7FFFFFFF, 1, CArchiveException::endOfFile},
    };
    for (const auto& c : cases) {
        Bytes body = ElementPart(kSaveFormat5000);
        PutInt(body, c.count);
        for (int i = 0; i < c.pointsPresent; ++i) {
            PutPoint(body, CPoint3d());
        }
        CPolyline3d polyline;
        const FormatVersions versions(kSaveFormat5000);
        try {
            Load(body, [&](CArchive& ar) { polyline.Serialize(ar); });
            ADD_FAILURE() << "count " << c.count << " was accepted";
        } catch (const CArchiveException& e) {
            EXPECT_EQ(e.m_cause, c.cause) << "count " << c.count;
        }
    }
}

TEST(Polyline3d, AOnePointPolylineIsStoredAndReadBack)
{
    const CPolyline3d single(Points{CPoint3d(7, 8, 9)});
    CPolyline3d* read = RoundTrip(single, kSaveFormat5000);
    ExpectPoints(read->GetPoints(), {CPoint3d(7, 8, 9)});
    CPoint3d untouched(1, 1, 1);
    EXPECT_EQ(read->IntersectLine(CLine3d(CPoint3d(), CUnitVector3d(0, 0, 1)), untouched), 1);
    EXPECT_TRUE(untouched.IsEqual(CPoint3d(1, 1, 1)));
    Dispose(read);
}

TEST(Polyline3d, TheNearestPointToALineComesFromTheNearestSegment)
{
    const CPolyline3d polyline(Points{CPoint3d(0, 0, 0), CPoint3d(10, 0, 0), CPoint3d(10, 10, 0)});
    CPoint3d nearest;
    EXPECT_EQ(polyline.IntersectLine(CLine3d(CPoint3d(12, 4, 5), CUnitVector3d(0, 0, 1)), nearest), 1);
    EXPECT_TRUE(nearest.IsEqual(CPoint3d(10, 4, 0)));
    EXPECT_EQ(polyline.IntersectLine(CLine3d(CPoint3d(3, -1, 5), CUnitVector3d(0, 0, 1)), nearest), 1);
    EXPECT_TRUE(nearest.IsEqual(CPoint3d(3, 0, 0)));
}

TEST(Polyline3d, TransformingSwappingAndCloningCarryEveryPoint)
{
    const entitytest::OpenOperation operation;
    auto* polyline = new CPolyline3d(Points{CPoint3d(1, 0, 0), CPoint3d(2, 0, 0)});
    polyline->Transform(CTransformation::Scaling(3, 3, 3));
    EXPECT_NE(operation.Get().FindRecord(polyline), nullptr);
    ExpectPoints(polyline->GetPoints(), {CPoint3d(3, 0, 0), CPoint3d(6, 0, 0)});
    EXPECT_TRUE(polyline->GetBoundingBox().GetCorner(7).IsEqual(CPoint3d(6, 0, 0)));

    CPolyline3d empty;
    empty.SwapData(*polyline);
    EXPECT_EQ(polyline->GetPointCount(), 0);
    auto* copy = static_cast<CPolyline3d*>(empty.Clone());
    ExpectPoints(copy->GetPoints(), {CPoint3d(3, 0, 0), CPoint3d(6, 0, 0)});
    Dispose(copy);
    Dispose(polyline);
}

TEST(Polyline3d, EveryPointThatIsNotFiniteIsReportedWithItsIndex)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    CPolyline3d polyline(Points{CPoint3d(), CPoint3d(nan, 0, 0), CPoint3d(), CPoint3d(0, nan, 0)});
    CString log;
    EXPECT_EQ(CheckAlone(polyline, log), kValidityStale);
    const char* format = GetConstructionMessageFormat(kMsgPolylinePointInvalid);
    EXPECT_EQ(log, CString::Formatted(format, 1, GetEntityLabel(&polyline)) +
                       CString::Formatted(format, 3, GetEntityLabel(&polyline)));
}

TEST(Point3dVectorClip, ASquareCutByAPlaneKeepsTheSideTheNormalPointsTo)
{
    Points square{CPoint3d(0, 0, 0), CPoint3d(1, 0, 0), CPoint3d(1, 1, 0), CPoint3d(0, 1, 0)};
    EXPECT_TRUE(Point3dVector::ClipByPlane(square, CPlane3d(1, 0, 0, -0.5)));
    ExpectPoints(square, {CPoint3d(0.5, 0, 0), CPoint3d(1, 0, 0), CPoint3d(1, 1, 0), CPoint3d(0.5, 1, 0)});
}

TEST(Point3dVectorClip, PointsWithinTheToleranceStayAndPointsWhollyBehindLeaveNothing)
{
    Points touching{CPoint3d(-0.0009, 0, 0), CPoint3d(1, 0, 0), CPoint3d(1, 1, 0)};
    EXPECT_TRUE(Point3dVector::ClipByPlane(touching, CPlane3d(1, 0, 0, 0)));
    EXPECT_EQ(touching.size(), 3u);

    Points behind{CPoint3d(-0.001, 0, 0), CPoint3d(-1, 0, 0), CPoint3d(-1, 1, 0)};
    EXPECT_FALSE(Point3dVector::ClipByPlane(behind, CPlane3d(1, 0, 0, 0)));
    EXPECT_TRUE(behind.empty());

    Points repeated{CPoint3d(1, 0, 0), CPoint3d(1, 0, 0), CPoint3d(2, 0, 0)};
    EXPECT_TRUE(Point3dVector::ClipByPlane(repeated, CPlane3d(1, 0, 0, 0)));
    ExpectPoints(repeated, {CPoint3d(1, 0, 0), CPoint3d(2, 0, 0)});
}

TEST(Polyline3d, ExplodingLaysAnEdgeAlongEachSegmentAndKeepsThePolyline)
{
    auto* model = new CTarnwickModel;
    {
        const CurrentModelScope scope(model);
        CComponent& root = *model->GetRootComponent();
        // The repeated point adds no edge.
        auto* polyline = new CPolyline3d(
            Points{CPoint3d(0, 0, 0), CPoint3d(1, 0, 0), CPoint3d(1, 0, 0), CPoint3d(1, 1, 0), CPoint3d(0, 1, 1)});
        root.Add(polyline);
        CEntitySet made;
        polyline->ExplodeIntoEdges(&made);
        int vertices = 0;
        int edges = 0;
        for (CEntity* entity : made) {
            vertices += dynamic_cast<CVertex*>(entity) != nullptr ? 1 : 0;
            edges += dynamic_cast<CEdge*>(entity) != nullptr ? 1 : 0;
        }
        EXPECT_EQ(vertices, 4);
        EXPECT_EQ(edges, 3);
        EXPECT_EQ(root.GetEntityList().size(), 4u);
        EXPECT_EQ(root.GetEntityList().front(), polyline);
    }
    model->Release();
}
