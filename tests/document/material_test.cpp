#include <gtest/gtest.h>

#include <limits>
#include <memory>

#include "document/material.h"
#include "document/texture.h"
#include "tests/document/materialtestsupport.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "model/undorecord.h"
#include "tests/document/documenttestsupport.h"

using documenttest::Bytes;
using documenttest::Dispose;
using documenttest::FileVersions;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

// A current manager with an open operation, to see what the setters record.
class MaterialTest : public ::testing::Test
{
protected:
    MaterialTest()
    {
        WriteProfileBool("Undo", "Logging", false);
        m_manager = std::make_unique<CUndoManager>(nullptr);
        SetCurrentUndoManager(m_manager.get());
        {
            const CUndoSuspender suspender;
            m_material = new CMaterial;
        }
        m_operation = m_manager->Start(1);
    }
    ~MaterialTest() override
    {
        m_manager->Commit();
        const CUndoSuspender suspender;
        m_material->Erase();
        m_manager.reset();
    }

    [[nodiscard]] bool Recorded() const { return m_operation->FindRecord(m_material) != nullptr; }

    // Writes the material and reads it back as a file of the given class version.
    CMaterial* RoundTrip(int version)
    {
        const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(m_material); });
        const FileVersions versions({{"CEntity", 3}, {"CMaterial", version}});
        CMaterial* read = nullptr;
        Load(bytes, [&](CArchive& ar) { ArchiveReadMaterial(ar, read); });
        return read;
    }

    TestEnvironment m_environment;
    std::unique_ptr<CUndoManager> m_manager;
    CMaterial* m_material = nullptr;
    CUndoOperation* m_operation = nullptr;
};

}  // namespace


TEST_F(MaterialTest, ATransparencyWithinTheToleranceChangesAndRecordsNothing)
{
    m_material->SetTransparency(0.5009);
    EXPECT_DOUBLE_EQ(m_material->GetTransparency(), 0.5);
    EXPECT_FALSE(Recorded());
    m_material->SetTransparency(0.501);
    EXPECT_DOUBLE_EQ(m_material->GetTransparency(), 0.501);
    EXPECT_TRUE(Recorded());
}

TEST_F(MaterialTest, SettersRecordOnlyRealChanges)
{
    m_material->SetName("<auto>");
    m_material->SetSecondName("");
    m_material->SetColor(CColor());
    m_material->SetKind(kMaterialColor);
    EXPECT_FALSE(Recorded());
    m_material->SetSecondName("Oak");
    EXPECT_TRUE(Recorded());
    EXPECT_TRUE(m_operation->FindRecord(m_material)->HasSavedCopy());
    m_material->SetSecondName("OAK");
    EXPECT_EQ(m_material->GetSecondName(), CString("Oak"));
}

TEST_F(MaterialTest, TheUseCountNeverFallsBelowZero)
{
    m_material->RemoveUse(false);
    EXPECT_EQ(m_material->GetUseCount(), 0);
    m_material->AddUse(true);
    m_material->AddUse(false);
    m_material->RemoveUse(false);
    EXPECT_EQ(m_material->GetUseCount(), 1);
    EXPECT_TRUE(Recorded());
}


TEST_F(MaterialTest, TheRecordRoundTripsEveryField)
{
    {
        const CUndoSuspender suspender;
        m_material->SetName("Brick");
        m_material->SetSecondName("red");
        m_material->SetColor(CColor(200, 50, 40, 255));
        m_material->SetTransparency(0.25);
        m_material->SetUseTransparency(true);
        m_material->SetHidden(true);
        m_material->SetAbsoluteHue(1);
    }
    CMaterial* read = RoundTrip(12);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetName(), CString("Brick"));
    EXPECT_EQ(read->GetSecondName(), CString("red"));
    EXPECT_EQ(read->GetColorValue(), CColor(200, 50, 40, 255));
    EXPECT_DOUBLE_EQ(read->GetTransparency(), 0.25);
    EXPECT_TRUE(read->UsesTransparency());
    EXPECT_TRUE(read->IsHidden());
    EXPECT_EQ(read->GetAbsoluteHue(), 1);
    Dispose(read);
}

