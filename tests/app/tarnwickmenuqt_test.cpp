#include "app/tarnwickmenuqt.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "app/glimraapp.h"
#include "apptestsupport.h"
#include "tools/command.h"

namespace {

struct CommandLog
{
    int runs = 0;
    int deletions = 0;
};

// Counts its runs and deletions; its state can change after it was appended.
class LoggingCommand : public CCommand
{
public:
    explicit LoggingCommand(CommandLog& log) : m_log(log) {}
    void Execute() override { ++m_log.runs; }
    [[nodiscard]] int GetState() const override { return state >= 0 ? state : GetFlags(); }

    int state = -1;

protected:
    ~LoggingCommand() override { ++m_log.deletions; }

private:
    CommandLog& m_log;
};

QAction* FindAction(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
    {
        if (action->text() == text)
            return action;
        if (action->menu() != nullptr)
            if (QAction* inner = FindAction(*action->menu(), text))
                return inner;
    }
    return nullptr;
}

// Shows the menu; once it is up, `whileShown` sees it and it closes again.
template <typename Inspect>
bool TrackAndThen(CTarnwickMenu& menu, Inspect whileShown)
{
    QMenu* shown = static_cast<CTarnwickMenuQt&>(menu).GetMenu();
    QTimer::singleShot(0, shown, [shown, whileShown] {
        whileShown(*shown);
        shown->close();
    });
    return menu.Track(20, 20);
}

// Picks the item as a click would.
bool TrackAndPick(CTarnwickMenu& menu, const QString& text)
{
    return TrackAndThen(menu, [text](QMenu& shown) {
        if (QAction* action = FindAction(shown, text))
            action->trigger();
    });
}

class TarnwickMenuQtTest : public ::testing::Test
{
protected:
    void SetUp() override { apptest::PrepareApplication(); }

    // The picked command goes the program's way, through the application.
    CGlimraApp app;
};

TEST_F(TarnwickMenuQtTest, ItemsTakeTheirCommandsStateEachTimeTheMenuOpens)
{
    CommandLog log;
    std::unique_ptr<CTarnwickMenuQt> menu = CTarnwickMenuQt::Create();
    menu->AppendItem(CString("Plain"), new LoggingCommand(log));
    menu->AppendItem(CString("Grayed"), new LoggingCommand(log), kMenuItemGrayed);
    menu->AppendItem(CString("Checked"), new LoggingCommand(log), kMenuItemChecked);
    menu->AppendSeparator();
    std::unique_ptr<CTarnwickMenu> submenu = menu->AppendSubmenu(CString("More"));
    auto* changing = new LoggingCommand(log);
    submenu->AppendItem(CString("Changing"), changing, kMenuItemChecked);
    changing->state = kMenuItemGrayed;
    submenu.reset();

    struct Seen
    {
        bool enabled = false;
        bool checked = false;
    };
    std::map<QString, Seen> seen;
    ASSERT_TRUE(TrackAndThen(*menu, [&seen](QMenu& shown) {
        QAction* more = FindAction(shown, QStringLiteral("More"));
        ASSERT_NE(more, nullptr);
        more->menu()->popup(QPoint(40, 40));
        for (const char* text : {"Plain", "Grayed", "Checked", "Changing"})
            if (const QAction* action = FindAction(shown, QString::fromLatin1(text)))
                seen[QString::fromLatin1(text)] = {action->isEnabled(), action->isChecked()};
        more->menu()->close();
    }));

    const std::map<QString, std::pair<bool, bool>> expected{{QStringLiteral("Plain"), {true, false}},
                                                            {QStringLiteral("Grayed"), {false, false}},
                                                            {QStringLiteral("Checked"), {true, true}},
                                                            {QStringLiteral("Changing"), {false, false}}};
    ASSERT_EQ(seen.size(), expected.size());
    for (const auto& [text, state] : expected)
    {
        EXPECT_EQ(seen[text].enabled, state.first) << text.toStdString();
        EXPECT_EQ(seen[text].checked, state.second) << text.toStdString();
    }
    EXPECT_EQ(menu->GetMenu()->actions().size(), 5);
    menu.reset();
    EXPECT_EQ(log.deletions, 4);
    EXPECT_EQ(log.runs, 0);
}

TEST_F(TarnwickMenuQtTest, APickedItemsCommandRunsAfterTheMenuClosedAndIsThenLetGo)
{
    // Menus used to keep every item's command and never give its id back.
    CommandLog log;
    std::set<int> ids;
    std::unique_ptr<CTarnwickMenuQt> menu = CTarnwickMenuQt::Create();
    for (const char* text : {"Orbit", "Pan"})
    {
        auto* command = new LoggingCommand(log);
        ids.insert(command->GetId());
        menu->AppendItem(CString(text), command);
    }
    std::unique_ptr<CTarnwickMenu> submenu = menu->AppendSubmenu(CString("More"));
    auto* walk = new LoggingCommand(log);
    ids.insert(walk->GetId());
    submenu->AppendItem(CString("Walk"), walk);

    ASSERT_TRUE(TrackAndPick(*menu, QStringLiteral("Walk")));
    EXPECT_EQ(log.runs, 0);
    menu.reset();
    EXPECT_EQ(log.deletions, 2);
    EXPECT_TRUE(IsRegisteredCommandId(walk->GetId()));

    apptest::ProcessEvents();
    EXPECT_EQ(log.runs, 1);
    EXPECT_EQ(log.deletions, 3);
    std::set<int> reused;
    std::vector<CCommand*> next;
    for (int i = 0; i < 3; ++i)
    {
        next.push_back(new CCommand);
        reused.insert(next.back()->GetId());
    }
    EXPECT_EQ(reused, ids);
    for (CCommand* command : next)
        command->Release();
}

TEST_F(TarnwickMenuQtTest, AThousandMenusKeepReusingTheirIdsAndEveryPickedItemRuns)
{
    // After a few hundred menus, picked items used to do nothing.
    CommandLog log;
    // Ids other tests of this process still hold are taken already; the menus' ids must
    // not climb past those of the first few rounds.
    int firstId = 0;
    int earlyHighestId = 0;
    int highestId = 0;
    for (int round = 0; round < 1000; ++round)
    {
        std::unique_ptr<CTarnwickMenuQt> menu = CTarnwickMenuQt::Create();
        menu->AppendItem(CString("Orbit"), new LoggingCommand(log));
        menu->AppendItem(CString("Pan"), new LoggingCommand(log), kMenuItemChecked);
        auto* zoom = new LoggingCommand(log);
        highestId = std::max(highestId, zoom->GetId());
        if (round == 0)
            firstId = zoom->GetId();
        if (round < 10)
            earlyHighestId = highestId;
        menu->AppendSubmenu(CString("More"))->AppendItem(CString("Zoom"), zoom);
        ASSERT_TRUE(TrackAndPick(*menu, round % 2 == 0 ? QStringLiteral("Zoom") : QStringLiteral("Pan")));
        menu.reset();
        apptest::ProcessEvents();
    }
    EXPECT_EQ(log.runs, 1000);
    EXPECT_EQ(log.deletions, 3000);
    EXPECT_EQ(highestId, earlyHighestId);
    EXPECT_LT(highestId, firstId + 10);
}

}  // namespace
