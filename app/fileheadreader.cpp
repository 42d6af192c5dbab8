#include "app/fileheadreader.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <algorithm>
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
    // Under the mutex: the request to read next, whether a thread reads, and where to post
    // answers, null once the reader or the application goes.
    std::optional<Request> waiting;
    bool working = false;
    QObject* receiver = nullptr;
};

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

CFileHeadReader::CFileHeadReader(ReadFunction read) : m_state(std::make_shared<State>(std::move(read), this)) {}

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
    QObject* const receiver = Receiver();
    std::lock_guard lock(m_state->mutex);
    if (receiver != nullptr)
    {
        m_state->waiting = State::Request{request, path, most};
        if (m_state->working)
            return;
        try
        {
            std::thread(&CFileHeadReader::Work, m_state).detach();
            m_state->working = true;
            return;
        }
        catch (const std::system_error&)
        {
            // No thread to be had: no answer comes.
            m_state->waiting.reset();
        }
    }
    m_settled = request;
    m_answer = nullptr;
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

void CFileHeadReader::Work(std::shared_ptr<State> state)
{
    std::unique_lock lock(state->mutex);
    while (state->receiver != nullptr && state->waiting)
    {
        const State::Request request = *std::exchange(state->waiting, std::nullopt);
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
        // same mutex before deleting it.
        if (state->receiver != nullptr)
            QMetaObject::invokeMethod(
                state->receiver,
                [reader = state->reader, id = request.id, head] { reader->Deliver(id, *head); },
                Qt::QueuedConnection);
    }
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
