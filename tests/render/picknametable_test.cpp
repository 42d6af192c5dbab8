#include <gtest/gtest.h>

#include <cstdint>

#include "render/picknametable.h"

TEST(PickNameTable, EntitiesGetSmallEvenNamesAndSubElementsOddOnes)
{
    // Stand-ins for entities far apart in a 64-bit address space.
    auto* first = reinterpret_cast<CEntity*>(std::uintptr_t{0x7F0000001000});
    auto* second = reinterpret_cast<CEntity*>(std::uintptr_t{0x7F0100001000});
    CPickNameTable table;
    const std::uint32_t a = table.GetName(first);
    const std::uint32_t b = table.GetName(second);
    EXPECT_EQ(table.GetName(first), a);
    EXPECT_NE(a, b);
    EXPECT_FALSE(CPickNameTable::IsSubElementName(a));
    EXPECT_EQ(table.FindEntity(a), first);
    EXPECT_EQ(table.FindEntity(b), second);
    EXPECT_EQ(table.GetName(nullptr), CPickNameTable::kNoName);

    const std::uint32_t sub = CPickNameTable::GetSubElementName(7);
    EXPECT_EQ(sub, 15u);
    EXPECT_EQ(CPickNameTable::GetSubElementIndex(sub), 7);
    EXPECT_EQ(CPickNameTable::GetSubElementIndex(a), -1);
    for (const std::uint32_t unknown : {CPickNameTable::kNoName, sub, 1000u}) {
        EXPECT_EQ(table.FindEntity(unknown), nullptr);
    }
    table.Clear();
    EXPECT_EQ(table.FindEntity(a), nullptr);
    EXPECT_EQ(table.GetCount(), 0);
}
