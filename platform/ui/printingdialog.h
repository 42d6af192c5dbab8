#pragma once
// CPrintingDialog: what shows while a job prints: the document, the printer or file it
// goes to, the sheet being printed and a Cancel button. It stands over the program's
// windows (which take no input meanwhile) without holding the print up: the print shows
// it, then lets events through between its bands and sheets (ProcessEvents), so the
// windows repaint and Cancel, Escape or closing the dialog are taken while it runs.
// User-interface thread only.
#include <QDialog>

#include "platform/cstring.h"

class QLabel;

class CPrintingDialog : public QDialog
{
public:
    CPrintingDialog(const CString& document, const CString& printer, QWidget* parent);

    // "Printing sheet N of M"; N counts from 1. A count of 0 (the last sheet is not
    // known yet) shows "Printing sheet N".
    void SetSheet(int sheet, int count);
    // Handles the events waiting now, without waiting for more.
    static void ProcessEvents();
    // The user asked the print to end (Cancel, Escape, the dialog closed).
    [[nodiscard]] bool IsCancelled() const { return m_cancelled; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_progress = nullptr;
    bool m_cancelled = false;
};
