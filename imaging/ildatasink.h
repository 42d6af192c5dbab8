#pragma once
// ILDataSink: the output of an encoder, a byte buffer with a write position. Encoders
// write only through a sink. When a write would pass the capacity the sink is asked to
// grow; ILMemSink and ILFileSink do, a sink that cannot throws ILTextException endOfData
// "Buffer overflow while encoding.\n" and writes nothing. Writing to a sink that is not
// open throws internalError and writes nothing.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "imaging/ilobject.h"
#include "platform/cstring.h"

class ILDataSink : public ILObject
{
public:
    ILDataSink() = default;
    ILDataSink(const ILDataSink&) = delete;
    ILDataSink& operator=(const ILDataSink&) = delete;
    ~ILDataSink() override = default;

    // Forgets the names and the buffer; the data size becomes 0.
    virtual void Close();

    // Appends count bytes and returns count.
    std::size_t WriteNBytes(std::size_t count, const void* data);
    void WriteByte(std::uint8_t byte);

    // Empty while closed; "Wide" when opened by a wide name.
    [[nodiscard]] const std::string& GetName() const { return m_name; }
    // Null unless opened by a wide name.
    [[nodiscard]] const CString* GetNameW() const { return m_wideName ? &*m_wideName : nullptr; }
    [[nodiscard]] std::size_t GetDataSize() const { return m_dataSize; }
    // The next write position. Valid only until the next write, which may move the buffer.
    [[nodiscard]] std::uint8_t* GetBufferPtr() const { return m_buffer + m_dataSize; }
    [[nodiscard]] std::size_t GetMaxDataSize() const { return m_maxSize; }

protected:
    // Take the buffer of maxSize bytes and write from its start.
    void Open(const char* name, std::uint8_t* buffer, std::size_t maxSize);
    void OpenW(const CString& wideName, std::uint8_t* buffer, std::size_t maxSize);

    // Called when a write needs `needed` bytes in all; a sink that can grows its buffer to at
    // least that, calls SetBuffer and returns true. The base cannot.
    virtual bool Grow(std::size_t needed);
    void SetBuffer(std::uint8_t* buffer, std::size_t maxSize);

private:
    void MakeRoom(std::size_t count);

    std::uint8_t* m_buffer = nullptr;
    std::size_t m_dataSize = 0;
    std::string m_name;
    std::optional<CString> m_wideName;
    std::size_t m_maxSize = 0;
    bool m_open = false;
};
