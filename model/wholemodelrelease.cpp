#include "model/wholemodelrelease.h"

#include <cstddef>
#include <optional>
#include <utility>

#include "foundation/slaballocator.h"
#include "model/drawingelement.h"
#include "model/edge.h"
#include "model/entity.h"
#include "model/face.h"
#include "platform/heaptrim.h"
#include "platform/quitrequest.h"

namespace {

// Elements discarded between two looks at the clock.
constexpr std::size_t kClockStride = 1024;
// Faces and edges a model may hold and still go at once, in a few milliseconds. Only a
// larger one is left pending, and sets the slots in use apart (which a model that goes
// on living pays for: its slots freed afterwards are not used again).
constexpr std::size_t kAtOnce = 65536;

int g_depth = 0;
// Faces and edges met since the outermost scope began.
std::size_t g_met = 0;
std::function<void()> g_wake;
// Lists of faces and edges left pending, each taken from its end.
std::vector<std::vector<CDrawingElement*>> g_pending;

bool IsTopology(const CDrawingElement* element)
{
    const int type = element->GetTypeId();
    return type == kTypeFace || type == kTypeEdge;
}

// Tells faces and edges from the other elements of a long list by the blocks their
// classes' slots are cut from. Asking each element would read a cache line of each,
// spread over gigabytes: a quarter of a second for the 10M grid, before the next model
// could show. Elements listed in the order they were made mostly lie in the block of the
// one before of their class. One found in no block (set apart, or every slot a heap block
// of its own) is asked.
class CTopologyBlocks
{
public:
    CTopologyBlocks()
        : m_faces(CSlabAllocator::ForClass<CFace>().GetSortedBlocks()),
          m_edges(CSlabAllocator::ForClass<CEdge>().GetSortedBlocks())
    {
    }

    [[nodiscard]] bool IsFaceOrEdge(const CDrawingElement* element)
    {
        return InLast(m_faces, m_lastFace, element) || InLast(m_edges, m_lastEdge, element) ||
               Find(m_faces, m_lastFace, element) || Find(m_edges, m_lastEdge, element) || IsTopology(element);
    }

private:
    using Blocks = std::vector<CRetiredSlabBlocks::Block>;

    static bool InLast(const Blocks& blocks, std::size_t last, const void* address)
    {
        return last < blocks.size() && CRetiredSlabBlocks::Holds(blocks[last], address);
    }

    static bool Find(const Blocks& blocks, std::size_t& last, const void* address)
    {
        const std::size_t found = CRetiredSlabBlocks::Find(blocks, address, blocks.size());
        if (found == blocks.size()) {
            return false;
        }
        last = found;
        return true;
    }

    Blocks m_faces;
    Blocks m_edges;
    std::size_t m_lastFace = 0;
    std::size_t m_lastEdge = 0;
};

void DiscardLast(std::vector<CDrawingElement*>& elements, std::size_t count)
{
    for (; count > 0 && !elements.empty(); --count) {
        CDrawingElement* const element = elements.back();
        elements.pop_back();
        if (element != nullptr) {
            element->Discard();
        }
    }
}

// False when nothing remains pending.
bool DiscardPendingUntil(std::chrono::steady_clock::time_point end)
{
    if (g_pending.empty()) {
        return false;
    }
    const CWholeModelRelease scope;
    while (!g_pending.empty()) {
        DiscardLast(g_pending.back(), kClockStride);
        if (g_pending.back().empty()) {
            g_pending.pop_back();
        }
        if (std::chrono::steady_clock::now() >= end) {
            break;
        }
    }
    if (!g_pending.empty()) {
        return true;
    }
    g_pending.shrink_to_fit();
    ReturnFreeHeapToSystem();
    return false;
}

}  // namespace

CWholeModelRelease::CWholeModelRelease()
{
    if (g_depth++ == 0) {
        g_met = 0;
    }
}

CWholeModelRelease::~CWholeModelRelease()
{
    --g_depth;
}

bool CWholeModelRelease::IsActive()
{
    return g_depth > 0;
}

void CWholeModelRelease::LetGo(std::vector<CDrawingElement*>& elements)
{
    std::optional<CTopologyBlocks> blocks;
    if (elements.size() > kAtOnce) {
        blocks.emplace();
    }
    std::size_t topology = 0;
    for (CDrawingElement*& element : elements) {
        if (element == nullptr) {
            continue;
        }
        if (blocks ? blocks->IsFaceOrEdge(element) : IsTopology(element)) {
            ++topology;
        } else {
            std::exchange(element, nullptr)->Erase();
        }
    }
    g_met += topology;
    if (!g_wake || topology == 0 || g_met <= kAtOnce) {
        DiscardLast(elements, elements.size());
        elements.shrink_to_fit();
        return;
    }
    // The next model's topology must not land in blocks of this one's, or those could not
    // go back once this one has gone.
    CSlabAllocator::RetireClasses();
    g_pending.push_back(std::exchange(elements, {}));
    g_wake();
}

void CWholeModelRelease::SetIdleWake(std::function<void()> wake)
{
    g_wake = std::move(wake);
}

bool CWholeModelRelease::IsPending()
{
    return !g_pending.empty();
}

bool CWholeModelRelease::LetGoSome(std::chrono::milliseconds budget)
{
    return !CQuitRequest::IsRequested() && DiscardPendingUntil(std::chrono::steady_clock::now() + budget);
}

void CWholeModelRelease::LetGoPending()
{
    (void)DiscardPendingUntil(std::chrono::steady_clock::time_point::max());
}
