#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilexif.h"
#include "imaging/iljpegdecoder.h"
#include "imaging/iljpegencoder.h"

using namespace codectest;

namespace {

ILAnyBmp Gradient(int depth, int width = 40, int height = 24)
{
    ILAnyBmp bmp;
    if (depth == 8) {
        bmp.CreateFromData(width, height, 8, false, true, nullptr, 0, ILPoint(0, 0));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                bmp.GetLineArray()[y][x] = static_cast<uint8_t>(x * 6 + y);
            }
        }
        return bmp;
    }
    bmp.CreateFromData(width, height, 32, false, false, nullptr, 0, ILPoint(0, 0));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            reinterpret_cast<ILPixel32*>(bmp.GetLineArray()[y])[x] =
                ILPixel32(static_cast<uint8_t>(x * 6), static_cast<uint8_t>(y * 10), 90, 255);
        }
    }
    if (depth != 32) {
        ILAnyBmp other;
        other.CreateCopy(bmp, depth);
        return other;
    }
    return bmp;
}

// The first marker segment of that code after the start of image, with its length field.
std::string Segment(const std::string& jpeg, uint8_t code, size_t* at = nullptr)
{
    size_t pos = 2;
    while (pos + 4 <= jpeg.size() && static_cast<uint8_t>(jpeg[pos]) == 0xFF) {
        const uint8_t marker = static_cast<uint8_t>(jpeg[pos + 1]);
        const size_t length = (static_cast<uint8_t>(jpeg[pos + 2]) << 8) | static_cast<uint8_t>(jpeg[pos + 3]);
        if (marker == code) {
            if (at) {
                *at = pos;
            }
            return jpeg.substr(pos + 2, length);
        }
        if (marker == 0xDA) {
            break;
        }
        pos += 2 + length;
    }
    return {};
}

ILExif ExifOf(const std::string& make)
{
    std::string block("Exif\0\0II\x2A\0\x08\0\0\0\x01\0\x0F\x01\x02\0", 20);
    block += static_cast<char>(make.size() + 1);
    block += std::string(3, '\0');
    block += std::string("\x1A\0\0\0\0\0\0\0", 8);
    block += make + '\0';
    ILExif exif;
    exif.ReadFromBlock(reinterpret_cast<const uint8_t*>(block.data()), block.size());
    return exif;
}

class ILJPEGEncoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILJPEGEncoderToolTest, TheToolsReadOurFilesCloseToTheBitmap)
{
    SKIP_WITHOUT_TOOLS("convert", "identify");
    for (int depth : {32, 24, 8, 1}) {
        SCOPED_TRACE(depth);
        const ILAnyBmp bmp = Gradient(depth);
        ILJPEGEncoder encoder;
        encoder.SetQuality(100);
        const std::string path = WriteFile("ours.jpg", EncodeToString(encoder, bmp));
        EXPECT_EQ(ToolSize(path), "40 24");
        EXPECT_LE(MaxDifference(ToolRgba(path), Opaque(BitmapRgba(bmp))), depth == 1 ? 40 : 6);
    }
}

TEST_F(ILJPEGEncoderToolTest, AnExifBlockGoesIntoTheNextFileOnlyAndTheToolsReadIt)
{
    SKIP_WITHOUT_TOOLS("exiftool");
    ILJPEGEncoder encoder;
    encoder.SetExifData(ExifOf("Orvell Camera"));
    const std::string first = EncodeToString(encoder, Gradient(32));
    const std::string second = EncodeToString(encoder, Gradient(32));
    size_t app0 = 0;
    size_t app1 = 0;
    ASSERT_FALSE(Segment(first, 0xE0, &app0).empty());
    ASSERT_FALSE(Segment(first, 0xE1, &app1).empty());
    EXPECT_GT(app1, app0);
    EXPECT_TRUE(Segment(second, 0xE1).empty());
    const std::string path = WriteFile("exif.jpg", first);
    EXPECT_EQ(RunCapture("exiftool -s -s -s -Make " + Quote(path)), "Orvell Camera\n");
}

TEST(ILJPEGEncoderTest, DensityComesFromTheBitmapAsAnAspectOrFromSetDensityInDotsPerInch)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(8, 8, 32, false, false, nullptr, 0, ILPoint(96, 96));
    ILJPEGEncoder encoder;
    std::string app0 = Segment(EncodeToString(encoder, bmp), 0xE0);
    ASSERT_GE(app0.size(), 16u);
    EXPECT_EQ(app0[9], 0);  // unit: none
    EXPECT_EQ(static_cast<uint8_t>(app0[11]), 96);
    encoder.SetDensity(300, 300);
    app0 = Segment(EncodeToString(encoder, bmp), 0xE0);
    EXPECT_EQ(app0[9], 1);  // dots per inch
    EXPECT_EQ((static_cast<uint8_t>(app0[10]) << 8) | static_cast<uint8_t>(app0[11]), 300);
}

TEST(ILJPEGEncoderTest, OurFilesDecodeBackCloseToTheBitmap)
{
    const ILAnyBmp bmp = Gradient(32, 33, 17);
    ILJPEGEncoder encoder;
    encoder.SetQuality(100);
    encoder.SetOptimizeCoding(true);
    ILJPEGDecoder decoder;
    decoder.SetFast(false);
    ILAnyBmp back;
    DecodeBytes(decoder, EncodeToString(encoder, bmp), back);
    EXPECT_LE(MaxDifference(BitmapRgba(back), BitmapRgba(bmp)), 6);
}

TEST(ILJPEGEncoderTest, LibjpegErrorsBecomeExceptionsAndTheEncoderStaysUsable)
{
    ILAnyBmp empty;
    empty.CreateFromData(0, 0, 32, false, false, nullptr, 0, ILPoint(0, 0));
    ILJPEGEncoder encoder;
    encoder.SetExifData(ExifOf("Lost"));
    try {
        (void)EncodeToString(encoder, empty);
        FAIL() << "an empty image was encoded";
    } catch (const ILTextException& e) {
        EXPECT_EQ(e.GetCode(), ILTextException::notSupported);
    }
    const std::string next = EncodeToString(encoder, Gradient(32));
    EXPECT_TRUE(Segment(next, 0xE1).empty());  // the failed encode used up the block
    ILJPEGDecoder decoder;
    EXPECT_EQ(DecodeFailureCode(decoder, next), 0);

    // A bitmap that cannot be widened to 32 bits fails before libjpeg starts, and uses up
    // the block all the same.
    const ILAnyBmp grey = Gradient(8);
    encoder.SetExifData(ExifOf("Lost"));
    ILBmp::SetMaxPixels(16);
    EXPECT_THROW((void)EncodeToString(encoder, grey), ILTextException);
    ILBmp::SetMaxPixels(ILBmp::kMaxPixels);
    EXPECT_TRUE(Segment(EncodeToString(encoder, Gradient(32)), 0xE1).empty());
}
