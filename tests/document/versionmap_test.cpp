#include "document/versionmap.h"

#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/memfile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class VersionMapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterClassVersionTable();
        SetLoadedVersionMap(nullptr);
    }
    void TearDown() override { SetLoadedVersionMap(nullptr); }

    static std::vector<BYTE> Store(const std::function<void(CArchive&)>& write)
    {
        CMemFile file;
        {
            CArchive ar(&file, CArchive::store);
            write(ar);
            ar.Close();
        }
        const auto length = static_cast<UINT>(file.GetLength());
        std::vector<BYTE> bytes(length);
        file.SeekToBegin();
        file.Read(bytes.data(), length);
        return bytes;
    }

    static CVersionMap ReadMapRecord(const std::vector<BYTE>& bytes)
    {
        CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
        CArchive ar(&file, CArchive::load);
        CVersionMap map;
        map.Serialize(ar);
        return map;
    }

    static std::vector<BYTE> MapRecord(const std::vector<std::pair<const char*, int>>& entries)
    {
        return Store([&](CArchive& ar) {
            for (const auto& [name, version] : entries) {
                ArchiveWriteString(ar, CString(name));
                ar << static_cast<int32_t>(version);
            }
            ArchiveWriteString(ar, CString("End-Of-Version-Map"));
            ar << static_cast<int32_t>(0);
        });
    }
};

TEST_F(VersionMapTest, TheThreeFormatMapsHoldEveryClassWithItsVersion)
{
    ASSERT_NE(GetVersionMapCurrent(), nullptr);
    EXPECT_EQ(GetVersionMapCurrent()->GetCount(), 51);
    EXPECT_EQ(GetVersionMapPrevious()->GetCount(), 51);
    EXPECT_EQ(GetVersionMapOldest()->GetCount(), 45);

    EXPECT_EQ(GetVersionMapCurrent()->GetVersion("CRenderingOptions"), 28);
    EXPECT_EQ(GetVersionMapPrevious()->GetVersion("CRenderingOptions"), 25);
    EXPECT_EQ(GetVersionMapOldest()->GetVersion("CRenderingOptions"), 22);
    EXPECT_EQ(GetVersionMapPrevious()->GetVersion("CComponentInstance"), 3);
    EXPECT_EQ(GetVersionMapPrevious()->GetVersion("CDrawingElement"), 8);
    EXPECT_EQ(GetVersionMapOldest()->GetVersion("CTarnwickModel"), 10);
    for (const char* absent : {"CAttribute", "CAttributeContainer", "CAttributeNamed", "CCamera",
                               "CFaceTextureCoords", "CPageList"}) {
        EXPECT_FALSE(GetVersionMapOldest()->Contains(absent)) << absent;
    }
}

TEST_F(VersionMapTest, RegisteringTheTableTwiceChangesNothing)
{
    RegisterClassVersionTable();
    EXPECT_EQ(GetVersionMapCurrent()->GetCount(), 51);
}

TEST_F(VersionMapTest, TheWrittenMapListsNamesInByteOrderThenTheEndMarker)
{
    const auto bytes = Store([](CArchive& ar) { GetVersionMapCurrent()->Serialize(ar); });
    const CVersionMap back = ReadMapRecord(bytes);
    ASSERT_EQ(back.GetCount(), 51);
    EXPECT_EQ(back.GetEntries().begin()->first, "CArcCurve");
    EXPECT_EQ(back.GetEntries().rbegin()->first, "CWatermark");

    // The record ends with the marker string and a zero.
    const char16_t marker[] = u"End-Of-Version-Map";
    const size_t markerUnits = std::char_traits<char16_t>::length(marker);
    const size_t tail = 3 + 1 + markerUnits * 2 + 4;
    ASSERT_GT(bytes.size(), tail);
    const BYTE* end = bytes.data() + bytes.size() - tail;
    EXPECT_EQ(end[0], 0xFF);
    EXPECT_EQ(end[1], 0xFE);
    EXPECT_EQ(end[2], 0xFF);
    EXPECT_EQ(end[3], markerUnits);
    EXPECT_EQ(std::memcmp(bytes.data() + bytes.size() - 4, "\0\0\0\0", 4), 0);
}

TEST_F(VersionMapTest, OldClassNamesAreReadUnderTheirPresentNames)
{
    const CVersionMap map = ReadMapRecord(MapRecord({{"CETarnisDoc", 12}, {"CETarnisPage", 1}, {"CAnnotation", 9}}));
    EXPECT_EQ(map.GetVersion("CTarnwickModel"), 12);
    EXPECT_EQ(map.GetVersion("CTarnwickPage"), 1);
    EXPECT_EQ(map.GetVersion("CText"), 9);
    EXPECT_FALSE(map.Contains("CETarnisDoc"));
}

