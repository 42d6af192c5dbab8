#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "foundation/slaballocator.h"

#if defined(GLIMRA_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

namespace {

// Enough slots to fill the small first blocks and a few of the largest.
constexpr int kManySlots = 5000;

TEST(SlabAllocator, SlotsAreAlignedApartAndAFreedSlotIsHandedOutFirst)
{
    for (const std::size_t alignment : {std::size_t{8}, std::size_t{16}}) {
        CSlabAllocator slots(52, alignment);
        EXPECT_EQ(slots.GetSlotSize() % alignment, 0u);
        std::set<std::uintptr_t> addresses;
        std::vector<void*> taken;
        for (int i = 0; i < kManySlots; ++i) {
            void* slot = slots.Allocate();
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(slot) % alignment, 0u);
            addresses.insert(reinterpret_cast<std::uintptr_t>(slot));
            taken.push_back(slot);
        }
        std::uintptr_t previous = 0;
        for (const std::uintptr_t address : addresses) {
            EXPECT_TRUE(previous == 0 || address - previous >= slots.GetSlotSize());
            previous = address;
        }
        const std::size_t held = slots.GetHeldBytes();
        slots.Free(taken[100]);
        slots.Free(taken[7]);
        EXPECT_EQ(slots.Allocate(), taken[7]);
        EXPECT_EQ(slots.Allocate(), taken[100]);
        EXPECT_EQ(slots.GetHeldBytes(), held);
        EXPECT_EQ(slots.GetLiveCount(), static_cast<std::size_t>(kManySlots));
        for (void* slot : taken) {
            slots.Free(slot);
        }
    }
}

TEST(SlabAllocator, AllBlocksButTheSmallFirstOneGoBackWhenTheLastSlotIsFreed)
{
    CSlabAllocator slots(152, 8);
    std::vector<void*> taken;
    for (int i = 0; i < kManySlots; ++i) {
        taken.push_back(slots.Allocate());
    }
    EXPECT_GE(slots.GetHeldBytes(), kManySlots * slots.GetSlotSize());
    EXPECT_LT(slots.GetHeldBytes(), kManySlots * slots.GetSlotSize() + CSlabAllocator::kBlockBytes);
    for (void* slot : taken) {
        slots.Free(slot);
    }
    EXPECT_EQ(slots.GetLiveCount(), 0u);
    const std::size_t kept = slots.GetHeldBytes();
    EXPECT_GT(kept, 0u);
    EXPECT_LE(kept, 4096u);
    // The kept block is cut again from its start.
    EXPECT_EQ(slots.Allocate(), taken.front());
    EXPECT_EQ(slots.GetHeldBytes(), kept);
    slots.Free(taken.front());
}

TEST(SlabAllocator, SlotsSetApartGoBackBlockByBlockWhileNewSlotsComeFromBlocksOfTheirOwn)
{
    CSlabAllocator slots(64, 8);
    std::vector<void*> old;
    for (int i = 0; i < kManySlots; ++i) {
        old.push_back(slots.Allocate());
    }
    // The first block's slots are all free when they are set apart: it goes at once.
    const std::size_t firstBlockSlots = 4096 / slots.GetSlotSize();
    for (std::size_t i = 0; i < firstBlockSlots; ++i) {
        slots.Free(old[i]);
    }
    old.erase(old.begin(), old.begin() + static_cast<std::ptrdiff_t>(firstBlockSlots));
    const std::size_t held = slots.GetHeldBytes();
    slots.Retire();
    EXPECT_EQ(slots.GetLiveCount(), old.size());
    EXPECT_EQ(slots.GetHeldBytes(), held - 4096);

    std::vector<void*> fresh;
    for (int i = 0; i < 100; ++i) {
        fresh.push_back(slots.Allocate());
    }
    const std::set<void*> setApart(old.begin(), old.end());
    for (void* slot : fresh) {
        EXPECT_EQ(setApart.count(slot), 0u);
    }
    // Set apart a second time, the new slots join the old.
    slots.Retire();
    const std::size_t heldBoth = slots.GetHeldBytes();
    std::size_t lastHeld = heldBoth;
    bool shrankBeforeTheEnd = false;
    for (void* slot : old) {
        slots.Free(slot);
        shrankBeforeTheEnd = shrankBeforeTheEnd || (slots.GetHeldBytes() < lastHeld && slots.GetLiveCount() > 100);
        lastHeld = slots.GetHeldBytes();
    }
    EXPECT_TRUE(shrankBeforeTheEnd);
    EXPECT_EQ(slots.GetLiveCount(), fresh.size());
    EXPECT_GT(slots.GetHeldBytes(), 0u);
#if defined(GLIMRA_ADDRESS_SANITIZER)
    slots.Free(fresh.back());
    EXPECT_TRUE(__asan_address_is_poisoned(fresh.back()));
    fresh.pop_back();
#endif
    for (void* slot : fresh) {
        slots.Free(slot);
    }
    EXPECT_EQ(slots.GetLiveCount(), 0u);
    EXPECT_EQ(slots.GetHeldBytes(), 0u);
}

TEST(SlabAllocator, WithoutBlocksEverySlotIsAHeapBlockOfItsOwn)
{
    CSlabAllocator slots(72, 8, 0);
    void* first = slots.Allocate();
    void* second = slots.Allocate();
    EXPECT_EQ(slots.GetHeldBytes(), 0u);
    EXPECT_EQ(slots.GetLiveCount(), 2u);
    slots.Free(first);
    slots.Free(second);
    EXPECT_EQ(slots.GetLiveCount(), 0u);
}

#if defined(GLIMRA_ADDRESS_SANITIZER)
TEST(SlabAllocator, AFreedSlotIsPoisonedUntilItIsHandedOutAgain)
{
    CSlabAllocator slots(64, 8);
    void* kept = slots.Allocate();
    void* freed = slots.Allocate();
    slots.Free(freed);
    EXPECT_TRUE(__asan_address_is_poisoned(freed));
    EXPECT_TRUE(__asan_address_is_poisoned(static_cast<char*>(freed) + 63));
    EXPECT_FALSE(__asan_address_is_poisoned(kept));
    EXPECT_EQ(slots.Allocate(), freed);
    EXPECT_FALSE(__asan_address_is_poisoned(static_cast<char*>(freed) + 63));
    slots.Free(freed);
    slots.Free(kept);
}
#endif

}  // namespace
