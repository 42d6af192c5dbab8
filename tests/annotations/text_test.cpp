#include <gtest/gtest.h>

#include <limits>

#include "annotations/text.h"
#include "model/edge.h"
#include "model/validitylog.h"
#include "model/vertex.h"
#include "tests/annotations/dimensiontestsupport.h"

using namespace dimensiontest;

namespace {

void ReadText(CText& text, const Bytes& bytes, int version, std::initializer_list<CObject*> known = {})
{
    ReadInto(text, bytes, {{"CEntity", 0}, {"CDrawingElement", 0}, {"CText", version}}, known);
}

struct TextFields
{
    std::int32_t kind = CText::kModelLeader;
    std::int32_t arrow = 4;
    std::int32_t sideMode = 2;
    double screenX = 0.25;
};

// A text record of the version. Before version 5 the anchor is the known object 1 at
// (1, 1, 1) and the text point (4, 5, 6); version 5 stores the model leader (3, 3, 3);
// the screen leader is (10, 20, 0) and the scale 2.
Bytes TextRecord(int version, const TextFields& fields = {})
{
    RecordBuilder record;
    record.PlainElement();
    if (version == 0) {
        return record.Build();
    }
    if (version >= 4) {
        record.Reference(0);
    }
    if (version < 5) {
        record.Reference(1);
    }
    record.Double(fields.screenX).Double(0.75);
    if (version < 5) {
        record.Point(1, 1, 1);
    } else {
        record.FreePoint(1, 1, 1);
    }
    record.Point(10, 20, 0);
    if (version < 5) {
        record.Point(4, 5, 6);
    } else if (version == 5) {
        record.Point(3, 3, 3);
    }
    record.Point(0, 1, 0);
    if (version >= 3 && version < 8) {
        record.Double(2.0);
    }
    record.Int(fields.kind).Int(3).Bool(false).Bool(true).Int(fields.arrow);
    if (version >= 2) {
        record.Bool(false);
    }
    record.String("a\\nb");
    if (version >= 8) {
        record.Bool(true);
    }
    if (version >= 9) {
        record.Int(fields.sideMode);
    }
    return record.Build();
}

}  // namespace

TEST(TextRecord, EachVersionReadsItsFieldsAndConvertsItsLeader)
{
    struct Case
    {
        int version;
        std::int32_t kind;
        CVector3d leader;
    };
    const Case cases[] = {
        {1, CText::kModelLeader, CVector3d(3, 4, 5)},     {1, CText::kScreenLeader, CVector3d(10, -20, 0)},
        {2, CText::kScreenLeader, CVector3d(10, -20, 0)}, {3, CText::kScreenLeader, CVector3d(20, -40, 0)},
        {4, CText::kModelLeader, CVector3d(3, 4, 5)},     {5, CText::kModelLeader, CVector3d(3, 3, 3)},
        {6, CText::kScreenLeader, CVector3d(20, -40, 0)}, {7, CText::kScreenLeader, CVector3d(10, 20, 0)},
        {8, CText::kModelLeader, CVector3d(10, 20, 0)},   {9, CText::kScreenLeader, CVector3d(10, 20, 0)},
    };
    const CUndoSuspender suspender;
    CVertex start(CPoint3d(0, 0, 0));
    CVertex end(CPoint3d(2, 0, 0));
    CEdge edge(&start, &end, false);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "version " << c.version << " kind " << c.kind);
        TextFields fields;
        fields.kind = c.kind;
        CText text;
        ReadText(text, TextRecord(c.version, fields), c.version, {&edge});
        EXPECT_EQ(text.GetLeaderVector(), c.leader);
        EXPECT_EQ(text.GetLeaderKind(), c.kind);
        EXPECT_EQ(text.GetAnchorPoint(), c.version < 5 ? CPoint3d(1, 0, 0) : CPoint3d(1, 1, 1));
        EXPECT_EQ(text.GetScreenX(), 0.25);
        EXPECT_EQ(text.GetNormal(), CVector3d(0, 1, 0));
        EXPECT_EQ(text.GetLineWeight(), 3);
        EXPECT_FALSE(text.GetFaceSide());
        EXPECT_FALSE(text.HasFacingTest());
        EXPECT_EQ(text.GetArrow(), 4);
        EXPECT_EQ(text.IsLeaderShown(), c.version < 2);
        EXPECT_EQ(text.GetText(), CString("a\nb"));
        EXPECT_EQ(text.GetExtraFlag(), c.version >= 8);
        EXPECT_EQ(text.GetSideMode(), c.version >= 9 ? CText::kSideLeft : CText::kSideAutomatic);
        EXPECT_EQ(text.GetFont(), nullptr);
        text.OnErased();
    }
}

TEST(TextRecord, AVersionZeroTextHoldsNothingAfterItsElementPart)
{
    const CUndoSuspender suspender;
    CText text;
    ReadText(text, TextRecord(0), 0);
    EXPECT_EQ(text.GetLeaderKind(), CText::kScreenText);
    EXPECT_EQ(text.GetScreenX(), 0.5);
    EXPECT_TRUE(text.GetText().IsEmpty());
}

