#pragma once
// CArchive: the buffered binary stream that model records are written to and read
// from. Multi-byte values are little-endian with no padding. The archive also keeps
// the table that turns object pointers into small numbers on the wire and back.

#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/cstring.h"
#include "platform/exceptions.h"
#include "platform/object.h"
#include "platform/pointerindexmap.h"
#include "platform/types.h"

class CFile;

// Every failure below raises CArchiveException (platform/exceptions.h); file errors
// from the underlying CFile pass through as CFileException.
class CArchive
{
public:
    enum Mode
    {
        store = 0,
        load = 1,
        bNoFlushOnDelete = 2
    };

    // ReadObject refuses to nest deeper than this rather than overflow the stack.
    static constexpr int kMaxObjectNesting = 2000;
    // The buffer a whole document is read through: a model of a hundred megabytes read 4 KB
    // at a time makes tens of thousands of system calls. A progress hook still runs at
    // every refill, a fraction of a millisecond of reading apart.
    static constexpr int kDocumentBufferSize = 1 << 16;

    // The file must outlive the archive; a null file throws CInvalidArgException.
    // A bufSize below 16 is raised to 16.
    CArchive(CFile* file, UINT mode, int bufSize = 4096);
    // Flushes a storing archive unless it was aborted or made with bNoFlushOnDelete;
    // errors while flushing here are swallowed. Deletes the objects handed to
    // DeleteWhenClosed that are still pending.
    ~CArchive();

    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    [[nodiscard]] bool IsLoading() const { return m_loading; }
    [[nodiscard]] bool IsStoring() const { return !m_loading; }
    [[nodiscard]] CFile* GetFile() const { return m_file; }

    // Storing: writes the buffered bytes and flushes the file. Loading: drops the
    // read-ahead and moves the file back to the first unread byte.
    void Flush();
    // Writes a storing archive's buffered bytes and detaches from the file (which stays
    // open); any later use of the archive throws genericException. Then deletes the
    // objects handed to DeleteWhenClosed.
    void Close();
    // Detaches without writing anything and deletes the objects handed to
    // DeleteWhenClosed; never throws.
    void Abort();

    // Storing: throws readOnly on a loading archive.
    CArchive& operator<<(BYTE value) { return StoreValue(value); }
    CArchive& operator<<(WORD value) { return StoreValue(value); }
    CArchive& operator<<(std::int32_t value) { return StoreValue(value); }
    CArchive& operator<<(std::uint32_t value) { return StoreValue(value); }
    CArchive& operator<<(LONGLONG value) { return StoreValue(value); }
    CArchive& operator<<(ULONGLONG value) { return StoreValue(value); }
    CArchive& operator<<(double value) { return StoreValue(value); }
    CArchive& operator<<(float value) { return StoreValue(value); }
    // These would silently widen to four bytes: a bool goes through ArchiveWriteBool,
    // the others need a cast to the width the record means.
    CArchive& operator<<(bool value) = delete;
    CArchive& operator<<(char value) = delete;
    CArchive& operator<<(signed char value) = delete;
    CArchive& operator<<(short value) = delete;

    // Loading: throws writeOnly on a storing archive, endOfFile when the data ends.
    CArchive& operator>>(BYTE& value) { return LoadValue(value); }
    CArchive& operator>>(WORD& value) { return LoadValue(value); }
    CArchive& operator>>(std::int32_t& value) { return LoadValue(value); }
    CArchive& operator>>(std::uint32_t& value) { return LoadValue(value); }
    CArchive& operator>>(LONGLONG& value) { return LoadValue(value); }
    CArchive& operator>>(ULONGLONG& value) { return LoadValue(value); }
    CArchive& operator>>(double& value) { return LoadValue(value); }
    CArchive& operator>>(float& value) { return LoadValue(value); }
    CArchive& operator>>(bool& value) = delete;

    // Reads up to count bytes; answers fewer only at the end of the data.
    UINT Read(void* buffer, UINT count);
    // Called each time the archive reads more of the file, or writes a full buffer to it,
    // so that long work on the interface thread can keep the windows painted or give up
    // (what the hook throws leaves the archive as a failed read or write would). Empty:
    // nothing is called.
    void SetProgressHook(std::function<void()> hook) { m_progressHook = std::move(hook); }
    void Write(const void* buffer, UINT count);

