#include <gtest/gtest.h>

#include <algorithm>

#include "annotations/dimension.h"
#include "annotations/dimensionlinear.h"
#include "annotations/text.h"
#include "foundation/transformation.h"
#include "model/undosuspender.h"
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

TEST(AnnotationExtents, DimensionsAndTextsHoldThePointsTheyAreDrawnFromMovedByTheTransformation)
{
    const CUndoSuspender suspender;
    CDimensionLinear dimension;
    dimension.SetPoints(CModelPointRef(CPoint3d(-6, -4, 0)), CModelPointRef(CPoint3d(6, -4, 1)));
    dimension.SetOffset(-2.0);
    CText modelLeader;
    modelLeader.SetAnchor(CModelPointRef(CPoint3d(2, 2, 0)), true);
    modelLeader.SetLeaderKindValue(CText::kModelLeader);
    modelLeader.SetLeaderVector(4, 4, 0);
    CText screenLeader;
    screenLeader.SetAnchor(CModelPointRef(CPoint3d(2, 2, 0)), true);
    screenLeader.SetLeaderKindValue(CText::kScreenLeader);
    screenLeader.SetLeaderVector(40, 40, 0);
    const CText screenText;
    struct Case
    {
        const char* name;
        const CDrawingElement& element;
        bool empty;
        CPoint3d low;
        CPoint3d high;
    };
    const Case cases[] = {
        {"the dimension's lines and points", dimension, false, CPoint3d(4, -6, 0), CPoint3d(16, -4, 1)},
        {"a model leader's anchor and text point", modelLeader, false, CPoint3d(12, 2, 0), CPoint3d(16, 6, 0)},
        {"a screen leader's anchor", screenLeader, false, CPoint3d(12, 2, 0), CPoint3d(12, 2, 0)},
        {"nothing of a screen text", screenText, true, {}, {}},
    };
    CTransformation shift;
    shift.SetTranslation(CVector3d(10, 0, 0));
    for (const Case& c : cases) {
        CBoundingBox3d box;
        c.element.AccumulateExtents(shift, box);
        ASSERT_EQ(box.IsEmpty(), c.empty) << c.name;
        if (!c.empty) {
            EXPECT_NEAR((box.GetCorner(0) - c.low).GetLength(), 0.0, 1e-9) << c.name;
            EXPECT_NEAR((box.GetCorner(7) - c.high).GetLength(), 0.0, 1e-9) << c.name;
        }
    }
}
