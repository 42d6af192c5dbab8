#pragma once
// Model and component-definition identifiers: 16-byte GUIDs, all zeros when unassigned.

#include "platform/cstring.h"
#include "platform/guid.h"

class CArchive;

// Sets all 16 bytes to 0.
void InitGuid(GUID& guid);
// A new random identifier.
void CreateGuid(GUID& guid);
[[nodiscard]] bool IsNullGuid(const GUID& guid);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hex.
[[nodiscard]] CString GuidToString(const GUID& guid);
// Data1 (32 bits), Data2 and Data3 (16 bits each), then the 8 bytes of Data4, in
// the archive's direction. Errors are the archive's exceptions.
void SerializeGuid(GUID& guid, CArchive& ar);
