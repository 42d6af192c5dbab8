#include "platform/collections.h"

#include <gtest/gtest.h>

TEST(Collections, PointerMapSetsLooksUpAndRemoves)
{
    int a = 0;
    int b = 0;
    CMapPtrToPtr map(10);
    map.SetAt(&a, &b);
    map.SetAt(&b, nullptr);
    map.SetAt(&a, &a);  // replaces
    EXPECT_EQ(map.GetCount(), 2);
    void* value = &b;
    EXPECT_TRUE(map.Lookup(&a, value));
    EXPECT_EQ(value, &a);
    EXPECT_FALSE(map.Lookup(nullptr, value));
    EXPECT_EQ(value, &a);  // left alone when absent

    int walked = 0;
    for (const auto& [key, mapped] : map) {
        EXPECT_TRUE(key == &a || key == &b);
        ++walked;
    }
    EXPECT_EQ(walked, 2);

    EXPECT_TRUE(map.RemoveKey(&a));
    EXPECT_FALSE(map.RemoveKey(&a));
    map.RemoveAll();
    EXPECT_TRUE(map.IsEmpty());
}

TEST(Collections, StringMapKeysOnExactText)
{
    CMapStringToString map;
    map.SetAt("Key", "one");
    map[CString("key")] = "two";
    CString value;
    EXPECT_TRUE(map.Lookup("Key", value));
    EXPECT_EQ(value, CString("one"));
    EXPECT_TRUE(map.Lookup("key", value));
    EXPECT_EQ(value, CString("two"));
    EXPECT_EQ(map.GetCount(), 2);
}
