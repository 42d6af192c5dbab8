#pragma once
// CPrintInfo: one print job or preview as the view sees it while it prints: whether it
// is a preview, the dialog its preparation shows, the range of sheets, the sheet being
// printed and its drawing area, and whether printing goes on.
#include "platform/types.h"
#include "platform/ui/uitypes.h"

class CPrintDialog;

class CPrintInfo
{
public:
    // The first sheet is 1; a job whose last sheet is not known yet says so.
    static constexpr UINT kUnknownLastPage = 0xFFFF;

    void SetMinPage(UINT page) { m_minPage = page; }
    void SetMaxPage(UINT page) { m_maxPage = page; }
    [[nodiscard]] UINT GetMinPage() const { return m_minPage; }
    [[nodiscard]] UINT GetMaxPage() const { return m_maxPage; }
    // The sheets printed: the whole range.
    [[nodiscard]] UINT GetFromPage() const { return m_minPage; }
    [[nodiscard]] UINT GetToPage() const { return m_maxPage; }

    // The dialog the preparation shows; the view that prepares the job owns it. Null
    // shows the plain print dialog.
    CPrintDialog* m_pPD = nullptr;
    bool m_bPreview = false;
    bool m_bContinuePrinting = true;
    UINT m_nCurPage = 1;
    // The sheet's printable area in device pixels.
    CRect m_rectDraw;
    // A sheet could not be printed and has said so: the job ends and what it printed so
    // far is dropped.
    bool m_bPrintFailed = false;

private:
    UINT m_minPage = 1;
    UINT m_maxPage = kUnknownLastPage;
};
