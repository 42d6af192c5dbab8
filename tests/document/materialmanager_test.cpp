#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "document/material.h"
#include "document/materialmanager.h"
#include "document/materialtalker.h"
#include "document/imageadapter/imagefiletypes.h"
#include "document/texture.h"
#include "foundation/notificationcenter.h"
#include "tests/document/materialtestsupport.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "tests/document/documenttestsupport.h"
#include "tests/document/imagetestsupport.h"

using documenttest::Bytes;
using documenttest::Dispose;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

class MaterialManagerTest : public ::testing::Test
{
protected:
    MaterialManagerTest()
    {
        WriteProfileBool("Undo", "Logging", false);
        m_undo = std::make_unique<CUndoManager>(nullptr);
        SetCurrentUndoManager(m_undo.get());
        m_manager = new CMaterialManager;
    }
    ~MaterialManagerTest() override
    {
        Dispose(m_manager);
        m_undo.reset();
    }

    CMaterial* AddNamed(const CString& name, bool hidden = false)
    {
        const CUndoSuspender suspender;
        auto* material = new CMaterial;
        material->SetName(name);
        material->SetHidden(hidden);
        m_manager->AddMaterial(material);
        return material;
    }

    TestEnvironment m_environment;
    std::unique_ptr<CUndoManager> m_undo;
    CMaterialManager* m_manager = nullptr;
};

}  // namespace

TEST_F(MaterialManagerTest, AUniqueNameTakesTheFirstFreeNumberAfterTheStem)
{
    AddNamed("Brick1");
    EXPECT_EQ(m_manager->MakeUniqueName("Brick12"), CString("Brick2"));
    EXPECT_EQ(m_manager->MakeUniqueName("brick"), CString("brick2"));
    EXPECT_EQ(m_manager->GenerateUniqueName(), CString("*1"));
    EXPECT_EQ(m_manager->FindByName("BRICK1"), m_manager->GetAt(0));
    EXPECT_EQ(m_manager->FindByName(""), nullptr);
}

TEST_F(MaterialManagerTest, ColourMaterialsAreMadeOncePerColourAndNamedInOrder)
{
    CUndoOperation* operation = m_undo->Start(1);
    const CColor red(255, 0, 0);
    CMaterial* first = m_manager->FindOrCreateColorMaterial(red);
    EXPECT_EQ(m_manager->FindOrCreateColorMaterial(red), first);
    EXPECT_EQ(m_manager->FindOrCreateColorMaterial(red), first);
    CMaterial* second = m_manager->FindOrCreateColorMaterial(CColor(0, 0, 255));
    m_undo->Commit();

    EXPECT_EQ(m_manager->GetCount(), 2);
    EXPECT_EQ(first->GetName(), CString("*1"));
    EXPECT_EQ(second->GetName(), CString("*2"));
    EXPECT_EQ(first->GetColor(), red);
    EXPECT_EQ(first->GetParent(), m_manager);
    EXPECT_EQ(operation->GetAddedPairs().size(), 2u);
}

TEST_F(MaterialManagerTest, TheOrdinaryIteratorSkipsHiddenMaterials)
{
    CMaterial* shown = AddNamed("Shown");
    AddNamed("Internal", true);
    EXPECT_EQ(m_manager->GetAt(2), nullptr);

    std::unique_ptr<IEntityIterator> ordinary(m_manager->NewIterator());
    CEntity* entity = nullptr;
    ASSERT_TRUE(ordinary->Next(entity));
    EXPECT_EQ(entity, shown);
    EXPECT_FALSE(ordinary->Next(entity));
    EXPECT_EQ(entity, nullptr);

    std::unique_ptr<IEntityIterator> all(m_manager->CreateIterator());
    int count = 0;
    while (all->Next(entity)) {
        ++count;
    }
    EXPECT_EQ(count, 2);
}

TEST_F(MaterialManagerTest, PurgingRemovesHiddenUnusedMaterialsOnly)
{
    CMaterial* used = AddNamed("Used", true);
    {
        const CUndoSuspender suspender;
        used->AddUse(false);
    }
    AddNamed("Unused", true);
    CMaterial* shown = AddNamed("Shown");
    CUndoOperation* operation = m_undo->Start(2);
    m_manager->PurgeUnused();
    EXPECT_EQ(m_manager->GetCount(), 2);
    EXPECT_TRUE(m_manager->Contains(used));
    EXPECT_TRUE(m_manager->Contains(shown));
    EXPECT_EQ(operation->GetRemovedPairs().size(), 1u);
    EXPECT_EQ(operation->GetErasedEntities().size(), 1u);
    m_undo->Commit();
}



