#include <gtest/gtest.h>
#include <jerror.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilboxreducer.h"
#include "imaging/ilexif.h"
#include "imaging/ilfilterboxreduce.h"
#include "imaging/iljpegdecoder.h"
#include "imaging/iljpegencoder.h"
#include "imaging/iljpegglue.h"
#include "imaging/ilmemsource.h"
#include "imaging/ilprogressnotification.h"

using namespace codectest;

namespace {

// RGBA bytes of a binary PNM (P5 or P6) with 8-bit samples.
std::vector<uint8_t> PnmRgba(const std::string& pnm)
{
    std::istringstream in(pnm);
    std::string magic;
    int width = 0;
    int height = 0;
    int maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    const int channels = magic == "P6" ? 3 : 1;
    std::vector<uint8_t> out;
    for (int i = 0; i < width * height; ++i) {
        uint8_t sample[3] = {};
        in.read(reinterpret_cast<char*>(sample), channels);
        if (channels == 1) {
            sample[1] = sample[2] = sample[0];
        }
        out.insert(out.end(), {sample[0], sample[1], sample[2], 255});
    }
    return out;
}

// The tools' decoding with the floating-point DCT; `fancy` false skips fancy upsampling.
std::vector<uint8_t> ToolJpegRgba(const std::string& path, bool fancy)
{
    return PnmRgba(RunCapture("jpegtopnm -dct float " + std::string(fancy ? "" : "-nosmooth ") + Quote(path) +
                              " 2>/dev/null"));
}

// A small colour picture encoded by the library.
std::string SmallJpeg(int width = 16, int height = 16)
{
    ILAnyBmp bmp;
    bmp.CreateFromData(width, height, 32, false, false, nullptr, 0, ILPoint(0, 0));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            reinterpret_cast<ILPixel32*>(bmp.GetLineArray()[y])[x] =
                ILPixel32(static_cast<uint8_t>(x * 16), static_cast<uint8_t>(y * 16), 128, 255);
        }
    }
    ILJPEGEncoder encoder;
    encoder.SetQuality(90);
    return EncodeToString(encoder, bmp);
}

void SetJfifDensity(std::string& jpeg, int unit, int x, int y)
{
    ASSERT_EQ(jpeg.compare(6, 5, std::string("JFIF\0", 5)), 0);
    jpeg[13] = static_cast<char>(unit);
    jpeg[14] = static_cast<char>(x >> 8);
    jpeg[15] = static_cast<char>(x & 0xFF);
    jpeg[16] = static_cast<char>(y >> 8);
    jpeg[17] = static_cast<char>(y & 0xFF);
}

// Inserts an APP1 marker with the given data right after the JFIF marker.
std::string WithApp1(const std::string& jpeg, const std::string& data)
{
    const size_t afterApp0 = 4 + ((static_cast<uint8_t>(jpeg[4]) << 8) | static_cast<uint8_t>(jpeg[5]));
    const size_t length = data.size() + 2;
    std::string marker = "\xFF\xE1";
    marker += static_cast<char>(length >> 8);
    marker += static_cast<char>(length & 0xFF);
    return jpeg.substr(0, afterApp0) + marker + data + jpeg.substr(afterApp0);
}

// An EXIF block whose main directory holds only the camera make.
std::string ExifWithMake(const std::string& make)
{
    std::string block("Exif\0\0II\x2A\0\x08\0\0\0", 14);
    block += std::string("\x01\0", 2);                         // one entry
    block += std::string("\x0F\x01\x02\0", 4);                 // Make, ASCII
    block += static_cast<char>(make.size() + 1);
    block += std::string(3, '\0');
    block += std::string("\x1A\0\0\0", 4);                     // data at offset 26
    block += std::string(4, '\0');                             // no next directory
    return block + make + '\0';
}

