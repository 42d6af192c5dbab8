#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>

#include "document/camera.h"
#include "document/classregistration.h"
#include "foundation/unitvector3d.h"
#include "platform/archive.h"
#include "tests/document/settingstestsupport.h"

using settingstest::Bytes;
using settingstest::Load;
using settingstest::RecordBuilder;
using settingstest::Store;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The full record up to the aspect ratio and fixed flag, then what the version adds.
Bytes FullRecord(int version, const CPoint3d& eye, const CPoint3d& target, const CVector3d& up, double fov = 45.0)
{
    RecordBuilder record;
    record.Triple(eye.x, eye.y, eye.z).Triple(target.x, target.y, target.z).Triple(up.x, up.y, up.z);
    record.Double(0.5).Double(900.0).Bool(false).Double(fov).Double(12.0).Triple(1, 2, 3).Double(1.5).Bool(false);
    if (version >= 2) {
        record.Bool(true);
    }
    if (version >= 3) {
        record.String("front");
    }
    if (version >= 4) {
        record.Double(24.0);
    }
    return record.Get();
}

CCamera ReadFull(const Bytes& bytes, int version)
{
    CCamera camera;
    settingstest::ReadAll(bytes, {{"CCamera", version}}, [&](CArchive& ar) { camera.Serialize(ar); });
    return camera;
}

void ExpectPoint(const CPoint3d& got, const CPoint3d& expected)
{
    EXPECT_NEAR(got.x, expected.x, 1e-12);
    EXPECT_NEAR(got.y, expected.y, 1e-12);
    EXPECT_NEAR(got.z, expected.z, 1e-12);
}

class CameraTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }
};

}  // namespace

TEST_F(CameraTest, EachRecordVersionReadsItsFieldsAndDefaultsTheRest)
{
    for (int version = 0; version <= 4; ++version) {
        const CCamera camera = ReadFull(FullRecord(version, {0, -10, 0}, {0, 0, 0}, {0, 0, 1}), version);
        ExpectPoint(camera.GetEye(), {0, -10, 0});
        EXPECT_FALSE(camera.IsPerspective());
        EXPECT_EQ(camera.GetFieldOfView(), 45.0);
        EXPECT_EQ(camera.GetAspectRatio(), 1.5);
        EXPECT_FALSE(camera.IsFieldOfViewFixed());
        EXPECT_EQ(camera.GetFlag2(), version >= 2) << version;
        EXPECT_EQ(camera.GetDescription(), CString(version >= 3 ? "front" : "")) << version;
        EXPECT_EQ(camera.GetImageWidth(), version >= 4 ? 24.0 : 0.0) << version;
    }
}

TEST_F(CameraTest, AWrittenCameraReadsBackEqualAndWritesTheSameBytes)
{
    const CCamera written = ReadFull(FullRecord(4, {3, 4, 5}, {0, 0, 0}, {0, 0, 1}), 4);
    const Bytes bytes = Store([&](CArchive& ar) { const_cast<CCamera&>(written).Serialize(ar); });
    CCamera read = ReadFull(bytes, 4);
    EXPECT_TRUE(read.IsEqual(written));
    EXPECT_EQ(read.GetDescription(), CString("front"));
    EXPECT_EQ(Store([&](CArchive& ar) { read.Serialize(ar); }), bytes);
}

TEST_F(CameraTest, TheOldestFormatStoresTheDirectionSoTheTargetComesBackOneUnitAway)
{
    CCamera camera;
    camera.SetView({0, -10, 0}, {0, 0, 0}, {0, 0, 1}, 1.0, 1000.0, true, 30.0, 133.0);
    const Bytes bytes = Store([&](CArchive& ar) { camera.Serialize(ar); }, kSaveFormat3000);
    EXPECT_EQ(bytes.size(), 24u * 3 + 16 + 1 + 16 + 24);
    CCamera read;
    Load(bytes, [&](CArchive& ar) { read.ReadOldForm(ar); });
    ExpectPoint(read.GetTarget(), {0, -9, 0});
    EXPECT_TRUE(read.IsFieldOfViewFixed());
    EXPECT_EQ(read.GetAspectRatio(), 0.0);
}

