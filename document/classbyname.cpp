#include "document/classbyname.h"

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/object.h"

bool IsKindOfNamed(const CObject* object, const char* className)
{
    if (object == nullptr) {
        return false;
    }
    const CRuntimeClass* cls = CRuntimeClass::FromName(className);
    return cls != nullptr && object->IsKindOf(cls);
}

CObject* CreateNamedObject(const char* className)
{
    const CRuntimeClass* cls = CRuntimeClass::FromName(className);
    return cls != nullptr ? cls->CreateObject() : nullptr;
}

CObject* ReadNamedObject(CArchive& ar, const char* className)
{
    const CRuntimeClass* cls = CRuntimeClass::FromName(className);
    CObject* object = ar.ReadObject(cls);
    if (object != nullptr && (cls == nullptr || !object->IsKindOf(cls))) {
        AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
    }
    return object;
}
