#pragma once
// ILFileSource: a data source over a file mapped read-only into memory.

#include "imaging/ildatasource.h"

class ILFileSource : public ILDataSource
{
public:
    explicit ILFileSource(ILProgressNotification* progress = nullptr) : ILDataSource(progress) {}
    ~ILFileSource() override;

    // 0 on success; pathNotFound when a folder of the path is missing, accessDenied when the
    // file may not be read or cannot be mapped (an empty file or a folder among them),
    // fileNotFound for a missing file and every other failure.
    [[nodiscard]] int Open(const char* path);
    [[nodiscard]] int OpenW(const CString& path);
    void Close() override;

    [[nodiscard]] const std::uint8_t* GetBufferPtr(std::int64_t minBytes) override;
    const std::uint8_t* ReadNBytes(std::int64_t count) override;
    [[nodiscard]] const std::uint8_t* ReadEverything() override;

private:
    [[nodiscard]] int OpenPath(const std::string& utf8Path);
    void Unmap();

    int m_fd = -1;
    void* m_view = nullptr;
    std::size_t m_viewSize = 0;
    const std::uint8_t* m_current = nullptr;
};
