#include "app/modelpreviewdialog.h"

#include <QFileInfo>

#include "app/mfcwinbmp.h"
#include "app/qttext.h"
#include "document/dib.h"
#include "document/imageadapter/picturesidelimit.h"
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
    // Opening a pipe waits for a writer, and a device may never end. A file of no length
    // holds no model, and the system's own files show no length: some of them are read
    // only when the system has news (/proc/kmsg), which may be never.
    const QFileInfo info(ToQt(path));
    if (!info.isFile() || info.size() == 0)
        return nullptr;
    CDib* read = nullptr;
    CString description;
    int status = kHeaderReadFailed;
    {
        // The pane shows the picture at kPreviewSize, at most twice that on a dense screen:
        // a larger picture is shrunk as it is decoded, never held whole.
        const CPictureSideLimit limit(2 * CFilePreviewDialog::kPreviewSize);
        status = ReadModelFilePreview(path, read, description);
    }
    if (status != kHeaderRead || read == nullptr)
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
