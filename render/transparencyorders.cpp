#include "render/transparencyorders.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "model/drawinggeneration.h"
#include "render/viewdefinition.h"

namespace {

std::uint64_t Mix(std::uint64_t hash, std::uint64_t value)
{
    hash ^= value + 0x9E3779B97F4A7C15ULL + (hash << 6) + (hash >> 2);
    return hash * 0xFF51AFD7ED558CCDULL;
}

}  // namespace

void CTransparencyOrders::BeginFrame()
{
    m_spent = 0;
    m_cut = false;
}

void CTransparencyOrders::Check(const CViewDefinition& view, const void* model)
{
    std::array<double, 16> window{};
    std::memcpy(window.data(), view.GetWindowMatrix().GetValues(), sizeof(double) * window.size());
    const std::uint64_t generation = CDrawingGeneration::Get();
    if (window != m_window || model != m_model || generation != m_generation) {
        Forget();
        m_window = window;
        m_model = model;
        m_generation = generation;
    }
}

std::uint64_t CTransparencyOrders::Hash(const Placement& placement, std::span<const void* const> items)
{
    std::uint64_t hash = items.size();
    for (const double number : placement.numbers) {
        hash = Mix(hash, std::bit_cast<std::uint64_t>(number));
    }
    for (const void* item : items) {
        hash = Mix(hash, reinterpret_cast<std::uintptr_t>(item));
    }
    return hash;
}

const std::vector<std::int32_t>* CTransparencyOrders::Find(const Placement& placement,
                                                           std::span<const void* const> items) const
{
    const auto found = m_entries.find(Hash(placement, items));
    if (found == m_entries.end() || !(found->second.placement == placement) ||
        !std::equal(items.begin(), items.end(), found->second.items.begin(), found->second.items.end())) {
        return nullptr;
    }
    ++m_reused;
    return &found->second.order;
}

void CTransparencyOrders::Keep(const Placement& placement, std::span<const void* const> items,
                               std::vector<std::int32_t> order)
{
    const std::size_t cost = items.size() + kOrderCost;
    if (cost > kMaxKeptItems) {
        return;
    }
    // Simplest of bounds: a view that sorts more than the store holds starts it afresh.
    if (m_keptItems + cost > kMaxKeptItems) {
        Forget();
    }
    auto [entry, made] = m_entries.try_emplace(Hash(placement, items));
    if (!made) {
        m_keptItems -= entry->second.items.size() + kOrderCost;
    }
    entry->second.placement = placement;
    entry->second.items.assign(items.begin(), items.end());
    entry->second.order = std::move(order);
    m_keptItems += cost;
}

bool CTransparencyOrders::Spend(std::uint64_t units)
{
    m_spent = units > m_allowance - std::min(m_spent, m_allowance) ? m_allowance + 1 : m_spent + units;
    m_cut = m_cut || m_spent > m_allowance;
    return !m_cut;
}

bool CTransparencyOrders::TakeReport()
{
    if (!m_cut || m_reported) {
        return false;
    }
    m_reported = true;
    return true;
}

void CTransparencyOrders::Clear()
{
    Forget();
    m_model = nullptr;
    m_reported = false;
}

void CTransparencyOrders::Forget()
{
    m_entries.clear();
    m_keptItems = 0;
}
