#pragma once
// The application's printer: the printer (or PDF file), paper, orientation and margins
// the user chose in print set-up or in the print dialog, kept for the whole run and
// shared by printing, preview and set-up. It is made on first use, at the printer's own
// resolution, and goes when the Qt application ends. User-interface thread only.
class QPrinter;
class QWidget;

[[nodiscard]] QPrinter& GetAppPrinter();
// The set-up dialog for the printer's paper, orientation and margins; true when the
// user accepted it.
bool RunPrintSetup(QWidget* parent);
