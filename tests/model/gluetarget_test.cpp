// The face a component instance stands on, and instances glued to it by a merge.

#include "model/gluetarget.h"

#include <gtest/gtest.h>

#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "model/entityset.h"
#include "model/mergecontroller.h"
#include "model/relationshipmap.h"
#include "tests/model/geometrytestsupport.h"

namespace {

using geometrytest::Face;
using geometrytest::RecordingModel;
using geometrytest::Vertex;

// An instance at the offset of a definition whose one face floats at z = 2 above
// its own origin, placed in the component.
CComponentInstance* PlaceInstance(CComponent& component, const CVector3d& offset)
{
    auto* definition = new CComponentDefinition;
    component.GetDefinitionList()->Add(definition);
    Face(*definition, {Vertex(0.5, 0.5, 2), Vertex(1, 0.5, 2), Vertex(1, 1, 2), Vertex(0.5, 1, 2)});
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    CTransformation placement;
    placement.SetTranslation(offset);
    instance->SetTransform(placement);
    component.Add(instance);
    return instance;
}

TEST(GlueTarget, AnInstanceFindsTheFaceUnderItsBaseInEitherOrientation)
{
    const struct {
        CVector3d offset;
        bool reversed;
        bool found;
    } cases[] = {{{1, 1, 0}, false, true}, {{1, 1, 0}, true, true}, {{1, 1, 1}, false, false}, {{9, 9, 0}, false, false}};
    for (const auto& c : cases) {
        RecordingModel model;
        CComponent& component = model.Component();
        CFace* floor = Face(component, {Vertex(0, 0), Vertex(4, 0), Vertex(4, 4), Vertex(0, 4)});
        if (c.reversed) {
            floor->Reverse();
        }
        CComponentInstance* instance = PlaceInstance(component, c.offset);
        const CPoint3d reference = GetInstanceReferencePoint(instance, false);
        EXPECT_DOUBLE_EQ(reference.z, c.offset.z);
        EXPECT_DOUBLE_EQ(reference.x, c.offset.x + 0.5);
        CEntitySet excluded;
        excluded.Add(instance);
        EXPECT_EQ(FindGlueTarget(instance, &component, &excluded, false) == floor, c.found) << c.offset.x;
    }
}

TEST(GlueTarget, AMergeGluesANewInstanceToItsFace)
{
    RecordingModel model;
    CComponent& component = model.Component();
    Face(component, {Vertex(0, 0), Vertex(4, 0), Vertex(4, 4), Vertex(0, 4)});
    CComponentInstance* instance = PlaceInstance(component, {1, 1, 0});
    CEntitySet set;
    set.Add(instance);
    const int before = component.GetRelationshipMap()->GetCount();
    CMergeController controller(&component, &set);
    EXPECT_TRUE(controller.Merge(true, true));
    EXPECT_EQ(component.GetRelationshipMap()->GetCount(), before + 1);
}

} // namespace
