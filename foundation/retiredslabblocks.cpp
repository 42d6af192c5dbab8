#include "foundation/retiredslabblocks.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>

namespace {

bool Before(const void* a, const void* b)
{
    return std::less<const void*>()(a, b);
}

}  // namespace

void CRetiredSlabBlocks::Sort(std::vector<Block>& blocks)
{
    std::sort(blocks.begin(), blocks.end(), [](const Block& a, const Block& b) { return Before(a.data, b.data); });
}

std::size_t CRetiredSlabBlocks::Find(const std::vector<Block>& blocks, const void* address, std::size_t guess)
{
    if (guess < blocks.size() && Holds(blocks[guess], address)) {
        return guess;
    }
    // The last block that starts at or before the address.
    const auto after = std::upper_bound(blocks.begin(), blocks.end(), address,
                                        [](const void* at, const Block& block) { return Before(at, block.data); });
    if (after == blocks.begin() || !Holds(*std::prev(after), address)) {
        return blocks.size();
    }
    return static_cast<std::size_t>(std::prev(after) - blocks.begin());
}

void CRetiredSlabBlocks::Add(std::vector<Block> blocks)
{
    for (const Block& block : blocks) {
        m_live += block.live;
        m_bytes += block.bytes;
    }
    Sort(blocks);
    const std::size_t middle = m_blocks.size();
    m_blocks.insert(m_blocks.end(), blocks.begin(), blocks.end());
    std::inplace_merge(m_blocks.begin(), m_blocks.begin() + static_cast<std::ptrdiff_t>(middle), m_blocks.end(),
                       [](const Block& a, const Block& b) { return Before(a.data, b.data); });
    m_lastHit = 0;
}

CRetiredSlabBlocks::Freed CRetiredSlabBlocks::Free(const void* slot)
{
    Freed freed;
    const std::size_t index = Find(m_blocks, slot, m_lastHit);
    if (index == m_blocks.size()) {
        return freed;
    }
    freed.retired = true;
    m_lastHit = index;
    --m_live;
    Block& block = m_blocks[index];
    if (--block.live == 0) {
        freed.emptied = block;
        m_bytes -= block.bytes;
        block.bytes = 0;
    }
    if (m_live == 0) {
        // What is left has no slot in use: blocks given back.
        m_blocks = {};
        m_lastHit = 0;
    }
    return freed;
}

std::vector<CRetiredSlabBlocks::Block> CRetiredSlabBlocks::TakeAll()
{
    std::vector<Block> held;
    for (const Block& block : m_blocks) {
        if (block.bytes != 0) {
            held.push_back(block);
        }
    }
    m_blocks = {};
    m_live = 0;
    m_bytes = 0;
    m_lastHit = 0;
    return held;
}
