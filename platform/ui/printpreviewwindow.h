#pragma once
// CPrintPreviewWindow: the preview of a print job: its sheets (CPrintPreviewView) under a
// bar to print, zoom, go from sheet to sheet, set the paper up and close. A paper change
// counts the sheets again and draws them anew. Run answers whether the user chose Print;
// the window does not print.
#include <QDialog>
#include <functional>

#include "platform/ui/printpreviewview.h"

class QLabel;
class QSpinBox;

class CPrintPreviewWindow : public QDialog
{
public:
    // Counts the job's sheets on the printer's paper as it is now.
    using SheetCounter = std::function<int()>;

    CPrintPreviewWindow(QPrinter& printer, SheetCounter counter, CPrintPreviewView::SheetPainter painter,
                        QWidget* parent);

    // Shows the window modally; true when the user chose Print.
    bool Run();

    [[nodiscard]] CPrintPreviewView& GetSheets() { return *m_sheets; }

protected:
    // The program's exit key ends the program from here too, as from the main window.
    bool event(QEvent* event) override;

private:
    void AddBar();
    void CountSheets();
    void ShowState();
    void SetUpPaper();

    SheetCounter m_counter;
    CPrintPreviewView* m_sheets = nullptr;
    QSpinBox* m_sheetNumber = nullptr;
    QLabel* m_sheetTotal = nullptr;
    QLabel* m_zoom = nullptr;
    bool m_printRequested = false;
};