TEST_F(MaterialTest, AFlaggedMaterialIsReadOnlyBehindANonZeroNumber)
{
    for (const std::int32_t flag : {0, 1}) {
        const Bytes bytes = Store([&](CArchive& ar) {
            ar << flag;
            if (flag != 0) {
                ar.WriteObject(m_material);
            }
            ar << std::int32_t{77};
        });
        const FileVersions versions({{"CEntity", 3}, {"CMaterial", 12}});
        CMaterial* read = m_material;
        bool found = false;
        std::int32_t after = 0;
        Load(bytes, [&](CArchive& ar) {
            found = ArchiveReadFlaggedMaterial(ar, read);
            ar >> after;
        });
        EXPECT_EQ(found, flag != 0);
        EXPECT_EQ(after, 77) << "the reader stops where the record's material ends";
        if (flag != 0) {
            ASSERT_NE(read, m_material);
            EXPECT_NE(read, nullptr);
            Dispose(read);
        } else {
            EXPECT_EQ(read, m_material) << "a clear flag leaves the material as it is";
        }
    }
}

TEST_F(MaterialTest, AnOlderRecordDerivesTheTransparencySwitchFromTheValue)
{
    {
        const CUndoSuspender suspender;
        m_material->SetColor(CColor(1, 1, 1));
        m_material->SetTransparency(0.0005);
    }
    CMaterial* faint = RoundTrip(11);
    EXPECT_FALSE(faint->UsesTransparency());
    Dispose(faint);

    {
        const CUndoSuspender suspender;
        m_material->SetTransparency(0.2);
    }
    CMaterial* clear = RoundTrip(11);
    EXPECT_TRUE(clear->UsesTransparency());
    Dispose(clear);
}

TEST_F(MaterialTest, AVersion8RecordWithoutTextureIsAPlainOpaqueColour)
{
    {
        const CUndoSuspender suspender;
        m_material->SetColor(CColor(1, 1, 1));
        m_material->SetAbsoluteHue(1);
        m_material->SetTransparency(0.7);
    }
    CMaterial* read = RoundTrip(8);
    EXPECT_EQ(read->GetKind(), kMaterialColor);
    EXPECT_EQ(read->GetAbsoluteHue(), 0);
    EXPECT_DOUBLE_EQ(read->GetTransparency(), 0.0);
    EXPECT_FALSE(read->UsesTransparency());
    Dispose(read);
}


TEST(MaterialNamesTest, TrailingDigitsAreStrippedAndTheAutomaticPrefixKept)
{
    EXPECT_EQ(StripTrailingDigits("Brick12"), CString("Brick"));
    EXPECT_EQ(StripTrailingDigits("123"), CString(""));
    EXPECT_EQ(StripTrailingDigits("A1b"), CString("A1b"));
    EXPECT_EQ(ExpandAutoNamePrefix("*3"), CString("*3"));
}

namespace {

struct TexturedMaterial
{
    CMaterial* material;
    CDib* picture;
};

// A coloured-texture material whose picture the test holds a use of as well.
TexturedMaterial MakeTexturedMaterial()
{
    const CUndoSuspender suspender;
    auto* material = new CMaterial;
    material->SetName("Oak");
    material->SetColor(CColor(90, 60, 30));
    auto* texture = new CTexture;
    CDib* picture = materialtest::MakePicture(2, 2);
    picture->AddUse();
    texture->SetImage(picture);
    texture->SetFileName("oak.png");
    texture->SetWidth(48.0);
    material->SetTexture(texture);
    material->SetKind(kMaterialColoredTexture);
    return {material, picture};
}

}  // namespace

TEST(MaterialTextureTest, ATexturedRecordRoundTripsAndWritesTheSameBytesInEveryFormat)
{
    TestEnvironment environment;
    const TexturedMaterial made = MakeTexturedMaterial();
    for (const int format : {kSaveFormat5000, kSaveFormat4000, kSaveFormat3000}) {
        SCOPED_TRACE(format);
        const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(made.material); }, format);
        CMaterial* read = nullptr;
        Bytes again;
        {
            const FileVersions versions({{"CEntity", format == kSaveFormat3000 ? 2 : 3},
                                         {"CMaterial", 12},
                                         {"CTexture", 4},
                                         {"CDib", 2}});
            Load(bytes, [&](CArchive& ar) { ArchiveReadMaterial(ar, read); });
            again = Store([&](CArchive& ar) { ar.WriteObject(read); }, format);
        }
        ASSERT_NE(read, nullptr);
        EXPECT_EQ(read->GetKind(), kMaterialColoredTexture);
        EXPECT_TRUE(read->IsTextured());
        ASSERT_NE(read->GetTexture(), nullptr);
        EXPECT_EQ(read->GetTexture()->GetParent(), read);
        EXPECT_EQ(read->GetTexture()->GetFileName(), CString("oak.png"));
        EXPECT_DOUBLE_EQ(read->GetTexture()->GetWidth(), 48.0);
        EXPECT_EQ(read->GetTexture()->GetImageWidth(), 2);
        EXPECT_EQ(read->GetColorValue(), CColor(90, 60, 30));
        EXPECT_EQ(again, bytes);
        Dispose(read);
    }
    Dispose(made.material);
    EXPECT_EQ(made.picture->ReleaseUse(), 0);
}

