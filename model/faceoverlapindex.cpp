#include "model/faceoverlapindex.h"

#include <algorithm>
#include <cmath>

#include "document/component.h"
#include "model/face.h"
#include "model/undomanager.h"

namespace {

// A face (or a query) over more cells than this goes to the large list (or looks at
// every face): the cells would cost more than they save.
constexpr std::uint64_t kMaxCells = 4096;
// Cell indices are kept within 21 bits each so that three fit one key.
constexpr std::int64_t kIndexLimit = (1 << 20) - 1;

}  // namespace

std::uint64_t CFaceOverlapIndex::CellRange::GetCount() const
{
    std::uint64_t count = 1;
    for (int axis = 0; axis < 3; ++axis) {
        count *= static_cast<std::uint64_t>(high[axis] - low[axis] + 1);
    }
    return count;
}

CFaceOverlapIndex::CFaceOverlapIndex(CComponent* component, CUndoManager* manager)
    : m_component(component), m_manager(manager)
{
    std::vector<CFace*> faces;
    double sizes = 0.0;
    for (CDrawingElement* element : m_component->GetEntityList()) {
        if (auto* face = dynamic_cast<CFace*>(element)) {
            const CBoundingBox3d box = face->GetBoundingBox();
            if (!box.IsEmpty()) {
                sizes += std::max({box.xmax - box.xmin, box.ymax - box.ymin, box.zmax - box.zmin});
            }
            faces.push_back(face);
        }
    }
    // Cells about as large as an average face keep a face in a few cells.
    if (!faces.empty() && sizes > 0.0) {
        m_cellSize = std::max(sizes / static_cast<double>(faces.size()), 1e-3);
    }
    for (CFace* face : faces) {
        Insert(face);
    }
    if (m_manager != nullptr) {
        m_manager->AddDBListener(this);
    }
}

CFaceOverlapIndex::~CFaceOverlapIndex()
{
    if (m_manager != nullptr) {
        m_manager->RemoveDBListener(this);
    }
}

std::uint64_t CFaceOverlapIndex::Key(std::int64_t x, std::int64_t y, std::int64_t z)
{
    const auto bits = [](std::int64_t value) { return static_cast<std::uint64_t>(value + kIndexLimit) & 0x1FFFFF; };
    return bits(x) | (bits(y) << 21) | (bits(z) << 42);
}

CFaceOverlapIndex::CellRange CFaceOverlapIndex::GetRange(const CBoundingBox3d& box) const
{
    const double low[3] = {box.xmin, box.ymin, box.zmin};
    const double high[3] = {box.xmax, box.ymax, box.zmax};
    const auto cell = [this](double value) {
        const double index = std::floor(value / m_cellSize);
        return static_cast<std::int64_t>(std::clamp(index, -static_cast<double>(kIndexLimit),
                                                    static_cast<double>(kIndexLimit)));
    };
    CellRange range{};
    for (int axis = 0; axis < 3; ++axis) {
        range.low[axis] = cell(low[axis]);
        range.high[axis] = cell(high[axis]);
    }
    return range;
}

void CFaceOverlapIndex::Insert(CFace* face)
{
    if (m_faces.count(face) != 0) {
        return;
    }
    Entry& entry = m_faces[face];
    entry.order = m_nextOrder++;
    const CBoundingBox3d box = face->GetBoundingBox();
    const CellRange range = GetRange(box);
    if (box.IsEmpty() || !std::isfinite(box.xmin + box.xmax + box.ymin + box.ymax + box.zmin + box.zmax) ||
        range.GetCount() > kMaxCells) {
        m_large.push_back(face);
        return;
    }
    for (std::int64_t x = range.low[0]; x <= range.high[0]; ++x) {
        for (std::int64_t y = range.low[1]; y <= range.high[1]; ++y) {
            for (std::int64_t z = range.low[2]; z <= range.high[2]; ++z) {
                entry.cells.push_back(Key(x, y, z));
                m_cells[entry.cells.back()].push_back(face);
            }
        }
    }
}

void CFaceOverlapIndex::Remove(const CEntity* entity)
{
    const auto* face = dynamic_cast<const CFace*>(entity);
    const auto found = face != nullptr ? m_faces.find(face) : m_faces.end();
    if (found == m_faces.end()) {
        return;
    }
    if (found->second.cells.empty()) {
        std::erase(m_large, face);
    }
    for (const std::uint64_t key : found->second.cells) {
        const auto cell = m_cells.find(key);
        if (cell != m_cells.end()) {
            std::erase(cell->second, face);
        }
    }
    m_faces.erase(found);
}

void CFaceOverlapIndex::FindNear(const CBoundingBox3d& box, std::vector<CFace*>& out) const
{
    std::vector<std::pair<std::uint64_t, CFace*>> near;
    const CellRange range = GetRange(box);
    const auto add = [this, &near](CFace* face) { near.emplace_back(m_faces.at(face).order, face); };
    if (box.IsEmpty() || range.GetCount() > kMaxCells) {
        for (const auto& [face, entry] : m_faces) {
            near.emplace_back(entry.order, const_cast<CFace*>(face));
        }
    } else {
        for (std::int64_t x = range.low[0]; x <= range.high[0]; ++x) {
            for (std::int64_t y = range.low[1]; y <= range.high[1]; ++y) {
                for (std::int64_t z = range.low[2]; z <= range.high[2]; ++z) {
                    const auto cell = m_cells.find(Key(x, y, z));
                    if (cell != m_cells.end()) {
                        std::for_each(cell->second.begin(), cell->second.end(), add);
                    }
                }
            }
        }
        std::for_each(m_large.begin(), m_large.end(), add);
    }
    std::sort(near.begin(), near.end());
    near.erase(std::unique(near.begin(), near.end()), near.end());
    for (const auto& [order, face] : near) {
        out.push_back(face);
    }
}

void CFaceOverlapIndex::OnEntityAdded(CEntity* entity, IEntityContainer* container)
{
    if (container == static_cast<IEntityContainer*>(m_component)) {
        if (auto* face = dynamic_cast<CFace*>(entity)) {
            Insert(face);
        }
    }
}

void CFaceOverlapIndex::OnEntityRemoved(CEntity* entity, IEntityContainer* container)
{
    if (container == static_cast<IEntityContainer*>(m_component)) {
        Remove(entity);
    }
}

void CFaceOverlapIndex::OnEntityErased(CEntity* entity)
{
    Remove(entity);
}

void CFaceOverlapIndex::OnModelCleared(CTarnwickModel* /*model*/)
{
    m_faces.clear();
    m_cells.clear();
    m_large.clear();
}
