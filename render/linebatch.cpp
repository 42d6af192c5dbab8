#include "render/linebatch.h"

#include <GL/gl.h>

#include <cmath>

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
    m_reorders = glIsEnabled(GL_BLEND) == GL_FALSE && glIsEnabled(GL_STENCIL_TEST) == GL_FALSE &&
                 (depthFunction == GL_LESS || depthFunction == GL_LEQUAL);
    m_color = CColor(bytes[0], bytes[1], bytes[2], bytes[3]);
    m_applied = applied;
    m_style = applied;
    m_current = nullptr;
    m_uniform = true;
    m_waiting = false;
    m_open = true;
    return true;
}

CLineBatch::Run& CLineBatch::RunForNextLine()
{
    Run* found = nullptr;
    bool othersWait = false;
    std::size_t waiting = 0;
    for (Run& run : m_runs) {
        waiting += run.positions.size();
        if (run.style == m_style) {
            found = &run;
        } else if (!run.positions.empty()) {
            othersWait = true;
        }
    }
    if (waiting >= kDrawAtFloats || (othersWait && !(m_reorders && m_uniform && m_color == m_waitingColor))) {
        for (Run& run : m_runs) {
            DrawRun(run);
        }
        m_uniform = true;
        m_waiting = false;
    }
    if (found == nullptr) {
        m_runs.push_back(Run{m_style, {}, {}});
        found = &m_runs.back();
    }
    return *found;
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
    run->positions.insert(run->positions.end(),
                          {static_cast<float>(point.x), static_cast<float>(point.y), static_cast<float>(point.z)});
    run->colors.insert(run->colors.end(),
                       {m_color.GetRedByte(), m_color.GetGreenByte(), m_color.GetBlueByte(), m_color.GetAlphaByte()});
    if (!m_waiting) {
        m_waitingColor = m_color;
        m_waiting = true;
    } else if (m_color != m_waitingColor) {
        m_uniform = false;
    }
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
        m_recording->AddDraw(run.style, run.positions, run.colors);
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, run.positions.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, run.colors.data());
    glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(run.positions.size() / 3));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    run.positions.clear();
    run.colors.clear();
}

void CLineBatch::Draw()
{
    if (!m_open) {
        return;
    }
    for (Run& run : m_runs) {
        DrawRun(run);
    }
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
    m_current = nullptr;
    m_open = false;
}
