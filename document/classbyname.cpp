#include "document/classbyname.h"

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/object.h"

CObject* CreateNamedObject(const CNamedClass& named)
{
    const CRuntimeClass* cls = named.Get();
    return cls != nullptr ? cls->CreateObject() : nullptr;
}

CObject* ReadNamedObject(CArchive& ar, const CNamedClass& named)
{
    const CRuntimeClass* cls = named.Get();
    CObject* object = ar.ReadObject(cls);
    if (object != nullptr && (cls == nullptr || !object->IsKindOf(cls))) {
        AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
    }
    return object;
}
