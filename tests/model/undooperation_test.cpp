#include <gtest/gtest.h>

#include "model/entitycontainer.h"
#include "model/entityset.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "model/undorecord.h"
#include "model/undosuspender.h"
#include "tests/model/undotestsupport.h"

using undotest::CProbeEntity;
using undotest::RecordingListener;
using undotest::TestEnvironment;

namespace {

// A current manager with one open operation, and a listener on it.
class UndoOperationTest : public ::testing::Test
{
protected:
    UndoOperationTest()
    {
        WriteProfileBool("Undo", "Logging", false);
        m_manager = std::make_unique<CUndoManager>(nullptr);
        m_manager->AddDBListener(&m_listener);
        SetCurrentUndoManager(m_manager.get());
        m_operation = m_manager->Start(40);
    }

    TestEnvironment m_environment;
    RecordingListener m_listener;
    std::unique_ptr<CUndoManager> m_manager;
    CUndoOperation* m_operation = nullptr;
};

class CProbeContainer : public IEntityContainer
{
public:
    [[nodiscard]] int GetCount() const override { return 0; }
    [[nodiscard]] bool IsEmpty() const override { return true; }
    [[nodiscard]] bool Contains(const CEntity* /*entity*/) const override { return false; }
    void Add(CEntity* /*entity*/) override {}
    bool Remove(CEntity* /*entity*/) override { return false; }
    void RemoveAll() override {}
    [[nodiscard]] CEntity* GetAt(int /*index*/) const override { return nullptr; }
    [[nodiscard]] IEntityIterator* NewIterator() override { return nullptr; }
};

}  // namespace

TEST_F(UndoOperationTest, AnEntityCreatedAndErasedInOneOperationLeavesItEmptyAndIsDeleted)
{
    int deleted = 0;
    auto* entity = new CProbeEntity(&deleted);
    const int id = entity->GetId();
    EXPECT_EQ(m_operation->GetCreatedEntities().size(), 1u);
    EXPECT_EQ(m_listener.created, std::vector<CEntity*>{entity});
    m_operation->RecordChange(entity, true);
    entity->Erase();

    EXPECT_EQ(deleted, 1);
    EXPECT_TRUE(m_operation->IsEmpty());
    EXPECT_EQ(m_listener.Count("erased " + std::to_string(id)), 1);
    EXPECT_EQ(m_manager->Commit(), 0);
    EXPECT_EQ(m_listener.Count("committed 4 40"), 1);
}

TEST_F(UndoOperationTest, AnErasedEarlierEntityBelongsToTheOperationWithItsIdNegated)
{
    int deleted = 0;
    CProbeEntity* entity = nullptr;
    {
        const CUndoSuspender suspender;
        entity = new CProbeEntity(&deleted);
    }
    const int id = entity->GetId();
    entity->Erase();
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(entity->GetId(), -id);
    ASSERT_EQ(m_operation->GetErasedEntities().size(), 1u);
    EXPECT_FALSE(m_operation->IsEmpty());

    m_manager->Commit();
    m_manager->Reset();
    EXPECT_EQ(deleted, 1);
}

TEST_F(UndoOperationTest, HandingTheSameEntityOverTwiceKeepsItOnce)
{
    CProbeEntity* entity = nullptr;
    {
        const CUndoSuspender suspender;
        entity = new CProbeEntity;
    }
    m_operation->AddErased(entity);
    m_operation->AddErased(entity);
    EXPECT_EQ(m_operation->GetErasedEntities().size(), 1u);
    EXPECT_LT(entity->GetId(), 0);
}

TEST_F(UndoOperationTest, AnAddAndARemoveOfTheSamePairCancelInEitherOrder)
{
    CProbeEntity first;
    CProbeEntity second;
    CProbeContainer container;
    CProbeContainer other;

    m_operation->RecordAdd(&first, &container);
    m_operation->RecordRemove(&first, &container);
    EXPECT_TRUE(m_operation->GetAddedPairs().empty());
    EXPECT_TRUE(m_operation->GetRemovedPairs().empty());

    m_operation->RecordRemove(&second, &container);
    m_operation->RecordAdd(&second, &other);  // another container: no match
    m_operation->RecordAdd(&second, &container);
    EXPECT_TRUE(m_operation->GetRemovedPairs().empty());
    ASSERT_EQ(m_operation->GetAddedPairs().size(), 1u);
    EXPECT_EQ(m_operation->GetAddedPairs()[0].second, static_cast<IEntityContainer*>(&other));
    EXPECT_EQ(m_listener.Count("added " + std::to_string(second.GetId())), 2);
    EXPECT_EQ(m_listener.Count("removed " + std::to_string(second.GetId())), 1);
}

TEST_F(UndoOperationTest, ErasingACreatedEntityDropsThePairsThatNameIt)
{
    CProbeContainer container;
    auto* entity = new CProbeEntity;
    m_operation->RecordAdd(entity, &container);
    m_operation->RecordRemove(entity, &container);
    m_operation->RecordRemove(entity, &container);
    entity->Erase();
    EXPECT_TRUE(m_operation->GetAddedPairs().empty());
    EXPECT_TRUE(m_operation->GetRemovedPairs().empty());
    EXPECT_TRUE(m_operation->IsEmpty());
}

TEST_F(UndoOperationTest, TheStateOfAChangedEntityIsSavedOnceAndOnlyWhenAskedFor)
{
    CProbeEntity entity;
    m_operation->RecordChange(&entity, false);
    CUndoRecord* record = m_operation->FindRecord(&entity);
    ASSERT_NE(record, nullptr);
    EXPECT_FALSE(record->HasSavedCopy());

    m_operation->RecordChange(&entity, true);
    m_operation->RecordChange(&entity, true);
    EXPECT_TRUE(record->HasSavedCopy());
    EXPECT_EQ(entity.CloneCount(), 1);
    EXPECT_EQ(m_operation->FindRecord(&entity), record);
    EXPECT_EQ(m_operation->GetChangedEntities().size(), 1u);
}

TEST(UndoRecordTest, ARecordMadeWithoutSavingCopiesOnlyOnFirstRequest)
{
    CProbeEntity entity;
    CUndoRecord record(&entity, false);
    EXPECT_EQ(entity.CloneCount(), 0);
    CEntity* copy = record.GetSavedCopy();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(record.GetSavedCopy(), copy);
    EXPECT_EQ(entity.CloneCount(), 1);
    EXPECT_EQ(copy->GetId(), 0);
}

TEST(UndoRecordTest, AnEntityWithoutCloneIsAskedForItsCopyOnlyOnce)
{
    CEntity entity;
    CUndoRecord record(&entity, true);
    EXPECT_EQ(record.GetSavedCopy(), nullptr);
    EXPECT_FALSE(record.HasSavedCopy());
}
