#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "annotations/constructionmessages.h"
#include "annotations/watermark.h"
#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "imaging/iltextexception.h"
#include "model/undooperation.h"
#include "tests/annotations/annotationtestsupport_b.h"

using namespace annotationtest;

namespace {

// A 2 x 1 picture made as the image service makes stored images, on the heap, without
// uses.
CDib* MakePicture()
{
    const std::vector<std::uint8_t> pixels{10, 20, 30, 255, 40, 50, 60, 255};
    return GetImageLibApp()->MakeDib(2, 1, 32, pixels.data());
}

// A record with the given position whose picture is reference 1 (or none).
Bytes Record(int format, std::uint32_t position, bool withPicture)
{
    Bytes body = EntityPart(format);
    PutBool(body, true);
    PutString(body, "mark.png");
    PutInt64(body, 1234567890123);
    PutInt(body, static_cast<std::int32_t>(position));
    PutReference(body, withPicture ? 1 : 0);
    PutBool(body, false);
    return body;
}

void ExpectRecordFields(const CWatermark& watermark)
{
    EXPECT_TRUE(watermark.GetFlag());
    EXPECT_EQ(watermark.GetFileName(), CString("mark.png"));
    EXPECT_EQ(watermark.GetTime(), 1234567890123);
    EXPECT_EQ(watermark.GetPosition(), 4u);
    EXPECT_FALSE(watermark.IsInFront());
}

}  // namespace

TEST(WatermarkRecord, ANewWatermarkSitsBottomRightInFrontWithoutAPicture)
{
    const CWatermark watermark;
    EXPECT_EQ(watermark.GetPosition(), CWatermark::kBottomRight);
    EXPECT_TRUE(watermark.IsInFront());
    EXPECT_EQ(watermark.GetImage(), nullptr);
    EXPECT_EQ(watermark.GetTime(), 0);
    EXPECT_TRUE(watermark.GetFileName().IsEmpty());
    EXPECT_EQ(watermark.GetTypeId(), kTypeWatermark);
}

TEST(WatermarkRecord, EveryFormatHoldsTheSameFieldsAndANullPictureIsAllowed)
{
    for (const int format : kFormats) {
        CWatermark watermark;
        ReadInPlace(watermark, format, Record(format, 4, false));
        ExpectRecordFields(watermark);
        EXPECT_EQ(watermark.GetImage(), nullptr);

        Bytes written;
        CWatermark* read = RoundTrip(watermark, format, &written);
        ASSERT_NE(read, nullptr);
        ExpectRecordFields(*read);
        EXPECT_EQ(StoreObject(*read, format), written) << format;
        Dispose(read);
    }
}

TEST(WatermarkRecord, APictureIsWrittenAndReadBackWithItsBytesAndOneUse)
{
    for (const int format : kFormats) {
        auto* watermark = new CWatermark;
        ReadInPlace(*watermark, format, Record(format, 4, true), {MakePicture()});
        ASSERT_NE(watermark->GetImage(), nullptr);
        EXPECT_EQ(watermark->GetImage()->GetUseCount(), 1);

        Bytes written;
        CWatermark* read = RoundTrip(*watermark, format, &written);
        ASSERT_NE(read->GetImage(), nullptr);
        EXPECT_EQ(read->GetImage()->GetUseCount(), 1);
        EXPECT_EQ(read->GetImage()->GetWidth(), 2);
        EXPECT_TRUE(read->GetImage()->IsValid());
        EXPECT_EQ(StoreObject(*read, format), written) << format;
        Dispose(read);
        Dispose(watermark);
    }
}

// A picture named by two watermarks of one file was deleted by each of them.
TEST(WatermarkRecord, APictureSharedByTwoWatermarksLivesUntilTheLastOneIsErased)
{
    CDib* picture = MakePicture();
    auto* first = new CWatermark;
    auto* second = new CWatermark;
    ReadInPlace(*first, kSaveFormat5000, Record(kSaveFormat5000, 4, true), {picture});
    ReadInPlace(*second, kSaveFormat5000, Record(kSaveFormat5000, 4, true), {picture});
    EXPECT_EQ(picture->GetUseCount(), 2);
    Dispose(first);
    EXPECT_EQ(picture->GetUseCount(), 1);
    EXPECT_TRUE(picture->IsValid());
    Dispose(second);
}

TEST(Watermark, AWatermarkErasedIntoAnUndoOperationKeepsItsPicture)
{
    CDib* picture = MakePicture();
    auto* watermark = new CWatermark;
    ReadInPlace(*watermark, kSaveFormat5000, Record(kSaveFormat5000, 4, true), {picture});
    {
        const entitytest::OpenOperation operation;
        watermark->Erase();
        ASSERT_EQ(operation.Get().GetErasedEntities().size(), 1u);
        EXPECT_EQ(picture->GetUseCount(), 1);
        EXPECT_EQ(watermark->GetImage(), picture);
    }
    (void)picture->ReleaseUse();
}