// Faces read before or after may name it: it is listed, and nothing is current.
TEST_F(MaterialManagerTest, ACurrentMaterialOutsideTheListIsListedAndLeavesNoCurrent)
{
    const CUndoSuspender suspender;
    CMaterial listed;
    CMaterial stray;
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);  // the entity part: no attributes
        ar << std::int32_t{1};
        ar.WriteObject(&listed);
        ar.WriteObject(&stray);
    });
    auto* read = new CMaterialManager;
    Load(bytes, [&](CArchive& ar) { read->Serialize(ar); });
    EXPECT_EQ(read->GetCount(), 2);
    EXPECT_EQ(read->GetCurrentMaterial(), nullptr);
    Dispose(read);
}

TEST_F(MaterialManagerTest, ANegativeMaterialCountIsRefused)
{
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);
        ar << std::int32_t{-3};
    });
    auto* read = new CMaterialManager;
    EXPECT_THROW(Load(bytes, [&](CArchive& ar) { read->Serialize(ar); }), CArchiveException);
    Dispose(read);
}

namespace {

// A listener that writes down the events it hears, by name.
class CEventLog : public IMaterialListener
{
public:
    CEventLog() { GetMaterialTalker()->AddListener(this); }
    ~CEventLog() override { GetMaterialTalker()->RemoveListener(this); }
    CEventLog(const CEventLog&) = delete;
    CEventLog& operator=(const CEventLog&) = delete;

    void OnMaterialAdded(CMaterial* /*material*/) override { events.emplace_back("added"); }
    void OnMaterialRemoved(CMaterial* /*material*/) override { events.emplace_back("removed"); }
    void OnMaterialUseCountChanged(CMaterial* /*material*/) override { events.emplace_back("uses"); }
    void OnCurrentMaterialChanged(CMaterial* material) override
    {
        events.emplace_back(material == nullptr ? "no current" : "current");
    }

    std::vector<std::string> events;
};

// A textured material of its own picture, read from the file name given.
CMaterial* MakeTextured(const CString& fileName)
{
    const CUndoSuspender suspender;
    auto* material = new CMaterial;
    auto* texture = new CTexture;
    texture->SetImage(materialtest::MakePicture(1, 1));
    texture->SetFileName(fileName);
    material->SetTexture(texture);
    material->SetKind(kMaterialTexture);
    return material;
}

}  // namespace

TEST_F(MaterialManagerTest, MaterialsAreFoundByColourAndTextureFileAndSize)
{
    const CUndoSuspender suspender;
    CMaterial* plain = AddNamed("Plain");
    plain->SetColor(CColor(5, 5, 5));
    CMaterial* textured = MakeTextured("Wall.PNG");
    textured->SetColor(CColor(5, 5, 5));
    textured->GetTexture()->SetWidth(10.0);
    textured->GetTexture()->SetHeight(20.0);
    m_manager->AddMaterial(textured);
    EXPECT_EQ(m_manager->FindMaterial(CColor(5, 5, 5), "", 0.0, 0.0, false), plain);
    EXPECT_EQ(m_manager->FindMaterial(CColor(5, 5, 5), "wall.png", 10.0005, 20.0, false), textured);
    EXPECT_EQ(m_manager->FindMaterial(CColor(5, 5, 5), "wall.png", 10.002, 20.0, false), nullptr);
    EXPECT_EQ(m_manager->FindMaterial(CColor(5, 5, 5), "wall.png", 10.0, 20.0, true), nullptr);
}

