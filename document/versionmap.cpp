#include "document/versionmap.h"

#include "platform/archive.h"
#include "platform/exceptions.h"

#include <array>
#include <cstdint>
#include <memory>

IMPLEMENT_SERIAL(CVersionMap, CObject, 0)

namespace {

std::unique_ptr<CVersionMap> g_current;
std::unique_ptr<CVersionMap> g_previous;
std::unique_ptr<CVersionMap> g_oldest;
std::unique_ptr<CVersionMap> g_loaded;

// Files written by older programs name a few classes by their former names.
std::string_view ModernClassName(std::string_view name)
{
    if (name == "CETarnisPage") {
        return "CTarnwickPage";
    }
    if (name == "CETarnisDoc") {
        return "CTarnwickModel";
    }
    if (name == "CAnnotation") {
        return "CText";
    }
    return name;
}

void RegisterIn(std::unique_ptr<CVersionMap>& map, const CRuntimeClass* cls, int version)
{
    if (!map) {
        map = std::make_unique<CVersionMap>();
    }
    map->SetVersion(cls, version);
}

void RegisterIn(std::unique_ptr<CVersionMap>& map, const char* name, int version)
{
    if (!map) {
        map = std::make_unique<CVersionMap>();
    }
    map->SetVersion(name, version);
}

std::uint64_t g_lastStamp = 0;

// Every record asks for its class's version, millions of times in a large file: the
// answers of the loaded map are kept by class, in open addressing over the class
// pointers, and dropped whenever the loaded map changes or another is loaded.
class CLoadedVersionCache
{
public:
    // False when the class is not cached (yet).
    bool Find(const CVersionMap& map, const CRuntimeClass* cls, int& version)
    {
        if (map.GetStamp() != m_stamp) {
            m_slots.fill({});
            m_used = 0;
            m_stamp = map.GetStamp();
            return false;
        }
        for (std::size_t i = SlotOf(cls);; i = (i + 1) % kSlots) {
            if (m_slots[i].cls == cls && m_slots[i].name == cls->m_lpszClassName) {
                version = m_slots[i].version;
                return true;
            }
            if (m_slots[i].cls == nullptr) {
                return false;
            }
        }
    }

    void Add(const CRuntimeClass* cls, int version)
    {
        // Kept at most three quarters full, so a probe always meets an empty slot.
        if (m_used >= kSlots * 3 / 4) {
            return;
        }
        std::size_t i = SlotOf(cls);
        while (m_slots[i].cls != nullptr && m_slots[i].cls != cls) {
            i = (i + 1) % kSlots;
        }
        if (m_slots[i].cls == nullptr) {
            ++m_used;
        }
        m_slots[i] = {cls, cls->m_lpszClassName, version};
    }

private:
    static constexpr std::size_t kSlots = 256;
    struct Slot
    {
        const CRuntimeClass* cls = nullptr;
        // The name the answer was found under: a class description that is given
        // another name (tests do so) is looked up again.
        const char* name = nullptr;
        int version = 0;
    };

    static std::size_t SlotOf(const CRuntimeClass* cls)
    {
        const auto bits = reinterpret_cast<std::uintptr_t>(cls);
        return static_cast<std::size_t>((bits >> 4) * 0x9E3779B97F4A7C15ULL >> 56) % kSlots;
    }

    std::array<Slot, kSlots> m_slots{};
    std::size_t m_used = 0;
    std::uint64_t m_stamp = 0;
};

CLoadedVersionCache g_loadedCache;

}  // namespace

void CVersionMap::Touch()
{
    m_stamp = ++g_lastStamp;
}

void CVersionMap::RemoveAll()
{
    m_versions.clear();
    Touch();
}

void CVersionMap::SetVersion(const CRuntimeClass* cls, int version)
{
    SetVersion(cls->m_lpszClassName, version);
}

void CVersionMap::SetVersion(std::string_view className, int version)
{
    auto it = m_versions.find(className);
    if (it != m_versions.end()) {
        it->second = version;
    } else {
        m_versions.emplace(std::string(className), version);
    }
    Touch();
}

int CVersionMap::GetVersion(const CRuntimeClass* cls) const
{
    return GetVersion(cls->m_lpszClassName);
}

int CVersionMap::GetVersion(std::string_view className) const
{
    const auto it = m_versions.find(className);
    return it == m_versions.end() ? 0 : it->second;
}

bool CVersionMap::Contains(std::string_view className) const
{
    return m_versions.find(className) != m_versions.end();
}

void CVersionMap::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        Read(ar);
    } else {
        Write(ar);
    }
}

