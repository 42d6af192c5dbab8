#pragma once
// Work of a known size: drawing it charges the frame in steps and notes how much went
// before the frame had to stop.

#include <cstdint>

#include "drawapi/tarnisview.h"
#include "foundation/boundingbox3d.h"
#include "foundation/framemeter.h"
#include "model/drawingelement.h"

class CWorkElement : public CDrawingElement
{
public:
    // More than a moving frame once drew (2.4 M), a fraction of a second of drawing.
    static constexpr std::uint64_t kWork = 5'000'000;
    static constexpr std::uint64_t kStep = 1'000;

    void AccumulateExtents(const CTransformation& transform, CBoundingBox3d& box) const override
    {
        box.Add(transform * CPoint3d(0, 0, 0));
    }
    void Draw(ITarnisView* view) override
    {
        charged = 0;
        if (view->GetDrawingLevel() < fromLevel) {
            return;
        }
        while (charged < work) {
            charged += kStep;
            if (!CFrameMeter::Charge(kStep)) {
                return;
            }
        }
    }

    std::uint64_t work = kWork;
    std::uint64_t charged = 0;
    // Below this level it is left out, as labels are.
    int fromLevel = 0;
};
