#include "tools/command.h"

#include <gtest/gtest.h>

#include "tools/commandfunction.h"

namespace {

// Counts its runs and tells when it is deleted.
class CountingCommand : public CCommand
{
public:
    CountingCommand(int& runs, bool& deleted) : m_runs(runs), m_deleted(deleted) {}
    void Execute() override { ++m_runs; }

protected:
    ~CountingCommand() override { m_deleted = true; }

private:
    int& m_runs;
    bool& m_deleted;
};

TEST(CommandRegistry, IdsStartAt50000AndFreedIdsAreTakenAgainLastFreedFirst)
{
    CCommand* first = new CCommand;
    CCommand* second = new CCommand;
    CCommand* third = new CCommand;
    EXPECT_EQ(first->GetId(), kFirstMenuCommandId);
    EXPECT_EQ(second->GetId(), kFirstMenuCommandId + 1);
    EXPECT_EQ(third->GetId(), kFirstMenuCommandId + 2);

    EXPECT_EQ(ReleaseCommandId(kFirstMenuCommandId), 0);
    EXPECT_EQ(ReleaseCommandId(kFirstMenuCommandId + 1), 0);
    EXPECT_FALSE(IsRegisteredCommandId(kFirstMenuCommandId));
    EXPECT_EQ(ReleaseCommandId(kFirstMenuCommandId), 0);

    CCommand* again = new CCommand;
    CCommand* againToo = new CCommand;
    CCommand* fresh = new CCommand;
    EXPECT_EQ(again->GetId(), kFirstMenuCommandId + 1);
    EXPECT_EQ(againToo->GetId(), kFirstMenuCommandId);
    EXPECT_EQ(fresh->GetId(), kFirstMenuCommandId + 3);
    for (CCommand* command : {third, again, againToo, fresh})
        command->Release();
}

TEST(CommandRegistry, ACommandSomeoneStillHoldsRunsAfterItsMenuLetGoAndFreesItsIdWithTheLastHolder)
{
    int runs = 0;
    bool deleted = false;
    auto* command = new CountingCommand(runs, deleted);
    const int id = command->GetId();
    EXPECT_EQ(command->AddRef(), 2);

    EXPECT_EQ(ReleaseCommandId(id), 1);
    EXPECT_TRUE(IsRegisteredCommandId(id));
    EXPECT_EQ(FindAndExecuteCommand(id), 1);
    EXPECT_EQ(runs, 1);

    EXPECT_EQ(command->Release(), 0);
    EXPECT_TRUE(deleted);
    EXPECT_FALSE(IsRegisteredCommandId(id));
    CCommand* next = new CCommand;
    EXPECT_EQ(next->GetId(), id);
    next->Release();
}

TEST(CommandRegistry, AnUnknownIdFindsNothingAndRunsNothing)
{
    const int unknown = kFirstMenuCommandId + 900;
    EXPECT_EQ(FindAndUpdateCommand(unknown), nullptr);
    EXPECT_EQ(FindAndExecuteCommand(unknown), 0);
    EXPECT_EQ(ReleaseCommandId(unknown), 0);
}

TEST(CommandFunction, RunsItsCallbackEachTimeItsIdRuns)
{
    int calls = 0;
    CCommand* command = new CCommandFunction([&calls] { ++calls; });
    FindAndExecuteCommand(command->GetId());
    FindAndExecuteCommand(command->GetId());
    EXPECT_EQ(calls, 2);
    command->Release();
}

}  // namespace
