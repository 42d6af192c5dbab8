#pragma once
// CSettingsStore: the user's settings as a tree of keys holding named, typed values,
// kept in one JSON file. It stands where the program once used the system registry,
// so it answers the way callers of a registry expect: key and value names compare
// without regard to case but keep the spelling they were created with, and a key may
// exist without values.
//
// Key paths are separated by backslashes ("Software\Orvell Software\Glimra\Undo");
// empty pieces are ignored and the empty path is the root. ASCII letters fold.
//
// The file is read on first use. Every change is written at once, unless a CBatch is
// alive, in which case the changes are written when the last batch ends. The file is
// replaced atomically, so a crash or a failed write leaves the previous file whole.
// A file that was read whole but is not JSON of the expected shape is moved aside to
// "<name>.corrupt" (or ".corrupt.1", ".corrupt.2", ... so no earlier one is lost) and
// the store starts empty, so callers fall back to their defaults. A file that could
// not be opened or read (permissions, an I/O error, too many open files) is left
// exactly as it is: the store works from defaults in memory and never writes over it
// in this run; every change then reports saveFailed.
//
// Not thread-safe: the program touches its settings from the user-interface thread.

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/cstring.h"

enum class SettingsStatus
{
    ok,
    keyMissing,
    valueMissing,
    wrongType,
    saveFailed,  // the change is held in memory but could not be written to the file
};

// How the file was found when the store first read it.
enum class SettingsLoad
{
    ok,          // read (or absent: the store starts empty)
    setAside,    // unusable contents, moved aside; a sound file is written on the next change
    unreadable,  // could not be read; left untouched and not written in this run
};

// What reading the file's bytes gave.
enum class SettingsRead
{
    ok,
    missing,
    failed,
    notRegular,  // a pipe, a device, a folder...: nothing to read, and nothing to wait for
};

enum class SettingsType
{
    dword,   // uint32_t
    qword,   // uint64_t
    string,  // CString
    binary,  // std::vector<uint8_t>
};

// The alternatives appear in the order of SettingsType.
using SettingsValue = std::variant<uint32_t, uint64_t, CString, std::vector<uint8_t>>;

[[nodiscard]] SettingsType TypeOf(const SettingsValue& value);

class CSettingsStore
{
public:
    class CBatch;

    // The user's store: "registry.json" in GetConfigFolder(). Without a config folder
    // the store still works in memory, but every write reports saveFailed.
    CSettingsStore();
    // A store kept in the given file (UTF-8 path); its folder is created on first write.
    explicit CSettingsStore(const CString& filePath);
    virtual ~CSettingsStore();

    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

    [[nodiscard]] const std::string& GetFilePath() const { return m_filePath; }
    // Reads the file when that has not happened yet, and tells how it went.
    [[nodiscard]] SettingsLoad GetLoadResult() const;
    // What was wrong with the file, as a sentence for the user (empty when nothing was),
    // handed out once: the next call answers empty. A file moved aside is named with the
    // name it now has, so that the user can take back what it held.
    [[nodiscard]] CString TakeLoadReport();

    // Makes the key and any missing parents. ok, or saveFailed when the file could not be written.
    SettingsStatus CreateKey(const CString& keyPath);
    [[nodiscard]] bool KeyExists(const CString& keyPath) const;

    // keyMissing, valueMissing or ok; the typed forms answer wrongType (and leave `out`
    // unchanged) when the value holds another type.
    [[nodiscard]] SettingsStatus Query(const CString& keyPath, const CString& name, SettingsValue& out) const;
    [[nodiscard]] SettingsStatus QueryDword(const CString& keyPath, const CString& name, uint32_t& out) const;
    [[nodiscard]] SettingsStatus QueryQword(const CString& keyPath, const CString& name, uint64_t& out) const;
    [[nodiscard]] SettingsStatus QueryString(const CString& keyPath, const CString& name, CString& out) const;
    [[nodiscard]] SettingsStatus QueryBinary(const CString& keyPath, const CString& name,
                                             std::vector<uint8_t>& out) const;

    // Sets a value, making the key when missing; a value of another type is replaced.
    // ok, or saveFailed when the file could not be written (the change stays in memory).
    SettingsStatus Set(const CString& keyPath, const CString& name, SettingsValue value);
    SettingsStatus SetDword(const CString& keyPath, const CString& name, uint32_t value);
    SettingsStatus SetQword(const CString& keyPath, const CString& name, uint64_t value);
    SettingsStatus SetString(const CString& keyPath, const CString& name, const CString& value);
    SettingsStatus SetBinary(const CString& keyPath, const CString& name, std::vector<uint8_t> value);

    // keyMissing, valueMissing, ok or saveFailed.
    SettingsStatus DeleteValue(const CString& keyPath, const CString& name);
    // Deletes the key with all its subkeys. Deleting the root empties it.
    // keyMissing, ok or saveFailed.
    SettingsStatus DeleteKey(const CString& keyPath);

    // Names with their first spelling, ordered without regard to case; empty for a missing key.
    [[nodiscard]] std::vector<CString> ListSubkeys(const CString& keyPath) const;
    [[nodiscard]] std::vector<CString> ListValues(const CString& keyPath) const;

    // Writes pending changes now. ok when nothing is pending or the write succeeded.
    SettingsStatus Flush();

protected:
    // The last step of a write: the complete, synced temporary file takes the place of
    // the target. Overridable so the failure of this step can be exercised.
    [[nodiscard]] virtual bool ReplaceFile(const std::string& temporaryPath, const std::string& targetPath);
    // Reads the whole file. Overridable so read errors can be exercised.
    [[nodiscard]] virtual SettingsRead ReadFileBytes(const std::string& path, std::string& bytes) const;

private:
    struct Node;

    void EnsureLoaded() const;
    void Load() const;
    // Renames an unusable file out of the way so that the next change writes a sound one.
    void MoveAside(const char* fault) const;
    // The backup's file name (without its folder); empty when no free backup name was
    // found or the move failed.
    [[nodiscard]] std::string SetAside() const;
    void Report(const char* what, int error) const;
    [[nodiscard]] Node* Find(const CString& keyPath) const;
    SettingsStatus Changed();
    [[nodiscard]] bool Save();
    [[nodiscard]] bool WriteAtomically(const std::string& bytes);

    std::string m_filePath;
    // Loading happens on first use, which may be a query.
    mutable std::unique_ptr<Node> m_root;
    mutable bool m_loaded = false;
    mutable SettingsLoad m_loadResult = SettingsLoad::ok;
    mutable CString m_loadReport;
    bool m_dirty = false;
    int m_batchDepth = 0;
};

// Holds the store's writes back while it lives, so a group of changes reaches the file
// in one write. Batches nest; the outermost one writes.
class CSettingsStore::CBatch
{
public:
    explicit CBatch(CSettingsStore& store);
    ~CBatch();  // writes what is pending; a failure here goes unreported (call Commit to learn it)

    CBatch(const CBatch&) = delete;
    CBatch& operator=(const CBatch&) = delete;

    // Writes what is pending now and ends the batch. ok or saveFailed.
    SettingsStatus Commit();

private:
    CSettingsStore* m_store;
};
