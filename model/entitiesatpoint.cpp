#include "model/entitiesatpoint.h"

#include <memory>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
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

// Whether an instance of the definition is on the path already: a definition that
// places itself ends the walk where it comes round again.
bool IsOnPath(const CComponentDefinition* definition, const CInstancePath& path)
{
    for (int i = 0; i < path.GetCount(); ++i) {
        const auto* instance = dynamic_cast<const CComponentInstance*>(path.GetAt(i));
        if (instance != nullptr && instance->GetDefinition() == definition) {
            return true;
        }
    }
    return false;
}

// The instance joins the path; what it places is asked with the point in the
// definition's coordinates, up to the first hit. A miss leaves the path as it was, so
// that a later hit beside the instance is not reported inside it.
bool InstanceHitsPoint(const CPoint3d& point, CComponentInstance& instance, CInstancePath& path)
{
    CComponentDefinition* definition = instance.GetDefinition();
    CTransformation inverse;
    if (definition == nullptr || IsOnPath(definition, path) || !instance.GetTransform().GetInverse(inverse)) {
        return false;
    }
    path.Push(&instance);
    const CPoint3d local = inverse * point;
    const std::unique_ptr<IEntityIterator> iterator(definition->NewIterator());
    CEntity* entity = nullptr;
    while (iterator->Next(entity)) {
        if (EntityHitsPoint(local, entity, path)) {
            return true;
        }
    }
    path.Pop();
    return false;
}

}  // namespace

bool EntityHitsPoint(const CPoint3d& point, CEntity* entity, CInstancePath& path)
{
    if (auto* instance = dynamic_cast<CComponentInstance*>(entity)) {
        return InstanceHitsPoint(point, *instance, path);
    }
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
