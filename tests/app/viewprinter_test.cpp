#include "app/viewprinter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/glimraapp.h"
#include "app/glimradoc.h"
#include "app/glimraview.h"
#include "app/mainframe.h"
#include "app/printdlg.h"
#include "annotations/constructionpoint.h"
#include "annotations/dimension.h"
#include "annotations/sectionplane.h"
#include "annotations/text.h"
#include "app/resourceids.h"
#include "apptestsupport.h"
#include "printtestsupport.h"
#include "document/component.h"
#include "document/pagelist.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "drawapi/animation.h"
#include "foundation/framemeter.h"
#include "model/undosuspender.h"
#include "platform/gl/gldevice.h"
#include "platform/profile.h"
#include "platform/ui/appprinter.h"
#include "platform/ui/modaldialog.h"
#include "platform/ui/printerdc.h"
#include "platform/ui/printinfo.h"
#include "platform/ui/printpreviewview.h"
#include "platform/ui/stringtable.h"
#include "render/offscreenrender.h"
#include "samplefiles.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/modelfiles.h"

namespace {

const CString kSection("PrintOptions");
constexpr int kDpi = 100;

// Runs a command line and answers what it wrote; empty when it could not run.
std::string Run(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r"))
    {
        char buffer[256];
        while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr)
            output += buffer;
        pclose(pipe);
    }
    return output;
}

int PdfPageCount(const std::string& path)
{
    const std::string info = Run("pdfinfo '" + path + "' 2>/dev/null");
    const auto at = info.find("Pages:");
    return at == std::string::npos ? 0 : std::atoi(info.c_str() + at + 6);
}

// The words of the PDF's sheets, lines joined by spaces.
std::string PdfText(const std::string& path)
{
    std::string text = Run("pdftotext '" + path + "' - 2>/dev/null");
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

// One sheet of the PDF as the printer would put it on paper, at the test's resolution.
QImage Rasterise(const std::string& path, int page, int dpi = kDpi)
{
    const std::string out = path + "-page";
    Run("pdftoppm -singlefile -png -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
        std::to_string(page) + " '" + path + "' '" + out + "'");
    return QImage(QString::fromStdString(out + ".png")).convertToFormat(QImage::Format_RGB32);
}

// A box of 100 x 50 inches and 10 high, seen from anywhere.
std::string WriteBoxModel(const std::filesystem::path& folder)
{
    const std::string path = (folder / "box.twk").string();
    auto* model = new CTarnwickModel;
    {
        const CUndoSuspender suspender;
        const CurrentModelScope scope(model);
        (void)CGeometryBuilder(*model->GetRootComponent()).Box(CPoint3d(0, 0, 0), CPoint3d(100, 50, 10));
    }
    EXPECT_TRUE(WriteModelFile(*model, path, kSaveFormat5000));
    model->Release();
    return path;
}

bool Uniform(const QImage& image, int x, int y, int radius)
{
    const QRgb centre = image.pixel(x, y);
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
        {
            const QRgb p = image.pixel(std::clamp(x + dx, 0, image.width() - 1), std::clamp(y + dy, 0, image.height() - 1));
            if (std::abs(qRed(p) - qRed(centre)) > 2 || std::abs(qGreen(p) - qGreen(centre)) > 2 ||
                std::abs(qBlue(p) - qBlue(centre)) > 2)
                return false;
        }
    return true;
}

// The model's file, but for the time stamp that every write changes.
ModelBytes StoredBytes(CTarnwickModel& model)
{
    ModelBytes bytes = WriteModelBytes(model, kSaveFormat5000);
    const std::size_t stamp = GetTimeStampOffset(kSaveFormat5000);
    if (bytes.size() >= stamp + 8)
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(stamp), 8, BYTE{0});
    return bytes;
}

// The view's picture as the window shows it now.
QImage Picture(CGlimraView& view)
{
    view.Invalidate(false);
    view.OnPaint();
    return view.GetPresentedFrame() != nullptr ? view.GetPresentedFrame()->convertToFormat(QImage::Format_RGB32)
                                               : QImage();
}

int CountDifferent(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return -1;
    int different = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            different += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
    return different;
}

