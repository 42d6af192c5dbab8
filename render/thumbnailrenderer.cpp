#include "render/thumbnailrenderer.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "document/camera.h"
#include "document/componentdefinition.h"
#include "document/definitionthumbnails.h"
#include "document/displayoverride.h"
#include "document/imageadapter/imageapp.h"
#include "document/texturegl.h"
#include "foundation/boundingbox3d.h"
#include "foundation/framemeter.h"
#include "platform/bitmaphandle.h"
#include "platform/gl/wgl.h"
#include "render/tarnisview.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
// A point-sized definition still needs a picture of some size around it.
constexpr double kSmallestRadius = 1e-6;

// A view whose frames draw the definition alone.
class CDefinitionView : public CTarnisView
{
public:
    explicit CDefinitionView(CComponentDefinition& definition) : m_definition(definition) {}
    [[nodiscard]] CComponent* GetFrameRoot() const override { return &m_definition; }

private:
    CComponentDefinition& m_definition;
};

// A context of its own on an offscreen framebuffer, current while it lives; the
// context current before is current again when it goes.
class CScratchContext
{
public:
    explicit CScratchContext(int side)
        : m_previousDevice(wglGetCurrentDC()), m_previousContext(wglGetCurrentContext())
    {
        m_device = CGLDevice::CreateOffscreen(side, side);
        if (m_device == nullptr) {
            return;
        }
        PIXELFORMATDESCRIPTOR wanted;
        wanted.cDepthBits = 24;
        const int format = ChoosePixelFormat(m_device.get(), &wanted);
        if (format == 0 || !SetPixelFormat(m_device.get(), format, nullptr)) {
            return;
        }
        m_context = wglCreateContext(m_device.get());
        m_current = m_context != nullptr && wglMakeCurrent(m_device.get(), m_context);
    }
    ~CScratchContext()
    {
        wglMakeCurrent(m_previousDevice, m_previousContext);
        if (m_context != nullptr) {
            wglDeleteContext(m_context);
        }
    }
    CScratchContext(const CScratchContext&) = delete;
    CScratchContext& operator=(const CScratchContext&) = delete;

    [[nodiscard]] bool IsCurrent() const { return m_current; }
    [[nodiscard]] CGLDevice& GetDevice() const { return *m_device; }

private:
    HDC m_previousDevice;
    HGLRC m_previousContext;
    std::unique_ptr<CGLDevice> m_device;
    HGLRC m_context = nullptr;
    bool m_current = false;
};

CDib* DibFromPixels(int side, std::vector<std::uint8_t>& rgba)
{
    IImageApp* images = GetImageLibApp();
    if (images == nullptr) {
        return nullptr;
    }
    // What blending left in the alpha channel is no coverage: the picture is opaque.
    for (std::size_t i = 3; i < rgba.size(); i += 4) {
        rgba[i] = 255;
    }
    HBITMAP bitmap = CreateBitmapFromRGBA(side, side, rgba);
    CDib* picture = images->DibFromHBitmap(bitmap);
    DeleteBitmapHandle(bitmap);
    return picture;
}

CDib* RenderThumbnail(CTarnwickModel& model, CComponentDefinition& definition, const CCamera& camera)
{
    return CThumbnailRenderer::Render(model, definition, camera);
}

// A run of pictures shares a context: making one costs several times what drawing a
// picture does. What a picture made is forgotten, not deleted, once it is read, so the
// shared context is renewed after this many pictures and never piles up much.
constexpr int kPicturesPerContext = 64;

struct CBatch
{
    bool running = false;
    int pictures = 0;
    std::unique_ptr<CScratchContext> context;
};
CBatch g_batch;

void BatchThumbnails(bool begin)
{
    g_batch.context.reset();
    g_batch.running = begin;
    g_batch.pictures = 0;
}

