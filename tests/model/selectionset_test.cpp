#include "model/selectionset.h"

#include <gtest/gtest.h>

#include "model/drawingelement.h"
#include "model/selectionobserver.h"

namespace {

struct Call
{
    CSelectionSet* selection;
    int code;
    CEntity* entity;
};

class CRecordingObserver : public ISelectionObserver
{
public:
    void OnSelectionChanged(CSelectionSet* selection, int code, CEntity* entity) override
    {
        m_calls.push_back({selection, code, entity});
        if (m_removeOnCall != nullptr) {
            selection->RemoveObserver(m_removeOnCall);
        }
    }

    std::vector<Call> m_calls;
    ISelectionObserver* m_removeOnCall = nullptr;
};

class SelectionSetTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_selection.AddObserver(&m_observer);
        m_selection.EnableNotifications(false);
    }

    // Adds as the selecting code does: member and selected bit.
    void Select(CDrawingElement& element)
    {
        m_selection.Add(&element);
        element.SetFlagBits(CDrawingElement::kFlagSelected, true);
    }

    CSelectionSet m_selection;
    CRecordingObserver m_observer;
    CDrawingElement m_first;
    CDrawingElement m_second;
    CDrawingElement m_third;
};

TEST(SelectionSet, ANewSelectionTellsNobodyUntilItsOwnerEnablesIt)
{
    CSelectionSet selection;
    CRecordingObserver observer;
    selection.AddObserver(&observer);
    CDrawingElement element;
    selection.Add(&element);
    selection.Remove(&element, true);
    EXPECT_TRUE(observer.m_calls.empty());
    EXPECT_TRUE(selection.IsChangePending());

    selection.EnableNotifications(true);
    ASSERT_EQ(observer.m_calls.size(), 1U);
    EXPECT_EQ(observer.m_calls[0].code, kSelectionChanged);
    EXPECT_EQ(observer.m_calls[0].entity, nullptr);
    EXPECT_FALSE(selection.IsChangePending());
}

TEST_F(SelectionSetTest, RemovingAMemberTellsEveryObserverInOrderWithTheEntity)
{
    CRecordingObserver later;
    m_selection.AddObserver(&later);
    m_selection.AddObserver(&m_observer);
    EXPECT_EQ(m_selection.GetObserverCount(), 2);
    Select(m_first);

    EXPECT_TRUE(m_selection.Remove(&m_first, true));
    EXPECT_FALSE(m_first.IsSelected());
    ASSERT_EQ(m_observer.m_calls.size(), 1U);
    EXPECT_EQ(m_observer.m_calls[0].selection, &m_selection);
    EXPECT_EQ(m_observer.m_calls[0].code, kSelectionRemoved);
    EXPECT_EQ(m_observer.m_calls[0].entity, &m_first);
    EXPECT_EQ(later.m_calls.size(), 1U);
}

TEST_F(SelectionSetTest, RemovingANonMemberOnlyClearsItsBitWhenAsked)
{
    m_second.SetFlagBits(CDrawingElement::kFlagSelected, true);
    EXPECT_FALSE(m_selection.Remove(&m_second, false));
    EXPECT_TRUE(m_second.IsSelected());
    EXPECT_FALSE(m_selection.Remove(&m_second, true));
    EXPECT_FALSE(m_second.IsSelected());
    EXPECT_TRUE(m_observer.m_calls.empty());
}

TEST_F(SelectionSetTest, ABatchFoldsItsRemovalsIntoOneChange)
{
    Select(m_first);
    Select(m_second);
    Select(m_third);
    m_selection.BeginChange();
    m_selection.Remove(&m_first, true);
    m_selection.Remove(&m_second, true);
    m_selection.Remove(&m_third, true);
    EXPECT_TRUE(m_observer.m_calls.empty());

    m_selection.EndChange();
    ASSERT_EQ(m_observer.m_calls.size(), 1U);
    EXPECT_EQ(m_observer.m_calls[0].code, kSelectionChanged);

    m_selection.BeginChange();
    m_selection.EndChange();
    EXPECT_EQ(m_observer.m_calls.size(), 1U);
}