TEST(MaterialTextureTest, AVersion8RecordTakesItsKindAndColourFromTheTexturePicture)
{
    TestEnvironment environment;
    CDib* picture = materialtest::MakePicture(1, 1);
    for (const bool withPicture : {true, false}) {
        SCOPED_TRACE(withPicture);
        const Bytes bytes = Store([&](CArchive& ar) {
            ar.WriteObject(nullptr);
            ArchiveWriteString(ar, "Brick");
            ArchiveWriteBool(ar, true);
            materialtest::WriteTextureRecord(ar, 4, withPicture ? picture : nullptr, 12.0, 12.0, "brick.jpg",
                                             CColor(7, 8, 9));
            ArchiveWriteBool(ar, false);
            ar << CColor(200, 0, 0);
            ArchiveWriteString(ar, "");
        });
        auto* read = new CMaterial;
        {
            const FileVersions versions({{"CEntity", 3}, {"CMaterial", 8}, {"CTexture", 4}, {"CDib", 2}});
            Load(bytes, [&](CArchive& ar) { read->Serialize(ar); });
        }
        EXPECT_EQ(read->GetKind(), withPicture ? kMaterialTexture : kMaterialColor);
        EXPECT_EQ(read->GetColorValue(), withPicture ? CColor(7, 8, 9) : CColor(200, 0, 0));
        EXPECT_EQ(read->GetAbsoluteHue(), 0);
        EXPECT_FALSE(read->UsesTransparency());
        EXPECT_EQ(read->IsPlainColor(), !withPicture);
        Dispose(read);
    }
    delete picture;
}

TEST(MaterialTextureTest, AnOldRecordNamesItsTextureAndASecondHolderIsRefused)
{
    TestEnvironment environment;
    CTexture texture;
    const Bytes bytes = Store([&](CArchive& ar) {
        for (int i = 0; i < 2; ++i) {
            ar.WriteObject(nullptr);
            ArchiveWriteString(ar, "Shared");
            ArchiveWriteBool(ar, true);
            ar.WriteObject(&texture);
            ar << std::int32_t{3};
        }
    });
    auto* first = new CMaterial;
    auto* second = new CMaterial;
    CTexture* named = nullptr;
    {
        const FileVersions versions({{"CEntity", 3}, {"CMaterial", 3}, {"CTexture", 4}});
        Load(bytes, [&](CArchive& ar) {
            first->Serialize(ar);
            named = first->GetTexture();
            try {
                second->Serialize(ar);
                ADD_FAILURE() << "a texture with two materials was accepted";
            } catch (const CArchiveException& error) {
                EXPECT_EQ(error.m_cause, CArchiveException::badIndex);
            }
        });
    }
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->GetParent(), first);
    EXPECT_EQ(first->GetUseCount(), 3);
    // The archive made the texture: the material does not delete it with itself.
    delete first;
    delete second;
    delete named;
}

TEST(MaterialTextureTest, TheViewColourIsOpaqueAtTransparencyZero)
{
    // Once the colour path took the transparency itself as the alpha, so that an
    // opaque material drew invisible.
    TestEnvironment environment;
    const CUndoSuspender suspender;
    CMaterial material;
    material.SetColor(CColor(10, 20, 30, 255));
    material.SetUseTransparency(true);
    material.SetTransparency(0.0);
    EXPECT_EQ(material.GetViewColor().GetAlphaByte(), 255);
    material.SetTransparency(0.75);
    EXPECT_EQ(material.GetViewColor().GetAlphaByte(), 63);
    material.SetUseTransparency(false);
    EXPECT_EQ(material.GetViewColor(), CColor(10, 20, 30, 255));
}

