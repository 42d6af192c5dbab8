// A long read on the interface thread: the wait cursor shows and the windows go on painting.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>

#include "platform/archive.h"
#include "platform/ui/document.h"
#include "uitestsupport.h"

namespace {

class CPaintCountingWidget : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// Reads the file in chunks slower than the windows' repaint pace, asking for a repaint
// before each and noting what the user would see meanwhile.
class CSlowDocument : public CDocument
{
public:
    static constexpr int kChunks = 3;
    static constexpr UINT kChunkBytes = 8192;

    void Serialize(CArchive& archive) override
    {
        for (int i = 0; i < kChunks; ++i)
        {
            window->update();
            std::this_thread::sleep_for(std::chrono::milliseconds(120));
            std::vector<char> chunk(kChunkBytes);
            archive.Read(chunk.data(), kChunkBytes);
        }
        const QCursor* cursor = QApplication::overrideCursor();
        waitCursorShown = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        loadingSeen = IsLoading();
        paintsDuringRead = window->paints;
    }

    CPaintCountingWidget* window = nullptr;
    bool waitCursorShown = false;
    bool loadingSeen = false;
    int paintsDuringRead = 0;
};

TEST(DocumentReadTest, ALongReadShowsTheWaitCursorAndKeepsTheWindowsPainted)
{
    uitest::EnsureQtApplication();
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("glimra-slow-" + std::to_string(::getpid()) + ".bin");
    std::ofstream(path, std::ios::binary) << std::string(CSlowDocument::kChunks * CSlowDocument::kChunkBytes, 'x');
    CPaintCountingWidget window;
    window.resize(64, 64);
    window.show();
    uitest::ProcessEvents();
    const int paintsBefore = window.paints;

    CSlowDocument document;
    document.window = &window;
    EXPECT_TRUE(document.OnOpenDocument(CString(path.string())));
    EXPECT_TRUE(document.waitCursorShown);
    EXPECT_TRUE(document.loadingSeen);
    EXPECT_GE(document.paintsDuringRead - paintsBefore, CSlowDocument::kChunks - 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(document.IsLoading());
    std::filesystem::remove(path);
}

}  // namespace
