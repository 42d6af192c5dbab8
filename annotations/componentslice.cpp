#include "annotations/componentslice.h"

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/renderingoptions.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"

CComponentSlice::CComponentSlice(CComponent* component, const CPlane3d& plane) : m_component(component), m_plane(plane)
{
}

void CComponentSlice::AddChild(CDrawingElement* entity, std::unique_ptr<CElementSlice> slice)
{
    m_children.push_back({entity, std::move(slice)});
}

void CComponentSlice::Draw(ITarnisView* view)
{
    const CRenderingOptions* options = view->GetRenderingOptions();
    const CColor selection = options != nullptr ? options->GetSelectionColor() : CColor();
    const CColor saved = view->GetColor();
    for (const Child& child : m_children) {
        if (!CFrameMeter::Charge(kChildCost)) {
            return;
        }
        if (child.entity->GetId() <= 0 || !child.entity->IsShown(view)) {
            continue;
        }
        const bool selected = child.entity->IsSelected() && selection.GetValue() != 0;
        if (selected) {
            view->EndPrimitive();
            view->SetColor(selection);
        }
        child.slice->Draw(view);
        if (selected) {
            view->EndPrimitive();
            view->SetColor(saved);
        }
    }
}

CDefinitionSlice::CDefinitionSlice(CComponentDefinition* definition, const CPlane3d& plane)
    : CComponentSlice(definition, plane)
{
}
