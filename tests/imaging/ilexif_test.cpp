#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "codectestutil.h"
#include "imaging/ilexif.h"
#include "imaging/iljpegdecoder.h"
#include "imaging/iljpegencoder.h"
#include "imaging/ilmemsource.h"

using namespace codectest;

namespace {

// Builds EXIF blocks: "Exif\0\0", a TIFF header and directories whose values follow
// each directory. Numbers are written in the block's byte order.
class ExifBuilder
{
public:
    struct Field
    {
        uint16_t tag;
        uint16_t format;
        uint32_t count;
        std::string data;  // count × component size bytes, already in the block's order
    };

    explicit ExifBuilder(bool bigEndian) : m_big(bigEndian) {}

    std::string U16(uint32_t v) const { return Bytes(v, 2); }
    std::string U32(uint32_t v) const { return Bytes(v, 4); }
    Field Short(uint16_t tag, std::vector<uint32_t> values) const
    {
        std::string data;
        for (uint32_t v : values) {
            data += U16(v);
        }
        return {tag, 3, static_cast<uint32_t>(values.size()), data};
    }
    Field Long(uint16_t tag, uint32_t value) const { return {tag, 4, 1, U32(value)}; }
    Field SLong(uint16_t tag, int32_t value) const { return {tag, 9, 1, U32(static_cast<uint32_t>(value))}; }
    Field Rational(uint16_t tag, uint32_t num, uint32_t den, uint16_t format = 5) const
    {
        return {tag, format, 1, U32(num) + U32(den)};
    }
    static Field Ascii(uint16_t tag, const std::string& text)
    {
        return {tag, 2, static_cast<uint32_t>(text.size() + 1), text + '\0'};
    }
    static Field Undefined(uint16_t tag, const std::string& bytes)
    {
        return {tag, 7, static_cast<uint32_t>(bytes.size()), bytes};
    }

    // A directory starting at `start` (an offset from `base`), its values after it.
    // `offsets` receives where each field's value lies.
    std::string Directory(const std::vector<Field>& fields, uint32_t start, std::vector<uint32_t>* offsets = nullptr,
                          uint32_t base = 0) const
    {
        std::string table = U16(static_cast<uint32_t>(fields.size()));
        std::string values;
        uint32_t valueAt = start + 2 + 12 * static_cast<uint32_t>(fields.size()) + 4;
        for (const Field& f : fields) {
            table += U16(f.tag) + U16(f.format) + U32(f.count);
            if (f.data.size() <= 4) {
                table += f.data + std::string(4 - f.data.size(), '\0');
                if (offsets) {
                    offsets->push_back(start + 2 + 12 * static_cast<uint32_t>(offsets->size()) + 8);
                }
            } else {
                table += U32(valueAt - base);
                if (offsets) {
                    offsets->push_back(valueAt);
                }
                values += f.data;
                valueAt += static_cast<uint32_t>(f.data.size());
            }
        }
        return table + U32(0) + values;
    }

    // A whole block: IFD0 with `main`, and when `sub` is not empty an Exif directory
    // (ExifOffset is added to IFD0). `makerNote` builds the note's bytes from the note's
    // offset; it goes into the Exif directory as its first field.
    std::string Block(std::vector<Field> main, std::vector<Field> sub = {},
                      const std::function<std::string(uint32_t)>& makerNote = nullptr) const
    {
        std::string header = (m_big ? "MM" : "II") + U16(42) + U32(8);
        if (!sub.empty() || makerNote) {
            main.push_back(Long(0x8769, 0));
            const uint32_t subStart = 8 + static_cast<uint32_t>(Directory(main, 8).size());
            main.back() = Long(0x8769, subStart);
            if (makerNote) {
                const size_t noteSize = makerNote(0).size();
                sub.insert(sub.begin(), Undefined(0x927C, std::string(noteSize, '\0')));
                std::vector<uint32_t> offsets;
                (void)Directory(sub, subStart, &offsets);
                sub.front().data = makerNote(offsets.front());
            }
            return std::string("Exif\0\0", 6) + header + Directory(main, 8) + Directory(sub, subStart);
        }
        return std::string("Exif\0\0", 6) + header + Directory(main, 8);
    }

