#pragma once
// CTwFont: a font description that texts and dimensions share through the model's font
// manager: face name, bold and italic, a height in points, and the kind of drawing it
// takes (glyph fonts from a font file, or text images for kind 6). The drawing side
// (glyph font objects, metrics for a view) is made on demand and released with the
// OpenGL context.

#include <cstdint>
#include <memory>

#include "model/entity.h"
#include "platform/cstring.h"

class IGLFont;

class CTwFont : public CEntity
{
    DECLARE_SERIAL(CTwFont)

public:
    // Realizes a glyph font (kinds 0 to 5) for the view that draws: finds the file of
    // the face and gives the font its glyph font, or leaves it without one.
    using Realizer = void (*)(CTwFont& font);

    static constexpr int kKindTextImage = 6;
    static constexpr int kDefaultResolution = 96;

    CTwFont();
    // Copies the name, flags, height and the extra word; the drawing side starts anew.
    CTwFont(const CTwFont& other);
    ~CTwFont() override;

    // Reads or writes the face name, bold and italic bytes and the height. Reading
    // takes the name in its 8-bit or wide form. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges name, flags, height and the extra word (undo snapshots).
    void SwapData(CEntity& other) override;
    // An empty face name (repaired to "Tahoma") or a height outside 1..1000 (repaired
    // to 10) is repairable.
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Any change releases the drawing side. The face is compared without regard to case.
    void Set(const CString& faceName, bool bold, bool italic, std::int32_t height);
    // Also clears the font path.
    void SetFontKind(int kind);
    void SetFontPath(const CString& path);
    // Forgets the drawing side: no glyph font, no path, scale 1.0, resolution 96, not
    // realized.
    void ReleaseGLFont();
    // Text images (kind 6) take their pixel height from the height; glyph fonts are
    // realized through the installed realizer (without one they stay without glyphs).
    void Refresh();
    // The view installs its realizer; null removes it.
    static void SetRealizer(Realizer realizer);
    // What the realizer made: the glyph font (null when none could be made), the file it
    // came from and its line height in pixels.
    void SetGLFont(std::unique_ptr<IGLFont> font, const CString& path, int pixelHeight);
    // Null for text images and for glyph fonts that could not be made.
    [[nodiscard]] IGLFont* GetGLFont() const { return m_glFont.get(); }
    // The pixel height times the scale, rounded, after Refresh.
    [[nodiscard]] int GetScaledHeight();

    [[nodiscard]] const CString& GetFaceName() const { return m_faceName; }
    [[nodiscard]] bool IsBold() const { return m_bold; }
    [[nodiscard]] bool IsItalic() const { return m_italic; }
    [[nodiscard]] std::int32_t GetHeight() const { return m_height; }
    [[nodiscard]] int GetFontKind() const { return m_kind; }
    [[nodiscard]] const CString& GetFontPath() const { return m_fontPath; }
    [[nodiscard]] bool IsRealized() const { return m_realized; }
    [[nodiscard]] std::int32_t GetMember28() const { return m_member28; }
    // Records the change when the value differs.
    void SetMember28Modified(std::int32_t value);

private:
    CString m_faceName;
    bool m_bold = false;
    bool m_italic = false;
    std::int32_t m_height = 0;
    std::int32_t m_member28 = 0;
    std::unique_ptr<IGLFont> m_glFont;
    bool m_realized = false;
    CString m_fontPath;
    int m_resolution = kDefaultResolution;
    double m_scale = 1.0;
    int m_kind = kKindTextImage;
    int m_pixelHeight = 0;
    int m_secondMetric = 0;
    int m_thirdMetric = 0;
};

// Reads an object reference that must be a font (null allowed); another class is the
// archive exception badClass.
[[nodiscard]] CTwFont* ArchiveReadTwFont(CArchive& ar);