bool Close(QRgb a, QRgb b, int tolerance)
{
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The rows from the first to the last where the two pictures differ clearly.
int DifferingRows(const QImage& a, const QImage& b)
{
    int first = -1;
    int last = -1;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            if (!Close(a.pixel(x, y), b.pixel(x, y), 96))
            {
                first = first < 0 ? y : first;
                last = y;
                break;
            }
    return first < 0 ? 0 : last - first + 1;
}

// Steps whenever the view's timer lets it, asking for the next step at once, and counts
// the times its clock was stopped and let run.
class CStepCounter : public IAnimation
{
public:
    bool Step(ITarnisView* view) override
    {
        ++steps;
        view->SetAnimationInterval(0.0);
        return true;
    }
    void Finish() override {}
    void Pause(bool paused) override { ++(paused ? stops : runs); }
    void Release() override { delete this; }

    int steps = 0;
    int stops = 0;
    int runs = 0;
};

// The preview window's sheets, when the dialog is the preview.
CPrintPreviewView* Sheets(QDialog& dialog)
{
    return dynamic_cast<CPrintPreviewView*>(dialog.findChild<QWidget*>(QStringLiteral("sheets")));
}

// The shared printing fixture, with this file's own ways of opening and setting up.
class ViewPrinterTest : public apptest::PrintTest
{
protected:
    void Open(const std::string& path)
    {
        app.SetArguments({CString("glimra"), CString::FromUtf8(path)});
        ASSERT_TRUE(app.InitInstance());
        view = app.GetActiveGlimraView();
        frame = app.GetMainFrame();
        ASSERT_NE(view, nullptr);
    }
    // The box seen from the top in a parallel view.
    void OpenBoxFromTop()
    {
        Open(WriteBoxModel(folder));
        frame->SendCommand(ID_VIEW_TOP);
        if (view->GetViewDefinition().IsPerspective())
            frame->SendCommand(ID_CAMERA_PERSPECTIVE);
    }
    static void ScaleOptions(const char* printed, const char* model)
    {
        WriteProfileInt(kSection, CString("fitToPage"), 0);
        WriteProfileInt(kSection, CString("useModelExtents"), 1);
        WriteProfileInt(kSection, CString("resolution"), kPrintDraft);
        WriteProfileString(kSection, CString("sizeInDrawing"), CString(printed));
        WriteProfileString(kSection, CString("sizeInModel"), CString(model));
    }
    // A plain white background without sky or ground: a sheet shows the view's own colours.
    CRenderingOptions& WhiteBackground()
    {
        CRenderingOptions& options = *view->GetRenderingOptions();
        options.SetBackgroundColor(CColor(255, 255, 255, 255));
        options.SetDisplaySky(false);
        options.SetDisplayGround(false);
        return options;
    }
    [[nodiscard]] bool PdfWritten() const { return std::filesystem::exists(pdf); }
};

TEST_F(ViewPrinterTest, FittingPrintsOneSheetWhosePictureShowsTheViewsPixels)
{
    // Once the paper showed through faces seen through a blended one (the section plane's fill).
    Open(apptest::Samples().Path("house-5000.twk"));
    CRenderingOptions& options = WhiteBackground();
    // A print stipples the section plane's translucent fill where the window blends it.
    options.ToggleSectionDisplay(CRenderingOptions::kSectionPlanesShown);
    view->UpdateWindow();
    view->OnPaint();
    ASSERT_NE(view->GetPresentedFrame(), nullptr);
    const QImage screen = view->GetPresentedFrame()->convertToFormat(QImage::Format_RGB32);
    WriteProfileInt(kSection, CString("resolution"), kPrintStandard);

    view->OnFilePrint();
    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_EQ(PdfPageCount(pdf), 1);
    EXPECT_EQ(view->GetViewPrinter().GetPlan().GetSheetCount(), 1);
    const QImage sheet = Rasterise(pdf, 1);
    ASSERT_EQ(sheet.size(), QSize(800, 1000));
    // The view's shape fitted to the sheet's width (or height), from the top, centred across.
    const double scale = std::min(800.0 / screen.width(), 1000.0 / screen.height());
    const double width = std::floor(screen.width() * scale / 4) * 4;
    const double left = (800 - width) / 2;
    int compared = 0;
    int matched = 0;
    int model = 0;
    for (int j = 1; j < 30; ++j)
        for (int i = 1; i < 40; ++i)
        {
            const int x = screen.width() * i / 40;
            const int y = screen.height() * j / 30;
            if (!Uniform(screen, x, y, 4))
                continue;
            ++compared;
            const QRgb printed = sheet.pixel(static_cast<int>(left + x * width / screen.width()),
                                             static_cast<int>(y * scale));
            matched += Close(printed, screen.pixel(x, y), 24) ? 1 : 0;
            model += screen.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        }
    EXPECT_GT(model, 40);
    EXPECT_GE(matched, compared * 95 / 100) << matched << " of " << compared;
}

TEST_F(ViewPrinterTest, PrintingToScaleTakesTheSheetsTheModelsSizeNeeds)
{
    OpenBoxFromTop();
    // 100 x 50 inches on 8 x 10 inch sheets.
    const struct
    {
        const char* model;
        int across, down;
    } cases[] = {{"10", 2, 1}, {"5", 3, 1}, {"4", 4, 2}};
    for (const auto& c : cases)
    {
        ScaleOptions("1", c.model);
        view->OnFilePrint();
        EXPECT_TRUE(boxes.calls.empty()) << c.model;
        const CSheetPlan& plan = view->GetViewPrinter().GetPlan();
        EXPECT_EQ(plan.across, c.across) << c.model;
        EXPECT_EQ(plan.down, c.down) << c.model;
        EXPECT_EQ(PdfPageCount(pdf), c.across * c.down) << c.model;
        std::filesystem::remove(pdf);
    }
}

TEST_F(ViewPrinterTest, AnIsometricViewCorrectsItsScale)
{
    OpenBoxFromTop();
    frame->SendCommand(ID_VIEW_ISO);
    ASSERT_FALSE(view->GetViewDefinition().IsPerspective());
    ScaleOptions("1", "10");
    view->OnFilePrint();
    EXPECT_TRUE(PdfWritten());
    const CViewPrinter& printer = view->GetViewPrinter();
    EXPECT_EQ(printer.GetContext().correction, printlayout::kIsometricCorrection);
    EXPECT_NEAR(printer.GetPlan().scale, 0.1 * printlayout::kIsometricCorrection, 1e-12);
}

TEST_F(ViewPrinterTest, MoreThanNineSheetsAskFirstButNeverBeforeAPreview)
{
    OpenBoxFromTop();
    ScaleOptions("1", "3");  // 33.3 x 16.7 inches: 5 x 2 sheets
    apptest::MessageBoxRecorder declined(IDCANCEL);
    view->OnFilePrint();
    ASSERT_EQ(declined.calls.size(), 1U);
    EXPECT_EQ(declined.calls[0].text, LoadStringResource(CViewPrinter::kManySheetsQuestionId));
    EXPECT_FALSE(PdfWritten());

    int previewSheets = 0;
    const ModalDialogSink previous = SetModalDialogSink([&previewSheets](QDialog& dialog) {
        if (CPrintPreviewView* preview = Sheets(dialog))
            previewSheets = preview->GetSheetCount();
        return static_cast<int>(QDialog::Accepted);
    });
    view->OnFilePrintPreview();
    SetModalDialogSink(previous);
    EXPECT_EQ(declined.calls.size(), 1U);
    EXPECT_EQ(previewSheets, 10);
}

TEST_F(ViewPrinterTest, APreviewDrawsTheSheetsInSightAndLetsTheOthersGo)
{
    // Once a preview held a full-resolution picture of every sheet, and kept them closed.
    OpenBoxFromTop();
    ScaleOptions("1", "3");  // 5 x 2 sheets, the box over all of them
    std::vector<int> atFirst;
    std::vector<int> atLast;
    std::vector<int> twoAtFirst;
    int modelPixels = 0;
    const ModalDialogSink previous = SetModalDialogSink([&](QDialog& dialog) {
        CPrintPreviewView* preview = Sheets(dialog);
        if (preview == nullptr)  // the print dialog
            return static_cast<int>(QDialog::Accepted);
        dialog.show();
        apptest::ProcessEvents();
        preview->FitPage();
        preview->DrawPendingSheets();
        atFirst = preview->GetHeldSheets();
        if (const QImage* sheet = preview->GetSheetPicture(0))
            for (int y = 0; y < sheet->height(); y += 4)
                for (int x = 0; x < sheet->width(); x += 4)
                    modelPixels += sheet->pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        preview->ShowSheet(preview->GetSheetCount() - 1);
        preview->DrawPendingSheets();
        atLast = preview->GetHeldSheets();
        // Two pages side by side: the first row and the row after it.
        preview->SetColumns(2);
        preview->ShowSheet(0);
        preview->DrawPendingSheets();
        twoAtFirst = preview->GetHeldSheets();
        return static_cast<int>(QDialog::Rejected);
    });
    view->OnFilePrintPreview();
    SetModalDialogSink(previous);
    // The sheet in sight and the one beside it, whatever the window's size.
    ASSERT_FALSE(atFirst.empty());
    EXPECT_EQ(atFirst.front(), 0);
    EXPECT_LE(atFirst.size(), 3U);
    ASSERT_FALSE(atLast.empty());
    EXPECT_EQ(atLast.back(), 9);
    EXPECT_GE(atLast.front(), 7);
    EXPECT_GT(modelPixels, 100);
    ASSERT_GE(twoAtFirst.size(), 2U);
    EXPECT_EQ(twoAtFirst[0], 0);
    EXPECT_EQ(twoAtFirst[1], 1);
    EXPECT_LE(twoAtFirst.size(), 6U);
    EXPECT_TRUE(boxes.calls.empty());
}

TEST_F(ViewPrinterTest, ZeroAndNegativeScalesAreRefusedWithAMessage)
{
    OpenBoxFromTop();
    const struct
    {
        const char* printed;
        const char* model;
    } cases[] = {{"1", "0"}, {"0", "10"}, {"1", "-10"}, {"-1", "10"}};
    for (const auto& c : cases)
    {
        ScaleOptions(c.printed, c.model);
        boxes.calls.clear();
        view->OnFilePrint();
        ASSERT_EQ(boxes.calls.size(), 1U) << c.printed << " : " << c.model;
        EXPECT_EQ(boxes.calls[0].text, CPrintDlg::DescribeProblem(PrintProblem::kScale));
        EXPECT_FALSE(PdfWritten());
    }

    // Typed into the dialog, such a scale is refused with the same reason and the field
    // keeps its value.
    ScaleOptions("1", "10");
    QString sheets;
    QString kept;
    const ModalDialogSink previous = SetModalDialogSink([&](QDialog& dialog) {
        auto* model = dialog.findChild<QLineEdit*>(QStringLiteral("2451"));
        if (model == nullptr)
            return static_cast<int>(QDialog::Rejected);
        model->setText(QStringLiteral("0"));
        Q_EMIT model->editingFinished();
        sheets = dialog.findChild<QLabel*>(QStringLiteral("sheets"))->text();
        kept = model->text();
        return static_cast<int>(QDialog::Rejected);
    });
    view->OnFilePrint();
    SetModalDialogSink(previous);
    EXPECT_EQ(sheets, QString::fromStdString(CPrintDlg::DescribeProblem(PrintProblem::kScale).ToUtf8()));
    EXPECT_TRUE(kept.startsWith(QStringLiteral("10"))) << kept.toStdString();
}

TEST_F(ViewPrinterTest, TheModelItsPagesTheCameraAndTheViewAreAsBeforeAfterPrinting)
{
    // Once pinned a fault: printing pages hid every layer for good, and a save kept it.
    Open(apptest::Samples().Path("house-5000.twk"));
    CTarnwickModel& model = *view->GetModel();
    CPageList& pages = *model.GetPageList();
    pages.SetSelectedPage(pages.GetPage(1));
    // With section cuts off a page keeps no section plane; the model's active one stays.
    std::vector<CDrawingElement*> elements;
    model.GetRootComponent()->GetEntities(elements);
    for (CDrawingElement* element : elements)
        if (auto* plane = dynamic_cast<CSectionPlane*>(element))
            model.GetRootComponent()->SetActiveSectionPlane(plane);
    ASSERT_NE(model.GetRootComponent()->GetActiveSectionPlane(), nullptr);
    model.GetRenderingOptions()->ToggleSectionDisplay(CRenderingOptions::kSectionCutsShown);
    const CViewDefinition before = view->GetViewDefinition();
    const ModelBytes bytes = StoredBytes(model);
    const QImage screen = Picture(*view);
    WriteProfileInt(kSection, CString("resolution"), kPrintDraft);
    struct Road
    {
        const char* name;
        bool preview;
        bool printPages;
    };
    for (const Road road : {Road{"view", false, false}, Road{"pages", false, true}, Road{"preview", true, true}})
    {
        // The model's three pages are chosen in the dialog, as a user would.
        int previewSheets = 0;
        const ModalDialogSink previous = SetModalDialogSink([&road, &previewSheets](QDialog& dialog) {
            if (auto* radio = dialog.findChild<QRadioButton*>(QStringLiteral("1258")); radio != nullptr && road.printPages)
                radio->click();
            if (CPrintPreviewView* preview = Sheets(dialog))
            {
                preview->DrawPendingSheets();
                previewSheets = preview->GetSheetCount();
            }
            return static_cast<int>(QDialog::Accepted);
        });
        if (road.preview)
            view->OnFilePrintPreview();
        else
            view->OnFilePrint();
        SetModalDialogSink(previous);
        EXPECT_TRUE(boxes.calls.empty()) << road.name;
        EXPECT_EQ(road.preview ? previewSheets : PdfPageCount(pdf), road.printPages ? 3 : 1) << road.name;
        EXPECT_TRUE(view->GetViewDefinition().IsSameCamera(before)) << road.name;
        double l = 0, r = 0, b = 0, t = 0;
        EXPECT_FALSE(view->GetViewDefinition().GetProjectionWindow(l, r, b, t)) << road.name;
        EXPECT_EQ(pages.GetSelectedPage(), pages.GetPage(1)) << road.name;
        EXPECT_TRUE(StoredBytes(model) == bytes) << road.name << ": the model would be saved otherwise";
        const QImage after = Picture(*view);
        EXPECT_EQ(CountDifferent(screen, after), 0) << road.name;
        std::filesystem::remove(pdf);
    }
}

// A guide point that notes, each time it is asked whether it shows, whether the view is
// in its extents pass and the wait cursor shows.
class ExtentsPassWitness : public CConstructionPoint
{
public:
    struct Seen
    {
        bool extentsPass;
        bool waitCursor;
    };
    explicit ExtentsPassWitness(std::vector<Seen>& seen) : CConstructionPoint(CPoint3d(1, 1, 0)), m_seen(seen) {}
    [[nodiscard]] bool IsShown(ITarnisView* view) const override
    {
        const QCursor* cursor = QApplication::overrideCursor();
        if (view != nullptr)
            m_seen.push_back({view->GetExtentsPass(), cursor != nullptr && cursor->shape() == Qt::WaitCursor});
        return CConstructionPoint::IsShown(view);
    }

private:
    std::vector<Seen>& m_seen;
};

// The extents take seconds on a large model before the dialog shows: the wait cursor
// shows while they are gathered, and goes with them.
TEST_F(ViewPrinterTest, ThePreparationGathersTheExtentsInAnExtentsPassUnderTheWaitCursorAndEndsBoth)
{
    OpenBoxFromTop();
    std::vector<ExtentsPassWitness::Seen> seen;
    {
        const CUndoSuspender suspender;
        view->GetModel()->GetRootComponent()->Add(new ExtentsPassWitness(seen));
    }
    CPrintInfo info;
    info.m_bPreview = true;
    ASSERT_TRUE(view->OnPreparePrinting(&info));
    const auto pass = std::find_if(seen.begin(), seen.end(), [](const auto& s) { return s.extentsPass; });
    ASSERT_NE(pass, seen.end());
    EXPECT_TRUE(pass->waitCursor);
    EXPECT_FALSE(view->GetExtentsPass());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ViewPrinterTest, PrintingIsGreyedWhileTheModelHoldsNothing)
{
    app.SetArguments({CString("glimra")});
    ASSERT_TRUE(app.InitInstance());
    view = app.GetActiveGlimraView();
    frame = app.GetMainFrame();
    ASSERT_NE(view, nullptr);
    const auto enabled = [this](UINT id) {
        CCmdUI ui(id);
        return frame->OnCmdMsg(id, &ui) && ui.IsEnabled();
    };
    for (const UINT id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW})
        EXPECT_FALSE(enabled(id)) << id;
    {
        const CUndoSuspender suspender;
        const CurrentModelScope scope(view->GetModel());
        (void)CGeometryBuilder(*view->GetModel()->GetRootComponent()).Box(CPoint3d(0, 0, 0), CPoint3d(1, 1, 1));
    }
    for (const UINT id : {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW})
        EXPECT_TRUE(enabled(id)) << id;
}

