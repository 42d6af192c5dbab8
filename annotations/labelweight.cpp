#include "annotations/labelweight.h"

#include <algorithm>
#include <cmath>

#include "document/twfont.h"
#include "foundation/framemeter.h"

namespace {

constexpr int kDefaultPoints = 10;
constexpr int kMaxPoints = 1000;
constexpr int kPixelsPerInch = CTwFont::kDefaultResolution;
constexpr int kPointsPerInch = 72;
// A glyph's advance is about six tenths of the font's height, a line about six fifths.
constexpr double kAdvancePerHeight = 0.6;
constexpr double kLinePerHeight = 1.2;
// The largest side of one texture, and of a picture that is made at all.
constexpr double kTextureSide = 1024.0;
constexpr double kLargestPictureSide = 16384.0;
constexpr double kReducedChannels = 3.0;

// The longest line in characters and the number of lines; a line feed, a carriage
// return (with or without a line feed after it) and a backslash before "n" break lines.
void CountLines(const CString& text, int& longest, int& lines)
{
    longest = 0;
    lines = 1;
    int current = 0;
    const int length = text.GetLength();
    for (int i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        const bool escaped = unit == u'\\' && i + 1 < length && text[i + 1] == u'n';
        if (escaped || unit == u'\r' || unit == u'\n') {
            longest = std::max(longest, current);
            current = 0;
            ++lines;
            i += escaped || (unit == u'\r' && i + 1 < length && text[i + 1] == u'\n') ? 1 : 0;
        } else {
            ++current;
        }
    }
    longest = std::max(longest, current);
}

}  // namespace

int LabelPixelHeight(const CEntity* font)
{
    const auto* twFont = dynamic_cast<const CTwFont*>(font);
    int points = twFont != nullptr ? twFont->GetHeight() : kDefaultPoints;
    if (points < 1 || points > kMaxPoints) {
        points = kDefaultPoints;
    }
    return (points * kPixelsPerInch + kPointsPerInch / 2) / kPointsPerInch;
}

std::uint64_t LabelTextWeight(const CString& text, int pixelHeight, bool reducedToOneTexture)
{
    if (text.IsEmpty()) {
        return 0;
    }
    int longest = 0;
    int lines = 0;
    CountLines(text, longest, lines);
    const double height = static_cast<double>(std::max(pixelHeight, 1));
    const double pictureWidth = longest * kAdvancePerHeight * height;
    const double pictureHeight = lines * kLinePerHeight * height;
    if (pictureWidth > kLargestPictureSide || pictureHeight > kLargestPictureSide) {
        return static_cast<std::uint64_t>(text.GetLength());
    }
    const double filled = pictureWidth * pictureHeight;
    double pixels = filled;
    // A picture drawn whole is a quad of one texture, reduced to fit it; one drawn in
    // tiles a quad a tile.
    double tiles = 1.0;
    if (pictureWidth > kTextureSide || pictureHeight > kTextureSide) {
        if (reducedToOneTexture) {
            pixels += kReducedChannels * filled;
        } else {
            tiles = std::ceil(pictureWidth / kTextureSide) * std::ceil(pictureHeight / kTextureSide);
        }
    }
    const auto quads = static_cast<std::uint64_t>(tiles);
    return CFrameMeter::PixelUnits(static_cast<std::uint64_t>(pixels), CFrameMeter::kPixelsPerUnit) +
           CFrameMeter::RasterUnits(filled, CFrameMeter::kFilledPixelsPerUnit) +
           quads * (CFrameMeter::kDrawCallCost + 4 * CFrameMeter::kVertexCost);
}
