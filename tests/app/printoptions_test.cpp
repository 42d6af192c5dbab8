#include "app/printoptions.h"

#include <gtest/gtest.h>

#include "apptestsupport.h"
#include "foundation/lengthformatter.h"
#include "platform/profile.h"

namespace {

// A 200 x 100 view window on 8 x 10 inch paper, with extents half as large.
CPrintContext Context(double correction = 1.0)
{
    CPrintContext context;
    context.window = CPrintArea{-100, 100, -50, 50};
    context.extents = CPrintArea{-50, 50, -25, 25};
    context.correction = correction;
    context.pageWidth = 8.0;
    context.pageHeight = 10.0;
    return context;
}

}  // namespace

TEST(PrintOptions, FittingShowsThePageInTheAreasShapeAndTheScaleThatGivesIt)
{
    CPrintOptions options;
    options.Recompute(Context());
    EXPECT_DOUBLE_EQ(options.printWidth, 8.0);
    EXPECT_DOUBLE_EQ(options.printHeight, 4.0);
    EXPECT_DOUBLE_EQ(options.sizeInDrawing, 1.0);
    EXPECT_DOUBLE_EQ(options.sizeInModel, 25.0);
    EXPECT_DOUBLE_EQ(options.GetPrintScale(Context()), 0.04);
    // A view that cannot be printed to scale always fits.
    options.fitToPage = false;
    options.sizeInModel = 10.0;
    EXPECT_TRUE(options.FitsToPage(Context(0.0)));
    EXPECT_DOUBLE_EQ(options.GetPrintScale(Context(0.0)), 0.04);
}

TEST(PrintOptions, AScalePairSetsThePrintedSizeAndAnIsometricViewCorrectsIt)
{
    const struct
    {
        double correction;
        double width;
    } cases[] = {{1.0, 20.0}, {printlayout::kIsometricCorrection, 20.0 * printlayout::kIsometricCorrection}};
    for (const auto& c : cases)
    {
        CPrintOptions options;
        options.fitToPage = false;
        options.sizeInDrawing = 1.0;
        options.sizeInModel = 10.0;
        options.Recompute(Context(c.correction));
        EXPECT_NEAR(options.printWidth, c.width, 1e-9);
        EXPECT_NEAR(options.printHeight, c.width / 2.0, 1e-9);
        EXPECT_NEAR(options.GetPrintScale(Context(c.correction)), 0.1 * c.correction, 1e-12);
    }
}

TEST(PrintOptions, APrintedWidthTypedInSetsTheScalePair)
{
    CPrintOptions options;
    options.fitToPage = false;
    options.widthUnits = kLengthUnitCentimeters;
    ASSERT_TRUE(options.ParseLength(CPrintOptions::kPrintWidth, CString("50.8"), Context()));
    EXPECT_NEAR(options.printWidth, 20.0, 1e-9);
    EXPECT_NEAR(options.sizeInModel / options.sizeInDrawing, 10.0, 1e-9);
    EXPECT_FALSE(options.ParseLength(CPrintOptions::kSizeInModel, CString("wide"), Context()));
    EXPECT_NEAR(options.sizeInModel, 10.0, 1e-9);
}

TEST(PrintOptions, ChangingAUnitKeepsTheNumberShown)
{
    CPrintOptions options;
    options.fitToPage = false;
    options.sizeInDrawing = 1.0;
    options.sizeInModel = 96.0;
    ASSERT_TRUE(options.ChangeUnit(CPrintOptions::kSizeInModel, kLengthUnitFeet, Context()));
    EXPECT_DOUBLE_EQ(options.sizeInModel, 96.0 * 12.0);
    EXPECT_EQ(options.FormatLength(CPrintOptions::kSizeInModel), CString("96'"));
    EXPECT_FALSE(options.ChangeUnit(CPrintOptions::kSizeInModel, 5, Context()));
}

TEST(PrintOptions, ChoosingPagesFitsEachSheetAndUsesNoExtents)
{
    CPrintOptions options;
    options.fitToPage = false;
    options.useModelExtents = true;
    options.SetPrintPages(true);
    EXPECT_TRUE(options.fitToPage);
    EXPECT_FALSE(options.useModelExtents);
    CPrintContext context = Context();
    context.pageCount = 3;
    options.firstPage = 2;
    options.lastPage = 3;
    PrintProblem problem = PrintProblem::kScale;
    EXPECT_EQ(options.CountSheets(context, problem), 2);
    EXPECT_EQ(problem, PrintProblem::kNone);
}

TEST(PrintOptions, OptionsSurviveTheProfileAndTextThatIsNoLengthLeavesAMember)
{
    apptest::MemorySettings settings;
    CPrintOptions saved;
    saved.fitToPage = false;
    saved.sizeInDrawing = 0.25;
    saved.sizeInModel = 1.0 / 3.0;
    saved.modelUnits = kLengthUnitMeters;
    saved.resolution = kPrintLargeFormat;
    saved.sectionSliceOnly = true;
    saved.Save();
    CPrintOptions loaded;
    loaded.Load(true);
    EXPECT_FALSE(loaded.fitToPage);
    EXPECT_NEAR(loaded.sizeInDrawing, 0.25, 1e-12);
    EXPECT_NEAR(loaded.sizeInModel, 1.0 / 3.0, 1e-12);
    EXPECT_EQ(loaded.modelUnits, kLengthUnitMeters);
    EXPECT_EQ(loaded.resolution, kPrintLargeFormat);
    EXPECT_TRUE(loaded.sectionSliceOnly);
    EXPECT_EQ(loaded.pixelWidthDivisor, 600);

    WriteProfileString(CString("PrintOptions"), CString("sizeInModel"), CString("wide"));
    CPrintOptions kept;
    kept.sizeInModel = 7.0;
    kept.Load(false);
    EXPECT_EQ(kept.sizeInModel, 7.0);
    // Without a section plane the slice switch is off.
    EXPECT_FALSE(kept.sectionSliceOnly);
}
