#include "app/printlayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace printlayout;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

}  // namespace

TEST(PrintLayout, AScaleTakesWholeSheetsAndOneMoreOnlyForARestAboveAThousandthOfAnInch)
{
    const struct
    {
        double width, height, scale;
        int across, down;
    } cases[] = {
        {100, 50, 0.1, 2, 1},        // 10 x 5 inches on 8 x 10
        {80.005, 50, 0.1, 1, 1},     // 8.0005 inches: the rest is too small for a sheet
        {80.02, 50, 0.1, 2, 1},      // 8.002 inches
        {160, 300, 0.1, 2, 3},       // exactly two sheets across, three down
        {1, 1, 0.5, 1, 1},           // smaller than a sheet
    };
    for (const auto& c : cases)
    {
        const CSheetPlan plan = PlanSheets(c.width, c.height, c.scale, 8.0, 10.0);
        EXPECT_EQ(plan.problem, PrintProblem::kNone) << c.width;
        EXPECT_EQ(plan.across, c.across) << c.width;
        EXPECT_EQ(plan.down, c.down) << c.width;
    }
}

TEST(PrintLayout, FittingPutsTheWholeAreaOnOneSheet)
{
    const struct
    {
        double width, height, scale;
    } cases[] = {{200, 100, 0.04}, {100, 200, 0.05}, {8, 10, 1.0}, {0.001, 0.002, 5000.0}};
    for (const auto& c : cases)
    {
        const double scale = GetFitScale(c.width, c.height, 8.0, 10.0);
        EXPECT_NEAR(scale, c.scale, 1e-9) << c.width;
        const CSheetPlan plan = PlanSheets(c.width, c.height, scale, 8.0, 10.0);
        EXPECT_EQ(plan.GetSheetCount(), 1) << c.width;
    }
    EXPECT_EQ(GetFitScale(0.0, 10.0, 8.0, 10.0), 0.0);
}

TEST(PrintLayout, ScalesAndAreasThatMakeNoPrintAreRefusedAndTheSheetsAreCapped)
{
    const struct
    {
        double width, height, scale;
        PrintProblem problem;
    } cases[] = {
        {100, 50, 0.0, PrintProblem::kScale},
        {100, 50, -0.1, PrintProblem::kScale},
        {100, 50, kNaN, PrintProblem::kScale},
        {100, 50, kInf, PrintProblem::kScale},
        {0, 50, 0.1, PrintProblem::kArea},
        {100, -50, 0.1, PrintProblem::kArea},
        {kNaN, 50, 0.1, PrintProblem::kArea},
        {1e-6, 50, 0.1, PrintProblem::kArea},  // a ten-millionth of an inch wide
        {1e6, 1e6, 1.0, PrintProblem::kTooManySheets},
        {1e300, 10, 1.0, PrintProblem::kTooManySheets},
        {8 * 25, 10 * 21, 1.0, PrintProblem::kTooManySheets},  // 525 sheets
        {8 * 25, 10 * 20, 1.0, PrintProblem::kNone},           // 500 sheets
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlanSheets(c.width, c.height, c.scale, 8.0, 10.0).problem, c.problem)
            << c.width << " x " << c.height << " at " << c.scale;
}

