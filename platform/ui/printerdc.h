#pragma once
// CPrinterDC: a printer, or a preview's sheets, as a device to draw sheets on: its
// capabilities in the numbers printing code asks for, and the drawing a sheet needs.
//
// The job starts with the first drawing, not before: a job that fails before it draws
// anything sends nothing to the printer. StartPage opens the next sheet; AbortDoc drops
// the job (a printer that cannot take a job back gets what was drawn, without the sheet
// that failed). A job to a file is written beside it and takes its name only when it
// ends whole (CPrintFile): a job dropped leaves the folder as it was.
//
// An abort procedure, when set, is asked between sheets and after each picture band
// drawn; once it answers false the job is cancelled: drawing fails from then on and the
// caller drops the job.
//
// A preview draws one sheet at a time with a painter of its own: the printer's numbers
// are the device's, the drawing goes to the painter, which maps the printer's pixels
// onto the preview's picture. Such a device has one sheet and never starts a job.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/cstring.h"
#include "platform/ui/uitypes.h"

class CPrintFile;
class QPagedPaintDevice;
class QPainter;
class QPdfWriter;
class QPrinter;

// Capability indices, with the numbers the platform's query gave them.
inline constexpr int HORZSIZE = 4;  // printable width, millimetres
inline constexpr int VERTSIZE = 6;  // printable height, millimetres
inline constexpr int HORZRES = 8;   // printable width, pixels
inline constexpr int VERTRES = 10;  // printable height, pixels
inline constexpr int RASTERCAPS = 38;
inline constexpr int LOGPIXELSX = 88;
inline constexpr int LOGPIXELSY = 90;
// Bits of RASTERCAPS.
inline constexpr int RC_STRETCHBLT = 0x800;
inline constexpr int RC_STRETCHDIB = 0x2000;

class CPrinterDC
{
public:
    explicit CPrinterDC(QPrinter& printer);
    // One sheet of a preview, drawn with the caller's painter.
    CPrinterDC(QPrinter& printer, QPainter& sheet);
    // Ends the job when it was neither ended nor dropped.
    ~CPrinterDC();
    CPrinterDC(const CPrinterDC&) = delete;
    CPrinterDC& operator=(const CPrinterDC&) = delete;

    [[nodiscard]] bool IsPrinting() const { return true; }
    // 0 for an index not listed above.
    [[nodiscard]] int GetDeviceCaps(int index) const;
    // The printer's name; for a file, the file's name.
    [[nodiscard]] CString GetPrinterName() const;
    // The printable area in device pixels, from (0, 0), and in inches (exact, where
    // the capabilities give whole millimetres).
    [[nodiscard]] CRect GetPrintableRect() const;
    void GetPageSizeInches(double& width, double& height) const;

    // Opens the next sheet, the first one included.
    void StartPage();
    // False when the job could not start (no file to write, a printer that refuses).
    bool FillSolidRect(const CRect& rect, COLORREF colour);
    bool FrameRect(const CRect& rect, COLORREF colour);
    // Centred in the rectangle, in the device's default font at a size that fits.
    bool DrawText(const CString& text, const CRect& rect);
    // Pixels (RGBA, top row first; alpha is ignored) stretched onto the rectangle; then
    // the abort procedure is asked, and false is answered when it cancels the job.
    bool StretchPixels(const CRect& target, int width, int height, const std::vector<std::uint8_t>& rgba);

    // Finishes the job; false when it never started, writing failed or it was cancelled
    // (then it is dropped as by AbortDoc).
    bool EndDoc();
    void AbortDoc();
    // True once the job drew anything.
    [[nodiscard]] bool HasStarted() const { return m_drawnPage > 0; }

    // Asked whether the job goes on; an empty one (the default) always goes on.
    using AbortProc = std::function<bool()>;
    void SetAbortProc(AbortProc proc) { m_abortProc = std::move(proc); }
    // Asks the abort procedure; false once the job is cancelled.
    [[nodiscard]] bool ContinuePrinting();
    [[nodiscard]] bool IsCancelled() const { return m_cancelled; }

private:
    // The painter on the current sheet; null when the job cannot start.
    QPainter* BeginDrawing();

    // The device the job draws on: the printer, or a PDF writer on the job's file.
    bool OpenDevice();

    QPrinter& m_printer;
    std::unique_ptr<CPrintFile> m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
    QPagedPaintDevice* m_device = nullptr;
    std::unique_ptr<QPainter> m_painter;
    QPainter* m_sheet = nullptr;
    int m_requestedPage = 0;
    int m_drawnPage = 0;
    bool m_finished = false;
    AbortProc m_abortProc;
    bool m_cancelled = false;
};
