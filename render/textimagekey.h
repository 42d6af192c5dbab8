#pragma once
// CTextImageKey: what a text image was rendered from (text, alignment and the font
// object, compared by address), so that a cache renders again only when one changes.

#include "platform/cstring.h"

class CTwFont;

struct CTextImageKey
{
    CString text;
    int alignment = 0;
    CTwFont* font = nullptr;

    [[nodiscard]] bool Matches(const CString& otherText, int otherAlignment, const CTwFont* otherFont) const
    {
        return text == otherText && alignment == otherAlignment && font == otherFont;
    }
    [[nodiscard]] bool HasValidAlignment() const { return alignment >= 0 && alignment <= 2; }
};