// The picture with its frame header's sides changed, found by walking the markers.
std::string DeclaringSize(std::string jpeg, int width, int height)
{
    size_t at = 2;
    while (at + 9 < jpeg.size()) {
        const auto marker = static_cast<uint8_t>(jpeg[at + 1]);
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) {
            jpeg[at + 5] = static_cast<char>(height >> 8);
            jpeg[at + 6] = static_cast<char>(height & 0xFF);
            jpeg[at + 7] = static_cast<char>(width >> 8);
            jpeg[at + 8] = static_cast<char>(width & 0xFF);
            return jpeg;
        }
        at += 2 + ((static_cast<uint8_t>(jpeg[at + 2]) << 8) | static_cast<uint8_t>(jpeg[at + 3]));
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

class ILJPEGDecoderToolTest : public ToolTest
{
};

}  // namespace

TEST_F(ILJPEGDecoderToolTest, ColourGreyProgressiveAndSubsampledFilesDecodeAsTheToolsDecodeThem)
{
    SKIP_WITHOUT_TOOLS("convert", "jpegtopnm");
    const struct
    {
        const char* name;
        const char* options;
        int depth;
    } cases[] = {{"colour_420", "-quality 85", 32},
                 {"colour_444", "-quality 95 -sampling-factor 1x1", 32},
                 {"progressive", "-quality 80 -interlace JPEG", 32},
                 {"grey", "-colorspace gray -quality 90", 8}};
    const std::string base = MakeBase();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = PathOf(std::string(c.name) + ".jpg");
        Shell("convert " + Quote(base) + " " + c.options + " " + Quote(path));
        for (bool fast : {true, false}) {
            ILJPEGDecoder decoder;
            decoder.SetFast(fast);
            ILAnyBmp bmp;
            DecodeBytes(decoder, ReadFile(path), bmp);
            EXPECT_EQ(bmp.GetBitsPerPixel(), c.depth);
            EXPECT_EQ(bmp.IsGreyscale(), c.depth == 8);
            EXPECT_FALSE(bmp.HasAlpha());
            EXPECT_EQ(BitmapRgba(bmp), ToolJpegRgba(path, !fast)) << (fast ? "fast" : "fancy");
        }
    }
}

// Shrunk pictures are decoded at 1/2, 1/4 and 1/8 of their size, with boxes over whole
// decoded pixels (the first size) or over at least eight a side (the second, at the last
// two sides): the smaller decode's rounding and the moved box edges keep them within a
// few levels of the whole picture shrunk afterwards.
TEST_F(ILJPEGDecoderToolTest, PicturesShrunkAsTheyAreReadStayCloseToTheWholePictureShrunk)
{
    SKIP_WITHOUT_TOOLS("convert");
    const struct
    {
        const char* name;
        const char* options;
    } cases[] = {{"colour_420", "-quality 85"},
                 {"colour_444", "-quality 95 -sampling-factor 1x1"},
                 {"progressive", "-quality 80 -interlace JPEG"},
                 {"grey", "-colorspace gray -quality 90"}};
    const std::string path = PathOf("shrunk.jpg");
    for (const auto& c : cases) {
        for (const char* dimensions : {"256x128", "232x136"}) {
            SCOPED_TRACE(std::string(c.name) + " " + dimensions);
            Shell("convert rose: -resize " + std::string(dimensions) + "! " + c.options + " " + Quote(path));
            const std::string bytes = ReadFile(path);
            ILJPEGDecoder decoder;
            ILAnyBmp whole;
            DecodeBytes(decoder, bytes, whole);
            for (const int side : {128, 64, 32, 29, 12}) {
                ILPoint size = whole.GetSize();
                ILBoxReducer::FitSize(size.x, size.y, side);
                ILAnyBmp expected;
                ILFilterBoxReduce(size.x, size.y).Apply(whole, expected);
                decoder.SetMaxSide(side);
                ILAnyBmp shrunk;
                DecodeBytes(decoder, bytes, shrunk);
                decoder.SetMaxSide(0);
                ASSERT_EQ(shrunk.GetSize(), expected.GetSize()) << side;
                EXPECT_LE(MaxDifference(BitmapRgba(shrunk), BitmapRgba(expected)), 8) << side;
            }
        }
    }
}

