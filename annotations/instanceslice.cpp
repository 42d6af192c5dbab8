#include "annotations/instanceslice.h"

#include "annotations/componentslice.h"
#include "document/componentinstance.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"

CInstanceSlice::CInstanceSlice(CComponentInstance* instance, CDefinitionSlice* definitionSlice)
    : m_instance(instance), m_definitionSlice(definitionSlice)
{
}

void CInstanceSlice::Draw(ITarnisView* view)
{
    // Most placements of a definition the plane misses see an empty slice: nothing to
    // carry into their axes.
    if (m_definitionSlice->GetChildCount() == 0 || !CFrameMeter::Charge(kDrawCost)) {
        return;
    }
    view->EndPrimitive();
    view->PushTransform(m_instance->GetTransform(), true);
    m_definitionSlice->Draw(view);
    view->EndPrimitive();
    view->PopTransform(true);
}
