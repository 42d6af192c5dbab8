#pragma once
// CLineRecording: the line draws of one pass as the view's line batch sent them to GL,
// and the line state the pass left behind, so that the view can draw the pass again
// without the entities that made it: the same arrays in the same order under the same
// widths and stipples give the same pixels. A recording that saw anything else reach
// GL is spoiled and must not be drawn again.

#include <array>
#include <cstdint>
#include <vector>

#include "foundation/color.h"
#include "render/linebatch.h"

class CDrawThrottle;

class CLineRecording
{
public:
    struct Draw
    {
        CLineBatch::Style style;
        int first = 0;
        int count = 0;
        // Its lines may be drawn in any order.
        bool free = false;
        // Its blocks, after ArrangeForDrawing.
        std::size_t firstBlock = 0;
        std::size_t blockCount = 0;
    };
    // The view's line state when the pass ended.
    struct EndState
    {
        bool lighting = false;
        CColor color;
        CLineBatch::Style style;
        std::array<float, 4> glColor{};
    };

    // Empties it for a new pass; the arrays keep their room.
    void Clear();
    // Appends a draw of the lines; reorderable tells that lines of one colour in it may
    // be drawn in any order (the batch's depth function, blending and stencil allow it).
    void AddDraw(const CLineBatch::Style& style, const std::vector<float>& positions,
                 const std::vector<std::uint32_t>& colors, bool reorderable);
    // Puts the lines of each draw of one colour in an order that keeps neighbours
    // together, when every draw may be reordered, and notes the box of every block of
    // lines, so that a drawing leaves out the blocks outside the view and draws those
    // wholly inside before those across its sides.
    void ArrangeForDrawing();
    // Draws the lines under the GL state of the recorded pass but for the line style,
    // which GL holds as applied says (and holds the last draw's afterwards), charging
    // them to the frame meter as the line batch charges its own, the throttle told of each
    // piece; false when the meter stopped it part way.
    bool DrawLines(CLineBatch::Style& applied, CDrawThrottle* throttle) const;
    void Spoil() { m_spoiled = true; }
    [[nodiscard]] bool IsSpoiled() const { return m_spoiled; }
    void SetEndState(const EndState& state) { m_end = state; }
    [[nodiscard]] const EndState& GetEndState() const { return m_end; }
    [[nodiscard]] const std::vector<Draw>& GetDraws() const { return m_draws; }
    [[nodiscard]] const float* GetPositions() const { return m_positions.data(); }
    // RGBA bytes per vertex, the red one first in memory.
    [[nodiscard]] const std::uint32_t* GetColors() const { return m_colors.data(); }
    // Gives the arrays' memory back.
    void Release();

private:
    // Lines that follow one another in a draw.
    struct Block
    {
        int first = 0;
        int count = 0;
        // The corners of the lines' box, x, y, z of each.
        std::array<float, 24> corners{};
    };

    std::vector<Draw> m_draws;
    std::vector<Block> m_blocks;
    std::vector<float> m_positions;
    std::vector<std::uint32_t> m_colors;
    EndState m_end;
    bool m_spoiled = false;
    bool m_reorderable = true;
};
