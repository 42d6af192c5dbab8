#include "app/modelpreviewdialog.h"

#include <QFileInfo>

#include "app/mfcwinbmp.h"
#include "app/qttext.h"
#include "document/dib.h"
#include "document/tarnwickmodel.h"

CModelPreviewDialog::CModelPreviewDialog(const CString& initialName, const CString* title, const CString& filter,
                                         QWidget* parent)
    : CFilePreviewDialog(initialName, title, filter, parent)
{
    setDefaultSuffix(QStringLiteral("twk"));
}

void CModelPreviewDialog::OnFileNameChange(const CString& path)
{
    SetPreview(path.IsEmpty() ? nullptr : ReadModelPreviewBitmap(path));
}

std::unique_ptr<CMfcWinBmp> ReadModelPreviewBitmap(const CString& path)
{
    // Opening a pipe waits for a writer, and a device may never end.
    if (!QFileInfo(ToQt(path)).isFile())
        return nullptr;
    CDib* read = nullptr;
    CString description;
    if (ReadModelFilePreview(path, read, description) != kHeaderRead || read == nullptr)
    {
        delete read;
        return nullptr;
    }
    const std::unique_ptr<CDib> dib(read);
    try
    {
        auto preview = std::make_unique<CMfcWinBmp>();
        if (!preview->CreateFromDib(*dib))
            return nullptr;
        return preview;
    }
    catch (...)
    {
        // A picture the bitmap cannot take is no picture to show.
        return nullptr;
    }
}
