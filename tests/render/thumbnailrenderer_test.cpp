#include "render/thumbnailrenderer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "document/classregistration.h"
#include "document/componentdefinition.h"
#include "document/definitionlist.h"
#include "document/definitionthumbnails.h"
#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "document/tarnwickmodel.h"
#include "document/thumbnail.h"
#include "foundation/framemeter.h"
#include "foundation/versioninfo.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/memfile.h"
#include "document/renderingoptions.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/housemodel.h"
#include "samplegen/modelfiles.h"
#include "tests/render/glcontextfixture.h"

namespace {

// The picture as a model file keeps it: encoded, then decoded again.
std::vector<std::uint32_t> DecodedPixels(CDib& picture)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        picture.Serialize(ar);
        ar.Close();
    }
    std::vector<BYTE> bytes = file.Detach();
    CMemFile readFile(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&readFile, CArchive::load);
    CDib decoded;
    decoded.Serialize(ar);
    if (!decoded.HasImage() || decoded.GetBitsPerPixel() != 32) {
        return {};
    }
    std::uint8_t* block = decoded.GetResizedPixels(0, 0);
    const auto count = static_cast<std::size_t>(decoded.GetWidth()) * decoded.GetHeight();
    std::vector<std::uint32_t> pixels(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Colour only: the alpha byte says nothing about what was drawn.
        pixels[i] = static_cast<std::uint32_t>(block[4 * i]) | static_cast<std::uint32_t>(block[4 * i + 1]) << 8 |
                    static_cast<std::uint32_t>(block[4 * i + 2]) << 16;
    }
    GetImageLibApp()->FreeBuffer(block);
    return pixels;
}

std::vector<CComponentDefinition*> Definitions(const CTarnwickModel& model)
{
    std::vector<CComponentDefinition*> definitions;
    const CDefinitionList* list = model.GetDefinitionList();
    for (int i = 0; list != nullptr && i < list->GetCount(); ++i) {
        definitions.push_back(list->GetDefinition(i));
    }
    return definitions;
}

CDib* Picture(const CComponentDefinition* definition)
{
    const auto* thumbnail = dynamic_cast<const CThumbnail*>(definition->GetThumbnail());
    return thumbnail != nullptr ? thumbnail->GetImage() : nullptr;
}

class ThumbnailRendererTest : public GLContextTest
{
protected:
    void SetUp() override
    {
        GLContextTest::SetUp();
        RegisterModelClasses();
        {
            CTarnwickModel* house = new CTarnwickModel();
            const CurrentModelScope scope(house);
            BuildHouseModel(*house);
            m_bytes = WriteModelBytes(*house, kSaveFormat3000);
            house->Release();
        }
        m_model = new CTarnwickModel();
    }
    void TearDown() override
    {
        SetDefinitionThumbnailRenderer(nullptr);
        m_model->Release();
        GLContextTest::TearDown();
    }

    // The file read, then its definitions left as a file without thumbnails leaves them.
    void ReadAsWithoutThumbnails()
    {
        ReadModelBytes(m_bytes, *m_model);
        ASSERT_EQ(m_model->GetLoadStatus(), CTarnwickModel::kLoadOk);
        const CUndoSuspender suspender;
        for (CComponentDefinition* definition : Definitions(*m_model)) {
            dynamic_cast<CThumbnail&>(*definition->GetThumbnail()).SetImage(nullptr);
            definition->SetThumbnailWaiting(true);
        }
    }

    ModelBytes m_bytes;
    CTarnwickModel* m_model = nullptr;
};

}  // namespace

