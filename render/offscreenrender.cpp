#include "render/offscreenrender.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

#include "document/renderingoptions.h"
#include "foundation/framemeter.h"
#include "platform/gl/glcontext.h"
#include "platform/gl/gldevice.h"
#include "platform/memorystatus.h"
#include "render/baseglview.h"
#include "render/tarnisview.h"

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
// The view's name labels the window it is shown in, not a printed picture.
constexpr auto kViewNameByte = static_cast<CRenderingOptions::DisplayByte>(8);

COffscreenRender::DeviceFactory& Factory()
{
    static COffscreenRender::DeviceFactory factory;
    return factory;
}

long long CeilDivide(long long a, long long b)
{
    return (a + b - 1) / b;
}

// What a render changes on the view, given back when it ends however it ends.
class CViewStateGuard
{
public:
    CViewStateGuard(CBaseGLView& window, CTarnisView& view)
        : m_window(window),
          m_view(view),
          m_definition(view.GetViewDefinition()),
          m_pixelScale(view.GetPixelScale()),
          m_lineWidthScale(view.GetLineWidthScale()),
          m_textPixelScale(view.GetTextPixelScale()),
          m_drawingLevel(view.GetDrawingLevel()),
          m_printing(view.IsPrinting()),
          m_options(view.GetRenderingOptions())
    {
        m_viewName = m_options != nullptr && m_options->GetDisplayByte(kViewNameByte);
        m_window.m_offscreenRendering = true;
        if (m_options != nullptr)
            m_options->SetDisplayByte(kViewNameByte, false);
        // Screen texts keep the places the window gave them.
        m_view.SetPrinting(true);
        m_view.SetDrawingLevel(IModelView::kFullDrawingLevel);
    }
    ~CViewStateGuard()
    {
        CGLContext::MakeCurrent(m_window.GetDeviceContext(), m_window.GetRenderingContext());
        m_view.SetViewDefinition(m_definition);
        m_view.SetViewportSize(m_definition.GetViewportWidth(), m_definition.GetViewportHeight());
        m_view.SetPixelScale(m_pixelScale);
        m_view.SetLineWidthScale(m_lineWidthScale);
        m_view.SetTextPixelScale(m_textPixelScale);
        m_view.SetDrawingLevel(m_drawingLevel);
        m_view.SetPrinting(m_printing);
        if (m_options != nullptr)
            m_options->SetDisplayByte(kViewNameByte, m_viewName);
        m_window.m_offscreenRendering = false;
    }
    CViewStateGuard(const CViewStateGuard&) = delete;
    CViewStateGuard& operator=(const CViewStateGuard&) = delete;

private:
    CBaseGLView& m_window;
    CTarnisView& m_view;
    CViewDefinition m_definition;
    double m_pixelScale;
    double m_lineWidthScale;
    double m_textPixelScale;
    int m_drawingLevel;
    bool m_printing;
    CRenderingOptions* m_options;
    bool m_viewName = false;
};

// The largest side of a framebuffer and viewport the current context makes.
int GetMaxFramebufferSide()
{
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({renderbuffer, viewport[0], viewport[1]});
}

}  // namespace

std::size_t COffscreenRender::GetMemoryBudget()
{
    const CMemoryStatus status = GetMemoryStatus();
    return GetMemoryBudget(status.totalPhysical, status.availableVirtual);
}

std::size_t COffscreenRender::GetMemoryBudget(std::uint64_t totalPhysical, std::uint64_t availableVirtual)
{
    const std::uint64_t quarter = std::clamp<std::uint64_t>(totalPhysical / 4, kMinBudget, kMaxBudget);
    return static_cast<std::size_t>(std::min(quarter, availableVirtual / 4));
}

std::vector<COffscreenRender::Band> COffscreenRender::PlanBands(int width, int height, std::size_t budget, int maxSide)
{
    const auto maxPixels = static_cast<long long>(budget / kBytesPerPixel);
    if (width <= 0 || height <= 0 || maxSide <= 0 || maxPixels <= 0)
        return {};
    // Columns only when a whole row is wider than a framebuffer or the budget.
    const long long widest = std::min<long long>({width, maxSide, maxPixels});
    const long long columns = CeilDivide(width, widest);
    const long long bandWidth = CeilDivide(width, columns);
    const long long rows = std::min<long long>({height, maxSide, maxPixels / bandWidth});
    if (rows < 1)
        return {};
    std::vector<Band> bands;
    bands.reserve(static_cast<std::size_t>(columns * CeilDivide(height, rows)));
    for (long long top = 0; top < height; top += rows)
        for (long long left = 0; left < width; left += bandWidth)
            bands.push_back(Band{static_cast<int>(left), static_cast<int>(top),
                                 static_cast<int>(std::min(bandWidth, width - left)),
                                 static_cast<int>(std::min(rows, height - top))});
    return bands;
}

bool COffscreenRender::FitToBudget(int& width, int& height, std::size_t budget)
{
    if (width <= 0 || height <= 0)
    {
        width = height = 0;
        return false;
    }
    const double aspect = static_cast<double>(width) / height;
    const auto fits = [&] {
        return static_cast<double>(width) * height * static_cast<double>(kBytesPerPixel) <= static_cast<double>(budget);
    };
    // One step reaches the budget: the reduced size holds exactly what the budget pays for.
    if (!fits())
    {
        const double product = static_cast<double>(budget) * aspect / static_cast<double>(kBytesPerPixel);
        const double reduced = product < 1e-20 ? 0.0 : std::sqrt(product);
        width = static_cast<int>(reduced) / 4 * 4;
        height = static_cast<int>(width / aspect);
    }
    if (width <= 0 || height <= 0 || !fits())
    {
        width = height = 0;
        return false;
    }
    return true;
}

