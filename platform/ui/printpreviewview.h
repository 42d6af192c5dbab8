#pragma once
// CPrintPreviewView: a preview's sheets in a scrolling column, one or two side by side,
// each on its paper. A
// sheet is drawn only when it comes into sight (and the sheets just before and after it,
// so that paging on shows the next one at once), at the size the zoom shows it; the
// pictures of sheets that went out of sight are let go. The memory held follows what the
// window shows, not the number of sheets. Sheets are drawn one per turn of the event
// loop, so that scrolling, zooming or closing in between is taken at once.
#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>

class QPainter;
class QPrinter;

class CPrintPreviewView : public QAbstractScrollArea
{
public:
    // Draws the sheet (0 first) with the painter, in the printer's pixels from the
    // printable area's corner.
    using SheetPainter = std::function<void(int sheet, QPainter& painter)>;

    CPrintPreviewView(QPrinter& printer, SheetPainter painter, QWidget* parent = nullptr);

    // Lays the sheets out on the printer's paper as it is now; the pictures drawn so far go.
    void SetSheetCount(int count);
    [[nodiscard]] int GetSheetCount() const { return m_sheetCount; }

    // Sheets side by side in a row: 1 or 2 (two facing sheets); the fit is kept, and
    // the row of the current sheet comes to the window's top.
    void SetColumns(int columns);
    [[nodiscard]] int GetColumns() const { return m_columns; }

    // 1 shows the paper at its true size on the screen.
    [[nodiscard]] double GetZoom() const;
    void ZoomIn();
    void ZoomOut();
    void FitWidth();
    void FitPage();

    // The sheet at the window's middle (0 first); ShowSheet scrolls a sheet's top into
    // the window's top.
    [[nodiscard]] int GetCurrentSheet() const;
    void ShowSheet(int sheet);

    // Draws every missing picture of the sheets in sight and beside them now, rather than
    // one per turn of the event loop.
    void DrawPendingSheets();
    // The sheets whose pictures are held, in order, and a sheet's picture (null when none).
    [[nodiscard]] std::vector<int> GetHeldSheets() const;
    [[nodiscard]] const QImage* GetSheetPicture(int sheet) const;

    // Told when the zoom or the current sheet may have changed.
    std::function<void()> onChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    enum class Fit
    {
        kNone,
        kWidth,
        kPage
    };
    struct Picture
    {
        QImage image;
        double scale = 0.0;
    };

    // Display pixels per printer pixel.
    void SetScale(double scale, Fit fit);
    void ApplyFit();
    void UpdateScrollBars();
    [[nodiscard]] QSize GetSheetSize() const;
    // Display pixels from one row of sheets to the next.
    [[nodiscard]] int GetRowPitch() const;
    // The sheet's place in the window, scrolled.
    [[nodiscard]] QRect GetSheetRect(int sheet) const;
    // The sheets in sight, first and last; first > last when none.
    void GetVisibleSheets(int& first, int& last) const;
    // The sheets in sight, then the ones beside them, that lack a picture at this zoom.
    [[nodiscard]] std::vector<int> GetWantedSheets() const;
    void ReleaseDistantSheets();
    void DrawSheet(int sheet);
    void DrawNextSheet();

    QPrinter& m_printer;
    SheetPainter m_painter;
    int m_sheetCount = 0;
    int m_columns = 1;
    // The paper and the printable area's corner on it, in printer pixels.
    QSizeF m_paper;
    QPointF m_pageOffset;
    QSizeF m_page;
    double m_scale = 0.1;
    Fit m_fit = Fit::kPage;
    std::map<int, Picture> m_pictures;
    QTimer m_drawTimer;
};