TEST_F(ViewPrinterTest, TheDialogWithItsOptionsShownFitsAScreenOfAThousandPixels)
{
    // Once the options page grew the dialog by 673 pixels and put its buttons off the screen.
    Open(apptest::Samples().Path("house-5000.twk"));
    int height = 0;
    const ModalDialogSink previous = SetModalDialogSink([&height](QDialog& dialog) {
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text().contains(QStringLiteral("Options")))
                button->click();
        dialog.adjustSize();
        height = dialog.sizeHint().height();
        return static_cast<int>(QDialog::Rejected);
    });
    view->OnFilePrint();
    SetModalDialogSink(previous);
    // Centred over the main window the dialog starts some 380 pixels down; one column
    // of options made it 671 pixels high.
    EXPECT_GT(height, 0);
    EXPECT_LT(height, 560);
}

TEST_F(ViewPrinterTest, ABandThatCannotBeMadeEndsThePrintWithAMessageAndKeepsNoSheet)
{
    Open(apptest::Samples().Path("house-5000.twk"));
    const CViewDefinition before = view->GetViewDefinition();
    COffscreenRender::SetDeviceFactory([](int, int) { return std::unique_ptr<CGLDevice>(); });
    view->OnFilePrint();
    ASSERT_EQ(boxes.calls.size(), 1U);
    EXPECT_EQ(boxes.calls[0].text, LoadStringResource(CViewPrinter::kInsufficientMemoryId));
    EXPECT_FALSE(PdfWritten());
    EXPECT_TRUE(view->GetViewDefinition().IsSameCamera(before));
    EXPECT_EQ(view->GetViewDefinition().GetViewportWidth(), before.GetViewportWidth());
    // The view still draws.
    view->OnPaint();
    EXPECT_NE(view->GetPresentedFrame(), nullptr);

    // A preview shows the sheet's place with the reason, and asks nothing.
    boxes.calls.clear();
    CPrintInfo info;
    info.m_bPreview = true;
    ASSERT_TRUE(view->OnPreparePrinting(&info));
    {
        CPrinterDC dc(GetAppPrinter());
        view->PrintSheets(dc, info);
        EXPECT_TRUE(dc.EndDoc());
    }
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(PdfPageCount(pdf), 1);
}

