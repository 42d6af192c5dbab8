#include "model/octree.h"

#include <algorithm>
#include <cmath>

#include "foundation/boundingbox3d.h"
#include "model/undomanager.h"
#include "model/undosuspender.h"
#include "model/vertex.h"

namespace {

constexpr int kBitX = 4;
constexpr int kBitY = 2;
constexpr int kBitZ = 1;
// Entries a leaf holds before it splits, and the half size below which it no longer
// does: points kept 0.001 apart fill such a cube with a few hundred at most.
constexpr std::size_t kLeafCapacity = 8;
constexpr double kSmallestHalf = 0.004;
constexpr double kFirstHalf = 1.0;
// The first cube is centred off the first point by odd amounts: points on a round grid
// then seldom lie on split planes, where a search must look on both sides.
const CVector3d kFirstOffset(0.318309886, 0.235702260, 0.141421356);

struct KeyedOctree
{
    std::unique_ptr<COctree> octree;
    std::uint32_t key;
};

// Newest first.
std::vector<KeyedOctree>& Entries()
{
    static std::vector<KeyedOctree> entries;
    return entries;
}

bool IsFinite(const CPoint3d& p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

int OctantOf(const CPoint3d& centre, const CPoint3d& p)
{
    return (p.x >= centre.x ? kBitX : 0) | (p.y >= centre.y ? kBitY : 0) | (p.z >= centre.z ? kBitZ : 0);
}

CPoint3d ChildCentre(const CPoint3d& centre, double half, int octant)
{
    const double q = half / 2;
    return {centre.x + ((octant & kBitX) != 0 ? q : -q), centre.y + ((octant & kBitY) != 0 ? q : -q),
            centre.z + ((octant & kBitZ) != 0 ? q : -q)};
}

bool CubeHolds(const CPoint3d& centre, double half, const CPoint3d& p)
{
    return std::fabs(p.x - centre.x) <= half && std::fabs(p.y - centre.y) <= half && std::fabs(p.z - centre.z) <= half;
}

bool CubeMeets(const CPoint3d& centre, double half, const CPoint3d& low, const CPoint3d& high)
{
    return centre.x + half >= low.x && centre.x - half <= high.x && centre.y + half >= low.y &&
           centre.y - half <= high.y && centre.z + half >= low.z && centre.z - half <= high.z;
}

} // namespace

COctree::COctree() = default;

COctree::~COctree() = default;

COctree* COctree::GetOctree(std::uint32_t key)
{
    for (const KeyedOctree& entry : Entries()) {
        if (entry.key == key) {
            return entry.octree.get();
        }
    }
    auto& entries = Entries();
    entries.insert(entries.begin(), KeyedOctree{std::make_unique<COctree>(), key});
    if (CUndoManager* manager = GetCurrentUndoManager()) {
        manager->AddDBListener(entries.front().octree.get());
    }
    return entries.front().octree.get();
}

void COctree::DeleteAll()
{
    auto& entries = Entries();
    CUndoManager* manager = GetCurrentUndoManager();
    for (KeyedOctree& entry : entries) {
        if (manager != nullptr) {
            manager->RemoveDBListener(entry.octree.get());
        }
        entry.octree->Clear();
    }
    entries.clear();
}

CVertex* COctree::FindOrAddVertex(const CPoint3d& point)
{
    return Lookup(point, nullptr);
}

CVertex* COctree::AddVertex(CVertex* vertex)
{
    return vertex == nullptr ? nullptr : Lookup(vertex->GetPosition(), vertex);
}

CVertex* COctree::Lookup(const CPoint3d& point, CVertex* given)
{
    const int near = FindNear(point);
    if (near >= 0) {
        return m_entries[static_cast<std::size_t>(near)].vertex;
    }
    const bool owned = given == nullptr;
    m_entries.push_back(Entry{point, owned ? new CVertex(point) : given, owned});
    Insert(static_cast<int>(m_entries.size()) - 1);
    return m_entries.back().vertex;
}

int COctree::FindNear(const CPoint3d& point) const
{
    int best = -1;
    const auto consider = [&](int index) {
        if ((best < 0 || index < best) && m_entries[static_cast<std::size_t>(index)].point.IsEqual(point)) {
            best = index;
        }
    };
    if (!IsFinite(point)) {
        std::for_each(m_loose.begin(), m_loose.end(), consider);
        return best;
    }
    const CVector3d reach(kLengthTolerance, kLengthTolerance, kLengthTolerance);
    VisitCells(point + (-reach), point + reach, consider);
    return best;
}

template <typename Visit>
void COctree::VisitCells(const CPoint3d& low, const CPoint3d& high, Visit visit) const
{
    if (m_root < 0) {
        return;
    }
    int pending[512];
    std::vector<int> overflow;
    int count = 0;
    pending[count++] = m_root;
    while (count > 0 || !overflow.empty()) {
        int index = 0;
        if (!overflow.empty()) {
            index = overflow.back();
            overflow.pop_back();
        } else {
            index = pending[--count];
        }
        const Cell& cell = m_cells[static_cast<std::size_t>(index)];
        if (!CubeMeets(cell.centre, cell.half, low, high)) {
            continue;
        }
        std::for_each(cell.entries.begin(), cell.entries.end(), visit);
        if (!cell.split) {
            continue;
        }
        // Only the octants the box reaches: a box around one point mostly reaches one.
        // Both sides count as reached at the centre, since a root outgrown by a
        // point keeps entries on its old rim, which is the new centre.
        const int reachLow = (low.x <= cell.centre.x ? kBitX : 0) | (low.y <= cell.centre.y ? kBitY : 0) |
                             (low.z <= cell.centre.z ? kBitZ : 0);
        const int reachHigh = (high.x >= cell.centre.x ? kBitX : 0) | (high.y >= cell.centre.y ? kBitY : 0) |
                              (high.z >= cell.centre.z ? kBitZ : 0);
        for (int octant = 0; octant < 8; ++octant) {
            const int child = cell.children[octant];
            // Every axis must reach the octant's half: the upper through reachHigh, the
            // lower through reachLow.
            if (child < 0 || (octant & ~reachHigh) != 0 || (~octant & 7 & ~reachLow) != 0) {
                continue;
            }
            if (count < 512) {
                pending[count++] = child;
            } else {
                overflow.push_back(child);
            }
        }
    }
}

void COctree::Insert(int entry)
{
    const CPoint3d& point = m_entries[static_cast<std::size_t>(entry)].point;
    if (!IsFinite(point)) {
        m_loose.push_back(entry);
        return;
    }
    if (m_root < 0) {
        m_root = NewCell(point + kFirstOffset, kFirstHalf);
    }
    GrowToReach(point);
    int index = m_root;
    while (m_cells[static_cast<std::size_t>(index)].split) {
        Cell& cell = m_cells[static_cast<std::size_t>(index)];
        const int octant = OctantOf(cell.centre, point);
        if (cell.children[octant] < 0) {
            const int child = NewCell(ChildCentre(cell.centre, cell.half, octant), cell.half / 2);
            m_cells[static_cast<std::size_t>(index)].children[octant] = child;
        }
        index = m_cells[static_cast<std::size_t>(index)].children[octant];
    }
    Cell& leaf = m_cells[static_cast<std::size_t>(index)];
    leaf.entries.push_back(entry);
    if (leaf.entries.size() > kLeafCapacity && leaf.half > kSmallestHalf) {
        SplitCell(index);
    }
}

void COctree::GrowToReach(const CPoint3d& point)
{
    // Each step doubles the root towards the point, the old root becoming one octant.
    while (!CubeHolds(m_cells[static_cast<std::size_t>(m_root)].centre, m_cells[static_cast<std::size_t>(m_root)].half,
                      point)) {
        const Cell& old = m_cells[static_cast<std::size_t>(m_root)];
        const double half = old.half;
        const CPoint3d centre(old.centre.x + (point.x >= old.centre.x ? half : -half),
                              old.centre.y + (point.y >= old.centre.y ? half : -half),
                              old.centre.z + (point.z >= old.centre.z ? half : -half));
        const int oldRoot = m_root;
        const int octant = OctantOf(centre, old.centre);
        m_root = NewCell(centre, half * 2);
        Cell& root = m_cells[static_cast<std::size_t>(m_root)];
        root.split = true;
        root.children[octant] = oldRoot;
    }
}

void COctree::SplitCell(int index)
{
    std::vector<int> entries;
    entries.swap(m_cells[static_cast<std::size_t>(index)].entries);
    m_cells[static_cast<std::size_t>(index)].split = true;
    for (const int entry : entries) {
        const CPoint3d& point = m_entries[static_cast<std::size_t>(entry)].point;
        const Cell& cell = m_cells[static_cast<std::size_t>(index)];
        const int octant = OctantOf(cell.centre, point);
        if (cell.children[octant] < 0) {
            const int child = NewCell(ChildCentre(cell.centre, cell.half, octant), cell.half / 2);
            m_cells[static_cast<std::size_t>(index)].children[octant] = child;
        }
        m_cells[static_cast<std::size_t>(m_cells[static_cast<std::size_t>(index)].children[octant])].entries.push_back(
            entry);
    }
}

int COctree::NewCell(const CPoint3d& centre, double half)
{
    Cell cell;
    cell.centre = centre;
    cell.half = half;
    m_cells.push_back(std::move(cell));
    return static_cast<int>(m_cells.size()) - 1;
}

int COctree::FindVerticesInBox(const CBoundingBox3d& box, std::vector<CVertex*>& vertices) const
{
    vertices.clear();
    const auto collect = [&](int index) {
        const Entry& entry = m_entries[static_cast<std::size_t>(index)];
        if (box.Contains(entry.point)) {
            vertices.push_back(entry.vertex);
        }
    };
    VisitCells(CPoint3d(box.xmin, box.ymin, box.zmin), CPoint3d(box.xmax, box.ymax, box.zmax), collect);
    std::for_each(m_loose.begin(), m_loose.end(), collect);
    return static_cast<int>(vertices.size());
}

void COctree::Clear()
{
    std::vector<CVertex*> unused;
    for (const Entry& entry : m_entries) {
        if (entry.ownsVertex && entry.vertex != nullptr && !entry.vertex->HasEdges()) {
            unused.push_back(entry.vertex);
        }
    }
    // Emptied first, so that the erase notifications find no entry to refill.
    m_entries.clear();
    m_cells.clear();
    m_loose.clear();
    m_root = -1;
    for (CVertex* vertex : unused) {
        vertex->Erase();
    }
}

void COctree::OnEntityErased(CEntity* entity)
{
    auto* vertex = dynamic_cast<CVertex*>(entity);
    if (vertex == nullptr || m_entries.empty()) {
        return;
    }
    const CPoint3d& point = vertex->GetPosition();
    const auto replace = [&](int index) {
        Entry& entry = m_entries[static_cast<std::size_t>(index)];
        if (entry.vertex == vertex) {
            entry.vertex = new CVertex(entry.point);
            entry.ownsVertex = true;
        }
    };
    if (!IsFinite(point)) {
        std::for_each(m_loose.begin(), m_loose.end(), replace);
        return;
    }
    const CVector3d reach(kLengthTolerance, kLengthTolerance, kLengthTolerance);
    VisitCells(point + (-reach), point + reach, replace);
}
