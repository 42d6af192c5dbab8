#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "document/dib.h"
#include "document/imageadapter/texturesizefit.h"
#include "document/material.h"
#include "document/texture.h"
#include "document/texturegl.h"
#include "document/thumbnail.h"
#include "foundation/framemeter.h"
#include "imaging/ilbmp.h"
#include "model/face.h"
#include "tests/document/materialtestsupport.h"
#include "tests/document/modelfiletestsupport.h"

using modelfiletest::Bytes;

namespace {

constexpr int kFaxSide = 16384;
constexpr int kTextures = 8;
const CColor kFaceColour(40, 120, 200);

void PutLe(Bytes& bytes, std::size_t at, std::uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

// A white square fax picture (two-dimensional coding, one strip): against the white line
// above it, every row is a single "same as above" code of one bit.
Bytes WhiteFaxTiff(int side)
{
    constexpr std::size_t kEntries = 8;
    constexpr std::size_t kDataAt = 8 + 2 + kEntries * 12 + 4;
    Bytes data(static_cast<std::size_t>(side) / 8, 0xFF);
    data.insert(data.end(), {0x00, 0x10, 0x01});  // end of the coded block
    Bytes tiff(kDataAt, 0);
    tiff[0] = 'I';
    tiff[1] = 'I';
    PutLe(tiff, 2, 42, 2);
    PutLe(tiff, 4, 8, 4);
    PutLe(tiff, 8, kEntries, 2);
    const std::uint32_t entries[kEntries][3] = {
        {256, 4, static_cast<std::uint32_t>(side)},  // width
        {257, 4, static_cast<std::uint32_t>(side)},  // height
        {258, 3, 1},                                 // bits per sample
        {259, 3, 4},                                 // two-dimensional fax coding
        {262, 3, 0},                                 // 0 is white
        {273, 4, kDataAt},                           // strip offset
        {278, 4, static_cast<std::uint32_t>(side)},  // rows per strip
        {279, 4, static_cast<std::uint32_t>(data.size())},
    };
    for (std::size_t i = 0; i < kEntries; ++i) {
        const std::size_t at = 10 + 12 * i;
        PutLe(tiff, at, entries[i][0], 2);
        PutLe(tiff, at + 2, entries[i][1], 2);
        PutLe(tiff, at + 4, 1, 4);
        PutLe(tiff, at + 8, entries[i][2], entries[i][1] == 3 ? 2 : 4);
    }
    tiff.insert(tiff.end(), data.begin(), data.end());
    return tiff;
}

// A stand-in bitmap of the face colour with the fax picture's bytes kept: the writer
// stores the bytes as they are.
CDib* FaxPicture(const Bytes& tiff)
{
    CDib* picture = materialtest::MakePicture(2, 2, 0xFF2878C8u);
    std::uint8_t* bytes = GetImageLibApp()->AllocBuffer(tiff.size());
    std::memcpy(bytes, tiff.data(), tiff.size());
    picture->SetPixelBuffer(bytes, static_cast<int>(tiff.size()));
    return picture;
}

// Faces, each painted with a texture of its own whose picture the maker gives.
Bytes TexturedModel(int count, const std::function<CDib*()>& makePicture)
{
    CTarnwickModel* model = new CTarnwickModel;
    {
        const CurrentModelScope scope(model);
        const CUndoSuspender suspender;
        for (int i = 0; i < count; ++i) {
            auto* texture = new CTexture;
            texture->SetImage(makePicture());
            texture->SetFileName(CString(("picture" + std::to_string(i) + ".tif").c_str()));
            auto* material = new CMaterial;
            material->SetName(CString(("Picture " + std::to_string(i)).c_str()));
            material->SetColor(kFaceColour);
            material->SetTexture(texture);
            material->SetKind(kMaterialTexture);
            model->GetMaterialManager()->AddMaterial(material);
            modelfiletest::AddSquare(*model->GetRootComponent(), 1.0 + i)->SetMaterial(material);
        }
    }
    const Bytes bytes = modelfiletest::WriteModel(*model, kSaveFormat5000);
    model->Release();
    return bytes;
}

// Eight faces whose pictures are the fax.
Bytes FaxTexturedModel(const Bytes& tiff)
{
    return TexturedModel(kTextures, [&tiff]() { return FaxPicture(tiff); });
}

// A run-length SGI picture: its header alone is reason enough for the decoder to refuse it.
Bytes RunLengthSgi()
{
    Bytes sgi(600, 0);
    const std::uint8_t header[] = {0x01, 0xDA, 1, 1, 0, 3, 0, 4, 0, 4, 0, 3};
    std::copy(std::begin(header), std::end(header), sgi.begin());
    return sgi;
}

Bytes SoundPng()
{
    CDib* source = materialtest::MakePicture(4, 4);
    int size = 0;
    int format = 0;
    std::uint8_t* encoded = GetImageLibApp()->EncodePngToMemory(source, size, format);
    Bytes png(encoded, encoded + size);
    GetImageLibApp()->FreeBuffer(encoded);
    delete source;
    return png;
}

// A sound PNG with the first byte of its compressed data damaged.
Bytes DamagedPng()
{
    Bytes png = SoundPng();
    const std::string tag = "IDAT";
    const auto at = std::search(png.begin(), png.end(), tag.begin(), tag.end());
    EXPECT_NE(at, png.end());
    at[4] = 0x00;  // the stream's compression method
    return png;
}

// A picture as a read leaves one that did not decode: its bytes and no bitmap.
CDib* UndecodedPicture(const Bytes& bytes, int formatCode = 0)
{
    auto* picture = new CDib;
    picture->Create(nullptr, formatCode, 0, 0, false);
    std::uint8_t* kept = GetImageLibApp()->AllocBuffer(bytes.size());
    std::memcpy(kept, bytes.data(), bytes.size());
    picture->SetPixelBuffer(kept, static_cast<int>(bytes.size()));
    return picture;
}

Bytes PictureBytes(const CDib* picture)
{
    if (picture == nullptr) {
        return {};
    }
    return Bytes(picture->GetPixelBuffer(), picture->GetPixelBuffer() + picture->GetPixelBufferSize());
}

std::vector<CMaterial*> FaceMaterials(CTarnwickModel& model)
{
    std::vector<CMaterial*> materials;
    CComponent& root = *model.GetRootComponent();
    for (int i = 0; i < root.GetCount(); ++i) {
        if (auto* face = dynamic_cast<CFace*>(root.GetAt(i))) {
            materials.push_back(face->GetMaterial());
        }
    }
    return materials;
}

class ModelPicturesTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }
    void TearDown() override { ILBmp::SetMaxPixels(ILBmp::kMaxPixels); }

