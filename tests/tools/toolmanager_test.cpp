#include "tools/toolmanager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/tarnisview.h"
#include "tools/tool.h"
#include "toolstestsupport.h"

namespace {

// Writes down what reaches it; what it answers is set by the test.
class CRecordingTool : public CTool
{
public:
    explicit CRecordingTool(std::vector<std::string>& log, bool* deleted = nullptr) : m_log(log), m_deleted(deleted) {}
    ~CRecordingTool() override
    {
        if (m_deleted != nullptr)
            *m_deleted = true;
    }

    void OnLButtonDown(unsigned flags, int x, int y, ITarnisView* view) override
    {
        Mouse("down", flags, x, y);
        if (popOnPress)
            GetManager()->PopTool();
    }
    void OnLButtonUp(unsigned flags, int x, int y, ITarnisView*) override { Mouse("up", flags, x, y); }
    void OnRButtonDown(unsigned flags, int x, int y, ITarnisView*) override { Mouse("right", flags, x, y); }
    void OnMouseMove(unsigned flags, int x, int y, ITarnisView*) override { Mouse("move", flags, x, y); }
    bool OnContextMenu(unsigned flags, int x, int y, ITarnisView*) override
    {
        Mouse("menu", flags, x, y);
        return showsMenu;
    }
    bool OnKeyUp(unsigned code, unsigned, unsigned, ITarnisView*) override
    {
        m_log.push_back("key " + std::to_string(code));
        return false;
    }
    bool PopOnCancel() const override { return popsOnCancel; }
    bool CanSuspend() const override { return canSuspend; }
    bool ReplacesTool(const CTool*) const override { return replaceable; }
    void Suspend() override
    {
        m_log.push_back("suspend");
        CTool::Suspend();
    }
    void Resume() override
    {
        m_log.push_back("resume");
        CTool::Resume();
    }
    void OnDeactivate() override
    {
        m_log.push_back("deactivate");
        CTool::OnDeactivate();
    }

    bool popOnPress = false;
    bool showsMenu = false;
    bool popsOnCancel = false;
    bool canSuspend = true;
    bool replaceable = false;

private:
    void Mouse(const char* what, unsigned flags, int x, int y)
    {
        m_log.push_back(std::string(what) + " " + std::to_string(flags) + " " + std::to_string(x) + "," +
                        std::to_string(y));
    }

