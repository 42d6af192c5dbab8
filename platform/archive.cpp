#include "platform/archive.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "platform/file.h"
#include "platform/heapprefaulter.h"

namespace {

constexpr WORD kNullTag = 0x0000;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kBigClassTag = 0x80000000;
// Beyond this an index no longer fits the 32-bit tag next to the class bit.
constexpr UINT kMaxMapCount = 0x7FFFFFFE;
constexpr WORD kMaxClassNameLength = 64;

constexpr BYTE kStringLengthEscape = 0xFF;
constexpr WORD kUnicodeMarker = 0xFFFE;
constexpr WORD kWordLengthEscape = 0xFFFF;
// No text in a model comes near this; a longer length means a damaged file.
constexpr ULONGLONG kMaxStringUnits = 64ULL * 1024 * 1024;

constexpr int kMinBufferSize = 16;

template <typename T>
void ToLittleEndian(T value, BYTE* out)
{
    using U = std::make_unsigned_t<T>;
    auto bits = static_cast<U>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        out[i] = static_cast<BYTE>(bits & 0xFF);
        bits = static_cast<U>(bits >> 8);
    }
}

template <typename T>
T FromLittleEndian(const BYTE* in)
{
    using U = std::make_unsigned_t<T>;
    U bits = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) {
        bits = static_cast<U>((bits << 8) | in[i]);
    }
    return static_cast<T>(bits);
}

// Decrements the nesting depth however ReadObject leaves.
class NestingGuard
{
public:
    explicit NestingGuard(int& depth) : m_depth(depth) { ++m_depth; }
    ~NestingGuard() { --m_depth; }
    NestingGuard(const NestingGuard&) = delete;
    NestingGuard& operator=(const NestingGuard&) = delete;

private:
    int& m_depth;
};

// Each dropped object sets one bit of a 64-bit filter, found from its address; a reference
// asks the set only when its object's bit is set. A sound file may drop an object or two
// (an empty preview) and is then read at the speed of one that drops none.
std::uint64_t DroppedBit(const CObject* object)
{
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(object));
    return std::uint64_t{1} << (((address >> 4) * 0x9E3779B97F4A7C15ull) >> 58);
}

// A dropped object is freed when the archive closes: whoever took it from the table now
// would keep it past that, so it reads as null.
CObject* UnlessDropped(std::uint64_t filter, const std::unordered_set<CObject*>& dropped, CObject* object)
{
    return (filter & DroppedBit(object)) != 0 && dropped.count(object) != 0 ? nullptr : object;
}

}  // namespace

CArchive::CArchive(CFile* file, UINT mode, int bufSize)
    : m_file(file),
      m_loading((mode & load) != 0),
      m_noFlushOnDelete((mode & bNoFlushOnDelete) != 0),
      m_buffer(static_cast<std::size_t>(std::max(bufSize, kMinBufferSize)))
{
    if (file == nullptr) {
        AfxThrowInvalidArgException();
    }
    m_strFileName = file->GetFilePath();
    m_loaded.push_back(0);
}

CArchive::~CArchive()
{
    if (!m_closed && !m_loading && !m_noFlushOnDelete) {
        try {
            FlushBuffer();
        } catch (...) {
            // A destructor must not throw; callers that care call Close().
        }
    }
    DeletePendingObjects();
}

void CArchive::DeleteWhenClosed(CObject* object)
{
    if (object != nullptr) {
        m_deleteWhenClosed.insert(object);
        m_droppedFilter |= DroppedBit(object);
    }
}

void CArchive::DeletePendingObjects() noexcept
{
    // Taken out first, so a destructor that hands the archive more objects cannot
    // disturb the walk.
    std::unordered_set<CObject*> pending;
    pending.swap(m_deleteWhenClosed);
    m_droppedFilter = 0;
    for (CObject* object : pending) {
        delete object;
    }
}

void CArchive::Fail(int cause) const
{
    AfxThrowArchiveException(cause, m_strFileName);
}

void CArchive::CheckOpen() const
{
    if (m_closed) {
        Fail(CArchiveException::genericException);
    }
}

void CArchive::CheckStoring() const
{
    CheckOpen();
    if (m_loading) {
        Fail(CArchiveException::readOnly);
    }
}

void CArchive::CheckLoading() const
{
    CheckOpen();
    if (!m_loading) {
        Fail(CArchiveException::writeOnly);
    }
}

