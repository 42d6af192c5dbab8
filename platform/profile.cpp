#include "platform/profile.h"

#include "platform/settingsstore.h"

namespace {

CSettingsStore* g_installedStore = nullptr;

// Reached through a function so code that runs during static initialisation finds it made.
CString& ProfileRoot()
{
    static CString root = GetDefaultProfileRoot();
    return root;
}

CString SectionKey(const CString& section)
{
    return section.IsEmpty() ? ProfileRoot() : ProfileRoot() + CString(u'\\') + section;
}

}  // namespace

CString GetDefaultProfileRoot()
{
    return CString("Software\\Orvell Software\\Glimra");
}

void SetProfileRoot(const CString& company, const CString& application)
{
    ProfileRoot() = CString("Software\\") + company + CString(u'\\') + application;
}

CString GetProfileRoot()
{
    return ProfileRoot();
}

CSettingsStore& GetProfileStore()
{
    if (g_installedStore) {
        return *g_installedStore;
    }
    // Made on first use, so the configuration folder is looked up only when settings are needed.
    static CSettingsStore userStore;
    return userStore;
}

void SetProfileStore(CSettingsStore* store)
{
    g_installedStore = store;
}

int GetProfileInt(const CString& section, const CString& entry, int defaultValue)
{
    uint32_t value = 0;
    if (GetProfileStore().QueryDword(SectionKey(section), entry, value) != SettingsStatus::ok) {
        return defaultValue;
    }
    return static_cast<int>(value);
}

bool WriteProfileInt(const CString& section, const CString& entry, int value)
{
    return GetProfileStore().SetDword(SectionKey(section), entry, static_cast<uint32_t>(value)) ==
           SettingsStatus::ok;
}

CString GetProfileString(const CString& section, const CString& entry, const CString& defaultValue)
{
    CString value;
    if (GetProfileStore().QueryString(SectionKey(section), entry, value) != SettingsStatus::ok) {
        return defaultValue;
    }
    return value;
}

bool WriteProfileString(const CString& section, const CString& entry, const CString& value)
{
    return GetProfileStore().SetString(SectionKey(section), entry, value) == SettingsStatus::ok;
}

bool GetProfileBinary(const CString& section, const CString& entry, std::vector<uint8_t>& bytes)
{
    return GetProfileStore().QueryBinary(SectionKey(section), entry, bytes) == SettingsStatus::ok;
}

bool WriteProfileBinary(const CString& section, const CString& entry, const std::vector<uint8_t>& bytes)
{
    return GetProfileStore().SetBinary(SectionKey(section), entry, bytes) == SettingsStatus::ok;
}

bool GetProfileBool(const CString& section, const CString& entry, bool defaultValue)
{
    return GetProfileInt(section, entry, defaultValue ? 1 : 0) > 0;
}

bool WriteProfileBool(const CString& section, const CString& entry, bool value)
{
    return WriteProfileInt(section, entry, value ? 1 : 0);
}
