#pragma once
// CLineBatch: the lines of the view's open GL_LINES primitive, gathered in vertex arrays
// with a colour per vertex and drawn with one call per line width and stipple. Lines of
// another width or stipple go to a separate run of the batch instead of closing it, as
// long as every line waiting in the other runs has the colour of the new one: lines of
// one colour may be drawn in any order without changing a pixel (under the depth
// functions LESS and LEQUAL: each pixel shows that colour where the nearest of them
// passes), lines of different colours keep theirs. When the batch is opened under
// blending, stencil, a logic operation, smoothed lines or another depth function, a new
// width or stipple draws what waits first, as glBegin and glEnd would.
//
// Lines wholly outside the view are left out when a run is drawn, and where the order
// shows nowhere those wholly inside go first (CClipVolume).
//
// The batch replaces glBegin(GL_LINES) ... glEnd: the GL current colour at Open is the
// colour of the first vertices, SetColor changes it for the vertices that follow, and
// after Draw the current colour, width and stipple are what immediate mode would have
// left. User-interface thread only, with the view's context current.

#include <cstdint>
#include <vector>

#include "foundation/color.h"
#include "foundation/point3d.h"
#include "render/clipvolume.h"

class CDrawThrottle;
class CLineRecording;

class CLineBatch
{
public:
    // The width and stipple pattern (0 solid) of the lines that follow.
    struct Style
    {
        double width = 1.0;
        std::uint16_t stipple = 0;
        bool operator==(const Style& other) const { return width == other.width && stipple == other.stipple; }
    };

    // Starts gathering with the GL state as it is: false when that state cannot be
    // carried by the arrays (a current colour finer than 8 bits a channel); the caller
    // then draws in immediate mode.
    [[nodiscard]] bool Open(const Style& applied);
    [[nodiscard]] bool IsOpen() const { return m_open; }
    void SetColor(const CColor& color) { m_color = color; }
    // The style of the lines that follow; a line's two vertices share the style of its
    // first. The GL width and stipple stay as they are until Draw.
    void SetStyle(const Style& style) { m_style = style; }
    void AddVertex(const CPoint3d& point);
    // Both vertices of a line, as two AddVertex calls would add them.
    void AddLine(const CPoint3d& start, const CPoint3d& end);
    // Draws what was gathered, each run with its width and stipple, and closes the
    // batch; GL is left at the style of the last SetStyle and the current colour.
    void Draw();
    // Forgets what was gathered without drawing it (the context went away).
    void Discard();
    // The style GL holds after Draw.
    [[nodiscard]] const Style& GetAppliedStyle() const { return m_applied; }
    // Every draw is also appended to the recording while one is set; null stops.
    void SetRecording(CLineRecording* recording) { m_recording = recording; }
    // Told of every piece drawn, so that the driver never queues much filling; null: none.
    void SetThrottle(CDrawThrottle* throttle) { m_throttle = throttle; }
    // Units of work in one piece of lines handed to GL: a few milliseconds, so that a
    // stop waits for no more and the driver holds little between two looks of the throttle.
    static constexpr std::uint64_t kPieceUnits = std::uint64_t{1} << 16;
    // Draws the lines of the bound arrays from vertex first to end in pieces, each
    // charged its vertices, its call and the pixels its lines of that width cover in the
    // volume (none without one), the throttle told of each; false where the frame meter
    // said stop, the rest left undrawn.
    static bool DrawPieces(const CClipVolume* volume, const float* positions, std::size_t first, std::size_t end,
                           double width, CDrawThrottle* throttle);
    // Sets what differs of the wanted style in GL, applied being what GL holds; then
    // applied is the wanted style.
    static void ChangeStyle(Style& applied, const Style& wanted);

private:
    // The end of the piece of lines that starts at first, its units added.
    [[nodiscard]] static std::size_t PieceEnd(const CClipVolume* volume, const float* positions, std::size_t first,
                                              std::size_t vertices, double width, std::uint64_t& units);

    struct Run
    {
        Style style;
        std::vector<float> positions;
        // RGBA bytes, the red one first in memory.
        std::vector<std::uint32_t> colors;
    };

    [[nodiscard]] Run& RunForNextLine();
    void NoteWaitingColor();
    void DrawRun(Run& run);

    // Draws every run in turn and empties them.
    void DrawRuns();

    bool m_open = false;
    // Runs of other styles may wait while lines of a new style are added.
    bool m_reorders = false;
    Style m_style;
    Style m_applied;
    CColor m_color;
    std::vector<Run> m_runs;
    // The run that takes the second vertex of the line begun, and the run of the line
    // before (an index: the runs may move).
    Run* m_current = nullptr;
    std::size_t m_last = 0;
    // How many runs hold lines, and how many coordinates they hold together.
    std::size_t m_waitingRuns = 0;
    std::size_t m_waitingFloats = 0;
    CClipVolume m_volume;
    CLineRecording* m_recording = nullptr;
    CDrawThrottle* m_throttle = nullptr;
    // Every vertex waiting in the runs has this colour, while m_uniform holds.
    bool m_uniform = true;
    CColor m_waitingColor;
    bool m_waiting = false;
};
