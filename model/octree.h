#pragma once
// COctree: a point index over vertices. It finds the vertex at a position (within
// 0.001), making one when asked, and collects the vertices inside a box, so that
// merging and face repair make coincident points share one CVertex. Octrees live in a
// global list under keys of their users' choosing; each listens to the model's
// database so that it never hands out a vertex that was erased.

#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/point3d.h"
#include "model/dblistener.h"

class CVertex;
struct CBoundingBox3d;

class COctree : public CDBListener
{
public:
    COctree();
    // Deletes the nodes; the vertices stay.
    ~COctree() override;
    COctree(const COctree&) = delete;
    COctree& operator=(const COctree&) = delete;

    // The octree kept under the key; a new empty one (registered with the current undo
    // manager, when there is one) when none is.
    static COctree* GetOctree(std::uint32_t key);
    // Unregisters and deletes every kept octree.
    static void DeleteAll();

    // The vertex within 0.001 of the point; a new vertex there when there is none.
    CVertex* FindOrAddVertex(const CPoint3d& point);
    // Enters the vertex, unless one already sits within 0.001 of its point: then that
    // one is answered and the given vertex is not entered.
    CVertex* AddVertex(CVertex* vertex);
    // Empties the vector, then appends every vertex inside the box (bounds inclusive);
    // answers the count.
    int FindVerticesInBox(const CBoundingBox3d& box, std::vector<CVertex*>& vertices) const;
    // Deletes every node. Vertices that the octree made and that never got an edge are
    // erased, since nothing else owns them.
    void Clear();
    [[nodiscard]] bool IsEmpty() const { return m_root == nullptr; }

    // An erased vertex that a node holds is replaced by a new vertex at its point.
    void OnEntityErased(CEntity* entity) override;

private:
    struct Node
    {
        CVertex* vertex = nullptr;
        Node* children[8] = {};
        Node* parent = nullptr;
        bool ownsVertex = false;
    };

    // The node at the point, searched from the node; with create, a node for it is
    // made where the search ends.
    Node* Search(Node* start, const CPoint3d& point, bool create);
    // The node holding a vertex within 0.001 of the point in the subtree; never creates.
    Node* Find(Node* start, const CPoint3d& point) const;
    Node* CreateChild(Node* parent, int octant, const CPoint3d& point);
    Node* NewNode(CVertex* vertex, Node* parent, bool owned);
    CVertex* Lookup(const CPoint3d& point, CVertex* given);

    Node* m_root = nullptr;
    std::vector<std::unique_ptr<Node>> m_nodes;
    CPoint3d m_lookupPoint;
    CVertex* m_lookupVertex = nullptr;
};
