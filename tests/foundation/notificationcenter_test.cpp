#include "foundation/notificationcenter.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Records every call into a shared log and runs an optional action inside it.
class CRecordingObserver : public IObserver
{
public:
    CRecordingObserver(std::string label, std::vector<std::string>& log) : m_label(std::move(label)), m_log(log) {}

    void OnNotify(const std::string& name, void* data) override
    {
        m_log.push_back(m_label + ":" + name);
        m_lastData = data;
        if (m_action) {
            m_action();
        }
    }

    std::string m_label;
    std::vector<std::string>& m_log;
    std::function<void()> m_action;
    void* m_lastData = nullptr;
};

class NotificationCenterTest : public ::testing::Test
{
protected:
    CNotificationCenter m_center;
    std::vector<std::string> m_log;
    CRecordingObserver m_a{"a", m_log};
    CRecordingObserver m_b{"b", m_log};
    CRecordingObserver m_c{"c", m_log};
};

} // namespace

TEST_F(NotificationCenterTest, ObserversAreCalledInRegistrationOrderWithTheData)
{
    m_center.AddObserver(kLayerChangedNotification, &m_b);
    m_center.AddObserver(kLayerChangedNotification, &m_a);
    m_center.AddObserver(kPageNotification, &m_c);
    int record = 3;
    m_center.Post(kLayerChangedNotification, &record);
    EXPECT_EQ(m_log, (std::vector<std::string>{"b:Layer Changed", "a:Layer Changed"}));
    EXPECT_EQ(m_a.m_lastData, &record);
    EXPECT_EQ(m_c.m_lastData, nullptr);
}

TEST_F(NotificationCenterTest, PostingAnUnobservedNameLeavesNoEntry)
{
    m_center.Post("Nobody", nullptr);
    EXPECT_TRUE(m_log.empty());
    EXPECT_FALSE(m_center.HasEntry("Nobody"));
}

TEST_F(NotificationCenterTest, AnObserverAddedTwiceIsCalledTwiceAndRemovedByNameAtOnce)
{
    m_center.AddObserver("X", &m_a);
    m_center.AddObserver("X", &m_a);
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log.size(), 2u);
    m_center.RemoveObserver("X", &m_a);
    EXPECT_FALSE(m_center.HasEntry("X"));
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log.size(), 2u);
}

TEST_F(NotificationCenterTest, RemovingAnObserverEverywhereErasesEmptiedNamesAndIgnoresStrangers)
{
    m_center.AddObserver("X", &m_a);
    m_center.AddObserver("Y", &m_a);
    m_center.AddObserver("Y", &m_b);
    m_center.RemoveObserver(&m_a);
    EXPECT_FALSE(m_center.HasEntry("X"));
    EXPECT_EQ(m_center.GetObserverCount("Y"), 1);
    m_center.RemoveObserver(&m_c);
    m_center.RemoveObserver("Z", &m_b);
    EXPECT_EQ(m_center.GetObserverCount("Y"), 1);
}

TEST_F(NotificationCenterTest, DisabledPostsReachNobodyAndKeepRemovalsPending)
{
    m_center.AddObserver("X", &m_a);
    m_center.AddObserver("Y", &m_b);
    m_b.m_action = [&] {
        m_center.RemoveObserver(&m_a);
        m_center.SetEnabled(false);
    };
    m_center.Post("Y", nullptr);
    // The removal ran at the end of that post; the disabled flag then stops the next.
    EXPECT_FALSE(m_center.HasEntry("X"));
    m_center.AddObserver("X", &m_a);
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log, (std::vector<std::string>{"b:Y"}));

    m_center.SetEnabled(true);
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log.back(), "a:X");
}

TEST_F(NotificationCenterTest, AnObserverRemovingItselfStaysUntilThePostEnds)
{
    m_center.AddObserver("X", &m_a);
    m_center.AddObserver("Y", &m_a);
    m_center.AddObserver("X", &m_b);
    m_a.m_action = [&] {
        m_center.RemoveObserver(&m_a);
        EXPECT_EQ(m_center.GetPendingRemovalCount(), 1);
        EXPECT_TRUE(m_center.HasEntry("Y"));
    };
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:X", "b:X"}));
    EXPECT_FALSE(m_center.HasEntry("Y"));
    EXPECT_EQ(m_center.GetObserverCount("X"), 1);
    EXPECT_EQ(m_center.GetPendingRemovalCount(), 0);
}

TEST_F(NotificationCenterTest, RemovingByNameDuringDeliverySkipsTheRemovedObserver)
{
    m_center.AddObserver("X", &m_a);
    m_center.AddObserver("X", &m_b);
    m_center.AddObserver("X", &m_c);
    m_a.m_action = [&] { m_center.RemoveObserver("X", &m_b); };
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:X", "c:X"}));
    EXPECT_EQ(m_center.GetObserverCount("X"), 2);
}

TEST_F(NotificationCenterTest, RemovingTheObserverBeingCalledByNameIsSafe)
{
    m_center.AddObserver("X", &m_a);
    m_center.AddObserver("X", &m_b);
    m_a.m_action = [&] { m_center.RemoveObserver("X", &m_a); };
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:X", "b:X"}));
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log.back(), "b:X");
    EXPECT_EQ(m_log.size(), 3u);
}