    std::vector<std::string>& m_log;
    bool* m_deleted;
};

// The kinds and tools of every "Tool Notification".
class CToolNotificationLog : public IObserver
{
public:
    CToolNotificationLog() { GetNotificationCenter().AddObserver(kToolNotification, this); }
    ~CToolNotificationLog() override { GetNotificationCenter().RemoveObserver(this); }
    void OnNotify(const std::string&, void* data) override
    {
        const auto* record = static_cast<CToolNotification*>(data);
        posts.emplace_back(record->kind, record->tool);
    }
    std::vector<std::pair<int, CTool*>> posts;
};

class ToolManagerTest : public ::testing::Test
{
protected:
    CRecordingHost host;
    CTarnisView view;
    std::vector<std::string> log;
    CToolNotificationLog notifications;
    CToolManager tools;
};

TEST_F(ToolManagerTest, InputReachesTheActiveToolWithItsFlagsAndALeftReleaseWithoutItsPressIsDropped)
{
    auto* tool = new CRecordingTool(log);
    ASSERT_TRUE(tools.SelectTool(tool, 77, false));
    tools.OnLButtonUp(kMouseAlt, 1, 2, &view);
    tools.OnMouseMove(kMouseLeft | kMouseAlt, 3, 4, &view);
    tools.OnLButtonDown(kMouseLeft | kMouseShift, 5, 6, &view);
    tools.OnMouseMove(kMouseLeft, 7, 8, &view);
    tools.OnLButtonUp(0, 9, 10, &view);
    tools.OnMouseMove(kMouseLeft, 11, 12, nullptr);
    tool->showsMenu = true;
    tools.OnRButtonDown(kMouseRight, 13, 14, &view);
    tool->showsMenu = false;
    tools.OnRButtonDown(kMouseRight, 15, 16, &view);

    const std::vector<std::string> expected = {"move 32 3,4", "down 5 5,6",     "move 1 7,8",
                                               "up 0 9,10",   "menu 2 13,14",   "menu 2 15,16",
                                               "right 2 15,16"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(tools.GetActiveToolId(), 77);
    EXPECT_EQ(tool->GetMouseFlags(), kMouseRight);
}

// A window 100 pixels from the screen's left edge and 50 from its top.
class COffsetView : public CTarnisView
{
public:
    void ScreenToClient(CPoint2d& point) const override { point = CPoint2d(point.x - 100, point.y - 50); }
};

TEST_F(ToolManagerTest, TheContextMenuKeyOffersTheMenuAtThePointerAndGoesOnToTheToolWhenNoneShows)
{
    auto* tool = new CRecordingTool(log);
    tools.SelectTool(tool, 1, false);
    COffsetView window;
    host.pointer = CPoint2d(130, 70);
    tool->showsMenu = true;
    EXPECT_TRUE(tools.OnKeyUp(kContextMenuKey, 1, 0, &window));
    tool->showsMenu = false;
    EXPECT_FALSE(tools.OnKeyUp(kContextMenuKey, 1, 0, &window));
    EXPECT_FALSE(tools.OnKeyUp(kContextMenuKey, 1, 0, nullptr));
    // The tool keeps the fixture's view, which outlives the manager, not the window.
    EXPECT_FALSE(tools.OnKeyUp(65, 1, 0, &view));

    const std::vector<std::string> expected = {"menu 0 30,20", "menu 0 30,20", "key 93", "key 65"};
    EXPECT_EQ(log, expected);
}

TEST_F(ToolManagerTest, AToolThatPopsItselfInItsHandlerLivesUntilTheNextInputEvent)
{
    bool deleted = false;
    auto* tool = new CRecordingTool(log, &deleted);
    tool->popOnPress = true;
    tools.SelectTool(tool, 1, false);
    tools.OnLButtonDown(kMouseLeft, 0, 0, &view);

    EXPECT_FALSE(deleted);
    EXPECT_EQ(tools.GetActiveTool(), nullptr);
    EXPECT_EQ(notifications.posts.back(), std::make_pair(CToolNotification::kSelectedOrPopped, (CTool*)nullptr));
    tools.OnMouseMove(0, 1, 1, &view);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(tools.PopTool());
}

TEST_F(ToolManagerTest, ATemporaryToolSuspendsTheActiveOneWhichGetsItsValueBoxBackAndReplaceTakesItsPlace)
{
    auto* first = new CRecordingTool(log);
    first->replaceable = true;
    tools.SelectTool(first, 1, false);
    first->SetValueBoxActive(true);
    tools.SelectTool(new CRecordingTool(log), 2, false);
    EXPECT_FALSE(host.valueBox);
    EXPECT_EQ(tools.GetToolCount(), 2);
    EXPECT_TRUE(tools.IsToolOnStack(1));
    EXPECT_FALSE(tools.IsActiveTool(1));

    EXPECT_TRUE(tools.PopTool());
    EXPECT_EQ(tools.GetActiveTool(), first);
    EXPECT_TRUE(host.valueBox);

    tools.SelectTool(new CRecordingTool(log), 3, true);
    EXPECT_EQ(tools.GetToolCount(), 1);
    EXPECT_TRUE(tools.IsActiveTool(3));
    const std::vector<std::string> expected = {"suspend", "deactivate", "resume", "deactivate"};
    EXPECT_EQ(log, expected);
}

TEST_F(ToolManagerTest, EscPopsAToolThatAsksForItAndAToolThatCannotBeSuspendedRefusesOthers)
{
    auto* stubborn = new CRecordingTool(log);
    stubborn->canSuspend = false;
    tools.SelectTool(stubborn, 1, false);
    bool refusedDeleted = false;
    EXPECT_FALSE(tools.SelectTool(new CRecordingTool(log, &refusedDeleted), 2, true));
    EXPECT_EQ(tools.GetActiveTool(), stubborn);
    tools.OnCancel(0, &view);
    EXPECT_TRUE(refusedDeleted);
    EXPECT_EQ(tools.GetActiveTool(), stubborn);

    stubborn->popsOnCancel = true;
    tools.OnCancel(1, &view);
    EXPECT_EQ(tools.GetActiveTool(), stubborn);
    tools.OnCancel(0, &view);
    EXPECT_EQ(tools.GetActiveTool(), nullptr);

    notifications.posts.clear();
    tools.Reset(false, nullptr);
    EXPECT_TRUE(notifications.posts.empty());
    tools.Reset(true, nullptr);
    EXPECT_EQ(notifications.posts.back(), std::make_pair(CToolNotification::kReset, (CTool*)nullptr));
}

}  // namespace