TEST(MaterialTextureTest, AMaterialDeletedBeforeItsEraseTakesItsTextureAlongButACopyDoesNot)
{
    TestEnvironment environment;
    const TexturedMaterial made = MakeTexturedMaterial();
    EXPECT_EQ(made.picture->GetUseCount(), 2);
    delete made.material->Clone();
    EXPECT_EQ(made.picture->GetUseCount(), 2);
    delete made.material;
    EXPECT_EQ(made.picture->GetUseCount(), 1);
    EXPECT_EQ(made.picture->ReleaseUse(), 0);
}

TEST(MaterialTextureTest, KindsDecideBetweenTheColourAndTheTexture)
{
    TestEnvironment environment;
    const TexturedMaterial made = MakeTexturedMaterial();
    CMaterial& material = *made.material;
    const CUndoSuspender suspender;
    EXPECT_EQ(material.GetTexture()->GetTint(), CColor(90, 60, 30));
    EXPECT_EQ(material.GetColor(), CColor(90, 60, 30)) << "a tinted texture averages to its tint";
    material.SetKind(kMaterialTexture);
    EXPECT_EQ(material.GetTexture()->GetTint(), CColor());
    EXPECT_EQ(material.GetColor(), made.picture->GetAverageColor());
    EXPECT_TRUE(material.IsOpaque());
    material.SetKind(kMaterialColor);
    EXPECT_EQ(material.GetTexture(), nullptr);
    EXPECT_TRUE(material.IsPlainColor());
    EXPECT_EQ(made.picture->GetUseCount(), 1);
    Dispose(made.material);
    EXPECT_EQ(made.picture->ReleaseUse(), 0);
}

TEST(MaterialTextureTest, TheOldestRecordsDropTheirExtraWordAndKeepTheUseCount)
{
    TestEnvironment environment;
    struct Case
    {
        int version;
        std::int32_t useCount;
    };
    for (const Case& c : {Case{2, 4}, Case{5, 0}}) {
        SCOPED_TRACE(c.version);
        const Bytes bytes = Store([&](CArchive& ar) {
            ar.WriteObject(nullptr);
            ArchiveWriteString(ar, "Old");
            if (c.version < 3) {
                ArchiveWriteBool(ar, true);
                ar << std::int32_t{99};
            }
            ArchiveWriteBool(ar, false);
            if (c.version <= 4) {
                ar << c.useCount;
            }
            ar << std::int32_t{0x5EED};
        });
        auto* read = new CMaterial;
        std::int32_t sentinel = 0;
        {
            const FileVersions versions({{"CEntity", 3}, {"CMaterial", c.version}});
            Load(bytes, [&](CArchive& ar) {
                read->Serialize(ar);
                ar >> sentinel;
            });
        }
        EXPECT_EQ(sentinel, 0x5EED);
        EXPECT_EQ(read->GetName(), CString("Old"));
        EXPECT_EQ(read->GetUseCount(), c.useCount);
        EXPECT_EQ(read->GetKind(), kMaterialColor);
        EXPECT_EQ(read->GetColorValue(), GetDefaultMaterialColor());
        Dispose(read);
    }
}

TEST(MaterialTextureTest, ATransparencyOutOfRangeIsReadAsOpaque)
{
    TestEnvironment environment;
    for (const double transparency : {1.5, -0.2, std::numeric_limits<double>::quiet_NaN(), 1.0005}) {
        SCOPED_TRACE(transparency);
        materialtest::MaterialFields fields;
        fields.transparency = transparency;
        fields.useTransparency = true;
        const Bytes bytes = Store([&](CArchive& ar) {
            ar.WriteObject(nullptr);
            ArchiveWriteString(ar, fields.name);
            ArchiveWriteBool(ar, false);
            materialtest::WriteMaterialTail(ar, fields);
        });
        auto* read = new CMaterial;
        {
            const FileVersions versions({{"CEntity", 3}, {"CMaterial", 12}});
            Load(bytes, [&](CArchive& ar) { read->Serialize(ar); });
        }
        EXPECT_DOUBLE_EQ(read->GetTransparency(), transparency == 1.0005 ? 1.0005 : 0.0);
        Dispose(read);
    }
}
