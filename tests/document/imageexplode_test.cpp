#include <gtest/gtest.h>

#include <string>

#include "document/facetexturecoords.h"
#include "document/image.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/texture.h"
#include "tests/document/operationtestsupport.h"
#include "tests/document/undoreplay.h"

using operationtest::Bytes;
using operationtest::ModelFixture;

namespace {

// An image of a 4 by 3 picture in a definition of its own, shown twice as large in x.
class ImageExplodeTest : public ::testing::Test
{
protected:
    ImageExplodeTest()
    {
        const CUndoSuspender suspender;
        m_definition = m_fixture.Definition("Image#1");
        m_picture = new CMaterial;
        m_picture->SetName(CString("Picture"));
        auto* texture = new CTexture;
        texture->SetWidth(4);
        texture->SetHeight(3);
        texture->SetFileName(CString("C:\\pictures\\sunset.jpg"));
        m_picture->SetTexture(texture);
        m_fixture.Root().GetMaterialManager()->AddMaterial(m_picture);
        dynamic_cast<CFace*>(m_definition->GetAt(4))->SetMaterial(m_picture);
        m_image = ModelFixture::Place<CImage>(m_fixture.Root(), m_definition, CTransformation::Scaling(2, 1, 1));
    }
    void SetFileName(const std::string& name) const
    {
        const CUndoSuspender suspender;
        m_picture->GetTexture()->SetFileName(CString::FromUtf8(name));
    }

    ModelFixture m_fixture;
    CComponentDefinition* m_definition = nullptr;
    CMaterial* m_picture = nullptr;
    CImage* m_image = nullptr;
};

}  // namespace

TEST_F(ImageExplodeTest, AnImageExplodesIntoAFacePaintedWithTheNewPictureMaterialOnBothSides)
{
    EXPECT_EQ(m_image->GetImageWidth(), 4);
    EXPECT_EQ(m_image->GetImageHeight(), 3);
    const std::vector<CEntity*> copies = m_image->Explode(false, false);
    ASSERT_EQ(copies.size(), 5u);
    auto* face = dynamic_cast<CFace*>(m_fixture.Root().GetAt(4));
    ASSERT_NE(face, nullptr);
    CMaterial* material = face->GetMaterial();
    ASSERT_NE(material, nullptr);
    EXPECT_NE(material, m_picture);
    EXPECT_EQ(face->GetBackMaterial(), material);
    EXPECT_EQ(material->GetName(), CString("sunset"));
    EXPECT_DOUBLE_EQ(material->GetTexture()->GetWidth(), 8.0);
    EXPECT_DOUBLE_EQ(material->GetTexture()->GetHeight(), 3.0);
    const CFaceTextureCoords* coords = GetFaceTextureCoords(face);
    ASSERT_NE(coords, nullptr);
    // The picture's far corner (texture 1, 1) lies at the face's far corner, (8, 3).
    const Matrix3& m = coords->GetFrontPlacement().matrix;
    EXPECT_NEAR((m[0] + m[3] + m[6]) / (m[2] + m[5] + m[8]), 8.0, 1e-9);
    EXPECT_NEAR((m[1] + m[4] + m[7]) / (m[2] + m[5] + m[8]), 3.0, 1e-9);
    // The image was its definition's only instance: the definition went with it (and
    // is freed, so the test reads the list, not the definition).
    EXPECT_EQ(m_fixture.Root().GetDefinitionList()->GetCount(), 0);
}

// Material names were cut from a 256-character buffer; any length is kept now.
TEST_F(ImageExplodeTest, TheNewMaterialIsNamedAfterThePictureFileWhateverItsLength)
{
    const std::string longName(300, 'p');
    const struct
    {
        std::string fileName;
        std::string expected;
    } cases[] = {
        {"   ", "Image"},
        {"C:\\pictures\\", "Image1"},  // "Image" is taken by now
        {"  /home/me/beach.png  ", "beach"},
        {"D:\\" + longName + ".jpg", longName},
        {"C:\\pictures\\Picture.jpg", "Picture1"},
    };
    for (const auto& c : cases) {
        SetFileName(c.fileName);
        CMaterial* made = m_image->MakeMaterial();
        ASSERT_NE(made, nullptr);
        EXPECT_EQ(made->GetName().ToUtf8(), c.expected) << c.fileName;
    }
}

TEST_F(ImageExplodeTest, AMaterialThatShowsThePictureAtTheImagesSizeIsFoundAndReused)
{
    EXPECT_EQ(m_image->FindMatchingMaterial(), nullptr);
    CMaterial* made = m_image->MakeMaterial();
    EXPECT_EQ(m_image->FindMatchingMaterial(), made);
}

TEST_F(ImageExplodeTest, AnImageWithoutAFaceOnlyGetsADefinitionOfItsOwn)
{
    const CUndoSuspender suspender;
    CComponentDefinition* empty = m_fixture.Definition("Empty");
    for (int i = empty->GetCount() - 1; i >= 0; --i) {
        empty->EraseEntity(static_cast<CDrawingElement*>(empty->GetAt(i)));
    }
    auto* image = ModelFixture::Place<CImage>(m_fixture.Root(), empty);
    ModelFixture::Place<CImage>(m_fixture.Root(), empty);
    EXPECT_EQ(image->GetImageWidth(), 0);
    EXPECT_TRUE(image->Explode(false, false).empty());
    EXPECT_NE(image->GetDefinition(), empty);
    EXPECT_EQ(image->GetParent(), &m_fixture.Root());
}

TEST_F(ImageExplodeTest, OneUndoRestoresTheBytesAfterAnImageIsExploded)
{
    const Bytes before = ModelFixture::BytesOf(m_fixture.Root());
    CUndoOperation& operation = m_fixture.StartOperation();
    m_image->Explode(false, false);
    EXPECT_NE(ModelFixture::BytesOf(m_fixture.Root()), before);
    const undoreplay::UndoReplay undo(operation);
    EXPECT_EQ(ModelFixture::BytesOf(m_fixture.Root()), before);
}
