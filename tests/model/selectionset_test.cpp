#include "model/selectionset.h"

#include <gtest/gtest.h>

#include "model/drawingelement.h"
#include "model/selectionobserver.h"

namespace {

class CRecordingObserver : public ISelectionObserver
{
public:
    void OnSelectionChanged(CSelectionSet* selection, int code, CEntity* entity) override
    {
        m_codes.push_back(code);
        m_entities.push_back(entity);
        if (m_removeOnCall != nullptr) {
            selection->RemoveObserver(m_removeOnCall);
        }
    }

    std::vector<int> m_codes;
    std::vector<CEntity*> m_entities;
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
};

TEST(SelectionSet, ANewSelectionTellsNobodyUntilItsOwnerEnablesIt)
{
    CSelectionSet selection;
    CRecordingObserver observer;
    selection.AddObserver(&observer);
    CDrawingElement element;
    selection.Add(&element);
    selection.Remove(&element, true);
    EXPECT_TRUE(observer.m_codes.empty());

    selection.EnableNotifications(true);
    EXPECT_EQ(observer.m_codes, std::vector<int>{kSelectionChanged});
    EXPECT_EQ(observer.m_entities, std::vector<CEntity*>{nullptr});
}

TEST_F(SelectionSetTest, RemovingAMemberTellsWhichOneAndANonMemberOnlyLosesItsBitWhenAsked)
{
    Select(m_first);
    EXPECT_TRUE(m_selection.Remove(&m_first, true));
    EXPECT_FALSE(m_first.IsSelected());
    EXPECT_EQ(m_observer.m_codes, std::vector<int>{kSelectionRemoved});
    EXPECT_EQ(m_observer.m_entities, std::vector<CEntity*>{&m_first});

    m_second.SetFlagBits(CDrawingElement::kFlagSelected, true);
    EXPECT_FALSE(m_selection.Remove(&m_second, false));
    EXPECT_TRUE(m_second.IsSelected());
    EXPECT_FALSE(m_selection.Remove(&m_second, true));
    EXPECT_FALSE(m_second.IsSelected());
    EXPECT_EQ(m_observer.m_codes.size(), 1U);
}

TEST_F(SelectionSetTest, ABatchFoldsItsRemovalsIntoOneChange)
{
    CDrawingElement third;
    Select(m_first);
    Select(m_second);
    Select(third);
    m_selection.BeginChange();
    for (CDrawingElement* element : {&m_first, &m_second, &third}) {
        m_selection.Remove(element, true);
    }
    EXPECT_TRUE(m_observer.m_codes.empty());
    m_selection.EndChange();
    EXPECT_EQ(m_observer.m_codes, std::vector<int>{kSelectionChanged});

    m_selection.BeginChange();
    m_selection.EndChange();
    EXPECT_EQ(m_observer.m_codes.size(), 1U);
}

TEST_F(SelectionSetTest, ClearingTellsOnceAndOnlyWhenThereWasSomethingToClear)
{
    m_selection.Clear(true);
    EXPECT_TRUE(m_observer.m_codes.empty());
    Select(m_first);
    m_selection.SetCacheFlag(0, true);
    m_selection.Clear(true);
    EXPECT_FALSE(m_first.IsSelected());
    EXPECT_FALSE(m_selection.GetCacheFlag(0));
    EXPECT_EQ(m_observer.m_codes, std::vector<int>{kSelectionCleared});
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
    EXPECT_FALSE(m_first.IsSelected());
    EXPECT_EQ(m_observer.m_codes, std::vector<int>{kSelectionChanged});
    EXPECT_TRUE(m_selection.AreNotificationsEnabled());
}

TEST_F(SelectionSetTest, RemovingByLayerInABatchOrWhileHeldKeepsTheChangeForLater)
{
    Select(m_first);
    m_selection.BeginChange();
    m_selection.RemoveOnLayer(nullptr);
    EXPECT_TRUE(m_observer.m_codes.empty());
    m_selection.EndChange();
    EXPECT_EQ(m_observer.m_codes, std::vector<int>{kSelectionChanged});

    Select(m_second);
    m_selection.DisableNotifications();
    m_selection.RemoveOnLayer(nullptr);
    EXPECT_FALSE(m_selection.AreNotificationsEnabled());
    EXPECT_TRUE(m_selection.IsChangePending());
    EXPECT_EQ(m_observer.m_codes.size(), 1U);
}

TEST_F(SelectionSetTest, AnObserverRemovedDuringANotificationIsNotCalledAfterwards)
{
    CRecordingObserver second;
    m_selection.AddObserver(&second);
    m_observer.m_removeOnCall = &second;
    Select(m_first);
    m_selection.Remove(&m_first, true);
    EXPECT_EQ(m_observer.m_codes.size(), 1U);
    EXPECT_TRUE(second.m_codes.empty());
}

}  // namespace