TEST_F(MaterialManagerTest, TexturesOfOneFileShareOnePictureAfterReading)
{
    const CUndoSuspender suspender;
    auto* written = new CMaterialManager;
    written->AddMaterial(MakeTextured("Stone.jpg"));
    written->AddMaterial(MakeTextured("STONE.JPG"));
    written->AddMaterial(MakeTextured("other.jpg"));
    const Bytes bytes = Store([&](CArchive& ar) { written->Serialize(ar); });
    Dispose(written);

    auto* read = new CMaterialManager;
    Load(bytes, [&](CArchive& ar) { read->Serialize(ar); });
    ASSERT_EQ(read->GetCount(), 3);
    const auto picture = [&](int index) {
        return static_cast<CMaterial*>(read->GetAt(index))->GetTextureImage();
    };
    EXPECT_EQ(picture(0), picture(1));
    EXPECT_EQ(picture(0)->GetUseCount(), 2);
    EXPECT_NE(picture(0), picture(2));
    Dispose(read);
}

// A copy whose header read but whose data was damaged once replaced the intact picture
// of another material naming the same file, and a save wrote the damaged bytes for both.
TEST_F(MaterialManagerTest, APictureSharedByFileNameIsOneKnownToDecode)
{
    const CUndoSuspender suspender;
    const imagetest::Bytes intact = imagetest::PngBytes(*imagetest::MakeFilledBitmap(8, 8, 0xFF204060, false));
    imagetest::Bytes damaged = intact;
    const std::string tag = "IDAT";
    const auto at = std::search(damaged.begin(), damaged.end(), tag.begin(), tag.end());
    ASSERT_NE(at, damaged.end());
    at[4] = 0x00;  // the compressed stream's method
    const auto textured = [](const imagetest::Bytes& bytes, const char* name) {
        CMaterial* material = MakeTextured(name);
        CDib* picture = material->GetTexture()->GetImage();
        std::uint8_t* kept = GetImageLibApp()->AllocBuffer(bytes.size());
        std::copy(bytes.begin(), bytes.end(), kept);
        picture->Create(nullptr, kImageTypePng, 0, 0, false);
        picture->SetPixelBuffer(kept, static_cast<int>(bytes.size()));
        picture->DeferDecoding();
        // A material whose colour is its picture's average, as saved ones are, is read
        // without decoding the picture.
        material->GetTexture()->SetAverageColor(CColor(96, 64, 32));
        material->SetColor(CColor(96, 64, 32));
        return material;
    };
    const auto bytesOf = [](const CDib* picture) {
        return imagetest::Bytes(picture->GetPixelBuffer(), picture->GetPixelBuffer() + picture->GetPixelBufferSize());
    };
    for (const bool damagedFirst : {true, false}) {
        SCOPED_TRACE(damagedFirst ? "damaged copy first" : "intact copy first");
        auto* written = new CMaterialManager;
        written->AddMaterial(textured(damagedFirst ? damaged : intact, "Stone.png"));
        written->AddMaterial(textured(damagedFirst ? intact : damaged, "STONE.PNG"));
        const Bytes bytes = Store([&](CArchive& ar) { written->Serialize(ar); });
        Dispose(written);

        auto* read = new CMaterialManager;
        Load(bytes, [&](CArchive& ar) { read->Serialize(ar); });
        const auto picture = [&](int index) {
            return static_cast<CMaterial*>(read->GetAt(index))->GetTextureImage();
        };
        // Whatever the order, the material of the intact copy still holds it, which the
        // next save writes; the intact copy may go to the other.
        EXPECT_EQ(bytesOf(picture(damagedFirst ? 1 : 0)), intact);
        EXPECT_EQ(bytesOf(picture(damagedFirst ? 0 : 1)), damagedFirst ? damaged : intact);
        Dispose(read);
    }
}

TEST_F(MaterialManagerTest, AMaterialThatAnotherManagerHoldsIsRefused)
{
    const CUndoSuspender suspender;
    CMaterial shared;
    const Bytes bytes = Store([&](CArchive& ar) {
        for (int i = 0; i < 2; ++i) {
            ar.WriteObject(nullptr);
            ar << std::int32_t{1};
            ar.WriteObject(&shared);
            ar.WriteObject(nullptr);
        }
    });
    auto* first = new CMaterialManager;
    auto* second = new CMaterialManager;
    Load(bytes, [&](CArchive& ar) {
        first->Serialize(ar);
        try {
            second->Serialize(ar);
            ADD_FAILURE() << "a material with two managers was accepted";
        } catch (const CArchiveException& error) {
            EXPECT_EQ(error.m_cause, CArchiveException::badIndex);
        }
    });
    EXPECT_EQ(second->GetCount(), 0);
    Dispose(first);
    Dispose(second);
}

