#pragma once
// CFileHeadReader: reads the first bytes of a file on a thread of its own and hands them to
// the interface thread, so that a file dialog's preview never waits on the interface thread
// for a file whose read may never end (a mount that stopped answering). Only the answer to
// the newest request is delivered; one still under way when the reader goes is dropped,
// and its thread ends with its read. Interface thread.
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

class CFileHeadReader
{
public:
    using Answer = std::function<void(const CFileHead&)>;

    CFileHeadReader();
    ~CFileHeadReader();
    CFileHeadReader(const CFileHeadReader&) = delete;
    CFileHeadReader& operator=(const CFileHeadReader&) = delete;

    // Starts reading; the answer comes on the interface thread from its event loop. An
    // answer of an earlier request not yet delivered is dropped.
    void Read(const CString& path, std::size_t most, Answer answer);
    // Drops the answer of the request under way.
    void Cancel();
    // True while the newest request's answer has not come.
    [[nodiscard]] bool IsReading() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
