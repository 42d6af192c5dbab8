#pragma once
// CPrintFile: the file a print to a file writes. The job goes to a new file of a short
// name of its own beside the target, made exclusively (never an existing file, never
// through a link, whatever others may put in the folder); only a whole job takes the
// target's name, by a rename that replaces what stood there (a link itself, not what it
// points to). A job that ends early leaves the folder as it was, an older file at the
// name included.
#include <QFile>
#include <string>

#include "platform/cstring.h"
#include "platform/file.h"

class CPrintFile
{
public:
    explicit CPrintFile(const CString& target);
    // Discards the job unless it was committed.
    ~CPrintFile();
    CPrintFile(const CPrintFile&) = delete;
    CPrintFile& operator=(const CPrintFile&) = delete;

    // Makes the new file; false when the folder takes none (it is missing, not writable,
    // or the name is empty).
    bool Open();
    // Where the job writes, open for writing after Open.
    [[nodiscard]] QIODevice& GetDevice() { return m_device; }
    // Gives the written file the target's name, readable as the user's new files are;
    // false (and nothing left behind) when it could not be written whole or renamed.
    bool Commit();
    // Removes what was written; the target is untouched.
    void Discard();

private:
    std::string m_target;
    std::string m_temporary;
    CFile m_file;
    QFile m_device;
};
