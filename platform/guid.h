#pragma once
// 16-byte identifiers that name a model and each component definition, laid out as the
// model file stores them.

#include <cstdint>

struct GUID
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};

// Fills the identifier with a new random (version 4) value. 0 on success; a negative
// code, with nothing written, when `guid` is null.
int CoCreateGuid(GUID* guid);

// Writes "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper-case hex and a terminating 0.
// Returns the characters written including the terminator (39), or 0 with nothing
// written when the buffer is null or holds fewer than 39 characters.
int StringFromGUID2(const GUID& guid, char16_t* buffer, int capacity);
