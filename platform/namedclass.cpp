#include "platform/namedclass.h"

#include "platform/object.h"

const CRuntimeClass* CNamedClass::Get() const
{
    const CRuntimeClass* found = m_class.load(std::memory_order_acquire);
    if (found == nullptr) {
        found = CRuntimeClass::FromName(m_name);
        if (found != nullptr) {
            m_class.store(found, std::memory_order_release);
        }
    }
    return found;
}

bool CNamedClass::IsKindOf(const CObject* object) const
{
    if (object == nullptr) {
        return false;
    }
    const CRuntimeClass* found = Get();
    return found != nullptr && object->IsKindOf(found);
}
