#pragma once
// Finding the edges and faces that lie at a point, the query the entity merge uses to
// learn what a reference point touches.

#include <vector>

class CComponent;
class CEntity;
class CInstancePath;
class IEntityIterator;
struct CPoint3d;

// True when the entity lies at the point: an edge within 0.001 of its segment, a face
// within 0.001 of its plane and inside or on the boundary of its loops. On a hit the
// entity is pushed onto the path. Other entities never hit. Null never hits.
[[nodiscard]] bool EntityHitsPoint(const CPoint3d& point, CEntity* entity, CInstancePath& path);

// For each entity of the iterator that hits the point, the path to it is appended to
// the output. A null iterator finds nothing.
void FindEntitiesAtPoint(const CPoint3d& point, IEntityIterator* iterator, std::vector<CInstancePath>& found);

// FindEntitiesAtPoint over the component's entities. A null component finds nothing.
void FindComponentEntitiesAtPoint(CComponent* component, const CPoint3d& point, std::vector<CInstancePath>& found);
