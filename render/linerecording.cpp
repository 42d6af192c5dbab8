#include "render/linerecording.h"

#include <algorithm>

#include "render/cellorder.h"

void CLineRecording::Clear()
{
    m_draws.clear();
    m_positions.clear();
    m_colors.clear();
    m_end = EndState{};
    m_spoiled = false;
    m_reorderable = true;
}

void CLineRecording::AddDraw(const CLineBatch::Style& style, const std::vector<float>& positions,
                             const std::vector<std::uint32_t>& colors, bool reorderable)
{
    m_reorderable = m_reorderable && reorderable;
    const int first = static_cast<int>(m_positions.size() / 3);
    const int count = static_cast<int>(positions.size() / 3);
    // Consecutive draws of one style are one draw again.
    if (!m_draws.empty() && m_draws.back().style == style && m_draws.back().first + m_draws.back().count == first &&
        m_draws.back().count % 2 == 0) {
        m_draws.back().count += count;
    } else {
        m_draws.push_back(Draw{style, first, count});
    }
    m_positions.insert(m_positions.end(), positions.begin(), positions.end());
    m_colors.insert(m_colors.end(), colors.begin(), colors.end());
}

void CLineRecording::Release()
{
    Clear();
    m_draws.shrink_to_fit();
    m_positions.shrink_to_fit();
    m_colors.shrink_to_fit();
}

void CLineRecording::ArrangeForDrawing()
{
    if (!m_reorderable) {
        return;
    }
    CCellOrder order;
    for (const Draw& draw : m_draws) {
        const std::uint32_t* c = m_colors.data() + draw.first;
        if (std::all_of(c, c + draw.count, [c](std::uint32_t color) { return color == c[0]; })) {
            order.Arrange(m_positions.data() + static_cast<std::size_t>(draw.first) * 3,
                          static_cast<std::size_t>(draw.count), 2);
        }
    }
}
