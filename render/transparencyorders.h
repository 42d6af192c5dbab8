#pragma once
// CTransparencyOrders: the orders the depth sort of blended transparency found, kept by
// the view, so that a definition placed many times is sorted once per view and not once
// per placement and per frame. An order holds for the same entities, handed in the same
// sequence, seen through the same projection from the same place: the view's window
// matrix, the model and its drawing generation, and the placement's transformation. In
// a parallel view a placement moved sideways, up or down sees its entities exactly as
// the first one did, so there only the placement's turn and scale count, as long as the
// near plane cuts none of them; in perspective each place sees them from its own side.
// A changed view, model or generation forgets every order.
//
// The sorts of one frame share one allowance of work besides the frame's budget: once
// it is spent, the sorts left draw their entities in the order they were handed, an
// order found then is not kept, and the view says so.
// User-interface thread only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

#include "foundation/transformation.h"

class CViewDefinition;

class CTransparencyOrders
{
public:
    // Meter units the sorts of one frame may spend: about two seconds.
    static constexpr std::uint64_t kFrameAllowance = 50'000'000;
    // At most this many entities are kept in orders, each order counting as kOrderCost
    // entities besides its own; past it every order goes.
    static constexpr std::size_t kMaxKeptItems = std::size_t{1} << 20;
    static constexpr std::size_t kOrderCost = 8;
    // What the view says when a pass's sorts were cut.
    static constexpr const char* kReason =
        "transparent faces are blended partly unsorted: sorting them all would take too long";

    // Where the entities of an order stand: the placement's stored numbers (matrix,
    // origin, scale), the origin left at zero where moving does not count.
    struct Placement
    {
        std::array<double, CTransformation::kStoredNumberCount> numbers{};
        bool operator==(const Placement& other) const = default;
    };

    // A frame starts: a fresh allowance, no cut yet.
    void BeginFrame();
    // The allowance of each frame from now on (kFrameAllowance unless set).
    void SetAllowance(std::uint64_t units) { m_allowance = units; }
    // The projection and model the next order is for; a change from the last forgets
    // every order.
    void Check(const CViewDefinition& view, const void* model);
    // The order kept for the entities at the placement (indices into items, nearest
    // first); null when none is.
    [[nodiscard]] const std::vector<std::int32_t>* Find(const Placement& placement,
                                                       std::span<const void* const> items) const;
    // Keeps the order (indices into items, nearest first) for the entities at the placement.
    void Keep(const Placement& placement, std::span<const void* const> items, std::vector<std::int32_t> order);
    // Spends sort work from the frame's allowance; false, and the frame noted as cut,
    // once it is spent.
    bool Spend(std::uint64_t units);
    [[nodiscard]] bool IsSpent() const { return m_cut; }
    // True once per model, the first time a frame was cut.
    [[nodiscard]] bool TakeReport();
    // Forgets every order and the report (a new model, a lost context).
    void Clear();
    [[nodiscard]] std::size_t GetOrderCount() const { return m_entries.size(); }
    // How many sorts drew a kept order instead of sorting.
    [[nodiscard]] std::uint64_t GetReuseCount() const { return m_reused; }

private:
    struct Entry
    {
        Placement placement;
        std::vector<const void*> items;
        std::vector<std::int32_t> order;
    };
    [[nodiscard]] static std::uint64_t Hash(const Placement& placement, std::span<const void* const> items);
    void Forget();

    std::unordered_map<std::uint64_t, Entry> m_entries;
    std::size_t m_keptItems = 0;
    std::array<double, 16> m_window{};
    const void* m_model = nullptr;
    std::uint64_t m_generation = 0;
    std::uint64_t m_allowance = kFrameAllowance;
    std::uint64_t m_spent = 0;
    mutable std::uint64_t m_reused = 0;
    bool m_cut = false;
    bool m_reported = false;
};
