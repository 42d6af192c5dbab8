#pragma once
// CMemFile: a file held in memory. It either owns a buffer that grows as it is
// written, or reads bytes that belong to someone else without copying them.

#include <vector>

#include "platform/file.h"

class CMemFile : public CFile
{
public:
    // An empty growable file; growBytes is the smallest step the buffer grows by.
    explicit CMemFile(UINT growBytes = 1024);
    // Reads the caller's bytes in place; they must outlive the file. Write throws
    // CFileException accessDenied.
    CMemFile(const BYTE* data, UINT size);

    // A memory file has no path; always answers false with cause badPath.
    bool Open(const CString& path, UINT flags, CFileException* error = nullptr) override;

    // Reads from the current position; answers 0 at or past the end.
    UINT Read(void* buffer, UINT count) override;
    // Writing past the end grows the file, filling any gap with zeros. Throws
    // CFileException accessDenied on attached bytes, CMemoryException when memory runs out.
    void Write(const void* buffer, UINT count) override;
    // Throws CFileException badSeek for a position before the start.
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    [[nodiscard]] ULONGLONG GetPosition() const override;
    [[nodiscard]] ULONGLONG GetLength() const override;
    // Throws CFileException accessDenied on attached bytes.
    void SetLength(ULONGLONG newLength) override;
    void Flush() override {}
    // Empties the file; it can be written again afterwards.
    void Close() override;
    void Abort() override;
    [[nodiscard]] bool IsOpen() const override { return true; }

    // Replaces the contents by the caller's read-only bytes, as the constructor does.
    void Attach(const BYTE* data, UINT size);
    // Hands out the contents (copied when they were attached) and leaves the file empty.
    [[nodiscard]] std::vector<BYTE> Detach();

private:
    [[nodiscard]] const BYTE* Data() const;
    void CheckWritable() const;

    std::vector<BYTE> m_owned;
    const BYTE* m_attached = nullptr;
    ULONGLONG m_attachedSize = 0;
    ULONGLONG m_position = 0;
    UINT m_growBytes = 1024;
};
