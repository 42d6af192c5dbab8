#pragma once
// CModelPreviewDialog: the open-file dialog for model files. Selecting a file reads only
// its header and stored preview picture and shows the picture; anything that is not a
// readable model with a picture shows "Not Available".
#include <memory>

#include "app/filepreviewdialog.h"

class CModelPreviewDialog : public CFilePreviewDialog
{
public:
    // The default extension is ".twk".
    CModelPreviewDialog(const CString& initialName, const CString* title, const CString& filter, QWidget* parent);

protected:
    void OnFileNameChange(const CString& path) override;
};

// The stored preview picture of the model file at the path, read from the file's header
// alone. Null, never an exception, for anything but a regular file (a folder, a pipe or a
// device, which could block or never end), a file of no length (as the system's own files
// under /proc show, some of which block), one that cannot be opened or read, one that
// is no model, too new or too old to hold a picture, and a picture that does not decode.
// A picture with a side longer than twice the pane's square comes shrunk to fit one of
// that side.
[[nodiscard]] std::unique_ptr<CMfcWinBmp> ReadModelPreviewBitmap(const CString& path);
