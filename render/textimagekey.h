#pragma once
// CTextImageKey: what a text image was rendered from (text, alignment, the font
// object, compared by address, and the text scale of the output), so that a cache
// renders again only when one changes.

#include "platform/cstring.h"

class CTwFont;

struct CTextImageKey
{
    CString text;
    int alignment = 0;
    CTwFont* font = nullptr;
    double scale = 1.0;

    [[nodiscard]] bool Matches(const CString& otherText, int otherAlignment, const CTwFont* otherFont,
                               double otherScale) const
    {
        return text == otherText && alignment == otherAlignment && font == otherFont && scale == otherScale;
    }
    [[nodiscard]] bool HasValidAlignment() const { return alignment >= 0 && alignment <= 2; }
};
