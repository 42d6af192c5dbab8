#include "platform/guid.h"

#include <uuid/uuid.h>

#include <cstdio>

namespace {

// The invalid-argument code callers of this interface already test for.
constexpr int kInvalidArgument = static_cast<int>(0x80070057u);
constexpr int kGuidTextLength = 38;

}  // namespace

int CoCreateGuid(GUID* guid)
{
    if (!guid) {
        return kInvalidArgument;
    }
    uuid_t bytes;
    uuid_generate_random(bytes);
    // Read big-endian, so the text form matches the usual UUID text of the same bytes.
    guid->Data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
    guid->Data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
    guid->Data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) {
        guid->Data4[i] = bytes[8 + i];
    }
    return 0;
}

int StringFromGUID2(const GUID& guid, char16_t* buffer, int capacity)
{
    if (!buffer || capacity < kGuidTextLength + 1) {
        return 0;
    }
    char text[kGuidTextLength + 1];
    std::snprintf(text, sizeof(text), "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1,
                  unsigned{guid.Data2}, unsigned{guid.Data3}, unsigned{guid.Data4[0]}, unsigned{guid.Data4[1]},
                  unsigned{guid.Data4[2]}, unsigned{guid.Data4[3]}, unsigned{guid.Data4[4]},
                  unsigned{guid.Data4[5]}, unsigned{guid.Data4[6]}, unsigned{guid.Data4[7]});
    for (int i = 0; i <= kGuidTextLength; ++i) {
        buffer[i] = static_cast<char16_t>(text[i]);
    }
    return kGuidTextLength + 1;
}