void CArchive::FlushBuffer()
{
    if (m_pos > 0) {
        const auto count = static_cast<UINT>(m_pos);
        m_pos = 0;
        m_file->Write(m_buffer.data(), count);
    }
}

void CArchive::Flush()
{
    CheckOpen();
    if (!m_loading) {
        FlushBuffer();
        m_file->Flush();
        return;
    }
    const std::size_t unread = m_end - m_pos;
    m_pos = m_end = 0;
    if (unread > 0) {
        m_file->Seek(-static_cast<LONGLONG>(unread), CFile::current);
    }
}

void CArchive::Close()
{
    CheckOpen();
    if (!m_loading) {
        FlushBuffer();
    }
    m_closed = true;
    m_file = nullptr;
    DeletePendingObjects();
}

void CArchive::Abort()
{
    m_closed = true;
    m_file = nullptr;
    m_pos = m_end = 0;
    DeletePendingObjects();
}

// Buffer and file I/O

void CArchive::ReportProgress() const
{
    if (m_progressHook) {
        m_progressHook();
    }
}

void CArchive::WriteBytes(const void* data, UINT count)
{
    const auto* bytes = static_cast<const BYTE*>(data);
    while (count > 0) {
        if (m_pos == m_buffer.size()) {
            ReportProgress();
            FlushBuffer();
        }
        if (m_pos == 0 && count >= m_buffer.size()) {
            ReportProgress();
            m_file->Write(bytes, count);
            return;
        }
        const auto chunk = static_cast<UINT>(std::min<std::size_t>(count, m_buffer.size() - m_pos));
        std::memcpy(m_buffer.data() + m_pos, bytes, chunk);
        m_pos += chunk;
        bytes += chunk;
        count -= chunk;
    }
}

void CArchive::FillBuffer(UINT wanted)
{
    ReportProgress();
    // Keep the unread tail at the front and top up behind it.
    const std::size_t unread = m_end - m_pos;
    if (unread > 0 && m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, unread);
    }
    m_pos = 0;
    m_end = unread;
    while (m_end < wanted && m_end < m_buffer.size()) {
        const UINT got = m_file->Read(m_buffer.data() + m_end, static_cast<UINT>(m_buffer.size() - m_end));
        if (got == 0) {
            break;
        }
        m_end += got;
    }
}

UINT CArchive::Read(void* buffer, UINT count)
{
    CheckLoading();
    auto* out = static_cast<BYTE*>(buffer);
    UINT done = 0;
    while (done < count) {
        if (m_pos == m_end) {
            const UINT left = count - done;
            if (left >= m_buffer.size()) {
                ReportProgress();
                const UINT got = m_file->Read(out + done, left);
                if (got == 0) {
                    break;
                }
                done += got;
                continue;
            }
            FillBuffer(left);
            if (m_pos == m_end) {
                break;
            }
        }
        const auto chunk = static_cast<UINT>(std::min<std::size_t>(count - done, m_end - m_pos));
        std::memcpy(out + done, m_buffer.data() + m_pos, chunk);
        m_pos += chunk;
        done += chunk;
    }
    return done;
}

void CArchive::Write(const void* buffer, UINT count)
{
    CheckStoring();
    WriteBytes(buffer, count);
}

void CArchive::ReadExact(void* out, UINT count)
{
    if (Read(out, count) != count) {
        Fail(CArchiveException::endOfFile);
    }
}

template <typename T>
CArchive& CArchive::StoreValueSlowly(T value)
{
    CheckStoring();
    BYTE bytes[sizeof(T)];
    if constexpr (std::is_floating_point_v<T>) {
        using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;
        ToLittleEndian(std::bit_cast<Bits>(value), bytes);
    } else {
        ToLittleEndian(value, bytes);
    }
    WriteBytes(bytes, sizeof(T));
    return *this;
}

template <typename T>
T CArchive::LoadValueSlowly()
{
    CheckLoading();
    BYTE bytes[sizeof(T)];
    if (m_end - m_pos >= sizeof(T)) {
        std::memcpy(bytes, m_buffer.data() + m_pos, sizeof(T));
        m_pos += sizeof(T);
    } else {
        ReadExact(bytes, sizeof(T));
    }
    if constexpr (std::is_floating_point_v<T>) {
        using Bits = std::conditional_t<sizeof(T) == 8, std::uint64_t, std::uint32_t>;
        return std::bit_cast<T>(FromLittleEndian<Bits>(bytes));
    } else {
        return FromLittleEndian<T>(bytes);
    }
}

