#include "platform/guid.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/cstring.h"

namespace {

std::string Text(const GUID& guid)
{
    char16_t buffer[128] = {};
    const int written = StringFromGUID2(guid, buffer, 128);
    EXPECT_EQ(written, 39);
    return CString(buffer).ToUtf8();
}

}  // namespace

TEST(GuidTest, TextIsBracedUpperCaseHexInFieldOrder)
{
    const GUID guid = {0x0123ABCD, 0x4E5F, 0xA0B1, {0xC2, 0xD3, 0x04, 0x05, 0x06, 0x07, 0x08, 0xF9}};
    EXPECT_EQ(Text(guid), "{0123ABCD-4E5F-A0B1-C2D3-0405060708F9}");
    const GUID null = {};
    EXPECT_EQ(Text(null), "{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidTest, TextNeedsRoomForThirtyEightCharactersAndTheTerminator)
{
    const GUID guid = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    char16_t buffer[40];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(StringFromGUID2(guid, buffer, 38), 0);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(StringFromGUID2(guid, nullptr, 128), 0);
    EXPECT_EQ(StringFromGUID2(guid, buffer, 39), 39);
    EXPECT_EQ(buffer[38], u'\0');
    EXPECT_EQ(buffer[39], u'#');
    EXPECT_EQ(CString(buffer).GetLength(), 38);
}

TEST(GuidTest, NewIdentifiersAreRandomVersionFourAndDistinct)
{
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        GUID guid;
        std::memset(&guid, 0, sizeof(guid));
        ASSERT_EQ(CoCreateGuid(&guid), 0);
        EXPECT_EQ(guid.Data3 >> 12, 4);            // random generation
        EXPECT_EQ(guid.Data4[0] & 0xC0, 0x80);     // the standard variant
        seen.insert(Text(guid));
    }
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(GuidTest, CreatingIntoNullFails)
{
    EXPECT_NE(CoCreateGuid(nullptr), 0);
}
