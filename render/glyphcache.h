#pragma once
// CGlyphCache: the glyphs the text rasterizer has rendered, kept per face file, pixel
// size, smoothing and character, so that a character met again (in the next label, the
// next frame) is copied rather than loaded, hinted and rendered anew. The bytes kept are
// bounded: past the budget the glyphs used longest ago go first, so that text with many
// distinct characters in many sizes cannot grow it without end.

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "platform/cstring.h"

class CGlyphCache
{
public:
    static constexpr std::size_t kDefaultBudget = std::size_t{32} << 20;
    // What one entry costs beyond its coverage: the list node, the index slot.
    static constexpr std::size_t kEntryOverhead = 96;
    // Faces named before the table is started anew (a face is a file, size and smoothing).
    static constexpr std::size_t kMaxFaces = 256;

    // A rendered glyph: coverage 0 (none) to 255 (full), rows top first, placed from the
    // pen on the baseline.
    struct Glyph
    {
        // False when the face gives no usable bitmap: the character is left out.
        bool usable = false;
        int left = 0;
        int top = 0;
        int width = 0;
        int rows = 0;
        int advance = 0;
        std::vector<std::uint8_t> coverage;
    };

    explicit CGlyphCache(std::size_t budgetBytes = kDefaultBudget);

    // The number the face's glyphs are kept under: the same for the same file, size and
    // smoothing until Clear. Numbers are never given twice, so a number from before a
    // Clear finds nothing.
    [[nodiscard]] std::uint32_t FaceId(const CString& path, int pixelSize, bool smooth);
    // The kept glyph, now the most recently used; null when not kept. Valid until the
    // next Insert or Clear.
    [[nodiscard]] const Glyph* Find(std::uint32_t face, char32_t character);
    // Keeps a copy of the glyph, letting the least recently used go to stay within the
    // budget; null (nothing kept) for a glyph larger than the whole budget.
    const Glyph* Insert(std::uint32_t face, char32_t character, const Glyph& glyph);
    void Clear();

    [[nodiscard]] std::size_t GetBytes() const { return m_bytes; }
    [[nodiscard]] std::size_t GetCount() const { return m_entries.size(); }

private:
    struct Face
    {
        CString path;
        int pixelSize = 0;
        bool smooth = false;
        std::uint32_t id = 0;
    };
    struct Entry
    {
        std::uint64_t key = 0;
        Glyph glyph;
    };

    [[nodiscard]] static std::uint64_t KeyOf(std::uint32_t face, char32_t character)
    {
        return (static_cast<std::uint64_t>(face) << 32) | character;
    }
    [[nodiscard]] static std::size_t CostOf(const Glyph& glyph) { return glyph.coverage.size() + kEntryOverhead; }

    std::size_t m_budget;
    std::size_t m_bytes = 0;
    std::uint32_t m_nextFace = 1;
    std::vector<Face> m_faces;
    // Most recently used first.
    std::list<Entry> m_entries;
    std::unordered_map<std::uint64_t, std::list<Entry>::iterator> m_index;
};
