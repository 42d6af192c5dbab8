#include "foundation/modelid.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/exceptions.h"
#include "tests/foundation/valuebytes.h"

using valuetests::Bytes;
using valuetests::LoadBytes;
using valuetests::StoreBytes;

TEST(ModelIdTest, AnInitialisedIdentifierIsNullAndANewOneIsNot)
{
    GUID guid;
    std::memset(&guid, 0xAB, sizeof(guid));
    InitGuid(guid);
    EXPECT_TRUE(IsNullGuid(guid));
    guid.Data4[7] = 1;
    EXPECT_FALSE(IsNullGuid(guid));

    GUID created;
    InitGuid(created);
    CreateGuid(created);
    EXPECT_FALSE(IsNullGuid(created));
}

TEST(ModelIdTest, TextIsBracedUpperCaseHex)
{
    const GUID guid{0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};
    EXPECT_EQ(GuidToString(guid), CString("{01234567-89AB-CDEF-0123-456789ABCDEF}"));
}

TEST(ModelIdTest, IdentifiersRoundTripByteForByteInFieldOrder)
{
    GUID guid{0x04030201, 0x0605, 0x0807, {9, 10, 11, 12, 13, 14, 15, 16}};
    const Bytes bytes = StoreBytes([&](CArchive& ar) { SerializeGuid(guid, ar); });
    EXPECT_EQ(bytes, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));

    GUID read;
    InitGuid(read);
    LoadBytes(bytes, [&](CArchive& ar) { SerializeGuid(read, ar); });
    EXPECT_EQ(std::memcmp(&read, &guid, sizeof(GUID)), 0);
}

TEST(ModelIdTest, AShortIdentifierRaisesEndOfFile)
{
    GUID read;
    InitGuid(read);
    try {
        LoadBytes(Bytes{1, 2, 3, 4, 5}, [&](CArchive& ar) { SerializeGuid(read, ar); });
        FAIL() << "no exception";
    } catch (const CArchiveException& error) {
        EXPECT_EQ(error.m_cause, CArchiveException::endOfFile);
    }
}
