#pragma once
// A fixture for the printing tests: the program on a model, in a folder of the test's own,
// with the printer writing 8 x 10 inch sheets without margins to a PDF file there at a
// coarse resolution; settings in memory and message boxes written down.
#include <gtest/gtest.h>

#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/glimraapp.h"
#include "app/glimraview.h"
#include "app/mainframe.h"
#include "app/printoptions.h"
#include "app/resourceids.h"
#include "apptestsupport.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "platform/profile.h"
#include "platform/ui/appprinter.h"
#include "render/offscreenrender.h"
#include "samplegen/geometrybuilder.h"
#include "samplegen/modelfiles.h"

namespace apptest {

class PrintTest : public ::testing::Test
{
protected:
    static constexpr int kDpi = 100;

    void SetUp() override
    {
        PrepareApplication();
        folder = std::filesystem::temp_directory_path() / ("glimra-printing-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
        pdf = (folder / "sheets.pdf").string();
        QPrinter& printer = GetAppPrinter();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setResolution(kDpi);
        printer.setPageSize(QPageSize(QSizeF(8.0, 10.0), QPageSize::Inch));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
    }
    void TearDown() override
    {
        COffscreenRender::SetDeviceFactory({});
        if (view != nullptr)
            app.ExitInstance();
        unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(folder);
    }
    // A box of 100 x 50 inches and 10 high seen from the top in a parallel view, printed
    // in draft at one printed inch for the model's inches given.
    void OpenBoxFromTop(const char* modelInches)
    {
        const std::string path = (folder / "box.twk").string();
        auto* model = new CTarnwickModel;
        {
            const CUndoSuspender suspender;
            const CurrentModelScope scope(model);
            (void)CGeometryBuilder(*model->GetRootComponent()).Box(CPoint3d(0, 0, 0), CPoint3d(100, 50, 10));
        }
        ASSERT_TRUE(WriteModelFile(*model, path, kSaveFormat5000));
        model->Release();
        app.SetArguments({CString("glimra"), CString::FromUtf8(path)});
        ASSERT_TRUE(app.InitInstance());
        view = app.GetActiveGlimraView();
        frame = app.GetMainFrame();
        ASSERT_NE(view, nullptr);
        frame->SendCommand(ID_VIEW_TOP);
        if (view->GetViewDefinition().IsPerspective())
            frame->SendCommand(ID_CAMERA_PERSPECTIVE);
        const CString section("PrintOptions");
        WriteProfileInt(section, CString("fitToPage"), 0);
        WriteProfileInt(section, CString("useModelExtents"), 1);
        WriteProfileInt(section, CString("resolution"), kPrintDraft);
        WriteProfileString(section, CString("sizeInDrawing"), CString("1"));
        WriteProfileString(section, CString("sizeInModel"), CString(modelInches));
    }
    // The folder's entries besides the model and the settings' folder.
    [[nodiscard]] std::vector<std::string> StrayFiles() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.path().filename() != "box.twk" && !entry.is_directory())
                names.push_back(entry.path().filename().string());
        return names;
    }

    std::filesystem::path folder;
    std::string pdf;
    MemorySettings settings;
    MessageBoxRecorder boxes;
    CGlimraApp app;
    CGlimraView* view = nullptr;
    CMainFrame* frame = nullptr;
};

}  // namespace apptest