void CVersionMap::Read(CArchive& ar)
{
    RemoveAll();
    for (;;) {
        const CString name = ArchiveReadString(ar);
        int32_t version = 0;
        ar >> version;
        if (name == CString(kEndMarker)) {
            return;
        }
        if (GetCount() >= kMaxEntries) {
            AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName,
                                     "its class-version list is too long");
        }
        SetVersion(ModernClassName(name.ToAnsi()), version);
    }
}

void CVersionMap::Write(CArchive& ar) const
{
    for (const auto& [name, version] : m_versions) {
        ArchiveWriteString(ar, CString::FromAnsi(name));
        ar << static_cast<int32_t>(version);
    }
    ArchiveWriteString(ar, CString(kEndMarker));
    ar << static_cast<int32_t>(0);
}

CObject* CreateVersionMap()
{
    return new CVersionMap;
}

void RegisterVersionMapCurrent(const CRuntimeClass* cls, int version)
{
    RegisterIn(g_current, cls, version);
}

void RegisterVersionMapPrevious(const CRuntimeClass* cls, int version)
{
    RegisterIn(g_previous, cls, version);
}

void RegisterVersionMapOldest(const CRuntimeClass* cls, int version)
{
    RegisterIn(g_oldest, cls, version);
}

CVersionMap* GetVersionMapCurrent()
{
    return g_current.get();
}

CVersionMap* GetVersionMapPrevious()
{
    return g_previous.get();
}

CVersionMap* GetVersionMapOldest()
{
    return g_oldest.get();
}

void FreeVersionMapCurrent()
{
    g_current.reset();
}

void FreeVersionMapPrevious()
{
    g_previous.reset();
}

void FreeVersionMapOldest()
{
    g_oldest.reset();
}

void RegisterClassVersionTable()
{
    AfxRegisterClass(RUNTIME_CLASS(CVersionMap));
    int count = 0;
    const ClassVersionRow* rows = GetClassVersionTable(&count);
    for (int i = 0; i < count; ++i) {
        RegisterIn(g_current, rows[i].name, rows[i].current);
        RegisterIn(g_previous, rows[i].name, rows[i].previous);
        if (rows[i].oldest >= 0) {
            RegisterIn(g_oldest, rows[i].name, rows[i].oldest);
        }
    }
}

void ReadVersionMapObject(CArchive& ar, CVersionMap*& map)
{
    map = nullptr;
    const UINT knownBefore = ar.GetMapCount();
    try {
        map = static_cast<CVersionMap*>(ar.ReadObject(RUNTIME_CLASS(CVersionMap)));
    } catch (...) {
        // The archive entered the new map in its table before its record failed, and
        // nobody else will own it; the archive deletes it when it is closed.
        for (UINT index = knownBefore + 1; index <= ar.GetMapCount(); ++index) {
            CObject* partial = ar.GetLoadedObject(index);
            if (partial != nullptr && partial->IsKindOf(RUNTIME_CLASS(CVersionMap))) {
                ar.DeleteWhenClosed(partial);
            }
        }
        throw;
    }
}

void WriteVersionMapCurrent(CArchive& ar)
{
    ar.WriteObject(g_current.get());
}

void WriteVersionMapPrevious(CArchive& ar)
{
    ar.WriteObject(g_previous.get());
}

void WriteVersionMapOldest(CArchive& ar)
{
    ar.WriteObject(g_oldest.get());
}

void SetLoadedVersionMap(CVersionMap* map)
{
    if (map == g_loaded.get()) {
        return;
    }
    g_loaded.reset(map);
}

CVersionMap* GetLoadedVersionMap()
{
    return g_loaded.get();
}

CVersionMap* ReleaseLoadedVersionMap()
{
    return g_loaded.release();
}

int GetLoadedClassVersion(const CRuntimeClass* cls)
{
    if (!g_loaded) {
        return static_cast<int>(cls->m_wSchema & ~VERSIONABLE_SCHEMA);
    }
    int version = 0;
    if (!g_loadedCache.Find(*g_loaded, cls, version)) {
        version = g_loaded->GetVersion(cls);
        g_loadedCache.Add(cls, version);
    }
    return version;
}

bool IsIgnorableClassName(std::string_view name)
{
    return name == "CHiddenEntities" || name == "CExportOptions";
}

bool FileNeedsNewerVersion(const CVersionMap* fileMap)
{
    if (!fileMap || fileMap->IsEmpty()) {
        return false;
    }
    if (!g_current) {
        return true;
    }
    for (const auto& [name, version] : fileMap->GetEntries()) {
        if (name == "CCircularArc") {
            continue;
        }
        if (!g_current->Contains(name)) {
            if (IsIgnorableClassName(name)) {
                continue;
            }
            return true;
        }
        if (static_cast<uint32_t>(version) > static_cast<uint32_t>(g_current->GetVersion(name))) {
            return true;
        }
    }
    return false;
}