    bool BigEndian() const { return m_big; }

private:
    std::string Bytes(uint32_t v, int size) const
    {
        std::string out;
        for (int i = 0; i < size; ++i) {
            const int shift = m_big ? 8 * (size - 1 - i) : 8 * i;
            out += static_cast<char>((v >> shift) & 0xFF);
        }
        return out;
    }

    bool m_big;
};

ILExif Parse(const std::string& block)
{
    ILExif exif;
    exif.ReadFromBlock(reinterpret_cast<const uint8_t*>(block.data()), block.size());
    return exif;
}

int ParseFailureCode(const std::string& block)
{
    try {
        (void)Parse(block);
    } catch (const ILTextException& e) {
        return e.GetCode();
    }
    return 0;
}

class ILExifToolTest : public ToolTest
{
protected:
    // The EXIF block of a JPEG as the library reads it.
    ILExif ReadExif(const std::string& path)
    {
        const std::string jpeg = ReadFile(path);
        ILMemSource source;
        EXPECT_EQ(source.Open(reinterpret_cast<const uint8_t*>(jpeg.data()), static_cast<int64_t>(jpeg.size())), 0);
        ILJPEGDecoder decoder;
        decoder.Open(source);
        ILExif exif;
        decoder.GetExifData(exif);
        decoder.Close();
        return exif;
    }
};

}  // namespace

TEST_F(ILExifToolTest, TagsWrittenByTheToolsReadBackInBothByteOrders)
{
    SKIP_WITHOUT_TOOLS("convert", "exiftool");
    for (const char* order : {"II", "MM"}) {
        SCOPED_TRACE(order);
        const std::string path = PathOf(std::string("tagged_") + order + ".jpg");
        Shell("convert " + Quote(MakeBase()) + " " + Quote(path));
        Shell(std::string("exiftool -q -overwrite_original -ExifByteOrder#=") + order +
              " -EXIF:Make='Orvell Optics' -EXIF:Model='OX 1' -EXIF:Software=Glimra -EXIF:XResolution=72"
              " -EXIF:ResolutionUnit=inches -EXIF:ExposureTime=1/250 -EXIF:FNumber=5.6 -EXIF:ISO=400"
              " -EXIF:Flash#=7 -EXIF:MeteringMode#=5 -EXIF:FocalLength=50 -EXIF:ExposureCompensation=-0.33"
              " -EXIF:DateTimeOriginal='2004:05:06 07:08:09' -EXIF:ColorSpace#=1 " +
              Quote(path));
        const ILExif exif = ReadExif(path);
        ASSERT_GT(exif.GetRawLength(), 6u);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(exif.GetRawData()), 6), std::string("Exif\0\0", 6));
        EXPECT_EQ(exif.GetValueText("Main.Make"), "Orvell Optics");
        EXPECT_EQ(exif.GetValueText("Main.Model"), "OX 1");
        EXPECT_EQ(exif.GetValueText("Main.Software"), "Glimra");
        EXPECT_EQ(exif.GetValueText("Main.XRes"), "72/1");
        EXPECT_EQ(exif.GetValueText("Main.ResUnit"), "inch");
        EXPECT_EQ(exif.GetDisplayText("Sub.Shutter"), "1/250 s");
        EXPECT_EQ(exif.GetDisplayText("Sub.FStop"), "f5.6");
        EXPECT_EQ(exif.GetValueText("Sub.Iso"), "400");
        EXPECT_EQ(exif.GetValueText("Sub.Flash"), "Yes, return detected");
        EXPECT_EQ(exif.GetValueText("Sub.Meter"), "Multi-segment");
        EXPECT_EQ(exif.GetDisplayText("Sub.Focal"), "50 mm");
        EXPECT_EQ(exif.GetValueText("Sub.OrigTime"), "2004:05:06 07:08:09");
        EXPECT_EQ(exif.GetValueText("Sub.ColorSpace"), "sRGB");
        EXPECT_NEAR(exif.GetDouble("Sub.Expbiasa"),
                    std::stod(RunCapture("exiftool -s -s -s -n -ExposureCompensation " + Quote(path))), 1e-9);
        EXPECT_NE(exif.FindEntry("sub.exifver"), nullptr);
    }
}

