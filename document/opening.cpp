#include "document/opening.h"

#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/enumopeningloopface.h"
#include "foundation/boundingbox2d.h"
#include "foundation/plane3d.h"
#include "foundation/polygon2d.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/relationship.h"

namespace {

bool IsStrictlyInside(const CPoint2d& point, const std::vector<CPoint2d>& polygon)
{
    return ClassifyPointInPolygon2d(point, polygon.data(), static_cast<int>(polygon.size())) == kPointInPolygon;
}

bool ContainsPolygon(const std::vector<CPoint2d>& outer, const std::vector<CPoint2d>& inner)
{
    for (const CPoint2d& point : inner) {
        if (ClassifyPointInPolygon2d(point, outer.data(), static_cast<int>(outer.size())) == kPointOutsidePolygon) {
            return false;
        }
    }
    return !inner.empty();
}

// The centre of what a relationship glues, projected into the old face's plane.
CPoint2d GluedCentre(const CEntity* glued, const CPlane3d& plane)
{
    CPoint3d centre;
    if (const auto* instance = dynamic_cast<const CComponentInstance*>(glued);
        instance != nullptr && instance->GetDefinition() != nullptr) {
        centre = instance->GetTransform() * instance->GetDefinition()->GetBoundsCenter();
    } else if (const auto* element = dynamic_cast<const CDrawingElement*>(glued)) {
        centre = element->GetBoundingBox().GetCentre();
    }
    CPoint3d projected;
    plane.ProjectPoint(centre, projected);
    return plane.ProjectTo2d(projected);
}

bool OpeningMoves(CRelationship* relationship, ITarnisView* view, const std::vector<CPoint2d>& oldOutline,
                  const std::vector<CPoint2d>& newOutline, bool newInsideOld, const CPlane3d& plane)
{
    COpening opening;
    if (COpening::SetFromRelationship(relationship, view, opening)) {
        const bool inOld = opening.IsInsidePolygon(oldOutline);
        const bool inNew = opening.IsInsidePolygon(newOutline);
        if ((inOld && newInsideOld && inNew) || (!inOld && inNew)) {
            return true;
        }
        if (inOld || inNew) {
            return false;
        }
    }
    return IsStrictlyInside(GluedCentre(relationship->GetSecond(), plane), newOutline);
}

}  // namespace

bool CutsOpening(const CComponentInstance* instance, ITarnisView* view)
{
    const CComponentDefinition* definition = instance != nullptr ? instance->GetDefinition() : nullptr;
    const auto* behavior = definition != nullptr ? dynamic_cast<const CComponentBehavior*>(definition->GetBehavior())
                                                 : nullptr;
    return behavior != nullptr && behavior->CutsOpening() && instance->IsShown(view);
}

bool COpening::SetFromRelationship(CRelationship* relationship, ITarnisView* view, COpening& out)
{
    if (relationship == nullptr || dynamic_cast<CFace*>(relationship->GetFirst()) == nullptr ||
        !CutsOpening(dynamic_cast<CComponentInstance*>(relationship->GetSecond()), view)) {
        return false;
    }
    out.m_relationship = relationship;
    return true;
}

bool COpening::IsInsidePolygon(const std::vector<CPoint2d>& polygon) const
{
    CEnumOpeningLoopFace loops(m_relationship, nullptr);
    for (int i = 0; i < loops.GetCount(); ++i) {
        if (!loops.GetAt(i)->IsInsidePolygon(polygon)) {
            return false;
        }
    }
    return true;
}

void MoveRelationshipsTo(CFace* oldFace, CFace* newFace, ITarnisView* view)
{
    std::vector<CRelationship*> relationships;
    if (oldFace == nullptr || newFace == nullptr || oldFace->CountRelationships(relationships) == 0) {
        return;
    }
    const CPlane3d& plane = oldFace->GetPlane();
    std::vector<CPoint2d> oldOutline;
    std::vector<CPoint2d> newOutline;
    if (oldFace->GetOuterLoop() == nullptr || newFace->GetOuterLoop() == nullptr) {
        return;
    }
    oldFace->GetOuterLoop()->GetPolygon(plane, nullptr, oldOutline);
    newFace->GetOuterLoop()->GetPolygon(plane, nullptr, newOutline);
    const bool newInsideOld = ContainsPolygon(oldOutline, newOutline);
    for (CRelationship* relationship : relationships) {
        if (OpeningMoves(relationship, view, oldOutline, newOutline, newInsideOld, plane)) {
            relationship->SetFirst(newFace);
        }
    }
}
