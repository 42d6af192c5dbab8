#pragma once
// COffscreenRender: the view's picture of a part of its projection window, drawn at any
// size away from the window (a printed sheet at the printer's resolution). The picture
// is drawn in bands, each small enough for the memory budget and for the largest
// framebuffer the driver makes, each by the view's own frame drawing on a framebuffer
// device of its own, with the view's context (so its textures and lists serve as they
// are). The view's camera, viewport, scales and context are as they were afterwards,
// whatever happened.
//
// User-interface thread only; the view's context must exist.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CBaseGLView;
class CGLDevice;
class CTarnisView;

class COffscreenRender
{
public:
    // A part of the projection window, in its units (on the fitted near plane in
    // perspective), x to the right and y upwards.
    struct Window
    {
        double left = 0.0;
        double right = 0.0;
        double bottom = 0.0;
        double top = 0.0;

        [[nodiscard]] double Width() const { return right - left; }
        [[nodiscard]] double Height() const { return top - bottom; }
    };
    // A band of the picture in pixels, from its top left corner.
    struct Band
    {
        int left = 0;
        int top = 0;
        int width = 0;
        int height = 0;
    };
    // Takes each band's pixels (RGBA, top row first); false stops the picture.
    using BandSink = std::function<bool(const Band& band, const std::vector<std::uint8_t>& rgba)>;
    // Makes the framebuffer device of a band; null when it cannot.
    using DeviceFactory = std::function<std::unique_ptr<CGLDevice>(int width, int height)>;

    // What a picture pixel costs while it is drawn: colour, depth and stencil, and its
    // copy read back.
    static constexpr std::size_t kBytesPerPixel = 8;
    static constexpr std::size_t kMinBudget = 8u << 20;
    static constexpr std::size_t kMaxBudget = 32u << 20;

    // A quarter of the physical memory within 8 and 32 MiB, and at most a quarter of the
    // address space the process may still take.
    [[nodiscard]] static std::size_t GetMemoryBudget();
    [[nodiscard]] static std::size_t GetMemoryBudget(std::uint64_t totalPhysical, std::uint64_t availableVirtual);
    // Bands of equal width (the last column and row take the rest) that cover the
    // picture; each fits the budget and is at most maxSide pixels each way. Empty when
    // the picture has no pixels or not even one pixel fits.
    [[nodiscard]] static std::vector<Band> PlanBands(int width, int height, std::size_t budget, int maxSide);
    // Shrinks a picture, keeping its shape, until it fits the budget in one piece; the
    // width stays a multiple of 4. False (and 0 × 0) when nothing of it fits.
    static bool FitToBudget(int& width, int& height, std::size_t budget);

    // The view is one object of the two kinds: its window and its drawing.
    COffscreenRender(CBaseGLView& window, CTarnisView& view);

    // Draws the window of the picture at width × height pixels with lines widened by the
    // factor, band after band, into the sink. False when the view has no context, a band
    // cannot be planned, its device or framebuffer cannot be made, its pixels cannot be
    // held or read, or the sink stops.
    // The bands share one frame budget (see CFrameMeter), a still frame's for each,
    // unless the caller meters the picture itself; the view's animation waits meanwhile.
    bool Render(const Window& window, int width, int height, double lineWidthFactor, const BandSink& sink);
    // The last picture stopped part way, its budget spent or a quit asked for: it holds
    // only what was drawn before, and whoever takes it must not pass it on as the view.
    [[nodiscard]] bool WasCut() const { return m_cut; }
    // Texts take this many pixels of the picture for each of their screen pixels;
    // until it is set (or when it is not positive), the line width factor.
    void SetTextFactor(double factor) { m_textFactor = factor; }

    // Tests put a factory here that fails; null returns to the framebuffer devices.
    static void SetDeviceFactory(DeviceFactory factory);

private:
    // What the picture's bands may draw together.
    [[nodiscard]] std::uint64_t GetPictureBudget(std::size_t bands) const;
    bool RenderBands(const Window& window, int width, int height, double lineWidthFactor,
                     const std::vector<Band>& bands, const BandSink& sink);
    // Loads the part of the window a band shows, and the scales of its pixels.
    void SetUpBand(const Window& window, int width, int height, const Band& band, double lineWidthFactor);

    CBaseGLView& m_window;
    CTarnisView& m_view;
    double m_textFactor = 0.0;
    bool m_cut = false;
};
