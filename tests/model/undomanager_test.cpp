#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

#include "model/undolog.h"

#include "model/undomanager.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "platform/profile.h"
#include "tests/model/undotestsupport.h"

using undotest::CProbeEntity;
using undotest::ReadFile;
using undotest::RecordingListener;
using undotest::TestEnvironment;

namespace {

constexpr int kMaxLogNames = CUndoLog::kMaxLogFiles;

class UndoManagerTest : public ::testing::Test
{
protected:
    TestEnvironment m_environment;
};

// Starts an operation, records a change of a fresh entity in it and commits.
int CommitOneChange(CUndoManager& manager, CEntity& entity, int nameId = 21)
{
    CUndoOperation* operation = manager.Start(nameId);
    operation->RecordChange(&entity, false);
    return manager.Commit();
}

}  // namespace

TEST_F(UndoManagerTest, NestedStartsShareOneOperationAndTheFirstCommitClosesIt)
{
    CUndoManager manager(nullptr);
    CProbeEntity entity;
    CUndoOperation* outer = manager.Start(21);
    CUndoOperation* inner = manager.Start(22);
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(inner, outer);
    EXPECT_EQ(manager.GetNestingDepth(), 2);
    outer->RecordChange(&entity, false);

    EXPECT_EQ(manager.Commit(), outer->GetSequenceNumber());
    EXPECT_EQ(manager.GetOpenOperation(), nullptr);
    EXPECT_EQ(manager.GetNestingDepth(), 0);
    ASSERT_EQ(manager.GetUndoStack().size(), 1u);

    manager.SetModified(false);
    EXPECT_EQ(manager.Commit(), 0);
    EXPECT_TRUE(manager.IsModified());
    EXPECT_EQ(manager.GetUndoStack().size(), 1u);
}

TEST_F(UndoManagerTest, NothingIsRecordedWhileRecordingIsOffOrTheStackDepthIsZero)
{
    {
        CUndoManager manager(nullptr);
        const CUndoSuspender suspender;
        EXPECT_EQ(manager.Start(21), nullptr);
        EXPECT_EQ(manager.GetNestingDepth(), 0);
    }
    WriteProfileInt("Undo", "StackDepth", 0);
    CUndoManager manager(nullptr);
    EXPECT_EQ(manager.GetStackDepth(), 0);
    EXPECT_EQ(manager.Start(21), nullptr);
}

TEST_F(UndoManagerTest, ANegativeStackDepthInTheSettingsFallsBackToTheDefault)
{
    WriteProfileInt("Undo", "StackDepth", -5);
    CUndoManager manager(nullptr);
    EXPECT_EQ(manager.GetStackDepth(), CUndoManager::kDefaultStackDepth);
}

TEST_F(UndoManagerTest, AnEmptyOperationIsDroppedWithCodeFourUnlessAskedToKeepIt)
{
    CUndoManager manager(nullptr);
    RecordingListener listener;
    manager.AddDBListener(&listener);

    manager.Start(30);
    EXPECT_EQ(manager.Commit(), 0);
    EXPECT_TRUE(manager.GetUndoStack().empty());
    EXPECT_FALSE(manager.IsModified());
    EXPECT_EQ(listener.Count("committed 4 30"), 1);

    CUndoOperation* kept = manager.Start(31);
    EXPECT_EQ(manager.Commit(CUndoManager::kKeepEmptyOperation), kept->GetSequenceNumber());
    EXPECT_EQ(manager.GetUndoStack().size(), 1u);
    EXPECT_TRUE(manager.IsModified());
    EXPECT_EQ(listener.Count("committed 0 31"), 1);
}

TEST_F(UndoManagerTest, TheUndoStackKeepsOnlyTheNewestOperationsUpToItsDepth)
{
    WriteProfileInt("Undo", "StackDepth", 2);
    CUndoManager manager(nullptr);
    CProbeEntity entity;
    const int first = CommitOneChange(manager, entity);
    const int second = CommitOneChange(manager, entity);
    const int third = CommitOneChange(manager, entity);

    ASSERT_EQ(manager.GetUndoStack().size(), 2u);
    EXPECT_EQ(manager.GetUndoStack().front()->GetSequenceNumber(), second);
    EXPECT_EQ(manager.GetUndoStack().back()->GetSequenceNumber(), third);
    EXPECT_NE(ReadFile(manager.GetLogPath().ToUtf8()).find("~UndoOp(" + std::to_string(first) + ")\n"),
              std::string::npos);
}


