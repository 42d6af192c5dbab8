#include "render/linebatch.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "foundation/framemeter.h"
#include "render/drawthrottle.h"
#include "render/linerecording.h"

namespace {

// Runs drawn in pieces of this many lines stay in the caches and never make the arrays
// grow large.
constexpr std::size_t kDrawAtFloats = 2 * 3 * 32768;

// The channel as a byte when a byte holds it exactly.
bool ToByte(float channel, int& byte)
{
    byte = static_cast<int>(std::lround(channel * 255.0f));
    return byte >= 0 && byte <= 255 && static_cast<float>(byte) / 255.0f == channel;
}

}  // namespace

bool CLineBatch::Open(const Style& applied)
{
    float current[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glGetFloatv(GL_CURRENT_COLOR, current);
    int bytes[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        if (!ToByte(current[i], bytes[i])) {
            return false;
        }
    }
    GLint depthFunction = GL_LESS;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    // Smoothed lines write their coverage into alpha, which the order would change.
    m_reorders = glIsEnabled(GL_BLEND) == GL_FALSE && glIsEnabled(GL_STENCIL_TEST) == GL_FALSE &&
                 glIsEnabled(GL_COLOR_LOGIC_OP) == GL_FALSE && glIsEnabled(GL_LINE_SMOOTH) == GL_FALSE &&
                 (depthFunction == GL_LESS || depthFunction == GL_LEQUAL);
    m_color = CColor(bytes[0], bytes[1], bytes[2], bytes[3]);
    m_applied = applied;
    m_style = applied;
    m_current = nullptr;
    m_uniform = true;
    m_waiting = false;
    m_waitingRuns = 0;
    m_waitingFloats = 0;
    m_open = true;
    return true;
}

CLineBatch::Run& CLineBatch::RunForNextLine()
{
    // Most lines follow one of the same style and colour.
    const bool othersMayWait = m_reorders && m_uniform && m_color == m_waitingColor;
    if (m_last < m_runs.size() && m_runs[m_last].style == m_style && m_waitingFloats < kDrawAtFloats &&
        (othersMayWait || m_waitingRuns == 0 || (m_waitingRuns == 1 && !m_runs[m_last].positions.empty()))) {
        return m_runs[m_last];
    }
    std::size_t found = m_runs.size();
    bool othersWait = false;
    for (std::size_t i = 0; i < m_runs.size(); ++i) {
        if (m_runs[i].style == m_style) {
            found = i;
        } else if (!m_runs[i].positions.empty()) {
            othersWait = true;
        }
    }
    if (m_waitingFloats >= kDrawAtFloats || (othersWait && !othersMayWait)) {
        DrawRuns();
    }
    if (found == m_runs.size()) {
        m_runs.push_back(Run{m_style, {}, {}});
    }
    m_last = found;
    return m_runs[found];
}

void CLineBatch::AddVertex(const CPoint3d& point)
{
    Run* run = m_current;
    if (run == nullptr) {
        run = &RunForNextLine();
        m_current = run;
    } else {
        m_current = nullptr;
    }
    if (run->positions.empty()) {
        ++m_waitingRuns;
    }
    run->positions.push_back(static_cast<float>(point.x));
    run->positions.push_back(static_cast<float>(point.y));
    run->positions.push_back(static_cast<float>(point.z));
    run->colors.push_back(m_color.GetValue());
    m_waitingFloats += 3;
    NoteWaitingColor();
}

void CLineBatch::AddLine(const CPoint3d& start, const CPoint3d& end)
{
    if (m_current != nullptr) {
        AddVertex(start);
        AddVertex(end);
        return;
    }
    Run& run = RunForNextLine();
    if (run.positions.empty()) {
        ++m_waitingRuns;
    }
    const float positions[6] = {static_cast<float>(start.x), static_cast<float>(start.y), static_cast<float>(start.z),
                                static_cast<float>(end.x),   static_cast<float>(end.y),   static_cast<float>(end.z)};
    run.positions.insert(run.positions.end(), positions, positions + 6);
    const std::uint32_t color = m_color.GetValue();
    run.colors.insert(run.colors.end(), 2, color);
    m_waitingFloats += 6;
    NoteWaitingColor();
}

void CLineBatch::NoteWaitingColor()
{
    if (!m_waiting) {
        m_waitingColor = m_color;
        m_waiting = true;
    } else if (m_color != m_waitingColor) {
        m_uniform = false;
    }
}

void CLineBatch::DrawRuns()
{
    for (Run& run : m_runs) {
        DrawRun(run);
    }
    m_waitingRuns = 0;
    m_waitingFloats = 0;
    m_uniform = true;
    m_waiting = false;
}

void CLineBatch::ChangeStyle(Style& applied, const Style& wanted)
{
    // A width of 0 is one the view never set: GL keeps its own.
    if (wanted.width != applied.width && wanted.width > 0.0) {
        glLineWidth(static_cast<float>(wanted.width));
    }
    if (wanted.stipple != applied.stipple) {
        if (wanted.stipple == 0) {
            glDisable(GL_LINE_STIPPLE);
        } else {
            if (applied.stipple == 0) {
                glEnable(GL_LINE_STIPPLE);
            }
            glLineStipple(1, wanted.stipple);
        }
    }
    applied = wanted;
}

void CLineBatch::DrawRun(Run& run)
{
    if (run.positions.empty()) {
        return;
    }
    ChangeStyle(m_applied, run.style);
    if (m_recording != nullptr) {
        m_recording->AddDraw(run.style, run.positions, run.colors, m_reorders);
    }
    std::size_t vertices = run.positions.size() / 3;
    // A width the view never set is not known here: such lines are all drawn, each
    // weighed a pixel wide.
    const bool known = run.style.width > 0.0;
    const bool loaded = m_volume.Load(known ? run.style.width * 0.5 + 1.0 : 0.0);
    if (known && loaded) {
        vertices = m_volume.Sift(run.positions.data(), vertices, 2, m_reorders && m_uniform,
                                 {{run.colors.data(), sizeof(std::uint32_t)}});
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, run.positions.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, run.colors.data());
    (void)DrawPieces(loaded ? &m_volume : nullptr, run.positions.data(), 0, vertices, std::max(run.style.width, 1.0),
                     m_throttle);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    run.positions.clear();
    run.colors.clear();
}

std::size_t CLineBatch::PieceEnd(const CClipVolume* volume, const float* positions, std::size_t first,
                                  std::size_t vertices, double width, std::uint64_t& units)
{
    constexpr std::size_t kLinesAsked = 64;
    std::size_t end = first;
    while (end < vertices && units < kPieceUnits) {
        const std::size_t next = std::min(vertices, end + 2 * kLinesAsked);
        const double pixels = volume != nullptr ? volume->CountLinePixels(positions + end * 3, next - end, width) : 0.0;
        // Each line is set up as a triangle is, on the drawing thread; its pixels are
        // shared among the rasteriser's threads.
        units += (next - end) * CFrameMeter::kVertexCost + (next - end) / 2 * CFrameMeter::kTriangleSetupCost +
                 CFrameMeter::RasterUnits(pixels, CFrameMeter::kLinePixelsPerUnit);
        end = next;
    }
    return end;
}

bool CLineBatch::DrawPieces(const CClipVolume* volume, const float* positions, std::size_t first, std::size_t end,
                            double width, CDrawThrottle* throttle)
{
    while (first < end) {
        std::uint64_t units = CFrameMeter::kDrawCallCost;
        const std::size_t pieceEnd = PieceEnd(volume, positions, first, end, width, units);
        glDrawArrays(GL_LINES, static_cast<GLint>(first), static_cast<GLsizei>(pieceEnd - first));
        const bool goOn = CFrameMeter::Charge(units);
        if (throttle != nullptr) {
            throttle->NoteDraw();
        }
        if (!goOn) {
            return false;
        }
        first = pieceEnd;
    }
    return true;
}

void CLineBatch::Draw()
{
    if (!m_open) {
        return;
    }
    DrawRuns();
    ChangeStyle(m_applied, m_style);
    // The colour array left the current colour undefined, and colours set while the
    // batch was open were only noted.
    glColor4ub(m_color.GetRedByte(), m_color.GetGreenByte(), m_color.GetBlueByte(), m_color.GetAlphaByte());
    m_current = nullptr;
    m_open = false;
}

void CLineBatch::Discard()
{
    for (Run& run : m_runs) {
        run.positions.clear();
        run.colors.clear();
    }
    m_waitingRuns = 0;
    m_waitingFloats = 0;
    m_current = nullptr;
    m_open = false;
}
