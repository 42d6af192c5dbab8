#include "app/modelpreviewdialog.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileSystemModel>
#include <QLabel>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "app/mfcwinbmp.h"
#include "../platform/ui/unreadfolder.h"
#include "apptestsupport.h"
#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "samplefiles.h"

namespace {

class ModelPreviewDialogTest : public ::testing::Test
{
protected:
    void SetUp() override { apptest::PrepareApplication(); }

    // A copy of the sample house with its preview picture's header overwritten, so the
    // picture no longer decodes while the model's header stays whole.
    static std::string DamagedPicture()
    {
        const std::string path = apptest::Samples().Copy("house-5000.twk", "damaged-picture.twk");
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        const size_t header = bytes.find("IHDR");
        EXPECT_NE(header, std::string::npos);
        file.seekp(static_cast<std::streamoff>(header));
        file.write("XXXX", 4);
        return path;
    }

    // The sample house cut inside its header.
    static std::string CutShort()
    {
        const std::string path = apptest::Samples().Copy("house-5000.twk", "cut-short.twk");
        std::filesystem::resize_file(path, 200);
        return path;
    }

    // Turns the event loop until the selected file's bytes came, a bounded number of times.
    static bool ReadUntilShown(const CModelPreviewDialog& dialog)
    {
        for (QDeadlineTimer deadline(60000); dialog.IsReadingPreview() && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return !dialog.IsReadingPreview();
    }

    static std::string Pipe()
    {
        const std::string path = apptest::Samples().Path("pipe.twk");
        std::filesystem::remove(path);
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        return path;
    }
};

TEST_F(ModelPreviewDialogTest, OnlyAReadableModelWithADecodablePictureHasAPreview)
{
    const auto& samples = apptest::Samples();
    const struct
    {
        std::string path;
        bool preview;
    } cases[] = {
        {samples.Path("house-5000.twk"), true},
        {samples.Path("house-3000.twk"), true},
        {samples.Path("notes.twk"), false},
        {samples.Path("empty.twk"), false},
        {samples.Path("too-new.twk"), false},
        {DamagedPicture(), false},
        {CutShort(), false},
        {samples.Path("missing.twk"), false},
        // Every read of it fails, whoever runs the test.
        {"/proc/self/mem", false},
        {std::filesystem::temp_directory_path().string(), false},
        // Opening a pipe would wait for a writer that never comes.
        {Pipe(), false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.path);
        const auto started = std::chrono::steady_clock::now();
        const std::unique_ptr<CMfcWinBmp> preview = ReadModelPreviewBitmap(CString::FromUtf8(c.path));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
        ASSERT_EQ(preview != nullptr, c.preview);
        if (preview)
        {
            // The sample generator's picture of the house.
            EXPECT_EQ(preview->GetWidth(), 160);
            EXPECT_EQ(preview->GetHeight(), 120);
        }
    }
}

TEST_F(ModelPreviewDialogTest, APictureLargerThanTwiceThePaneComesShrunkToThatSideKeepingItsShape)
{
    // Once a picture of 16384 pixels a side was decoded whole each time its file was selected.
    const std::string path = apptest::Samples().Path("wide-preview.twk");
    const std::vector<std::uint8_t> pixels(600 * 300 * 3, 0x80);
    auto* model = new CTarnwickModel;
    model->SetPreviewImage(GetImageLibApp()->MakeDib(600, 300, 24, pixels.data()));
    ASSERT_TRUE(WriteModelFile(*model, path, kSaveFormat5000));
    model->Release();
    const std::unique_ptr<CMfcWinBmp> preview = ReadModelPreviewBitmap(CString::FromUtf8(path));
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->GetWidth(), 2 * CFilePreviewDialog::kPreviewSize);
    EXPECT_EQ(preview->GetHeight(), CFilePreviewDialog::kPreviewSize);
    // A picture of noise stores megabytes: the dialog reads on until the header is whole.
    {
        std::vector<std::uint8_t> noise(1200 * 600 * 3);
        std::uint32_t seed = 12345;
        for (std::uint8_t& byte : noise)
            byte = static_cast<std::uint8_t>((seed = seed * 1664525U + 1013904223U) >> 24);
        const std::string noisy = apptest::Samples().Path("noisy-preview.twk");
        auto* large = new CTarnwickModel;
        large->SetPreviewImage(GetImageLibApp()->MakeDib(1200, 600, 24, noise.data()));
        ASSERT_TRUE(WriteModelFile(*large, noisy, kSaveFormat5000));
        large->Release();
        ASSERT_GT(std::filesystem::file_size(noisy), 2U << 20);
        CModelPreviewDialog dialog(CString(), nullptr, CString("Tarnwick Models (*.twk)|*.twk||"), nullptr);
        emit dialog.currentChanged(QString::fromStdString(noisy));
        ASSERT_TRUE(ReadUntilShown(dialog));
        ASSERT_NE(dialog.GetPreview(), nullptr);
        EXPECT_EQ(dialog.GetPreview()->GetWidth(), 2 * CFilePreviewDialog::kPreviewSize);
        std::filesystem::remove(noisy);
    }
    // The model itself still reads its picture at the texture size.
    CDib* read = nullptr;
    CString description;
    ASSERT_EQ(ReadModelFilePreview(CString::FromUtf8(path), read, description), kHeaderRead);
    EXPECT_EQ(read->GetWidth(), 600);
    delete read;
    std::filesystem::remove(path);
}

TEST_F(ModelPreviewDialogTest, SelectingAFolderOrAnotherFileAfterAModelShowsNotAvailableAgain)
{
    const auto& samples = apptest::Samples();
    CModelPreviewDialog dialog(CString(), nullptr,
                               CString("Tarnwick Models (*.twk)|*.twk|All Files (*.*)|*.*||\""), nullptr);
    EXPECT_EQ(dialog.nameFilters(), QStringList({"Tarnwick Models (*.twk)", "All Files (*)"}));
    EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("twk"));
    dialog.show();
    const struct
    {
        std::string path;
        bool preview;
    } selections[] = {{samples.Path("house-5000.twk"), true},
                      {std::filesystem::temp_directory_path().string(), false},
                      {samples.Path("house-5000.twk"), true},
                      {samples.Path("notes.twk"), false},
                      {"", false}};
    for (const auto& selection : selections)
    {
        SCOPED_TRACE(selection.path);
        emit dialog.currentChanged(QString::fromStdString(selection.path));
        // The file is read away from the interface thread: the dialog answers meanwhile.
        EXPECT_EQ(dialog.GetPreview(), nullptr);
        ASSERT_TRUE(ReadUntilShown(dialog));
        EXPECT_EQ(dialog.GetPreview() != nullptr, selection.preview);
        EXPECT_EQ(dialog.GetNotAvailableLabel()->isVisible(), !selection.preview);
    }
    // A picture is drawn in the pane: the sky of the sample picture above its centre. Of two
    // selections in a row only the last shows, whichever read ends first.
    emit dialog.currentChanged(QString::fromStdString(samples.Path("notes.twk")));
    emit dialog.currentChanged(QString::fromStdString(samples.Path("house-5000.twk")));
    ASSERT_TRUE(ReadUntilShown(dialog));
    ASSERT_NE(dialog.GetPreview(), nullptr);
    const QImage pane = dialog.GetPreviewPane()->grab().toImage();
    const QColor sky = pane.pixelColor(pane.width() / 2, pane.height() / 2 - 40);
    EXPECT_GT(sky.blue(), 200);
    EXPECT_LT(sky.red(), 200);
}