    entitytest::QuietSettings m_settings;
    CurrentModelScope m_scope{nullptr};
};

}  // namespace

// Eight such pictures used to take 9.4 GB as full-size 32-bit bitmaps, or to end the program.
TEST_F(ModelPicturesTest, HugeFaxTexturesAreKeptNoLargerThanATextureAndWrittenBackWhole)
{
    const Bytes tiff = WhiteFaxTiff(kFaxSide);
    const Bytes file = FaxTexturedModel(tiff);
    CTarnwickModel* model = new CTarnwickModel;
    modelfiletest::ReadModel(*model, file);
    const std::vector<CMaterial*> materials = FaceMaterials(*model);
    ASSERT_EQ(materials.size(), static_cast<std::size_t>(kTextures));
    for (CMaterial* material : materials) {
        ASSERT_NE(material, nullptr);
        ASSERT_TRUE(material->IsTextured());
        const CDib* picture = material->GetTexture()->GetImage();
        EXPECT_EQ(picture->GetWidth(), GetImageTextureMaxSide());
        EXPECT_EQ(picture->GetHeight(), GetImageTextureMaxSide());
        EXPECT_EQ(picture->GetSourceWidth(), kFaxSide);
        EXPECT_EQ(picture->GetSourceHeight(), kFaxSide);
        EXPECT_EQ(picture->GetAverageColor(), CColor(255, 255, 255));
        EXPECT_EQ(Bytes(picture->GetPixelBuffer(), picture->GetPixelBuffer() + picture->GetPixelBufferSize()), tiff);
    }
    model->Release();
}

