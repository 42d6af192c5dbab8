#include "platform/ui/commandtable.h"

#include <gtest/gtest.h>

#include <QIcon>
#include <QPixmap>

#include <QAction>

#include "platform/ui/document.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/view.h"
#include "platform/ui/winapp.h"
#include "uitestsupport.h"

namespace {

using uitest::EnsureQtApplication;

// Each target writes its name into the log when it handles a command.
struct Log
{
    std::vector<std::string> entries;
};

void AddLoggingRow(CCmdTarget& target, UINT id, Log& log, const std::string& name)
{
    target.GetCommands().Add(id, CString(name), [&log, name] { log.entries.push_back(name); });
}

TEST(CommandTableTest, RunsTheFirstRowThatCoversTheIdAndAnswersFalseForOthers)
{
    CCommandTable table;
    std::vector<UINT> ran;
    table.Add(10, CString("Ten"), [&] { ran.push_back(10); });
    table.AddRange(100, 110, [&](UINT id) { ran.push_back(id); });
    table.Add(105, CString("Shadowed"), [&] { ran.push_back(0); });

    EXPECT_TRUE(table.Execute(10));
    EXPECT_TRUE(table.Execute(105));
    EXPECT_FALSE(table.Execute(111));
    EXPECT_EQ(ran, (std::vector<UINT>{10, 105}));
}

TEST(CommandTableTest, UpdateRulesFillTheCommandStateAndRowsWithoutOneLeaveItEnabled)
{
    CCommandTable table;
    table.Add(1, CString("Checked"), [] {}, [](CCmdUI& ui) {
        ui.SetCheck(1);
        ui.Enable(false);
        ui.SetText(CString("Renamed"));
    });
    table.Add(2, CString("Plain"), [] {});
    table.AddUpdate(3, [](CCmdUI& ui) { ui.Enable(false); });

    CCmdUI first(1);
    ASSERT_TRUE(table.Update(first));
    EXPECT_TRUE(first.IsChecked());
    EXPECT_FALSE(first.IsEnabled());
    EXPECT_EQ(first.GetText(), CString("Renamed"));

    CCmdUI second(2);
    ASSERT_TRUE(table.Update(second));
    EXPECT_TRUE(second.IsEnabled());
    EXPECT_FALSE(second.HasText());

    CCmdUI third(3);
    EXPECT_TRUE(table.Update(third));
    EXPECT_FALSE(third.IsEnabled());
    EXPECT_FALSE(third.IsChecked());

    CCmdUI missing(4);
    EXPECT_FALSE(table.Update(missing));
}

class CommandRoutingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureQtApplication();
        ASSERT_TRUE(frame.LoadFrame());
        document.AddView(&view);
        frame.SetActiveView(&view);
    }
    void TearDown() override { document.RemoveView(&view); }

    Log log;
    CWinApp app{CString("RoutingTest")};
    CFrameWnd frame;
    CDocument document;
    CView view;
};

TEST_F(CommandRoutingTest, ACommandGoesToTheViewThenItsDocumentThenTheFrameThenTheApplication)
{
    AddLoggingRow(app, 1, log, "app");
    AddLoggingRow(frame, 1, log, "frame");
    AddLoggingRow(frame, 2, log, "frame");
    AddLoggingRow(document, 1, log, "document");
    AddLoggingRow(document, 2, log, "document");
    AddLoggingRow(document, 3, log, "document");
    AddLoggingRow(view, 1, log, "view");
    AddLoggingRow(app, 4, log, "app");

    for (UINT id : {1u, 2u, 3u, 4u})
        EXPECT_TRUE(frame.SendCommand(id)) << id;
    EXPECT_FALSE(frame.SendCommand(5));
    EXPECT_EQ(log.entries, (std::vector<std::string>{"view", "document", "document", "app"}));
}

TEST_F(CommandRoutingTest, TheIdleUpdateGreysCommandsNobodyHandlesAndAppliesUpdateRules)
{
    bool checked = false;
    frame.GetCommands().Add(7, CString("Seven"), [] {}, [&](CCmdUI& ui) { ui.SetCheck(checked ? 1 : 0); });
    QAction* handled = frame.GetAction(7);
    QAction* orphan = frame.GetAction(8);

    frame.UpdateCommandUI();
    EXPECT_TRUE(handled->isEnabled());
    EXPECT_FALSE(handled->isChecked());
    EXPECT_FALSE(orphan->isEnabled());

    checked = true;
    frame.UpdateCommandUI();
    EXPECT_TRUE(handled->isChecked());
    EXPECT_EQ(handled->text(), QStringLiteral("Seven"));

    // Pins a fault: an item with a picture, once checked, showed an empty box in place of
    // its picture for good.
    QPixmap picture(16, 16);
    picture.fill(Qt::red);
    handled->setIcon(QIcon(picture));
    checked = false;
    frame.UpdateCommandUI();
    EXPECT_FALSE(handled->isCheckable());
    EXPECT_TRUE(handled->isIconVisibleInMenu());
}

TEST_F(CommandRoutingTest, ChoosingAnActionSendsItsCommandAndAPostedCommandRunsOnceTheLoopRuns)
{
    AddLoggingRow(frame, 9, log, "nine");
    frame.GetAction(9)->trigger();
    EXPECT_EQ(log.entries.size(), 1u);

    frame.PostCommand(9);
    EXPECT_EQ(log.entries.size(), 1u);
    uitest::ProcessEvents();
    EXPECT_EQ(log.entries.size(), 2u);
}

}  // namespace