TEST_F(UndoManagerTest, TheLogHoldsTheStartCommitTrimAndResetLines)
{
    WriteProfileInt("Undo", "StackDepth", 1);
    CUndoManager manager(nullptr);
    ASSERT_TRUE(manager.IsLogging());
    EXPECT_EQ(manager.GetLogPath().ToUtf8(), m_environment.LogPath(0).string());
    CProbeEntity entity;

    const int first = CommitOneChange(manager, entity);
    manager.Start(CUndoManager::kSilentCommitNameId);
    manager.Commit();  // empty and silent: no commit line
    manager.Commit();  // nothing open
    const int second = CommitOneChange(manager, entity);
    manager.Reset();

    const std::string expected = "Start()Commit(" + std::to_string(first) + ")\n" + "Start()" + "Commit(0)\n" +
                                 "Start()Commit(" + std::to_string(second) + ")\n" + "~UndoOp(" +
                                 std::to_string(first) + ")\n" + "File New\n";
    EXPECT_EQ(ReadFile(m_environment.LogPath(0)), expected);
}

TEST_F(UndoManagerTest, EachManagerTakesTheFirstLogNameNoOtherHolds)
{
    const std::filesystem::path stray = m_environment.LogPath(0);
    auto first = std::make_unique<CUndoManager>(nullptr);
    first->WriteLog("first\n");
    CUndoManager second(nullptr);
    second.WriteLog("second\n");

    EXPECT_EQ(second.GetLogPath().ToUtf8(), m_environment.LogPath(1).string());
    EXPECT_EQ(ReadFile(stray), "first\n");
    EXPECT_EQ(ReadFile(m_environment.LogPath(1)), "second\n");

    // A name given up is taken again, and its old lines are dropped.
    first.reset();
    CUndoManager third(nullptr);
    EXPECT_EQ(third.GetLogPath().ToUtf8(), stray.string());
    EXPECT_EQ(ReadFile(stray), "");
}

TEST_F(UndoManagerTest, NoLogIsWrittenWhenLoggingIsSwitchedOff)
{
    WriteProfileBool("Undo", "Logging", false);
    CUndoManager manager(nullptr);
    manager.WriteLog("ignored\n");
    EXPECT_FALSE(manager.IsLogging());
    EXPECT_TRUE(manager.GetLogPath().IsEmpty());
    EXPECT_FALSE(std::filesystem::exists(m_environment.LogPath(0)));
}

TEST_F(UndoManagerTest, WithoutARuntimeFolderTheLogGoesToAPrivateFolderNeverToTheSharedOne)
{
    // Regression: the logs once lay in the shared temporary folder, where anyone could take
    // the twenty names first and so switch every other user's log off.
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::filesystem::path own = m_environment.Folder() / ("glimra-" + std::to_string(::getuid()));
    {
        CUndoManager manager(nullptr);
        EXPECT_EQ(manager.GetLogPath().ToUtf8(), (own / "TarnwickUndo0.log").string());
    }
    std::filesystem::remove_all(own);
    std::filesystem::create_directory_symlink(m_environment.Folder(), own);
    CUndoManager manager(nullptr);
    EXPECT_FALSE(manager.IsLogging());
    EXPECT_FALSE(std::filesystem::exists(m_environment.LogPath(0)));
}

TEST_F(UndoManagerTest, LoggingStaysOffWhenNoneOfTheTwentyNamesCanBeTaken)
{
    std::vector<std::unique_ptr<CUndoManager>> holders;
    for (int i = 0; i < 20; ++i) {
        holders.push_back(std::make_unique<CUndoManager>(nullptr));
        ASSERT_TRUE(holders.back()->IsLogging());
    }
    CUndoManager extra(nullptr);
    EXPECT_FALSE(extra.IsLogging());
    EXPECT_NE(extra.Start(1), nullptr);  // recording works without a log
    extra.Commit();
}

