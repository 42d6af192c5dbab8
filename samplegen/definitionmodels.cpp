#include "samplegen/definitionmodels.h"

#include <string>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/tarnwickmodel.h"
#include "foundation/transformation.h"
#include "model/undosuspender.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/placing.h"

void BuildTriangleDefinitionsModel(CTarnwickModel& model, int definitionCount)
{
    const CUndoSuspender suspender;
    const CurrentModelScope scope(&model);
    const CVector3d up(0.0, 0.0, 1.0);
    const int columns = ColumnsFor(definitionCount);
    for (int i = 0; i < definitionCount; ++i) {
        CComponentDefinition* definition = AddDefinition(model, "Triangle#" + std::to_string(i + 1));
        const CGeometryBuilder builder(*definition);
        (void)builder.Face({builder.Vertex(CPoint3d(0, 0, 0)), builder.Vertex(CPoint3d(1, 0, 0)),
                            builder.Vertex(CPoint3d(0, 1 + i % 3, 0))},
                           up);
        definition->SetThumbnailWaiting(true);
        auto* instance = new CComponentInstance;
        definition->AddInstance(instance);
        CTransformation transform;
        transform.SetTranslation(CVector3d(2.0 * (i % columns), 2.0 * (i / columns), 0.0));
        instance->SetTransform(transform);
        model.GetRootComponent()->Add(instance);
    }
    LookFromSouthOnField(model, 2.0 * columns);
}