// The slow paths of the inline readers and writers, for every type they take.
template CArchive& CArchive::StoreValueSlowly(BYTE);
template CArchive& CArchive::StoreValueSlowly(WORD);
template CArchive& CArchive::StoreValueSlowly(std::int32_t);
template CArchive& CArchive::StoreValueSlowly(std::uint32_t);
template CArchive& CArchive::StoreValueSlowly(LONGLONG);
template CArchive& CArchive::StoreValueSlowly(ULONGLONG);
template CArchive& CArchive::StoreValueSlowly(double);
template CArchive& CArchive::StoreValueSlowly(float);
template BYTE CArchive::LoadValueSlowly();
template WORD CArchive::LoadValueSlowly();
template std::int32_t CArchive::LoadValueSlowly();
template std::uint32_t CArchive::LoadValueSlowly();
template LONGLONG CArchive::LoadValueSlowly();
template ULONGLONG CArchive::LoadValueSlowly();
template double CArchive::LoadValueSlowly();
template float CArchive::LoadValueSlowly();

// Limits against bad input

bool CArchive::IsBufferEmpty() const
{
    return m_loading ? m_pos == m_end : m_pos == 0;
}

ULONGLONG CArchive::GetRemainingBytes() const
{
    CheckLoading();
    const ULONGLONG buffered = m_end - m_pos;
    try {
        const ULONGLONG length = m_file->GetLength();
        const ULONGLONG position = m_file->GetPosition();
        return buffered + (length > position ? length - position : 0);
    } catch (const CFileException&) {
        // A stream without a length (a pipe) gives no bound.
        return std::numeric_limits<ULONGLONG>::max();
    }
}

bool CArchive::HasAvailable(ULONGLONG bytes) const
{
    CheckLoading();
    return bytes <= static_cast<ULONGLONG>(m_end - m_pos) || GetRemainingBytes() >= bytes;
}

void CArchive::EnsureAvailable(ULONGLONG bytes)
{
    if (!HasAvailable(bytes)) {
        Fail(CArchiveException::endOfFile);
    }
}

// Object references

UINT CArchive::GetMapCount() const
{
    return m_loading ? static_cast<UINT>(m_loaded.size() - 1) : m_storedCount;
}

CObject* CArchive::GetLoadedObject(UINT index) const
{
    if (!m_loading || index == 0 || index >= m_loaded.size()) {
        return nullptr;
    }
    if (IsClassEntry(index)) {
        return nullptr;
    }
    // Asked for every object of a read given up.
    return UnlessDropped(m_droppedFilter, m_deleteWhenClosed, reinterpret_cast<CObject*>(m_loaded[index]));
}

UINT CArchive::GetStoredIndex(const CObject* object) const
{
    return m_storedObjects.Find(object);
}

std::vector<std::pair<const CObject*, UINT>> CArchive::GetStoredObjects() const
{
    std::vector<std::pair<const CObject*, UINT>> objects;
    objects.reserve(m_storedObjects.GetCount());
    for (const auto& [key, index] : m_storedObjects.GetEntries()) {
        objects.emplace_back(static_cast<const CObject*>(key), index);
    }
    return objects;
}

void CArchive::NoteObjectsOf(std::vector<const CRuntimeClass*> bases)
{
    m_notedBases = std::move(bases);
    for (LoadedClass& loaded : m_loadedClasses) {
        loaded.noted = IsNoted(loaded.runtimeClass);
    }
}

bool CArchive::IsNoted(const CRuntimeClass* runtimeClass) const
{
    return std::any_of(m_notedBases.begin(), m_notedBases.end(),
                       [runtimeClass](const CRuntimeClass* base) { return runtimeClass->IsDerivedFrom(base); });
}

bool CArchive::IsClassEntry(DWORD index) const
{
    return (m_loaded[index] & 1U) != 0;
}

