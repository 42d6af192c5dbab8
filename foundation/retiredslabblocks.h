#pragma once
// CRetiredSlabBlocks: the blocks of a slab allocator whose slots were set apart
// (CSlabAllocator::Retire), each with the count of its slots still in use. Nothing is
// handed out of them again: as each slot is freed its block's count goes down, and a
// block whose last slot is freed is forgotten here for the allocator to give back, so
// that a model let go slice by slice gives its memory back as it goes. Not thread-safe,
// as the allocator.

#include <cstddef>
#include <functional>
#include <vector>

class CRetiredSlabBlocks
{
public:
    struct Block
    {
        void* data = nullptr;
        std::size_t bytes = 0;
        std::size_t live = 0;
    };
    // What freeing a slot did.
    struct Freed
    {
        // The slot lay in one of the blocks.
        bool retired = false;
        // The block, when the slot was its last in use; data is null otherwise.
        Block emptied;
    };

    CRetiredSlabBlocks() = default;
    CRetiredSlabBlocks(const CRetiredSlabBlocks&) = delete;
    CRetiredSlabBlocks& operator=(const CRetiredSlabBlocks&) = delete;

    // Takes the blocks over; none of them may overlap one held. Blocks without a slot in
    // use must not be among them.
    void Add(std::vector<Block> blocks);
    // Not retired when the slot lies in no block held.
    Freed Free(const void* slot);
    // Forgets every block and hands them all over.
    [[nodiscard]] std::vector<Block> TakeAll();

    [[nodiscard]] bool IsEmpty() const { return m_live == 0; }
    [[nodiscard]] std::size_t GetLiveCount() const { return m_live; }
    [[nodiscard]] std::size_t GetBytes() const { return m_bytes; }

    // Sorts the blocks by address.
    static void Sort(std::vector<Block>& blocks);
    [[nodiscard]] static bool Holds(const Block& block, const void* address)
    {
        const std::less<const void*> before;
        return !before(address, block.data) &&
               before(address, static_cast<const std::byte*>(block.data) + block.bytes);
    }
    // The block of the sorted list that holds the address; the list's size when none does.
    [[nodiscard]] static std::size_t Find(const std::vector<Block>& blocks, const void* address, std::size_t guess);

private:
    // Sorted by address. A block given back stays with no bytes, so that the others keep
    // their places.
    std::vector<Block> m_blocks;
    std::size_t m_live = 0;
    std::size_t m_bytes = 0;
    // The block of the last slot freed: slots are mostly freed block by block.
    std::size_t m_lastHit = 0;
};
