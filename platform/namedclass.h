#pragma once
// CNamedClass: a class that code knows by its registered name only, because it may not
// include the class itself. The name is looked up in the class table until a class is
// registered under it, and the answer kept from then on (a registration is never undone
// and the first holder of a name stays), so that a type test per object costs one walk
// up the object's class chain instead of a locked search of the table.

#include <atomic>

class CObject;
struct CRuntimeClass;

class CNamedClass
{
public:
    explicit constexpr CNamedClass(const char* name) : m_name(name) {}
    CNamedClass(const CNamedClass&) = delete;
    CNamedClass& operator=(const CNamedClass&) = delete;

    [[nodiscard]] const char* GetName() const { return m_name; }
    // The class registered under the name; null while none is.
    [[nodiscard]] const CRuntimeClass* Get() const;
    // False for null and while no class of the name is registered.
    [[nodiscard]] bool IsKindOf(const CObject* object) const;

private:
    const char* m_name;
    mutable std::atomic<const CRuntimeClass*> m_class{nullptr};
};