// Once a progressive file of a few hundred bytes made libjpeg take 1.5 GB; the refusal
// must spare files whose data is as dense as real encoders make it.
TEST_F(ILJPEGDecoderToolTest, OnlyPicturesTheirDataCannotHoldAreRefused)
{
    SKIP_WITHOUT_TOOLS("convert");
    const struct
    {
        const char* name;
        const char* picture;
        const char* options;
        int declaredSide;  // 0: as made
        int code;
    } cases[] = {
        {"solid 2000 x 2000", "-size 2000x2000 xc:#3080c0", "", 0, 0},
        {"solid progressive 2000 x 2000", "-size 2000x2000 xc:#3080c0", "-interlace JPEG", 0, 0},
        {"progressive 4000 x 1", "-size 4000x1 gradient:red-blue", "-interlace JPEG", 0, 0},
        {"solid grey 3000 x 3000", "-size 3000x3000 xc:gray40", "-colorspace gray", 0, 0},
        {"progressive 16 x 16 declaring 16000 x 16000", "-size 16x16 gradient:", "-interlace JPEG", 16000,
         ILTextException::endOfData},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = PathOf("case.jpg");
        Shell(std::string("convert ") + c.picture + " " + c.options + " " + Quote(path));
        std::string jpeg = ReadFile(path);
        if (c.declaredSide != 0) {
            jpeg = DeclaringSize(jpeg, c.declaredSide, c.declaredSide);
        }
        ILJPEGDecoder decoder;
        EXPECT_EQ(DecodeFailureCode(decoder, jpeg), c.code);
    }
}

// libjpeg holds a progressive file's coefficients whole at any scale: asked small, such a
// file is refused once they would pass the bound, while a baseline one of the same size
// still shrinks as it is read. The large pictures are small files declaring 7300 pixels
// square (4:4:4, 320 MB of coefficients), their data padded so that it could hold them.
TEST_F(ILJPEGDecoderToolTest, ProgressivePicturesAskedSmallAreRefusedPastTheBoundOfWholeCoefficients)
{
    SKIP_WITHOUT_TOOLS("convert");
    constexpr int kLargeSide = 7300;
    const struct
    {
        const char* name;
        const char* options;
        bool large;
        int code;
    } cases[] = {
        {"baseline small", "", false, 0},
        {"progressive small", "-interlace JPEG", false, 0},
        {"baseline large", "", true, 0},
        {"progressive large", "-interlace JPEG", true, ILTextException::noMemory},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = PathOf("case.jpg");
        Shell(std::string("convert -size 512x512 xc:#3080c0 -sampling-factor 1x1 ") + c.options + " " + Quote(path));
        std::string jpeg = ReadFile(path);
        if (c.large) {
            jpeg = DeclaringSize(jpeg, kLargeSide, kLargeSide);
            jpeg.insert(jpeg.size() - 2, std::string(kLargeSide / 8 * (kLargeSide / 8) / 8 + 1, '\0'));
        }
        ILMemSource source;
        ASSERT_EQ(source.Open(reinterpret_cast<const uint8_t*>(jpeg.data()), static_cast<int64_t>(jpeg.size())), 0);
        ILJPEGDecoder decoder;
        decoder.SetMaxSide(64);
        decoder.Open(source);
        const int64_t held = decoder.GetWholeCoefficientBytes();
        int code = 0;
        ILAnyBmp bmp;
        try {
            decoder.MakeBmp(bmp, 0);
        } catch (const ILTextException& e) {
            code = e.GetCode();
        }
        decoder.Close();
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(held > 0, std::string(c.options).empty() == false);
        EXPECT_EQ(held > ILPicDecoder::kMaxWholeBytesToShrink, c.code != 0) << held;
        if (code == 0) {
            EXPECT_EQ(bmp.GetWidth(), 64);
        }
    }
}

TEST_F(ILJPEGDecoderToolTest, CmykFilesAreRefusedWithLibjpegsMessage)
{
    SKIP_WITHOUT_TOOLS("convert");
    const std::string path = PathOf("cmyk.jpg");
    Shell("convert " + Quote(MakeBase()) + " -colorspace CMYK " + Quote(path));
    ILJPEGDecoder decoder;
    EXPECT_EQ(DecodeFailureCode(decoder, ReadFile(path)), ILTextException::notSupported);
}

