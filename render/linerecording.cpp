#include "render/linerecording.h"

#include <GL/gl.h>

#include <algorithm>
#include <utility>

#include "render/cellorder.h"
#include "render/clipvolume.h"
#include "render/drawthrottle.h"

namespace {

// Lines per block of a draw: few enough that most blocks of a large model lie wholly
// inside or outside the view, many enough that their boxes cost nothing beside them.
constexpr int kBlockLines = 256;

}  // namespace

void CLineRecording::Clear()
{
    m_draws.clear();
    m_blocks.clear();
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
    m_blocks.shrink_to_fit();
    m_positions.shrink_to_fit();
    m_colors.shrink_to_fit();
}

void CLineRecording::ArrangeForDrawing()
{
    CCellOrder order;
    for (Draw& draw : m_draws) {
        const std::uint32_t* c = m_colors.data() + draw.first;
        draw.free = m_reorderable && std::all_of(c, c + draw.count, [c](std::uint32_t color) { return color == c[0]; });
        if (draw.free) {
            order.Arrange(m_positions.data() + static_cast<std::size_t>(draw.first) * 3,
                          static_cast<std::size_t>(draw.count), 2);
        }
        draw.firstBlock = m_blocks.size();
        for (int line = 0; line < draw.count / 2; line += kBlockLines) {
            Block block;
            block.first = draw.first + 2 * line;
            block.count = 2 * std::min(kBlockLines, draw.count / 2 - line);
            const float* p = m_positions.data() + static_cast<std::size_t>(block.first) * 3;
            float low[3] = {p[0], p[1], p[2]};
            float high[3] = {p[0], p[1], p[2]};
            for (int v = 0; v < block.count; ++v) {
                for (int k = 0; k < 3; ++k) {
                    low[k] = std::min(low[k], p[v * 3 + k]);
                    high[k] = std::max(high[k], p[v * 3 + k]);
                }
            }
            for (int corner = 0; corner < 8; ++corner) {
                for (int k = 0; k < 3; ++k) {
                    block.corners[static_cast<std::size_t>(corner * 3 + k)] = (corner & (1 << k)) != 0 ? high[k] : low[k];
                }
            }
            m_blocks.push_back(block);
        }
        draw.blockCount = m_blocks.size() - draw.firstBlock;
    }
}

bool CLineRecording::DrawLines(CLineBatch::Style& applied, CDrawThrottle* throttle) const
{
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, m_positions.data());
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, m_colors.data());
    CClipVolume volume;
    std::vector<std::pair<int, int>> crossing;
    bool goOn = true;
    for (auto draw = m_draws.begin(); goOn && draw != m_draws.end(); ++draw) {
        CLineBatch::ChangeStyle(applied, draw->style);
        // A replay costs what drawing the lines anew would, charged as it goes.
        const double width = std::max(draw->style.width, 1.0);
        const bool known = draw->style.width > 0.0;
        const bool loaded = volume.Load(known ? draw->style.width * 0.5 + 1.0 : 0.0);
        const CClipVolume* counting = loaded ? &volume : nullptr;
        const auto drawRange = [&](int first, int count) {
            goOn = goOn && CLineBatch::DrawPieces(counting, m_positions.data(), static_cast<std::size_t>(first),
                                                  static_cast<std::size_t>(first + count), width, throttle);
        };
        // Whole draws when the blocks are unknown, or nothing is known of the width.
        if (draw->blockCount == 0 || !known || !loaded) {
            drawRange(draw->first, draw->count);
            continue;
        }
        // Neighbouring blocks of one kind go in one range.
        int first = 0;
        int count = 0;
        const auto add = [&](int from, int lines) {
            if (count > 0 && first + count != from) {
                drawRange(first, count);
                count = 0;
            }
            if (count == 0) {
                first = from;
            }
            count += lines;
        };
        crossing.clear();
        for (std::size_t b = draw->firstBlock; b < draw->firstBlock + draw->blockCount; ++b) {
            const Block& block = m_blocks[b];
            const CClipVolume::Place place = volume.Classify(block.corners.data(), 8);
            if (place == CClipVolume::kOutside) {
                continue;
            }
            if (draw->free && place == CClipVolume::kCrossing) {
                crossing.emplace_back(block.first, block.count);
                continue;
            }
            add(block.first, block.count);
        }
        for (const auto& [from, lines] : crossing) {
            add(from, lines);
        }
        if (count > 0) {
            drawRange(first, count);
        }
        // An odd vertex at the end of a draw was never drawn.
    }
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    return goOn;
}