TEST_F(ViewPrinterTest, ASheetStoppedPartWayEndsThePrintWithTheReasonAndAPreviewShowsItInItsPlace)
{
    Open(apptest::Samples().Path("house-5000.twk"));
    {
        // A budget the sheet spends before it is whole.
        const CFrameMeter::CScope spent(1, true);
        view->OnFilePrint();
    }
    const std::string reason = CFrameMeter::kReason;
    ASSERT_EQ(boxes.calls.size(), 1U);
    EXPECT_NE(boxes.calls[0].text.ToUtf8().find(reason), std::string::npos);
    EXPECT_FALSE(PdfWritten());

    boxes.calls.clear();
    CPrintInfo info;
    info.m_bPreview = true;
    ASSERT_TRUE(view->OnPreparePrinting(&info));
    {
        const CFrameMeter::CScope spent(1, true);
        CPrinterDC dc(GetAppPrinter());
        view->PrintSheets(dc, info);
        EXPECT_TRUE(dc.EndDoc());
    }
    EXPECT_TRUE(boxes.calls.empty());
    const std::string text = PdfText(pdf);
    EXPECT_NE(text.find(reason), std::string::npos) << text;
}

TEST_F(ViewPrinterTest, ARunningAnimationWaitsForThePrintAndThePreviewAndGoesOnAfterEach)
{
    // Once a slideshow stepped on between the bands and sheets, and one job mixed its pages.
    OpenBoxFromTop();
    ScaleOptions("1", "5");  // 3 sheets
    auto* animation = new CStepCounter;
    view->SetAnimation(animation);
    ASSERT_TRUE(animation->Step(view));
    view->ScheduleAnimationStep();
    ASSERT_TRUE(view->HasTimer(CGlimraView::kAnimationTimerId));
    // What the animation did while the job ran, looked at whenever events ran.
    int looks = 0;
    bool stepped = false;
    bool timed = false;
    int stepsBefore = 0;
    const auto look = [&] {
        ++looks;
        stepped = stepped || animation->steps != stepsBefore;
        timed = timed || view->HasTimer(CGlimraView::kAnimationTimerId);
    };
    const ModalDialogSink previous = SetModalDialogSink([&](QDialog& dialog) {
        CPrintPreviewView* preview = Sheets(dialog);
        if (preview == nullptr)  // the print dialog
            return static_cast<int>(QDialog::Accepted);
        dialog.show();
        for (int sheet = 0; sheet < preview->GetSheetCount(); ++sheet)
        {
            preview->ShowSheet(sheet);
            preview->DrawPendingSheets();
            apptest::ProcessEvents();
            look();
        }
        return static_cast<int>(QDialog::Rejected);
    });
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, look);
    const struct
    {
        const char* name;
        std::function<void()> run;
    } jobs[] = {
        {"print", [&] { view->OnFilePrint(); }},
        {"preview", [&] { view->OnFilePrintPreview(); }},
    };
    for (const auto& job : jobs)
    {
        looks = 0;
        stepped = timed = false;
        stepsBefore = animation->steps;
        const int stops = animation->stops;
        watcher.start(0);
        job.run();
        watcher.stop();
        EXPECT_GT(looks, 0) << job.name;
        EXPECT_FALSE(stepped) << job.name;
        EXPECT_FALSE(timed) << job.name;
        EXPECT_EQ(animation->stops, stops + 1) << job.name << ": its clock stood";
        EXPECT_EQ(animation->runs, animation->stops) << job.name;
        EXPECT_TRUE(view->HasTimer(CGlimraView::kAnimationTimerId)) << job.name;
        // The bound only ends the wait for an animation that stood still for good.
        EXPECT_TRUE(QTest::qWaitFor([&] { return animation->steps > stepsBefore; }, 60000)) << job.name;
    }
    SetModalDialogSink(previous);
    EXPECT_TRUE(PdfWritten());
    EXPECT_TRUE(boxes.calls.empty());
    view->SetAnimation(nullptr);
}

