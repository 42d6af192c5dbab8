#include "platform/ui/printdialog.h"

#include <algorithm>

#include <QAbstractButton>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShowEvent>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/ui/appprinter.h"
#include "platform/ui/modaldialog.h"
#include "platform/ui/nameiconprovider.h"
#include "platform/ui/uitypes.h"

// The platform dialog, which asks its owner before it closes with OK.
class CPrintDialog::Window : public QPrintDialog
{
public:
    Window(CPrintDialog& owner, QPrinter& printer, QWidget* parent) : QPrintDialog(&printer, parent), m_owner(owner)
    {
        NameFilesByTheirNames();
    }

    // "Options" grows the dialog downwards; whatever its size, it stays on its screen.
    void resizeEvent(QResizeEvent* event) override
    {
        QPrintDialog::resizeEvent(event);
        KeepOnScreen();
    }
    void showEvent(QShowEvent* event) override
    {
        QPrintDialog::showEvent(event);
        KeepOnScreen();
    }

    void done(int result) override
    {
        if (result == QDialog::Accepted && !m_owner.HandleOK())
            return;
        QPrintDialog::done(result);
    }

    // The platform dialog checks the output file (asking whether to overwrite one that
    // exists) when its OK button is clicked, before it accepts, and only while the file
    // field is enabled. A preview writes no file: the field is disabled across the
    // check and enabled again after it.
    void SkipFileCheck()
    {
        auto* buttons = findChild<QDialogButtonBox*>();
        auto* file = findChild<QLineEdit*>(QStringLiteral("filename"));
        QPushButton* ok = buttons != nullptr ? buttons->button(QDialogButtonBox::Ok) : nullptr;
        if (ok == nullptr || file == nullptr)
            return;
        connect(ok, &QPushButton::pressed, this, [this, file] {
            m_fileEnabled = file->isEnabled();
            file->setEnabled(false);
        });
        connect(buttons, &QDialogButtonBox::accepted, this, [this, file] {
            if (m_fileEnabled)
                file->setEnabled(true);
            m_fileEnabled = false;
        });
    }

private:
    // The output file's field completes names from a file list of its own, and its "..."
    // button opens a file dialog: both type the files they list by name, as the program's
    // other file dialogs do, never by reading them.
    void NameFilesByTheirNames()
    {
        ListFilesByName(*this);
        auto* browse = findChild<QAbstractButton*>(QStringLiteral("fileBrowser"));
        if (browse == nullptr)
            return;
        disconnect(browse, &QAbstractButton::clicked, nullptr, nullptr);
        connect(browse, &QAbstractButton::clicked, this, [this] { BrowseForFile(); });
    }

    // What the platform dialog's button does, with a dialog that has the program's provider.
    void BrowseForFile()
    {
        auto* file = findChild<QLineEdit*>(QStringLiteral("filename"));
        if (file == nullptr)
            return;
        QFileDialog dialog(this, QPrintDialog::tr("Print To File ..."));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The print dialog asks about an existing file itself when it is accepted.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        SetNameIconsAndPath(dialog, file->text());
        if (RunModalDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return;
        file->setText(dialog.selectedFiles().front());
        // A chosen file means printing to a file, the last entry of the printer list.
        if (auto* printers = findChild<QComboBox*>(QStringLiteral("printers")))
            printers->setCurrentIndex(printers->count() - 1);
    }

    void KeepOnScreen()
    {
        const QScreen* display = screen();
        if (!isVisible() || display == nullptr)
            return;
        const QRect area = display->availableGeometry();
        const QRect frame = frameGeometry();
        if (area.contains(frame))
            return;
        // The frame's top left corner, moved as little as keeps the frame inside; a frame
        // larger than the screen keeps its top left corner (and title bar) on it.
        const int x = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
        const int y = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
        move(pos() + QPoint(x - frame.left(), y - frame.top()));
    }

    CPrintDialog& m_owner;
    bool m_fileEnabled = false;
};

CPrintDialog::CPrintDialog(DWORD flags, QWidget* parent) : m_flags(flags), m_parent(parent) {}

CPrintDialog::~CPrintDialog() = default;

QPrinter& CPrintDialog::GetPrinter() const
{
    return GetAppPrinter();
}

CString CPrintDialog::GetDeviceName() const
{
    const QPrinter& printer = GetPrinter();
    const QString name = printer.outputFormat() == QPrinter::PdfFormat || printer.printerName().isEmpty()
                             ? printer.outputFileName()
                             : printer.printerName();
    return CString::FromUtf8(name.toStdString());
}

QDialog* CPrintDialog::GetDialog() const
{
    return m_window;
}

void CPrintDialog::SetWindowText(const CString& caption)
{
    m_caption = caption;
    if (m_window != nullptr)
        m_window->setWindowTitle(QString::fromStdString(caption.ToUtf8()));
}

bool CPrintDialog::HandleOK()
{
    m_okHandled = true;
    return OnOK();
}

int CPrintDialog::DoModal()
{
    Window window(*this, GetPrinter(), m_parent);
    m_window = &window;
    // Writing to a file is how a picture becomes a PDF here, so that choice stays.
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintToFile |
                                                       QAbstractPrintDialog::PrintShowPageSize;
    if ((m_flags & PD_NOSELECTION) == 0)
        options |= QAbstractPrintDialog::PrintSelection;
    if ((m_flags & PD_NOPAGENUMS) == 0)
        options |= QAbstractPrintDialog::PrintPageRange;
    if ((m_flags & PD_USEDEVMODECOPIESANDCOLLATE) != 0)
        options |= QAbstractPrintDialog::PrintCollateCopies;
    window.setOptions(options);
    if (!m_caption.IsEmpty())
        window.setWindowTitle(QString::fromStdString(m_caption.ToUtf8()));
    if (QWidget* page = CreateOptionsPage())
    {
        page->setWindowTitle(QString::fromStdString(GetOptionsPageTitle().ToUtf8()));
        window.setOptionTabs({page});
    }
    OnInitDialog();
    if (m_forPreview)
        window.SkipFileCheck();
    m_okHandled = false;
    int result = RunModalDialog(window);
    // A dialog answered without being shown never pressed its OK button.
    if (result == QDialog::Accepted && !m_okHandled && !HandleOK())
        result = QDialog::Rejected;
    m_window = nullptr;
    return result == QDialog::Accepted ? IDOK : IDCANCEL;
}