// A picture whose decode or whose texture fails no longer takes the program with it.
TEST_F(ModelPicturesTest, APictureThatFailsIsLeftOutAndTheFaceKeepsItsColour)
{
    const Bytes tiff = WhiteFaxTiff(64);
    const Bytes file = FaxTexturedModel(tiff);
    {
        // The decode, when the picture is first asked about, runs out of room for the bitmap.
        ILBmp::SetMaxPixels(16);
        CTarnwickModel* model = new CTarnwickModel;
        modelfiletest::ReadModel(*model, file);
        for (CMaterial* material : FaceMaterials(*model)) {
            EXPECT_FALSE(material->IsTextured());
            EXPECT_EQ(material->GetViewColor(), kFaceColour);
        }
        ILBmp::SetMaxPixels(ILBmp::kMaxPixels);
        model->Release();
    }
    // The picture decodes, but the texture made from it runs out of room.
    CTarnwickModel* model = new CTarnwickModel;
    modelfiletest::ReadModel(*model, file);
    const materialtest::CRecordingTextureGL gl;
    for (CMaterial* material : FaceMaterials(*model)) {
        ASSERT_TRUE(material->IsTextured());
    }
    ILBmp::SetMaxPixels(16);
    for (CMaterial* material : FaceMaterials(*model)) {
        material->ApplyToView(nullptr);
        EXPECT_FALSE(material->IsTextured());
        EXPECT_EQ(material->GetViewColor(), kFaceColour);
    }
    ILBmp::SetMaxPixels(ILBmp::kMaxPixels);
    // The pictures are still written back.
    CTarnwickModel* again = new CTarnwickModel;
    modelfiletest::ReadModel(*again, modelfiletest::WriteModel(*model, kSaveFormat5000));
    for (CMaterial* material : FaceMaterials(*again)) {
        EXPECT_TRUE(material->IsTextured());
    }
    again->Release();
    model->Release();
}

// Such pictures were dropped as the model was read, and the next save lost their bytes for good.
TEST_F(ModelPicturesTest, PicturesThatDoNotDecodeAreDrawnAsColourAndWrittenBackUnchanged)
{
    const CColor average(10, 20, 30);
    // A sound picture under a format code beyond the known ones is kept but not drawn.
    const struct
    {
        Bytes bytes;
        int formatCode;
    } cases[] = {{RunLengthSgi(), 0}, {DamagedPng(), 0}, {SoundPng(), 7}, {SoundPng(), 255}};
    for (const auto& [bad, formatCode] : cases) {
        SCOPED_TRACE(formatCode);
        CTarnwickModel* built = new CTarnwickModel;
        {
            const CurrentModelScope scope(built);
            const CUndoSuspender suspender;
            auto* texture = new CTexture;
            texture->SetImage(UndecodedPicture(bad, formatCode));
            texture->SetFileName(CString("roof.rgb"));
            texture->SetWidth(2.5);
            texture->SetHeight(1.25);
            texture->SetAverageColor(average);
            auto* material = new CMaterial;
            material->SetName(CString("Roof"));
            material->SetColor(kFaceColour);
            material->SetTexture(texture);
            material->SetKind(kMaterialTexture);
            // Transparency colours the texture again, which must not take the stored
            // average colour from a picture that has none.
            material->SetTransparency(0.25);
            material->SetUseTransparency(true);
            built->GetMaterialManager()->AddMaterial(material);
            modelfiletest::AddSquare(*built->GetRootComponent(), 1.0)->SetMaterial(material);
            built->SetPreviewImage(UndecodedPicture(bad, formatCode));
            built->SetRedefineThumbnailOnSave(false);
        }
        for (const int format : {kSaveFormat5000, kSaveFormat4000, kSaveFormat3000}) {
            SCOPED_TRACE(format);
            const Bytes first = modelfiletest::WriteModel(*built, format);
            CTarnwickModel* model = new CTarnwickModel;
            modelfiletest::ReadModel(*model, first);
            EXPECT_EQ(PictureBytes(model->GetPreviewImage()), bad);
            const std::vector<CMaterial*> materials = FaceMaterials(*model);
            ASSERT_EQ(materials.size(), 1u);
            CMaterial& material = *materials[0];
            const CTexture& texture = *material.GetTexture();
            EXPECT_EQ(PictureBytes(texture.GetImage()), bad);
            EXPECT_EQ(texture.GetWidth(), 2.5);
            EXPECT_EQ(texture.GetHeight(), 1.25);
            EXPECT_EQ(texture.GetFileName(), CString("roof.rgb"));
            EXPECT_EQ(texture.GetAverageColor(), average);
            EXPECT_EQ(material.GetKind(), kMaterialTexture);
            {
                const materialtest::CRecordingTextureGL gl;
                EXPECT_FALSE(material.IsTextured());
                material.ApplyToView(nullptr);
                EXPECT_EQ(gl.lastName, 0u);
                CColor faceColour = kFaceColour;
                faceColour.SetAlpha(0.75);
                EXPECT_EQ(material.GetViewColor(), faceColour);
            }
            const Bytes second = modelfiletest::WriteModel(*model, format);
            EXPECT_EQ(modelfiletest::FirstDifference(modelfiletest::WithoutStamp(first, format),
                                                     modelfiletest::WithoutStamp(second, format)),
                      -1);
            model->Release();
        }
        built->Release();
    }
}

