#include "render/displaylistmonitor.h"

#include <gtest/gtest.h>

#include <cstdint>

TEST(DisplayListMonitor, AnOperationInvalidatesOnlyWhenItsEntitiesChanged)
{
    CDisplayListMonitor monitor;
    monitor.SetValid(true);
    monitor.OnOperationStarted(0, 1);
    monitor.OnOperationCommitted(0, 1, 0);
    EXPECT_TRUE(monitor.IsValid());
    monitor.OnOperationStarted(0, 1);
    monitor.OnEntityModified(nullptr);
    monitor.OnEntityErased(nullptr);
    EXPECT_TRUE(monitor.IsValid());  // only the end of the operation counts
    monitor.OnOperationCommitted(4, 1, 0);
    EXPECT_TRUE(monitor.IsValid());  // a dropped operation never changes the flag
    monitor.OnOperationStarted(0, 1);
    monitor.OnEntityAdded(nullptr, nullptr);
    monitor.OnOperationCommitted(0, 1, 0);
    EXPECT_FALSE(monitor.IsValid());
}

TEST(DisplayListMonitor, NotificationsInvalidateForComponentsTheModelAndDrawnOptions)
{
    struct Case
    {
        const char* name;
        std::int32_t option;
        bool staysValid;
    };
    const Case cases[] = {
        {kLoadedComponentsChangedNotification, 0, false}, {kComponentAddedNotification, 0, false},
        {kComponentRemovedNotification, 0, false},        {kDeleteModelNotification, 0, false},
        {kRenderingOptionsChangeNotification, 1, false},  {kRenderingOptionsChangeNotification, 24, false},
        {kRenderingOptionsChangeNotification, 8, true},   {kRenderingOptionsChangeNotification, 25, true},
        {kShadowNotification, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.option));
        CDisplayListMonitor monitor;
        monitor.SetValid(true);
        std::int32_t option = c.option;
        GetNotificationCenter().Post(c.name, &option);
        EXPECT_EQ(monitor.IsValid(), c.staysValid);
        monitor.SetValid(true);
        monitor.SetActive(false);
        GetNotificationCenter().Post(c.name, &option);
        EXPECT_TRUE(monitor.IsValid());
    }
}
