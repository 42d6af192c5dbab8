#pragma once
// ILResourceSource: a data source over a resource embedded in the program
// (platform/resources.h), named "Resource: <id>".

#include "imaging/ildatasource.h"

class ILResourceSource : public ILDataSource
{
public:
    ILResourceSource() = default;
    ~ILResourceSource() override;

    // Looks the resource up by type and id; a null type means raw data ("RCDATA").
    // 0 on success, ILTextException::fileNotFound when there is no such resource.
    [[nodiscard]] int Open(int resourceId, const char* resourceType = nullptr);
    void Close() override;

    [[nodiscard]] const std::uint8_t* GetBufferPtr(std::int64_t minBytes) override;
    const std::uint8_t* ReadNBytes(std::int64_t count) override;
    [[nodiscard]] const std::uint8_t* ReadEverything() override;

private:
    const std::uint8_t* m_current = nullptr;
};
