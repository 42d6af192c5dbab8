#pragma once
// IGLFont: the glyph font a font description draws with when it does not go through
// text images: glyphs of a TrueType file drawn straight into the view. The view makes
// it when the font is realized; the font description owns it and drops it whenever one
// of its settings changes. Sizes are in pixels; with the current model-view frame one
// unit per pixel, the text's baseline starts at the origin. The context that made it
// must be current while it draws or is destroyed.

#include "platform/cstring.h"

class IGLFont
{
public:
    virtual ~IGLFont() = default;

    // Draws one line of text.
    virtual void Render(const CString& text) = 0;
    // How far the line advances.
    [[nodiscard]] virtual double GetAdvance(const CString& text) = 0;
    // Above and below the baseline (both not negative).
    [[nodiscard]] virtual double GetAscent() const = 0;
    [[nodiscard]] virtual double GetDescent() const = 0;
    // From one baseline to the next.
    [[nodiscard]] virtual double GetLineHeight() const = 0;
};