TEST(Watermark, AWatermarkMadeAndErasedInOneOperationGivesBackItsPicture)
{
    CDib* picture = MakePicture();
    picture->AddUse();
    {
        const entitytest::OpenOperation operation;
        auto* watermark = new CWatermark;
        ReadInPlace(*watermark, kSaveFormat5000, Record(kSaveFormat5000, 4, true), {picture});
        EXPECT_EQ(picture->GetUseCount(), 2);
        watermark->Erase();
        EXPECT_EQ(picture->GetUseCount(), 1);
    }
    (void)picture->ReleaseUse();
}

TEST(Watermark, ACloneHasEveryFieldButThePictureAndSwappingLeavesThePicturesInPlace)
{
    auto* watermark = new CWatermark;
    ReadInPlace(*watermark, kSaveFormat5000, Record(kSaveFormat5000, 4, true), {MakePicture()});
    CDib* picture = watermark->GetImage();

    auto* clone = static_cast<CWatermark*>(watermark->Clone());
    ExpectRecordFields(*clone);
    EXPECT_EQ(clone->GetImage(), nullptr);

    CWatermark plain;
    plain.SwapData(*watermark);
    ExpectRecordFields(plain);
    EXPECT_EQ(plain.GetImage(), nullptr);
    EXPECT_EQ(watermark->GetImage(), picture);
    EXPECT_EQ(watermark->GetPosition(), CWatermark::kBottomRight);
    EXPECT_TRUE(watermark->IsInFront());
    Dispose(clone);
    Dispose(watermark);
}

TEST(Watermark, SettingTheSameInFrontValueRecordsNothing)
{
    const entitytest::OpenOperation operation;
    auto* watermark = new CWatermark;
    watermark->SetInFront(true);
    EXPECT_EQ(operation.Get().FindRecord(watermark), nullptr);
    watermark->SetInFront(false);
    EXPECT_NE(operation.Get().FindRecord(watermark), nullptr);
    EXPECT_FALSE(watermark->IsInFront());
    Dispose(watermark);
}

TEST(Watermark, AnImageFileBecomesThePictureAndAFileThatCannotBeReadLeavesNone)
{
    const std::filesystem::path folder =
        std::filesystem::path(testing::TempDir()) / ("watermark_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "mark.png").string();
    CDib* source = MakePicture();
    ASSERT_TRUE(GetImageLibApp()->SaveImageFile(source, CString(path.c_str())));
    delete source;

    auto* watermark = new CWatermark;
    watermark->SetImageFile(CString(path.c_str()), CWatermark::kTopLeft);
    ASSERT_NE(watermark->GetImage(), nullptr);
    EXPECT_EQ(watermark->GetImage()->GetWidth(), 2);
    EXPECT_EQ(watermark->GetImage()->GetUseCount(), 1);
    EXPECT_EQ(watermark->GetPosition(), CWatermark::kTopLeft);

    const std::string missing = (folder / "missing.png").string();
    EXPECT_THROW(watermark->SetImageFile(CString(missing.c_str()), CWatermark::kCentre), ILTextException);
    EXPECT_EQ(watermark->GetImage(), nullptr);
    EXPECT_EQ(watermark->GetFileName(), CString(missing.c_str()));
    Dispose(watermark);
    std::filesystem::remove_all(folder);
}

TEST(Watermark, APositionBeyondTheNinePlacesAndAPictureThatCannotBeDrawnFailTheCheck)
{
    CWatermark misplaced;
    ReadInPlace(misplaced, kSaveFormat5000, Record(kSaveFormat5000, 9, false));
    CString log;
    EXPECT_EQ(CheckAlone(misplaced, log), kValidityStale);
    EXPECT_EQ(log, CString::Formatted(GetConstructionMessageFormat(kMsgWatermarkPositionInvalid), 9u,
                                      GetEntityLabel(&misplaced)));

    auto* blank = new CWatermark;
    ReadInPlace(*blank, kSaveFormat5000, Record(kSaveFormat5000, 4, true), {new CDib});
    EXPECT_EQ(CheckAlone(*blank, log), kValidityStale);
    EXPECT_EQ(log, CString::Formatted(GetConstructionMessageFormat(kMsgWatermarkImageInvalid), GetEntityLabel(blank)));
    Dispose(blank);

    CWatermark sound;
    EXPECT_EQ(CheckAlone(sound, log), kValiditySound);
}

TEST(WatermarkRecord, AfterARecordThatEndsEarlyDeletingWhatTheArchiveMadeFreesEverything)
{
    auto* watermark = new CWatermark;
    ReadInPlace(*watermark, kSaveFormat5000, Record(kSaveFormat5000, 4, true), {MakePicture()});
    Bytes bytes = StoreObject(*watermark, kSaveFormat5000);
    Dispose(watermark);
    bytes.pop_back();
    EXPECT_EQ(ReadAndDeleteEverything(bytes, kSaveFormat5000), CArchiveException::endOfFile);
}
