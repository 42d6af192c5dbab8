#pragma once
// CStdioFile: a text file of lines, UTF-8 on disk. Lines end in "\n"; a "\r"
// before it (a file from another system) is dropped on reading.

#include <string>

#include "platform/file.h"

class CStdioFile : public CFile
{
public:
    CStdioFile() = default;
    // Opens the file or throws CFileException.
    CStdioFile(const CString& path, UINT flags);

    bool Open(const CString& path, UINT flags, CFileException* error = nullptr) override;

    // Writes the text as UTF-8, newlines as they stand. Throws CFileException.
    void WriteString(const CString& text);
    // The next line without its line end; false, with line emptied, when no text is left.
    // Throws CFileException on an input error.
    bool ReadString(CString& line);

    UINT Read(void* buffer, UINT count) override;
    void Write(const void* buffer, UINT count) override;
    ULONGLONG Seek(LONGLONG offset, UINT from) override;
    [[nodiscard]] ULONGLONG GetPosition() const override;
    void Close() override;
    void Abort() override;

private:
    [[nodiscard]] std::size_t Unread() const { return m_readAhead.size() - m_readPos; }
    // Puts the file back where the reader has got to, so the next operation starts there.
    void DropReadAhead();
    bool FillReadAhead();

    std::string m_readAhead;
    std::size_t m_readPos = 0;
};
