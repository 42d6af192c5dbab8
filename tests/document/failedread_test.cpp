// A read that fails leaves nothing that the model keeps outside its lists pointing at what
// the read freed. Run under the address checker: a model that read a cut file is let go,
// or read again, and touches no freed memory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "annotations/dimensionstyle.h"
#include "annotations/textstyle.h"
#include "document/componentbehavior.h"
#include "document/fontmanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "document/pagelist.h"
#include "document/viewpage.h"
#include "model/attribute.h"
#include "model/attributecontainer.h"
#include "model/attributenamed.h"
#include "platform/exceptions.h"
#include "samplegen/housemodel.h"
#include "tests/document/modelfiletestsupport.h"

using modelfiletest::Bytes;
using modelfiletest::OwnedModel;

namespace {

class FailedReadTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }
    void TearDown() override { EXPECT_EQ(GetLoadedVersionMap(), nullptr); }

    entitytest::QuietSettings m_settings;
    CurrentModelScope m_scope{nullptr};
};

std::vector<CEntity*> MembersReadInPlace(CTarnwickModel& model)
{
    return {model.GetDrawingAxes(),     model.GetRootComponent(),     model.GetLayerManager(),
            model.GetMaterialManager(), model.GetDefinitionList(),    model.GetRenderingOptions(),
            model.GetShadowInfo(),      model.GetComponentBehavior(), model.GetTextStyle(),
            model.GetDimensionStyle(),  model.GetFontManager(),       model.GetPageList()};
}

// What a page keeps of its own and frees with itself.
std::vector<CEntity*> PageSettings(const CTarnwickModel& model)
{
    std::vector<CEntity*> settings;
    for (int i = 0; i < model.GetPageList()->GetCount(); ++i) {
        if (auto* page = dynamic_cast<CViewPage*>(model.GetPageList()->GetPage(i))) {
            settings.insert(settings.end(), {page->GetAxes(), page->GetRenderingOptions(), page->GetShadowInfo()});
        }
    }
    return settings;
}

// The sample model, with the references a file can give the model's own members: the
// drawing axes a material and a layer, the root component both, and every member read in
// place an attribute container of its own, each read as an object of the file.
void BuildHolderModel(CTarnwickModel& model)
{
    modelfiletest::BuildSampleModel(model);
    const CurrentModelScope scope(&model);
    const CUndoSuspender suspender;
    CMaterial* blue = model.GetMaterialManager()->FindOrCreateColorMaterial(CColor(20, 30, 200, 255));
    CLayer* layer = model.GetLayerManager()->AddLayer(CString("Held"));
    model.GetDrawingAxes()->CDrawingElement::SetMaterial(blue);
    model.GetDrawingAxes()->CDrawingElement::SetLayer(layer);
    model.GetRootComponent()->SetMaterial(blue);
    model.GetRootComponent()->SetLayer(layer);
    (void)model.GetTextStyle()->GetFont();
    (void)model.GetDimensionStyle()->GetFont();
    for (CEntity* member : MembersReadInPlace(model)) {
        member->GetOrCreateAttributeContainer(new CAttributeNamed);
    }
    for (CEntity* setting : PageSettings(model)) {
        setting->GetOrCreateAttributeContainer(new CAttributeNamed);
    }
}

Bytes HolderFile()
{
    OwnedModel built;
    BuildHolderModel(*built);
    return modelfiletest::WriteModel(*built, kSaveFormat5000);
}

Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Written at another second, the same model differs in its time stamp only.
Bytes Saved(CTarnwickModel& model)
{
    return modelfiletest::WithoutStamp(modelfiletest::WriteModel(model, kSaveFormat5000), kSaveFormat5000);
}

bool ReadFails(CTarnwickModel& model, const Bytes& bytes)
{
    try {
        modelfiletest::ReadModel(model, bytes);
    } catch (const CException&) {
        return true;
    }
    return false;
}

}  // namespace

