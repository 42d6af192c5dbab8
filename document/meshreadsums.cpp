#include "document/meshreadsums.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "document/component.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "foundation/parallelchunks.h"
#include "model/edge.h"

namespace {

using Kept = std::vector<std::pair<const CComponent*, std::unique_ptr<CMeshReadSums>>>;

// The sums the innermost model read of this thread keeps; null while none keeps any.
thread_local Kept* g_kept = nullptr;
// How often lists changed or were settled on this thread.
thread_local std::uint64_t g_listChanges = 0;

}  // namespace

CMeshReadSums::CReadScope::CReadScope() : m_previous(g_kept)
{
    g_kept = new Kept;
}

CMeshReadSums::CReadScope::~CReadScope()
{
    delete g_kept;
    g_kept = static_cast<Kept*>(m_previous);
}

CMeshReadSums* CMeshReadSums::Begin(const CComponent& component, std::size_t length)
{
    if (g_kept == nullptr || !CParallelChunks::IsWorthSplitting(length)) {
        return nullptr;
    }
    const CTarnwickModel* model = GetCurrentModel();
    const CRenderingOptions* options = model != nullptr ? model->GetRenderingOptions() : nullptr;
    const bool everyLine = options != nullptr && CEdge::GetLineLook(*options, true).widthAlong > 0.0 &&
                           CEdge::GetLineLook(*options, false).widthAlong > 0.0;
    auto sums = std::make_unique<CMeshReadSums>(!everyLine, &component);
    sums->m_changesAtBegin = g_listChanges;
    CMeshReadSums* made = sums.get();
    const auto found = std::find_if(g_kept->begin(), g_kept->end(),
                                    [&component](const auto& kept) { return kept.first == &component; });
    if (found != g_kept->end()) {
        found->second = std::move(sums);
    } else {
        g_kept->emplace_back(&component, std::move(sums));
    }
    return made;
}

const CMeshReadSums* CMeshReadSums::Find(const CComponent& component)
{
    if (g_kept == nullptr) {
        return nullptr;
    }
    for (const auto& [holder, sums] : *g_kept) {
        if (holder == &component) {
            const bool holds = sums->m_ended && !sums->m_spoilt && sums->m_changesAtBegin == g_listChanges &&
                               component.GetEntityList().size() == sums->m_length;
            return holds ? sums.get() : nullptr;
        }
    }
    return nullptr;
}

void CMeshReadSums::NoteListsChanged()
{
    ++g_listChanges;
}

void CMeshReadSums::End(std::size_t length, std::vector<const CMaterial*> materials)
{
    m_length = length;
    m_materials = std::move(materials);
    // The list took as many faces and edges as were read while it was read (and a face
    // or edge listed twice is settled): the sums are the list's.
    const std::uint64_t read =
        m_sink.GetTriangleCount() + m_sink.GetOtherFaces().size() + m_sink.GetEdgeCount() + m_others.size();
    m_spoilt = m_spoilt || read != length;
    // A point beyond what a box holds, which the count's boxes leave out, is left to the walk.
    for (const CBoundingBox3d* box : {&m_sink.GetTrianglesBox(), &m_sink.GetEdgesBox()}) {
        m_spoilt = m_spoilt || !CBoundingBox3d::CanHold(box->GetMin()) || !CBoundingBox3d::CanHold(box->GetMax());
    }
    m_ended = true;
}