// Pins a fault: the last live observer's pending removal erased the name's entry while
// a cleared slot of it was still queued, and the sweep then unlinked through the freed list.
TEST_F(NotificationCenterTest, APendingRemovalOfTheLastObserverKeepsTheEntryUntilItsClearedSlotsAreGone)
{
    m_center.AddObserver("X", &m_a);
    m_center.AddObserver("X", &m_b);
    m_a.m_action = [&] { m_center.RemoveObserver("X", &m_a); };
    m_b.m_action = [&] { m_center.RemoveObserver(&m_b); };
    m_center.Post("X", nullptr);
    EXPECT_FALSE(m_center.HasEntry("X"));
    m_center.AddObserver("X", &m_c);
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:X", "b:X", "c:X"}));
}

TEST_F(NotificationCenterTest, AnObserverAddedDuringDeliveryIsCalledInTheSamePost)
{
    m_center.AddObserver("X", &m_a);
    m_a.m_action = [&] {
        m_a.m_action = nullptr;
        m_center.AddObserver("X", &m_b);
    };
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:X", "b:X"}));
}

TEST_F(NotificationCenterTest, ANestedPostCarriesOutPendingRemovalsBeforeTheOuterOneEnds)
{
    m_center.AddObserver("Outer", &m_a);
    m_center.AddObserver("Outer", &m_b);
    m_center.AddObserver("Outer", &m_c);
    m_center.AddObserver("Inner", &m_c);
    m_a.m_action = [&] {
        m_center.RemoveObserver(&m_b);  // pending: a delivery is running
        m_center.Post("Inner", nullptr);
        // The nested post cleared the posting flag and removed b already.
        EXPECT_FALSE(m_center.IsPosting());
        EXPECT_EQ(m_center.GetPendingRemovalCount(), 0);
    };
    m_center.Post("Outer", nullptr);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:Outer", "c:Inner", "c:Outer"}));
    EXPECT_EQ(m_center.GetObserverCount("Outer"), 2);
}

TEST_F(NotificationCenterTest, AnEntryEmptiedDuringDeliveryDisappearsAfterwards)
{
    m_center.AddObserver("X", &m_a);
    m_center.AddObserver("Y", &m_b);
    m_a.m_action = [&] {
        m_center.Post("Y", nullptr);
        m_center.RemoveObserver(&m_a);  // acts at once: the nested post cleared the flag
        m_center.RemoveAllEntries();
        EXPECT_FALSE(m_center.HasEntry("Y"));
    };
    m_center.Post("X", nullptr);
    EXPECT_FALSE(m_center.HasEntry("X"));
    EXPECT_FALSE(m_center.HasEntry("Y"));
    m_center.AddObserver("X", &m_c);
    m_center.Post("X", nullptr);
    EXPECT_EQ(m_log, (std::vector<std::string>{"a:X", "b:Y", "c:X"}));
}

TEST_F(NotificationCenterTest, AnObserverThatThrowsLeavesTheCentreUsable)
{
    m_center.AddObserver("X", &m_a);
    m_a.m_action = [&] {
        m_center.RemoveObserver(&m_a);
        throw std::runtime_error("observer failed");
    };
    EXPECT_THROW(m_center.Post("X", nullptr), std::runtime_error);
    EXPECT_FALSE(m_center.IsPosting());
    EXPECT_FALSE(m_center.HasEntry("X"));
}

// Removals find each registration directly; the rest keep their order, and a removal
// during a post acts as the plain one would, at once by name or at the post's end.
TEST_F(NotificationCenterTest, RemovalsLeaveTheOtherRegistrationsInOrder)
{
    const struct
    {
        const char* what;
        const char* name;  // nullptr: under every name
        bool duringPost;   // b removes a while X is posted
        std::vector<std::string> post;
        std::vector<std::string> after;
    } cases[] = {
        {"everywhere", nullptr, false, {}, {"b:X", "c:X", "b:Y"}},
        {"by name", "X", false, {}, {"b:X", "c:X", "b:Y", "a:Y"}},
        {"the other name", "Y", false, {}, {"a:X", "b:X", "a:X", "c:X", "b:Y"}},
        {"everywhere in a post", nullptr, true, {"a:X", "b:X", "a:X", "c:X"}, {"b:X", "c:X", "b:Y"}},
        {"by name in a post", "X", true, {"a:X", "b:X", "c:X"}, {"b:X", "c:X", "b:Y", "a:Y"}},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        CNotificationCenter center;
        std::vector<std::string> log;
        CRecordingObserver a{"a", log};
        CRecordingObserver b{"b", log};
        CRecordingObserver c{"c", log};
        for (auto [name, observer] : {std::pair{"X", &a}, {"X", &b}, {"X", &a}, {"X", &c}, {"Y", &b}, {"Y", &a}}) {
            center.AddObserver(name, observer);
        }
        const auto remove = [&] {
            row.name != nullptr ? center.RemoveObserver(row.name, &a) : center.RemoveObserver(&a);
        };
        if (row.duringPost) {
            b.m_action = [&] {
                b.m_action = nullptr;
                remove();
            };
            center.Post("X", nullptr);
        } else {
            remove();
        }
        EXPECT_EQ(log, row.post);
        log.clear();
        center.Post("X", nullptr);
        center.Post("Y", nullptr);
        EXPECT_EQ(log, row.after);
        EXPECT_EQ(center.GetObserverCount("X") + center.GetObserverCount("Y"), static_cast<int>(row.after.size()));
    }
}
