#pragma once
// ILURLSource: a data source that first downloads a whole URL into memory. All URL
// sources share one transfer handle, so one transfer runs at a time: sources on other
// threads wait for it.

#include <string>
#include <vector>

#include "imaging/ildatasource.h"

class ILURLSource : public ILDataSource
{
public:
    // Downloads larger than this are refused rather than filling memory.
    static constexpr std::size_t kMaxDownload = std::size_t{256} << 20;

    ILURLSource();
    ~ILURLSource() override;

    // 0 on success; ILTextException::urlFailed when the transfer fails (GetErrorCode then
    // holds the transfer's result code) or the server answers 400 or above (the HTTP
    // status, with its text in GetErrorText).
    [[nodiscard]] int Open(const char* url);
    void Close() override;

    [[nodiscard]] const std::uint8_t* GetBufferPtr(std::int64_t minBytes) override;
    const std::uint8_t* ReadNBytes(std::int64_t count) override;
    [[nodiscard]] const std::uint8_t* ReadEverything() override;

    [[nodiscard]] const std::string& GetErrorText() const { return m_errorText; }
    [[nodiscard]] int GetErrorCode() const { return m_errorCode; }

    // The text for an HTTP status of 400 or above, "Unknown error<code>" for others.
    [[nodiscard]] static std::string StatusText(long status);

private:
    static std::size_t Receive(char* data, std::size_t size, std::size_t count, void* self);

    std::vector<std::uint8_t> m_data;
    std::size_t m_offset = 0;
    std::string m_errorText;
    int m_errorCode = 0;
};
