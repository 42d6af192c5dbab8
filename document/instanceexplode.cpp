#include "document/instanceexplode.h"

#include "annotations/dimensionlinear.h"
#include "annotations/text.h"
#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/entitycopier.h"
#include "document/entitymerger.h"
#include "document/tarnwickmodel.h"

namespace {

void FollowToCopies(const CComponent& component, const CComponentInstance* instance, const CCopier& copier)
{
    const CModelPointRef::CopyLookup copyOf = [&copier](CEntity* source) {
        return dynamic_cast<CEntity*>(copier.GetCopyOf(source));
    };
    for (CDrawingElement* element : component.GetEntityList()) {
        if (auto* text = dynamic_cast<CText*>(element)) {
            CModelPointRef anchor = text->GetAnchor();
            if (anchor.OnInstanceRemoved(instance, copyOf)) {
                text->SetAnchor(anchor, text->GetFaceSide());
            }
        } else if (auto* dimension = dynamic_cast<CDimensionLinear*>(element)) {
            CModelPointRef first = dimension->GetFirstPoint();
            CModelPointRef second = dimension->GetSecondPoint();
            const bool firstMoved = first.OnInstanceRemoved(instance, copyOf);
            if (second.OnInstanceRemoved(instance, copyOf) || firstMoved) {
                dimension->SetPoints(first, second);
            }
        }
    }
}

}  // namespace

std::vector<CEntity*> ExplodeInstance(CComponentInstance* instance, bool onlyInstance)
{
    CComponentDefinition* definition = instance != nullptr ? instance->GetDefinition() : nullptr;
    CComponent* holder = instance != nullptr ? instance->GetParentComponent() : nullptr;
    if (definition == nullptr || holder == nullptr) {
        return {};
    }
    CTarnwickModel* model = holder->GetModel() != nullptr ? holder->GetModel() : GetCurrentModel();
    CCopier copier(model);
    std::vector<CEntity*> copies(definition->GetEntityList().begin(), definition->GetEntityList().end());
    copier.Clone(copies);

    // The copies belong to no component yet, so each moves on its own, all by the
    // one placement.
    CEntityMerger merger(copies);
    merger.Merge(instance->GetTransform());
    holder->AddEntities(copies);

    if (model != nullptr && model->GetRootComponent() != nullptr) {
        CComponent* root = model->GetRootComponent();
        FollowToCopies(*root, instance, copier);
        if (const CDefinitionList* definitions = root->GetDefinitionList()) {
            for (CComponentDefinition* other : definitions->GetDefinitions()) {
                FollowToCopies(*other, instance, copier);
            }
        }
    }
    holder->EraseEntity(instance);
    CDefinitionList* list = dynamic_cast<CDefinitionList*>(definition->GetParent());
    if (onlyInstance && list != nullptr && definition->GetInstanceCount() == 0) {
        list->PurgeDefinition(definition);
    }
    return copies;
}
