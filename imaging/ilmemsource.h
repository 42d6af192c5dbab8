#pragma once
// ILMemSource: a data source over a block of the caller's memory, named "Mem".

#include "imaging/ildatasource.h"

class ILMemSource : public ILDataSource
{
public:
    ILMemSource() = default;
    explicit ILMemSource(ILProgressNotification* progress) : ILDataSource(progress) {}
    ~ILMemSource() override;

    // The memory stays the caller's and must outlive the source. Returns 0, or
    // ILTextException::internalError for a negative size or null data with a size.
    [[nodiscard]] int Open(const std::uint8_t* data, std::int64_t size);
    void Close() override;

    [[nodiscard]] const std::uint8_t* GetBufferPtr(std::int64_t minBytes) override;
    const std::uint8_t* ReadNBytes(std::int64_t count) override;
    [[nodiscard]] const std::uint8_t* ReadEverything() override;

private:
    const std::uint8_t* m_current = nullptr;
};
