#pragma once
// ILDataSource: the input of a decoder. A source holds the whole input in memory and
// hands out pointers into it while it keeps a read position; decoders never read
// files themselves.
//
// Every operation that reads checks the bytes that remain first: asking for more than
// remains throws ILTextException endOfData and moves nothing.

#include <cstdint>
#include <optional>
#include <string>

#include "imaging/ilobject.h"
#include "platform/cstring.h"

class ILProgressNotification;

class ILDataSource : public ILObject
{
public:
    explicit ILDataSource(ILProgressNotification* progress = nullptr) : m_progress(progress) {}
    ILDataSource(const ILDataSource&) = delete;
    ILDataSource& operator=(const ILDataSource&) = delete;
    ~ILDataSource() override = default;

    // Reports progress 1.0, forgets the names and sets the size to 0.
    virtual void Close();

    // The bytes at the read position without moving it; at least minBytes of them remain.
    [[nodiscard]] virtual const std::uint8_t* GetBufferPtr(std::int64_t minBytes) = 0;
    // The n bytes at the read position; the position moves past them. Reports progress each
    // time the position crosses a multiple of 1024.
    virtual const std::uint8_t* ReadNBytes(std::int64_t count);
    // Everything from the read position to the end (GetBytesLeft() bytes); moves nothing.
    [[nodiscard]] virtual const std::uint8_t* ReadEverything() = 0;

    void Skip(std::int64_t count) { (void)ReadNBytes(count); }
    const std::uint8_t* Read1Byte() { return ReadNBytes(1); }
    const std::uint8_t* Read2Bytes() { return ReadNBytes(2); }
    const std::uint8_t* Read4Bytes() { return ReadNBytes(4); }

    // Empty while closed; "Wide" when opened by a wide name.
    [[nodiscard]] const std::string& GetName() const { return m_name; }
    // Null unless opened by a wide name.
    [[nodiscard]] const CString* GetWideName() const { return m_wideName ? &*m_wideName : nullptr; }
    [[nodiscard]] bool IsWide() const { return m_wideName.has_value(); }
    [[nodiscard]] std::int64_t GetFileSize() const { return m_fileSize; }
    [[nodiscard]] std::int64_t GetBytesRead() const { return m_bytesRead; }
    [[nodiscard]] std::int64_t GetBytesLeft() const { return m_fileSize - m_bytesRead; }
    [[nodiscard]] bool IsOpen() const { return m_open; }

    // Hands a decoder's own measure of its progress (0 to 1) to the notification, if any;
    // for decoders whose library reads the whole block at once.
    void ReportProgress(double part);

protected:
    // Store the name and size and start reading at 0; the subclasses' opens call them. The
    // wide form names the source "Wide".
    void Open(const char* name, std::int64_t fileSize);
    void OpenW(const CString& wideName, std::int64_t fileSize);
    // Throws endOfData unless count bytes (count ≥ 0) remain after the read position.
    void CheckAvailable(std::int64_t count) const;

private:
    ILProgressNotification* m_progress;
    std::string m_name;
    std::optional<CString> m_wideName;
    std::int64_t m_fileSize = 0;
    std::int64_t m_bytesRead = 0;
    bool m_open = false;
};