TEST_F(SelectionSetTest, ClearingTellsOnceAndOnlyWhenThereWasSomethingToClear)
{
    m_selection.Clear(true);
    EXPECT_TRUE(m_observer.m_calls.empty());

    Select(m_first);
    Select(m_second);
    m_selection.Clear(false);
    EXPECT_TRUE(m_selection.IsEmpty());
    EXPECT_TRUE(m_first.IsSelected());
    ASSERT_EQ(m_observer.m_calls.size(), 1U);
    EXPECT_EQ(m_observer.m_calls[0].code, kSelectionCleared);

    Select(m_first);
    m_selection.Clear(true);
    EXPECT_FALSE(m_first.IsSelected());
}

TEST_F(SelectionSetTest, SelectedFlagsFollowTheMembersWithoutNotifying)
{
    Select(m_first);
    m_selection.SetCacheFlag(0, true);
    m_selection.SetCacheFlag(1, true);
    m_selection.SetSelectedFlags(false);
    EXPECT_FALSE(m_first.IsSelected());
    EXPECT_FALSE(m_second.IsSelected());
    EXPECT_TRUE(m_selection.Contains(&m_first));
    EXPECT_FALSE(m_selection.GetCacheFlag(0));
    EXPECT_FALSE(m_selection.GetCacheFlag(1));
    m_selection.SetSelectedFlags(true);
    EXPECT_TRUE(m_first.IsSelected());
    EXPECT_TRUE(m_observer.m_calls.empty());
}

TEST_F(SelectionSetTest, EveryRemovalResetsTheCacheFlags)
{
    m_selection.SetCacheFlag(1, true);
    m_selection.Remove(&m_first, false);
    EXPECT_FALSE(m_selection.GetCacheFlag(1));
    m_selection.SetCacheFlag(0, true);
    m_selection.Clear(false);
    EXPECT_FALSE(m_selection.GetCacheFlag(0));
    m_selection.SetCacheFlag(0, true);
    m_selection.EndChange();
    EXPECT_FALSE(m_selection.GetCacheFlag(0));
}

TEST_F(SelectionSetTest, RemovingByLayerTakesOutTheMembersOnItWithOneChange)
{
    // Without a model every element is on the default layer, which is null here.
    CEntity notAnElement;
    Select(m_first);
    Select(m_second);
    m_selection.Add(&notAnElement);
    m_selection.RemoveOnLayer(nullptr);

    EXPECT_EQ(m_selection.GetCount(), 1);
    EXPECT_TRUE(m_selection.Contains(&notAnElement));
    EXPECT_FALSE(m_first.IsSelected());
    ASSERT_EQ(m_observer.m_calls.size(), 1U);
    EXPECT_EQ(m_observer.m_calls[0].code, kSelectionChanged);
    EXPECT_TRUE(m_selection.AreNotificationsEnabled());
}

TEST_F(SelectionSetTest, RemovingByLayerInsideABatchKeepsTheChangeForTheBatchEnd)
{
    Select(m_first);
    m_selection.BeginChange();
    m_selection.RemoveOnLayer(nullptr);
    EXPECT_TRUE(m_observer.m_calls.empty());
    m_selection.EndChange();
    ASSERT_EQ(m_observer.m_calls.size(), 1U);
    EXPECT_EQ(m_observer.m_calls[0].code, kSelectionChanged);
}

TEST_F(SelectionSetTest, RemovingByLayerLeavesHeldNotificationsHeld)
{
    Select(m_first);
    m_selection.DisableNotifications();
    m_selection.RemoveOnLayer(nullptr);
    EXPECT_FALSE(m_selection.AreNotificationsEnabled());
    EXPECT_TRUE(m_observer.m_calls.empty());
    m_selection.EnableNotifications(false);
    EXPECT_FALSE(m_selection.IsChangePending());
    EXPECT_TRUE(m_observer.m_calls.empty());
}

TEST_F(SelectionSetTest, AnObserverRemovedDuringANotificationIsNotCalledAfterwards)
{
    CRecordingObserver second;
    m_selection.AddObserver(&second);
    m_observer.m_removeOnCall = &second;
    Select(m_first);
    m_selection.Remove(&m_first, true);
    EXPECT_EQ(m_observer.m_calls.size(), 1U);
    EXPECT_TRUE(second.m_calls.empty());
    m_selection.RemoveObserver(&m_observer);
    EXPECT_EQ(m_selection.GetObserverCount(), 0);
}

}  // namespace