    // Object references. Reading: null requested accepts any class. A new object is
    // entered into the table before its Serialize runs, so references back to it
    // resolve. When reading fails part-way, objects already created stay in the table
    // and nothing is deleted: the archive owns only what DeleteWhenClosed handed it.
    // Throws badClass, badSchema, badIndex, endOfFile, or nestedTooDeep when
    // objects nest deeper than kMaxObjectNesting.
    CObject* ReadObject(const CRuntimeClass* requested);
    // Writes null, a back-reference, or the class (once) and the object's record.
    void WriteObject(const CObject* object);
    // For a record that drops an object it has read: the archive keeps the object alive
    // until it is closed, aborted or destroyed and deletes it then, and from now on a
    // reference to it reads as null, so nothing read later can hold it past the read.
    // The record makes sure that nothing read before holds it. Handing the same object
    // over twice deletes it once; null is ignored.
    void DeleteWhenClosed(CObject* object);
    // Whether the object was made by this archive after the object numbered `known`
    // (GetMapCount() before a reference was read: whether that reference made it).
    [[nodiscard]] bool IsMadeAfter(const CObject* object, UINT known) const;
    // Storing: makes room for this many more objects in the table of written ones, for
    // a record about to write a long list. Only a matter of speed.
    void ReserveStoredObjects(std::size_t count);
    // Gives the object the next number without writing or reading anything, as if
    // it had passed through the archive.
    void MapObject(const CObject* object);
    // The schema word of the class just read (kNoSchema when none); records keep
    // their own versions and need not look at it.
    [[nodiscard]] UINT GetObjectSchema();

    // The object table: numbers run from 1 to GetMapCount() and classes share them
    // with objects.
    [[nodiscard]] UINT GetMapCount() const;
    // The loaded object with this number; null when out of range, a class entry, or an
    // object handed to DeleteWhenClosed (the archive deletes that one itself).
    [[nodiscard]] CObject* GetLoadedObject(UINT index) const;
    // The number a stored object was given; 0 when it has none.
    [[nodiscard]] UINT GetStoredIndex(const CObject* object) const;
    // Every object written or mapped while storing, with its number, in no set order.
    [[nodiscard]] std::vector<std::pair<const CObject*, UINT>> GetStoredObjects() const;
    // Loading: from now on the archive notes the number of every object it makes or is
    // given whose class derives from one of these, so that a pass over the objects of a
    // few classes after a large read need not visit the whole table.
    void NoteObjectsOf(std::vector<const CRuntimeClass*> bases);
    // Those numbers, ascending.
    [[nodiscard]] const std::vector<UINT>& GetNotedObjects() const { return m_noted; }
    // A reader that reads on past a part that failed, or drops what it read before,
    // says so: objects it made may then be held by no one when the read ends.
    void NoteObjectsMayBeLeft() { m_objectsMayBeLeft = true; }
    [[nodiscard]] bool MayHaveLeftObjects() const { return m_objectsMayBeLeft; }

    // Limits against bad input (loading).
    [[nodiscard]] bool IsBufferEmpty() const;
    // Bytes left in the buffer and the file; a very large number when unknown.
    [[nodiscard]] ULONGLONG GetRemainingBytes() const;
    // True when at least bytes remain. The buffer answers most checks without asking the
    // file, which costs two system calls.
    [[nodiscard]] bool HasAvailable(ULONGLONG bytes) const;
    // Throws endOfFile (with the file name) when fewer than bytes remain.
    void EnsureAvailable(ULONGLONG bytes);

