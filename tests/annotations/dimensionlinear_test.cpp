#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "annotations/dimensionlinear.h"
#include "annotations/pointreferences.h"
#include "model/backreferencemap.h"
#include "model/validitylog.h"
#include "model/vertex.h"
#include "tests/annotations/dimensiontestsupport.h"

using namespace dimensiontest;

namespace {

void ReadLinear(CDimensionLinear& dimension, const Bytes& bytes, int version, std::initializer_list<CObject*> known = {})
{
    ReadInto(dimension, bytes,
             {{"CEntity", 0}, {"CDrawingElement", 0}, {"CDimension", 0}, {"CDimensionLinear", version}}, known);
}

// A record of the version between free points (1, 2, 3) and (4, 5, 6), or between the
// first two known vertices for version 0, with mode 2, offset 1.5 and label position 0.25.
Bytes LinearRecord(int version, double angle, std::int32_t mode = 2)
{
    RecordBuilder record;
    if (version >= 2) {
        record.PlainElement().String("<>");
    }
    if (version == 0) {
        record.Reference(1).Reference(2);
    } else {
        record.FreePoint(1, 2, 3, version == 1 ? 0 : 4).FreePoint(4, 5, 6, version == 1 ? 0 : 4);
    }
    record.Point(0, 0, 1);
    if (version <= 3) {
        record.Double(angle);
    } else {
        record.Point(0, 1, 0);
    }
    record.Int(mode).Double(1.5);
    if (version >= 3) {
        record.Double(0.25);
    }
    return record.Build();
}

bool Near(const CVector3d& a, const CVector3d& b)
{
    return std::abs(a.x - b.x) < 1e-9 && std::abs(a.y - b.y) < 1e-9 && std::abs(a.z - b.z) < 1e-9;
}

}  // namespace

TEST(DimensionLinearRecord, EachVersionReadsItsFieldsAndTheOldestHoldNoElementPart)
{
    struct Case
    {
        int version;
        double angle;
        const char* label;
        CPoint3d second;
        double labelPosition;
    };
    const double quarter = std::numbers::pi / 2.0;
    const Case cases[] = {
        {0, quarter, "", CPoint3d(7, 8, 9), 0.0},
        {1, quarter, "", CPoint3d(4, 5, 6), 0.0},
        {2, quarter, "<>", CPoint3d(4, 5, 6), 0.0},
        {3, quarter, "<>", CPoint3d(4, 5, 6), 0.25},
        {4, 0.0, "<>", CPoint3d(4, 5, 6), 0.25},
    };
    const CUndoSuspender suspender;
    CVertex first(CPoint3d(1, 2, 3));
    CVertex second(CPoint3d(7, 8, 9));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        CDimensionLinear dimension;
        ReadLinear(dimension, LinearRecord(c.version, c.angle), c.version, {&first, &second});
        EXPECT_EQ(dimension.GetLabelText(), CString(c.label));
        EXPECT_EQ(EvaluatePoint(dimension.GetFirstPoint()), CPoint3d(1, 2, 3));
        EXPECT_EQ(EvaluatePoint(dimension.GetSecondPoint()), c.second);
        EXPECT_TRUE(Near(dimension.GetDirection(), CVector3d(0, 1, 0)));
        EXPECT_EQ(dimension.GetAlignmentMode(), CDimensionLinear::kAcrossDirection);
        EXPECT_EQ(dimension.GetOffset(), 1.5);
        EXPECT_EQ(dimension.GetLabelPosition(), c.labelPosition);
        EXPECT_EQ(dimension.IsAssociated(), c.version == 0);
    }
}

TEST(DimensionLinearRecord, AStoredAngleTurnsTheXAxisOfTheNormalsFrame)
{
    EXPECT_TRUE(Near(DirectionFromStoredAngle(CVector3d(0, 0, 1), 0.0), CVector3d(1, 0, 0)));
    EXPECT_TRUE(Near(DirectionFromStoredAngle(CVector3d(0, 0, 1), std::numbers::pi), CVector3d(-1, 0, 0)));
}

TEST(DimensionLinearRecord, APointWithANegativePathCountIsRejected)
{
    const CUndoSuspender suspender;
    RecordBuilder record;
    record.Int(1).Int(0).Point(0, 0, 0).Reference(0).Int(-1);
    const Bytes bytes = record.Build();
    CDimensionLinear dimension;
    EXPECT_NE(ArchiveCause([&]() { ReadLinear(dimension, bytes, 1); }), 0);
}

TEST(DimensionLinearRecord, EveryFormatWritesTheWholeRecordAndReadsItBack)
{
    const CUndoSuspender suspender;
    CVertex first(CPoint3d(1, 2, 3));
    CVertex second(CPoint3d(7, 8, 9));
    CDimensionLinear dimension;
    ReadLinear(dimension, LinearRecord(0, 0.5), 0, {&first, &second});
    dimension.SetLabelText("<> ft");
    for (const int format : kFormats) {
        EXPECT_TRUE(RoundTrips<CDimensionLinear>(dimension, format, {&first, &second}, [&](CDimensionLinear& read) {
            EXPECT_EQ(EvaluatePoint(read.GetSecondPoint()), CPoint3d(7, 8, 9));
            EXPECT_EQ(read.GetLabelText(), CString("<> ft"));
            EXPECT_TRUE(read.RefersTo(&second));
            read.OnErased();
        })) << format;
    }
}

TEST(DimensionLinearReferences, ReadingRegistersTheDimensionWithBothVerticesAndSwapMovesThem)
{
    const entitytest::CurrentModel model;
    CVertex first(CPoint3d(1, 2, 3));
    CVertex second(CPoint3d(7, 8, 9));
    CDimensionLinear dimension;
    ReadLinear(dimension, LinearRecord(0, 0.0), 0, {&first, &second});
    const CBackReferenceMap* references = model.Get().FindEntitySet();
    ASSERT_NE(references, nullptr);
    ASSERT_NE(references->FindReferrers(&second), nullptr);
    EXPECT_EQ(*references->FindReferrers(&second), std::vector<CEntity*>{&dimension});

    CDimensionLinear free;
    dimension.SwapData(free);
    EXPECT_EQ(*references->FindReferrers(&second), std::vector<CEntity*>{&free});
    EXPECT_FALSE(dimension.RefersTo(&second));
    free.OnErased();
    EXPECT_FALSE(references->Contains(&second));
}

TEST(DimensionLinearCheck, AnUnknownModeIsKeptOnReadingAndRepairedToAlongTheDirection)
{
    const entitytest::CurrentModel model;
    const CValidityCheckScope scope;
    CDimensionLinear dimension;
    ReadLinear(dimension, LinearRecord(4, 0.0, 5), 4);
    EXPECT_EQ(dimension.GetAlignmentMode(), 5);
    EXPECT_EQ(dimension.CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_EQ(dimension.GetAlignmentMode(), 5);
    EXPECT_EQ(dimension.CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(dimension.GetAlignmentMode(), CDimensionLinear::kAlongDirection);
}
