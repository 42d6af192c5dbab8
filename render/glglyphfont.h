#pragma once
// CGLGlyphFont: a font for text drawn in window pixels, its glyphs rendered from a
// TrueType file and drawn as pixel rectangles at the current raster position, in the
// current raster colour, blended by their coverage. It holds no GL objects, so it
// survives a reset of the context. The file for a face name is looked up among the
// installed fonts.

#include <memory>

#include "platform/cstring.h"

class FTFont;

class CGLGlyphFont
{
public:
    CGLGlyphFont();
    ~CGLGlyphFont();
    CGLGlyphFont(const CGLGlyphFont&) = delete;
    CGLGlyphFont& operator=(const CGLGlyphFont&) = delete;

    // The file of the installed font that best matches the face, or a substitute the
    // system chooses; empty when no font is installed at all.
    [[nodiscard]] static CString FindFontFile(const CString& faceName, bool bold, bool italic);

    // Loads the file with glyphs of the given pixel size; false, and closed, when the
    // file cannot be read as a font or the size is not positive.
    bool Open(const CString& path, int pixelSize);
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_font != nullptr; }
    [[nodiscard]] const CString& GetPath() const { return m_path; }
    [[nodiscard]] int GetPixelSize() const { return m_pixelSize; }
    // From the lowest descender to the highest ascender, in pixels; 0 when closed.
    [[nodiscard]] int GetLineHeight() const;
    // How far glyphs reach below the baseline, in pixels (not negative).
    [[nodiscard]] int GetDescent() const;

    // Draws the text (UTF-8 underneath) with its baseline starting at the current
    // raster position. Nothing when closed.
    void Draw(const CString& text) const;

private:
    std::unique_ptr<FTFont> m_font;
    CString m_path;
    int m_pixelSize = 0;
};