// Old texts on an element other than an edge or a face once lost their point and hung
// at no point at all.
TEST(TextRecord, AnOldTextOnAnotherElementStaysAtItsPointAsAFreePoint)
{
    const CUndoSuspender suspender;
    CDrawingElement element;
    CText text;
    ReadText(text, TextRecord(4), 4, {&element});
    EXPECT_EQ(text.GetAnchor().GetKind(), CModelPointRef::kFreePoint);
    EXPECT_EQ(text.GetAnchorPoint(), CPoint3d(1, 1, 1));
}

TEST(TextRecord, ValuesOutsideTheirRangesAreMendedOnReading)
{
    const CUndoSuspender suspender;
    TextFields fields;
    fields.kind = 7;
    fields.arrow = -1;
    fields.sideMode = 3;
    fields.screenX = 7.0;
    CText text;
    ReadText(text, TextRecord(9, fields), 9);
    EXPECT_EQ(text.GetLeaderKind(), CText::kScreenText);
    EXPECT_EQ(text.GetArrow(), 0);
    EXPECT_EQ(text.GetSideMode(), CText::kSideAutomatic);
    EXPECT_EQ(text.GetScreenX(), 0.5);
}

TEST(TextRecord, AScreenPositionThatIsNotFiniteReadsAsTheCentreAndALeaderOrScaleIsRefused)
{
    const CUndoSuspender suspender;
    for (const int version : {7, 9}) {
        const Bytes sound = TextRecord(version);
        for (const double bad : entitytest::kNonFinite) {
            for (const double number : {0.25, 0.75}) {
                CText text;
                ReadText(text, entitytest::WithDoubleReplaced(sound, number, bad), version);
                EXPECT_EQ(text.GetScreenX(), number == 0.25 ? 0.5 : 0.25) << number << " as " << bad;
                EXPECT_EQ(text.GetScreenY(), number == 0.75 ? 0.5 : 0.75) << number << " as " << bad;
            }
            for (const double number : {10.0, 20.0, 2.0}) {
                if (number == 2.0 && version == 9) {
                    continue;  // no scale stored
                }
                CText text;
                const Bytes damaged = entitytest::WithDoubleReplaced(sound, number, bad);
                EXPECT_EQ(entitytest::ArchiveReason([&] { ReadText(text, damaged, version); }),
                          entitytest::kNotFiniteReason)
                    << version << ": " << number << " as " << bad;
            }
        }
    }
}

TEST(TextRecord, AFontReferenceToAnObjectThatIsNoFontIsABadClass)
{
    const CUndoSuspender suspender;
    CVertex vertex;
    RecordBuilder record;
    record.PlainElement().Reference(1);
    const Bytes bytes = record.Build();
    CText text;
    EXPECT_EQ(ArchiveCause([&]() { ReadText(text, bytes, 9, {&vertex}); }), CArchiveException::badClass);
}

TEST(TextRecord, EveryFormatWritesTheWholeRecordAndReadsItBack)
{
    const CUndoSuspender suspender;
    CText text;
    text.SetText("two\nlines");
    text.SetAnchor(CModelPointRef(CPoint3d(1, 2, 3)), false);
    text.SetLeaderKindValue(CText::kModelLeader);
    text.SetLeaderVector(4, 5, 6);
    text.SetScreenPosition(0.1, 0.9);
    text.SetArrow(3);
    text.SetLineWeight(2);
    text.SetExtraFlag(true);
    text.SetLeaderShown(false);
    for (const int format : kFormats) {
        EXPECT_TRUE(RoundTrips<CText>(text, format, {}, [](CText& read) {
            EXPECT_EQ(read.GetText(), CString("two\nlines"));
            EXPECT_EQ(read.GetAnchorPoint(), CPoint3d(1, 2, 3));
            EXPECT_EQ(read.GetLeaderVector(), CVector3d(4, 5, 6));
            EXPECT_EQ(read.GetScreenY(), 0.9);
            EXPECT_EQ(read.GetArrow(), 3);
            EXPECT_TRUE(read.GetExtraFlag());
            EXPECT_FALSE(read.IsLeaderShown());
        })) << format;
    }
}

TEST(TextCheck, ValuesOutOfRangeAreReportedInCheckModeAndMendedInRepairMode)
{
    const entitytest::CurrentModel model;
    const CValidityCheckScope scope;
    CText text;
    text.SetArrow(7);
    text.SetScreenPosition(2.0, 0.5);
    EXPECT_EQ(text.CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_EQ(text.GetArrow(), 7);
    EXPECT_EQ(text.CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(text.GetArrow(), 0);
    EXPECT_EQ(text.GetScreenX(), 0.5);
}

TEST(TextCopies, ACopySharesTheFontAndSwapExchangesEveryStoredField)
{
    const CUndoSuspender suspender;
    CText text;
    text.SetText("A");
    text.SetLeaderKindValue(CText::kScreenLeader);
    CEntity* copy = text.Clone();
    auto* clone = dynamic_cast<CText*>(copy);
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->GetText(), CString("A"));
    EXPECT_EQ(clone->GetLeaderKind(), CText::kScreenLeader);

    CText other;
    other.SwapData(*clone);
    EXPECT_EQ(other.GetText(), CString("A"));
    EXPECT_TRUE(other.IsAttached());
    EXPECT_FALSE(clone->IsAttached());
    EXPECT_EQ(other.GetTypeId(), 36);
    delete copy;
}
