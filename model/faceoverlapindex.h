#pragma once
// CFaceOverlapIndex: the faces of one component in the cells of a uniform grid over
// their boxes, so that the face finder's overlap check looks at the faces near a new
// face instead of at every entity of the component. It follows the component through
// the database events of the current undo manager (faces added, removed or erased), so
// it is made only while an operation records them. A face's cells are those of its box
// when it was indexed; faces only shrink while a finder works (splits), so the cells
// stay a superset and the caller tests the boxes again.

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "foundation/boundingbox3d.h"
#include "model/dblistener.h"

class CComponent;
class CFace;
class CUndoManager;

class CFaceOverlapIndex : public CDBListener
{
public:
    // Indexes the component's faces and listens to the manager (neither is owned).
    CFaceOverlapIndex(CComponent* component, CUndoManager* manager);
    ~CFaceOverlapIndex() override;
    CFaceOverlapIndex(const CFaceOverlapIndex&) = delete;
    CFaceOverlapIndex& operator=(const CFaceOverlapIndex&) = delete;

    // The indexed faces whose cells meet the box, in the component's order.
    void FindNear(const CBoundingBox3d& box, std::vector<CFace*>& out) const;
    [[nodiscard]] int GetFaceCount() const { return static_cast<int>(m_faces.size()); }

    void OnEntityAdded(CEntity* entity, IEntityContainer* container) override;
    void OnEntityRemoved(CEntity* entity, IEntityContainer* container) override;
    void OnEntityErased(CEntity* entity) override;
    void OnModelCleared(CTarnwickModel* model) override;

private:
    struct Entry
    {
        std::uint64_t order = 0;
        std::vector<std::uint64_t> cells;  // empty: in the list of large faces
    };
    struct CellRange
    {
        std::int64_t low[3];
        std::int64_t high[3];
        [[nodiscard]] std::uint64_t GetCount() const;
    };

    void Insert(CFace* face);
    void Remove(const CEntity* entity);
    [[nodiscard]] CellRange GetRange(const CBoundingBox3d& box) const;
    [[nodiscard]] static std::uint64_t Key(std::int64_t x, std::int64_t y, std::int64_t z);

    CComponent* m_component;
    CUndoManager* m_manager;
    double m_cellSize = 1.0;
    std::uint64_t m_nextOrder = 0;
    std::unordered_map<const CFace*, Entry> m_faces;
    std::unordered_map<std::uint64_t, std::vector<CFace*>> m_cells;
    std::vector<CFace*> m_large;
};