TEST_F(ThumbnailRendererTest, AWaitingDefinitionGetsAPictureOfItsOwnGeometryAndTheCallersContextStaysCurrent)
{
    CThumbnailRenderer::Install();
    // The file's own thumbnails are kept: nothing is rendered for them.
    ReadModelBytes(m_bytes, *m_model);
    ASSERT_FALSE(Definitions(*m_model).empty());
    for (const CComponentDefinition* definition : Definitions(*m_model)) {
        EXPECT_FALSE(definition->IsThumbnailWaiting());
        EXPECT_EQ(Picture(definition), nullptr);
    }

    ReadAsWithoutThumbnails();
    RenderWaitingThumbnails(*m_model, m_model->GetRootComponent());
    EXPECT_EQ(wglGetCurrentContext(), m_context);
    EXPECT_EQ(wglGetCurrentDC(), m_device.get());
    std::set<std::vector<std::uint32_t>> pictures;
    for (const CComponentDefinition* definition : Definitions(*m_model)) {
        SCOPED_TRACE(definition->GetName().ToUtf8());
        EXPECT_FALSE(definition->IsThumbnailWaiting());
        CDib* picture = Picture(definition);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->GetWidth(), CThumbnailRenderer::kSide);
        EXPECT_EQ(picture->GetHeight(), CThumbnailRenderer::kSide);
        const std::vector<std::uint32_t> pixels = DecodedPixels(*picture);
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(CThumbnailRenderer::kSide * CThumbnailRenderer::kSide));
        EXPECT_GT(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size(), 1u) << "one colour only";
        pictures.insert(pixels);
    }
    // Each shows its own geometry, not the model around it.
    EXPECT_EQ(pictures.size(), Definitions(*m_model).size());
}

TEST_F(ThumbnailRendererTest, APictureStoppedPartWayIsNotKeptNorSavedAndAWholeOneIs)
{
    CThumbnailRenderer::Install();
    ReadAsWithoutThumbnails();
    const std::vector<CComponentDefinition*> definitions = Definitions(*m_model);
    ASSERT_FALSE(definitions.empty());
    {
        // A budget each picture spends before it is whole: the save writes no part of one.
        const CFrameMeter::CScope spent(1, true);
        (void)WriteModelBytes(*m_model, kSaveFormat5000);
    }
    for (CComponentDefinition* definition : definitions) {
        EXPECT_EQ(Picture(definition), nullptr) << definition->GetName().ToUtf8();
        {
            const CFrameMeter::CScope spent(1, true);
            EXPECT_FALSE(RenderDefinitionThumbnail(*m_model, *definition));
        }
        EXPECT_TRUE(RenderDefinitionThumbnail(*m_model, *definition));
        EXPECT_NE(Picture(definition), nullptr) << definition->GetName().ToUtf8();
    }
}

TEST_F(ThumbnailRendererTest, ADefinitionNoInstancePlacesIsPicturedWhereItsGeometryLies)
{
    const CurrentModelScope scope(m_model);
    const CUndoSuspender suspender;
    m_model->GetRenderingOptions()->SetDisplaySky(false);
    m_model->GetRenderingOptions()->SetDisplayGround(false);
    auto* definition = new CComponentDefinition;
    m_model->GetDefinitionList()->Add(definition);
    const CGeometryBuilder builder(*definition);
    (void)builder.Face({builder.Vertex(CPoint3d(40, 40, 20)), builder.Vertex(CPoint3d(50, 40, 20)),
                        builder.Vertex(CPoint3d(50, 50, 20)), builder.Vertex(CPoint3d(40, 50, 20))},
                       CVector3d(0, 0, 1));
    CCamera camera;
    camera.SetView(CPoint3d(0, 0, 10), CPoint3d(0, 0, 0), CVector3d(0, 1, 0), 0.0, 0.0, false, 35.0, 10.0);

    CDib* picture = CThumbnailRenderer::Render(*m_model, *definition, camera);
    ASSERT_NE(picture, nullptr);
    const std::vector<std::uint32_t> pixels = DecodedPixels(*picture);
    delete picture;
    EXPECT_GT(std::set<std::uint32_t>(pixels.begin(), pixels.end()).size(), 1u) << "the square is cut away";
}
