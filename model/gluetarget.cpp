#include "model/gluetarget.h"

#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/instancepath.h"
#include "foundation/boundingbox3d.h"
#include "foundation/plane3d.h"
#include "foundation/transformation.h"
#include "model/entitiesatpoint.h"
#include "model/entityset.h"
#include "model/face.h"

CPoint3d GetInstanceReferencePoint(const CComponentInstance* instance, bool centre)
{
    if (instance == nullptr) {
        return {};
    }
    CBoundingBox3d box;
    box.SetEmpty();
    if (const CComponentDefinition* definition = instance->GetDefinition()) {
        const CTransformation identity;
        for (const CDrawingElement* element : definition->GetEntityList()) {
            if (element != nullptr) {
                element->AccumulateExtents(identity, box);
            }
        }
    }
    CPoint3d point = box.IsEmpty() ? CPoint3d() : (centre ? box.GetCentre() : box.GetMin());
    point.z = 0.0;
    return instance->GetTransform() * point;
}

CDrawingElement* FindGlueTarget(const CComponentInstance* instance, CComponent* context, const CEntitySet* excluded,
                                bool centre)
{
    if (instance == nullptr || context == nullptr) {
        return nullptr;
    }
    const CTransformation& transform = instance->GetTransform();
    const CPlane3d base(transform.GetOrigin(), CVector3d(transform.GetZAxis()));
    std::vector<CInstancePath> paths;
    FindComponentEntitiesAtPoint(context, GetInstanceReferencePoint(instance, centre), paths);
    for (const CInstancePath& path : paths) {
        if (excluded != nullptr && excluded->Contains(path.Front())) {
            continue;
        }
        auto* face = dynamic_cast<CFace*>(path.Back());
        if (face == nullptr) {
            continue;
        }
        CTransformation placement;
        path.GetTransform(placement);
        CPlane3d plane = face->GetPlane();
        placement.TransformPlane(plane);
        if (plane.IsEqual(base, false)) {
            CComponentInstance* outermost = path.GetInstance(0);
            return outermost != nullptr ? static_cast<CDrawingElement*>(outermost) : face;
        }
    }
    return nullptr;
}
