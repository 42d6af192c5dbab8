#include <gtest/gtest.h>

#include <limits>

#include "annotations/annotationlinks.h"
#include "annotations/dimensionstyle.h"
#include "model/validitylog.h"
#include "model/vertex.h"
#include "tests/annotations/dimensiontestsupport.h"

using namespace dimensiontest;

namespace {

// A style record of the version with a value in every field that differs from its
// default; the font reference (from version 1) is null.
Bytes StyleRecord(int version, std::int32_t endMark = 2, double threshold = 0.25, std::int32_t placement = 3)
{
    RecordBuilder record;
    record.Int(3);
    if (version >= 1) {
        record.Reference(0);
    }
    record.Bool(true).Bool(false).Int(7);
    if (version >= 3) {
        record.Int(11);
    }
    record.Int(4).Int(endMark);
    if (version >= 3) {
        record.Int(12);
    }
    record.Bool(true).Color(CColor(1, 2, 3)).Bool(false).Bool(true).Double(threshold).Bool(true).Double(20.0);
    if (version >= 2) {
        record.Color(CColor(4, 5, 6)).Color(CColor(7, 8, 9));
    }
    if (version >= 4) {
        record.Int(placement);
    }
    return record.Build();
}

void ReadStyle(CDimensionStyle& style, const Bytes& bytes, int version, std::initializer_list<CObject*> known = {})
{
    ReadInto(style, bytes, {{"CEntity", 0}, {"CDimensionStyle", version}}, known);
}

}  // namespace

TEST(DimensionStyleRecord, EachVersionReadsItsFieldsAndLeavesTheRestAtTheirDefaults)
{
    struct Expected
    {
        int version;
        std::int32_t overshoot;
        std::int32_t endMarkSize;
        std::int32_t lineWeight;
        CColor defaultColor;
        CColor labelColor;
        std::int32_t placement;
    };
    const CColor grey(64, 64, 64, 255);
    const Expected cases[] = {
        {0, 10, 10, 1, grey, CColor(), 1},
        {1, 10, 10, 1, grey, CColor(), 1},
        {2, 10, 10, 1, CColor(4, 5, 6), CColor(7, 8, 9), 1},
        {3, 11, 12, 4, CColor(4, 5, 6), CColor(7, 8, 9), 1},
        {4, 11, 12, 4, CColor(4, 5, 6), CColor(7, 8, 9), 3},
    };
    const CUndoSuspender suspender;
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.version);
        CDimensionStyle style;
        ReadStyle(style, StyleRecord(c.version), c.version);
        EXPECT_EQ(style.GetFontKind(), kTextImageFontKind);
        EXPECT_EQ(style.PeekFont(), nullptr);
        EXPECT_TRUE(style.IsLabelInPlane());
        EXPECT_FALSE(style.IsFlipped());
        EXPECT_EQ(style.GetExtensionGap(), 7);
        EXPECT_EQ(style.GetExtensionOvershoot(), c.overshoot);
        EXPECT_EQ(style.GetLineWeight(), c.lineWeight);
        EXPECT_EQ(style.GetEndMarkType(), 2);
        EXPECT_EQ(style.GetEndMarkSize(), c.endMarkSize);
        EXPECT_TRUE(style.IsHighlighting());
        EXPECT_EQ(style.GetHighlightColor(), CColor(1, 2, 3));
        EXPECT_FALSE(style.HasPrefix());
        EXPECT_TRUE(style.HidesOblique());
        EXPECT_EQ(style.GetObliqueThreshold(), 0.25);
        EXPECT_TRUE(style.HidesSmall());
        EXPECT_EQ(style.GetMinimumScreenLength(), 20.0);
        EXPECT_EQ(style.GetDefaultColor(), c.defaultColor);
        EXPECT_EQ(style.GetLabelColor(), c.labelColor);
        EXPECT_EQ(style.GetLabelPlacement(), c.placement);
    }
}

TEST(DimensionStyleRecord, AFontReferenceToAnObjectThatIsNoFontIsABadClass)
{
    const CUndoSuspender suspender;
    CVertex vertex;
    RecordBuilder record;
    record.Int(6).Reference(1);
    CDimensionStyle style;
    const Bytes bytes = record.Build();
    EXPECT_EQ(ArchiveCause([&]() { ReadStyle(style, bytes, 4, {&vertex}); }), CArchiveException::badClass);
}