TEST_F(ILExifToolTest, ABlockReadFromOneFileIsWrittenUnchangedIntoAnother)
{
    SKIP_WITHOUT_TOOLS("convert", "exiftool");
    const std::string path = PathOf("source.jpg");
    Shell("convert " + Quote(MakeBase()) + " " + Quote(path));
    Shell("exiftool -q -overwrite_original -Make=Orvell -Artist=Nobody " + Quote(path));
    const ILExif exif = ReadExif(path);
    ILAnyBmp bmp;
    bmp.CreateFromData(8, 8, 32, false, false, nullptr, 0, ILPoint(0, 0));
    ILJPEGEncoder encoder;
    encoder.SetExifData(exif);
    const std::string copy = WriteFile("copy.jpg", EncodeToString(encoder, bmp));
    EXPECT_EQ(RunCapture("exiftool -s -s -s -Make -Artist " + Quote(copy)), "Orvell\nNobody\n");
    const ILExif again = ReadExif(copy);
    ASSERT_EQ(again.GetRawLength(), exif.GetRawLength());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(again.GetRawData()), again.GetRawLength()),
              std::string(reinterpret_cast<const char*>(exif.GetRawData()), exif.GetRawLength()));
}

TEST(ILExifTest, ValuesAreFormattedByTheirFormatInBothByteOrders)
{
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "MM" : "II");
        const ExifBuilder b(big);
        std::vector<uint32_t> twenty(20);
        for (uint32_t i = 0; i < 20; ++i) {
            twenty[i] = i;
        }
        const ILExif exif = Parse(b.Block({b.Long(0x0100, 0x01000000), b.SLong(0x0101, -2), b.Short(0x0102, twenty)},
                                          {b.Rational(0xA40B, static_cast<uint32_t>(-1), 3, 10),
                                           ExifBuilder::Undefined(0x9101, std::string("\x01\x02\x03\x00", 4)),
                                           ExifBuilder::Ascii(0x9290, std::string("a\tb\x01", 4))}));
        EXPECT_EQ(exif.GetValueText("Main.0100"), "16777216");
        EXPECT_EQ(exif.GetValueText("Main.0101"), "-2");
        EXPECT_EQ(exif.GetValueText("Main.0102"), "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ...");
        const ILExifEntry* bias = exif.FindEntry("SUB.A40B");
        ASSERT_NE(bias, nullptr);
        EXPECT_EQ(bias->GetKey(), "Sub.a40b");
        EXPECT_EQ(bias->GetValueText(), "-1/3");
        EXPECT_NEAR(bias->GetDoubleValue(), -1.0 / 3.0, 1e-12);
        EXPECT_EQ(bias->GetIntegerValue(), 0);
        EXPECT_EQ(exif.GetValueText("Sub.CompConfig"), "{ 01 02 03 00 }");
        EXPECT_EQ(exif.GetDisplayText("Sub.CompConfig"), "YCbCr");
        EXPECT_EQ(exif.GetValueText("Sub.STime"), "a\\tb\\0x01");
    }
}

