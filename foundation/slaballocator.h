#pragma once
// CSlabAllocator: fixed-size slots for the objects a model holds by the million (the
// topology classes' own operator new and delete). The heap's header and size step cost
// such an object up to a fifth of its size; slots cut from large blocks cost nothing.
// Freed slots are kept on a list and used again; the blocks but the first (and
// smallest) go back to the heap once every slot of the allocator is free (the model
// that held them was released).
//
// Not thread-safe: the model is made, changed and released on the user-interface
// thread only.
//
// A model let go in the program's idle time is freed while the next one is made: its
// slots are set apart first (Retire), the next model's come from blocks of their own,
// and the blocks set apart go back to the heap once their last slot is freed, even
// though the next model lives on.
//
// Under AddressSanitizer a freed slot is poisoned until it is handed out again, so a
// use after erase still reports. The topology classes pass no block size there: every
// slot is then its own heap block, so that LeakSanitizer still sees a lost object.

#include <cstddef>
#include <vector>

#include "foundation/retiredslabblocks.h"

// GCC says so by a macro, clang by a feature test.
#if defined(__SANITIZE_ADDRESS__)
#define GLIMRA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define GLIMRA_ADDRESS_SANITIZER 1
#endif
#endif

class CSlabAllocator
{
public:
    // The largest block the allocator cuts slots from; the first blocks are smaller,
    // so that a small model does not hold a large block of every class.
    static constexpr std::size_t kBlockBytes = 64 * 1024;
#if defined(GLIMRA_ADDRESS_SANITIZER)
    static constexpr std::size_t kObjectBlockBytes = 0;
#else
    static constexpr std::size_t kObjectBlockBytes = kBlockBytes;
#endif

    // Slots of slotSize bytes (rounded up to the alignment, at least a pointer), each
    // aligned to alignment (at most the heap's own). With maxBlockBytes 0 every slot is
    // a heap block of its own and is given back to the heap when freed.
    CSlabAllocator(std::size_t slotSize, std::size_t alignment, std::size_t maxBlockBytes = kBlockBytes);
    // Frees the blocks; slots still in use at that point lose their memory.
    ~CSlabAllocator();
    CSlabAllocator(const CSlabAllocator&) = delete;
    CSlabAllocator& operator=(const CSlabAllocator&) = delete;

    // A slot; throws std::bad_alloc when the heap has no block left.
    [[nodiscard]] void* Allocate();
    // Takes back a slot of this allocator; null is ignored.
    void Free(void* slot);

    // Sets every slot in use apart with the blocks that hold them: slots handed out from
    // now on come from new blocks, and each block set apart goes back to the heap, its
    // pages to the system, as soon as its last slot is freed. Slots set apart before stay
    // so, joined by these. Nothing happens without blocks.
    void Retire();
    // Retire for the allocator of every class made so far.
    static void RetireClasses();

    // The one allocator of a class's objects, made on first use and never destroyed
    // (objects may still be deleted during static destruction).
    template <typename T>
    [[nodiscard]] static CSlabAllocator& ForClass()
    {
        static auto* const allocator = Register(new CSlabAllocator(sizeof(T), alignof(T), kObjectBlockBytes));
        return *allocator;
    }

    [[nodiscard]] std::size_t GetSlotSize() const { return m_slotSize; }
    // The blocks slots are handed out from now, sorted by address for
    // CRetiredSlabBlocks::Find: a slot in use lies in one of them unless it was set apart.
    // None where every slot is a heap block of its own.
    [[nodiscard]] std::vector<CRetiredSlabBlocks::Block> GetSortedBlocks() const;
    // Slots in use, those set apart included.
    [[nodiscard]] std::size_t GetLiveCount() const { return m_live + m_retired.GetLiveCount(); }
    // The bytes of the blocks held from the heap, those set apart included.
    [[nodiscard]] std::size_t GetHeldBytes() const { return m_heldBytes + m_retired.GetBytes(); }

private:
    struct FreeSlot
    {
        FreeSlot* next;
    };
    struct Block
    {
        void* data;
        std::size_t bytes;
    };

    static CSlabAllocator* Register(CSlabAllocator* allocator);
    void AddBlock();
    void ReleaseBlocks(bool keepFirst);
    // True when the slot lies in a block set apart; it is then taken back there.
    bool FreeRetired(void* slot);
    // A block set apart whose slots are all free goes back to the heap, its pages to
    // the system.
    static void GiveBack(const CRetiredSlabBlocks::Block& block);
    static void Poison(void* address, std::size_t size);
    static void Unpoison(void* address, std::size_t size);

    std::size_t m_slotSize;
    std::size_t m_maxBlockBytes;
    std::size_t m_nextBlockBytes;
    FreeSlot* m_free = nullptr;
    // The part of the newest block not yet handed out.
    std::byte* m_fresh = nullptr;
    std::byte* m_freshEnd = nullptr;
    std::vector<Block> m_blocks;
    std::size_t m_live = 0;
    std::size_t m_heldBytes = 0;
    CRetiredSlabBlocks m_retired;
};
