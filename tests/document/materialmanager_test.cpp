#include <gtest/gtest.h>

#include <memory>

#include "document/material.h"
#include "document/materialmanager.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "tests/document/documenttestsupport.h"

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



TEST_F(MaterialManagerTest, ACurrentMaterialOutsideTheListIsDroppedAndLeavesNoCurrent)
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
    EXPECT_EQ(read->GetCount(), 1);
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
