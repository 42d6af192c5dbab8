#pragma once
// COctree: a point index over vertices. It finds the vertex at a position (within
// 0.001), making one when asked, and collects the vertices inside a box, so that
// merging and face repair make coincident points share one CVertex. Octrees live in a
// global list under keys of their users' choosing; each listens to the model's
// database so that it never hands out a vertex that was erased. The cubes split at
// their centres, so the depth follows the spread of the points and not the order they
// come in (grid-ordered points made a vertex-split tree as deep as a row was long).
// Where several vertices lie within 0.001 of a point, the one entered first answers.

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
    [[nodiscard]] bool IsEmpty() const { return m_entries.empty(); }

    // An erased vertex that a node holds is replaced by a new vertex at its point.
    void OnEntityErased(CEntity* entity) override;

private:
    // A vertex as entered, with the point it was entered at; kept in entry order.
    struct Entry
    {
        CPoint3d point;
        CVertex* vertex = nullptr;
        bool ownsVertex = false;
    };
    // A cube split at its centre. A leaf lists its entries; a split cell has up to
    // eight children, indexed by octant (x >= centre gives 4, y 2, z 1).
    struct Cell
    {
        CPoint3d centre;
        double half = 0.0;
        int children[8] = {-1, -1, -1, -1, -1, -1, -1, -1};
        std::vector<int> entries;
        bool split = false;
    };

    CVertex* Lookup(const CPoint3d& point, CVertex* given);
    // The first entered entry within 0.001 of the point; -1 when none is.
    [[nodiscard]] int FindNear(const CPoint3d& point) const;
    // Calls visit with every entry index whose cell may meet the box.
    template <typename Visit>
    void VisitCells(const CPoint3d& low, const CPoint3d& high, Visit visit) const;
    void Insert(int entry);
    void GrowToReach(const CPoint3d& point);
    void SplitCell(int cell);
    int NewCell(const CPoint3d& centre, double half);

    std::vector<Entry> m_entries;
    std::vector<Cell> m_cells;
    int m_root = -1;
    // Entries at points no cube can hold (not finite), searched one by one.
    std::vector<int> m_loose;
};
