#include "render/transsortimpl.h"

#include "drawapi/tarnisview.h"
#include "model/face.h"
#include "model/facegl.h"

CTransSortImpl::CTransSortImpl(ITarnisView* view)
    : m_eye(view->GetLocalEyePoint()),
      m_viewPlane(m_eye, view->GetLocalViewDirection()),
      m_perspective(view->GetCameraState().perspective)
{
}

CTransSortImpl::~CTransSortImpl() = default;

void CTransSortImpl::DrawOne(ITarnisView* view, CFace* face, CDrawingElement* entity)
{
    if (face != nullptr) {
        face->Draw(view);
        return;
    }
    FlushFaces(view);
    entity->Draw(view);
}
