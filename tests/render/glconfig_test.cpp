#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "platform/gl/wgl.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "render/glcardslist.h"
#include "render/glconfig.h"
#include "render/pixelformatrecord.h"

namespace {

CPixelFormatRecord Record(int index, int stencil, int depth, int red, int alpha, int samples = 0, DWORD flags = 0)
{
    CPixelFormatRecord record;
    record.index = index;
    record.descriptor.cStencilBits = static_cast<BYTE>(stencil);
    record.descriptor.cDepthBits = static_cast<BYTE>(depth);
    record.descriptor.cRedBits = record.descriptor.cGreenBits = record.descriptor.cBlueBits = static_cast<BYTE>(red);
    record.descriptor.cAlphaBits = static_cast<BYTE>(alpha);
    record.descriptor.dwFlags = flags;
    record.samples = samples;
    return record;
}

std::vector<int> Indices(const std::vector<CPixelFormatRecord>& records)
{
    std::vector<int> indices;
    for (const CPixelFormatRecord& record : records) {
        indices.push_back(record.index);
    }
    return indices;
}

// A settings store of its own in a scratch folder, installed as the profile's.
class GLConfigStore : public testing::Test
{
protected:
    void SetUp() override
    {
        m_folder = std::filesystem::temp_directory_path() / ("glimra-glconfig-" + std::to_string(::getpid()));
        std::filesystem::remove_all(m_folder);
        m_store = std::make_unique<CSettingsStore>(CString::FromUtf8((m_folder / "registry.json").string()));
        SetProfileStore(m_store.get());
        InitGLConfig();
    }
    void TearDown() override
    {
        SetProfileStore(nullptr);
        m_store.reset();
        std::filesystem::remove_all(m_folder);
    }

    std::filesystem::path m_folder;
    std::unique_ptr<CSettingsStore> m_store;
};

}  // namespace

