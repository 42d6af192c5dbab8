#include "document/optionsmanager.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

#include "foundation/repairnotes.h"
#include "platform/archive.h"

using orvell::utils::CTypedValue;

IMPLEMENT_DYNAMIC(COptionsManager, CObject)

namespace {

constexpr std::int32_t kRecordVersion = 1;
// A provider takes at least its name and its closing empty string, one byte each.
constexpr ULONGLONG kMinProviderBytes = 2;

// The order in which model files list the providers.
constexpr std::array<std::string_view, 5> kProviderOrder = {"UnitsOptions", "AxisOptions", "NamedOptions",
                                                           "PageOptions", "SlideshowOptions"};

std::size_t ProviderRank(const CString& name)
{
    const std::string utf8 = name.ToUtf8();
    const auto found = std::find(kProviderOrder.begin(), kProviderOrder.end(), utf8);
    return static_cast<std::size_t>(found - kProviderOrder.begin());
}

std::unique_ptr<COptionsManager>& Registry()
{
    static std::unique_ptr<COptionsManager> registry;
    return registry;
}

// The default of a key, which the registered provider of that name holds.
CTypedValue DefaultOf(const COptionsProvider& provider, const CString& key)
{
    const COptionsProvider* prototype = Registry() != nullptr ? Registry()->GetProvider(provider.GetName()) : nullptr;
    return prototype != nullptr ? prototype->GetValue(key) : CTypedValue();
}

// Hands a value read to its provider. A number that is not finite is mended only where the
// program computes with it (lengths, angles, times, counts): it gives way to the key's
// default. An on/off key converts it as any other number (on); a named value is the
// model's own and is kept as read, to be written back as it came.
void TakeValue(COptionsProvider& provider, const CString& key, const CTypedValue& value)
{
    if (value.IsFinite()) {
        (void)provider.SetValue(key, value);
        return;
    }
    const std::int32_t type = provider.GetKeyType(key);
    double number = 0.0;
    if ((type == CTypedValue::kInt || type == CTypedValue::kDouble) && value.GetDouble(number)) {
        if (provider.SetValue(key, DefaultOf(provider, key))) {
            CRepairNotes::Say("an option holds a number that is not finite; the option takes its default");
        }
        return;
    }
    if (!provider.SetValue(key, value)) {
        return;
    }
    CRepairNotes::Say(type == CTypedValue::kBool
                          ? "an on/off option holds a number that is not finite; it reads as on"
                          : "a named value holds a number that is not finite; it is kept as read");
}

}  // namespace

COptionsManager::~COptionsManager()
{
    for (COptionsProvider* provider : m_providers) {
        delete provider;
    }
}

void COptionsManager::AddProvider(COptionsProvider* provider)
{
    if (provider != nullptr) {
        m_providers.push_back(provider);
    }
}

void COptionsManager::InsertProvider(int index, COptionsProvider* provider)
{
    if (provider == nullptr) {
        return;
    }
    if (index < 0 || index > GetProviderCount()) {
        index = GetProviderCount();
    }
    m_providers.insert(m_providers.begin() + index, provider);
}

COptionsProvider* COptionsManager::GetProviderAt(int index) const
{
    if (index < 0 || index >= GetProviderCount()) {
        return nullptr;
    }
    return m_providers[static_cast<std::size_t>(index)];
}

COptionsProvider* COptionsManager::GetProvider(const CString& name) const
{
    for (COptionsProvider* provider : m_providers) {
        if (provider->GetName() == name) {
            return provider;
        }
    }
    return nullptr;
}

bool COptionsManager::SetValue(const CString& providerName, const CString& key, const CTypedValue& value)
{
    COptionsProvider* provider = GetProvider(providerName);
    return provider != nullptr && provider->SetValue(key, value);
}

void COptionsManager::MakeCurrent()
{
    for (COptionsProvider* provider : m_providers) {
        provider->MakeCurrent();
    }
}

void COptionsManager::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        Read(ar);
    } else {
        Write(ar);
    }
}

void COptionsManager::Read(CArchive& ar)
{
    std::int32_t version = 0;
    std::int32_t count = 0;
    ar >> version >> count;
    if (count < 0 || static_cast<ULONGLONG>(count) * kMinProviderBytes > ar.GetRemainingBytes()) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName, "a count is out of range");
    }
    for (std::int32_t i = 0; i < count; ++i) {
        COptionsProvider* provider = GetProvider(ArchiveReadString(ar));
        for (CString key = ArchiveReadString(ar); !key.IsEmpty(); key = ArchiveReadString(ar)) {
            CTypedValue value;
            value.Read(ar);
            if (provider != nullptr) {
                TakeValue(*provider, key, value);
            }
        }
    }
}

void COptionsManager::Write(CArchive& ar) const
{
    ar << kRecordVersion << static_cast<std::int32_t>(m_providers.size());
    for (const COptionsProvider* provider : m_providers) {
        ArchiveWriteString(ar, provider->GetName());
        for (int i = 0; i < provider->GetKeyCount(); ++i) {
            const CString key = provider->GetKeyName(i);
            if (provider->IsStoredKey(key)) {
                ArchiveWriteString(ar, key);
                provider->GetValue(key).Write(ar);
            }
        }
        ArchiveWriteString(ar, CString());
    }
}

void RegisterOptionsProvider(COptionsProvider* prototype)
{
    if (prototype == nullptr) {
        return;
    }
    std::unique_ptr<COptionsProvider> owned(prototype);
    auto& registry = Registry();
    if (!registry) {
        registry = std::make_unique<COptionsManager>();
    }
    if (registry->GetProvider(prototype->GetName()) != nullptr) {
        return;
    }
    const std::size_t rank = ProviderRank(prototype->GetName());
    int index = 0;
    while (index < registry->GetProviderCount() &&
           ProviderRank(registry->GetProviderAt(index)->GetName()) <= rank) {
        ++index;
    }
    registry->InsertProvider(index, owned.release());
}

COptionsManager* CreateOptionsManager()
{
    auto* manager = new COptionsManager;
    if (const auto& registry = Registry()) {
        for (int i = 0; i < registry->GetProviderCount(); ++i) {
            manager->AddProvider(registry->GetProviderAt(i)->Clone());
        }
    }
    return manager;
}

COptionsProvider* GetOptionsProviderPrototype(const CString& name)
{
    const auto& registry = Registry();
    return registry ? registry->GetProvider(name) : nullptr;
}

void FreeOptionsProviderRegistry()
{
    Registry().reset();
}
