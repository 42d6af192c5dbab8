#include "tools/tarnwickmenu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/command.h"

namespace {

// Writes its items down and keeps their commands, as a platform menu does.
class RecordingMenu : public CTarnwickMenu
{
public:
    ~RecordingMenu() override
    {
        for (CCommand* command : commands)
            ReleaseCommandId(command->GetId());
    }

    std::vector<std::string> texts;
    std::vector<CCommand*> commands;

protected:
    bool InsertItem(const CString& text, CCommand& command) override
    {
        texts.push_back(text.ToUtf8());
        commands.push_back(&command);
        return true;
    }
};

class DeletionCounter : public CCommand
{
public:
    explicit DeletionCounter(int& deletions) : m_deletions(deletions) {}

protected:
    ~DeletionCounter() override { ++m_deletions; }

private:
    int& m_deletions;
};

TEST(TarnwickMenu, AppendingStoresTheFlagsAndTheAssociatedIdInTheItemsCommand)
{
    RecordingMenu menu;
    int calls = 0;
    menu.AppendCallbackItem(CString("&Orbit"), [&calls] { ++calls; }, kMenuItemChecked, 10508);
    menu.AppendItem(CString("Zoom &Extents"), new CCommand, kMenuItemGrayed);
    menu.AppendItem(CString("nothing"), nullptr);

    ASSERT_EQ(menu.commands.size(), 2U);
    EXPECT_EQ(menu.texts, (std::vector<std::string>{"&Orbit", "Zoom &Extents"}));
    EXPECT_EQ(menu.commands[0]->GetState(), kMenuItemChecked);
    EXPECT_EQ(menu.commands[0]->GetAssociatedId(), 10508);
    EXPECT_EQ(menu.commands[1]->GetState(), kMenuItemGrayed);
    EXPECT_EQ(menu.commands[1]->GetAssociatedId(), 0);
    FindAndExecuteCommand(menu.commands[0]->GetId());
    EXPECT_EQ(calls, 1);
}

TEST(TarnwickMenu, WithoutPlatformMenusAMenuStaysEmptyAndLetsGoOfEveryCommandAtOnce)
{
    SetPlatformMenuFactory({});
    for (const int flag : {0, 1})
    {
        std::unique_ptr<CTarnwickMenu> menu = CreatePlatformMenu(flag);
        ASSERT_NE(menu, nullptr);
        int deletions = 0;
        menu->AppendItem(CString("Pan"), new DeletionCounter(deletions));
        auto* held = new DeletionCounter(deletions);
        held->AddRef();
        menu->AppendItem(CString("Walk"), held);
        EXPECT_EQ(deletions, 1);
        EXPECT_EQ(held->Release(), 0);
        EXPECT_EQ(deletions, 2);
        EXPECT_EQ(menu->AppendSubmenu(CString("More")), nullptr);
        EXPECT_FALSE(menu->Track(10, 10));
    }
}

TEST(TarnwickMenu, PlatformMenusComeFromTheInstalledFactoryForFlagZeroOnly)
{
    int made = 0;
    SetPlatformMenuFactory([&made] {
        ++made;
        return std::make_unique<RecordingMenu>();
    });
    EXPECT_NE(dynamic_cast<RecordingMenu*>(CreatePlatformMenu().get()), nullptr);
    EXPECT_EQ(dynamic_cast<RecordingMenu*>(CreatePlatformMenu(1).get()), nullptr);
    EXPECT_EQ(made, 1);
    SetPlatformMenuFactory({});
}

}  // namespace
