#pragma once
// CFrameMeter: the work a frame does, metered where it is done. The count made when a
// model is opened refuses a model early by what it would draw; this meter weighs what a
// frame really sends to GL, rasterises, decodes and cuts, at the few places that do it,
// so that a cost the count does not see still cannot hold the program. A frame that
// passes its budget stops where it stands, with what it has drawn, and says why; the
// next frame starts with a new budget and does the same.
//
// A frame opens a scope; scopes nest (a definition's picture drawn while a frame is
// drawn meters on its own and gives the outer frame back its state). Work made of
// several frames that should share one budget (the bands of a printed picture) opens
// a shared scope around them, and each frame joins it instead of opening its own. Outside
// every scope charges are ignored and nothing stops but a quit. User-interface thread
// for the scopes; charging from another thread is safe, the counters being atomic.
//
// The count made at opening speaks the meter's units, so a still frame's budget follows
// what the count admitted for the model (StillFrameBudget): a model the count admits
// draws whole, and the budget stops only work the count did not foresee. A frame of the
// view is also where the user is heard: a scope opened to stop for input looks, every
// kInputCheckUnits, whether input is waiting (through the probe the program installs)
// and stops at once when it is, so that the event loop answers it and draws again; there
// too it looks at the time a scope was given, if any.

#include <atomic>
#include <cstdint>

class CFrameMeter
{
public:
    CFrameMeter() = delete;

    // Units of work. One is about what sending one vertex to GL costs, all told; the
    // other kinds are weighed against it where they are done, each measured so that a
    // unit of it takes about as long as a unit of vertices (bench/workunits_bench.cpp
    // times each kind against the vertices).
    // A frame that reaches this has drawn for a few seconds on a quiet machine (a vertex
    // of a vertex array takes 40-60 ns all told under Mesa's software rasteriser, one
    // sent on its own more); the million-triangle grid weighs about 10 million.
    static constexpr std::uint64_t kBudget = 60'000'000;
    // Units between two looks for waiting input: 5 to 10 ms of drawing.
    static constexpr std::uint64_t kInputCheckUnits = std::uint64_t{1} << 17;
    // One vertex, line end or point sent to GL.
    static constexpr std::uint64_t kVertexCost = 1;
    // One call that hands GL a batch to draw (an array of triangles or lines, a picture's
    // quad): setting its state up costs the driver about as much as 60 vertices, however
    // little the batch holds, so a placement of a small thing costs mostly its calls.
    static constexpr std::uint64_t kDrawCallCost = 64;
    // One placement drawn, beside the calls its content is drawn in: its transformation
    // set, its inherited state and its content's bounds tested against the view.
    static constexpr std::uint64_t kPlacementCost = 64;
    // One corner handed to the sweep that cuts faces into triangles.
    static constexpr std::uint64_t kCutCornerCost = 4;
    // Pixels rasterised for a glyph or a label's picture, per unit.
    static constexpr std::uint64_t kPixelsPerUnit = 32;
    // Pixels GL fills for triangles, per unit: screen-filling triangles drawn over one
    // another cost little to send and much to fill. Filling runs on the rasteriser's
    // threads, so its time per unit falls with more free cores (measured on two).
    static constexpr std::uint64_t kFilledPixelsPerUnit = 40;
    // Pixels of a triangle drawn exactly over an equal one, per unit: the depth test
    // rejects them before they are shaded or written, which costs about half of filling
    // them (measured as the filled pixels are).
    static constexpr std::uint64_t kRejectedPixelsPerUnit = 80;
    // Pixels GL fills for lines, per unit: a long line sent as two vertices may cross the
    // whole view, and a wide one fills its width all along.
    static constexpr std::uint64_t kLinePixelsPerUnit = 40;
    // What each step of a line along its longer screen axis costs besides the pixels it
    // fills, in filled pixels: the rasteriser walks a line a pixel at a time (measured,
    // a one-pixel line costs about eight times its pixels).
    static constexpr std::uint64_t kLineStepPixels = 7;
    // Pixels of shadow volumes counted into the stencil, per unit: no colour is written,
    // so a pixel costs about half what a face's does (measured).
    static constexpr std::uint64_t kVolumePixelsPerUnit = 80;
    // What the rasteriser spends setting one triangle up, whatever its size: measured,
    // about what four vertices cost.
    static constexpr std::uint64_t kTriangleSetupCost = 4;
    // The side of the squares of pixels the rasteriser bins triangles into: a triangle is
    // set up in every square its box reaches, each at its setup's cost, on the drawing
    // thread (a 1,000-sided disc drawn a thousand times over, as slivers from one corner,
    // takes as long per square crossed), so a long thin one costs by its length.
    static constexpr std::uint64_t kTileSide = 64;
    // One triangle sent and set up, before the pixels it fills.
    static constexpr std::uint64_t kTriangleCost = 3 * kVertexCost + kTriangleSetupCost;
    // Pixels decoded from a picture, per unit; a picture made a texture is charged once
    // for its decode and once for the pixels prepared for GL.
    static constexpr std::uint64_t kDecodedPixelsPerUnit = 16;

    // The pixel rates of GL's rasteriser above (filled, rejected, lines, volumes) were
    // measured with two rasteriser threads; the software rasteriser shares each frame's
    // pixels among all of its threads, so with more of them a pixel costs less against a
    // vertex, which one thread sends (measured: 3-3.9 times faster with eight, sending
    // and setting up as fast). The program says how many threads its GL fills pixels on
    // (0: filled on the drawing thread); until it does, the rates stand as measured.
    static void SetRasterThreads(unsigned threads) noexcept;
    // How many times faster than with two threads the rasteriser fills pixels.
    [[nodiscard]] static double GetRasterSpeed() noexcept;
    // Units for pixels GL's rasteriser fills, at one of the rates above.
    [[nodiscard]] static std::uint64_t RasterUnits(double pixels, std::uint64_t perUnit) noexcept;

