// The drawing axes in the view: each axis a line through the origin across the whole
// view in its axis colour, solid on the positive side and dotted on the negative.

#include "document/tarniscs.h"
#include "drawapi/tarnisview.h"

namespace {

constexpr std::uint16_t kNegativeStipple = 0x0F0F;

}  // namespace

void CTarnisCS::Draw(ITarnisView* view)
{
    if (IsHiddenFlagSet()) {
        return;
    }
    view->BeginElement(this);
    view->SetLighting(false);
    for (int i = 0; i < 3; ++i) {
        const CVector3d& axis = GetAxis(i);
        const CColor color = view->GetAxisColor(i + 1);
        view->DrawRayLine(m_origin, axis, 0, false, color, 1.0);
        view->DrawRayLine(m_origin, -axis, kNegativeStipple, false, color, 1.0);
    }
    view->EndPrimitive();
    view->SetLineStipple(0);
    view->EndElement();
}