TEST(ILExifTest, DisplayTextsFollowTheTagsFormattersAndValueTables)
{
    const ExifBuilder b(false);
    const struct
    {
        ExifBuilder::Field field;
        const char* key;
        const char* display;
    } cases[] = {
        {b.Rational(0x829A, 10, 1), "Sub.Shutter", "10 s"},
        {b.Rational(0x829A, 10, 2500), "Sub.Shutter", "1/250 s"},
        {b.Rational(0x829A, 1, 250), "Sub.Shutter", "1/250 s"},
        {b.Rational(0x829A, 1, 0), "Sub.Shutter", "1/0 s"},
        {b.Rational(0x829D, 56, 10), "Sub.FStop", "f5.6"},
        {b.Rational(0x9201, 8, 1), "Sub.Shuttera", "1/256 s"},
        {b.Rational(0x9201, 20, 1), "Sub.Shuttera", "1/1048576 s"},
        {b.Rational(0x9202, 5, 1), "Sub.Aperturea", "f5.7"},
        {b.Rational(0x9206, 35, 10), "Sub.Dist", "3.5 m"},
        {b.Short(0x9209, {7}), "Sub.Flash", "Yes, return detected"},
        {b.Short(0x9209, {3}), "Sub.Flash", "3"},
        {b.Short(0x9208, {21}), "Sub.Lights", "D65"},
        {b.Short(0x8822, {3}), "Sub.Prog", "Aperture priority"},
        {b.Rational(0x9102, 2, 1), "Sub.Bpp", "Normal"},
    };
    for (const auto& c : cases) {
        const ILExif exif = Parse(b.Block({}, {c.field}));
        EXPECT_EQ(exif.GetDisplayText(c.key), c.display) << c.key << " " << c.field.tag;
    }
}

TEST(ILExifTest, NikonNotesWithTheirOwnHeaderUseTheSecondTableEightBytesIn)
{
    for (bool big : {false, true}) {
        const ExifBuilder b(big);
        const std::string block = b.Block({ExifBuilder::Ascii(0x010F, "NIKON CORPORATION")}, {},
                                          [&b](uint32_t at) {
                                              return std::string("Nikon\0\x02\x10", 8) +
                                                     b.Directory({b.Short(0x0003, {3}), b.Short(0x000B, {1})}, at + 8);
                                          });
        const ILExif exif = Parse(block);
        EXPECT_EQ(exif.GetValueText("Nikon2.Quality"), "VGA Fine");
        EXPECT_EQ(exif.GetValueText("Nikon2.Converter"), "Fisheye");
        EXPECT_EQ(exif.GetMakerEntries().size(), 2u);
    }
}

TEST(ILExifTest, OlderNikonNotesCapitaliseTheirTexts)
{
    const ExifBuilder b(true);
    const std::string block = b.Block({ExifBuilder::Ascii(0x010F, "NIKON")}, {}, [&b](uint32_t at) {
        return b.Directory({ExifBuilder::Ascii(0x0004, "FINE  "), b.Rational(0x0086, 2, 1)}, at);
    });
    const ILExif exif = Parse(block);
    EXPECT_EQ(exif.GetValueText("Nikon.Quality"), "Fine");
    EXPECT_EQ(exif.GetDisplayText("Nikon.DigZoom"), "2 x");
}

TEST(ILExifTest, FujiNotesAreLittleEndianAndCountFromTheirOwnStart)
{
    const ExifBuilder big(true);
    const ExifBuilder little(false);
    const std::string block = big.Block({ExifBuilder::Ascii(0x010F, "FUJIFILM")}, {}, [&little](uint32_t) {
        return std::string("FUJIFILM", 8) + little.U32(12) +
               little.Directory({little.Short(0x1003, {256}), ExifBuilder::Ascii(0x0000, "0130 and more")}, 12);
    });
    const ILExif exif = Parse(block);
    EXPECT_EQ(exif.GetValueText("Fuji.Color"), "High");
    EXPECT_EQ(exif.GetValueText("Fuji.Version"), "0130 and more");
}

