// Entering and leaving component instances: the view's instance path and the lighting
// modes that fade what lies outside the component being edited.

#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/renderingoptions.h"
#include "document/tarnwickmodel.h"
#include "render/tarnisview.h"

namespace {

bool IsComponentEditDisplay(const CRenderingOptions* options)
{
    return options != nullptr && options->GetDisplayByte(CRenderingOptions::kComponentEditDisplay);
}

}  // namespace

void CTarnisView::EnterInstance(CComponentInstance* instance)
{
    const CRenderingOptions* options = GetRenderingOptions();
    if (instance == nullptr || !IsComponentEditDisplay(options)) {
        return;
    }
    m_instancePath.Push(instance);
    int mode = GetLightingMode();
    if (instance->GetTypeId() == kTypeImage && !options->IsHideRestOfModel()) {
        mode = 0;
    }
    if (m_model != nullptr && instance->GetDefinition() != nullptr &&
        static_cast<CComponent*>(instance->GetDefinition()) == m_model->GetActiveComponent()) {
        // Inside the edited instance everything is normal; its siblings stay faded.
        mode = m_model->IsActivePath(m_instancePath) ? 1 : 2;
    }
    PushLightingMode(mode);
}

void CTarnisView::LeaveInstance()
{
    if (!IsComponentEditDisplay(GetRenderingOptions())) {
        return;
    }
    m_instancePath.Pop();
    PopLightingMode();
}

CTransformation CTarnisView::GetInstanceTransform(const CEntity* instance)
{
    const auto* componentInstance = dynamic_cast<const CComponentInstance*>(instance);
    return componentInstance != nullptr ? componentInstance->GetTransform() : CTransformation();
}
