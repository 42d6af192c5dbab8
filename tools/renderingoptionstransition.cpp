#include "tools/renderingoptionstransition.h"

namespace {

int BlendInt(int start, int end, double t)
{
    return static_cast<int>(end * t + start * (1.0 - t));
}

CColor BlendColor(const CColor& start, const CColor& end, double t)
{
    CColor result;
    CColor::Interpolate(end, start, t, result);
    return result;
}

}  // namespace

CRenderingOptionsTransition::CRenderingOptionsTransition(const CRenderingOptions& start,
                                                         const CRenderingOptions& end)
    : m_start(start), m_end(end)
{
}

void CRenderingOptionsTransition::Interpolate(double t, CRenderingOptions& target) const
{
    const CRenderingOptions& a = m_start;
    const CRenderingOptions& b = m_end;
    if (a.IsDisplaySky() && b.IsDisplaySky())
    {
        target.SetSkyColor(BlendColor(a.GetSkyColor(), b.GetSkyColor(), t));
        if (a.GetHorizonColor() != CColor() || b.GetHorizonColor() != CColor())
            target.SetHorizonColor(BlendColor(a.GetTintedColor(), b.GetTintedColor(), t));
    }
    if (a.IsDisplayGround() && b.IsDisplayGround())
    {
        target.SetGroundColor(BlendColor(a.GetGroundColor(), b.GetGroundColor(), t));
        target.SetGroundTransparency(BlendInt(a.GetGroundTransparency(), b.GetGroundTransparency(), t));
    }
    if (a.IsFogOn() && b.IsFogOn())
    {
        target.SetFogDistances(BlendInt(a.GetFogNearPercent(), b.GetFogNearPercent(), t),
                               BlendInt(a.GetFogFarPercent(), b.GetFogFarPercent(), t));
        target.SetFogDensity(b.GetFogDensity() * t + a.GetFogDensity() * (1.0 - t));
        target.SetFogAmounts(BlendInt(a.GetFogAmountNearPercent(), b.GetFogAmountNearPercent(), t),
                             BlendInt(a.GetFogAmountFarPercent(), b.GetFogAmountFarPercent(), t));
    }
}