TEST(PixelFormatRanking, TheBestRecordEndsTheSortWithTheFewestSamples)
{
    std::vector<CPixelFormatRecord> records = {Record(1, 8, 24, 8, 8, 4), Record(2, 0, 32, 8, 8),
                                               Record(3, 8, 24, 8, 8, 0), Record(4, 8, 16, 8, 8),
                                               Record(5, 8, 24, 8, 8, 2)};
    SortPixelFormats(records);
    EXPECT_EQ(Indices(records), (std::vector<int>{2, 4, 1, 5, 3}));
    EXPECT_EQ(FindConfiguredPixelFormat(records), 3);
    SortPixelFormatsMode1(records);
    EXPECT_EQ(Indices(records), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST(PixelFormatRanking, DuplicatesDifferingInAlphaKeepTheOneWithFewerAlphaBitsUnlessTheOtherIsKept)
{
    std::vector<CPixelFormatRecord> records = {Record(7, 8, 24, 8, 8), Record(9, 8, 24, 8, 0),
                                               Record(11, 8, 24, 8, 0, 0, PFD_GENERIC_FORMAT)};
    std::vector<CPixelFormatRecord> copy = records;
    EXPECT_EQ(RemoveDuplicatePixelFormats(copy, 0), 2);
    EXPECT_EQ(Indices(copy), (std::vector<int>{9, 11}));
    copy = records;
    EXPECT_EQ(RemoveDuplicatePixelFormats(copy, 7), 3);
}

TEST(PixelFormatRanking, DescriptorsDescribeThemselvesAsText)
{
    PIXELFORMATDESCRIPTOR d;
    d.dwFlags = PFD_DOUBLEBUFFER | PFD_GENERIC_FORMAT | PFD_GENERIC_ACCELERATED;
    d.cColorBits = 32;
    d.cRedBits = d.cGreenBits = d.cBlueBits = d.cAlphaBits = 8;
    d.cDepthBits = 24;
    d.cStencilBits = 8;
    EXPECT_EQ(FormatPixelFormatDescription(d), CString("MCD\tDBL\tRGBA\t32 (8-8-8-8)\t24\t8\t0 (0-0-0-0)"));
    d.dwFlags = PFD_GENERIC_FORMAT;
    d.iPixelType = PFD_TYPE_COLORINDEX;
    EXPECT_EQ(FormatPixelFormatDescription(d).Left(10), CString("GEN\tSGL\tCI"));
    EXPECT_FALSE(IsDescriptorAccelerated(d));
}

TEST(GLCardsList, LaterSoftwareLinesTakeRenderersOfAnAcceptedVendorBackOut)
{
    const std::vector<CString> lines = {"HW|Acme|ANY|all of them", "SW|ACME|r1", "HW|Acme|R3", "SW|Acme|r4 // old"};
    EXPECT_TRUE(CheckGLCardsLines(lines, "acme corp", "Model R2"));
    EXPECT_FALSE(CheckGLCardsLines(lines, "acme corp", "Model R1 pro"));
    EXPECT_TRUE(CheckGLCardsLines(lines, "acme corp", "R4"));
    EXPECT_FALSE(CheckGLCardsLines(lines, "other", "Model R2"));
    // Runs of separators count as one; a line without a renderer matches every renderer.
    EXPECT_FALSE(CheckGLCardsLines({"HW||Acme||ANY", "SW|Acme"}, "Acme", "anything"));
}

TEST_F(GLConfigStore, ConfigurationWordsRoundTripAndTheKeyGoesWithEmptyParents)
{
    CGLConfig config;
    EXPECT_FALSE(ReadGLConfig(config));
    config.PixelFormat = 12;
    config.Accelerated = 1;
    config.DepthBits = 24;
    ASSERT_TRUE(WriteGLConfig(config));
    CGLConfig read;
    ASSERT_TRUE(ReadGLConfig(read));
    EXPECT_EQ(read.PixelFormat, 12);
    EXPECT_EQ(read.DepthBits, 24);
    EXPECT_TRUE(GetGLConfigAccelerated(false));
    (void)m_store->SetDword("Software\\Orvell Software\\Glimra", "Kept", 1);
    DeleteGLConfigKey();
    EXPECT_FALSE(m_store->KeyExists("Software\\Orvell Software\\GLConfig5"));
    EXPECT_TRUE(m_store->KeyExists("Software\\Orvell Software\\Glimra"));
}

TEST_F(GLConfigStore, AStoredFormatTheDeviceNoLongerOffersResetsTheConfigurationButKeepsDebugFlags)
{
    const std::unique_ptr<CGLDevice> device = CGLDevice::CreateOffscreen(8, 8);
    ASSERT_NE(device, nullptr);
    CGLConfig stored;
    stored.PixelFormat = 100000;
    ASSERT_TRUE(WriteGLConfig(stored));
    SetGLConfigDebugFlags(5);
    bool reset = false;
    const int chosen = ChooseViewPixelFormat(device.get(), &reset);
    EXPECT_TRUE(reset);
    EXPECT_GT(chosen, 0);
    EXPECT_EQ(GetGLConfigDebugFlags(0), 5);
    std::uint32_t hardwareOk = 1;
    EXPECT_TRUE(ReadGLConfigDword("HW_OK", hardwareOk));
    EXPECT_EQ(hardwareOk, 0u);
    EXPECT_EQ(GetGLConfig().PixelFormat, chosen);

    // The choice is a format with the most stencil and depth bits among the kept ones.
    PIXELFORMATDESCRIPTOR format;
    ASSERT_GT(DescribePixelFormat(device.get(), chosen, sizeof(format), &format), 0);
    EXPECT_EQ(format.cStencilBits, 8);

    // Stored and still offered: taken as it is, nothing reset.
    CGLConfig kept = GetGLConfig();
    ASSERT_TRUE(WriteGLConfig(kept));
    EXPECT_EQ(ChooseViewPixelFormat(device.get(), &reset), chosen);
    EXPECT_FALSE(reset);
}

TEST_F(GLConfigStore, TheCardCheckIsDueOnceForAnAcceleratedConfiguration)
{
    GetGLConfig().Accelerated = 0;
    EXPECT_FALSE(IsFirstTimeCheckDue());
    GetGLConfig().Accelerated = 1;
    EXPECT_TRUE(IsFirstTimeCheckDue());
    (void)WriteGLConfigDword("HW_OK", 0);
    EXPECT_TRUE(IsFirstTimeCheckDue());
    EXPECT_FALSE(IsFirstTimeCheckDue());
}
