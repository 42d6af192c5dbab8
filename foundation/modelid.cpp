#include "foundation/modelid.h"

#include <cstring>

#include "platform/archive.h"

void InitGuid(GUID& guid)
{
    std::memset(&guid, 0, sizeof(guid));
}

void CreateGuid(GUID& guid)
{
    (void)CoCreateGuid(&guid);
}

bool IsNullGuid(const GUID& guid)
{
    if (guid.Data1 != 0 || guid.Data2 != 0 || guid.Data3 != 0) {
        return false;
    }
    for (const uint8_t byte : guid.Data4) {
        if (byte != 0) {
            return false;
        }
    }
    return true;
}

CString GuidToString(const GUID& guid)
{
    constexpr int kCapacity = 128;
    char16_t buffer[kCapacity] = {};
    if (StringFromGUID2(guid, buffer, kCapacity) == 0) {
        return {};
    }
    return CString(buffer);
}

void SerializeGuid(GUID& guid, CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << static_cast<std::uint32_t>(guid.Data1) << static_cast<WORD>(guid.Data2)
           << static_cast<WORD>(guid.Data3);
        for (const uint8_t byte : guid.Data4) {
            ar << static_cast<BYTE>(byte);
        }
        return;
    }
    ar >> guid.Data1 >> guid.Data2 >> guid.Data3;
    for (uint8_t& byte : guid.Data4) {
        ar >> byte;
    }
}
