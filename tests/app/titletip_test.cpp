#include "app/titletip.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include "apptestsupport.h"

namespace {

std::vector<CString> Lines(std::initializer_list<const char*> texts)
{
    std::vector<CString> lines;
    for (const char* text : texts)
        lines.emplace_back(text);
    return lines;
}

TEST(TitleTipTest, TheTextSplitsIntoLinesAtLineFeedsWithoutAnEmptyLastLine)
{
    EXPECT_EQ(SplitTipLines(CString("Orbit\nPan")), Lines({"Orbit", "Pan"}));
    EXPECT_EQ(SplitTipLines(CString("Orbit\n")), Lines({"Orbit"}));
    EXPECT_EQ(SplitTipLines(CString("a\n\nb")), Lines({"a", "", "b"}));
    EXPECT_TRUE(SplitTipLines(CString()).empty());
}

TEST(TitleTipTest, ATipNearTheRightOrBottomEdgeShowsOnTheOtherSideOfThePoint)
{
    const struct
    {
        CPoint at;
        CRect expected;
    } cases[] = {{{100, 100}, {100, 100, 166, 134}},
                 {{1900, 100}, {1824, 100, 1890, 134}},
                 {{100, 1060}, {100, 1026, 166, 1060}}};
    for (const auto& c : cases)
        EXPECT_EQ(PlaceTip(c.at, 60, 15, 2, CPoint{5, 0}, 2, 1920, 1080), c.expected) << c.at.x << "," << c.at.y;
}

TEST(TitleTipTest, TheTipShowsOnlyWhileItsOwnerHasTheFocusAndAKeyHidesIt)
{
    apptest::PrepareApplication();
    QWidget owner;
    owner.resize(200, 100);
    owner.setFocusPolicy(Qt::StrongFocus);
    owner.show();
    CTitleTip tip;
    ASSERT_TRUE(tip.Create(&owner));
    tip.SetText(CString("Orbit"));
    tip.ShowAt(CPoint{10, 10});
    EXPECT_FALSE(tip.isVisible());

    QApplication::setActiveWindow(&owner);
    owner.setFocus();
    tip.ShowAt(CPoint{10, 10});
    EXPECT_TRUE(tip.isVisible());
    EXPECT_TRUE(tip.IsPending());
    QTest::keyClick(&owner, Qt::Key_Shift);
    EXPECT_FALSE(tip.isVisible());
    EXPECT_FALSE(tip.IsPending());
    EXPECT_TRUE(tip.GetText().IsEmpty());
}

}  // namespace
