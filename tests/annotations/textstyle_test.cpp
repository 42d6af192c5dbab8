#include <gtest/gtest.h>

#include "annotations/annotationlinks.h"
#include "annotations/textstyle.h"
#include "model/vertex.h"
#include "platform/profile.h"
#include "tests/annotations/dimensiontestsupport.h"

using namespace dimensiontest;

namespace {

void ReadStyle(CTextStyle& style, const Bytes& bytes, int version, std::initializer_list<CObject*> known = {})
{
    ReadInto(style, bytes, {{"CEntity", 0}, {"CTextStyle", version}}, known);
}

// A record of the version: the font inline at version 3, else a null reference; leader
// type 1, weight 5, first flag set, arrow 2, second flag clear, colour (1, 2, 3, 4).
Bytes StyleRecord(int version)
{
    RecordBuilder record;
    if (version == 3) {
        record.String("Courier").Int(10).Bool(true).Bool(false).String("/fonts/courier.ttf");
    } else {
        record.Reference(0);
    }
    record.Int(1).Int(5).Bool(true).Int(2).Bool(false);
    if (version >= 2) {
        record.Color(CColor(1, 2, 3, 4));
    }
    return record.Build();
}

}  // namespace

TEST(TextStyleRecord, EachVersionReadsItsFieldsAndOlderOnesAreOpaqueBlack)
{
    const CUndoSuspender suspender;
    for (const int version : {0, 1, 2, 3, 4}) {
        SCOPED_TRACE(version);
        CTextStyle style;
        ReadStyle(style, StyleRecord(version), version);
        EXPECT_EQ(style.PeekFont(), nullptr);
        EXPECT_EQ(style.GetLeaderType(), 1);
        EXPECT_EQ(style.GetLineWeight(), 5);
        EXPECT_TRUE(style.GetFirstFlag());
        EXPECT_EQ(style.GetLeaderArrow(), 2);
        EXPECT_FALSE(style.GetSecondFlag());
        EXPECT_EQ(style.GetColor(), version >= 2 ? CColor(1, 2, 3, 4) : CColor(0, 0, 0, 255));
        EXPECT_EQ(style.GetFontKind(), kTextImageFontKind);
    }
}

TEST(TextStyleRecord, AFontReferenceToAnObjectThatIsNoFontIsABadClass)
{
    const CUndoSuspender suspender;
    CVertex vertex;
    RecordBuilder record;
    record.Reference(1);
    const Bytes bytes = record.Build();
    CTextStyle style;
    EXPECT_EQ(ArchiveCause([&]() { ReadStyle(style, bytes, 4, {&vertex}); }), CArchiveException::badClass);
}

TEST(TextStyleRecord, EveryFormatWritesTheWholeRecordAndReadsItBack)
{
    const CUndoSuspender suspender;
    CTextStyle style;
    ReadStyle(style, StyleRecord(4), 4);
    for (const int format : kFormats) {
        EXPECT_TRUE(RoundTrips<CTextStyle>(style, format, {}, [](CTextStyle& read) {
            EXPECT_EQ(read.GetLineWeight(), 5);
            EXPECT_EQ(read.GetColor(), CColor(1, 2, 3, 4));
        })) << format;
    }
}

TEST(TextStyleSettings, TheSettingsGiveTheLeaderAndColourAndMissingOnesTheDefaults)
{
    const entitytest::QuietSettings settings;
    const CUndoSuspender suspender;
    const CTextStyle plain(nullptr);
    EXPECT_EQ(plain.GetLeaderArrow(), 3);
    EXPECT_EQ(plain.GetLineWeight(), 1);
    EXPECT_EQ(plain.GetLeaderType(), 2);
    EXPECT_FALSE(plain.GetFirstFlag());
    EXPECT_TRUE(plain.GetSecondFlag());
    EXPECT_EQ(plain.GetColor(), CColor(0, 0, 0, 255));

    WriteProfileInt("TextStyle", "LeaderArrow", 4);
    WriteProfileInt("TextStyle", "LineWeight", 2);
    WriteProfileInt("TextStyle", "LeaderType", 1);
    WriteProfileInt("TextStyle", "Color", 0x1E140A);  // a colour reference: red 10, green 20, blue 30
    WriteProfileInt("TextStyle", "FontPointSize", 0);
    const CTextStyle set(nullptr);
    EXPECT_EQ(set.GetLeaderArrow(), 4);
    EXPECT_EQ(set.GetLineWeight(), 2);
    EXPECT_EQ(set.GetLeaderType(), 1);
    EXPECT_EQ(set.GetColor(), CColor(10, 20, 30, 255));
    EXPECT_EQ(ReadFontSettings("TextStyle", "Tahoma").pointSize, 0);
    EXPECT_EQ(ReadFontSettings("TextStyle", "Tahoma").face, CString("Tahoma"));
}

TEST(TextStyleCopies, ACopyHasNoModelAndSwapExchangesEveryValue)
{
    const entitytest::CurrentModel model;
    CTextStyle owned(&model.Get());
    CTextStyle read;
    ReadStyle(read, StyleRecord(4), 4);
    CEntity* copy = read.Clone();
    auto* clone = dynamic_cast<CTextStyle*>(copy);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetModel(), nullptr);
    EXPECT_EQ(clone->GetLineWeight(), 5);

    owned.SwapData(*clone);
    EXPECT_EQ(owned.GetModel(), &model.Get());
    EXPECT_EQ(owned.GetLineWeight(), 5);
    EXPECT_EQ(owned.GetColor(), CColor(1, 2, 3, 4));
    EXPECT_EQ(clone->GetLineWeight(), 1);
    EXPECT_EQ(clone->GetLeaderArrow(), 3);
    delete copy;
}

// Asking a style read from a file for its font once reloaded every value from this
// program's settings, so that the model changed when a text without a font was read.
TEST(TextStyleSettings, MakingTheFontOfAStyleReadFromAFileKeepsItsStoredValues)
{
    const entitytest::CurrentModel model;
    WriteProfileInt("TextStyle", "LeaderArrow", 4);
    WriteProfileInt("TextStyle", "LineWeight", 9);
    CTextStyle style;
    ReadStyle(style, StyleRecord(4), 4);
    static_cast<void>(style.GetFont());
    style.EnsureFont();
    EXPECT_EQ(style.GetLeaderArrow(), 2);
    EXPECT_EQ(style.GetLineWeight(), 5);
    EXPECT_EQ(style.GetColor(), CColor(1, 2, 3, 4));
}
