#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <functional>
#include <memory>

#include "document/dib.h"
#include "document/imageadapter/picturesidelimit.h"
#include "document/versionmap.h"
#include "foundation/framemeter.h"
#include "foundation/versioninfo.h"
#include "imaging/ilanybmp.h"
#include "imaging/ilbmp.h"
#include "imaging/ilbmpencoder.h"
#include "imaging/iljpegencoder.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "tests/document/documenttestsupport.h"
#include "tests/document/imagetestsupport.h"

using documenttest::FileVersions;
using documenttest::Load;
using documenttest::Store;
using imagetest::Block;
using imagetest::Bytes;
using imagetest::MakeBitmap;
using imagetest::MakeFilledBitmap;
using imagetest::PixelAt;

namespace {

// A record of the given version: (format code), byte count, bytes.
Bytes Record(int version, int formatCode, const Bytes& encoded)
{
    Bytes out;
    if (version >= 2) {
        entitytest::PutInt(out, formatCode);
    }
    entitytest::PutInt(out, static_cast<std::int32_t>(encoded.size()));
    out.insert(out.end(), encoded.begin(), encoded.end());
    return out;
}

// Reads one record at the given class version into the image; the bytes must be used up.
void ReadInto(CDib& dib, const Bytes& bytes, int version)
{
    const FileVersions versions({{"CDib", version}});
    Load(bytes, [&](CArchive& ar) {
        dib.Serialize(ar);
        EXPECT_EQ(ar.GetRemainingBytes(), 0u);
    });
}

std::unique_ptr<CDib> ReadRecord(const Bytes& bytes, int version)
{
    auto dib = std::make_unique<CDib>();
    ReadInto(*dib, bytes, version);
    return dib;
}

Bytes WriteRecord(CDib& dib, int saveFormat = kSaveFormat5000)
{
    return Store([&](CArchive& ar) { dib.Serialize(ar); }, saveFormat);
}

void Adopt(CDib& dib, std::unique_ptr<ILAnyBmp> bmp, int formatCode = 0)
{
    const int width = bmp->GetWidth();
    const int height = bmp->GetHeight();
    const bool alpha = bmp->HasAlpha();
    dib.Create(bmp.release(), formatCode, width, height, alpha);
}

// A picture as a model file's read leaves it: its bytes alone, decoded when needed.
std::unique_ptr<CDib> Deferred(const Bytes& bytes, int formatCode)
{
    auto dib = std::make_unique<CDib>();
    dib->Create(nullptr, formatCode, 0, 0, false);
    std::uint8_t* kept = GetImageLibApp()->AllocBuffer(bytes.size());
    std::memcpy(kept, bytes.data(), bytes.size());
    dib->SetPixelBuffer(kept, static_cast<int>(bytes.size()));
    dib->DeferDecoding();
    return dib;
}

int ArchiveCause(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}

class DibTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterClassVersionTable(); }

    const Bytes m_png = imagetest::PngBytes(*MakeBitmap(2, 1, {0xFF112233, 0x00445566}, true));
};

TEST_F(DibTest, OlderRecordsReadAndComeBackAsVersionTwoWithFormatCodeFour)
{
    const auto empty = ReadRecord(Bytes{}, 0);
    EXPECT_EQ(empty->GetFormatCode(), 4);
    EXPECT_FALSE(empty->HasImage());

    const auto dib = ReadRecord(Record(1, 0, m_png), 1);
    EXPECT_EQ(dib->GetFormatCode(), 4);
    ASSERT_TRUE(dib->IsValid());
    EXPECT_EQ(PixelAt(*dib->GetImage(), 0, 0), ILPixel32(0x11, 0x22, 0x33, 255));
    EXPECT_TRUE(dib->HasTransparentPixels());
    EXPECT_EQ(WriteRecord(*dib), Record(2, 4, m_png));
}

