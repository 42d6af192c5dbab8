// The view's part in shadows and sorted transparency: the north line, the faces along
// a smooth surface's terminator, and the sorter a component's transparent pass fills.

#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "render/tarnisview.h"
#include "render/terminatorfaces.h"
#include "render/transparencysorter.h"

namespace {

const CColor kNorthLineColor(255, 127, 0, 255);
constexpr double kNorthLineWidth = 3.0;

}  // namespace

bool CTarnisView::ShowsNorthLine() const
{
    const CShadowInfo* shadow = m_model != nullptr ? m_model->GetShadowInfo() : nullptr;
    return shadow != nullptr && shadow->GetSecondDisplaySwitch();
}

void CTarnisView::DrawNorthLine()
{
    const CTarnisCS* axes = m_model->GetDrawingAxes();
    const CPoint3d origin = axes != nullptr ? axes->GetOrigin() : CPoint3d();
    DrawRayLine(origin, m_model->GetShadowInfo()->GetNorth(), 0, false, kNorthLineColor, kNorthLineWidth);
}

std::unique_ptr<ITransparencySorter> CTarnisView::CreateTransparencySorter(int quality, int capacity,
                                                                          const CBoundingBox3d& bounds)
{
    return CTransparencySorter::Create(quality, capacity, this, &m_transparencyOrders, bounds);
}

void CTarnisView::DrawTerminatorFace(CFace* face)
{
    CTerminatorFaces::Draw(this, *face);
}
