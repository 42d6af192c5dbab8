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
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "apptestsupport.h"

namespace {

constexpr auto kDeadline = std::chrono::seconds(60);

// Reads that wait until the test lets them go, each answering with its path as the bytes.
// The test sees how many reads started, the most that ran at once, and when the reader's last copy of the read
// function went, which is when the reader and its thread are both gone.
class CHeldReads
{
public:
    CHeldReads() : m_shared(std::make_shared<Shared>()) {}

    [[nodiscard]] CFileHeadReader::ReadFunction Function() const
    {
        return [shared = m_shared, token = std::make_shared<Token>(m_shared)](const CString& path, std::size_t) {
            std::unique_lock lock(shared->mutex);
            ++shared->started;
            shared->mostAtOnce = std::max(shared->mostAtOnce, ++shared->running);
            shared->changed.notify_all();
            shared->changed.wait(lock, [&] { return shared->released; });
            --shared->running;
            CFileHead head;
            const std::string bytes = path.ToUtf8();
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
    [[nodiscard]] bool WaitForFunctionGone() const
    {
        return Wait([&] { return m_shared->functionGone; });
    }

private:
    struct Shared
    {
        std::mutex mutex;
        std::condition_variable changed;
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

// Turns the event loop until the reader's newest answer came; false when the deadline passed.
bool AnswerCame(const CFileHeadReader& reader)
{
    for (QDeadlineTimer deadline(kDeadline); reader.IsReading() && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return !reader.IsReading();
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
        CFileHeadReader reader(reads.Function());
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

TEST_F(FileHeadReaderTest, AReadThatEndsAfterItsReaderWentDeliversNothingAndReadsNoMore)
{
    CHeldReads reads;
    {
        auto reader = std::make_unique<CFileHeadReader>(reads.Function());
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