    // What the frame says when it stops for its budget; the same words the count gives
    // when it refuses a model at opening.
    static constexpr const char* kReason = "the model would draw too much to show";

    // The budget of a still frame of a model the count at opening weighed at counted
    // units: what was counted, half as much again for what the count rounds, and the
    // fixed budget for what every frame draws besides the model (tool feedback, axes).
    [[nodiscard]] static constexpr std::uint64_t StillFrameBudget(std::uint64_t counted) noexcept
    {
        const std::uint64_t margin = counted / 2;
        const std::uint64_t budget = counted + margin + kBudget;
        return budget < counted ? UINT64_MAX : budget;
    }

    // Whether a scope stops when the user's input is waiting: frames of the view do;
    // print bands, thumbnails and previews do not (a cancel or a quit still stops them).
    enum class EInput
    {
        kIgnored,
        kStops,
    };
    // Answers whether input is waiting for the program (a key, a button, the wheel, a
    // drag). Called from the thread that charges, cheaply, every kInputCheckUnits; it
    // must be safe to call from any thread.
    using InputProbe = bool (*)() noexcept;
    // Installs the probe (nullptr: none, nothing stops for input). The program installs
    // one over its window system; tests install their own.
    static void SetInputProbe(InputProbe probe) noexcept;

    // Seconds on some fixed scale, read by the thread that charges.
    using Clock = double (*)();
    // The innermost scope, one that stops for input, also stops once the clock reads the
    // time at or past it: where it looks for input it finds its budget spent. Its end
    // takes the time away (clock nullptr: none).
    static void SetDeadline(Clock clock, double at) noexcept;

    // One frame being metered, from construction to destruction; shared: a job
    // of several frames (the bands of a picture) that each join instead of metering on
    // their own.
    class CScope
    {
    public:
        explicit CScope(std::uint64_t budget = kBudget, bool shared = false,
                        EInput input = EInput::kIgnored) noexcept;
        ~CScope();
        CScope(const CScope&) = delete;
        CScope& operator=(const CScope&) = delete;

        // The frame has passed its budget: everything drawn after that was left out.
        [[nodiscard]] bool IsExhausted() const noexcept;
        // The frame stopped because input was waiting: what it drew is not finished.
        [[nodiscard]] bool WasInterrupted() const noexcept;
        // The units charged to this frame so far.
        [[nodiscard]] std::uint64_t GetUsed() const noexcept;

    private:
        std::uint64_t m_outerUsed;
        std::uint64_t m_outerBudget;
        bool m_outerActive;
        bool m_outerShared;
        bool m_outerStopsForInput;
        bool m_outerInterrupted;
        std::uint64_t m_outerNextInputCheck;
        Clock m_outerClock;
        double m_outerDeadline;
    };

    // Adds work to the frame being drawn. Returns false when the frame should stop: its
    // budget is spent, input is waiting (a scope that stops for it) or the program was
    // asked to quit. Outside a scope it only answers the quit request.
    static bool Charge(std::uint64_t units) noexcept;
    // A scope that stops for input looks at once whether input waits, as the charges look
    // every kInputCheckUnits: a question asked again at every move of the pointer stops
    // before it has begun when the next move waits (ShouldStop then says so).
    static void LookForInputNow() noexcept;
    // The frame should stop drawing now (budget spent, input waiting, quit requested);
    // charges nothing.
    [[nodiscard]] static bool ShouldStop() noexcept;
    // The frame being drawn has passed its budget.
    [[nodiscard]] static bool IsExhausted() noexcept;
    // The frame being drawn stopped because input was waiting.
    [[nodiscard]] static bool WasInterrupted() noexcept;
    // A frame is being metered.
    [[nodiscard]] static bool IsMetering() noexcept;
    // The innermost scope was opened to be shared: a frame drawn now joins it.
    [[nodiscard]] static bool IsShared() noexcept;
    // The units charged to the frame being metered; 0 outside every scope. The
    // difference across a job is what that work cost (a display list replayed
    // later costs what it cost to make).
    [[nodiscard]] static std::uint64_t GetUsed() noexcept;

    // Units for a number of pixels rasterised or decoded, at least one for any.
    [[nodiscard]] static constexpr std::uint64_t PixelUnits(std::uint64_t pixels, std::uint64_t perUnit) noexcept
    {
        return pixels == 0 ? 0 : 1 + pixels / perUnit;
    }

private:
    static inline std::atomic<std::uint64_t> s_used{0};
    static inline std::atomic<std::uint64_t> s_budget{0};
    static inline std::atomic<bool> s_active{false};
    static inline std::atomic<bool> s_shared{false};
    static inline std::atomic<bool> s_stopsForInput{false};
    static inline std::atomic<bool> s_interrupted{false};
    static inline std::atomic<std::uint64_t> s_nextInputCheck{0};
    static inline std::atomic<InputProbe> s_inputProbe{nullptr};
    static inline std::atomic<Clock> s_clock{nullptr};
    static inline std::atomic<double> s_deadline{0.0};
    static inline std::atomic<double> s_rasterSpeed{1.0};

    static void LookForInput(std::uint64_t used) noexcept;
    // Marks the scope interrupted when the probe says input waits.
    static void AskProbe() noexcept;
};
