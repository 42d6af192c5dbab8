// The drawing axes in the view: each half-axis a line from the origin across the
// view, solid on the positive side and dashed on the negative, in dark red, green and
// blue.

#include <cstdint>

#include "document/tarniscs.h"
#include "drawapi/pickhelper.h"
#include "drawapi/tarnisview.h"

namespace {

constexpr std::uint16_t kNegativeStipple = 0x8888;

}  // namespace

void CTarnisCS::Draw(ITarnisView* view)
{
    if (!IsShown(view)) {
        return;
    }
    view->SetLighting(false);
    const CColor colors[3] = {CColor(0.7, 0.0, 0.0, 1.0), CColor(0.0, 0.7, 0.0, 1.0), CColor(0.0, 0.0, 0.7, 1.0)};
    for (const double factor : {1.0, -1.0}) {
        const std::uint16_t stipple = factor > 0.0 ? 0 : kNegativeStipple;
        for (int i = 0; i < 3; ++i) {
            view->DrawRayLine(m_origin, GetAxis(i) * factor, stipple, false, colors[i], 1.0);
        }
    }
    view->EndPrimitive();
    view->SetLineStipple(0);
}

void CTarnisCS::DrawSelected(ITarnisView* view)
{
    if (view == nullptr || !IsSelected()) {
        return;
    }
    for (int i = 0; i < 3; ++i) {
        view->DrawRayLine(m_origin, GetAxis(i), 0, true, CColor(), 1.0);
    }
    view->EndPrimitive();
}

bool CTarnisCS::HitTest(const IPickHelper* picker) const
{
    if (picker == nullptr || picker->GetMode() != IPickHelper::kModePoint) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        if (picker->TestSegment(m_origin, m_origin + GetAxis(i))) {
            return true;
        }
    }
    return false;
}
