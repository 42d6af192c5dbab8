#include "app/printlayout.h"

#include <algorithm>
#include <cmath>

namespace printlayout {

namespace {

constexpr double kDirectionTolerance = 1e-6;
constexpr double kIsometricComponent = 0.57735026919;
constexpr int kBaseReference = 300;
constexpr int kLineReference = 100;
constexpr int kMinTargetPixels = 4;

bool IsPositive(double value)
{
    return std::isfinite(value) && value > 0.0;
}

// Sheets for one direction: whole pages, and one more for a rest above the tolerance.
// Above the limit the count stops at the limit + 1.
int CountTiles(double length, double scale, double pageLength)
{
    const double printed = length * scale;
    if (!IsPositive(printed) || !IsPositive(pageLength))
        return 0;
    const double whole = std::floor(printed / pageLength);
    if (whole > kMaxSheets)
        return kMaxSheets + 1;
    const double rest = printed - whole * pageLength;
    return static_cast<int>(whole) + (rest > kTileTolerance ? 1 : 0);
}

}  // namespace

double GetScaleCorrection(bool perspective, const CVector3d& direction)
{
    if (perspective)
        return 0.0;
    const double components[] = {std::abs(direction.x), std::abs(direction.y), std::abs(direction.z)};
    if (std::any_of(std::begin(components), std::end(components),
                    [](double c) { return c > 1.0 - kDirectionTolerance; }))
        return 1.0;
    if (std::all_of(std::begin(components), std::end(components),
                    [](double c) { return std::abs(c - kIsometricComponent) <= kDirectionTolerance; }))
        return kIsometricCorrection;
    return 0.0;
}

int GetReferenceResolution(int quality, int divisor)
{
    return quality == kPrintUltrahighDefinition ? std::max(divisor, kBaseReference) : kBaseReference;
}

int GetLineReferenceResolution(int quality, int divisor)
{
    if (quality == kPrintHighDefinition)
        return kBaseReference;
    if (quality == kPrintUltrahighDefinition)
        return divisor > 1 ? divisor : kBaseReference;
    return kLineReference;
}

double GetPrinterResolutionFactor(int quality, int divisor, int printerDpi)
{
    const int reference = GetReferenceResolution(quality, divisor);
    return printerDpi > reference ? static_cast<double>(reference) / printerDpi : 1.0;
}

double GetRenderResolutionFactor(bool preview, int quality, double printerFactor)
{
    if (preview)
        return 1.0;
    switch (quality)
    {
    case kPrintDraft: return 0.5 * printerFactor;
    case kPrintLargeFormat: return 0.25 * printerFactor;
    default: return printerFactor;
    }
}

double GetFitScale(double areaWidth, double areaHeight, double pageWidth, double pageHeight)
{
    if (!IsPositive(areaWidth) || !IsPositive(areaHeight))
        return 0.0;
    return std::min(pageHeight / areaHeight, pageWidth / areaWidth);
}

CSheetPlan PlanSheets(double areaWidth, double areaHeight, double scale, double pageWidth, double pageHeight)
{
    CSheetPlan plan;
    plan.scale = scale;
    if (!IsPositive(scale))
    {
        plan.problem = PrintProblem::kScale;
        return plan;
    }
    if (!IsPositive(areaWidth) || !IsPositive(areaHeight))
    {
        plan.problem = PrintProblem::kArea;
        return plan;
    }
    plan.across = CountTiles(areaWidth, scale, pageWidth);
    plan.down = CountTiles(areaHeight, scale, pageHeight);
    if (plan.across == 0 || plan.down == 0)
        plan.problem = PrintProblem::kArea;
    else if (plan.across > kMaxSheets || plan.down > kMaxSheets || plan.across * plan.down > kMaxSheets)
        plan.problem = PrintProblem::kTooManySheets;
    return plan;
}

CPrintArea GetTileArea(const CPrintArea& area, const CSheetPlan& plan, double pageWidth, double pageHeight,
                       int index)
{
    const int across = std::max(plan.across, 1);
    const int column = index % across;
    const int row = index / across;
    const double tileWidth = pageWidth / plan.scale;
    const double tileHeight = pageHeight / plan.scale;
    CPrintArea tile;
    tile.left = area.left + column * tileWidth;
    tile.right = column + 1 >= plan.across ? area.right : std::min(tile.left + tileWidth, area.right);
    tile.top = area.top - row * tileHeight;
    tile.bottom = row + 1 >= plan.down ? area.bottom : std::max(tile.top - tileHeight, area.bottom);
    return tile;
}

CRect GetTargetRect(const CPrintArea& tile, double scale, int dpiX, int dpiY, const CRect& printable,
                    bool centreAcross)
{
    const auto pixels = [](double inches, int dpi, int limit) {
        const double upper = std::max(limit, kMinTargetPixels);
        const double value = inches * dpi;
        return static_cast<int>(std::isfinite(value) ? std::clamp(std::round(value), double{kMinTargetPixels}, upper)
                                                     : upper);
    };
    const int width = std::max(pixels(tile.Width() * scale, dpiX, printable.Width()) / 4 * 4, kMinTargetPixels);
    const int height = pixels(tile.Height() * scale, dpiY, printable.Height());
    const int left = centreAcross && width < printable.Width() ? printable.left + (printable.Width() - width) / 2
                                                                : printable.left;
    return CRect{left, printable.top, left + width, printable.top + height};
}

}  // namespace printlayout