void CArchive::AddLoadedEntry(std::uintptr_t entry, bool noted)
{
    if (m_loaded.size() > kMaxMapCount) {
        Fail(CArchiveException::badIndex);
    }
    if (!m_loadedReserved) {
        // Room for the objects the rest of the data can plausibly hold, so a large
        // file does not copy its table over and over while it grows. Untouched room
        // costs address space only. The bound lies past the tens of millions of
        // objects a large model holds: a table that outgrew it would be copied once
        // more, old and new held at once, at the read's very peak.
        m_loadedReserved = true;
        constexpr ULONGLONG kBytesPerEntry = 16;
        constexpr ULONGLONG kMostReserved = 1ULL << 28;
        const ULONGLONG remaining = GetRemainingBytes();
        if (remaining != std::numeric_limits<ULONGLONG>::max()) {
            m_loaded.reserve(static_cast<std::size_t>(std::min(remaining / kBytesPerEntry, kMostReserved)) + 1);
        }
    }
    if (m_loaded.size() >= m_loadedPrepareAt) {
        PrepareLoadedAhead();
    }
    if (!noted) {
        m_loaded.push_back(entry);
        return;
    }
    m_noted.push_back(static_cast<UINT>(m_loaded.size()));
    try {
        m_loaded.push_back(entry);
    } catch (...) {
        m_noted.pop_back();
        throw;
    }
}

void CArchive::PrepareLoadedAhead()
{
    // A large table is a mapping of its own, out of the heap prefaulter's sight: it is
    // handed over a stretch at a time, ahead of the entries being written, since the
    // reservation is a guess that may run far past the entries the file holds.
    constexpr std::size_t kStretch = std::size_t{1} << 19;
    const std::size_t from = std::max(m_loaded.size(), m_loadedPreparedTo);
    const std::size_t to = std::min(m_loaded.capacity(), m_loaded.size() + 2 * kStretch);
    if (from < to) {
        CHeapPrefaulter::PrepareRegion(m_loaded.data() + from, (to - from) * sizeof(std::uintptr_t));
        m_loadedPreparedTo = to;
    }
    m_loadedPrepareAt = m_loaded.size() + kStretch;
}

UINT CArchive::GetObjectSchema()
{
    const UINT schema = m_schema;
    m_schema = kNoSchema;  // answered once for each object read
    return schema;
}

void CArchive::ReserveStoredObjects(std::size_t count)
{
    if (!m_loading) {
        m_storedObjects.Reserve(m_storedObjects.GetCount() + count);
    }
}

void CArchive::MapObject(const CObject* object)
{
    CheckOpen();
    if (m_loading) {
        AddLoadedEntry(reinterpret_cast<std::uintptr_t>(object),
                       object != nullptr && IsNoted(object->GetRuntimeClass()));
        return;
    }
    if (m_storedCount >= kMaxMapCount) {
        Fail(CArchiveException::badIndex);
    }
    ++m_storedCount;
    // Mapping an object twice moves it to the newer number on both sides alike.
    m_storedObjects.Set(object, m_storedCount);
}

void CArchive::WriteIndexTag(UINT index, bool isClass)
{
    if (index < kBigObjectTag) {
        *this << static_cast<WORD>(isClass ? (kClassTag | index) : index);
    } else {
        *this << kBigObjectTag;
        *this << static_cast<DWORD>(isClass ? (kBigClassTag | index) : index);
    }
}

void CArchive::WriteClass(const CRuntimeClass* runtimeClass)
{
    const auto known = m_storedClasses.find(runtimeClass);
    if (known != m_storedClasses.end()) {
        WriteIndexTag(known->second, true);
        return;
    }
    const std::string name = runtimeClass->m_lpszClassName ? runtimeClass->m_lpszClassName : "";
    if (runtimeClass->m_wSchema == kNoSchema || name.empty() || name.size() >= kMaxClassNameLength) {
        Fail(CArchiveException::badClass);
    }
    if (m_storedCount >= kMaxMapCount) {
        Fail(CArchiveException::badIndex);
    }
    *this << kNewClassTag;
    *this << static_cast<WORD>(runtimeClass->m_wSchema & 0xFFFF);
    *this << static_cast<WORD>(name.size());
    WriteBytes(name.data(), static_cast<UINT>(name.size()));
    m_storedClasses[runtimeClass] = ++m_storedCount;
}

void CArchive::WriteObject(const CObject* object)
{
    CheckStoring();
    if (object == nullptr) {
        *this << kNullTag;
        return;
    }
    if (const UINT known = m_storedObjects.Find(object); known != 0) {
        WriteIndexTag(known, false);
        return;
    }
    WriteClass(object->GetRuntimeClass());
    if (m_storedCount >= kMaxMapCount) {
        Fail(CArchiveException::badIndex);
    }
    // Numbered before its record, so references back to it from inside write as indices.
    m_storedObjects.Set(object, ++m_storedCount);
    const_cast<CObject*>(object)->Serialize(*this);
}