TEST_F(VersionMapTest, ARepeatedNameKeepsTheLaterVersion)
{
    const CVersionMap map = ReadMapRecord(MapRecord({{"CFace", 1}, {"CFace", 3}}));
    EXPECT_EQ(map.GetCount(), 1);
    EXPECT_EQ(map.GetVersion("CFace"), 3);
}

TEST_F(VersionMapTest, AMapWithoutItsEndMarkerIsAnEndOfFileError)
{
    auto bytes = MapRecord({{"CFace", 3}});
    bytes.resize(bytes.size() - 10);
    try {
        (void)ReadMapRecord(bytes);
        FAIL() << "no exception";
    } catch (const CArchiveException& e) {
        EXPECT_EQ(e.m_cause, CArchiveException::endOfFile);
    }
}

TEST_F(VersionMapTest, TheNewerFileTestComparesEachNamedClass)
{
    CVersionMap map;
    EXPECT_FALSE(FileNeedsNewerVersion(nullptr));
    EXPECT_FALSE(FileNeedsNewerVersion(&map));

    map.SetVersion("CFace", 3);
    EXPECT_FALSE(FileNeedsNewerVersion(&map));
    map.SetVersion("CFace", 4);
    EXPECT_TRUE(FileNeedsNewerVersion(&map));

    map.SetVersion("CFace", 3);
    map.SetVersion("CHiddenEntities", 99);
    map.SetVersion("CExportOptions", 1);
    map.SetVersion("CCircularArc", 1000);
    EXPECT_FALSE(FileNeedsNewerVersion(&map));

    map.SetVersion("CSomethingNew", 0);
    EXPECT_TRUE(FileNeedsNewerVersion(&map));
}

TEST_F(VersionMapTest, ANegativeVersionCountsAsNewerThanAnyRegistered)
{
    CVersionMap map;
    map.SetVersion("CVertex", -1);
    EXPECT_TRUE(FileNeedsNewerVersion(&map));
}

TEST_F(VersionMapTest, ARenamedClassIsJudgedUnderItsPresentName)
{
    const CVersionMap map = ReadMapRecord(MapRecord({{"CETarnisDoc", 13}}));
    EXPECT_TRUE(FileNeedsNewerVersion(&map));
}

TEST_F(VersionMapTest, LoadedVersionsComeFromTheInstalledMapOrTheClassSchema)
{
    CRuntimeClass fake{};
    fake.m_lpszClassName = "CFace";
    fake.m_wSchema = VERSIONABLE_SCHEMA | 3;
    EXPECT_EQ(GetLoadedClassVersion(&fake), 3);

    auto* loaded = new CVersionMap;
    loaded->SetVersion("CFace", 1);
    SetLoadedVersionMap(loaded);
    EXPECT_EQ(GetLoadedClassVersion(&fake), 1);

    fake.m_lpszClassName = "CPageList";
    EXPECT_EQ(GetLoadedClassVersion(&fake), 0);

    SetLoadedVersionMap(nullptr);
    EXPECT_EQ(GetLoadedVersionMap(), nullptr);
}

TEST_F(VersionMapTest, AMapTravelsAsAnObjectReference)
{
    const auto bytes = Store([](CArchive& ar) { WriteVersionMapOldest(ar); });
    // New class tag, schema 0, name length and name.
    ASSERT_GE(bytes.size(), 18u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0x00);
    EXPECT_EQ(bytes[3], 0x00);
    EXPECT_EQ(bytes[4], 11);
    EXPECT_EQ(std::memcmp(bytes.data() + 6, "CVersionMap", 11), 0);

    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    CVersionMap* map = nullptr;
    ReadVersionMapObject(ar, map);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->GetCount(), 45);
    EXPECT_EQ(map->GetVersion("CViewPage"), 6);
    delete map;
}

TEST_F(VersionMapTest, AMapReferenceCutShortLeavesNoMapBehind)
{
    auto bytes = Store([](CArchive& ar) { WriteVersionMapCurrent(ar); });
    bytes.resize(bytes.size() - 10);
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    CVersionMap earlier;
    CVersionMap* map = &earlier;
    EXPECT_THROW(ReadVersionMapObject(ar, map), CArchiveException);
    EXPECT_EQ(map, nullptr);
    // Class entry 1, the partly read map 2: the archive now deletes the map itself.
    ASSERT_EQ(ar.GetMapCount(), 2u);
    EXPECT_EQ(ar.GetLoadedObject(2), nullptr);
}

}  // namespace
