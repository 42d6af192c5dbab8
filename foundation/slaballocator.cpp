#include "foundation/slaballocator.h"

#include <algorithm>
#include <new>

#if defined(GLIMRA_ADDRESS_SANITIZER)
#include <sanitizer/asan_interface.h>
#endif

namespace {

// The first block of an allocator; each further block is twice the one before, up to
// the largest.
constexpr std::size_t kFirstBlockBytes = 4 * 1024;

std::size_t RoundUp(std::size_t value, std::size_t step)
{
    return (value + step - 1) / step * step;
}

}  // namespace

CSlabAllocator::CSlabAllocator(std::size_t slotSize, std::size_t alignment, std::size_t maxBlockBytes)
    : m_slotSize(RoundUp(std::max(slotSize, sizeof(FreeSlot)), std::max(alignment, alignof(FreeSlot)))),
      m_maxBlockBytes(maxBlockBytes),
      m_nextBlockBytes(std::min(kFirstBlockBytes, maxBlockBytes))
{
}

CSlabAllocator::~CSlabAllocator()
{
    ReleaseBlocks(false);
}

void* CSlabAllocator::Allocate()
{
    if (m_maxBlockBytes == 0) {
        void* slot = ::operator new(m_slotSize);
        ++m_live;
        return slot;
    }
    void* slot = nullptr;
    if (m_free != nullptr) {
        Unpoison(m_free, m_slotSize);
        slot = m_free;
        m_free = m_free->next;
    } else {
        if (m_fresh == m_freshEnd) {
            AddBlock();
        }
        slot = m_fresh;
        m_fresh += m_slotSize;
        Unpoison(slot, m_slotSize);
    }
    ++m_live;
    return slot;
}

void CSlabAllocator::Free(void* slot)
{
    if (slot == nullptr) {
        return;
    }
    --m_live;
    if (m_maxBlockBytes == 0) {
        ::operator delete(slot);
        return;
    }
    if (m_live == 0) {
        ReleaseBlocks(true);
        return;
    }
    auto* freed = static_cast<FreeSlot*>(slot);
    freed->next = m_free;
    m_free = freed;
    Poison(slot, m_slotSize);
}

void CSlabAllocator::AddBlock()
{
    const std::size_t slots = std::max<std::size_t>(1, m_nextBlockBytes / m_slotSize);
    const std::size_t bytes = slots * m_slotSize;
    auto* block = static_cast<std::byte*>(::operator new(bytes));
    try {
        m_blocks.push_back({block, bytes});
    } catch (...) {
        ::operator delete(block);
        throw;
    }
    m_heldBytes += bytes;
    m_fresh = block;
    m_freshEnd = block + bytes;
    Poison(block, bytes);
    m_nextBlockBytes = std::min(m_nextBlockBytes * 2, m_maxBlockBytes);
}

void CSlabAllocator::ReleaseBlocks(bool keepFirst)
{
    // The first block is the smallest; keeping it spares a list that grows and shrinks
    // around one entry (a vertex's buffer of four edges left for one of eight) a heap
    // block each time.
    const std::size_t kept = keepFirst && !m_blocks.empty() ? 1 : 0;
    for (std::size_t i = kept; i < m_blocks.size(); ++i) {
        // The heap poisons what it takes back by itself; it must find the block as it
        // handed it out.
        Unpoison(m_blocks[i].data, m_blocks[i].bytes);
        ::operator delete(m_blocks[i].data);
    }
    m_blocks.resize(kept);
    m_free = nullptr;
    m_fresh = nullptr;
    m_freshEnd = nullptr;
    m_heldBytes = 0;
    m_nextBlockBytes = std::min(kFirstBlockBytes, m_maxBlockBytes);
    if (kept != 0) {
        const Block& first = m_blocks.front();
        m_fresh = static_cast<std::byte*>(first.data);
        m_freshEnd = m_fresh + first.bytes;
        m_heldBytes = first.bytes;
        m_nextBlockBytes = std::min(m_nextBlockBytes * 2, m_maxBlockBytes);
        Poison(first.data, first.bytes);
    }
}

void CSlabAllocator::Poison([[maybe_unused]] void* address, [[maybe_unused]] std::size_t size)
{
#if defined(GLIMRA_ADDRESS_SANITIZER)
    ASAN_POISON_MEMORY_REGION(address, size);
#endif
}

void CSlabAllocator::Unpoison([[maybe_unused]] void* address, [[maybe_unused]] std::size_t size)
{
#if defined(GLIMRA_ADDRESS_SANITIZER)
    ASAN_UNPOISON_MEMORY_REGION(address, size);
#endif
}
