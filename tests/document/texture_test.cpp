#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "document/dib.h"
#include "document/texture.h"
#include "tests/document/documenttestsupport.h"
#include "tests/document/materialtestsupport.h"

using documenttest::Bytes;
using documenttest::FileVersions;
using documenttest::Load;
using documenttest::Store;
using materialtest::CRecordingTextureGL;
using materialtest::MakePicture;
using materialtest::WriteTextureRecord;

namespace {

constexpr std::int32_t kSentinel = 0x5EED;
// The colour of MakePicture's default pixels.
const CColor kPictureColor(0x30, 0x60, 0xC0);

// Versions 0 and 1 name the picture by reference and the archive keeps that object; the
// texture holds a copy of its own.
void DeleteArchivePictures(CArchive& ar)
{
    for (UINT i = 1; i <= ar.GetMapCount(); ++i) {
        if (auto* dib = dynamic_cast<CDib*>(ar.GetLoadedObject(i))) {
            delete dib;
        }
    }
}

Bytes TextureRecord(int version, CDib* picture)
{
    return Store([&](CArchive& ar) {
        if (version < 2) {
            ar.WriteObject(picture);
            ar << 24.0 << 36.0;
            ArchiveWriteString(ar, "oak.png");
            if (version == 1) {
                ar << CColor(1, 2, 3);
            }
        } else {
            WriteTextureRecord(ar, version, picture, 24.0, 36.0, "oak.png", CColor(1, 2, 3));
        }
        ar << kSentinel;
    });
}

}  // namespace

TEST(TextureTest, EveryRecordVersionReadsThePictureSizeNameAndColour)
{
    undotest::TestEnvironment environment;
    CDib* picture = MakePicture(2, 3);
    for (int version = 0; version <= 4; ++version) {
        SCOPED_TRACE(version);
        const Bytes bytes = TextureRecord(version, picture);
        CTexture texture;
        std::int32_t sentinel = 0;
        {
            const FileVersions versions({{"CTexture", version}, {"CDib", 2}});
            Load(bytes, [&](CArchive& ar) {
                texture.Serialize(ar);
                ar >> sentinel;
                DeleteArchivePictures(ar);
            });
        }
        EXPECT_EQ(sentinel, kSentinel);
        ASSERT_TRUE(texture.HasImage());
        EXPECT_EQ(texture.GetImageWidth(), 2);
        EXPECT_EQ(texture.GetImageHeight(), 3);
        EXPECT_EQ(texture.GetImage()->GetUseCount(), 1);
        EXPECT_DOUBLE_EQ(texture.GetWidth(), 24.0);
        EXPECT_DOUBLE_EQ(texture.GetHeight(), 36.0);
        EXPECT_EQ(texture.GetFileName(), CString("oak.png"));
        // Version 0 stores no colour: the picture's average stands in.
        EXPECT_EQ(texture.GetAverageColor(), version == 0 ? kPictureColor : CColor(1, 2, 3));
    }
    delete picture;
}

TEST(TextureTest, APictureThatDoesNotDecodeLeavesTheTextureWithoutOne)
{
    undotest::TestEnvironment environment;
    const Bytes bytes = Store([](CArchive& ar) {
        ArchiveWriteBool(ar, true);
        ar << std::int32_t{4} << std::int32_t{5};
        ar.Write("junk!", 5);
        ar << 1.0 << 1.0;
        ArchiveWriteString(ar, "broken.png");
        ar << CColor(9, 9, 9);
    });
    CTexture texture;
    {
        const FileVersions versions({{"CTexture", 4}, {"CDib", 2}});
        Load(bytes, [&](CArchive& ar) { texture.Serialize(ar); });
    }
    EXPECT_FALSE(texture.HasImage());
    EXPECT_EQ(texture.GetFileName(), CString("broken.png"));
}

TEST(TextureTest, ColoringTakesTheTintAndTheOpacityOfTheTransparency)
{
    undotest::TestEnvironment environment;
    CTexture texture;
    texture.SetImage(MakePicture(1, 1));
    texture.SetColoring(CColor(), true, 0.5);
    EXPECT_EQ(texture.GetAlpha(), 127);
    EXPECT_EQ(texture.GetAverageColor(), kPictureColor);
    texture.SetColoring(CColor(10, 20, 30), false, 0.0);
    EXPECT_EQ(texture.GetAlpha(), 255);
    EXPECT_EQ(texture.GetAverageColor(), CColor(10, 20, 30));
    EXPECT_FALSE(texture.IsHueRelative());
}