TEST_F(MaterialManagerTest, TheTransparencySettingReleasesTheUploadedTextures)
{
    materialtest::CRecordingTextureGL gl;
    CMaterial* textured = MakeTextured("glass.png");
    m_manager->AddMaterial(textured);
    textured->GetTexture()->Bind();
    ASSERT_EQ(textured->GetTexture()->GetGLName(), 1u);
    struct
    {
        std::int32_t id;
        void* options;
    } change{0, nullptr};
    GetNotificationCenter().Post(kRenderingOptionsChangeNotification, &change);
    EXPECT_TRUE(gl.deleted.empty()) << "other settings keep the textures";
    change.id = 2;
    GetNotificationCenter().Post(kRenderingOptionsChangeNotification, &change);
    EXPECT_EQ(gl.deleted, std::vector<unsigned>{1u});
    EXPECT_EQ(textured->GetTexture()->GetGLName(), 0u);
}

TEST_F(MaterialManagerTest, TheTalkerHearsAdditionsRemovalsAndUses)
{
    const CUndoSuspender suspender;
    CEventLog log;
    auto* material = new CMaterial;
    m_manager->Add(material);
    m_manager->Add(material);
    material->AddUse(true);
    material->AddUse(false);
    m_manager->Remove(material);
    EXPECT_EQ(log.events, (std::vector<std::string>{"added", "uses", "removed"}));
    Dispose(material);
}

TEST_F(MaterialManagerTest, EveryRecordVersionReadsTheMaterialsAndTheCurrentOneItHolds)
{
    const CUndoSuspender suspender;
    CMaterial listed;
    listed.SetName("Listed");
    CMaterial extra;
    for (int version = 0; version <= 4; ++version) {
        SCOPED_TRACE(version);
        const Bytes bytes = Store([&](CArchive& ar) {
            if (version > 0) {
                ar.WriteObject(nullptr);
            }
            ar << std::int32_t{1};
            ar.WriteObject(&listed);
            if (version > 1) {
                ar.WriteObject(&listed);
            }
            if (version == 3) {
                ar.WriteObject(&extra);
            }
            ar << std::int32_t{0x5EED};
        });
        auto* read = new CMaterialManager;
        std::int32_t sentinel = 0;
        {
            const documenttest::FileVersions versions(
                {{"CEntity", 3}, {"CMaterial", 12}, {"CMaterialManager", version}});
            Load(bytes, [&](CArchive& ar) {
                read->Serialize(ar);
                ar >> sentinel;
            });
        }
        EXPECT_EQ(sentinel, 0x5EED);
        ASSERT_EQ(read->GetCount(), 1);
        EXPECT_EQ(static_cast<CMaterial*>(read->GetAt(0))->GetName(), CString("Listed"));
        EXPECT_EQ(read->GetCurrentMaterial(), version > 1 ? read->GetAt(0) : nullptr);
        Dispose(read);
    }
}

TEST_F(MaterialManagerTest, EveryCutOfATexturedRecordFailsCleanlyAndLeavesNothingBehind)
{
    const CUndoSuspender suspender;
    auto* written = new CMaterialManager;
    written->AddMaterial(MakeTextured("a.png"));
    written->AddMaterial(MakeTextured("A.PNG"));
    CMaterial* stray = MakeTextured("stray.png");
    const Bytes bytes = Store([&](CArchive& ar) {
        ar.WriteObject(nullptr);
        ar << std::int32_t{2};
        ar.WriteObject(written->GetAt(0));
        ar.WriteObject(written->GetAt(1));
        ar.WriteObject(stray);
    });
    Dispose(written);
    Dispose(stray);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        const Bytes shortened(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
        auto* read = new CMaterialManager;
        Load(shortened, [&](CArchive& ar) {
            EXPECT_THROW(read->Serialize(ar), CArchiveException) << cut;
            // As the model-record fuzz target does: every object the archive made, once.
            for (UINT i = 1; i <= ar.GetMapCount(); ++i) {
                delete ar.GetLoadedObject(i);
            }
        });
        delete read;
    }
}
