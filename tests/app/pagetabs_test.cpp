#include "app/pagetabs.h"

#include <gtest/gtest.h>

#include <QTabBar>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/glimraapp.h"
#include "app/glimraview.h"
#include "app/mainframe.h"
#include "app/resourceids.h"
#include "animationsupport.h"
#include "apptestsupport.h"
#include "document/pagelist.h"
#include "document/viewpage.h"
#include "samplefiles.h"

namespace {

class PageTabsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        apptest::PrepareApplication();
        (void)apptest::Samples();
        ASSERT_TRUE(frame.LoadFrame());
        model = new CTarnwickModel;
    }
    void TearDown() override { model->Release(); }

    CString TabText(int index) const
    {
        return CString::FromUtf8(tabs().GetTabControl()->tabText(index).toStdString());
    }
    CPageTabs& tabs() const { return const_cast<CMainFrame&>(frame).GetPageTabs(); }
    CViewPage* AddPage(const char* name, int index)
    {
        auto* page = new CViewPage(CString(name), CString("tip of ") + CString(name), CViewPage::kCamera);
        model->GetPageList()->AddPage(page, index);
        return page;
    }
    static void Post(std::int32_t kind, CTarnwickPage* page)
    {
        PageNotificationData record{kind, page};
        GetNotificationCenter().Post(kPageNotification, &record);
    }

    apptest::MemorySettings settings;
    CMainFrame frame;
    CTarnwickModel* model = nullptr;
};

TEST_F(PageTabsTest, TabsFollowThePageNotificationsOfEveryKind)
{
    CViewPage* first = AddPage("First", -1);
    CViewPage* second = AddPage("Second", 0);
    ASSERT_EQ(tabs().GetTabCount(), 2);
    EXPECT_EQ(TabText(0), CString("Second"));
    EXPECT_EQ(tabs().GetCurrentTab(), 0);

    model->GetPageList()->SetSelectedPage(first);
    EXPECT_EQ(tabs().GetCurrentTab(), 1);
    Post(3, nullptr);
    EXPECT_EQ(tabs().GetCurrentTab(), -1);

    first->SetName(CString("Renamed"));
    Post(4, first);
    EXPECT_EQ(TabText(1), CString("Renamed"));

    // Moving a tab to its own index changes nothing; a new index keeps one current tab.
    EXPECT_EQ(tabs().MoveTab(1, 1), 1);
    EXPECT_EQ(tabs().MoveTab(1, 0), 0);
    EXPECT_EQ(tabs().GetTabInfo(0), static_cast<ITabInfo*>(first));
    EXPECT_EQ(tabs().GetCurrentTab(), 0);

    Post(1, second);
    EXPECT_EQ(tabs().GetTabCount(), 1);
    EXPECT_EQ(tabs().FindTab(second), -1);
    Post(99, first);
    EXPECT_EQ(tabs().GetTabCount(), 1);

    model->GetPageList()->Clear();
    EXPECT_EQ(tabs().GetTabCount(), 0);
    EXPECT_EQ(tabs().GetCurrentTab(), -1);
    CCmdUI ui(ID_VIEW_PAGE_TABS);
    ASSERT_TRUE(frame.OnCmdMsg(ID_VIEW_PAGE_TABS, &ui));
    EXPECT_FALSE(ui.IsEnabled());
}

TEST_F(PageTabsTest, AddingBeyondTheLastTabAppendsAndTipsAreCutTo79Characters)
{
    AddPage("One", -1);
    CViewPage* page = new CViewPage(CString("Two"), CString(std::string(120, 'd').c_str()), 0);
    EXPECT_EQ(tabs().InsertTab(page, 40), 1);
    EXPECT_EQ(tabs().GetCurrentTab(), 1);
    EXPECT_EQ(tabs().GetTabControl()->tabToolTip(1).size(), CTabBar::kMaxTipLength);
    EXPECT_EQ(tabs().SelectTab(-1), 1);
    tabs().DeleteAllTabs();
    delete page;
}

TEST_F(PageTabsTest, ThousandsOfPagesAreRebuiltAndClearedWithEveryTabInOrder)
{
    // Each tab added or removed once laid every other tab out again.
    constexpr int kPages = 3000;
    for (int i = 0; i < kPages; ++i)
        model->GetPageList()->AddPage(new CViewPage(CString::FromUtf8("Page " + std::to_string(i)), CString(), 0), -1);
    model->GetPageList()->SetSelectedPage(model->GetPageList()->GetPage(2500));
    frame.ShowPageTabs(true);
    tabs().Rebuild(model->GetPageList());
    ASSERT_EQ(tabs().GetTabCount(), kPages);
    for (const int i : {0, 1500, kPages - 1})
    {
        EXPECT_EQ(TabText(i), CString::FromUtf8("Page " + std::to_string(i)));
        EXPECT_EQ(tabs().GetTabInfo(i), static_cast<ITabInfo*>(model->GetPageList()->GetPage(i)));
        EXPECT_TRUE(tabs().GetTabControl()->isTabVisible(i));
    }
    EXPECT_EQ(tabs().GetCurrentTab(), 2500);
    EXPECT_EQ(tabs().GetTabControl()->currentIndex(), 2500);

    model->GetPageList()->Clear();
    EXPECT_EQ(tabs().GetTabCount(), 0);
    EXPECT_EQ(tabs().GetCurrentTab(), -1);
}

TEST(PageTabClick, AClickOnATabShowsThatPageAndSelectsItsTab)
{
    apptest::PrepareApplication();
    apptest::MemorySettings settings;
    apptest::MessageBoxRecorder boxes;
    const auto dataHome = std::filesystem::temp_directory_path() / ("glimra-tabs-" + std::to_string(::getpid()));
    setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
    CGlimraApp app;
    app.SetArguments({CString("glimra"), CString::FromUtf8(apptest::Samples().Path("house-5000.twk"))});
    ASSERT_TRUE(app.InitInstance());
    CPageTabs& tabs = app.GetMainFrame()->GetPageTabs();
    CPageList& pages = *app.GetActiveGlimraView()->GetModel()->GetPageList();

    emit tabs.GetTabControl()->tabBarClicked(1);
    EXPECT_EQ(pages.GetSelectedPage(), pages.GetPage(1));
    EXPECT_EQ(tabs.GetCurrentTab(), 1);
    apptest::RunAnimationToEnd(*app.GetActiveGlimraView());
    const auto* aerial = dynamic_cast<CViewPage*>(pages.GetPage(1));
    EXPECT_TRUE(app.GetActiveGlimraView()->GetViewDefinition().GetCamera().IsEqual(aerial->GetCamera()));
    EXPECT_TRUE(app.GetActiveGlimraView()->GetModel()->GetCamera().IsEqual(aerial->GetCamera()));
    app.ExitInstance();
    unsetenv("XDG_DATA_HOME");
    std::filesystem::remove_all(dataHome);
}

}  // namespace
