#pragma once
// CObject and its run-time class descriptions: the base every archived class derives
// from, the class records that let an archive write a class by name and create it
// again on reading, and the table of classes that may be created by name.

#include <string_view>

#include "platform/types.h"

class CArchive;
class CObject;

// Or'ed into a class's schema when its records carry their own versions, so a file
// with another schema number is still accepted.
constexpr UINT VERSIONABLE_SCHEMA = 0x80000000;

// The schema of a class that has a run-time description but cannot be archived.
constexpr UINT kNoSchema = 0xFFFF;

struct CRuntimeClass
{
    const char* m_lpszClassName;
    UINT m_wSchema;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // A new default-constructed object, or null when the class has no factory.
    [[nodiscard]] CObject* CreateObject() const;
    // True for this class itself and for every class it derives from; false for null.
    [[nodiscard]] bool IsDerivedFrom(const CRuntimeClass* base) const;
    // The class registered under exactly this name, or null when none is.
    [[nodiscard]] static const CRuntimeClass* FromName(std::string_view name);
};

// Enters a class into the by-name table used when an archive reads objects.
// Registering the same class again is harmless; a second class under a name
// already taken is ignored, so the first registration wins. Null is ignored.
void AfxRegisterClass(const CRuntimeClass* runtimeClass);

class CObject
{
public:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
    virtual ~CObject();

    [[nodiscard]] virtual const CRuntimeClass* GetRuntimeClass() const;
    // Writes or reads the object's record; the base has no fields.
    virtual void Serialize(CArchive& ar);

    [[nodiscard]] bool IsKindOf(const CRuntimeClass* runtimeClass) const;
    [[nodiscard]] bool IsSerializable() const;

    [[nodiscard]] static const CRuntimeClass* GetThisClass();
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                                  \
public:                                                              \
    [[nodiscard]] static const CRuntimeClass* GetThisClass();        \
    [[nodiscard]] const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_SERIAL(class_name)  \
    DECLARE_DYNAMIC(class_name)     \
    [[nodiscard]] static CObject* CreateObject();

// The class description is a function-local static, so it exists before any
// static initialiser of another file asks for it.
#define GLIMRA_IMPLEMENT_RUNTIMECLASS(class_name, base_name, schema, factory)              \
    const CRuntimeClass* class_name::GetThisClass()                                        \
    {                                                                                      \
        static const CRuntimeClass runtimeClass{#class_name, (schema), (factory),          \
                                                base_name::GetThisClass()};                \
        return &runtimeClass;                                                              \
    }                                                                                      \
    const CRuntimeClass* class_name::GetRuntimeClass() const                               \
    {                                                                                      \
        return class_name::GetThisClass();                                                 \
    }

#define IMPLEMENT_DYNAMIC(class_name, base_name) \
    GLIMRA_IMPLEMENT_RUNTIMECLASS(class_name, base_name, kNoSchema, nullptr)

#define IMPLEMENT_SERIAL(class_name, base_name, schema)                                    \
    CObject* class_name::CreateObject()                                                    \
    {                                                                                      \
        return new class_name;                                                             \
    }                                                                                      \
    GLIMRA_IMPLEMENT_RUNTIMECLASS(class_name, base_name, schema, &class_name::CreateObject) \
    namespace {                                                                            \
    [[maybe_unused]] const bool glimraRegistered_##class_name =                            \
        (AfxRegisterClass(class_name::GetThisClass()), true);                              \
    }
