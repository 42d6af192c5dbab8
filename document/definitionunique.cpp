#include "document/definitionunique.h"

#include <memory>

#include "annotations/dimensionlinear.h"
#include "annotations/text.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/entitycopier.h"
#include "document/fontmanager.h"
#include "document/layermanager.h"
#include "document/materialmanager.h"
#include "document/tarnwickmodel.h"
#include "model/entityset.h"
#include "model/filterediterator.h"
#include "model/notinsetmatch.h"

namespace {

// Texts and linear dimensions whose attachments pass through the instance follow it to
// the copied entities; each change goes through the owner, which records it.
void MoveAnnotations(const CComponent& component, const CComponentInstance* instance, const CCopier& copier)
{
    const CModelPointRef::CopyLookup copyOf = [&copier](CEntity* source) {
        return dynamic_cast<CEntity*>(copier.GetCopyOf(source));
    };
    for (CDrawingElement* element : component.GetEntityList()) {
        if (auto* text = dynamic_cast<CText*>(element)) {
            CModelPointRef anchor = text->GetAnchor();
            if (anchor.MapBelowInstance(instance, copyOf)) {
                text->SetAnchor(anchor, text->GetFaceSide());
            }
        } else if (auto* dimension = dynamic_cast<CDimensionLinear*>(element)) {
            CModelPointRef first = dimension->GetFirstPoint();
            CModelPointRef second = dimension->GetSecondPoint();
            const bool firstMoved = first.MapBelowInstance(instance, copyOf);
            if (second.MapBelowInstance(instance, copyOf) || firstMoved) {
                dimension->SetPoints(first, second);
            }
        }
    }
}

}  // namespace

bool MakeDefinitionUnique(CTarnwickModel* model, CComponentInstance* instance)
{
    CComponentDefinition* definition = instance != nullptr ? instance->GetDefinition() : nullptr;
    CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    if (definition == nullptr || instance->IsUnique() || root == nullptr || root->GetDefinitionList() == nullptr) {
        return false;
    }
    CDefinitionList* definitions = root->GetDefinitionList();
    CEntitySet copied;
    copied.Add(definition);
    CNotInSetMatch otherDefinitions(&copied);
    CCopier copier;
    copier.AddSharedIterator(root->GetMaterialManager() != nullptr ? root->GetMaterialManager()->NewIterator()
                                                                   : nullptr);
    copier.AddSharedIterator(new CFilteredIterator(definitions->NewIterator(), &otherDefinitions));
    copier.AddSharedIterator(root->GetLayerManager() != nullptr ? root->GetLayerManager()->NewIterator() : nullptr);
    copier.AddSharedIterator(model->GetFontManager() != nullptr ? model->GetFontManager()->NewIterator() : nullptr);

    auto* copy = dynamic_cast<CComponentDefinition*>(copier.CloneOne(definition));
    if (copy == nullptr) {
        return false;
    }
    CString name;
    definitions->MakeUniqueName(name, definition->GetName(), true, nullptr);
    copy->SetName(name);
    copy->NewGuid();
    definitions->AddDefinition(copy, false);
    definition->RemoveInstance(instance);
    copy->AddInstance(instance);

    MoveAnnotations(*root, instance, copier);
    for (CComponentDefinition* other : definitions->GetDefinitions()) {
        MoveAnnotations(*other, instance, copier);
    }
    return true;
}