TEST_F(DibTest, KeptBytesAreWrittenBackAsReadEvenWhenTheyDoNotDecode)
{
    ILBmpEncoder encoder;
    const Bytes bmp = imagetest::Encode(encoder, *MakeFilledBitmap(3, 3, 0xFF445566, false));
    for (const Bytes& record : {Record(2, 2, bmp), Record(2, 4, Bytes(40, 0x3C))}) {
        const auto dib = ReadRecord(record, 2);
        EXPECT_EQ(dib->IsValid(), record == Record(2, 2, bmp));
        EXPECT_EQ(WriteRecord(*dib), record);
        EXPECT_EQ(WriteRecord(*dib, kSaveFormat4000), record);
    }
}

TEST_F(DibTest, ARecordReadIntoAnImageReplacesItsPictureEvenWhenTheNewOneFails)
{
    CDib dib;
    Adopt(dib, MakeFilledBitmap(2, 2, 0xFF000000, false), 4);
    ReadInto(dib, Record(2, 4, Bytes(20, 0x01)), 2);
    EXPECT_FALSE(dib.HasImage());
    EXPECT_EQ(dib.GetWidth(), 0);
    EXPECT_EQ(dib.GetPixelBufferSize(), 20);
    ReadInto(dib, Record(2, 1, Bytes{}), 2);
    EXPECT_EQ(dib.GetPixelBufferSize(), 0);
}

TEST_F(DibTest, BadByteCountsRaiseTheArchiveExceptionBeforeAnythingIsAllocated)
{
    Bytes negative;
    entitytest::PutInt(negative, 4);
    entitytest::PutInt(negative, -1);
    EXPECT_EQ(ArchiveCause([&] { (void)ReadRecord(negative, 2); }), CArchiveException::genericException);
    Bytes huge;
    entitytest::PutInt(huge, 4);
    entitytest::PutInt(huge, 0x7FFFFFFF);
    EXPECT_EQ(ArchiveCause([&] { (void)ReadRecord(huge, 2); }), CArchiveException::genericException);
    Bytes beyondTheEnd = Record(2, 4, m_png);
    beyondTheEnd.pop_back();
    EXPECT_EQ(ArchiveCause([&] { (void)ReadRecord(beyondTheEnd, 2); }), CArchiveException::endOfFile);
}

TEST_F(DibTest, APictureWithoutKeptBytesIsWrittenAsPngWithFormatCodeFour)
{
    CDib made;
    Adopt(made, MakeBitmap(2, 1, {0xFF010203, 0x80040506}, true), 0);
    const auto reread = ReadRecord(WriteRecord(made), 2);
    EXPECT_EQ(reread->GetFormatCode(), 4);
    EXPECT_TRUE(reread->GetImage()->AlmostEqual(*made.GetImage(), 0));

    CDib nothing;
    EXPECT_EQ(WriteRecord(nothing), Record(2, 4, Bytes{}));
}

TEST_F(DibTest, TheOldestSaveFormatEncodesAnewAndUnknownFormatsWriteNothing)
{
    ILBmpEncoder encoder;
    const auto dib = ReadRecord(Record(2, 2, imagetest::Encode(encoder, *MakeFilledBitmap(3, 2, 0xFF445566, false))), 2);
    const Bytes oldest = WriteRecord(*dib, kSaveFormat3000);
    ASSERT_GT(oldest.size(), 12u);
    EXPECT_EQ(oldest[0], 4);
    EXPECT_EQ(std::memcmp(oldest.data() + 8, "\x89PNG", 4), 0);
    EXPECT_TRUE(WriteRecord(*dib, 2500).empty());
}

TEST_F(DibTest, APictureThatCannotBeEncodedFailsTheSaveWithTheArchiveException)
{
    CDib dib;
    auto deep16 = std::make_unique<ILAnyBmp>();
    deep16->CreateFromData(2, 2, 16, false, false, nullptr, 0, ILPoint(0, 0));
    Adopt(dib, std::move(deep16));
    EXPECT_EQ(ArchiveCause([&] { (void)WriteRecord(dib); }), CArchiveException::genericException);
}

