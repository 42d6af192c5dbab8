#pragma once
// Class-version maps: every model class picks the layout of its record by the
// version its class had in the program that wrote the file. A file carries one
// map; the program keeps one per save format it can write.

#include "platform/object.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

class CArchive;

class CVersionMap : public CObject
{
    DECLARE_SERIAL(CVersionMap)

public:
    CVersionMap() = default;

    void SetVersion(const CRuntimeClass* cls, int version);
    void SetVersion(std::string_view className, int version);
    // 0 when the map does not name the class.
    [[nodiscard]] int GetVersion(const CRuntimeClass* cls) const;
    [[nodiscard]] int GetVersion(std::string_view className) const;
    [[nodiscard]] bool Contains(std::string_view className) const;
    [[nodiscard]] bool IsEmpty() const { return m_versions.empty(); }
    [[nodiscard]] int GetCount() const { return static_cast<int>(m_versions.size()); }
    [[nodiscard]] const std::map<std::string, int, std::less<>>& GetEntries() const { return m_versions; }
    void RemoveAll();
    // Changes with every change of the entries and differs between maps, so that a
    // cache of answers knows when it went stale.
    [[nodiscard]] std::uint64_t GetStamp() const { return m_stamp; }

    // Reading throws the archive exception when the record ends before its end marker
    // or holds more entries than any program could have written.
    void Serialize(CArchive& ar) override;

    static constexpr const char* kEndMarker = "End-Of-Version-Map";
    static constexpr int kMaxEntries = 4096;

private:
    void Read(CArchive& ar);
    void Write(CArchive& ar) const;

    void Touch();

    std::map<std::string, int, std::less<>> m_versions;  // ordered byte-wise, as written
    std::uint64_t m_stamp = 0;
};

// The factory the archive uses for the class.
[[nodiscard]] CObject* CreateVersionMap();

// The maps of save formats 5000, 4000 and 3000, made by the first registration.
void RegisterVersionMapCurrent(const CRuntimeClass* cls, int version);
void RegisterVersionMapPrevious(const CRuntimeClass* cls, int version);
void RegisterVersionMapOldest(const CRuntimeClass* cls, int version);
[[nodiscard]] CVersionMap* GetVersionMapCurrent();
[[nodiscard]] CVersionMap* GetVersionMapPrevious();
[[nodiscard]] CVersionMap* GetVersionMapOldest();
void FreeVersionMapCurrent();
void FreeVersionMapPrevious();
void FreeVersionMapOldest();

// Fills the three format maps with every model class and its version in each
// format, by class name; safe to call more than once. Runs before the first
// file is read, whether or not the model classes are linked in yet.
void RegisterClassVersionTable();

// One row of the program's class-version table; -1 marks a class absent from a map.
struct ClassVersionRow
{
    const char* name;
    int current;
    int previous;
    int oldest;
};
[[nodiscard]] const ClassVersionRow* GetClassVersionTable(int* count);

// Reads an object reference of class CVersionMap; the caller owns the result (may be
// null). When the map's record fails, the archive's exception passes on, map stays
// null and the partly read map is deleted when the archive closes.
void ReadVersionMapObject(CArchive& ar, CVersionMap*& map);
void WriteVersionMapCurrent(CArchive& ar);
void WriteVersionMapPrevious(CArchive& ar);
void WriteVersionMapOldest(CArchive& ar);

// Takes ownership; deletes the map installed before. Null removes it.
void SetLoadedVersionMap(CVersionMap* map);
[[nodiscard]] CVersionMap* GetLoadedVersionMap();
// Hands the loaded map to the caller, who owns it from then on; none is loaded after.
[[nodiscard]] CVersionMap* ReleaseLoadedVersionMap();

// With no loaded map: the class's registered schema without the versionable bit.
// With one: the file's version for the class, 0 when the file does not name it.
[[nodiscard]] int GetLoadedClassVersion(const CRuntimeClass* cls);

// Whether a file's map asks for a newer program than this one.
[[nodiscard]] bool FileNeedsNewerVersion(const CVersionMap* fileMap);
[[nodiscard]] bool IsIgnorableClassName(std::string_view name);
