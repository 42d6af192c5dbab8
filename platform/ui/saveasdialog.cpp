#include "platform/ui/saveasdialog.h"

#include <QFileInfo>
#include <sys/stat.h>

#include "platform/ui/messagebox.h"
#include "platform/ui/nameiconprovider.h"
#include "platform/ui/uitypes.h"

namespace {

QString ToQt(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

}  // namespace

CSaveAsDialog::CSaveAsDialog(const CString& path, const CString& filter, const CString& extension)
    : QFileDialog(nullptr, QString(), QString(), ToQt(filter)), m_extension(extension)
{
    setAcceptMode(QFileDialog::AcceptSave);
    // The program's own dialog, as for opening. Its own suffix and question go by rules of
    // their own (a name with a leading dot counts as having an extension there, and a link
    // that leads nowhere as nothing); accept() asks instead.
    setOption(QFileDialog::DontUseNativeDialog, true);
    setOption(QFileDialog::DontConfirmOverwrite, true);
    SetNameIconsAndPath(*this, ToQt(path));
}

CString CSaveAsDialog::NameToWrite(const CString& path, const CString& extension)
{
    if (extension.IsEmpty())
        return path;
    const CString dotted = extension[0] == u'.' ? extension : CString(".") + extension;
    const CString name = path.Mid(path.ReverseFind(u'/') + 1);
    return name.Find(u'.', 1) > 0 ? path : path + dotted;
}

bool CSaveAsDialog::MayWriteOver(const CString& path)
{
    struct stat info {};
    if (::lstat(path.ToUtf8().c_str(), &info) != 0)
        return true;
    const CString name = path.Mid(path.ReverseFind(u'/') + 1);
    return AfxMessageBox(name + CString(" already exists.\nDo you want to replace it?"),
                         MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

void CSaveAsDialog::accept()
{
    const QStringList chosen = selectedFiles();
    // What names no file is the dialog's own to handle: a folder (or "..") is entered.
    if (chosen.isEmpty() || QFileInfo(chosen.front()).isDir())
    {
        QFileDialog::accept();
        return;
    }
    const CString path = NameToWrite(CString::FromUtf8(chosen.front().toStdString()), m_extension);
    if (!MayWriteOver(path))
        return;
    m_pathToWrite = path;
    QDialog::accept();
}