TEST(ILJPEGDecoderTest, ColourPixelsCarryAnOpaqueFourthByte)
{
    ILJPEGDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, SmallJpeg(), bmp);
    for (int y = 0; y < bmp.GetHeight(); ++y) {
        for (int x = 0; x < bmp.GetWidth(); ++x) {
            ASSERT_EQ(reinterpret_cast<const ILPixel32*>(bmp.GetLineArray()[y])[x].a, 255);
        }
    }
}

TEST(ILJPEGDecoderTest, JfifDensityBecomesTheResolution)
{
    const struct
    {
        int unit;
        int x;
        int y;
        ILPoint expected;
    } cases[] = {{0, 1, 1, ILPoint(0, 0)},     {0, 72, 72, ILPoint(72, 72)}, {1, 72, 72, ILPoint(72, 72)},
                 {2, 28, 28, ILPoint(71, 71)}, {1, 300, 1, ILPoint(0, 0)},   {1, 300, 150, ILPoint(300, 150)}};
    for (const auto& c : cases) {
        std::string jpeg = SmallJpeg();
        SetJfifDensity(jpeg, c.unit, c.x, c.y);
        ILJPEGDecoder decoder;
        ILAnyBmp bmp;
        DecodeBytes(decoder, jpeg, bmp);
        EXPECT_EQ(bmp.GetResolution(), c.expected) << c.unit << " " << c.x << " " << c.y;
    }
}

TEST(ILJPEGDecoderTest, AFileCutInItsImageDataStillDecodesToTheFullSize)
{
    const std::string jpeg = SmallJpeg(64, 48);
    ILJPEGDecoder decoder;
    ILAnyBmp bmp;
    DecodeBytes(decoder, jpeg.substr(0, jpeg.size() * 2 / 3), bmp);
    EXPECT_EQ(bmp.GetWidth(), 64);
    EXPECT_EQ(bmp.GetHeight(), 48);
}

TEST(ILJPEGDecoderTest, LibjpegsPassesReachTheSourcesProgressNotificationInOrder)
{
    struct Recorder : ILProgressNotification
    {
        std::vector<double> parts;
        void OnProgress(double part) override { parts.push_back(part); }
    } recorder;
    const std::string jpeg = SmallJpeg(64, 48);
    ILMemSource source(&recorder);
    ASSERT_EQ(source.Open(reinterpret_cast<const uint8_t*>(jpeg.data()), static_cast<int64_t>(jpeg.size())), 0);
    ILJPEGDecoder decoder;
    decoder.Open(source);
    ILAnyBmp bmp;
    decoder.MakeBmp(bmp, 32);
    decoder.Close();
    ASSERT_FALSE(recorder.parts.empty());
    for (std::size_t i = 1; i < recorder.parts.size(); ++i) {
        EXPECT_LE(recorder.parts[i - 1], recorder.parts[i]);
    }
    EXPECT_GE(recorder.parts.front(), 0.0);
    EXPECT_LE(recorder.parts.back(), 1.0);
}

TEST(ILJPEGDecoderTest, TheLastExifBlockIsKeptWhileTheDecoderIsOpenAndOtherApp1DataIsPassedOver)
{
    const std::string xmp = "http://ns.adobe.com/xap/1.0/";
    const std::string jpeg =
        WithApp1(WithApp1(WithApp1(SmallJpeg(), xmp), ExifWithMake("Second")), ExifWithMake("First"));
    ILMemSource source;
    ASSERT_EQ(source.Open(reinterpret_cast<const uint8_t*>(jpeg.data()), static_cast<int64_t>(jpeg.size())), 0);
    ILJPEGDecoder decoder;
    decoder.Open(source);
    ILExif exif;
    decoder.GetExifData(exif);
    EXPECT_EQ(exif.GetValueText("Main.Make"), "Second");
    EXPECT_EQ(exif.GetRawLength(), ExifWithMake("Second").size());
    decoder.Close();
    decoder.GetExifData(exif);
    EXPECT_EQ(exif.GetRawLength(), 0u);
}

