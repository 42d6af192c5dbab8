// The print preview window's bar, and a sheet the preview cannot make.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialog>
#include <QPageSetupDialog>
#include <QPainter>
#include <QSpinBox>
#include <QToolBar>
#include <set>

#include "platform/gl/gldevice.h"
#include "platform/ui/modaldialog.h"
#include "platform/ui/printpreviewwindow.h"
#include "printtestsupport.h"

namespace {

using apptest::PrintTest;

class PrintPreviewTest : public PrintTest
{
protected:
    void Trigger(CPrintPreviewWindow& window, const char* text)
    {
        for (QAction* action : window.findChild<QToolBar*>()->actions())
            if (action->text() == QString::fromLatin1(text))
                return action->trigger();
        ADD_FAILURE() << "no " << text;
    }
};

TEST_F(PrintPreviewTest, TheBarsControlsGoFromSheetToSheetAndPageSetupCountsAgain)
{
    // Seven sheets on upright paper, three on paper lying down.
    const auto count = [] { return GetAppPrinter().pageLayout().orientation() == QPageLayout::Portrait ? 7 : 3; };
    std::set<int> drawn;
    CPrintPreviewWindow window(
        GetAppPrinter(), count, [&drawn](int sheet, QPainter&) { drawn.insert(sheet); }, nullptr);
    // A sheet, or a row of two, fills the window's height.
    window.resize(900, 500);
    window.show();
    apptest::ProcessEvents();
    CPrintPreviewView& sheets = window.GetSheets();
    auto* number = window.findChild<QSpinBox*>(QStringLiteral("sheet"));
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->maximum(), 7);
    const struct
    {
        const char* control;  // an action's text, or the sheet number typed
        int typed;
        int columns;
        int current;
    } steps[] = {
        {"&Last", 0, 1, 6},       {"Pre&vious", 0, 1, 5}, {"&First", 0, 1, 0}, {"&Next", 0, 1, 1},
        {nullptr, 5, 1, 4},       {"T&wo Pages", 0, 2, 4}, {"&Next", 0, 2, 6},  {"Pre&vious", 0, 2, 4},
        {"&First", 0, 2, 0},      {nullptr, 4, 2, 2},     {"&Last", 0, 2, 6},  {"T&wo Pages", 0, 1, 6},
    };
    for (const auto& step : steps)
    {
        const std::string name = step.control != nullptr ? step.control : "number " + std::to_string(step.typed);
        if (step.control != nullptr)
            Trigger(window, step.control);
        else
            number->setValue(step.typed);
        apptest::ProcessEvents();
        EXPECT_EQ(sheets.GetColumns(), step.columns) << name;
        EXPECT_EQ(sheets.GetCurrentSheet(), step.current) << name;
        EXPECT_EQ(number->value(), step.current + 1) << name;
        drawn.clear();
        sheets.DrawPendingSheets();
        const std::vector<int> held = sheets.GetHeldSheets();
        EXPECT_NE(std::find(held.begin(), held.end(), step.current), held.end()) << name;
    }

    // Page Setup's paper counts the sheets again when accepted, and changes nothing when not.
    for (const int answer : {QDialog::Rejected, QDialog::Accepted})
    {
        const ModalDialogSink previous = SetModalDialogSink([answer](QDialog& dialog) {
            EXPECT_NE(dynamic_cast<QPageSetupDialog*>(&dialog), nullptr);
            if (answer == QDialog::Accepted)
                GetAppPrinter().setPageOrientation(QPageLayout::Landscape);
            return answer;
        });
        Trigger(window, "Page &Setup...");
        SetModalDialogSink(previous);
        const int expected = answer == QDialog::Accepted ? 3 : 7;
        EXPECT_EQ(sheets.GetSheetCount(), expected) << answer;
        EXPECT_EQ(number->maximum(), expected) << answer;
        EXPECT_LT(sheets.GetCurrentSheet(), expected) << answer;
    }
}

TEST_F(PrintPreviewTest, ASheetThatCannotBeMadeShowsItsPlaceOutlinedWithTheReason)
{
    OpenBoxFromTop("20");  // one sheet
    COffscreenRender::SetDeviceFactory([](int, int) { return std::unique_ptr<CGLDevice>(); });
    QImage sheet;
    const ModalDialogSink previous = SetModalDialogSink([&sheet](QDialog& dialog) {
        auto* sheets = dynamic_cast<CPrintPreviewView*>(dialog.findChild<QWidget*>(QStringLiteral("sheets")));
        if (sheets == nullptr)  // the print dialog
            return static_cast<int>(QDialog::Accepted);
        dialog.show();
        apptest::ProcessEvents();
        sheets->FitPage();
        sheets->DrawPendingSheets();
        if (const QImage* picture = sheets->GetSheetPicture(0))
            sheet = picture->convertToFormat(QImage::Format_RGB32);
        return static_cast<int>(QDialog::Rejected);
    });
    view->OnFilePrintPreview();
    SetModalDialogSink(previous);
    EXPECT_TRUE(boxes.calls.empty());
    ASSERT_FALSE(sheet.isNull());
    // The dark pixels' box is the outline: its sides are dark all along; the words lie
    // inside it, about its middle.
    const auto dark = [&sheet](int x, int y) { return qGray(sheet.pixel(x, y)) < 128; };
    QRect outline;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            if (dark(x, y))
                outline |= QRect(x, y, 1, 1);
    ASSERT_GT(outline.width(), sheet.width() / 2);
    ASSERT_GT(outline.height(), 20);
    int side = 0;
    for (int y = outline.top(); y <= outline.bottom(); ++y)
        side += dark(outline.left(), y) && dark(outline.right(), y) ? 1 : 0;
    EXPECT_GE(side, outline.height() * 9 / 10);
    QRect words;
    for (int y = outline.top() + 3; y < outline.bottom() - 2; ++y)
        for (int x = outline.left() + 3; x < outline.right() - 2; ++x)
            if (dark(x, y))
                words |= QRect(x, y, 1, 1);
    ASSERT_FALSE(words.isEmpty());
    EXPECT_GT(words.width(), words.height() * 4) << "one line of words";
    EXPECT_NEAR(words.center().y(), outline.center().y(), outline.height() / 10 + 2);
}

}  // namespace
