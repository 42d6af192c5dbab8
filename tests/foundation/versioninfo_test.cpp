#include "foundation/versioninfo.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/foundation/valuebytes.h"

using valuetests::Bytes;
using valuetests::LoadBytes;
using valuetests::StoreBytes;

namespace {

// Puts the save format back to the newest after each test.
class VersionInfoTest : public ::testing::Test
{
protected:
    void TearDown() override { SetSaveFormat(kSaveFormat5000); }
};

Bytes StoredString(const CString& text)
{
    return StoreBytes([&](CArchive& ar) { ArchiveWriteString(ar, text); });
}

} // namespace

TEST_F(VersionInfoTest, ANewVersionIsTheProgramsOwnForTheSaveFormat)
{
    EXPECT_EQ(GetSaveFormat(), kSaveFormat5000);
    EXPECT_EQ(CVersionInfo().GetText(), CString("5.0.232"));
    EXPECT_EQ(CVersionInfo().GetBuildNumber(), 5000232);
    SetSaveFormat(kSaveFormat4000);
    EXPECT_EQ(CVersionInfo().GetText(), CString("4.0.1"));
    SetSaveFormat(kSaveFormat3000);
    EXPECT_EQ(CVersionInfo().GetBuildNumber(), 3000001);
}

TEST_F(VersionInfoTest, DynamicCreationMakesTheCurrentVersion)
{
    SetSaveFormat(kSaveFormat4000);
    const std::unique_ptr<CObject> object(RUNTIME_CLASS(CVersionInfo)->CreateObject());
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->IsKindOf(RUNTIME_CLASS(CVersionInfo)));
    EXPECT_EQ(static_cast<CVersionInfo*>(object.get())->GetBuildNumber(), 4000001);
    EXPECT_EQ(CRuntimeClass::FromName("CVersionInfo"), RUNTIME_CLASS(CVersionInfo));
}

TEST_F(VersionInfoTest, TheVersionIsWrittenAsOneBracedString)
{
    SetSaveFormat(kSaveFormat4000);
    CVersionInfo version;
    const Bytes bytes = StoreBytes([&](CArchive& ar) { version.Serialize(ar); });
    EXPECT_EQ(bytes, StoredString(CString("{4.0.1}")));

    CVersionInfo read(9, 9, 9);
    LoadBytes(bytes, [&](CArchive& ar) { read.Serialize(ar); });
    EXPECT_EQ(read.GetText(), CString("4.0.1"));
}

TEST_F(VersionInfoTest, ReadingKeepsTheFieldsTheTextDoesNotSupply)
{
    CVersionInfo version(7, 8, 9);
    LoadBytes(StoredString(CString("{5.0.232}")), [&](CArchive& ar) { version.Serialize(ar); });
    EXPECT_EQ(version.GetBuildNumber(), 5000232);

    LoadBytes(StoredString(CString("{4.0}")), [&](CArchive& ar) { version.Serialize(ar); });
    EXPECT_EQ(version.GetText(), CString("4.0.232"));

    LoadBytes(StoredString(CString("5.1.2")), [&](CArchive& ar) { version.Serialize(ar); });
    EXPECT_EQ(version.GetText(), CString("4.0.232"));
}

TEST_F(VersionInfoTest, ParseNeedsAllThreeNumbers)
{
    CVersionInfo version(1, 2, 3);
    EXPECT_FALSE(version.Parse(CString("6.1")));
    EXPECT_EQ(version.GetText(), CString("1.2.3"));
    EXPECT_TRUE(version.Parse(CString(" 6.1.77")));
    EXPECT_EQ(version.GetText(), CString("6.1.77"));
}

TEST_F(VersionInfoTest, HugeVersionsSaturateInsteadOfWrapping)
{
    CVersionInfo version;
    ASSERT_TRUE(version.Parse(CString("99999999999.0.0")));
    EXPECT_EQ(version.GetMajor(), 2147483647);
    EXPECT_EQ(version.GetBuildNumber(), 2147483647);
    EXPECT_EQ(CVersionInfo(-3000, 0, 0).GetBuildNumber(), -2147483647 - 1);
}

TEST_F(VersionInfoTest, TheFileVersionIsACopyOfWhatWasRead)
{
    CVersionInfo read(4, 0, 1);
    SetFileVersionInfo(read);
    read.Assign(CVersionInfo(1, 1, 1));
    EXPECT_EQ(GetFileVersionInfo().GetBuildNumber(), 4000001);
    SetFileVersionInfo(CVersionInfo());
}
