#pragma once
// Support for the tests of the model's settings classes: a builder of hand-made record
// bytes, an observer that writes down the notifications posted under one name, and
// scopes that set the file version and the local time zone for a test.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "foundation/color.h"
#include "foundation/notificationcenter.h"
#include "foundation/versioninfo.h"
#include "platform/exceptions.h"
#include "tests/document/documenttestsupport.h"

namespace settingstest {

using documenttest::Bytes;
using documenttest::FileVersions;
using documenttest::Load;
using documenttest::Store;

// Little-endian record fields, appended in order.
class RecordBuilder
{
public:
    RecordBuilder& Byte(BYTE value)
    {
        m_bytes.push_back(value);
        return *this;
    }
    RecordBuilder& Bool(bool value) { return Byte(value ? 1 : 0); }
    RecordBuilder& Word(WORD value) { return Raw(&value, sizeof value); }
    RecordBuilder& Int(std::int32_t value) { return Raw(&value, sizeof value); }
    RecordBuilder& Int64(std::int64_t value) { return Raw(&value, sizeof value); }
    RecordBuilder& Double(double value) { return Raw(&value, sizeof value); }
    RecordBuilder& Triple(double x, double y, double z) { return Double(x).Double(y).Double(z); }
    RecordBuilder& Color(const CColor& color)
    {
        const std::uint32_t value = color.GetValue();
        return Raw(&value, sizeof value);
    }
    // The short 8-bit string form: a length byte, then the characters.
    RecordBuilder& String(const std::string& ascii)
    {
        Byte(static_cast<BYTE>(ascii.size()));
        return Raw(ascii.data(), ascii.size());
    }
    // A null object reference.
    RecordBuilder& Null() { return Word(0); }
    // The entity part at its class version: a null attribute container from version 3,
    // a dropped number at version 1, nothing otherwise.
    RecordBuilder& Entity(int version = 3)
    {
        if (version >= 3) {
            return Null();
        }
        return version == 1 ? Int(0) : *this;
    }
    RecordBuilder& Append(const Bytes& bytes)
    {
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }

    [[nodiscard]] const Bytes& Get() const { return m_bytes; }

private:
    RecordBuilder& Raw(const void* data, std::size_t size)
    {
        const auto* bytes = static_cast<const BYTE*>(data);
        m_bytes.insert(m_bytes.end(), bytes, bytes + size);
        return *this;
    }

    Bytes m_bytes;
};

// Reads the bytes with the given class versions; every byte must be used.
inline void ReadAll(const Bytes& bytes, std::initializer_list<std::pair<const char*, int>> versions,
                    const std::function<void(CArchive&)>& read)
{
    const FileVersions fileVersions(versions);
    Load(bytes, [&](CArchive& ar) {
        read(ar);
        EXPECT_EQ(ar.GetRemainingBytes(), 0u);
    });
}

// The archive exception's cause, or none.
inline int ArchiveCause(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return CArchiveException::none;
}

// Writes down the first word of every notification posted under one name (the code
// or id of the settings notifications), and the data pointer.
class Recorder : public IObserver
{
public:
    explicit Recorder(const char* name) : m_name(name) { GetNotificationCenter().AddObserver(m_name, this); }
    ~Recorder() override { GetNotificationCenter().RemoveObserver(m_name, this); }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    void OnNotify(const std::string& /*name*/, void* data) override
    {
        std::int32_t first = 0;
        if (m_firstWord && data != nullptr) {
            std::memcpy(&first, data, sizeof first);
        }
        codes.push_back(first);
        pointers.push_back(data);
    }

    // Thumbnail notifications carry the object itself, not a record.
    void TakeNoWord() { m_firstWord = false; }

    std::vector<std::int32_t> codes;
    std::vector<void*> pointers;

private:
    std::string m_name;
    bool m_firstWord = true;
};

// The version of the file being read, for as long as the scope lives.
class FileVersionScope
{
public:
    FileVersionScope(int major, int minor, int build) : m_saved(GetFileVersionInfo())
    {
        SetFileVersionInfo(CVersionInfo(major, minor, build));
    }
    ~FileVersionScope() { SetFileVersionInfo(m_saved); }
    FileVersionScope(const FileVersionScope&) = delete;
    FileVersionScope& operator=(const FileVersionScope&) = delete;

private:
    CVersionInfo m_saved;
};

// The local time zone (a TZ value), for as long as the scope lives.
class TimeZoneScope
{
public:
    explicit TimeZoneScope(const char* zone)
    {
        if (const char* saved = std::getenv("TZ")) {
            m_saved = saved;
            m_hadZone = true;
        }
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneScope()
    {
        if (m_hadZone) {
            setenv("TZ", m_saved.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    TimeZoneScope(const TimeZoneScope&) = delete;
    TimeZoneScope& operator=(const TimeZoneScope&) = delete;

private:
    std::string m_saved;
    bool m_hadZone = false;
};

}  // namespace settingstest
