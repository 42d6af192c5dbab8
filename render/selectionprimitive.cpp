#include "render/selectionprimitive.h"

#include <GL/gl.h>

void CSelectionPrimitive::Open(unsigned mode)
{
    Close();
    m_mode = mode;
    m_open = true;
    m_cut = false;
    m_positions.reserve(kChunkVertices * 3);
}

void CSelectionPrimitive::AddVertex(const CPoint3d& point)
{
    const float position[3] = {static_cast<float>(point.x), static_cast<float>(point.y), static_cast<float>(point.z)};
    if (m_positions.empty() && !m_cut) {
        m_first[0] = position[0];
        m_first[1] = position[1];
        m_first[2] = position[2];
    }
    m_positions.insert(m_positions.end(), position, position + 3);
    if (GetCount() >= kChunkVertices && m_mode != GL_POLYGON) {
        SendChunk();
    }
}

void CSelectionPrimitive::SendChunk()
{
    switch (m_mode) {
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        Send(GL_LINE_STRIP);
        KeepLast(1);
        break;
    case GL_TRIANGLE_STRIP:
    case GL_QUAD_STRIP:
        Send(m_mode);
        KeepLast(2);
        break;
    case GL_TRIANGLE_FAN:
        Send(m_mode);
        // The centre and the last rim vertex, which the next triangle starts from.
        m_positions.erase(m_positions.begin() + 3, m_positions.end() - 3);
        break;
    default:
        Send(m_mode);
        m_positions.clear();
        break;
    }
    m_cut = true;
}

void CSelectionPrimitive::KeepLast(std::size_t count)
{
    m_positions.erase(m_positions.begin(), m_positions.end() - static_cast<std::ptrdiff_t>(count * 3));
}

void CSelectionPrimitive::Close()
{
    if (!m_open) {
        return;
    }
    if (m_mode == GL_LINE_LOOP && m_cut) {
        m_positions.insert(m_positions.end(), m_first, m_first + 3);
        Send(GL_LINE_STRIP);
    } else {
        Send(m_mode);
    }
    m_positions.clear();
    if (m_positions.capacity() > kChunkVertices * 3) {
        std::vector<float>().swap(m_positions);
    }
    m_open = false;
}

void CSelectionPrimitive::Discard()
{
    std::vector<float>().swap(m_positions);
    m_open = false;
}

void CSelectionPrimitive::Send(unsigned mode) const
{
    if (m_positions.empty()) {
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, m_positions.data());
    glDrawArrays(mode, 0, static_cast<GLsizei>(GetCount()));
    glDisableClientState(GL_VERTEX_ARRAY);
}
