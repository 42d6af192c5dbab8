#pragma once
// CViewPrinter: what the main view does when it prints or previews. Before a job it
// shows the print dialog over the view's options and plans the sheets: the current view
// (its window or the model's extents) fitted to the paper or to scale and tiled over as
// many sheets as that takes, or the model's pages one to a sheet. Each sheet's part of
// the picture is rendered off the window at the printer's resolution (as the quality
// asks), in bands within the memory budget, with the print display settings, and drawn
// onto the sheet; the model, its pages, the camera and the view are as before afterwards.
//
// A sheet that cannot be rendered shows "Unable to preview this view." in a preview;
// in a print it says "Print Error: Insufficient memory." and ends the job, which is
// dropped. A sheet whose picture stopped part way (it would draw too much) is no sheet
// of the view either: the preview and the message say so with that reason, and the
// print is dropped the same way. A job cancelled within a sheet (its device's abort
// procedure answered false after a band) or by a quit ends without a word.
// User-interface thread only.
#include <memory>

#include "app/printoptions.h"

class CGlimraView;
class CPrintDlg;
class CPrintInfo;
class CPrinterDC;
class CViewPage;

class CViewPrinter
{
public:
    static constexpr int kInsufficientMemoryId = 10025;
    static constexpr int kUnableToPreviewId = 10026;
    static constexpr int kManySheetsQuestionId = 10080;
    static constexpr int kPrinterUnsupportedId = 10566;
    // Above this many sheets a print asks first.
    static constexpr int kSheetsWithoutQuestion = 9;

    explicit CViewPrinter(CGlimraView& view);
    ~CViewPrinter();
    CViewPrinter(const CViewPrinter&) = delete;
    CViewPrinter& operator=(const CViewPrinter&) = delete;

    // The dialog and the plan; false when the extents cannot be found (silently), the
    // user cancels, the options cannot make a print, or the user declines many sheets.
    bool PreparePrinting(CPrintInfo& info);
    // The plan again for this device's paper.
    void BeginPrinting(CPrinterDC& dc, CPrintInfo& info);
    void PrintSheet(CPrinterDC& dc, CPrintInfo& info);
    void EndPrinting();

    [[nodiscard]] bool IsPrinting() const { return m_printing; }
    [[nodiscard]] bool IsPreviewing() const { return m_previewing; }
    void SetPreviewing(bool previewing) { m_previewing = previewing; }
    // The job's options, plan and render factor, as the last preparation left them.
    [[nodiscard]] const CPrintOptions& GetOptions() const { return m_options; }
    [[nodiscard]] const CPrintContext& GetContext() const { return m_context; }
    [[nodiscard]] const CSheetPlan& GetPlan() const { return m_plan; }
    [[nodiscard]] double GetResolutionFactor() const { return m_resolutionFactor; }

private:
    // The view's projection window and the model's extents seen from the camera; false
    // when nothing is drawn.
    bool ReadView(CPrintContext& context);
    [[nodiscard]] CPrintArea GetViewWindow();
    void ReadPrinter(CPrintContext& context) const;
    void Plan(const CPrintInfo& info);
    // The screen's pixels per inch, that texts keep their size at; where the screen does not
    // tell, those the text renderer sees point sizes at.
    [[nodiscard]] double GetScreenDpi() const;
    enum class ETile
    {
        kDrawn,
        kFailed,
        // Stopped part way: what the target shows is not the whole view.
        kCut,
    };
    // Renders the tile onto the target rectangle, with lines and texts widened by their
    // factors.
    ETile RenderTile(CPrinterDC& dc, const CPrintArea& tile, const CRect& target, double lineWidthFactor,
                    double textFactor, bool preview);
    // The model's display kept in a page of its own, and a model page shown in its place.
    [[nodiscard]] std::unique_ptr<CViewPage> SaveDisplay();
    void ShowPage(int index);
    void RestoreDisplay(CViewPage& display, int selectedPage);
    // A sheet that could not be drawn whole: said in its place in a preview, else by a
    // message, and the job fails.
    static void ReportSheet(CPrinterDC& dc, CPrintInfo& info, const CRect& target, ETile tile);

    CGlimraView& m_view;
    std::unique_ptr<CPrintDlg> m_dialog;
    CPrintOptions m_options;
    CPrintContext m_context;
    CSheetPlan m_plan;
    double m_resolutionFactor = 1.0;
    bool m_printing = false;
    bool m_previewing = false;
};