    CString m_strFileName;

private:
    void CheckStoring() const;
    void CheckLoading() const;
    void CheckOpen() const;
    void FillBuffer(UINT wanted);
    void ReadExact(void* out, UINT count);
    void WriteBytes(const void* data, UINT count);
    void FlushBuffer();
    // A large model reads and writes tens of millions of values: while the buffer has
    // room (and the host is little-endian, as the data are) a value is copied in place;
    // everything else, checks and their exceptions included, goes the long way.
    template <typename T>
    CArchive& StoreValue(T value)
    {
        if constexpr (std::endian::native == std::endian::little) {
            if (!m_loading && !m_closed && m_buffer.size() - m_pos >= sizeof(T)) {
                std::memcpy(m_buffer.data() + m_pos, &value, sizeof(T));
                m_pos += sizeof(T);
                return *this;
            }
        }
        return StoreValueSlowly(value);
    }
    template <typename T>
    CArchive& LoadValue(T& value)
    {
        if constexpr (std::endian::native == std::endian::little) {
            if (m_loading && !m_closed && m_end - m_pos >= sizeof(T)) {
                std::memcpy(&value, m_buffer.data() + m_pos, sizeof(T));
                m_pos += sizeof(T);
                return *this;
            }
        }
        value = LoadValueSlowly<T>();
        return *this;
    }
    template <typename T>
    CArchive& StoreValueSlowly(T value);
    template <typename T>
    T LoadValueSlowly();

    void WriteClass(const CRuntimeClass* runtimeClass);
    void WriteIndexTag(UINT index, bool isClass);
    struct LoadedClass;
    const LoadedClass& ReadNewClass();
    const LoadedClass& LookUpClass(DWORD index);
    CObject* LookUpObject(DWORD index) const;
    CObject* ReadNewObject(const LoadedClass& loaded, const CRuntimeClass* requested);
    // noted: the entry's number goes to m_noted as well.
    void AddLoadedEntry(std::uintptr_t entry, bool noted = false);
    void PrepareLoadedAhead();
    [[nodiscard]] bool IsNoted(const CRuntimeClass* runtimeClass) const;
    [[nodiscard]] bool IsClassEntry(DWORD index) const;
    [[noreturn]] void Fail(int cause) const;
    // Calls the progress hook, if there is one.
    void ReportProgress() const;
    void DeletePendingObjects() noexcept;

    CFile* m_file = nullptr;
    bool m_loading = false;
    bool m_noFlushOnDelete = false;
    bool m_closed = false;
    std::vector<BYTE> m_buffer;
    std::size_t m_pos = 0;  // next byte to read or write
    std::size_t m_end = 0;  // bytes in the buffer when loading
    std::function<void()> m_progressHook;

    // Loading: entry n holds an object pointer, or, with the lowest bit set (object
    // pointers never have it), twice the position of a class in m_loadedClasses plus
    // one; entry 0 is null. One word per entry, because a large file has millions.
    struct LoadedClass
    {
        const CRuntimeClass* runtimeClass = nullptr;
        UINT schema = kNoSchema;  // the schema word the class was read with
        bool noted = false;       // its objects go to m_noted
    };
    std::vector<std::uintptr_t> m_loaded;
    std::vector<LoadedClass> m_loadedClasses;
    bool m_loadedReserved = false;
    // The table's room handed to the heap prefaulter so far, and the size at which more is.
    std::size_t m_loadedPreparedTo = 0;
    std::size_t m_loadedPrepareAt = 0;
    std::vector<const CRuntimeClass*> m_notedBases;
    std::vector<UINT> m_noted;
    bool m_objectsMayBeLeft = false;
    // Storing: objects and classes by the number they were given.
    CPointerIndexMap m_storedObjects;
    std::unordered_map<const CRuntimeClass*, UINT> m_storedClasses;
    UINT m_storedCount = 0;
    UINT m_schema = kNoSchema;
    int m_depth = 0;
    std::unordered_set<CObject*> m_deleteWhenClosed;
    std::uint64_t m_droppedFilter = 0;  // a bit for each object in m_deleteWhenClosed
};

// Free helpers the records use.
CArchive& ArchiveWriteUInt32(CArchive& ar, std::uint32_t value);
CArchive& ArchiveWriteBool(CArchive& ar, bool value);
// Inline: a large model's elements read millions of flags.
[[nodiscard]] inline bool ArchiveReadBool(CArchive& ar)
{
    BYTE value = 0;
    ar >> value;
    return value != 0;
}
void ArchiveWriteString(CArchive& ar, const CString& value);
// Accepts the UTF-16 form and the older 8-bit form (read as Windows-1252).
[[nodiscard]] CString ArchiveReadString(CArchive& ar);