// Fixed: the dialog read each listed file's first bytes on the interface thread; /proc/kmsg's read never ends.
TEST_F(ModelPreviewDialogTest, TheDialogListsAFolderWithoutOpeningWhatIsInIt)
{
    const uitest::CUnreadFolder folder;
    ASSERT_TRUE(folder.Watching());
    CModelPreviewDialog dialog(CString::FromUtf8(folder.Path().toStdString() + "/"), nullptr,
                               CString("Tarnwick Models (*.twk)|*.twk||"), nullptr);
    auto* files = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(files, nullptr);
    folder.WaitForListing(*files, [&dialog] { dialog.show(); });
    EXPECT_EQ(files->rowCount(files->index(folder.Path())), 1) << "z.twk; a pipe is no file to open";
    EXPECT_EQ(folder.Opened(), std::set<std::string>());
}

TEST_F(ModelPreviewDialogTest, ThePictureFillsTheSquareAlongItsLongerSide)
{
    const CRect inner{10, 20, 210, 220};
    const struct
    {
        int width;
        int height;
        CRect target;
    } cases[] = {{50, 50, {46, 56, 174, 184}},
                 {256, 128, {46, 88, 174, 152}},
                 {128, 256, {78, 56, 142, 184}},
                 {300, 7, {46, 119, 174, 121}}};
    for (const auto& c : cases)
        EXPECT_EQ(PreviewTargetRect(inner, c.width, c.height), c.target) << c.width << "x" << c.height;
}

}  // namespace