TEST(PrintLayout, OnlyParallelViewsAlongAnAxisOrIsometricPrintToScale)
{
    const double third = 1.0 / std::sqrt(3.0);
    const struct
    {
        bool perspective;
        CVector3d direction;
        double correction;
    } cases[] = {
        {false, {0, 0, -1}, 1.0},
        {false, {0, 1, 0}, 1.0},
        {false, {third, third, -third}, kIsometricCorrection},
        {false, {-third, third, -third}, kIsometricCorrection},
        {false, {0.7071067811865476, 0.7071067811865476, 0}, 0.0},
        {false, {0.01, 0, -0.99995}, 0.0},
        {true, {0, 0, -1}, 0.0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetScaleCorrection(c.perspective, c.direction), c.correction)
            << c.direction.x << " " << c.direction.y << " " << c.direction.z;
}

TEST(PrintLayout, QualitiesSetTheReferenceResolutionsAndTheRenderFactor)
{
    EXPECT_EQ(GetReferenceResolution(kPrintStandard, 600), 300);
    EXPECT_EQ(GetReferenceResolution(kPrintUltrahighDefinition, 600), 600);
    // A divisor below 300 counts as 300.
    EXPECT_EQ(GetReferenceResolution(kPrintUltrahighDefinition, 200), 300);
    EXPECT_EQ(GetLineReferenceResolution(kPrintDraft, 600), 100);
    EXPECT_EQ(GetLineReferenceResolution(kPrintHighDefinition, 600), 300);
    EXPECT_EQ(GetLineReferenceResolution(kPrintUltrahighDefinition, 200), 200);
    EXPECT_EQ(GetLineReferenceResolution(kPrintUltrahighDefinition, 1), 300);
    EXPECT_EQ(GetPrinterResolutionFactor(kPrintStandard, 600, 1200), 0.25);
    EXPECT_EQ(GetPrinterResolutionFactor(kPrintStandard, 600, 300), 1.0);
    EXPECT_EQ(GetPrinterResolutionFactor(kPrintUltrahighDefinition, 600, 1200), 0.5);
    EXPECT_EQ(GetRenderResolutionFactor(false, kPrintDraft, 0.25), 0.125);
    EXPECT_EQ(GetRenderResolutionFactor(false, kPrintLargeFormat, 1.0), 0.25);
    EXPECT_EQ(GetRenderResolutionFactor(false, kPrintHighDefinition, 0.5), 0.5);
    EXPECT_EQ(GetRenderResolutionFactor(true, kPrintDraft, 0.25), 1.0);
}

TEST(PrintLayout, SheetsShowTheAreaFromTheTopLeftAndTheLastOnesEndAtItsEdge)
{
    const CPrintArea area{-50, 50, -25, 75};  // 100 x 100
    const CSheetPlan plan = PlanSheets(100, 100, 0.1, 8.0, 6.0);  // 10 x 10 inches: 2 x 2
    ASSERT_EQ(plan.GetSheetCount(), 4);
    const struct
    {
        int index;
        double left, right, bottom, top;
    } cases[] = {{0, -50, 30, 15, 75}, {1, 30, 50, 15, 75}, {2, -50, 30, -25, 15}, {3, 30, 50, -25, 15}};
    for (const auto& c : cases)
    {
        const CPrintArea tile = GetTileArea(area, plan, 8.0, 6.0, c.index);
        EXPECT_NEAR(tile.left, c.left, 1e-9) << c.index;
        EXPECT_NEAR(tile.right, c.right, 1e-9) << c.index;
        EXPECT_NEAR(tile.bottom, c.bottom, 1e-9) << c.index;
        EXPECT_NEAR(tile.top, c.top, 1e-9) << c.index;
    }
}

TEST(PrintLayout, ASheetsPictureIsAMultipleOfFourWideAndCentredWhenNarrower)
{
    const CRect sheet{0, 0, 800, 1000};
    // 4.03 x 3 inches at 100 dpi: 403 pixels become 400, centred.
    EXPECT_EQ(GetTargetRect(CPrintArea{0, 40.3, 0, 30}, 0.1, 100, 100, sheet, true), (CRect{200, 0, 600, 300}));
    EXPECT_EQ(GetTargetRect(CPrintArea{0, 40.3, 0, 30}, 0.1, 100, 100, sheet, false), (CRect{0, 0, 400, 300}));
    // Never below 4 pixels, never beyond the sheet.
    EXPECT_EQ(GetTargetRect(CPrintArea{0, 0.01, 0, 0.01}, 0.1, 100, 100, sheet, false), (CRect{0, 0, 4, 4}));
    EXPECT_EQ(GetTargetRect(CPrintArea{0, 81, 0, 101}, 0.1, 100, 100, sheet, true), (CRect{0, 0, 800, 1000}));
}
