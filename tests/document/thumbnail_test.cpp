#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "document/classregistration.h"
#include "document/dib.h"
#include "document/thumbnail.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"
#include "tests/document/imagetestsupport.h"
#include "tests/document/settingstestsupport.h"

using settingstest::Bytes;
using settingstest::Recorder;
using settingstest::RecordBuilder;
using settingstest::Store;

namespace {

// A new class in an object reference: the tag, the schema word and the name.
void PutClass(RecordBuilder& record, WORD schema, const std::string& name)
{
    record.Word(0xFFFF).Word(schema).Word(static_cast<WORD>(name.size()));
    for (const char c : name) {
        record.Byte(static_cast<BYTE>(c));
    }
}

// The old embedded camera: eye, direction, up, two values, projection, auxiliary point.
void PutOldCamera(RecordBuilder& record)
{
    record.Triple(0, 0, 9).Triple(0, 0, -1).Triple(0, 1, 0).Double(0.5).Double(50.0).Bool(true);
    record.Double(40.0).Double(3.0).Triple(0, 0, 0);
}

CDib* MakePicture()
{
    auto bmp = imagetest::MakeFilledBitmap(2, 2, 0xFF336699, false);
    auto* dib = new CDib;
    dib->Create(bmp.release(), 0, 2, 2, false);
    return dib;
}

void Read(CThumbnail& thumbnail, const Bytes& bytes, int version)
{
    settingstest::ReadAll(bytes, {{"CEntity", 3}, {"CThumbnail", version}, {"CCamera", 4}, {"CDib", 2}},
                          [&](CArchive& ar) { thumbnail.Serialize(ar); });
}

class ThumbnailTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }

    const CUndoSuspender m_suspender;
};

}  // namespace

TEST_F(ThumbnailTest, ANewThumbnailLooksAlongPlusZWithoutAPicture)
{
    auto* thumbnail = new CThumbnail;
    const CCamera& camera = thumbnail->GetCamera();
    EXPECT_TRUE(camera.GetTarget().IsEqual(CPoint3d(0, 0, 2), 1e-12));
    EXPECT_EQ(camera.GetValueA(), 0.0);
    EXPECT_EQ(camera.GetFieldOfView(), 30.0);
    EXPECT_EQ(thumbnail->GetImage(), nullptr);
    documenttest::Dispose(thumbnail);
}

TEST_F(ThumbnailTest, AVersionZeroRecordHoldsTheCameraInItsOldFormInPlace)
{
    RecordBuilder record;
    record.Entity();
    PutOldCamera(record);
    record.Null();
    auto* thumbnail = new CThumbnail;
    Read(*thumbnail, record.Get(), 0);
    EXPECT_TRUE(thumbnail->GetCamera().GetTarget().IsEqual(CPoint3d(0, 0, 8), 1e-12));
    EXPECT_EQ(thumbnail->GetCamera().GetFieldOfView(), 40.0);
    documenttest::Dispose(thumbnail);
}

TEST_F(ThumbnailTest, APictureThatDoesNotDecodeIsKeptAndAnEmptyOneWrittenAsNull)
{
    RecordBuilder record;
    record.Entity();
    PutClass(record, 4, "CCamera");
    PutOldCamera(record);  // the full record starts the same way
    record.Double(0.0).Bool(true).Bool(false).String("").Double(0.0);
    PutClass(record, 2, "CDib");
    record.Int(4).Int(3).Byte('a').Byte('b').Byte('c');
    auto* thumbnail = new CThumbnail;
    Read(*thumbnail, record.Get(), 1);
    ASSERT_NE(thumbnail->GetImage(), nullptr);
    EXPECT_FALSE(thumbnail->GetImage()->HasImage());
    EXPECT_EQ(thumbnail->GetCamera().GetEye().z, 9.0);
    const Bytes kept = Store([&](CArchive& ar) { thumbnail->Serialize(ar); });
    EXPECT_EQ(Bytes(kept.end() - 3, kept.end()), (Bytes{'a', 'b', 'c'}));

    auto* empty = new CDib;
    thumbnail->SetImage(empty);
    const Bytes written = Store([&](CArchive& ar) { thumbnail->Serialize(ar); });
    EXPECT_EQ(written[written.size() - 2], 0);
    EXPECT_EQ(written[written.size() - 1], 0);
    documenttest::Dispose(thumbnail);
}

TEST_F(ThumbnailTest, AThumbnailWithAPictureReadsBackAndWritesTheSameBytes)
{
    auto* written = new CThumbnail;
    written->SetImage(MakePicture());
    const Bytes bytes = Store([&](CArchive& ar) { written->Serialize(ar); });
    auto* read = new CThumbnail;
    Read(*read, bytes, 1);
    ASSERT_NE(read->GetImage(), nullptr);
    EXPECT_TRUE(read->GetImage()->HasImage());
    EXPECT_TRUE(read->GetCamera().IsEqual(written->GetCamera()));
    EXPECT_EQ(Store([&](CArchive& ar) { read->Serialize(ar); }), bytes);

    const Bytes oldest = Store([&](CArchive& ar) { written->Serialize(ar); }, kSaveFormat3000);
    auto* old = new CThumbnail;
    settingstest::ReadAll(oldest, {{"CEntity", 2}, {"CThumbnail", 0}, {"CDib", 2}},
                          [&](CArchive& ar) { old->Serialize(ar); });
    EXPECT_TRUE(old->GetCamera().IsEqual(written->GetCamera()));
    EXPECT_NE(old->GetImage(), nullptr);
    documenttest::Dispose(old);
    documenttest::Dispose(written);
    documenttest::Dispose(read);
}

TEST_F(ThumbnailTest, UndoingAChangeDropsThePictureAndAsksForANewOne)
{
    auto* thumbnail = new CThumbnail;
    thumbnail->SetImage(MakePicture());
    CCamera moved = thumbnail->GetCamera();
    moved.SetFieldOfView(55.0);
    CThumbnail snapshot(*thumbnail);
    thumbnail->SetCamera(moved);

    Recorder posts(kThumbnailClearedNotification);
    posts.TakeNoWord();
    thumbnail->SwapData(snapshot);
    EXPECT_EQ(thumbnail->GetCamera().GetFieldOfView(), 30.0);
    EXPECT_EQ(thumbnail->GetImage(), nullptr);
    ASSERT_EQ(posts.pointers.size(), 1u);
    EXPECT_EQ(posts.pointers[0], thumbnail);
    documenttest::Dispose(thumbnail);
}

TEST_F(ThumbnailTest, AnInvalidCameraFailsTheCheck)
{
    auto* thumbnail = new CThumbnail;
    CCamera broken;
    broken.SetView(CPoint3d(std::numeric_limits<double>::infinity(), 0, 0), CPoint3d(), CVector3d(0, 1, 0), 0, 0,
                   true, 30.0, 1.0);
    thumbnail->SetCamera(broken);
    const CValidityCheckScope checking;
    EXPECT_EQ(thumbnail->CheckValidity(kValidityModeCheck, nullptr), kValidityStale);
    documenttest::Dispose(thumbnail);
}
