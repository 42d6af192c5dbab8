#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "document/dib.h"
#include "document/versionmap.h"
#include "foundation/versioninfo.h"
#include "imaging/adapter/imageapp.h"
#include "imaging/ilanybmp.h"
#include "imaging/ilbmpencoder.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "tests/document/documenttestsupport.h"
#include "tests/document/imagetestsupport.h"

using documenttest::FileVersions;
using documenttest::Load;
using documenttest::Store;
using imagetest::Block;
using imagetest::MakeBitmap;
using imagetest::MakeFilledBitmap;
using imagetest::PixelAt;
using imagetest::PngBytes;

namespace {

using Bytes = std::vector<BYTE>;

void PutInt(Bytes& out, std::int32_t value)
{
    entitytest::PutInt(out, value);
}

Bytes Concat(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A record of the given version: (format code), byte count, bytes.
Bytes Record(int version, int formatCode, const Bytes& encoded)
{
    Bytes out;
    if (version >= 2) {
        PutInt(out, formatCode);
    }
    PutInt(out, static_cast<std::int32_t>(encoded.size()));
    return Concat(out, encoded);
}

// Reads one record at the given class version; the archive must be used up.
std::unique_ptr<CDib> ReadRecord(const Bytes& bytes, int version)
{
    const FileVersions versions({{"CDib", version}});
    auto dib = std::make_unique<CDib>();
    Load(bytes, [&](CArchive& ar) {
        dib->Serialize(ar);
        EXPECT_EQ(ar.GetRemainingBytes(), 0u);
    });
    return dib;
}

Bytes WriteRecord(const CDib& dib, int saveFormat = kSaveFormat5000)
{
    return Store([&](CArchive& ar) { const_cast<CDib&>(dib).Serialize(ar); }, saveFormat);
}

void Adopt(CDib& dib, std::unique_ptr<ILAnyBmp> bmp, int formatCode = 0)
{
    const int width = bmp->GetWidth();
    const int height = bmp->GetHeight();
    const bool alpha = bmp->HasAlpha();
    dib.Create(bmp.release(), formatCode, width, height, alpha);
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

    const Bytes m_png = PngBytes(*MakeBitmap(2, 1, {0xFF112233, 0x00445566}, true));
};

TEST_F(DibTest, ANewImageIsEmptyAndNotValid)
{
    const CDib dib;
    EXPECT_EQ(dib.GetFormatCode(), 0);
    EXPECT_FALSE(dib.HasImage());
    EXPECT_FALSE(dib.IsValid());
    EXPECT_EQ(dib.GetBitsPerPixel(), 0);
    EXPECT_EQ(dib.GetResizedPixels(4, 4), nullptr);
    EXPECT_EQ(dib.GetAverageColor(), CColor());
    EXPECT_FALSE(dib.Draw(nullptr, 0, 0, 1, 1));
}

TEST_F(DibTest, AVersionZeroRecordConsumesNoBytes)
{
    const auto dib = ReadRecord(Bytes{}, 0);
    EXPECT_EQ(dib->GetFormatCode(), 4);
    EXPECT_FALSE(dib->HasImage());
    EXPECT_EQ(dib->GetPixelBufferSize(), 0);
}

TEST_F(DibTest, AVersionOneRecordIsWrittenBackAsVersionTwoWithFormatCodeFour)
{
    const auto dib = ReadRecord(Record(1, 0, m_png), 1);
    EXPECT_EQ(dib->GetFormatCode(), 4);
    ASSERT_TRUE(dib->IsValid());
    EXPECT_EQ(dib->GetWidth(), 2);
    EXPECT_EQ(PixelAt(*dib->GetImage(), 0, 0), ILPixel32(0x11, 0x22, 0x33, 255));
    EXPECT_EQ(WriteRecord(*dib), Record(2, 4, m_png));
}

TEST_F(DibTest, KeptBytesAreWrittenBackAsReadWithTheirOwnFormatCode)
{
    ILBmpEncoder encoder;
    const Bytes bmp = imagetest::Encode(encoder, *MakeFilledBitmap(3, 3, 0xFF445566, false));
    const Bytes record = Record(2, 2, bmp);
    const auto dib = ReadRecord(record, 2);
    EXPECT_EQ(dib->GetFormatCode(), 2);
    EXPECT_TRUE(dib->IsValid());
    EXPECT_EQ(WriteRecord(*dib), record);
    EXPECT_EQ(WriteRecord(*dib, kSaveFormat4000), record);
}

TEST_F(DibTest, BytesThatDoNotDecodeAreKeptButLeaveNoBitmap)
{
    const Bytes junk(40, 0x3C);
    const Bytes record = Record(2, 4, junk);
    const auto dib = ReadRecord(record, 2);
    EXPECT_FALSE(dib->HasImage());
    EXPECT_FALSE(dib->IsValid());
    EXPECT_EQ(WriteRecord(*dib), record);
}

TEST_F(DibTest, ARecordReadIntoAnImageReplacesItsPictureEvenWhenTheNewOneFails)
{
    auto dib = std::make_unique<CDib>();
    Adopt(*dib, MakeFilledBitmap(2, 2, 0xFF000000, false), 4);
    const FileVersions versions({{"CDib", 2}});
    Load(Record(2, 4, Bytes(20, 0x01)), [&](CArchive& ar) { dib->Serialize(ar); });
    EXPECT_FALSE(dib->HasImage());
    EXPECT_EQ(dib->GetWidth(), 0);
    EXPECT_EQ(dib->GetPixelBufferSize(), 20);
}

TEST_F(DibTest, AnEmptyRecordLeavesAnImageWithoutPictureOrBytes)
{
    const auto dib = ReadRecord(Record(2, 1, Bytes{}), 2);
    EXPECT_EQ(dib->GetFormatCode(), 1);
    EXPECT_FALSE(dib->HasImage());
    EXPECT_EQ(dib->GetPixelBufferSize(), 0);
}

TEST_F(DibTest, BadByteCountsRaiseTheArchiveExceptionBeforeAnythingIsAllocated)
{
    Bytes negative;
    PutInt(negative, 4);
    PutInt(negative, -1);
    EXPECT_EQ(ArchiveCause([&] { (void)ReadRecord(negative, 2); }), CArchiveException::genericException);

    Bytes huge;
    PutInt(huge, 4);
    PutInt(huge, 0x7FFFFFFF);
    EXPECT_EQ(ArchiveCause([&] { (void)ReadRecord(huge, 2); }), CArchiveException::genericException);

    Bytes beyondTheEnd = Record(2, 4, m_png);
    beyondTheEnd.resize(beyondTheEnd.size() - 1);
    EXPECT_EQ(ArchiveCause([&] { (void)ReadRecord(beyondTheEnd, 2); }), CArchiveException::endOfFile);
}

TEST_F(DibTest, AnImageMadeInMemoryIsWrittenAsPngWithFormatCodeFour)
{
    CDib dib;
    Adopt(dib, MakeBitmap(2, 1, {0xFF010203, 0x80040506}, true), 0);
    const Bytes written = WriteRecord(dib);
    const auto reread = ReadRecord(written, 2);
    EXPECT_EQ(reread->GetFormatCode(), 4);
    ASSERT_TRUE(reread->IsValid());
    EXPECT_TRUE(reread->GetImage()->AlmostEqual(*dib.GetImage(), 0));
    EXPECT_EQ(dib.GetPixelBufferSize(), 0);
}

TEST_F(DibTest, TheOldestSaveFormatEncodesAnewAndOtherFormatsWriteNothing)
{
    ILBmpEncoder encoder;
    const Bytes bmp = imagetest::Encode(encoder, *MakeFilledBitmap(3, 2, 0xFF445566, false));
    const auto dib = ReadRecord(Record(2, 2, bmp), 2);
    const Bytes oldest = WriteRecord(*dib, kSaveFormat3000);
    ASSERT_GT(oldest.size(), 12u);
    EXPECT_EQ(oldest[0], 4);
    EXPECT_EQ(std::memcmp(oldest.data() + 8, "\x89PNG", 4), 0);
    EXPECT_TRUE(WriteRecord(*dib, 2500).empty());
}

TEST_F(DibTest, AnImageWithNeitherBytesNorPictureWritesAnEmptyPngRecord)
{
    const CDib dib;
    Bytes expected;
    PutInt(expected, 4);
    PutInt(expected, 0);
    EXPECT_EQ(WriteRecord(dib), expected);
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
    CDib* second = reinterpret_cast<CDib*>(1);
    Load(bytes, [&](CArchive& ar) {
        ArchiveReadDib(ar, first);
        ArchiveReadDib(ar, second);
    });
    const std::unique_ptr<CDib> owned(first);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsValid());
    EXPECT_EQ(second, nullptr);
}

TEST_F(DibTest, ABitmapWithoutAlphaCountsEveryPixelOpaque)
{
    CDib dib;
    Adopt(dib, MakeBitmap(2, 1, {0x00000000, 0x00FFFFFF}, false));
    EXPECT_EQ(dib.GetOpaqueCount(), 2);
    EXPECT_TRUE(dib.HasOpaquePixels());
    EXPECT_FALSE(dib.HasTransparentPixels());
    EXPECT_FALSE(dib.HasAlpha());
}

TEST_F(DibTest, ValidityNeedsAKnownFormatCodeAndAPicture)
{
    CDib dib;
    Adopt(dib, MakeFilledBitmap(1, 1, 0xFF000000, false), 6);
    EXPECT_TRUE(dib.IsValid());
    dib.Create(dib.GetImage(), 7, 1, 1, false);
    EXPECT_FALSE(dib.IsValid());
    dib.Create(dib.GetImage(), -1, 1, 1, false);
    EXPECT_FALSE(dib.IsValid());
}

TEST_F(DibTest, TheAverageColourIsKeptUntilThePictureChanges)
{
    CDib dib;
    Adopt(dib, MakeFilledBitmap(2, 2, 0xFF102030, false));
    EXPECT_EQ(dib.GetAverageColor(), CColor(0x10, 0x20, 0x30));
    reinterpret_cast<ILPixel32*>(dib.GetImage()->GetLineArray()[0])[0] = ILPixel32(0, 0, 0);
    EXPECT_EQ(dib.GetAverageColor(), CColor(0x10, 0x20, 0x30));
    Adopt(dib, MakeFilledBitmap(1, 1, 0xFF405060, false));
    EXPECT_EQ(dib.GetAverageColor(), CColor(0x40, 0x50, 0x60));
}

TEST_F(DibTest, ResizedPixelsTakeTheStoredSizeWhenASideIsZero)
{
    CDib dib;
    Adopt(dib, MakeFilledBitmap(3, 2, 0xFF0A0B0C, false));
    const Block same(dib.GetResizedPixels(0, 5));
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(imagetest::BlockPixel(same, 3, 2, 1), ILPixel32(0x0A, 0x0B, 0x0C, 255));
    const Block larger(dib.GetResizedPixels(6, 4));
    EXPECT_EQ(imagetest::BlockPixel(larger, 6, 5, 3), ILPixel32(0x0A, 0x0B, 0x0C, 255));
}

TEST_F(DibTest, TexturePixelsArePreparedThroughTheImageService)
{
    CDib dib;
    Adopt(dib, MakeFilledBitmap(3, 3, 0xFFFF0000, false));
    int width = 0;
    int height = 0;
    int depth = 0;
    const Block block(dib.GetGLPixels(128, 0.0, 0.0, 0.0, true, width, height, depth, true));
    EXPECT_EQ(width, 4);
    EXPECT_EQ(height, 4);
    EXPECT_EQ(depth, 32);
    EXPECT_EQ(imagetest::BlockPixel(block, 4, 0, 0), ILPixel32(255, 0, 0, 128));
}

TEST_F(DibTest, ReleasingTheLastUseDeletesTheImage)
{
    auto* dib = new CDib;
    Adopt(*dib, MakeFilledBitmap(1, 1, 0xFF000000, false));
    dib->AddUse();
    dib->AddUse();
    EXPECT_EQ(dib->ReleaseUse(), 1);
    EXPECT_EQ(dib->GetUseCount(), 1);
    EXPECT_EQ(dib->ReleaseUse(), 0);  // deleted; the sanitizer builds catch a leak or a second free
}

TEST_F(DibTest, NewEncodedBytesFreeTheOnesKeptBefore)
{
    CDib dib;
    dib.SetPixelBuffer(GetImageLibApp()->AllocBuffer(10), 10);
    dib.SetPixelBuffer(GetImageLibApp()->AllocBuffer(5), 5);
    EXPECT_EQ(dib.GetPixelBufferSize(), 5);
    dib.SetPixelBuffer(GetImageLibApp()->AllocBuffer(5), 0);
    EXPECT_EQ(dib.GetPixelBufferSize(), 0);
    EXPECT_EQ(dib.GetPixelBuffer(), nullptr);
}

}  // namespace
