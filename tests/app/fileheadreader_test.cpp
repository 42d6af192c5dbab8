#include "app/fileheadreader.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <unistd.h>
#include <vector>

#include "apptestsupport.h"

namespace {

constexpr auto kDeadline = std::chrono::seconds(60);
// Long enough that no read of a test is taken as stuck.
constexpr auto kNeverStuck = std::chrono::hours(1);

// Ends the test program should a wait outlast every deadline.
class CAlarmGuard
{
public:
    CAlarmGuard() { ::alarm(300); }
    ~CAlarmGuard() { ::alarm(0); }
    CAlarmGuard(const CAlarmGuard&) = delete;
    CAlarmGuard& operator=(const CAlarmGuard&) = delete;
};

// Reads of the paths that start with the held prefix (every path by default) wait until the
// test lets them go, at the latest when the held reads go; each answers with its path as the
// bytes. The test sees how many reads started, how many ran at once, and when the reader's
// last copy of the read function went, which is when the reader and its threads are all gone.
class CHeldReads
{
public:
    explicit CHeldReads(std::string held = "") : m_shared(std::make_shared<Shared>()) { m_shared->held = held; }
    // Every way out of a test lets its threads end.
    ~CHeldReads() { Release(); }
    CHeldReads(const CHeldReads&) = delete;
    CHeldReads& operator=(const CHeldReads&) = delete;

    [[nodiscard]] CFileHeadReader::ReadFunction Function() const
    {
        return [shared = m_shared, token = std::make_shared<Token>(m_shared)](const CString& path, std::size_t) {
            std::unique_lock lock(shared->mutex);
            ++shared->started;
            shared->mostAtOnce = std::max(shared->mostAtOnce, ++shared->running);
            shared->changed.notify_all();
            const std::string bytes = path.ToUtf8();
            shared->changed.wait(lock, [&] { return shared->released || !bytes.starts_with(shared->held); });
            --shared->running;
            shared->changed.notify_all();
            CFileHead head;
            head.bytes.assign(bytes.begin(), bytes.end());
            head.size = head.bytes.size();
            head.read = true;
            return head;
        };
    }

    void Release()
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->released = true;
        m_shared->changed.notify_all();
    }

    [[nodiscard]] int Started() const
    {
        const std::lock_guard lock(m_shared->mutex);
        return m_shared->started;
    }
    [[nodiscard]] int MostAtOnce() const
    {
        const std::lock_guard lock(m_shared->mutex);
        return m_shared->mostAtOnce;
    }

    // False when the deadline passed first.
    [[nodiscard]] bool WaitForStarted(int reads) const
    {
        return Wait([&] { return m_shared->started >= reads; });
    }
    [[nodiscard]] bool WaitForNoneRunning() const
    {
        return Wait([&] { return m_shared->running == 0; });
    }
    [[nodiscard]] bool WaitForFunctionGone() const
    {
        return Wait([&] { return m_shared->functionGone; });
    }

private:
    struct Shared
    {
        std::mutex mutex;
        std::condition_variable changed;
        std::string held;
        int started = 0;
        int running = 0;
        int mostAtOnce = 0;
        bool released = false;
        bool functionGone = false;
    };
    // Shared by every copy of the function; goes with the last.
    struct Token
    {
        explicit Token(std::shared_ptr<Shared> shared) : shared(std::move(shared)) {}
        ~Token()
        {
            const std::lock_guard lock(shared->mutex);
            shared->functionGone = true;
            shared->changed.notify_all();
        }
        std::shared_ptr<Shared> shared;
    };

    bool Wait(const std::function<bool()>& done) const
    {
        std::unique_lock lock(m_shared->mutex);
        return m_shared->changed.wait_for(lock, kDeadline, done);
    }

    std::shared_ptr<Shared> m_shared;
};