// The run's context, renewed when due; null outside a run.
const CScratchContext* BatchContext()
{
    if (!g_batch.running) {
        return nullptr;
    }
    if (g_batch.context == nullptr || g_batch.pictures >= kPicturesPerContext) {
        // The old context goes first: the new one then gives the caller's back at the end.
        g_batch.context.reset();
        g_batch.context = std::make_unique<CScratchContext>(CThumbnailRenderer::kSide);
        g_batch.pictures = 0;
    }
    ++g_batch.pictures;
    return g_batch.context.get();
}

}  // namespace

bool CThumbnailRenderer::FitCamera(const CCamera& camera, const CComponentDefinition& definition, CCamera& fitted)
{
    CBoundingBox3d box;
    definition.GetBounds(box, false);
    if (box.IsEmpty()) {
        return false;
    }
    const CPoint3d centre = box.GetMin() + (box.GetMax() - box.GetMin()) * 0.5;
    const double radius = std::max(0.5 * box.GetDiagonal(), kSmallestRadius);
    const double fieldOfView = std::clamp(camera.GetFieldOfView(), 1.0, 179.0);
    const double distance =
        camera.IsPerspective() ? radius / std::sin(0.5 * fieldOfView * kRadiansPerDegree) : 2.0 * radius;
    const CVector3d direction = camera.GetDirection();
    fitted = camera;
    fitted.SetView(centre + direction * -distance, centre, camera.GetUp(), camera.GetValueA(), camera.GetValueB(),
                   camera.IsPerspective(), fieldOfView, 2.0 * radius);
    fitted.SetAspectRatio(0.0);
    return true;
}

CDib* CThumbnailRenderer::Render(CTarnwickModel& model, CComponentDefinition& definition, const CCamera& camera)
{
    CCamera fitted;
    if (!FitCamera(camera, definition, fitted)) {
        return nullptr;
    }
    const CScratchContext* shared = BatchContext();
    std::unique_ptr<CScratchContext> own;
    if (shared == nullptr) {
        own = std::make_unique<CScratchContext>(kSide);
    }
    const CScratchContext& scratch = shared != nullptr ? *shared : *own;
    if (!scratch.IsCurrent()) {
        return nullptr;
    }
    // Texture names made in another context mean nothing in this one.
    ForgetGLTextureNames();
    std::vector<std::uint8_t> rgba;
    bool drawn = false;
    bool cut = false;
    {
        CDefinitionView view(definition);
        view.SetModel(&model);
        view.InitGLState();
        CViewDefinition viewDefinition;
        viewDefinition.SetViewportSize(kSide, kSide);
        viewDefinition.SetCamera(fitted);
        CBoundingBox3d box;
        definition.GetBounds(box, false);
        box.Expand(0.2 * box.GetDiagonal());
        viewDefinition.FitDepthRange(box);
        view.SetViewDefinition(viewDefinition);
        view.SetViewportSize(kSide, kSide);
        {
            const CDisplayOverride display(&view, CDisplayOverride::kNoShadows | CDisplayOverride::kHideAnnotations);
            // A picture of its own, metered on its own whatever frame asked for it, or
            // within the budget of a caller that meters it. The frame joins this scope
            // rather than opening one whose end would hide its cut: one that stopped part
            // way is no picture of the definition.
            std::optional<CFrameMeter::CScope> meter;
            if (!CFrameMeter::IsShared()) {
                meter.emplace(view.GetStillFrameBudget(), true);
            }
            view.DrawFrame(0, false);
            cut = CFrameMeter::ShouldStop();
        }
        glFinish();
        drawn = scratch.GetDevice().ReadPixels(rgba);
        // The textures and lists made for the picture go with its context.
        view.ResetOpenGL();
        view.SetModel(nullptr);
    }
    if (!drawn || cut || rgba.size() != static_cast<std::size_t>(kSide) * kSide * 4) {
        return nullptr;
    }
    return DibFromPixels(kSide, rgba);
}

void CThumbnailRenderer::Install()
{
    SetDefinitionThumbnailRenderer(&RenderThumbnail, &BatchThumbnails);
}
