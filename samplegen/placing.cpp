#include "samplegen/placing.h"

#include <algorithm>
#include <cmath>

#include "document/camera.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/tarnwickmodel.h"
#include "foundation/transformation.h"
#include "platform/cstring.h"

int ColumnsFor(int count)
{
    return static_cast<int>(std::ceil(std::sqrt(static_cast<double>(std::max(count, 1)))));
}

CComponentDefinition* AddDefinition(CTarnwickModel& model, std::string_view name)
{
    auto* definition = new CComponentDefinition;
    definition->SetName(CString::FromUtf8(name));
    model.GetRootComponent()->GetDefinitionList()->Add(definition);
    return definition;
}

int PlaceField(CComponent& into, CComponentDefinition& placed, int count, const CVector3d& step)
{
    const int columns = ColumnsFor(count);
    for (int i = 0; i < count; ++i) {
        auto* instance = new CComponentInstance;
        placed.AddInstance(instance);
        CTransformation transform;
        transform.SetTranslation(CVector3d(step.x * (i % columns), step.y * (i / columns), 0.0));
        instance->SetTransform(transform);
        into.Add(instance);
    }
    return columns;
}

void PlaceStacked(CComponent& into, CComponentDefinition& placed, int count)
{
    for (int i = 0; i < count; ++i) {
        auto* instance = new CComponentInstance;
        placed.AddInstance(instance);
        into.Add(instance);
    }
}

void LookDownOnField(CTarnwickModel& model, double side, bool perspective)
{
    const CPoint3d target(side / 2.0, side / 2.0, 0.0);
    CCamera camera;
    camera.SetView(CPoint3d(target.x, target.y, 2.0 * side), target, CVector3d(0.0, 1.0, 0.0), 1.0, 1000.0,
                   perspective, 35.0, side);
    model.SetCamera(camera);
}

void LookFromSouthOnField(CTarnwickModel& model, double side)
{
    const CPoint3d target(side / 2.0, side / 2.0, 0.0);
    CCamera camera;
    camera.SetView(CPoint3d(target.x, target.y - 1.2 * side, 1.2 * side), target, CVector3d(0.0, 0.0, 1.0), 1.0,
                   1000.0, true, 35.0, side);
    model.SetCamera(camera);
}