// A file may name the preview again as a thumbnail's picture: each holds a use of it, and
// the model's end deletes it once. Pictures that do not decode are kept now, which made
// such a file easy to come by.
TEST_F(ModelPicturesTest, APreviewThatAThumbnailAlsoNamesIsDeletedOnceWithItsLastHolder)
{
    for (const bool decodes : {true, false}) {
        CTarnwickModel* built = new CTarnwickModel;
        CDib* picture = decodes ? materialtest::MakePicture(2, 2) : UndecodedPicture(RunLengthSgi());
        {
            const CurrentModelScope scope(built);
            const CUndoSuspender suspender;
            auto* definition = new CComponentDefinition;
            definition->SetName(CString("Box"));
            modelfiletest::AddSquare(*definition, 1.0);
            built->GetDefinitionList()->AddDefinition(definition, false);
            built->SetPreviewImage(picture);
            built->SetRedefineThumbnailOnSave(false);
            dynamic_cast<CThumbnail&>(*definition->GetThumbnail()).SetImage(picture);
        }
        const Bytes file = modelfiletest::WriteModel(*built, kSaveFormat5000);
        built->Release();
        CTarnwickModel* model = new CTarnwickModel;
        modelfiletest::ReadModel(*model, file);
        ASSERT_NE(model->GetPreviewImage(), nullptr);
        EXPECT_EQ(model->GetPreviewImage()->GetUseCount(), 2);
        model->Release();
    }
}

// Every picture was held decoded from the read on, and again as its texture.
TEST_F(ModelPicturesTest, APictureIsDecodedOnlyToMakeItsTextureAndIsWrittenBackAsRead)
{
    const Bytes file = TexturedModel(2, []() { return materialtest::MakePicture(8, 4, 0xFF2878C8u); });
    CTarnwickModel* model = new CTarnwickModel;
    modelfiletest::ReadModel(*model, file);
    const std::vector<CMaterial*> materials = FaceMaterials(*model);
    for (CMaterial* material : materials) {
        EXPECT_FALSE(material->GetTexture()->GetImage()->IsDecoded());
    }
    const materialtest::CRecordingTextureGL gl;
    // The second round finds the names of a replaced context and makes the textures again.
    for (const bool contextReplaced : {false, true}) {
        SCOPED_TRACE(contextReplaced);
        if (contextReplaced) {
            ForgetGLTextureNames();
        }
        for (CMaterial* material : materials) {
            material->ApplyToView(nullptr);
            EXPECT_EQ(gl.madeWidth, 8);
            EXPECT_EQ(gl.madeHeight, 4);
            EXPECT_FALSE(material->GetTexture()->GetImage()->IsDecoded());
        }
    }
    EXPECT_EQ(gl.lastName, 4u);
    const Bytes again = modelfiletest::WriteModel(*model, kSaveFormat5000);
    EXPECT_EQ(modelfiletest::FirstDifference(modelfiletest::WithoutStamp(file, kSaveFormat5000),
                                             modelfiletest::WithoutStamp(again, kSaveFormat5000)),
              -1);
    // The oldest format takes the pictures encoded anew, decoded for it.
    CTarnwickModel* oldest = new CTarnwickModel;
    modelfiletest::ReadModel(*oldest, modelfiletest::WriteModel(*model, kSaveFormat3000));
    for (CMaterial* material : FaceMaterials(*oldest)) {
        EXPECT_TRUE(material->IsTextured());
        EXPECT_EQ(material->GetTexture()->GetImageWidth(), 8);
    }
    oldest->Release();
    model->Release();
}

// Hundreds of large pictures drawn at once took gigabytes as textures; past the budget even
// the smallest reduction was made, and 40,000 small pictures took 2.8 GB.
TEST_F(ModelPicturesTest, TexturesPastTheBudgetAreMadeFromTheirPicturesReducedOrDrawnInColour)
{
    constexpr std::int64_t kWhole = 512 * 256 * 4 + kTextureObjectBytes;
    constexpr std::int64_t kHalf = 256 * 128 * 4 + kTextureObjectBytes;
    constexpr std::int64_t kSmallest = 128 * 64 * 4 + kTextureObjectBytes;
    const Bytes file = TexturedModel(3, []() { return materialtest::MakePicture(512, 256, 0xFF2878C8u); });
    // The widths made; 0 where no texture is made and the face draws in its colour.
    const struct
    {
        std::int64_t budget;
        std::vector<int> widths;
    } cases[] = {
        {kDefaultTextureBudget, {512, 512, 512}},
        {2 * kWhole + kSmallest, {512, 512, 128}},  // the smallest side the budget reduces to
        {2 * kWhole, {512, 512, 0}},
        {kWhole + kHalf, {512, 256, 0}},
    };
    for (const auto& [budget, widths] : cases) {
        SCOPED_TRACE(budget);
        CTarnwickModel* model = new CTarnwickModel;
        modelfiletest::ReadModel(*model, file);
        const materialtest::CRecordingTextureGL gl;
        ForgetGLTextureNames();
        SetTextureMemoryBudget(budget);
        std::vector<int> made;
        for (CMaterial* material : FaceMaterials(*model)) {
            const unsigned before = gl.lastName;
            material->ApplyToView(nullptr);
            made.push_back(gl.lastName != before ? gl.madeWidth : 0);
            EXPECT_EQ(material->IsTextured(), gl.lastName != before);
            EXPECT_EQ(material->GetColor(), material->GetTexture()->GetAverageColor());
            EXPECT_EQ(material->GetTexture()->GetImageWidth(), 512);
        }
        SetTextureMemoryBudget(kDefaultTextureBudget);
        EXPECT_EQ(made, widths);
        model->Release();
        EXPECT_EQ(GetTextureMemoryInUse(), 0);
    }
}

