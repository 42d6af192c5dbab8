#pragma once
// CPrintOptions: the print options the print dialog edits and keeps in the profile
// section "PrintOptions", with the dialog's arithmetic: the printed size that follows
// from fitting or from the scale pair, the scale pair that follows from a printed size,
// unit changes, and the checks a print must pass. CPrintContext is what that arithmetic
// knows of the view and the printer.
//
// Lengths are inches; each of the four has a unit (an index of the dialog's unit list)
// it is shown in.
#include "app/printlayout.h"
#include "platform/cstring.h"

struct CPrintContext
{
    // The view's projection window and the box of what the model draws, seen from the
    // camera, in the same units.
    CPrintArea window;
    CPrintArea extents;
    // 1.0 for an axis view, the isometric correction, or 0 when the view cannot be
    // printed to scale.
    double correction = 1.0;
    // The printable area of the paper.
    double pageWidth = printlayout::kDefaultPageWidth;
    double pageHeight = printlayout::kDefaultPageHeight;
    // The printer's resolution in dots per inch (0 before a printer is known).
    int printerDpi = 0;
    // The model's pages (at least 1) and whether it has any.
    int pageCount = 1;
    bool hasPages = false;
    bool hasSectionPlane = false;

    [[nodiscard]] bool CanPrintToScale() const { return correction > 0.0; }
    [[nodiscard]] const CPrintArea& GetArea(bool useModelExtents) const { return useModelExtents ? extents : window; }
};

class CPrintOptions
{
public:
    // The four lengths of the dialog.
    enum Length
    {
        kSizeInDrawing = 0,
        kSizeInModel,
        kPrintWidth,
        kPrintHeight
    };

    // Reads the section; a missing key or a text that is no length leaves the member
    // as it is. The slice switch is read only when the model has a section plane, and
    // is off otherwise.
    void Load(bool hasSectionPlane);
    void Save() const;

    [[nodiscard]] double GetLength(Length which) const;
    [[nodiscard]] int GetUnit(Length which) const;
    // The length as shown: in its unit, with the length formatter.
    [[nodiscard]] CString FormatLength(Length which) const;
    // Text typed into a length's field, in its unit; false (and nothing changed) when it
    // is no length. The printed width and height set the scale pair.
    bool ParseLength(Length which, const CString& text, const CPrintContext& context);
    // The number shown stays and now means the new unit. False for an unknown unit.
    bool ChangeUnit(Length which, int unit, const CPrintContext& context);
    // Choosing to print the model's pages fits each to its sheet and uses no extents.
    void SetPrintPages(bool pages);
    // The printed size from fitting or from the scale pair; nothing for an area
    // without size or a scale that is none.
    void Recompute(const CPrintContext& context);
    // Fits when asked, when pages are printed, and always when the view cannot be
    // printed to scale.
    [[nodiscard]] bool FitsToPage(const CPrintContext& context) const;
    // Inches of paper per unit of the area.
    [[nodiscard]] double GetPrintScale(const CPrintContext& context) const;
    // The sheets the options need for the current view (one a page for pages).
    [[nodiscard]] CSheetPlan PlanSheets(const CPrintContext& context) const;
    // The sheets of the print, or the problem that stops it.
    [[nodiscard]] int CountSheets(const CPrintContext& context, PrintProblem& problem) const;

    double sizeInDrawing = 0.0;
    double sizeInModel = 0.0;
    double printWidth = 0.0;
    double printHeight = 0.0;
    int drawingUnits = 0;
    int modelUnits = 0;
    int widthUnits = 0;
    int heightUnits = 0;
    int resolution = kPrintDraft;
    bool fitToPage = true;
    bool useModelExtents = false;
    bool useHLR = false;
    bool sectionSliceOnly = false;
    // The reference resolution of Ultrahigh Definition; never written.
    int pixelWidthDivisor = 600;
    // Not kept: the range the dialog chooses.
    bool printPages = false;
    int firstPage = 1;
    int lastPage = 1;

private:
    [[nodiscard]] double& Member(Length which);
    [[nodiscard]] int& UnitMember(Length which);
};