const CArchive::LoadedClass& CArchive::ReadNewClass()
{
    WORD schema = 0;
    WORD nameLength = 0;
    *this >> schema >> nameLength;
    if (nameLength >= kMaxClassNameLength) {
        Fail(CArchiveException::badClass);
    }
    std::string name(nameLength, '\0');
    ReadExact(name.data(), nameLength);
    const CRuntimeClass* runtimeClass = CRuntimeClass::FromName(name);
    if (runtimeClass == nullptr) {
        Fail(CArchiveException::badClass);
    }
    if ((runtimeClass->m_wSchema & VERSIONABLE_SCHEMA) == 0 && runtimeClass->m_wSchema != schema) {
        Fail(CArchiveException::badSchema);
    }
    AddLoadedEntry((static_cast<std::uintptr_t>(m_loadedClasses.size()) << 1) | 1U);
    m_loadedClasses.push_back({runtimeClass, schema, IsNoted(runtimeClass)});
    m_schema = schema;
    return m_loadedClasses.back();
}

const CArchive::LoadedClass& CArchive::LookUpClass(DWORD index)
{
    if (index == 0 || index >= m_loaded.size() || !IsClassEntry(index)) {
        Fail(CArchiveException::badIndex);
    }
    const LoadedClass& loaded = m_loadedClasses[m_loaded[index] >> 1];
    m_schema = loaded.schema;
    return loaded;
}

CObject* CArchive::LookUpObject(DWORD index) const
{
    if (index >= m_loaded.size() || IsClassEntry(index)) {
        Fail(CArchiveException::badIndex);
    }
    return UnlessDropped(m_droppedFilter, m_deleteWhenClosed, reinterpret_cast<CObject*>(m_loaded[index]));
}

bool CArchive::IsMadeAfter(const CObject* object, UINT known) const
{
    if (!m_loading || object == nullptr) {
        return false;
    }
    for (std::size_t index = static_cast<std::size_t>(known) + 1; index < m_loaded.size(); ++index) {
        if (!IsClassEntry(static_cast<DWORD>(index)) && reinterpret_cast<const CObject*>(m_loaded[index]) == object) {
            return true;
        }
    }
    return false;
}

CObject* CArchive::ReadNewObject(const LoadedClass& loaded, const CRuntimeClass* requested)
{
    // Copied: the records read below may add classes and move the entry.
    const CRuntimeClass* const runtimeClass = loaded.runtimeClass;
    const bool noted = loaded.noted;
    if (requested != nullptr && !runtimeClass->IsDerivedFrom(requested)) {
        Fail(CArchiveException::badClass);
    }
    CObject* object = runtimeClass->CreateObject();
    if (object == nullptr) {
        Fail(CArchiveException::badClass);
    }
    try {
        AddLoadedEntry(reinterpret_cast<std::uintptr_t>(object), noted);
    } catch (...) {
        delete object;
        throw;
    }
    object->Serialize(*this);
    return object;
}

CObject* CArchive::ReadObject(const CRuntimeClass* requested)
{
    CheckLoading();
    const NestingGuard guard(m_depth);
    if (m_depth > kMaxObjectNesting) {
        Fail(CArchiveException::nestedTooDeep);
    }
    WORD wordTag = 0;
    *this >> wordTag;
    if (wordTag == kNewClassTag) {
        return ReadNewObject(ReadNewClass(), requested);
    }
    DWORD tag = 0;
    if (wordTag == kBigObjectTag) {
        *this >> tag;
    } else {
        tag = (static_cast<DWORD>(wordTag & kClassTag) << 16) | (wordTag & ~kClassTag & 0xFFFF);
    }
    if ((tag & kBigClassTag) != 0) {
        return ReadNewObject(LookUpClass(tag & ~kBigClassTag), requested);
    }
    CObject* object = LookUpObject(tag);
    if (object != nullptr && requested != nullptr && !object->IsKindOf(requested)) {
        Fail(CArchiveException::badClass);
    }
    return object;
}

// Free helpers

CArchive& ArchiveWriteUInt32(CArchive& ar, std::uint32_t value)
{
    return ar << value;
}

