#pragma once
// ILFileSink: a sink that writes a file through a memory mapping. The file is reserved at
// the capacity given to Open, grows when an encoder writes more, and is cut to the bytes
// written when the sink closes.

#include "imaging/ildatasink.h"

class ILFileSink : public ILDataSink
{
public:
    ILFileSink() = default;
    ~ILFileSink() override;

    // Creates the file anew (an existing one is truncated). 0 on success; pathNotFound when
    // a folder of the path is missing, accessDenied when the file may not be written or the
    // space cannot be reserved, fileNotFound for every other failure.
    [[nodiscard]] int Open(const char* name, std::size_t maxSize);
    [[nodiscard]] int OpenW(const CString& name, std::size_t maxSize);
    // The file keeps exactly the bytes written. When it cannot be cut to them or closed,
    // throws ILTextException accessDenied "Closing <name> failed: <reason>" (the sink is
    // closed all the same). The destructor closes without throwing.
    void Close() override;

protected:
    bool Grow(std::size_t needed) override;

private:
    [[nodiscard]] int OpenPath(const std::string& utf8Path, std::size_t maxSize);
    [[nodiscard]] bool Reserve(std::size_t size);
    [[nodiscard]] int Release();

    int m_fd = -1;
    void* m_view = nullptr;
    std::size_t m_viewSize = 0;
};
