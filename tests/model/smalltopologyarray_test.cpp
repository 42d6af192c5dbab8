#include "model/smalltopologyarray.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int*> Entries(const CSmallTopologyArray<int>& array)
{
    return {array.GetData(), array.GetData() + array.GetCount()};
}

TEST(SmallTopologyArrayTest, OneEntryStaysInsideAndMoreMoveToABufferThatGrowsByTheRule)
{
    int a = 0;
    int b = 0;
    int c = 0;
    CSmallTopologyArray<int> array;
    array.Append(&a);
    EXPECT_EQ(array.GetCapacity(), 1);
    EXPECT_EQ(Entries(array), (std::vector<int*>{&a}));
    array.Append(&b);
    array.Append(&c);
    EXPECT_EQ(array.GetCapacity(), 5);  // 1 + the smallest step
    EXPECT_EQ(Entries(array), (std::vector<int*>{&a, &b, &c}));
    array.RemoveAt(0);
    EXPECT_TRUE(array.Remove(&c));
    EXPECT_FALSE(array.Remove(&c));
    EXPECT_EQ(Entries(array), (std::vector<int*>{&b}));
    EXPECT_EQ(array.GetAt(1), nullptr);
    array.SetCount(3);
    EXPECT_EQ(Entries(array), (std::vector<int*>{&b, nullptr, nullptr}));
    array.Free();
    EXPECT_EQ(array.GetCount(), 0);
    array.SetCount(1);
    array.SetAt(0, &a);
    EXPECT_EQ(Entries(array), (std::vector<int*>{&a}));
}

TEST(SmallTopologyArrayTest, CopiesAndSwapsKeepEntriesWhereverTheyLive)
{
    int a = 0;
    int b = 0;
    CSmallTopologyArray<int> single;
    single.Append(&a);
    CSmallTopologyArray<int> pair;
    pair.Append(&a);
    pair.Append(&b);

    CSmallTopologyArray<int> copy(pair);
    copy.SetAt(0, &b);
    EXPECT_EQ(Entries(pair), (std::vector<int*>{&a, &b}));
    copy = single;
    EXPECT_EQ(Entries(copy), (std::vector<int*>{&a}));

    single.Swap(pair);
    EXPECT_EQ(Entries(single), (std::vector<int*>{&a, &b}));
    EXPECT_EQ(Entries(pair), (std::vector<int*>{&a}));
    EXPECT_EQ(single.Find(&b), 1);
    EXPECT_TRUE(pair.Contains(&a));
}

}  // namespace
