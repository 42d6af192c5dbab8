#include "annotations/instanceslice.h"

#include "annotations/componentslice.h"
#include "document/componentinstance.h"
#include "drawapi/tarnisview.h"

CInstanceSlice::CInstanceSlice(CComponentInstance* instance, CDefinitionSlice* definitionSlice)
    : m_instance(instance), m_definitionSlice(definitionSlice)
{
}

void CInstanceSlice::Draw(ITarnisView* view)
{
    view->EndPrimitive();
    view->PushTransform(m_instance->GetTransform(), true);
    m_definitionSlice->Draw(view);
    view->EndPrimitive();
    view->PopTransform(true);
}
