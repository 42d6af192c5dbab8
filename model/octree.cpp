#include "model/octree.h"

#include <cmath>

#include "foundation/boundingbox3d.h"
#include "model/undomanager.h"
#include "model/undosuspender.h"
#include "model/vertex.h"

namespace {

constexpr int kBitX = 4;
constexpr int kBitY = 2;
constexpr int kBitZ = 1;

struct Entry
{
    std::unique_ptr<COctree> octree;
    std::uint32_t key;
};

// Newest first.
std::vector<Entry>& Entries()
{
    static std::vector<Entry> entries;
    return entries;
}

// The octant of the point against the split point, and the bits of the axes on which
// the two lie within 0.001 of each other. True when the point is the split point.
bool Classify(const CPoint3d& split, const CPoint3d& point, int& octant, int& nearBits)
{
    octant = (point.x >= split.x ? kBitX : 0) | (point.y >= split.y ? kBitY : 0) | (point.z >= split.z ? kBitZ : 0);
    nearBits = (std::fabs(split.x - point.x) < kLengthTolerance ? kBitX : 0) |
               (std::fabs(split.y - point.y) < kLengthTolerance ? kBitY : 0) |
               (std::fabs(split.z - point.z) < kLengthTolerance ? kBitZ : 0);
    return nearBits == (kBitX | kBitY | kBitZ) && split.IsEqual(point);
}

// The neighbouring octants a point near the split planes may have landed in, in the
// order they are searched.
int NeighbourOctants(int octant, int nearBits, int out[7])
{
    if (nearBits == (kBitX | kBitY | kBitZ)) {
        const int flips[7] = {4, 6, 7, 3, 1, 5, 2};
        for (int i = 0; i < 7; ++i) {
            out[i] = octant ^ flips[i];
        }
        return 7;
    }
    const int low = nearBits & -nearBits;
    const int high = nearBits ^ low;
    if (high == 0) {
        out[0] = octant ^ low;
        return nearBits == 0 ? 0 : 1;
    }
    out[0] = octant ^ high;
    out[1] = octant ^ high ^ low;
    out[2] = octant ^ low;
    return 3;
}

} // namespace

COctree::COctree() = default;

COctree::~COctree() = default;

COctree* COctree::GetOctree(std::uint32_t key)
{
    for (const Entry& entry : Entries()) {
        if (entry.key == key) {
            return entry.octree.get();
        }
    }
    auto& entries = Entries();
    entries.insert(entries.begin(), Entry{std::make_unique<COctree>(), key});
    if (CUndoManager* manager = GetCurrentUndoManager()) {
        manager->AddDBListener(entries.front().octree.get());
    }
    return entries.front().octree.get();
}

void COctree::DeleteAll()
{
    auto& entries = Entries();
    CUndoManager* manager = GetCurrentUndoManager();
    for (Entry& entry : entries) {
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
    m_lookupPoint = point;
    m_lookupVertex = given;
    Node* node = nullptr;
    if (m_root == nullptr) {
        m_root = NewNode(given != nullptr ? given : new CVertex(point), nullptr, given == nullptr);
        node = m_root;
    } else {
        node = Search(m_root, point, true);
    }
    m_lookupVertex = nullptr;
    return node != nullptr ? node->vertex : nullptr;
}

COctree::Node* COctree::Search(Node* start, const CPoint3d& point, bool create)
{
    // The path through the own octants is followed in a loop; only the side searches
    // near a split plane branch, and they never create.
    Node* node = start;
    while (node != nullptr) {
        int octant = 0;
        int nearBits = 0;
        if (Classify(node->vertex->GetPosition(), point, octant, nearBits)) {
            return node;
        }
        int neighbours[7];
        const int count = NeighbourOctants(octant, nearBits, neighbours);
        for (int i = 0; i < count; ++i) {
            if (Node* found = Find(node->children[neighbours[i]], point)) {
                return found;
            }
        }
        if (node->children[octant] == nullptr) {
            return create ? CreateChild(node, octant, point) : nullptr;
        }
        node = node->children[octant];
    }
    return nullptr;
}

COctree::Node* COctree::Find(Node* start, const CPoint3d& point) const
{
    // Depth first in the order of the recursive search, on a stack of its own so that a
    // deep tree cannot exhaust the call stack.
    std::vector<Node*> pending;
    if (start != nullptr) {
        pending.push_back(start);
    }
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        int octant = 0;
        int nearBits = 0;
        if (Classify(node->vertex->GetPosition(), point, octant, nearBits)) {
            return node;
        }
        int order[8];
        const int count = NeighbourOctants(octant, nearBits, order);
        order[count] = octant;
        for (int i = count; i >= 0; --i) {
            if (Node* child = node->children[order[i]]) {
                pending.push_back(child);
            }
        }
    }
    return nullptr;
}

COctree::Node* COctree::CreateChild(Node* parent, int octant, const CPoint3d& point)
{
    const bool owned = m_lookupVertex == nullptr;
    if (owned) {
        m_lookupVertex = new CVertex(point);
    }
    Node* node = NewNode(m_lookupVertex, parent, owned);
    parent->children[octant] = node;
    return node;
}

COctree::Node* COctree::NewNode(CVertex* vertex, Node* parent, bool owned)
{
    auto node = std::make_unique<Node>();
    node->vertex = vertex;
    node->parent = parent;
    node->ownsVertex = owned;
    m_nodes.push_back(std::move(node));
    return m_nodes.back().get();
}

int COctree::FindVerticesInBox(const CBoundingBox3d& box, std::vector<CVertex*>& vertices) const
{
    vertices.clear();
    std::vector<const Node*> pending;
    if (m_root != nullptr) {
        pending.push_back(m_root);
    }
    while (!pending.empty()) {
        const Node* node = pending.back();
        pending.pop_back();
        const CPoint3d& v = node->vertex->GetPosition();
        if (box.Contains(v)) {
            vertices.push_back(node->vertex);
        }
        for (int octant = 0; octant < 8; ++octant) {
            const Node* child = node->children[octant];
            const bool skip = ((octant & kBitX) != 0 ? v.x > box.xmax : v.x < box.xmin) ||
                              ((octant & kBitY) != 0 ? v.y > box.ymax : v.y < box.ymin) ||
                              ((octant & kBitZ) != 0 ? v.z > box.zmax : v.z < box.zmin);
            if (child != nullptr && !skip) {
                pending.push_back(child);
            }
        }
    }
    return static_cast<int>(vertices.size());
}

void COctree::Clear()
{
    std::vector<CVertex*> unused;
    for (const auto& node : m_nodes) {
        if (node->ownsVertex && node->vertex != nullptr && !node->vertex->HasEdges()) {
            unused.push_back(node->vertex);
        }
    }
    // Emptied first, so that the erase notifications find no node to refill.
    m_nodes.clear();
    m_root = nullptr;
    for (CVertex* vertex : unused) {
        vertex->Erase();
    }
}

void COctree::OnEntityErased(CEntity* entity)
{
    auto* vertex = dynamic_cast<CVertex*>(entity);
    if (vertex == nullptr || m_root == nullptr) {
        return;
    }
    Node* node = Find(m_root, vertex->GetPosition());
    if (node != nullptr && node->vertex == vertex) {
        node->vertex = new CVertex(vertex->GetPosition());
        node->ownsVertex = true;
    }
}