TEST(ILExifTest, CanonNotesUnfoldTheirSettingArraysAndCustomFunctionsInBothByteOrders)
{
    for (bool bigEndian : {false, true}) {
        SCOPED_TRACE(bigEndian ? "MM" : "II");
        const ExifBuilder b(bigEndian);
        std::vector<uint32_t> set1(30, 0);
        set1[1] = 1;       // Macro
        set1[16] = 17;     // ISO 100
        set1[0x1D] = 0x6000;  // flash details
        std::vector<uint32_t> set2(20, 0);
        set2[7] = 4;
        set2[14] = 0x3001;
        const std::string block = b.Block({ExifBuilder::Ascii(0x010F, "Canon")}, {}, [&](uint32_t at) {
            return b.Directory({b.Short(0x0001, set1), b.Short(0x0004, set2), b.Long(0x0008, 1234567),
                                b.Short(0x000F, {8, 0x0101, 0x0001, 0x0D01})},
                               at);
        });
        const ILExif exif = Parse(block);
        EXPECT_EQ(exif.GetValueText("CnSet1.Macro"), "Macro");
        EXPECT_EQ(exif.GetValueText("CnSet1.ISO"), "100");
        EXPECT_EQ(exif.GetDisplayText("CnSet1.FlashDet"), "External E-TTL Internal Flash ");
        EXPECT_EQ(exif.GetValueText("CnSet2.WhiteBal"), "Flourescent");
        EXPECT_EQ(exif.GetDisplayText("CnSet2.AF Point"), "Centre");
        EXPECT_EQ(exif.GetDisplayText("Canon.ImageNo"), "123-4567");
        EXPECT_EQ(exif.GetValueText("CanonCFn.NoiseRed"), "On");
        EXPECT_EQ(exif.GetValueText("CanonCFn.SensClean"), "Enable");
        EXPECT_EQ(exif.FindEntry("CanonCFn.00"), nullptr);
        // A 30-component array unfolds the rows whose index lies below 30.
        EXPECT_NE(exif.FindEntry("CnSet1.FlashDet"), nullptr);
        EXPECT_EQ(exif.FindEntry("CnSet1.FocusMode"), nullptr);
    }
}

TEST(ILExifTest, CasioNotesNameTheFlashModeForEveryModel)
{
    const ExifBuilder b(false);
    for (const char* model : {"QV-2000UX", "QV-3000EX"}) {
        const std::string block =
            b.Block({ExifBuilder::Ascii(0x010F, "CASIO"), ExifBuilder::Ascii(0x0110, model)}, {},
                    [&b](uint32_t at) { return b.Directory({b.Short(0x0004, {4}), b.Short(0x0014, {64})}, at); });
        const ILExif exif = Parse(block);
        EXPECT_EQ(exif.GetValueText("Casio.FlashMode"), "Red Eye Reduction");
        EXPECT_EQ(exif.GetValueText("Casio.CCDSense"), "Normal");
    }
}

TEST(ILExifTest, OlympusNotesStartEightBytesIn)
{
    const ExifBuilder b(false);
    const std::string block = b.Block({ExifBuilder::Ascii(0x010F, "OLYMPUS OPTICAL CO.,LTD")}, {}, [&b](uint32_t at) {
        return std::string("OLYMP\0\x01\0", 8) + b.Directory({b.Short(0x0201, {3}), b.Short(0x0202, {1})}, at + 8);
    });
    const ILExif exif = Parse(block);
    EXPECT_EQ(exif.GetValueText("Oly.Quality"), "SHQ");
    EXPECT_EQ(exif.GetValueText("Oly.Macro"), "Macro");
}

