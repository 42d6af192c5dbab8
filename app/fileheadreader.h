#pragma once
// CFileHeadReader: reads the first bytes of a file on a thread of its own and hands them to
// the interface thread, so that a file dialog's preview never waits on the interface thread
// for a file whose read may never end (a mount that stopped answering). A reader reads on one
// thread: a request made while it reads waits in place of the one waiting before it. When its
// read has lasted kStuckAfter (unless told otherwise) and a request waits, the thread is left
// to its read and a new one reads the newest request, so that a read that never ends takes no
// later file's answer. Threads of every reader together are at most kMostThreads; past that a
// request waits until one ends. A mount that stopped answering holds at most one of them: no
// thread reads a file while another reads a file of the same device (the mount that its path
// lies under in the system's mount table, since asking the file for its device may never end
// either), so a request for one waits for that read to end, and a request for a file of
// another device still has a thread. Only the answer to the newest request is delivered. A
// thread holds only what it shares with the reader, never the reader: an answer that comes
// after the reader or the application went goes nowhere, and a thread stuck in a read when
// the reader goes ends with its read. Interface thread.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/cstring.h"

// What a file's first bytes read: only a regular file of some length is read.
struct CFileHead
{
    bool read = false;
    // The file's length when its bytes were read.
    std::uint64_t size = 0;
    std::vector<std::uint8_t> bytes;
};

// Reads at most `most` bytes from the start of the regular file at the path, at once on the
// calling thread. A folder, a pipe, a device, a link's target that is none of them, a file
// of no length (the system's own files under /proc show none, and some of them block) and
// one that cannot be opened or read give an unread head. A pipe is opened without waiting
// for a writer.
[[nodiscard]] CFileHead ReadFileHead(const CString& path, std::size_t most);

class QObject;

class CFileHeadReader
{
public:
    using Answer = std::function<void(const CFileHead&)>;
    // How a file's head is read, on the reader's thread.
    using ReadFunction = std::function<CFileHead(const CString& path, std::size_t most)>;

    // Longer than a read of a local disk or an answering mount takes, so that a slow read is
    // not left to hold a thread, and short enough that the next file's preview after a stuck
    // one comes about when the eye looks for it.
    static constexpr std::chrono::milliseconds kStuckAfter{300};
    // Threads reading at once in the whole program, stuck ones with them.
    static constexpr int kMostThreads = 4;

    // A read that lasts stuckAfter is taken as stuck.
    explicit CFileHeadReader(ReadFunction read = ReadFileHead, std::chrono::milliseconds stuckAfter = kStuckAfter);
    ~CFileHeadReader();
    CFileHeadReader(const CFileHeadReader&) = delete;
    CFileHeadReader& operator=(const CFileHeadReader&) = delete;

    // Asks for the file's head; the answer comes on the interface thread from its event loop.
    // An earlier request not yet read is dropped unread, and the answer of one being read is
    // dropped. Without an application (none yet, or it went), or when no thread can be made
    // and none of the reader's reads, no answer comes and the request is settled at once.
    void Read(const CString& path, std::size_t most, Answer answer);
    // Drops the waiting request and the answer of the one being read.
    void Cancel();
    // True while the newest request's answer has not come.
    [[nodiscard]] bool IsReading() const;

private:
    struct State;
    // Reads the waiting requests while it is the reader's present thread (its number) and no
    // other thread reads a file of their device; holds its place of the program's threads.
    static void Work(std::shared_ptr<State> state, std::uint64_t thread, std::size_t place);
    // Starts a thread for the waiting request when the reader has none or its thread's read is
    // taken as stuck, room allowing and no thread reading a file of the request's device;
    // else looks again when that may have changed.
    void StartThread();
    void LookAgainIn(std::chrono::steady_clock::duration wait);
    // Where the thread posts its answers while the application lives; null without one.
    [[nodiscard]] QObject* Receiver();
    void Deliver(std::uint64_t request, const CFileHead& head);

    const std::chrono::milliseconds m_stuckAfter;
    std::shared_ptr<State> m_state;
    // Owned here, but the thread reaches it only through the state, under its lock.
    std::unique_ptr<QObject> m_receiver;
    std::uint64_t m_request = 0;
    std::uint64_t m_settled = 0;
    Answer m_answer;
    // Whether a look at the waiting request is due.
    bool m_looking = false;
};