TEST(TextureTest, TheRenderingOptionsDecideTheAlphaOfTheUpload)
{
    undotest::TestEnvironment environment;
    struct Case
    {
        TextureTransparencyMode mode;
        int expected;
    };
    const Case cases[] = {{kTextureOpaque, 255}, {kTextureTransparent, 102}, {kTextureSeeThrough, 51}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        CRecordingTextureGL gl;
        gl.mode = c.mode;
        CTexture texture;
        texture.SetImage(MakePicture(2, 2));
        texture.SetColoring(CColor(), true, 0.6);
        ASSERT_EQ(texture.GetAlpha(), 102);
        texture.Bind();
        EXPECT_EQ(gl.madeAlpha, c.expected);
        EXPECT_EQ(texture.GetEffectiveAlpha(), c.expected);
    }
}

TEST(TextureTest, BindingUploadsOnceAndReleasingDeletesTheTexture)
{
    undotest::TestEnvironment environment;
    CRecordingTextureGL gl;
    CTexture texture;
    texture.Bind();
    EXPECT_EQ(gl.lastName, 0u) << "nothing to upload without a picture";
    texture.SetImage(MakePicture(4, 1));
    texture.Bind();
    texture.Bind();
    EXPECT_EQ(gl.lastName, 1u);
    EXPECT_EQ(gl.madeHeight, 1) << "a one-row picture stays one row high";
    EXPECT_EQ(texture.GetGLName(), 1u);
    texture.SetColoring(CColor(), true, 0.0);
    EXPECT_EQ(gl.deleted, std::vector<unsigned>{1u});
    EXPECT_EQ(texture.GetGLName(), 0u);
}

TEST(TextureTest, ANameMadeBeforeTheContextWasReplacedIsMadeAnewAndNeverBoundOrDeleted)
{
    undotest::TestEnvironment environment;
    CRecordingTextureGL gl;
    CTexture texture;
    texture.SetImage(MakePicture(2, 2));
    texture.Bind();
    ForgetGLTextureNames();
    texture.Bind();
    EXPECT_EQ(gl.bound, (std::vector<unsigned>{1u, 2u}));
    ForgetGLTextureNames();
    texture.ReleaseGLTexture();
    EXPECT_TRUE(gl.deleted.empty());
    EXPECT_EQ(texture.GetGLName(), 0u);
}

TEST(TextureTest, SharedPicturesAreDeletedWithTheirLastUse)
{
    undotest::TestEnvironment environment;
    CDib* picture = MakePicture(1, 1);
    picture->AddUse();  // the test's own use
    {
        CTexture first;
        CTexture second;
        first.SetImage(picture);
        second.SetImage(picture);
        EXPECT_EQ(picture->GetUseCount(), 3);
    }
    EXPECT_EQ(picture->GetUseCount(), 1);
    (void)picture->ReleaseUse();
}

TEST(TextureTest, AGreyTargetTakesTheSaturationAwayAndKeepsTheHue)
{
    double hue = 0.0;
    double lightness = 0.0;
    double saturation = 0.0;
    ComputeHsvDelta(hue, lightness, saturation, CColor(255, 0, 0), CColor(128, 128, 128), true);
    EXPECT_DOUBLE_EQ(hue, 0.0);
    EXPECT_DOUBLE_EQ(saturation, -1.0);
    ComputeHsvDelta(hue, lightness, saturation, CColor(255, 0, 0), CColor(0, 0, 255), true);
    EXPECT_NEAR(hue, 240.0, 1e-9);
    ComputeHsvDelta(hue, lightness, saturation, CColor(0, 255, 0), CColor(0, 0, 255), false);
    EXPECT_NEAR(hue, 240.0, 1e-9);
}

TEST(TextureTest, ARepeatSizeThatIsNotAPositiveNumberIsReadAsTheDefault)
{
    undotest::TestEnvironment environment;
    for (const double size : {0.0, -2.0, std::numeric_limits<double>::quiet_NaN(),
                              std::numeric_limits<double>::infinity()}) {
        SCOPED_TRACE(size);
        const Bytes bytes = Store([&](CArchive& ar) {
            materialtest::WriteTextureRecord(ar, 4, nullptr, size, 5.0, "", CColor());
        });
        CTexture texture;
        const FileVersions versions({{"CTexture", 4}});
        Load(bytes, [&](CArchive& ar) { texture.Serialize(ar); });
        EXPECT_DOUBLE_EQ(texture.GetWidth(), CTexture::kDefaultSize);
        EXPECT_DOUBLE_EQ(texture.GetHeight(), 5.0);
    }
}
