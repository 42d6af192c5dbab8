#include "platform/object.h"

#include <map>
#include <mutex>
#include <string>

namespace {

struct ClassRegistry
{
    std::mutex mutex;
    std::map<std::string, const CRuntimeClass*, std::less<>> byName;
};

// A function-local static, so registration from any file's static initialiser finds it built.
ClassRegistry& Registry()
{
    static ClassRegistry registry;
    return registry;
}

}  // namespace

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    if (base == nullptr) {
        return false;
    }
    for (const CRuntimeClass* c = this; c != nullptr; c = c->m_pBaseClass) {
        if (c == base) {
            return true;
        }
    }
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(std::string_view name)
{
    ClassRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    const auto it = registry.byName.find(name);
    return it == registry.byName.end() ? nullptr : it->second;
}

void AfxRegisterClass(const CRuntimeClass* runtimeClass)
{
    if (runtimeClass == nullptr || runtimeClass->m_lpszClassName == nullptr) {
        return;
    }
    ClassRegistry& registry = Registry();
    std::lock_guard lock(registry.mutex);
    registry.byName.try_emplace(runtimeClass->m_lpszClassName, runtimeClass);
}

CObject::~CObject() = default;

const CRuntimeClass* CObject::GetThisClass()
{
    static const CRuntimeClass runtimeClass{"CObject", kNoSchema, nullptr, nullptr};
    return &runtimeClass;
}

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    return GetThisClass();
}

void CObject::Serialize(CArchive& /*ar*/) {}

bool CObject::IsKindOf(const CRuntimeClass* runtimeClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(runtimeClass);
}

bool CObject::IsSerializable() const
{
    return GetRuntimeClass()->m_wSchema != kNoSchema;
}
