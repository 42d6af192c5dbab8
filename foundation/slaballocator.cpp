#include "foundation/slaballocator.h"

#include <algorithm>
#include <functional>
#include <new>
#include <utility>

#include "platform/heaptrim.h"

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

// Every class's allocator (ForClass), for RetireClasses; never destroyed, as they are not.
std::vector<CSlabAllocator*>& ClassAllocators()
{
    static auto* const allocators = new std::vector<CSlabAllocator*>;
    return *allocators;
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
    for (const CRetiredSlabBlocks::Block& block : m_retired.TakeAll()) {
        GiveBack(block);
    }
}

CSlabAllocator* CSlabAllocator::Register(CSlabAllocator* allocator)
{
    ClassAllocators().push_back(allocator);
    return allocator;
}

void CSlabAllocator::RetireClasses()
{
    for (CSlabAllocator* allocator : ClassAllocators()) {
        allocator->Retire();
    }
}

void CSlabAllocator::Retire()
{
    if (m_maxBlockBytes == 0 || m_live == 0) {
        return;
    }
    std::vector<CRetiredSlabBlocks::Block> blocks;
    blocks.reserve(m_blocks.size());
    for (const Block& block : m_blocks) {
        std::byte* const data = static_cast<std::byte*>(block.data);
        // Only the newest block has slots never handed out, from the fresh part on.
        const std::less<const std::byte*> before;
        const bool newest = m_fresh != nullptr && !before(m_fresh, data) && before(m_fresh, data + block.bytes);
        const std::size_t used = newest ? static_cast<std::size_t>(m_fresh - data) : block.bytes;
        blocks.push_back({block.data, block.bytes, used / m_slotSize});
    }
    CRetiredSlabBlocks::Sort(blocks);
    for (FreeSlot* slot = m_free; slot != nullptr;) {
        Unpoison(slot, m_slotSize);
        FreeSlot* const next = slot->next;
        Poison(slot, m_slotSize);
        const std::size_t index = CRetiredSlabBlocks::Find(blocks, slot, 0);
        if (index < blocks.size()) {
            --blocks[index].live;
        }
        slot = next;
    }
    const auto empty = std::partition(blocks.begin(), blocks.end(),
                                      [](const CRetiredSlabBlocks::Block& block) { return block.live != 0; });
    std::for_each(empty, blocks.end(), &GiveBack);
    blocks.erase(empty, blocks.end());
    m_retired.Add(std::move(blocks));
    m_blocks.clear();
    m_free = nullptr;
    m_fresh = nullptr;
    m_freshEnd = nullptr;
    m_live = 0;
    m_heldBytes = 0;
    m_nextBlockBytes = std::min(kFirstBlockBytes, m_maxBlockBytes);
}

std::vector<CRetiredSlabBlocks::Block> CSlabAllocator::GetSortedBlocks() const
{
    std::vector<CRetiredSlabBlocks::Block> blocks;
    blocks.reserve(m_blocks.size());
    for (const Block& block : m_blocks) {
        blocks.push_back({block.data, block.bytes, 0});
    }
    CRetiredSlabBlocks::Sort(blocks);
    return blocks;
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
    if (slot == nullptr || (!m_retired.IsEmpty() && FreeRetired(slot))) {
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

bool CSlabAllocator::FreeRetired(void* slot)
{
    const CRetiredSlabBlocks::Freed freed = m_retired.Free(slot);
    if (!freed.retired) {
        return false;
    }
    if (freed.emptied.data != nullptr) {
        GiveBack(freed.emptied);
    } else {
        Poison(slot, m_slotSize);
    }
    return true;
}

void CSlabAllocator::GiveBack(const CRetiredSlabBlocks::Block& block)
{
    Unpoison(block.data, block.bytes);
    // Freed inside the heap, the block's pages would stay the process's until the heap is
    // trimmed as a whole, which takes long enough to be felt.
    ReturnPagesToSystem(block.data, block.bytes);
    ::operator delete(block.data);
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
