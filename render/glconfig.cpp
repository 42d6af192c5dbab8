#include "render/glconfig.h"

#include "platform/profile.h"
#include "platform/settingsstore.h"

int g_UseFastFeedback = 1;

namespace {

const char16_t* const kStoredNames[] = {u"PixelFormat", u"Accelerated", u"ColorBits", u"DepthBits", u"StencilBits"};

CGLConfig g_GLConfig;
CString g_GLConfigKey;

std::int32_t* StoredWord(CGLConfig& config, int i)
{
    std::int32_t* const words[] = {&config.PixelFormat, &config.Accelerated, &config.ColorBits, &config.DepthBits,
                                   &config.StencilBits};
    return words[i];
}

const CString& Key()
{
    if (g_GLConfigKey.IsEmpty()) {
        InitGLConfig();
    }
    return g_GLConfigKey;
}

bool GetFlag(const CString& name, bool defaultValue)
{
    std::uint32_t value = 0;
    return ReadGLConfigDword(name, value) ? value != 0 : defaultValue;
}

}  // namespace

void InitGLConfig()
{
    g_GLConfigKey = CString::Formatted("Software\\Orvell Software\\GLConfig%d\\Display", kGLConfigGeneration);
    g_GLConfig = CGLConfig{};
    g_GLConfig.SwapCopy = g_UseFastFeedback;
}

CGLConfig& GetGLConfig()
{
    return g_GLConfig;
}

const CString& GetGLConfigKey()
{
    return Key();
}

bool ReadGLConfigDword(const CString& name, std::uint32_t& value)
{
    return GetProfileStore().QueryDword(Key(), name, value) == SettingsStatus::ok;
}

bool GLConfigKeyExists()
{
    return GetProfileStore().KeyExists(Key());
}

bool ReadGLConfig(CGLConfig& config)
{
    if (!GLConfigKeyExists()) {
        return false;
    }
    for (int i = 0; i < 5; ++i) {
        std::uint32_t value = 0;
        if (ReadGLConfigDword(CString(kStoredNames[i]), value)) {
            *StoredWord(config, i) = static_cast<std::int32_t>(value);
        }
    }
    return true;
}

bool WriteGLConfig(const CGLConfig& config)
{
    CSettingsStore::CBatch batch(GetProfileStore());
    CGLConfig copy = config;
    for (int i = 0; i < 5; ++i) {
        (void)GetProfileStore().SetDword(Key(), CString(kStoredNames[i]), static_cast<std::uint32_t>(*StoredWord(copy, i)));
    }
    return batch.Commit() == SettingsStatus::ok;
}

bool WriteGLConfigDword(const CString& name, std::uint32_t value)
{
    return GetProfileStore().SetDword(Key(), name, value) == SettingsStatus::ok;
}

void SetGLConfigAccelerated(bool accelerated)
{
    (void)WriteGLConfigDword("Accelerated", accelerated ? 1 : 0);
}

bool GetGLConfigAccelerated(bool defaultValue)
{
    return GetFlag("Accelerated", defaultValue);
}

void SetGLConfigReversedPick(bool reversed)
{
    (void)WriteGLConfigDword("ReversedPick", reversed ? 1 : 0);
}

bool GetGLConfigReversedPick(bool defaultValue)
{
    return GetFlag("ReversedPick", defaultValue);
}

void SetGLConfigDebugFlags(int flags)
{
    (void)WriteGLConfigDword("DebugFlags", static_cast<std::uint32_t>(flags));
}

int GetGLConfigDebugFlags(int defaultValue)
{
    std::uint32_t value = 0;
    return ReadGLConfigDword("DebugFlags", value) ? static_cast<int>(value) : defaultValue;
}

void DeleteGLConfigKey()
{
    CSettingsStore& store = GetProfileStore();
    CString path = Key();
    (void)store.DeleteKey(path);
    for (;;) {
        const int cut = path.ReverseFind(u'\\');
        if (cut <= 0) {
            return;
        }
        path = path.Left(cut);
        if (!store.KeyExists(path) || !store.ListSubkeys(path).empty()) {
            return;
        }
        (void)store.DeleteKey(path);
    }
}
