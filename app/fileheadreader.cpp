#include "app/fileheadreader.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <QDir>
#include <QString>
#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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
        std::optional<dev_t> device;
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

// A place for each thread of every reader, taken as the thread is started and left as it
// ends: a thread left in a read that never ends keeps its place. A place notes the device of
// the file its thread reads, or is about to read, so that a mount that stopped answering
// holds one place however many of its files are asked for. Plain data under a plain mutex,
// so that a thread still in its read as the program ends finds them whole.
struct CThreadPlace
{
    bool taken = false;
    std::optional<dev_t> device;
};
constinit std::mutex g_placesMutex;
constinit std::array<CThreadPlace, CFileHeadReader::kMostThreads> g_places{};

// Whether a thread other than the one in the place reads a file of the device. Under the
// places' mutex.
bool ReadElsewhere(const std::optional<dev_t>& device, std::size_t place)
{
    if (!device)
        return false;
    for (std::size_t other = 0; other < g_places.size(); ++other)
        if (other != place && g_places[other].taken && g_places[other].device == device)
            return true;
    return false;
}

// A place for a thread to read a file of the device: none while every place is taken or a
// thread reads a file of that device.
std::optional<std::size_t> TakeThreadPlace(const std::optional<dev_t>& device)
{
    const std::lock_guard lock(g_placesMutex);
    if (ReadElsewhere(device, g_places.size()))
        return std::nullopt;
    for (std::size_t place = 0; place < g_places.size(); ++place)
        if (!g_places[place].taken)
        {
            g_places[place] = {true, device};
            return place;
        }
    return std::nullopt;
}

// Notes the device the thread in the place reads next; false, and nothing noted, while
// another thread reads a file of it.
bool NoteDeviceRead(std::size_t place, const std::optional<dev_t>& device)
{
    const std::lock_guard lock(g_placesMutex);
    if (ReadElsewhere(device, place))
        return false;
    g_places[place].device = device;
    return true;
}

void LeaveThreadPlace(std::size_t place)
{
    const std::lock_guard lock(g_placesMutex);
    g_places[place] = {};
}

// Undoes the mount table's escapes of a mount point: a space, a tab, a line's end and a
// backslash are written as three octal digits after a backslash.
std::string UnescapeMountPoint(std::string_view field)
{
    std::string point;
    for (std::size_t at = 0; at < field.size(); ++at)
    {
        unsigned int code = 0;
        if (field[at] == '\\' && field.size() - at > 3 &&
            std::from_chars(field.data() + at + 1, field.data() + at + 4, code, 8).ptr == field.data() + at + 4)
        {
            point += static_cast<char>(code);
            at += 3;
        }
        else
            point += field[at];
    }
    return point;
}

bool LiesUnder(std::string_view path, std::string_view mountPoint)
{
    return path.starts_with(mountPoint) &&
           (mountPoint.ends_with('/') || path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

struct CMount
{
    std::string point;
    dev_t device = 0;
};

// A line of the mount table: mount id, parent id, major:minor, root, mount point, and more.
std::optional<CMount> ReadMountLine(const std::string& line)
{
    std::istringstream fields(line);
    std::string id, parent, numbers, root, point;
    if (!(fields >> id >> parent >> numbers >> root >> point))
        return std::nullopt;
    const std::size_t colon = numbers.find(':');
    unsigned int major = 0, minor = 0;
    if (colon == std::string::npos ||
        std::from_chars(numbers.data(), numbers.data() + colon, major).ptr != numbers.data() + colon ||
        std::from_chars(numbers.data() + colon + 1, numbers.data() + numbers.size(), minor).ptr !=
            numbers.data() + numbers.size())
        return std::nullopt;
    return CMount{UnescapeMountPoint(point), makedev(major, minor)};
}

// The device of the mount that the absolute path lies under, as the system's mount table
// gives it; none for a path that is not absolute or lies under no mount of the table. Asking
// the file, or any folder on its way, for its device may wait on the mount as long as its
// read would, and so is never done here: the table is the kernel's own record, read without
// a word to any mount, and read anew for each request, since mounts come and go while the
// program runs (a removable disk, a share mounted when first visited). The path is taken
// by its words: one through a link to another mount counts as the mount of the link.
std::optional<dev_t> MountDevice(const CString& path)
{
    const std::string clean = QDir::cleanPath(QString::fromStdString(path.ToUtf8())).toStdString();
    if (!clean.starts_with('/'))
        return std::nullopt;
    std::ifstream table("/proc/self/mountinfo");
    std::optional<CMount> under;
    for (std::string line; std::getline(table, line);)
    {
        std::optional<CMount> mount = ReadMountLine(line);
        // A later mount on the same point hides the earlier ones.
        if (mount && LiesUnder(clean, mount->point) && (!under || mount->point.size() >= under->point.size()))
            under = std::move(mount);
    }
    if (!under)
        return std::nullopt;
    return under->device;
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
        m_state->waiting = State::Request{request, path, most, MountDevice(path)};
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
    const std::optional<std::size_t> place = TakeThreadPlace(m_state->waiting->device);
    if (!place)
    {
        // A thread that ends, this reader's or another's, makes room, or leaves the device.
        LookAgainIn(m_stuckAfter);
        return;
    }
    try
    {
        std::thread(&CFileHeadReader::Work, m_state, m_state->thread + 1, *place).detach();
        // The thread waits for the mutex held here before it looks at its number.
        ++m_state->thread;
        m_state->working = true;
        // Until the thread takes the request: a request made meanwhile waits for it.
        m_state->readSince = Clock::now();
        return;
    }
    catch (const std::system_error&)
    {
        LeaveThreadPlace(*place);
    }
    // No thread to be had: the request waits for the present one, or for a thread to be had
    // later should another thread read a file of its device by then; without one no answer
    // comes.
    if (m_state->working)
    {
        LookAgainIn(m_stuckAfter);
        return;
    }
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

void CFileHeadReader::Work(std::shared_ptr<State> state, std::uint64_t thread, std::size_t place)
{
    std::unique_lock lock(state->mutex);
    // A request of a device that another thread reads is left waiting for the reader to look
    // at again, so that a stuck mount never holds this thread as well.
    while (state->receiver != nullptr && state->thread == thread && state->waiting &&
           NoteDeviceRead(place, state->waiting->device))
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
    LeaveThreadPlace(place);
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
