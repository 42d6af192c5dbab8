#include <gtest/gtest.h>

#include "document/classregistration.h"
#include "document/tarnwickpage.h"
#include "document/viewpage.h"
#include "platform/archive.h"
#include "tests/document/pagetestsupport.h"

using pagetest::Load;
using pagetest::RecordBuilder;

namespace {

class TarnwickPageTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }
};

}  // namespace

TEST_F(TarnwickPageTest, TabsShowTheNameAndTooltipsTheDescriptionOrElseTheName)
{
    struct Case
    {
        bool included;
        const char* description;
        const char* tab;
        const char* tooltip;
    };
    for (const Case& c : {Case{true, "", "Hall", "Hall"}, Case{true, "The entrance", "Hall", "The entrance"},
                          Case{false, "", "(Hall)", "Hall"}}) {
        CViewPage page("Hall", c.description, 0);
        page.SetIncludedInAnimation(c.included);
        EXPECT_EQ(page.GetTabText(), CString(c.tab));
        EXPECT_EQ(page.GetTooltipText(), CString(c.tooltip));
    }
}

TEST_F(TarnwickPageTest, ActivatingPostsActivatePageUnlessPageNotificationsAreSuppressed)
{
    settingstest::Recorder activations(kActivatePageNotification);
    activations.TakeNoWord();
    CTarnwickPage page("p", "");
    page.Activate();
    const bool previous = SuppressPageNotifications(true);
    page.Activate();
    EXPECT_TRUE(SuppressPageNotifications(previous));
    ASSERT_EQ(activations.pointers.size(), 1u);
    EXPECT_EQ(activations.pointers[0], &page);
}

TEST_F(TarnwickPageTest, AFileWithoutEntityVersionsHoldsOnlyTheTwoTexts)
{
    RecordBuilder record;
    record.String("Old").String("from an early file");
    CTarnwickPage page;
    settingstest::ReadAll(record.Get(), {{"CTarnwickPage", 1}}, [&](CArchive& ar) { page.Serialize(ar); });
    EXPECT_EQ(page.GetName(), CString("Old"));
    EXPECT_EQ(page.GetDescription(), CString("from an early file"));
}

TEST_F(TarnwickPageTest, APageWithoutAModelListensToNothing)
{
    CViewPage page("free", "", 0);
    page.SetPageList(nullptr);
    EXPECT_FALSE(page.IsListening());
    EXPECT_EQ(page.GetIndex(), -1);
}
