#pragma once
// CFTGLFont: a glyph font of a TrueType file drawn through FTGL, for font descriptions
// of kinds 0 to 5: 0 bitmap, 1 pixmap (raster glyphs in the current colour, with the
// unpack row length reset first), 2 outline, 3 texture, 4 polygon, 5 extruded (one
// pixel deep). Raster kinds draw at the current raster position, the others in the
// current model-view frame at one unit per pixel. User-interface thread only, with the
// context that made it current while it draws and when it is destroyed.

#include <memory>

#include "drawapi/glfont.h"

class CTwFont;
class FTFont;

class CFTGLFont : public IGLFont
{
public:
    CFTGLFont(std::unique_ptr<FTFont> font, int kind);
    ~CFTGLFont() override;
    CFTGLFont(const CFTGLFont&) = delete;
    CFTGLFont& operator=(const CFTGLFont&) = delete;

    void Render(const CString& text) override;
    [[nodiscard]] double GetAdvance(const CString& text) override;
    [[nodiscard]] double GetAscent() const override;
    [[nodiscard]] double GetDescent() const override;
    [[nodiscard]] double GetLineHeight() const override;
    [[nodiscard]] int GetKind() const { return m_kind; }
    // Raster kinds draw at the raster position rather than in the frame.
    [[nodiscard]] bool IsRaster() const { return m_kind <= 1; }

private:
    std::unique_ptr<FTFont> m_font;
    int m_kind;
};

// The glyph font of that kind from the file at that pixel size; null for kind 6 (and
// any other), an unreadable file or a size outside 1..1000.
[[nodiscard]] std::unique_ptr<IGLFont> CreateFTGLFont(int kind, const CString& path, int pixelSize);
// Gives a font of kinds 0 to 5 that is not realized yet the glyph font of its face
// (its own path when that reads, else the installed or substitute file of the face);
// without any readable file it stays without one and is drawn as text images. The
// view installs this as the fonts' realizer.
void RealizeFontForActiveView(CTwFont& font);
