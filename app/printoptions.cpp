#include "app/printoptions.h"

#include <cmath>

#include "foundation/lengthformatter.h"
#include "platform/profile.h"

namespace {

const CString kSection("PrintOptions");
const char* const kLengthKeys[] = {"sizeInDrawing", "sizeInModel", "printWidth", "printHeight"};
const char* const kUnitKeys[] = {"drawingUnits", "modelUnits", "widthUnits", "heightUnits"};
// Stored lengths keep what a double says in decimal inches.
constexpr int kStoredPrecision = 12;
constexpr int kShownPrecision = 3;

bool IsUnit(int unit)
{
    return unit >= 0 && unit < printlayout::kUnitCount;
}

bool IsPositive(double value)
{
    return std::isfinite(value) && value > 0.0;
}

}  // namespace

double& CPrintOptions::Member(Length which)
{
    switch (which)
    {
    case kSizeInDrawing: return sizeInDrawing;
    case kSizeInModel: return sizeInModel;
    case kPrintWidth: return printWidth;
    default: return printHeight;
    }
}

int& CPrintOptions::UnitMember(Length which)
{
    switch (which)
    {
    case kSizeInDrawing: return drawingUnits;
    case kSizeInModel: return modelUnits;
    case kPrintWidth: return widthUnits;
    default: return heightUnits;
    }
}

double CPrintOptions::GetLength(Length which) const
{
    return const_cast<CPrintOptions*>(this)->Member(which);
}

int CPrintOptions::GetUnit(Length which) const
{
    return const_cast<CPrintOptions*>(this)->UnitMember(which);
}

void CPrintOptions::Load(bool hasSectionPlane)
{
    const CLengthFormatter formatter;
    for (int i = kSizeInDrawing; i <= kPrintHeight; ++i)
    {
        const auto which = static_cast<Length>(i);
        const CString text = GetProfileString(kSection, CString(kLengthKeys[i]), CString());
        double inches = 0.0;
        if (!text.IsEmpty() && formatter.Parse(text, inches, kLengthFormatDecimal, kLengthUnitInches) &&
            std::isfinite(inches))
            Member(which) = inches;
        const int unit = GetProfileInt(kSection, CString(kUnitKeys[i]), UnitMember(which));
        if (IsUnit(unit))
            UnitMember(which) = unit;
    }
    const int quality = GetProfileInt(kSection, CString("resolution"), resolution);
    if (quality >= kPrintDraft && quality <= kPrintLargeFormat)
        resolution = quality;
    fitToPage = GetProfileInt(kSection, CString("fitToPage"), fitToPage ? 1 : 0) != 0;
    useModelExtents = GetProfileInt(kSection, CString("useModelExtents"), useModelExtents ? 1 : 0) != 0;
    useHLR = GetProfileInt(kSection, CString("useHLR"), useHLR ? 1 : 0) != 0;
    sectionSliceOnly =
        hasSectionPlane && GetProfileInt(kSection, CString("sectionSliceOnly"), sectionSliceOnly ? 1 : 0) != 0;
    pixelWidthDivisor = GetProfileInt(kSection, CString("pixelWidthDivisor"), pixelWidthDivisor);
}

void CPrintOptions::Save() const
{
    const CLengthFormatter formatter;
    for (int i = kSizeInDrawing; i <= kPrintHeight; ++i)
    {
        const auto which = static_cast<Length>(i);
        CString text =
            formatter.FormatCompact(GetLength(which), kLengthFormatDecimal, kStoredPrecision, kLengthUnitInches, false);
        WriteProfileString(kSection, CString(kLengthKeys[i]), text.Trim());
        WriteProfileInt(kSection, CString(kUnitKeys[i]), GetUnit(which));
    }
    WriteProfileInt(kSection, CString("resolution"), resolution);
    WriteProfileInt(kSection, CString("fitToPage"), fitToPage ? 1 : 0);
    WriteProfileInt(kSection, CString("useModelExtents"), useModelExtents ? 1 : 0);
    WriteProfileInt(kSection, CString("useHLR"), useHLR ? 1 : 0);
    WriteProfileInt(kSection, CString("sectionSliceOnly"), sectionSliceOnly ? 1 : 0);
}

