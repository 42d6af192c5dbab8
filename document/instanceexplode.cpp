#include "document/instanceexplode.h"

#include <vector>

#include "annotations/dimensionlinear.h"
#include "annotations/text.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/entitycopier.h"
#include "document/entitymerger.h"
#include "document/layer.h"
#include "document/tarnwickmodel.h"
#include "foundation/plane3d.h"
#include "foundation/transformation.h"
#include "model/edge.h"
#include "model/edgeuse.h"
#include "model/entityset.h"
#include "model/face.h"
#include "model/loop.h"
#include "model/mergecontroller.h"
#include "model/perimeterfinder.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/undosuspender.h"
#include "model/vertex.h"

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

// Texts and dimensions anywhere in the model that hung on entities seen through the
// instance hang on the copies.
void FollowToCopies(CTarnwickModel* model, const CComponentInstance* instance, const CCopier& copier)
{
    CComponent* root = model != nullptr ? model->GetRootComponent() : nullptr;
    if (root == nullptr) {
        return;
    }
    FollowToCopies(*root, instance, copier);
    if (const CDefinitionList* definitions = root->GetDefinitionList()) {
        for (CComponentDefinition* other : definitions->GetDefinitions()) {
            FollowToCopies(*other, instance, copier);
        }
    }
}

// Copies left with the default material show the instance's material, on both sides of
// a face; copies on the default layer go onto the instance's layer. The copies belong
// to no component yet: their creation is what undo takes back.
void PassPaintAndLayer(const std::vector<CEntity*>& copies, const CComponentInstance& instance)
{
    const CUndoSuspender suspender;
    CMaterial* material = instance.GetMaterial();
    CLayer* layer = instance.GetLayer();
    const bool ownLayer = layer != nullptr && !CLayer::IsDefaultLayer(layer);
    for (CEntity* copy : copies) {
        auto* element = dynamic_cast<CDrawingElement*>(copy);
        if (element == nullptr) {
            continue;
        }
        if (material != nullptr && element->CanHaveMaterial() && element->GetMaterial() == nullptr) {
            element->SetMaterial(material);
        }
        if (auto* face = dynamic_cast<CFace*>(element); face != nullptr && material != nullptr &&
                                                         face->GetBackMaterial() == nullptr) {
            face->SetBackMaterial(material);
        }
        if (ownLayer && CLayer::IsDefaultLayer(element->GetLayer())) {
            element->SetLayer(layer);
        }
    }
}

// The face the instance is glued to; null when it stands on none.
CFace* GluedFace(const CComponentInstance& instance)
{
    std::vector<CRelationship*> relationships;
    instance.CountRelationshipsAsSecond(relationships);
    for (CRelationship* relationship : relationships) {
        if (auto* face = dynamic_cast<CFace*>(relationship->GetFirst())) {
            return face;
        }
    }
    return nullptr;
}

// The definition's outline, where the instance shows it, laid into the plane of the
// face it is glued to as new edges of the holder. Merging them into the holder's
// geometry cuts the outline into the face: a new loop in it and a new face inside.
std::vector<CEntity*> CutPerimeter(const CComponentInstance& instance, const CComponentDefinition& definition,
                                   const CFace& glued, CComponent& holder)
{
    std::vector<CEntity*> edges;
    const CPerimeterFinder* perimeter = definition.GetPerimeterFinder();
    if (perimeter == nullptr) {
        return edges;
    }
    const CTransformation& placement = instance.GetTransform();
    for (int i = 0; i < perimeter->GetFaceCount(); ++i) {
        const CFace* outline = perimeter->GetFace(i);
        const CLoop* loop = outline != nullptr ? outline->GetOuterLoop() : nullptr;
        CEdgeUse* first = loop != nullptr ? loop->GetFirstEdgeUse() : nullptr;
        if (first == nullptr) {
            continue;
        }
        std::vector<CVertex*> ring;
        CEdgeUse* use = first;
        do {
            CPoint3d onFace;
            glued.GetPlane().ProjectPoint(placement * use->GetStartVertex()->GetPosition(), onFace);
            ring.push_back(new CVertex(onFace));
            use = use->GetNext();
        } while (use != nullptr && use != first);
        for (std::size_t k = 0; k < ring.size(); ++k) {
            auto* edge = new CEdge(ring[k], ring[(k + 1) % ring.size()], false);
            holder.AddEntity(edge);
            edges.push_back(edge);
        }
    }
    return edges;
}

// A face cut out of the glued face faces the way the glued face did. The merge may have
// replaced the glued face, so its plane is taken before.
void TurnLikeGluedFace(const CEntitySet& merged, const CPlane3d& plane)
{
    const CUnitVector3d normal = plane.GetNormal();
    for (CEntity* entity : merged) {
        auto* face = dynamic_cast<CFace*>(entity);
        if (face == nullptr || plane.GetDistance(face->GetFirstPoint()) > 0.001) {
            continue;
        }
        const CUnitVector3d own = face->GetNormal();
        if (own.IsParallelTo(normal) && DotProduct(own, normal) < 0.0) {
            face->Reverse();
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
    instance->RecordChange(true);
    CTarnwickModel* model = holder->GetModel() != nullptr ? holder->GetModel() : GetCurrentModel();
    CCopier copier(model);
    std::vector<CEntity*> copies(definition->GetEntityList().begin(), definition->GetEntityList().end());
    copier.Clone(copies);

    // The copies belong to no component yet, so each moves on its own, all by the
    // one placement.
    CEntityMerger merger(copies);
    merger.Merge(instance->GetTransform());

    const auto* behavior = dynamic_cast<const CComponentBehavior*>(definition->GetBehavior());
    CFace* glued = GluedFace(*instance);
    std::vector<CEntity*> cut;
    CPlane3d gluedPlane;
    if (behavior != nullptr && behavior->CutsOpening() && glued != nullptr) {
        gluedPlane = glued->GetPlane();
        cut = CutPerimeter(*instance, *definition, *glued, *holder);
    }
    if (CRelationshipMap* relationships = holder->GetRelationshipMap()) {
        relationships->RemoveEntity(instance);
    }
    FollowToCopies(model, instance, copier);
    PassPaintAndLayer(copies, *instance);
    holder->AddEntities(copies);

    CEntitySet merged;
    for (CEntity* entity : copies) {
        merged.Add(entity);
    }
    for (CEntity* entity : cut) {
        merged.Add(entity);
    }
    {
        CMergeController controller(holder, &merged);
        controller.Merge(behavior != nullptr && behavior->IsGlued(), true);
    }
    if (!cut.empty()) {
        TurnLikeGluedFace(merged, gluedPlane);
    }
    holder->EraseEntity(instance);
    CDefinitionList* list = dynamic_cast<CDefinitionList*>(definition->GetParent());
    if (onlyInstance && list != nullptr && definition->GetInstanceCount() == 0) {
        list->PurgeDefinition(definition);
    }
    // The merge may have welded a copy into the holder's own geometry.
    std::erase_if(copies, [&merged](CEntity* copy) { return !merged.Contains(copy); });
    return copies;
}