// A model opened from the command line learnt its pictures against the default side
// before the view installed a larger one, kept that size, and the budget check took
// its textures for a quarter of what they were made at.
TEST_F(ModelPicturesTest, PicturesLearntBeforeALargerTextureSizeIsInstalledAreMeasuredAtIt)
{
    constexpr std::int64_t kWhole = 2048 * 1024 * 4 + kTextureObjectBytes;
    const Bytes file = TexturedModel(1, []() { return materialtest::MakePicture(2048, 1024, 0xFF2878C8u); });
    SetTextureSizeFitter(nullptr);
    CTarnwickModel* model = new CTarnwickModel;
    modelfiletest::ReadModel(*model, file);
    CMaterial* material = FaceMaterials(*model).at(0);
    const CTexture& texture = *material->GetTexture();
    EXPECT_EQ(std::pair(texture.GetImageWidth(), texture.GetImageHeight()), std::pair(1024, 512));

    SetTextureSizeFitter([](int& width, int& height) { return FitToPowerOfTwo(width, height, 4096); });
    EXPECT_EQ(std::pair(texture.GetImageWidth(), texture.GetImageHeight()), std::pair(2048, 1024));
    EXPECT_EQ(texture.GetImage()->GetOpaqueCount(), 2048 * 1024);
    const materialtest::CRecordingTextureGL gl;
    ForgetGLTextureNames();
    // Short of the whole texture by a byte: it is made from its picture reduced.
    SetTextureMemoryBudget(kWhole - 1);
    material->ApplyToView(nullptr);
    EXPECT_EQ(std::pair(gl.madeWidth, gl.madeHeight), std::pair(1024, 512));
    EXPECT_LE(GetTextureMemoryInUse(), kWhole - 1);
    SetTextureMemoryBudget(kDefaultTextureBudget);

    SetTextureSizeFitter(nullptr);
    EXPECT_EQ(texture.GetImageWidth(), 1024);
    model->Release();
}

// Each drawn face decoded its picture whole to learn whether it decodes, and a quit waited
// for all of them.
TEST_F(ModelPicturesTest, DecodesAreChargedToTheFrameAndAFrameThatMustStopLeavesTheRestToTheNext)
{
    const Bytes file = TexturedModel(2, []() { return materialtest::MakePicture(64, 32, 0xFF2878C8u); });
    CTarnwickModel* model = new CTarnwickModel;
    modelfiletest::ReadModel(*model, file);
    const std::vector<CMaterial*> materials = FaceMaterials(*model);
    const materialtest::CRecordingTextureGL gl;
    for (CMaterial* material : materials) {
        EXPECT_TRUE(material->IsTextured());
        EXPECT_FALSE(material->GetTexture()->GetImage()->IsDecoded());  // learnt from the header
    }
    {
        const CFrameMeter::CScope frame;
        materials[0]->ApplyToView(nullptr);
        EXPECT_EQ(gl.lastName, 1u);
        // The decode, and the prepared pixels made a texture.
        EXPECT_EQ(frame.GetUsed(), 2 * CFrameMeter::PixelUnits(64 * 32, CFrameMeter::kDecodedPixelsPerUnit));
    }
    {
        const CFrameMeter::CScope spent(0);
        (void)CFrameMeter::Charge(1);
        materials[1]->ApplyToView(nullptr);
        EXPECT_EQ(gl.lastName, 1u);
        EXPECT_FALSE(materials[1]->GetTexture()->GetImage()->IsDecoded());
    }
    {
        const CFrameMeter::CScope next;
        materials[1]->ApplyToView(nullptr);
        EXPECT_EQ(gl.lastName, 2u);
    }
    model->Release();
}