CString CPrintOptions::FormatLength(Length which) const
{
    const CLengthFormatter formatter;
    // A rounded value loses its mark but keeps the blank after it.
    CString text = formatter.FormatCompact(GetLength(which), kLengthFormatDecimal, kShownPrecision, GetUnit(which), true);
    return text.Trim();
}

bool CPrintOptions::ParseLength(Length which, const CString& text, const CPrintContext& context)
{
    const CLengthFormatter formatter;
    double inches = 0.0;
    if (!formatter.Parse(text, inches, kLengthFormatDecimal, GetUnit(which)) || !std::isfinite(inches))
        return false;
    Member(which) = inches;
    if (which == kPrintWidth || which == kPrintHeight)
    {
        // A printed size asks for the scale that gives it.
        const CPrintArea& area = context.GetArea(useModelExtents);
        const double length = which == kPrintWidth ? area.Width() : area.Height();
        const double correction = context.CanPrintToScale() ? context.correction : 1.0;
        if (IsPositive(inches) && IsPositive(length))
        {
            sizeInDrawing = 1.0;
            sizeInModel = correction * length / inches;
        }
    }
    Recompute(context);
    return true;
}

bool CPrintOptions::ChangeUnit(Length which, int unit, const CPrintContext& context)
{
    if (!IsUnit(unit))
        return false;
    int& current = UnitMember(which);
    Member(which) = Member(which) / printlayout::kUnitInches[current] * printlayout::kUnitInches[unit];
    current = unit;
    Recompute(context);
    return true;
}

void CPrintOptions::SetPrintPages(bool pages)
{
    printPages = pages;
    if (pages)
    {
        fitToPage = true;
        useModelExtents = false;
    }
}

bool CPrintOptions::FitsToPage(const CPrintContext& context) const
{
    return fitToPage || printPages || !context.CanPrintToScale();
}

double CPrintOptions::GetPrintScale(const CPrintContext& context) const
{
    const CPrintArea& area = context.GetArea(useModelExtents);
    if (FitsToPage(context))
        return printlayout::GetFitScale(area.Width(), area.Height(), context.pageWidth, context.pageHeight);
    return sizeInDrawing / sizeInModel * context.correction;
}

void CPrintOptions::Recompute(const CPrintContext& context)
{
    const CPrintArea& area = context.GetArea(useModelExtents);
    const double width = area.Width();
    const double height = area.Height();
    if (!IsPositive(width) || !IsPositive(height))
        return;
    const double aspect = height / width;
    const double correction = context.CanPrintToScale() ? context.correction : 1.0;
    if (FitsToPage(context))
    {
        if (context.pageHeight / aspect <= context.pageWidth)
        {
            printHeight = context.pageHeight;
            printWidth = context.pageHeight / aspect;
        }
        else
        {
            printWidth = context.pageWidth;
            printHeight = context.pageWidth * aspect;
        }
        sizeInDrawing = 1.0;
        sizeInModel = correction / printWidth * width;
        return;
    }
    const double scale = sizeInDrawing / sizeInModel;
    if (!IsPositive(scale))
        return;
    printWidth = correction * scale * width;
    printHeight = printWidth * aspect;
}

CSheetPlan CPrintOptions::PlanSheets(const CPrintContext& context) const
{
    const CPrintArea& area = context.GetArea(useModelExtents);
    return printlayout::PlanSheets(area.Width(), area.Height(), GetPrintScale(context), context.pageWidth,
                                   context.pageHeight);
}

int CPrintOptions::CountSheets(const CPrintContext& context, PrintProblem& problem) const
{
    if (printPages)
    {
        const int count = lastPage - firstPage + 1;
        const bool valid = firstPage >= 1 && lastPage <= context.pageCount && count >= 1;
        problem = !valid ? PrintProblem::kArea
                         : (count > printlayout::kMaxSheets ? PrintProblem::kTooManySheets : PrintProblem::kNone);
        return valid ? count : 0;
    }
    const CSheetPlan plan = PlanSheets(context);
    problem = plan.problem;
    return plan.problem == PrintProblem::kNone ? plan.GetSheetCount() : 0;
}