CArchive& ArchiveWriteBool(CArchive& ar, bool value)
{
    return ar << static_cast<BYTE>(value ? 1 : 0);
}

void ArchiveWriteString(CArchive& ar, const CString& value)
{
    if (!ar.IsStoring()) {
        AfxThrowArchiveException(CArchiveException::readOnly, ar.m_strFileName);
    }
    const auto length = static_cast<ULONGLONG>(value.Units().size());
    // Longer strings would make a file that no reader accepts.
    if (length > kMaxStringUnits) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a text is too long");
    }
    ar << kStringLengthEscape << kUnicodeMarker;
    if (length < kStringLengthEscape) {
        ar << static_cast<BYTE>(length);
    } else if (length < kUnicodeMarker) {
        ar << kStringLengthEscape << static_cast<WORD>(length);
    } else {
        ar << kStringLengthEscape << kWordLengthEscape << static_cast<DWORD>(length);
    }
    // Written in pieces so no single write exceeds what a UINT counts.
    constexpr std::size_t kChunkUnits = 4096;
    const std::u16string& units = value.Units();
    BYTE out[kChunkUnits * 2];
    for (std::size_t start = 0; start < units.size(); start += kChunkUnits) {
        const std::size_t count = std::min(kChunkUnits, units.size() - start);
        for (std::size_t i = 0; i < count; ++i) {
            out[2 * i] = static_cast<BYTE>(units[start + i] & 0xFF);
            out[2 * i + 1] = static_cast<BYTE>(units[start + i] >> 8);
        }
        ar.Write(out, static_cast<UINT>(count * 2));
    }
}

namespace {

// The length that follows a first byte of 0xFF when it is not the Unicode marker.
ULONGLONG ReadLongLength(CArchive& ar, WORD word)
{
    if (word != kWordLengthEscape) {
        return word;
    }
    DWORD length = 0;
    ar >> length;
    return length;
}

ULONGLONG ReadLength(CArchive& ar)
{
    BYTE first = 0;
    ar >> first;
    if (first != kStringLengthEscape) {
        return first;
    }
    WORD word = 0;
    ar >> word;
    return ReadLongLength(ar, word);
}

// A string cut short is reported without a file name, unlike a short primitive, so
// that the two failures keep the causes that the error messages tell apart. The
// length limit comes second, so that a damaged length in a file that ends before it
// still reads as a string cut short.
std::string ReadCharacterBytes(CArchive& ar, ULONGLONG length, ULONGLONG unitSize)
{
    const ULONGLONG byteCount = length * unitSize;
    if (!ar.HasAvailable(byteCount)) {
        AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    if (length > kMaxStringUnits) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a text is too long");
    }
    // A stream of unknown length (a pipe) gives no bound to check against, so the
    // buffer grows only as fast as bytes actually arrive.
    constexpr ULONGLONG kChunkBytes = 64 * 1024;
    std::string bytes;
    while (bytes.size() < byteCount) {
        const ULONGLONG chunk = std::min<ULONGLONG>(kChunkBytes, byteCount - bytes.size());
        const std::size_t start = bytes.size();
        bytes.resize(start + static_cast<std::size_t>(chunk));
        if (ar.Read(bytes.data() + start, static_cast<UINT>(chunk)) != chunk) {
            AfxThrowArchiveException(CArchiveException::endOfFile);
        }
    }
    return bytes;
}

}  // namespace

CString ArchiveReadString(CArchive& ar)
{
    if (!ar.IsLoading()) {
        AfxThrowArchiveException(CArchiveException::writeOnly, ar.m_strFileName);
    }
    bool unicode = false;
    ULONGLONG length = 0;
    BYTE first = 0;
    ar >> first;
    if (first != kStringLengthEscape) {
        length = first;
    } else {
        WORD word = 0;
        ar >> word;
        if (word == kUnicodeMarker) {
            unicode = true;
            length = ReadLength(ar);
        } else {
            length = ReadLongLength(ar, word);
        }
    }
    if (!unicode) {
        return CString::FromAnsi(ReadCharacterBytes(ar, length, 1));
    }
    const std::string bytes = ReadCharacterBytes(ar, length, 2);
    std::u16string units(static_cast<std::size_t>(length), u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<BYTE>(bytes[2 * i]) |
                                         (static_cast<BYTE>(bytes[2 * i + 1]) << 8));
    }
    return CString(std::move(units));
}
