// A print under its printing dialog: progress, Cancel, a request to end the program, and
// the file it writes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>

#include "platform/quitrequest.h"
#include "platform/ui/printingdialog.h"
#include "printtestsupport.h"

namespace {

using apptest::PrintTest;

std::string Contents(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

CPrintingDialog* ShownPrintingDialog()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = dynamic_cast<CPrintingDialog*>(widget); dialog != nullptr && dialog->isVisible())
            return dialog;
    return nullptr;
}

QString Progress(CPrintingDialog& dialog)
{
    return dialog.findChild<QLabel*>(QStringLiteral("progress"))->text();
}

class PrintJobTest : public PrintTest
{
};

TEST_F(PrintJobTest, CancelAndAQuitRequestEndAManySheetPrintThereAndKeepNoFile)
{
    OpenBoxFromTop("1");  // 100 x 50 inches on 8 x 10 inch sheets: 13 x 5
    const struct
    {
        const char* name;
        std::function<void(CPrintingDialog&)> end;
    } cases[] = {
        {"Cancel",
         [](CPrintingDialog& dialog) {
             for (QPushButton* button : dialog.findChildren<QPushButton*>())
                 button->click();
         }},
        {"Escape", [](CPrintingDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }},
        {"quit", [](CPrintingDialog&) { CQuitRequest::Request(); }},
    };
    for (const auto& c : cases)
    {
        // The file an earlier print wrote stays as it was.
        std::ofstream(pdf) << "an earlier print";
        QString seen;
        QString last;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            CPrintingDialog* dialog = ShownPrintingDialog();
            if (dialog == nullptr)
                return;
            last = Progress(*dialog);
            if (seen.isEmpty() && last == QStringLiteral("Printing sheet 3 of 65"))
            {
                seen = last;
                c.end(*dialog);
            }
        });
        watcher.start(0);
        view->OnFilePrint();
        watcher.stop();
        const bool quitting = CQuitRequest::IsRequested();
        CQuitRequest::Clear();
        EXPECT_EQ(seen, QStringLiteral("Printing sheet 3 of 65")) << c.name;
        EXPECT_EQ(last, seen) << c.name << ": the print went on";
        EXPECT_EQ(ShownPrintingDialog(), nullptr) << c.name;
        EXPECT_EQ(quitting, c.name == std::string("quit")) << c.name;
        // Only the question whether to print that many sheets.
        EXPECT_EQ(boxes.calls.size(), 1U) << c.name;
        boxes.calls.clear();
        EXPECT_TRUE(Contents(pdf) == "an earlier print") << c.name;
        EXPECT_EQ(StrayFiles(), std::vector<std::string>{"sheets.pdf"}) << c.name;
    }
}

TEST_F(PrintJobTest, AFileWhoseNameIsALinkIsReplacedWholeAndWhatItPointedToIsLeftAlone)
{
    OpenBoxFromTop("20");  // one sheet
    const std::filesystem::path elsewhere = folder / "elsewhere.pdf";
    std::ofstream(elsewhere) << "not to be written";
    std::filesystem::create_symlink(elsewhere, pdf);
    view->OnFilePrint();
    EXPECT_TRUE(boxes.calls.empty());
    EXPECT_EQ(Contents(elsewhere), "not to be written");
    ASSERT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(pdf)));
    const std::string bytes = Contents(pdf);
    EXPECT_EQ(bytes.rfind("%PDF-", 0), 0U);
    EXPECT_NE(bytes.find("%%EOF", bytes.size() - 8), std::string::npos);
    // Readable as the user's other new files are, not only by the owner.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info{};
    ASSERT_EQ(::stat(pdf.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
    std::filesystem::remove(elsewhere);
    EXPECT_EQ(StrayFiles(), std::vector<std::string>{"sheets.pdf"});
}

TEST_F(PrintJobTest, AGreyJobPrintsGrey)
{
    OpenBoxFromTop("20");
    // The pixels of the first sheet that are not grey.
    const auto coloured = [this] {
        view->OnFilePrint();
        const std::string png = (folder / "sheet").string();
        EXPECT_EQ(std::system(("pdftoppm -singlefile -png -r 20 '" + pdf + "' '" + png + "'").c_str()), 0);
        const QImage sheet(QString::fromStdString(png + ".png"));
        std::filesystem::remove(png + ".png");
        int count = 0;
        for (int y = 0; y < sheet.height(); ++y)
            for (int x = 0; x < sheet.width(); ++x)
                count += QColor(sheet.pixel(x, y)).hsvSaturation() > 8 ? 1 : 0;
        return count;
    };
    EXPECT_GT(coloured(), 100);
    GetAppPrinter().setColorMode(QPrinter::GrayScale);
    const int grey = coloured();
    GetAppPrinter().setColorMode(QPrinter::Color);
    EXPECT_EQ(grey, 0);
}

}  // namespace
