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

// Option values are lengths, angles and times the program computes with, and are
// written back: one that holds a number that is not finite gives way to the key's default,
// which the registered provider of that name holds (a named value has none, and goes).
CTypedValue ValueToTake(const COptionsProvider& provider, const CString& key, const CTypedValue& value)
{
    if (value.IsFinite()) {
        return value;
    }
    CRepairNotes::Say("an option holds a number that is not finite; the option takes its default");
    const COptionsProvider* prototype = Registry() != nullptr ? Registry()->GetProvider(provider.GetName()) : nullptr;
    return prototype != nullptr ? prototype->GetValue(key) : CTypedValue();
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
                (void)provider->SetValue(key, ValueToTake(*provider, key, value));
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
