#pragma once
// Heap payloads shared by reference counting, so that copying a typed value that
// holds a string or an array costs one increment instead of a deep copy.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/cstring.h"

namespace orvell::utils {

// A payload is made with one reference, owned by whoever made it.
class CRefCountBase
{
public:
    CRefCountBase() = default;
    virtual ~CRefCountBase() = default;

    CRefCountBase(const CRefCountBase&) = delete;
    CRefCountBase& operator=(const CRefCountBase&) = delete;

    void AddRef() { ++m_refCount; }
    // Drops one reference (never below 0) and deletes the payload when none is left;
    // the caller must not touch the pointer afterwards.
    void Release();
    [[nodiscard]] std::int32_t GetRefCount() const { return m_refCount; }

private:
    std::int32_t m_refCount = 1;
};

class CRefCountedString : public CRefCountBase
{
public:
    explicit CRefCountedString(const CString& text) : m_text(text) {}

    [[nodiscard]] CString GetString() const { return m_text; }

private:
    CString m_text;
};

template <typename T>
class CRefCountedArrayData : public CRefCountBase
{
public:
    // count default-valued elements (0.0 for numbers).
    explicit CRefCountedArrayData(std::size_t count) : m_data(count) {}
    explicit CRefCountedArrayData(std::vector<T> data) : m_data(std::move(data)) {}

    [[nodiscard]] const std::vector<T>& GetData() const { return m_data; }
    // Writable only by the payload's sole owner; shared payloads are copied first.
    [[nodiscard]] std::vector<T>& GetData() { return m_data; }

private:
    std::vector<T> m_data;
};

} // namespace orvell::utils