TEST(DimensionStyleRecord, ValuesOutsideTheirRangesAreMendedOnReading)
{
    const CUndoSuspender suspender;
    CDimensionStyle style;
    ReadStyle(style, StyleRecord(4, 9, std::numeric_limits<double>::quiet_NaN(), -1), 4);
    EXPECT_EQ(style.GetEndMarkType(), 0);
    EXPECT_EQ(style.GetObliqueThreshold(), 0.0);
    EXPECT_EQ(style.GetLabelPlacement(), CDimensionStyle::kLabelCentred);
}

TEST(DimensionStyleRecord, AThresholdOrALengthThatIsNotFiniteReadsAsZero)
{
    const CUndoSuspender suspender;
    for (const double bad : entitytest::kNonFinite) {
        for (const double number : {0.25, 20.0}) {
            CDimensionStyle style;
            ReadStyle(style, entitytest::WithDoubleReplaced(StyleRecord(4), number, bad), 4);
            EXPECT_EQ(style.GetObliqueThreshold(), number == 0.25 ? 0.0 : 0.25) << number << " as " << bad;
            EXPECT_EQ(style.GetMinimumScreenLength(), number == 20.0 ? 0.0 : 20.0) << number << " as " << bad;
        }
    }
}

TEST(DimensionStyleRecord, EveryFormatWritesTheWholeRecordAndReadsItBack)
{
    const CUndoSuspender suspender;
    CDimensionStyle style;
    ReadStyle(style, StyleRecord(4), 4);
    for (const int format : kFormats) {
        EXPECT_TRUE(RoundTrips<CDimensionStyle>(style, format, {}, [](CDimensionStyle& read) {
            EXPECT_EQ(read.GetLabelPlacement(), 3);
            EXPECT_EQ(read.GetEndMarkSize(), 12);
            EXPECT_EQ(read.GetLabelColor(), CColor(7, 8, 9));
        })) << format;
    }
}

TEST(DimensionStyleCheck, AReadStyleIsSoundAndAFontThatIsNoFontIsBroken)
{
    const entitytest::CurrentModel model;
    const CValidityCheckScope scope;
    ClearValidityLog();
    CDimensionStyle style;
    ReadStyle(style, StyleRecord(4), 4);
    EXPECT_EQ(style.CheckValidity(kValidityModeCheck, nullptr), kValiditySound);

    CVertex vertex;
    style.SetFont(&vertex, false);
    EXPECT_EQ(style.CheckValidity(kValidityModeCheck, nullptr), kValidityBroken);
    EXPECT_NE(GetValidityLog().Find(CString("is not a font")), -1);
    style.SetFont(nullptr, false);
}

TEST(DimensionStyleCopies, ACopyHasNoModelAndSwapExchangesEverythingElse)
{
    const entitytest::CurrentModel model;
    CDimensionStyle owned(&model.Get());
    EXPECT_EQ(owned.GetModel(), &model.Get());
    CDimensionStyle read;
    ReadStyle(read, StyleRecord(4), 4);
    CEntity* copy = read.Clone();
    auto* clone = dynamic_cast<CDimensionStyle*>(copy);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetModel(), nullptr);
    EXPECT_EQ(clone->GetLabelPlacement(), 3);

    owned.SwapData(*clone);
    EXPECT_EQ(owned.GetModel(), &model.Get());
    EXPECT_EQ(owned.GetLabelPlacement(), 3);
    EXPECT_EQ(clone->GetLabelPlacement(), CDimensionStyle::kLabelCentred);
    EXPECT_EQ(clone->GetExtensionGap(), 5);
    delete copy;
}

TEST(DimensionStyleSettings, WithoutSettingsTheFontIsArialOfTwelvePointsNeitherBoldNorItalic)
{
    const entitytest::QuietSettings settings;
    const FontDescription font = ReadFontSettings("DimensionStyle", "Arial");
    EXPECT_EQ(font.face, CString("Arial"));
    EXPECT_EQ(font.pointSize, 12);
    EXPECT_FALSE(font.bold);
    EXPECT_FALSE(font.italic);
    EXPECT_TRUE(font.path.IsEmpty());

    WriteProfileString("DimensionStyle", "FontFace", "Verdana");
    WriteProfileInt("DimensionStyle", "FontPointSize", 0);
    WriteProfileBool("DimensionStyle", "FontBold", true);
    const FontDescription set = ReadFontSettings("DimensionStyle", "Arial");
    EXPECT_EQ(set.face, CString("Verdana"));
    EXPECT_EQ(set.pointSize, 0);
    EXPECT_TRUE(set.bold);
}