COffscreenRender::COffscreenRender(CBaseGLView& window, CTarnisView& view) : m_window(window), m_view(view) {}

void COffscreenRender::SetDeviceFactory(DeviceFactory factory)
{
    Factory() = std::move(factory);
}

bool COffscreenRender::Render(const Window& window, int width, int height, double lineWidthFactor,
                              const BandSink& sink)
{
    if (width <= 0 || height <= 0 || !(window.Width() > 0.0) || !(window.Height() > 0.0) ||
        !std::isfinite(window.Width()) || !std::isfinite(window.Height()))
        return false;
    if (m_window.GetRenderingContext() == nullptr || m_window.GetDeviceContext() == nullptr ||
        m_window.MakeCurrent() == 0)
        return false;
    const std::vector<Band> bands = PlanBands(width, height, GetMemoryBudget(), GetMaxFramebufferSide());
    if (bands.empty())
        return false;
    // The window was given on the near plane of the depth range fitted now.
    m_view.UpdateViewBounds();
    // Events may run between the bands (a print's Cancel): a running animation would
    // move the camera from one band to the next.
    const CTarnisView::CAnimationHold hold(m_view);
    const CViewStateGuard guard(m_window, m_view);
    std::optional<CFrameMeter::CScope> meter;
    if (!CFrameMeter::IsShared())
        meter.emplace(GetPictureBudget(bands.size()), true);
    m_cut = false;
    try
    {
        const bool drawn = RenderBands(window, width, height, lineWidthFactor, bands, sink);
        m_cut = CFrameMeter::ShouldStop();
        return drawn;
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
}

std::uint64_t COffscreenRender::GetPictureBudget(std::size_t bands) const
{
    // Each band draws the view's frame: a model the count admits draws whole in each.
    const std::uint64_t frame = m_view.GetStillFrameBudget();
    return bands != 0 && frame > UINT64_MAX / bands ? UINT64_MAX : frame * bands;
}

bool COffscreenRender::RenderBands(const Window& window, int width, int height, double lineWidthFactor,
                                   const std::vector<Band>& bands, const BandSink& sink)
{
    HGLRC context = m_window.GetRenderingContext();
    const Band& first = bands.front();
    std::unique_ptr<CGLDevice> device =
        Factory() ? Factory()(first.width, first.height) : CGLDevice::CreateOffscreen(first.width, first.height);
    if (device == nullptr || !device->SetPixelFormat(m_window.GetPixelFormatIndex()))
        return false;
    bool complete = true;
    std::vector<std::uint8_t> rgba;
    for (const Band& band : bands)
    {
        device->SetSize(band.width, band.height);
        if (!CGLContext::MakeCurrent(device.get(), context))
        {
            complete = false;
            break;
        }
        SetUpBand(window, width, height, band, lineWidthFactor);
        m_view.CTarnisView::DrawFrame(0, false);
        if (!device->ReadPixels(rgba) || !sink(band, rgba))
        {
            complete = false;
            break;
        }
    }
    // The band device's framebuffer lives in the view's context: it goes while that
    // context is current on the view's own device again.
    CGLContext::MakeCurrent(m_window.GetDeviceContext(), context);
    device.reset();
    return complete;
}

void COffscreenRender::SetUpBand(const Window& window, int width, int height, const Band& band,
                                 double lineWidthFactor)
{
    const double across = window.Width() / width;
    const double down = window.Height() / height;
    const double left = window.left + band.left * across;
    const double right = window.left + (band.left + band.width) * across;
    const double top = window.top - band.top * down;
    const double bottom = window.top - (band.top + band.height) * down;
    const double aspect = static_cast<double>(band.width) / band.height;
    const double halfWidth = std::max(std::abs(left), std::abs(right));
    const double halfHeight = std::max(std::abs(top), std::abs(bottom));

    m_view.SetViewportSize(band.width, band.height);
    CViewDefinition& definition = m_view.GetViewDefinition();
    // The band shows its part of the window through the explicit window; the camera's
    // own view is made to hold the band, since the sky, the ground and the window's
    // bars are laid out from it.
    CCamera camera = definition.GetCamera();
    camera.SetAspectRatio(0.0);
    camera.SetFieldOfViewFixed(true);
    definition.SetCamera(camera);
    double pixelScale = lineWidthFactor;
    if (definition.IsPerspective())
    {
        double nearDistance = 0.0;
        double farDistance = 0.0;
        definition.GetFittedRange(nearDistance, farDistance);
        const double tangent = std::max(halfHeight, halfWidth / aspect) / nearDistance;
        definition.SetFieldOfView(2.0 * std::atan(tangent) * kDegreesPerRadian);
        pixelScale *= (top - bottom) / nearDistance / definition.GetViewTangent();
    }
    else
    {
        definition.SetViewHeight(std::max(2.0 * halfHeight, 2.0 * halfWidth / aspect));
        pixelScale *= (top - bottom) / definition.GetViewHeight();
    }
    definition.SetProjectionWindow(true, left, right, top, bottom);
    m_view.SetPixelScale(pixelScale);
    m_view.SetLineWidthScale(lineWidthFactor);
    m_view.SetTextPixelScale(m_textFactor > 0.0 ? m_textFactor : lineWidthFactor);
    m_view.SetLineWidth(1.0);
}