// Turns the event loop until done or the time passed; false when it passed first.
bool TurnEventLoopUntil(const std::function<bool()>& done, std::chrono::milliseconds most)
{
    for (QDeadlineTimer deadline(most); !done() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// Turns the event loop until the reader's newest answer came; false when the deadline passed.
bool AnswerCame(const CFileHeadReader& reader)
{
    return TurnEventLoopUntil([&] { return !reader.IsReading(); }, kDeadline);
}

class FileHeadReaderTest : public ::testing::Test
{
protected:
    void SetUp() override { apptest::PrepareApplication(); }

    // Asks for the path's head, noting each answer's bytes.
    void Ask(CFileHeadReader& reader, const std::string& path)
    {
        reader.Read(CString::FromUtf8(path), 64, [this](const CFileHead& head) {
            m_answers.emplace_back(head.bytes.begin(), head.bytes.end());
        });
    }

    std::vector<std::string> m_answers;
};

TEST_F(FileHeadReaderTest, RequestsWhileAReadIsStuckWaitInOnePlaceAndOnlyTheNewestIsAnswered)
{
    CHeldReads reads;
    {
        CFileHeadReader reader(reads.Function(), kNeverStuck);
        Ask(reader, "stuck");
        ASSERT_TRUE(reads.WaitForStarted(1));
        Ask(reader, "dropped");
        reader.Cancel();
        EXPECT_FALSE(reader.IsReading());
        for (const char* path : {"first", "second", "newest"})
            Ask(reader, path);
        EXPECT_TRUE(reader.IsReading());
        EXPECT_EQ(reads.Started(), 1);
        reads.Release();
        ASSERT_TRUE(AnswerCame(reader));
        EXPECT_EQ(m_answers, std::vector<std::string>{"newest"});
        // The thread ended once nothing waited: a new request reads as the first did.
        Ask(reader, "later");
        ASSERT_TRUE(AnswerCame(reader));
    }
    // The reader and its thread are gone: what was read shows in how many reads started.
    ASSERT_TRUE(reads.WaitForFunctionGone());
    EXPECT_EQ(reads.Started(), 3) << "stuck, newest and later";
    EXPECT_EQ(reads.MostAtOnce(), 1);
    EXPECT_EQ(m_answers, (std::vector<std::string>{"newest", "later"}));
}

// A read that never returned once kept every later file of its reader from an answer.
TEST_F(FileHeadReaderTest, AFileAskedForAfterAStuckReadIsAnsweredAndTheStuckAnswerComesToNothing)
{
    const CAlarmGuard alarm;
    CHeldReads reads("stuck");
    {
        CFileHeadReader reader(reads.Function());
        for (int round = 0; round < 2; ++round)
        {
            const std::string stuck = "stuck " + std::to_string(round);
            Ask(reader, stuck);
            // Read before the next request, which would take its place unread.
            ASSERT_TRUE(reads.WaitForStarted(2 * round + 1));
            Ask(reader, "house after " + stuck);
            ASSERT_TRUE(AnswerCame(reader)) << stuck;
        }
        // The stuck reads' answers come now, older than any asked for.
        reads.Release();
        ASSERT_TRUE(reads.WaitForNoneRunning());
        Ask(reader, "later");
        ASSERT_TRUE(AnswerCame(reader));
    }
    EXPECT_EQ(m_answers, (std::vector<std::string>{"house after stuck 0", "house after stuck 1", "later"}));
    ASSERT_TRUE(reads.WaitForFunctionGone());
}

TEST_F(FileHeadReaderTest, StuckReadsHoldAtMostTheCapOfThreadsAndAFileAskedForPastItWaitsForOneToEnd)
{
    const CAlarmGuard alarm;
    constexpr int kMost = CFileHeadReader::kMostThreads;
    CHeldReads reads("stuck");
    {
        CFileHeadReader reader(reads.Function());
        for (int file = 0; file < kMost; ++file)
        {
            Ask(reader, "stuck " + std::to_string(file));
            ASSERT_TRUE(TurnEventLoopUntil([&] { return reads.Started() > file; }, kDeadline)) << file;
        }
        for (int file = kMost; file < 2 * kMost; ++file)
            Ask(reader, "stuck " + std::to_string(file));
        Ask(reader, "house");
        // Longer than a stuck read takes to be left: no thread is started past the cap.
        EXPECT_FALSE(TurnEventLoopUntil([&] { return reads.Started() > kMost; }, 3 * CFileHeadReader::kStuckAfter));
        EXPECT_TRUE(reader.IsReading());
        reads.Release();
        ASSERT_TRUE(AnswerCame(reader));
    }
    EXPECT_EQ(m_answers, std::vector<std::string>{"house"});
    ASSERT_TRUE(reads.WaitForFunctionGone());
    EXPECT_EQ(reads.MostAtOnce(), kMost);
}

// Four files of a mount that stopped answering once took every thread, and no later file
// had a preview again.
TEST_F(FileHeadReaderTest, AStuckMountHoldsOneThreadAndItsFilesWaitWhileAFileOfAnotherIsAnswered)
{
    const CAlarmGuard alarm;
    // The system's own files lie on a mount of their own, never the test's folder's; reads
    // of them are held, as a mount that stopped answering holds them.
    CHeldReads reads("/proc/");
    const std::string house = std::filesystem::temp_directory_path() / "house.twk";
    {
        CFileHeadReader reader(reads.Function());
        Ask(reader, "/proc/dead 0");
        ASSERT_TRUE(reads.WaitForStarted(1));
        for (int file = 1; file < CFileHeadReader::kMostThreads; ++file)
        {
            Ask(reader, "/proc/dead " + std::to_string(file));
            // Longer than a stuck read takes to be left: no thread is started for the file.
            EXPECT_FALSE(TurnEventLoopUntil([&] { return reads.Started() > file; }, 3 * CFileHeadReader::kStuckAfter));
        }
        Ask(reader, house);
        ASSERT_TRUE(AnswerCame(reader));
        // A file of the stuck mount is read once its read ends.
        Ask(reader, "/proc/dead later");
        reads.Release();
        ASSERT_TRUE(AnswerCame(reader));
    }
    EXPECT_EQ(m_answers, (std::vector<std::string>{house, "/proc/dead later"}));
    ASSERT_TRUE(reads.WaitForFunctionGone());
    EXPECT_EQ(reads.Started(), 3);
}

TEST_F(FileHeadReaderTest, AReadThatEndsAfterItsReaderWentDeliversNothingAndReadsNoMore)
{
    CHeldReads reads;
    {
        auto reader = std::make_unique<CFileHeadReader>(reads.Function(), kNeverStuck);
        Ask(*reader, "stuck");
        ASSERT_TRUE(reads.WaitForStarted(1));
        Ask(*reader, "waiting");
    }
    reads.Release();
    ASSERT_TRUE(reads.WaitForFunctionGone());
    apptest::ProcessEvents();
    EXPECT_EQ(reads.Started(), 1);
    EXPECT_TRUE(m_answers.empty());
}

// An application in a place of its own. Once it ended its place is filled with bytes no
// object holds, so that whatever still posts to it faults at once, with the address
// checker or without, where a freed object's stale bytes might still pass.
class CEndingApplication
{
public:
    CEndingApplication() { new (m_place) QCoreApplication(m_argc, m_argv); }
    void End()
    {
        std::launder(reinterpret_cast<QCoreApplication*>(m_place))->~QCoreApplication();
        std::memset(m_place, 0xff, sizeof m_place);
    }

private:
    alignas(QCoreApplication) unsigned char m_place[sizeof(QCoreApplication)];
    int m_argc = 1;
    char m_name[12] = "glimra-test";
    char* m_argv[2] = {m_name, nullptr};
};

// A read's answer was once posted to the application object, which the program's end may
// already have freed.
TEST(FileHeadReaderEnd, AReadThatEndsAfterTheApplicationWentDeliversNothing)
{
    // The child makes and ends an application of its own, so it starts afresh.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            CEndingApplication application;
            CHeldReads reads;
            int answers = 0;
            {
                CFileHeadReader reader(reads.Function());
                reader.Read(CString("stuck"), 64, [&answers](const CFileHead&) { ++answers; });
                if (!reads.WaitForStarted(1))
                    std::_Exit(2);
                application.End();
                reads.Release();
                // Without an application a request is settled at once.
                reader.Read(CString("after"), 64, [&answers](const CFileHead&) { ++answers; });
                if (reader.IsReading())
                    std::_Exit(3);
            }
            if (!reads.WaitForFunctionGone())
                std::_Exit(4);
            std::_Exit(answers == 0 && reads.Started() == 1 ? 0 : 5);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