TEST(ILJPEGDecoderTest, DamagedFilesEndWithTheirErrorCode)
{
    const std::string good = SmallJpeg();
    const size_t sof = good.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    std::string huge = good;
    huge[sof + 5] = huge[sof + 7] = '\xFE';  // 65000-odd pixels on each side
    huge[sof + 6] = huge[sof + 8] = '\x00';
    const struct
    {
        const char* defect;
        std::string bytes;
        int code;
    } cases[] = {
        {"empty input", "", ILTextException::notSupported},
        {"not a jpeg", "GIF89a" + std::string(100, '\0'), ILTextException::notSupported},
        {"cut inside the headers", good.substr(0, 40), ILTextException::notSupported},
        {"dimensions beyond the pixel limit", huge, ILTextException::noMemory},
        // Once the gigabyte bitmap was made before the rows were found missing.
        {"16000 x 16000 declared in a few hundred bytes", DeclaringSize(good, 16000, 16000),
         ILTextException::endOfData},
    };
    ILJPEGDecoder decoder;
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeFailureCode(decoder, c.bytes), c.code) << c.defect;
    }
    EXPECT_EQ(DecodeFailureCode(decoder, good), 0);
}

// A damaged EXIF block used to fail the whole picture.
TEST_F(ILJPEGDecoderToolTest, ADamagedExifBlockIsDroppedAndTracedAndThePictureDecodes)
{
    std::string badExif = ExifWithMake("X");
    badExif[14 + 2 + 2] = 13;  // format code 13
    const std::string jpeg = WithApp1(SmallJpeg(), badExif);
    const std::string trace = PathOf("trace.txt");
    ILPicDecoder::SetTraceConfig(2, trace.c_str());
    ILMemSource source;
    ASSERT_EQ(source.Open(reinterpret_cast<const uint8_t*>(jpeg.data()), static_cast<int64_t>(jpeg.size())), 0);
    ILJPEGDecoder decoder;
    decoder.Open(source);
    ILExif exif;
    decoder.GetExifData(exif);
    ILAnyBmp bmp;
    decoder.MakeBmp(bmp, 0);
    decoder.Close();
    ILPicDecoder::SetTraceConfig(0, nullptr);
    EXPECT_EQ(exif.GetRawLength(), 0u);
    EXPECT_EQ(bmp.GetWidth(), 16);
    EXPECT_NE(ReadFile(trace).find("JPEG decoder: EXIF data dropped: EXIF Tag format field not understood\n"),
              std::string::npos);
}

TEST(ILJPEGDecoderTest, LibjpegMessagesEndWithTwoLineFeeds)
{
    ILJPEGDecoder decoder;
    try {
        ILAnyBmp bmp;
        DecodeBytes(decoder, "GIF89a" + std::string(100, '\0'), bmp);
        FAIL();
    } catch (const ILTextException& e) {
        const std::string text = e.GetText();
        EXPECT_EQ(text.rfind("Decoder error: ", 0), 0u);
        EXPECT_EQ(text.substr(text.size() - 2), "\n\n");
    }
}

// libjpeg's memory limit used to end as "not supported", like a damaged file.
TEST(ILJPEGDecoderTest, LibjpegsMemoryFailuresComeBackAsOutOfMemory)
{
    const struct
    {
        int libjpegCode;
        int code;
    } cases[] = {{JERR_OUT_OF_MEMORY, ILTextException::noMemory},
                 {JERR_NO_BACKING_STORE, ILTextException::noMemory},
                 {JERR_BAD_HUFF_TABLE, ILTextException::notSupported}};
    for (const auto& c : cases) {
        ILJPEGErrorManager manager{};
        std::optional<ILTextException> pending;
        ILJPEGSetupErrors(manager, &pending);
        jpeg_decompress_struct decompressor{};
        decompressor.err = &manager.pub;
        if (setjmp(manager.jump) == 0) {
            manager.pub.msg_code = c.libjpegCode;
            (*manager.pub.error_exit)(reinterpret_cast<j_common_ptr>(&decompressor));
        }
        try {
            ILJPEGRaiseFailure(manager);
        } catch (const ILTextException& e) {
            EXPECT_EQ(e.GetCode(), c.code) << c.libjpegCode;
        }
    }
}
