#include <gtest/gtest.h>

#include <algorithm>

#include "annotations/dimension.h"
#include "tests/annotations/dimensiontestsupport.h"

using namespace dimensiontest;

namespace {

// The versions of a file whose entity and drawing-element parts are the oldest ones.
constexpr std::initializer_list<std::pair<const char*, int>> kPlainParts = {
    {"CEntity", 0}, {"CDrawingElement", 0}, {"CDimension", 0}};

}  // namespace

TEST(DimensionLabel, TheLabelTextReplacesOrWrapsTheMeasuredValue)
{
    struct Case
    {
        const char* label;
        const char* shown;
        bool overridden;
    };
    const Case cases[] = {
        {"", "12\"", false},
        {"Wall <>", "Wall 12\"", false},
        {"<> and <>", "12\" and 12\"", false},
        {"About a foot", "About a foot", true},
    };
    const CUndoSuspender suspender;
    for (const Case& c : cases) {
        CDimension dimension;
        dimension.SetLabelText(c.label);
        bool overridden = !c.overridden;
        EXPECT_EQ(dimension.ApplyTextOverride("12\"", overridden), CString(c.shown)) << c.label;
        EXPECT_EQ(overridden, c.overridden) << c.label;
    }
}

TEST(DimensionRecord, AStoredBackslashAndNReadsAsALineFeedAndIsWrittenAsOne)
{
    const CUndoSuspender suspender;
    CDimension dimension;
    ReadInto(dimension, RecordBuilder().PlainElement().String("first\\nsecond").Build(), kPlainParts);
    EXPECT_EQ(dimension.GetLabelText(), CString("first\nsecond"));

    const Bytes written = Write(dimension, kSaveFormat3000);
    const Bytes lineFeed = {'\n', 0};
    const Bytes backslash = {'\\', 0};
    EXPECT_NE(std::search(written.begin(), written.end(), lineFeed.begin(), lineFeed.end()), written.end());
    EXPECT_EQ(std::search(written.begin(), written.end(), backslash.begin(), backslash.end()), written.end());
}

TEST(DimensionRecord, EveryFormatWritesTheLabelAfterTheElementAndReadsItBack)
{
    const CUndoSuspender suspender;
    CDimension dimension;
    dimension.SetLabelText("<> mm");
    dimension.SetHidden(true);
    for (const int format : kFormats) {
        EXPECT_TRUE(RoundTrips<CDimension>(dimension, format, {}, [](CDimension& read) {
            EXPECT_EQ(read.GetLabelText(), CString("<> mm"));
            EXPECT_TRUE(read.IsHiddenFlagSet());
        })) << format;
    }
}

TEST(DimensionCopies, ACopyKeepsTheLabelButNotTheForcedDisplayAndSwapExchangesTheLabel)
{
    const CUndoSuspender suspender;
    CDimension dimension;
    dimension.SetLabelText("A");
    dimension.SetForcedDisplay(true);
    CEntity* copy = dimension.Clone();
    auto* clone = dynamic_cast<CDimension*>(copy);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetLabelText(), CString("A"));
    EXPECT_FALSE(clone->IsForcedDisplay());

    clone->SetLabelText("B");
    dimension.SwapData(*clone);
    EXPECT_EQ(dimension.GetLabelText(), CString("B"));
    EXPECT_EQ(clone->GetLabelText(), CString("A"));
    EXPECT_EQ(dimension.GetTypeId(), 12);
    EXPECT_FALSE(dimension.CanHaveMaterial());
    delete copy;
}