TEST_F(DibTest, ObjectReferencesRoundTripThroughTheArchive)
{
    CDib dib;
    Adopt(dib, MakeFilledBitmap(1, 1, 0xFF0000FF, false));
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(&dib);
        ar.WriteObject(nullptr);
    });
    CDib* first = nullptr;
    CDib* second = &dib;
    Load(bytes, [&](CArchive& ar) {
        ArchiveReadDib(ar, first);
        ArchiveReadDib(ar, second);
    });
    const std::unique_ptr<CDib> owned(first);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsValid());
    EXPECT_EQ(second, nullptr);
}

TEST_F(DibTest, ValidityNeedsAKnownFormatCodeAndAPicture)
{
    CDib dib;
    EXPECT_FALSE(dib.IsValid());
    Adopt(dib, MakeBitmap(2, 1, {0x00000000, 0x00FFFFFF}, false), 6);
    EXPECT_TRUE(dib.IsValid());
    EXPECT_EQ(dib.GetOpaqueCount(), 2);  // without alpha every pixel is opaque
    EXPECT_FALSE(dib.HasTransparentPixels());
    dib.Create(dib.GetImage(), 7, 2, 1, false);
    EXPECT_FALSE(dib.IsValid());
}

TEST_F(DibTest, PixelQueriesGoThroughTheImageServiceAndTheAverageIsKept)
{
    CDib dib;
    EXPECT_EQ(dib.GetResizedPixels(4, 4), nullptr);
    EXPECT_EQ(dib.GetAverageColor(), CColor());
    Adopt(dib, MakeFilledBitmap(3, 2, 0xFFFF0000, false));
    EXPECT_EQ(dib.GetBitsPerPixel(), 32);
    const Block same(dib.GetResizedPixels(0, 5));
    EXPECT_EQ(imagetest::BlockPixel(same, 3, 2, 1), ILPixel32(255, 0, 0, 255));
    int width = 0;
    int height = 0;
    int depth = 0;
    const Block texture(dib.GetGLPixels(128, 0.0, 0.0, 0.0, true, width, height, depth, true));
    EXPECT_EQ(std::tuple(width, height, depth), std::tuple(4, 2, 32));
    EXPECT_EQ(imagetest::BlockPixel(texture, 4, 3, 1), ILPixel32(255, 0, 0, 128));

    EXPECT_EQ(dib.GetAverageColor(), CColor(255, 0, 0));
    reinterpret_cast<ILPixel32*>(dib.GetImage()->GetLineArray()[0])[0] = ILPixel32(0, 0, 0);
    EXPECT_EQ(dib.GetAverageColor(), CColor(255, 0, 0));
    Adopt(dib, MakeFilledBitmap(1, 1, 0xFF405060, false));
    EXPECT_EQ(dib.GetAverageColor(), CColor(0x40, 0x50, 0x60));
}

