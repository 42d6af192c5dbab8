#pragma once
// CPrintDialog: the platform's print dialog on the application's printer (the printer or
// a PDF file, copies, paper), which a program extends with a page of its own controls.
// DoModal builds the dialog, lets the program fill its page (OnInitDialog), shows it
// modally and, when the user accepts, asks the program (OnOK), which may keep it open.
#include <memory>

#include "platform/cstring.h"
#include "platform/types.h"

class QDialog;
class QPrinter;
class QWidget;

// Flags of the dialog, with the numbers the platform gave them.
inline constexpr DWORD PD_NOSELECTION = 0x4;
inline constexpr DWORD PD_NOPAGENUMS = 0x8;
inline constexpr DWORD PD_USEDEVMODECOPIESANDCOLLATE = 0x40000;
inline constexpr DWORD PD_HIDEPRINTTOFILE = 0x100000;

class CPrintDialog
{
public:
    // The parent window may be null.
    CPrintDialog(DWORD flags, QWidget* parent);
    virtual ~CPrintDialog();
    CPrintDialog(const CPrintDialog&) = delete;
    CPrintDialog& operator=(const CPrintDialog&) = delete;

    // IDOK or IDCANCEL. Where nobody can answer (see RunModalDialog) the dialog is
    // accepted unseen, and OnOK still decides.
    int DoModal();
    // The caption; the platform's own until set.
    void SetWindowText(const CString& caption);
    [[nodiscard]] DWORD GetFlags() const { return m_flags; }
    [[nodiscard]] QPrinter& GetPrinter() const;
    // The chosen printer's name, or the file's for a file.
    [[nodiscard]] CString GetDeviceName() const;
    // The dialog only chooses the paper and printer for a preview, which writes nothing:
    // accepting asks nothing about the output file.
    void SetForPreview(bool preview) { m_forPreview = preview; }
    // The dialog while DoModal runs; null otherwise.
    [[nodiscard]] QDialog* GetDialog() const;

    // For the dialog's window: the user pressed OK.
    bool HandleOK();

protected:
    // The program's page of controls, shown beside the printer's under its title; the
    // dialog takes it. Null adds none.
    virtual QWidget* CreateOptionsPage() { return nullptr; }
    [[nodiscard]] virtual CString GetOptionsPageTitle() const { return {}; }
    virtual void OnInitDialog() {}
    // False keeps the dialog open (the program has said why).
    virtual bool OnOK() { return true; }

private:
    class Window;

    DWORD m_flags;
    QWidget* m_parent;
    CString m_caption;
    Window* m_window = nullptr;
    bool m_okHandled = false;
    bool m_forPreview = false;
};