TEST(ILExifTest, MalformedBlocksFailWithTheExifCodeAndForeignDataIsDroppedQuietly)
{
    const ExifBuilder b(false);
    std::string badFormat = b.Block({b.Short(0x0112, {1})});
    badFormat[6 + 8 + 2 + 2] = 13;
    std::string tooMany = b.Block({b.Short(0x0112, {1})});
    tooMany.replace(6 + 8 + 2 + 4, 4, b.U32(70000));
    std::string pastEnd = b.Block({ExifBuilder::Ascii(0x010F, "A long make text")});
    pastEnd.replace(6 + 8 + 2 + 8, 4, b.U32(60000));
    std::string ifdPastEnd = b.Block({b.Short(0x0112, {1})});
    ifdPastEnd.replace(6 + 4, 4, b.U32(0xFFFFFFF0));
    std::string subPastEnd = b.Block({b.Long(0x8769, 5000)});
    const struct
    {
        const char* defect;
        std::string block;
        int code;
    } cases[] = {
        {"format code thirteen", badFormat, ILTextException::exifFailed},
        {"seventy thousand components", tooMany, ILTextException::exifFailed},
        {"value offset past the end", pastEnd, ILTextException::exifFailed},
        {"directory offset past the end", ifdPastEnd, ILTextException::exifFailed},
        {"exif directory past the end", subPastEnd, ILTextException::exifFailed},
        {"cut inside the tiff header", b.Block({}).substr(0, 9), ILTextException::exifFailed},
        {"not exif at all", "http://ns.adobe.com/xap/1.0/", 0},
        {"too short to tell", "Exi", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseFailureCode(c.block), c.code) << c.defect;
    }
    try {
        (void)Parse(badFormat);
    } catch (const ILTextException& e) {
        EXPECT_STREQ(e.GetText(), "EXIF Tag format field not understood");
    }
    try {
        (void)Parse(tooMany);
    } catch (const ILTextException& e) {
        EXPECT_STREQ(e.GetText(), "EXIF NoComp field not understood");
    }
    EXPECT_EQ(Parse("not exif").GetAllEntries().size(), 0u);
}

TEST(ILExifTest, EntriesAreCopiedAsSharedHandlesAndTextsCanBeSetAppendedAndCopied)
{
    const ExifBuilder b(false);
    ILExif exif = Parse(b.Block({ExifBuilder::Ascii(0x010F, "Orvell"), ExifBuilder::Ascii(0x0110, "OX")}));
    const ILExif copy = exif;
    exif.SetText("Main.Make", "Changed");
    EXPECT_EQ(copy.GetValueText("Main.Make"), "Changed");

    exif.AppendText("Main.Model", "Pro");
    EXPECT_EQ(exif.GetValueText("Main.Model"), "OX / Pro");
    exif.AppendText("Main.Model", "pro x", "PRO X");
    EXPECT_EQ(exif.GetValueText("Main.Model"), "OX / Pro");
    exif.AppendText("Main.Model", "2", nullptr, "-");
    EXPECT_EQ(exif.GetValueText("Main.Model"), "OX / Pro-2");
    exif.AppendText("Made.Up", "first");
    EXPECT_EQ(exif.GetValueText("made.up"), "first");
    exif.CopyTag("Main.Make", "Summary.Make");
    EXPECT_EQ(exif.GetValueText("Summary.Make"), "Changed");
    exif.AppendTagText("Summary.Make", "Main.Model");
    EXPECT_EQ(exif.GetValueText("Summary.Make"), "Changed / OX / Pro-2");
    EXPECT_EQ(exif.GetValueText("No.Such"), "");
    EXPECT_EQ(exif.GetDouble("No.Such"), 0.0);

    exif.Clear();
    EXPECT_TRUE(exif.GetAllEntries().empty());
    EXPECT_TRUE(exif.GetMainEntries().empty());
    EXPECT_EQ(exif.FindEntry("Main.Make"), nullptr);
}

TEST(ILExifTest, RangesShowOneDecimalAtMostAndOneNumberWhenBothEnds)
{
    EXPECT_EQ(ILExif::FormatRange(5.6, 5.6), "5.6");
    EXPECT_EQ(ILExif::FormatRange(28, 85), "28-85");
    EXPECT_EQ(ILExif::FormatRange(10, 10), "10");
    EXPECT_EQ(ILExif::FormatRange(3.5, 5.0), "3.5-5");
    EXPECT_EQ(ILExif::FormatRange(100, 400), "100-400");
}
