#pragma once
// The arithmetic of printing the view: how the printed area, the scale and the paper
// make sheets, which part of the area each sheet shows and where its picture lies on the
// sheet, and the resolutions a print quality asks for. Lengths on paper are inches; the
// area is in the units of the view's projection window (model units in a parallel
// view). No window and no context is needed.
#include "foundation/vector3d.h"
#include "platform/ui/uitypes.h"
#include "render/offscreenrender.h"

using CPrintArea = COffscreenRender::Window;

// Print qualities, in the order the dialog lists them.
inline constexpr int kPrintDraft = 0;
inline constexpr int kPrintStandard = 1;
inline constexpr int kPrintHighDefinition = 2;
inline constexpr int kPrintUltrahighDefinition = 3;
inline constexpr int kPrintLargeFormat = 4;

// Why a print cannot be made.
enum class PrintProblem
{
    kNone,
    // The scale is zero, negative or not a number.
    kScale,
    // The area, or what it becomes on paper, has no size.
    kArea,
    // More sheets than a print may take.
    kTooManySheets
};

struct CSheetPlan
{
    // Inches of paper per unit of the area.
    double scale = 0.0;
    int across = 0;
    int down = 0;
    PrintProblem problem = PrintProblem::kNone;

    [[nodiscard]] int GetSheetCount() const { return across * down; }
};

namespace printlayout {

// An isometric view shows lengths along the axes shortened by this factor's inverse.
inline constexpr double kIsometricCorrection = 1.2247448714;
// A print takes at most this many sheets; beyond, the scale asks for a wall, not a print.
inline constexpr int kMaxSheets = 500;
// A rest of paper up to this (in inches) needs no sheet of its own.
inline constexpr double kTileTolerance = 0.001;
// The paper before any printer is known.
inline constexpr double kDefaultPageWidth = 8.5;
inline constexpr double kDefaultPageHeight = 11.0;
// Inches per unit of the dialog's unit lists: inches, feet, millimetres, centimetres, metres.
inline constexpr double kUnitInches[] = {1.0, 12.0, 0.03937007874015748, 0.39370078740157477, 39.37007874015748};
inline constexpr int kUnitCount = 5;

// 1.0 for a parallel view along an axis, the isometric correction for a parallel
// isometric view, 0.0 when the view cannot be printed to scale (perspective, or any
// other direction).
[[nodiscard]] double GetScaleCorrection(bool perspective, const CVector3d& direction);
// The resolution the paper size is measured against: 300 dots per inch, or for
// Ultrahigh Definition the divisor, at least 300.
[[nodiscard]] int GetReferenceResolution(int quality, int divisor);
// The resolution a screen pixel's line width and text stand for on paper: 100, 300 for
// High Definition, the divisor for Ultrahigh Definition (300 when it is not above 1).
[[nodiscard]] int GetLineReferenceResolution(int quality, int divisor);
// Reference / printer resolution when the printer's is finer, else 1.
[[nodiscard]] double GetPrinterResolutionFactor(int quality, int divisor, int printerDpi);
// How finely the picture is rendered against the printer's pixels: 1 in a preview; else
// 0.5 for Draft, 0.25 for Large Format, 1 otherwise, times the printer's factor.
[[nodiscard]] double GetRenderResolutionFactor(bool preview, int quality, double printerFactor);
// The largest scale that puts the whole area on one sheet; 0 for an area without size.
[[nodiscard]] double GetFitScale(double areaWidth, double areaHeight, double pageWidth, double pageHeight);
// The sheets the area at the scale needs, or the problem that stops it.
[[nodiscard]] CSheetPlan PlanSheets(double areaWidth, double areaHeight, double scale, double pageWidth,
                                    double pageHeight);
// The part of the area a sheet shows (index from 0, rows from the top, each row left to
// right); the last column and row end at the area's edge.
[[nodiscard]] CPrintArea GetTileArea(const CPrintArea& area, const CSheetPlan& plan, double pageWidth,
                                     double pageHeight, int index);
// Where a tile's picture lies on the sheet, in printer pixels within the printable
// rectangle: the tile's size on paper, at least 4 pixels each way, the width a multiple
// of 4, centred across when asked and narrower than the sheet.
[[nodiscard]] CRect GetTargetRect(const CPrintArea& tile, double scale, int dpiX, int dpiY, const CRect& printable,
                                  bool centreAcross);

}  // namespace printlayout
