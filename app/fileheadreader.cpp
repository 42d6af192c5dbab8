#include "app/fileheadreader.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <utility>

using Clock = std::chrono::steady_clock;

struct CFileHeadReader::State
{
    struct Request
    {
        std::uint64_t id = 0;
        CString path;
        std::size_t most = 0;
    };

    State(ReadFunction readFunction, CFileHeadReader* owner) : read(std::move(readFunction)), reader(owner) {}

    const ReadFunction read;
    // Only copied into what is posted to the receiver: it is called on the interface thread,
    // where the receiver, and so the reader, still lives.
    CFileHeadReader* const reader;
    std::mutex mutex;
    // Under the mutex: the request to read next, whether the present thread lives, its number
    // (a thread of another number was left to its read) and when it started its read, and
    // where to post answers, null once the reader or the application goes.
    std::optional<Request> waiting;
    bool working = false;
    std::uint64_t thread = 0;
    Clock::time_point readSince;
    QObject* receiver = nullptr;
};

namespace {

// Threads of every reader alive, counted as each is started and as it ends: a thread left in
// a read that never ends keeps its place.
constinit std::atomic<int> g_threads{0};

bool TakeThreadPlace()
{
    for (int threads = g_threads.load(); threads < CFileHeadReader::kMostThreads;)
        if (g_threads.compare_exchange_weak(threads, threads + 1))
            return true;
    return false;
}

}  // namespace

CFileHead ReadFileHead(const CString& path, std::size_t most)
{
    CFileHead head;
    const int fd = ::open(path.ToUtf8().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return head;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0)
    {
        ::close(fd);
        return head;
    }
    head.size = static_cast<std::uint64_t>(info.st_size);
    head.bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(head.size, most)));
    std::size_t got = 0;
    while (got < head.bytes.size())
    {
        const ssize_t part = ::read(fd, head.bytes.data() + got, head.bytes.size() - got);
        if (part < 0 && errno == EINTR)
            continue;
        if (part <= 0)
            break;
        got += static_cast<std::size_t>(part);
    }
    ::close(fd);
    // A file that shrank meanwhile gives what it held; one that failed to read gives nothing.
    head.read = got > 0;
    head.bytes.resize(got);
    return head;
}

CFileHeadReader::CFileHeadReader(ReadFunction read, std::chrono::milliseconds stuckAfter)
    : m_stuckAfter(stuckAfter), m_state(std::make_shared<State>(std::move(read), this))
{
}

CFileHeadReader::~CFileHeadReader()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->waiting.reset();
        m_state->receiver = nullptr;
    }
    // Qt drops what was posted to the receiver and not yet delivered.
    m_receiver.reset();
}

void CFileHeadReader::Cancel()
{
    m_settled = ++m_request;
    m_answer = nullptr;
    std::lock_guard lock(m_state->mutex);
    m_state->waiting.reset();
}

bool CFileHeadReader::IsReading() const
{
    return m_settled != m_request;
}

void CFileHeadReader::Read(const CString& path, std::size_t most, Answer answer)
{
    const std::uint64_t request = ++m_request;
    m_answer = std::move(answer);
    if (Receiver() == nullptr)
    {
        m_settled = request;
        m_answer = nullptr;
        return;
    }
    {
        std::lock_guard lock(m_state->mutex);
        m_state->waiting = State::Request{request, path, most};
    }
    StartThread();
}

void CFileHeadReader::StartThread()
{
    std::lock_guard lock(m_state->mutex);
    if (!m_state->waiting || m_state->receiver == nullptr)
        return;
    if (m_state->working)
    {
        const Clock::duration reading = Clock::now() - m_state->readSince;
        if (reading < m_stuckAfter)
        {
            LookAgainIn(m_stuckAfter - reading);
            return;
        }
    }
    if (!TakeThreadPlace())
    {
        // A thread that ends, this reader's or another's, makes room.
        LookAgainIn(m_stuckAfter);
        return;
    }
    try
    {
        std::thread(&CFileHeadReader::Work, m_state, m_state->thread + 1).detach();
        // The thread waits for the mutex held here before it looks at its number.
        ++m_state->thread;
        m_state->working = true;
        // Until the thread takes the request: a request made meanwhile waits for it.
        m_state->readSince = Clock::now();
        return;
    }
    catch (const std::system_error&)
    {
        --g_threads;
    }
    // No thread to be had: the present one reads the request once its read ends, and
    // without one no answer comes.
    if (m_state->working)
        return;
    m_state->waiting.reset();
    m_settled = m_request;
    m_answer = nullptr;
}

void CFileHeadReader::LookAgainIn(Clock::duration wait)
{
    if (m_looking)
        return;
    m_looking = true;
    // Goes with the receiver, which goes before the reader.
    QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(wait), m_receiver.get(), [this] {
        m_looking = false;
        StartThread();
    });
}

QObject* CFileHeadReader::Receiver()
{
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->receiver != nullptr)
            return m_state->receiver;
    }
    QCoreApplication* const application = QCoreApplication::instance();
    if (application == nullptr)
        return nullptr;
    // A look due went with the receiver before.
    m_looking = false;
    m_receiver = std::make_unique<QObject>();
    // The application's end takes the event dispatcher that a post wakes: from then on the
    // thread posts nothing. Taking the mutex here waits for a post under way.
    QObject::connect(application, &QObject::destroyed, m_receiver.get(), [state = m_state] {
        std::lock_guard lock(state->mutex);
        state->receiver = nullptr;
    });
    std::lock_guard lock(m_state->mutex);
    m_state->receiver = m_receiver.get();
    return m_state->receiver;
}

void CFileHeadReader::Work(std::shared_ptr<State> state, std::uint64_t thread)
{
    std::unique_lock lock(state->mutex);
    while (state->receiver != nullptr && state->thread == thread && state->waiting)
    {
        const State::Request request = *std::exchange(state->waiting, std::nullopt);
        state->readSince = Clock::now();
        lock.unlock();
        std::shared_ptr<const CFileHead> head;
        try
        {
            head = std::make_shared<const CFileHead>(state->read(request.path, request.most));
        }
        catch (const std::bad_alloc&)
        {
            // A head too large to hold reads as no head.
            head = std::make_shared<const CFileHead>();
        }
        lock.lock();
        // Posted under the mutex while the receiver lives: the reader clears it under the
        // same mutex before deleting it. The answer of a thread left to its read is older
        // than the request read after it, and so dropped.
        if (state->receiver != nullptr)
            QMetaObject::invokeMethod(
                state->receiver,
                [reader = state->reader, id = request.id, head] { reader->Deliver(id, *head); },
                Qt::QueuedConnection);
    }
    // Under the mutex, so that a reader that finds no thread working finds its place free.
    --g_threads;
    if (state->thread == thread)
        state->working = false;
}

void CFileHeadReader::Deliver(std::uint64_t request, const CFileHead& head)
{
    if (request != m_request)
        return;
    m_settled = request;
    // The answer may ask again, which sets the next answer.
    const Answer answer = std::exchange(m_answer, nullptr);
    if (answer)
        answer(head);
}
