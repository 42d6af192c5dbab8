#include "annotations/labelweight.h"

#include <algorithm>
#include <cmath>

#include "document/twfont.h"
#include "foundation/framemeter.h"

namespace {

constexpr int kDefaultPoints = 10;
constexpr int kMaxPoints = 1000;
constexpr int kPixelsPerInch = 96;
constexpr int kPointsPerInch = 72;
// A glyph's advance is about six tenths of the font's height.
constexpr double kAdvancePerHeight = 0.6;
// The largest side of one texture.
constexpr double kTextureSide = 1024.0;
constexpr std::uint64_t kReducedChannels = 3;

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

std::uint64_t LabelTextWeight(std::uint64_t characters, int pixelHeight, bool reducedToOneTexture)
{
    const auto height = static_cast<std::uint64_t>(std::max(pixelHeight, 1));
    // Rasterised and laid into the picture, whose pixels are then turned into texels.
    const std::uint64_t pixels = 2 * characters * height * height;
    std::uint64_t units = CFrameMeter::PixelUnits(pixels, CFrameMeter::kPixelsPerUnit);
    const double width = static_cast<double>(characters) * kAdvancePerHeight * static_cast<double>(height);
    if (reducedToOneTexture && (width > kTextureSide || static_cast<double>(height) > kTextureSide)) {
        units += CFrameMeter::PixelUnits(kReducedChannels * characters * height * height, CFrameMeter::kPixelsPerUnit);
    }
    return units;
}