// Pins a past fault: a picture decoded again smaller took on that size and counted anew.
TEST_F(DibTest, ADeferredPictureIsLearntOnceAndKeepsThatShapeWhenDecodedSmaller)
{
    const auto bmp = MakeFilledBitmap(64, 32, 0xFF204060, false);
    ILBmpEncoder bmpEncoder;
    ILJPEGEncoder jpegEncoder;
    // PNG and JPEG are learnt from their headers; a BMP, whose alpha only its pixels tell,
    // by a decode whose bitmap is kept for the texture that follows.
    const struct
    {
        Bytes bytes;
        int formatCode;
        bool decodedToLearn;
    } cases[] = {{imagetest::PngBytes(*bmp), 4, false},
                 {imagetest::Encode(jpegEncoder, *bmp), 1, false},
                 {imagetest::Encode(bmpEncoder, *bmp), 2, true}};
    for (const auto& [bytes, formatCode, decodedToLearn] : cases) {
        SCOPED_TRACE(formatCode);
        const auto dib = Deferred(bytes, formatCode);
        EXPECT_TRUE(dib->IsValid());
        EXPECT_EQ(dib->IsDecoded(), decodedToLearn);
        EXPECT_EQ(std::tuple(dib->GetWidth(), dib->GetHeight(), dib->GetOpaqueCount()), std::tuple(64, 32, 64 * 32));
        const CColor average = dib->GetAverageColor();
        EXPECT_NEAR(average.GetGreenByte(), 0x40, 2);
        dib->ReleaseBitmap();
        {
            const CPictureSideLimit limit(16);
            ASSERT_NE(dib->GetImage(), nullptr);
            EXPECT_EQ(dib->GetImage()->GetWidth(), 16);
        }
        dib->ReleaseBitmap();
        EXPECT_EQ(std::tuple(dib->GetWidth(), dib->GetHeight(), dib->GetSourceWidth(), dib->GetOpaqueCount()),
                  std::tuple(64, 32, 64, 64 * 32));
        EXPECT_EQ(dib->GetAverageColor(), average);
    }
}

TEST_F(DibTest, APngHeaderLeavesAlphaCountsAndDamageToOneDecodeWhoseAnswerIsKept)
{
    const auto alpha = Deferred(m_png, 4);
    EXPECT_TRUE(alpha->HasAlpha());
    EXPECT_FALSE(alpha->IsDecoded());
    EXPECT_EQ(std::tuple(alpha->GetOpaqueCount(), alpha->GetTransparentCount()), std::tuple(1, 1));
    EXPECT_TRUE(alpha->IsDecoded());  // kept for the texture about to be made of it

    Bytes damaged = imagetest::PngBytes(*MakeFilledBitmap(8, 8, 0xFF204060, false));
    const std::string tag = "IDAT";
    const auto at = std::search(damaged.begin(), damaged.end(), tag.begin(), tag.end());
    ASSERT_NE(at, damaged.end());
    at[4] = 0x00;  // the compressed stream's method
    const auto broken = Deferred(damaged, 4);
    EXPECT_TRUE(broken->HasImage());
    EXPECT_FALSE(broken->DecodesWhole());
    EXPECT_FALSE(broken->HasImage());
    EXPECT_EQ(broken->GetImage(), nullptr);
    EXPECT_EQ(broken->GetWidth(), 8);
}

TEST_F(DibTest, APictureOnlyADecodeTellsOfWaitsForAFrameThatNeedNotStopAndChargesIt)
{
    ILBmpEncoder encoder;
    const auto dib = Deferred(imagetest::Encode(encoder, *MakeFilledBitmap(4, 4, 0xFF204060, false)), 2);
    {
        const CFrameMeter::CScope spent(0);
        (void)CFrameMeter::Charge(1);
        EXPECT_FALSE(dib->HasImage());
        EXPECT_FALSE(dib->IsDecoded());
    }
    const CFrameMeter::CScope frame;
    EXPECT_TRUE(dib->HasImage());
    EXPECT_EQ(frame.GetUsed(), CFrameMeter::PixelUnits(16, CFrameMeter::kDecodedPixelsPerUnit));
}

TEST_F(DibTest, ReleasingTheLastUseDeletesTheImage)
{
    auto* dib = new CDib;
    dib->SetPixelBuffer(GetImageLibApp()->AllocBuffer(10), 10);
    dib->SetPixelBuffer(GetImageLibApp()->AllocBuffer(5), 5);  // frees the first block
    dib->AddUse();
    dib->AddUse();
    EXPECT_EQ(dib->ReleaseUse(), 1);
    EXPECT_EQ(dib->ReleaseUse(), 0);  // the sanitizer build sees a leak or a second free
}

}  // namespace
