#include "render/viewoutputscale.h"

#include <cmath>

#include "render/tarnisview.h"

namespace {

constexpr double kMinAspect = 0.001;

}  // namespace

CViewOutputScale::CViewOutputScale(CTarnisView& view, int width, int height, double lineWidthFactor)
    : m_view(view),
      m_oldWidth(view.GetViewDefinition().GetViewportWidth()),
      m_oldHeight(view.GetViewDefinition().GetViewportHeight())
{
    const double aspect = view.GetViewDefinition().GetCamera().GetAspectRatio();
    if (aspect > kMinAspect && height > 0) {
        width = static_cast<int>(std::lround(height * aspect));
    }
    view.SetViewportSize(width, height);
    if (height > 0 && m_oldHeight > 0) {
        view.SetPixelScale(static_cast<double>(m_oldHeight) / height);
    }
    view.SetLineWidthScale(lineWidthFactor);
    view.SetTextPixelScale(lineWidthFactor);
    view.SetLineWidth(1.0);
}

CViewOutputScale::~CViewOutputScale()
{
    m_view.SetViewportSize(m_oldWidth, m_oldHeight);
    m_view.SetPixelScale(1.0);
    m_view.SetLineWidthScale(1.0);
    m_view.SetTextPixelScale(1.0);
}