// Each cut is read by a model of its own, which then goes, as a document's model goes
// when the program ends or opens another file.
TEST_F(FailedReadTest, AModelThatReadAFileCutAfterAnyRecordGoesWithoutTouchingWhatTheReadFreed)
{
    OwnedModel built;
    BuildHolderModel(*built);
    for (const int format : {kSaveFormat5000, kSaveFormat4000}) {
        SCOPED_TRACE(format);
        const Bytes file = modelfiletest::WriteModel(*built, format);
        const std::size_t step = file.size() / 700 + 1;
        for (std::size_t size = 20; size < file.size(); size += step) {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
            OwnedModel model;
            EXPECT_TRUE(ReadFails(*model, cut)) << size;
            EXPECT_EQ(model->GetDrawingAxes()->GetMaterial(), nullptr) << size;
            EXPECT_EQ(model->GetRootComponent()->GetMaterial(), nullptr) << size;
        }
    }
}

// The members outlive the file; the attributes it gave them must not: an emptied model
// would keep them and the next read drop them unfreed. The pages go, and take theirs.
TEST_F(FailedReadTest, AModelEmptiedForTheNextFileKeepsNoAttributesOfTheFileBefore)
{
    const Bytes whole = HolderFile();
    OwnedModel model;
    modelfiletest::ReadModel(*model, whole);
    ASSERT_NE(model->GetDrawingAxes()->GetAttributeContainer(), nullptr);
    // The pages go with the file, and their settings let go of their attributes.
    ASSERT_FALSE(PageSettings(*model).empty());
    CAttribute* const pageAttribute = PageSettings(*model).front()->GetAttributeContainer()->GetAt(0);
    pageAttribute->AddRef();
    model->Clear();
    EXPECT_EQ(pageAttribute->GetRefCount(), 1);
    pageAttribute->Release();
    for (CEntity* member : MembersReadInPlace(*model)) {
        EXPECT_EQ(member->GetAttributeContainer(), nullptr) << member->GetRuntimeClass()->m_lpszClassName;
    }
    modelfiletest::ReadModel(*model, whole);
    // A copy of a page (an undo step's) frees its own attributes, not the page's.
    delete model->GetPageList()->GetPage(0)->Clone();
    OwnedModel alone;
    modelfiletest::ReadModel(*alone, whole);
    EXPECT_EQ(modelfiletest::FirstDifference(Saved(*model), Saved(*alone)), -1);
}

// Files the fuzzers found, read and let go the same way, and read again whole after.
TEST_F(FailedReadTest, TheFuzzersFindingsAreReadAndLetGoWithoutTouchingFreedMemory)
{
    const Bytes whole = HolderFile();
    const std::filesystem::path corpus = std::filesystem::path(GLIMRA_SOURCE_DIR) / "fuzz" / "corpus" / "model_file";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes bytes = ReadFile(entry.path());
        {
            OwnedModel model;
            (void)ReadFails(*model, bytes);
        }
        OwnedModel model;
        (void)ReadFails(*model, bytes);
        EXPECT_FALSE(ReadFails(*model, whole));
        ++files;
    }
    EXPECT_GT(files, 0);
}

// A read that failed leaves nothing behind for the next: the house read after each kept
// finding, by a model of its own and by the model that failed (emptied, as a document
// empties its model before the next file), holds what it holds when read first.
TEST_F(FailedReadTest, AFileReadAfterAFailedOneReadsAsItWouldAlone)
{
    OwnedModel house;
    BuildHouseModel(*house);
    const Bytes whole = modelfiletest::WriteModel(*house, kSaveFormat5000);
    OwnedModel alone;
    modelfiletest::ReadModel(*alone, whole);
    const Bytes expected = Saved(*alone);
    const std::filesystem::path corpus = std::filesystem::path(GLIMRA_SOURCE_DIR) / "fuzz" / "corpus" / "model_file";
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        SCOPED_TRACE(entry.path().filename().string());
        OwnedModel failed;
        modelfiletest::ReadModel(*failed, whole);
        failed->Clear();
        (void)ReadFails(*failed, ReadFile(entry.path()));
        OwnedModel after;
        modelfiletest::ReadModel(*after, whole);
        failed->Clear();
        modelfiletest::ReadModel(*failed, whole);
        for (CTarnwickModel* model : {&after.Get(), &failed.Get()}) {
            EXPECT_EQ(model->GetRootComponent()->GetCount(), alone->GetRootComponent()->GetCount());
            EXPECT_EQ(modelfiletest::FirstDifference(Saved(*model), expected), -1);
        }
    }
}