// Links planted at the log's names in a shared temporary folder once had a start of the
// program overwrite the file they named.
TEST_F(UndoManagerTest, WhatOthersPlantedAtTheLogNamesIsPassedOverAndLeftAsItWas)
{
    const std::filesystem::path victim = m_environment.Folder() / "victim.txt";
    const std::string kept = "keep me\n";
    const auto plantLink = [&](int n) { std::filesystem::create_symlink(victim, m_environment.LogPath(n)); };
    const auto plantOthers = [&](int n) {
        const std::string path = m_environment.LogPath(n).string();
        switch (n) {
        case 0: std::filesystem::create_hard_link(victim, path); break;
        case 1: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
        case 2: std::filesystem::create_directory(path); break;
        default:
            std::ofstream(path) << kept;
            // Someone else's file; only the superuser can give a file away.
            if (::chown(path.c_str(), ::geteuid() + 1, static_cast<gid_t>(-1)) != 0) {
                std::filesystem::remove(path);
                std::filesystem::create_symlink(victim, path);
            }
        }
    };
    const struct
    {
        const char* planted;
        std::function<void(int)> plant;
        int names;
        int expectedLog;  // -1: no log
    } cases[] = {
        {"links at the first eight names", plantLink, 8, 8},
        {"links at all twenty names", plantLink, 20, -1},
        {"a second name, a pipe, a folder and someone else's file", plantOthers, 4, 4},
    };
    for (const auto& c : cases) {
        std::ofstream(victim) << kept;
        for (int n = 0; n < c.names; ++n) {
            c.plant(n);
        }
        {
            CUndoManager manager(nullptr);
            manager.Reset();
            EXPECT_EQ(manager.IsLogging(), c.expectedLog >= 0) << c.planted;
            if (c.expectedLog >= 0) {
                EXPECT_EQ(manager.GetLogPath().ToUtf8(), m_environment.LogPath(c.expectedLog).string()) << c.planted;
                EXPECT_EQ(ReadFile(m_environment.LogPath(c.expectedLog)), "File New\n") << c.planted;
                EXPECT_EQ(std::filesystem::status(m_environment.LogPath(c.expectedLog)).permissions(),
                          std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
                    << c.planted;
            }
        }
        EXPECT_EQ(ReadFile(victim), kept) << c.planted;
        for (int n = 0; n < kMaxLogNames; ++n) {
            std::filesystem::remove_all(m_environment.LogPath(n));
        }
    }
}

TEST_F(UndoManagerTest, AListenerRegisteredTwiceHearsEverythingTwiceUntilRemovedOnce)
{
    CUndoManager manager(nullptr);
    RecordingListener listener;
    manager.AddDBListener(&listener);
    manager.AddDBListener(&listener);
    manager.AddDBListener(nullptr);
    EXPECT_EQ(manager.GetDBListenerCount(), 2);

    manager.Start(5);
    EXPECT_EQ(listener.Count("started 0 5"), 2);
    manager.Commit();
    EXPECT_EQ(listener.Count("committed 4 5"), 2);

    manager.RemoveDBListener(&listener);
    EXPECT_EQ(manager.GetDBListenerCount(), 0);
    manager.Start(6);
    manager.Commit();
    EXPECT_EQ(listener.Count("started 0 6"), 0);
}

TEST_F(UndoManagerTest, AListenerThatLeavesWhileBeingToldIsNotCalledAfterwards)
{
    class CLeavingListener : public RecordingListener
    {
    public:
        explicit CLeavingListener(CUndoManager& manager) : m_manager(manager) {}
        void OnOperationStarted(int code, int nameId) override
        {
            RecordingListener::OnOperationStarted(code, nameId);
            m_manager.RemoveDBListener(m_other);
        }
        RecordingListener* m_other = nullptr;

    private:
        CUndoManager& m_manager;
    };

    CUndoManager manager(nullptr);
    CLeavingListener first(manager);
    RecordingListener second;
    first.m_other = &second;
    manager.AddDBListener(&first);
    manager.AddDBListener(&second);
    manager.Start(7);
    manager.Commit();
    EXPECT_EQ(first.Count("started 0 7"), 1);
    EXPECT_TRUE(second.events.empty());
}

TEST_F(UndoManagerTest, CommitTellsOfEveryChangedEntityInAddressOrderUnlessSuppressed)
{
    CUndoManager manager(nullptr);
    RecordingListener listener;
    manager.AddDBListener(&listener);
    CProbeEntity a;
    CProbeEntity b;
    CUndoOperation* operation = manager.Start(8);
    operation->RecordChange(&b, false);
    operation->RecordChange(&a, false);
    operation->RecordChange(&b, false);
    manager.Commit();
    ASSERT_EQ(listener.modified.size(), 2u);
    EXPECT_LT(listener.modified[0], listener.modified[1]);

    listener.modified.clear();
    manager.Start(9)->RecordChange(&a, false);
    manager.Commit(CUndoManager::kNoModifiedEvents);
    EXPECT_TRUE(listener.modified.empty());
    EXPECT_EQ(manager.GetUndoStack().back()->GetCommitFlags(), CUndoManager::kNoModifiedEvents);
}

TEST_F(UndoManagerTest, JoiningMarksThePreviousOperationAndAnEmptyJoinerUndoesTheMark)
{
    CUndoManager manager(nullptr);
    CProbeEntity entity;
    CommitOneChange(manager, entity);

    manager.Start(10, false, true);
    EXPECT_TRUE(manager.GetUndoStack().back()->IsJoined());
    manager.Commit();  // empty: dropped
    EXPECT_FALSE(manager.GetUndoStack().back()->IsJoined());

    CUndoOperation* joiner = manager.Start(11, true, true);
    EXPECT_TRUE(joiner->IsJoined());
    joiner->RecordChange(&entity, false);
    manager.Commit();
    ASSERT_EQ(manager.GetUndoStack().size(), 2u);
    EXPECT_TRUE(manager.GetUndoStack().front()->IsJoined());
}


TEST_F(UndoManagerTest, ErasedEntitiesOfClearedOperationsAreDeletedWithoutBeingRecordedAgain)
{
    CUndoManager manager(nullptr);
    SetCurrentUndoManager(&manager);
    int deleted = 0;
    auto* entity = new CProbeEntity(&deleted);
    manager.Start(13);
    entity->Erase();
    manager.Commit();
    EXPECT_EQ(deleted, 0);
    manager.ClearUndoStack();
    EXPECT_EQ(deleted, 1);
    EXPECT_TRUE(IsRecordingChanges());
}