TEST_F(CameraTest, BadViewsFromAFileAreRepaired)
{
    struct Case
    {
        const char* name;
        CPoint3d eye;
        CPoint3d target;
        CVector3d up;
        CPoint3d expectedTarget;
        CVector3d expectedUp;
    };
    const Case cases[] = {
        {"target on the eye", {1, 1, 1}, {1, 1, 1.0005}, {0, 1, 0}, {1, 1, 0}, {0, 1, 0}},
        {"target on the eye, up along z", {1, 1, 1}, {1, 1, 1}, {0, 0, 1}, {1, 2, 1}, {0, 0, 1}},
        {"zero up", {0, 0, 5}, {5, 0, 5}, {0, 0, 0}, {5, 0, 5}, {0, 0, 1}},
        {"up along the view", {0, 0, 5}, {5, 0, 5}, {-2, 0, 0}, {5, 0, 5}, {0, 0, 1}},
        {"target not a number", {0, 0, 5}, {kNaN, 0, 5}, {0, 1, 0}, {0, 0, 4}, {0, 1, 0}},
        {"eye not a number", {kNaN, 0, 5}, {0, 0, 0}, {0, 1, 0}, {0, 0, 0}, {0, 1, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CCamera camera = ReadFull(FullRecord(4, c.eye, c.target, c.up), 4);
        ExpectPoint(camera.GetTarget(), c.expectedTarget);
        EXPECT_TRUE(camera.GetUp().IsEqual(c.expectedUp, 1e-9));
        EXPECT_TRUE(camera.IsValid());
    }
}

TEST_F(CameraTest, AFieldOfViewOutOfRangeReturnsToItsDefault)
{
    for (const double fov : {0.0, 180.0, -5.0}) {
        const CCamera camera = ReadFull(FullRecord(4, {0, 0, 5}, {0, 0, 0}, {0, 1, 0}, fov), 4);
        EXPECT_EQ(camera.GetFieldOfView(), 30.0) << fov;
    }
    CCamera sound;
    EXPECT_TRUE(sound.FixInvalidValues());
}

// Every number of both record forms, each a value found once in its record: the eye,
// the target (or the old form's direction), the auxiliary point, the aspect ratio and the
// film width have a repair; the up vector and the numbers of the projection have none.
TEST_F(CameraTest, ANumberThatIsNotFiniteIsMendedWhereTheCameraHasARepairAndRefusedElsewhere)
{
    const Bytes current = FullRecord(4, {31, 32, 33}, {34, 35, 36}, {37, 38, 39});
    RecordBuilder old;
    old.Triple(31, 32, 33).Triple(0.25, 0.5, 0.75).Triple(37, 38, 39).Double(1.5).Double(900);
    old.Bool(true).Double(45).Double(12).Triple(1, 2, 3);
    const auto readOld = [](const Bytes& bytes) {
        CCamera camera;
        settingstest::ReadAll(bytes, {{"CCamera", 4}}, [&](CArchive& ar) { camera.ReadOldForm(ar); });
        return camera;
    };
    const struct
    {
        bool oldForm;
        double number;
        CPoint3d eye;
        CPoint3d target;
    } mended[] = {
        {false, 31, {0, 0, 1}, {0, 0, 0}},    {false, 33, {0, 0, 1}, {0, 0, 0}},
        {false, 34, {31, 32, 33}, {31, 32, 32}}, {false, 36, {31, 32, 33}, {31, 32, 32}},
        {false, 2, {31, 32, 33}, {34, 35, 36}},  {true, 32, {0, 0, 1}, {0, 0, 0}},
        {true, 0.5, {31, 32, 33}, {31, 32, 32}}, {true, 3, {31, 32, 33}, {31.25, 32.5, 33.75}},
        {false, 1.5, {31, 32, 33}, {34, 35, 36}}, {false, 24, {31, 32, 33}, {34, 35, 36}},
    };
    const double refused[] = {37, 38, 39, 0.5, 900, 45, 12};
    const double refusedOld[] = {37, 39, 1.5, 900, 45, 12};
    for (const double bad : entitytest::kNonFinite) {
        for (const auto& m : mended) {
            SCOPED_TRACE(std::to_string(m.number) + (m.oldForm ? " in the old form" : "") + " as " +
                         std::to_string(bad));
            const CCamera camera = m.oldForm ? readOld(entitytest::WithDoubleReplaced(old.Get(), m.number, bad))
                                             : ReadFull(entitytest::WithDoubleReplaced(current, m.number, bad), 4);
            ExpectPoint(camera.GetEye(), m.eye);
            ExpectPoint(camera.GetTarget(), m.target);
            ExpectPoint(camera.GetAuxiliaryPoint(), m.number == 2 || m.number == 3 ? CPoint3d() : CPoint3d(1, 2, 3));
            EXPECT_EQ(camera.GetAspectRatio(), m.oldForm || m.number == 1.5 ? 0.0 : 1.5);
            EXPECT_EQ(camera.GetImageWidth(), m.oldForm || m.number == 24 ? 0.0 : 24.0);
        }
        for (const double number : refused) {
            const Bytes damaged = entitytest::WithDoubleReplaced(current, number, bad);
            EXPECT_EQ(entitytest::ArchiveReason([&] { (void)ReadFull(damaged, 4); }), entitytest::kNotFiniteReason)
                << number << " as " << bad;
        }
        for (const double number : refusedOld) {
            const Bytes damaged = entitytest::WithDoubleReplaced(old.Get(), number, bad);
            EXPECT_EQ(entitytest::ArchiveReason([&] { (void)readOld(damaged); }), entitytest::kNotFiniteReason)
                << number << " as " << bad;
        }
    }
    // Negative zero is a finite number (a field of view out of range, mended).
    EXPECT_EQ(ReadFull(entitytest::WithDoubleReplaced(current, 45, -0.0), 4).GetFieldOfView(), 30.0);
}

TEST_F(CameraTest, FocalLengthsFollowTheFilmWidth)
{
    CCamera camera;
    EXPECT_EQ(camera.FocalLengthToFieldOfView(0.0), 180.0);
    EXPECT_EQ(camera.FieldOfViewToFocalLength(180.0), 0.0);
    EXPECT_NEAR(camera.FieldOfViewToFocalLength(30.0), 18.0 / std::tan(15.0 * M_PI / 180.0), 1e-9);
    EXPECT_NEAR(camera.FocalLengthToFieldOfView(camera.FieldOfViewToFocalLength(40.0)), 40.0, 1e-9);
    camera.SetImageWidth(24.0);
    EXPECT_NEAR(camera.FieldOfViewToFocalLength(30.0), 12.0 / std::tan(15.0 * M_PI / 180.0), 1e-9);
}

TEST_F(CameraTest, ProjectionChangesKeepWhatTheViewShows)
{
    CCamera camera;
    camera.SetView({0, 0, 10}, {0, 0, 0}, {0, 1, 0}, 1.0, 100.0, true, 60.0, 1.0);
    camera.SetPerspective(false);
    EXPECT_NEAR(camera.GetParallelHeight(), 10.0 * 2.0 * std::tan(M_PI / 6.0), 1e-9);
    camera.SetTargetDistance(4.0);
    ExpectPoint(camera.GetTarget(), {0, 0, 6});
    camera.SetFieldOfViewFixed(false);
    camera.SetAspectRatio(2.0);
    const double t = std::tan(M_PI / 6.0);
    EXPECT_NEAR(camera.GetAdjustedFieldOfView(1.0), 2.0 * std::atan(t / 1.0) * 180.0 / M_PI, 1e-9);
    EXPECT_NEAR(camera.GetAdjustedFieldOfView(3.0), 2.0 * std::atan(t / 2.0) * 180.0 / M_PI, 1e-9);
}

TEST_F(CameraTest, CamerasThatDifferOnlyInFieldOfViewAreEqual)
{
    CCamera a;
    CCamera b;
    b.SetFieldOfView(80.0);
    b.SetDescription("other");
    EXPECT_TRUE(a.IsEqual(b));
    b.SetAspectRatio(1.01);
    EXPECT_FALSE(a.IsEqual(b));
}

TEST_F(CameraTest, EyeAndTargetCompareWithinAThousandthPerCoordinate)
{
    struct Case {
        CVector3d eyeShift;
        CVector3d targetShift;
        bool equal;
    };
    const Case cases[] = {
        {{0.0009, 0.0009, 0.0009}, {0, 0, 0}, true},
        {{0, 0, 0}, {-0.0009, 0.0009, -0.0009}, true},
        {{0.0011, 0, 0}, {0, 0, 0}, false},
        {{0, 0, 0}, {0, 0, -0.0011}, false},
    };
    for (const Case& c : cases) {
        CCamera a;
        a.SetView({7, 2, 3}, {0, 1, 0}, {0, 0, 1}, 1.0, 2.0, true, 35.0, 1.0);
        CCamera b;
        b.SetView(CPoint3d(7, 2, 3) + c.eyeShift, CPoint3d(0, 1, 0) + c.targetShift, {0, 0, 1}, 1.0, 2.0, true, 35.0,
                  1.0);
        EXPECT_EQ(a.IsEqual(b), c.equal) << c.eyeShift.x << " " << c.targetShift.z;
    }
}

TEST_F(CameraTest, AReferencedCameraIsCopiedInAndANullOneLeavesTheCamera)
{
    CCamera stored;
    stored.SetView({7, 0, 0}, {0, 0, 0}, {0, 0, 1}, 1.0, 2.0, true, 35.0, 1.0);
    const Bytes reference = Store([&](CArchive& ar) { ar.WriteObject(&stored); });
    CCamera camera;
    Load(reference, [&](CArchive& ar) { ReadCamera(ar, false, camera); });
    ExpectPoint(camera.GetEye(), {7, 0, 0});
    Load(RecordBuilder().Null().Get(), [&](CArchive& ar) { ReadCamera(ar, false, camera); });
    ExpectPoint(camera.GetEye(), {7, 0, 0});
}

// A camera read by reference was deleted at once, though a later reference could name it:
// it is copied and dropped, and a later reference to it reads none.
TEST_F(CameraTest, ACameraReadByReferenceIsCopiedAndALaterReferenceToItReadsNone)
{
    CCamera stored;
    stored.SetView({0, 5, 0}, {0, 0, 0}, {0, 0, 1}, 1.0, 2.0, true, 35.0, 1.0);
    const Bytes twice = Store([&](CArchive& ar) {
        ar.WriteObject(&stored);
        ar.WriteObject(&stored);
    });
    CCamera first;
    CCamera second;
    Load(twice, [&](CArchive& ar) {
        ReadCamera(ar, false, first);
        ReadCamera(ar, false, second);
    });
    EXPECT_TRUE(first.IsEqual(stored));
    EXPECT_TRUE(second.IsEqual(CCamera()));
}
