#include "model/entitiesatpoint.h"

#include <memory>

#include "document/component.h"
#include "document/instancepath.h"
#include "foundation/line3d.h"
#include "foundation/point3d.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/faceprojection2d.h"
#include "model/vertex.h"

namespace {

// Any of inside, on an edge, on a vertex.
constexpr int kInsideOrOnBoundary = 0x7;

bool EdgeHitsPoint(const CPoint3d& point, const CEdge& edge)
{
    const CVertex* start = edge.GetStartVertex();
    const CVertex* end = edge.GetEndVertex();
    if (start == nullptr || end == nullptr) {
        return false;
    }
    return IsPointOnSegment(start->GetPosition(), end->GetPosition(), point);
}

bool FaceHitsPoint(const CPoint3d& point, const CFace& face)
{
    if (!point.IsOnPlane(face.GetPlane())) {
        return false;
    }
    const CFaceProjection2d projection(&face);
    return (projection.ClassifyPoint(point) & kInsideOrOnBoundary) != 0;
}

}  // namespace

bool EntityHitsPoint(const CPoint3d& point, CEntity* entity, CInstancePath& path)
{
    bool hit = false;
    if (const auto* edge = dynamic_cast<const CEdge*>(entity)) {
        hit = EdgeHitsPoint(point, *edge);
    } else if (const auto* face = dynamic_cast<const CFace*>(entity)) {
        hit = FaceHitsPoint(point, *face);
    }
    if (hit) {
        path.Push(entity);
    }
    return hit;
}

void FindEntitiesAtPoint(const CPoint3d& point, IEntityIterator* iterator, std::vector<CInstancePath>& found)
{
    if (iterator == nullptr) {
        return;
    }
    CEntity* entity = nullptr;
    while (iterator->Next(entity)) {
        CInstancePath path;
        if (EntityHitsPoint(point, entity, path)) {
            found.push_back(path);
        }
    }
}

void FindComponentEntitiesAtPoint(CComponent* component, const CPoint3d& point, std::vector<CInstancePath>& found)
{
    if (component == nullptr) {
        return;
    }
    const std::unique_ptr<IEntityIterator> iterator(component->NewIterator());
    FindEntitiesAtPoint(point, iterator.get(), found);
}