TEST_F(ViewPrinterTest, PrintedTextsKeepTheirSizeOnTheScreenAtEveryQuality)
{
    // Once High Definition printed the house's label a third of its size on the screen.
    Open(apptest::Samples().Path("house-5000.twk"));
    CRenderingOptions& options = WhiteBackground();
    // The label alone, drawn over the model: the rows it takes are the text's height.
    for (CDrawingElement* element : view->GetModel()->GetRootComponent()->GetEntityList())
        if (auto* text = dynamic_cast<CText*>(element))
            text->SetLeaderShown(false, view);
        else if (dynamic_cast<CDimension*>(element) != nullptr)
            element->SetHidden(true);
    const auto labelRows = [&](auto picture) {
        options.SetDisplayByte(CRenderingOptions::kHideAnnotations, true);
        const QImage without = picture();
        options.SetDisplayByte(CRenderingOptions::kHideAnnotations, false);
        return DifferingRows(picture(), without);
    };
    int screenDpi = 0;
    int unused = 0;
    view->GetScreenResolution(screenDpi, unused);
    constexpr int kSheetDpi = 300;
    GetAppPrinter().setResolution(kSheetDpi);
    const struct
    {
        int quality;
        bool toScale;
    } cases[] = {{kPrintStandard, false}, {kPrintHighDefinition, false}, {kPrintUltrahighDefinition, false},
                 {kPrintHighDefinition, true}};
    for (const auto& c : cases)
    {
        if (c.toScale)
        {
            frame->SendCommand(ID_VIEW_FRONT);
            if (view->GetViewDefinition().IsPerspective())
                frame->SendCommand(ID_CAMERA_PERSPECTIVE);
            ScaleOptions("1", "4");
        }
        WriteProfileInt(kSection, CString("resolution"), c.quality);
        const double onScreen = labelRows([&] { return Picture(*view); }) * 25.4 / screenDpi;
        const double onPaper = labelRows([&] {
                                   view->OnFilePrint();
                                   QImage sheet = Rasterise(pdf, 1, kSheetDpi);
                                   std::filesystem::remove(pdf);
                                   return sheet;
                               }) *
                               25.4 / kSheetDpi;
        EXPECT_GT(onScreen, 2.0) << c.quality;
        EXPECT_NEAR(onPaper, onScreen, 0.1 * onScreen) << c.quality << (c.toScale ? " to scale" : " fitted");
    }
}

}  // namespace
