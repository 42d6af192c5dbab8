#pragma once
// The small font the time and date sliders write their labels in, and where the labels
// stand: a row 10 pixels high under the channel, 5 pixels lower unless compact.
#include <QFont>

#include "platform/cstring.h"

inline constexpr int kSliderLabelHeight = 10;
inline constexpr int kSliderLabelGap = 5;

// A 12-pixel cell of normal weight in a sans-serif family, the face when it exists.
[[nodiscard]] inline QFont SliderLabelFont(const CString& face)
{
    QFont font(QString::fromStdString(face.ToUtf8()));
    font.setStyleHint(QFont::SansSerif);
    // A 12-pixel cell; the fallback faces here run larger than the named one, so their em
    // is set a pixel smaller than its.
    font.setPixelSize(10);
    font.setWeight(QFont::Normal);
    return font;
}
