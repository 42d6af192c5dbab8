#pragma once
// CModelPreviewDialog: the open-file dialog for model files. Selecting a file reads only
// its header and stored preview picture and shows the picture; anything that is not a
// readable model with a picture shows "Not Available". The file's bytes are read by the
// dialog's file-head reader, away from the interface thread, so that a read that never ends
// leaves the dialog answering and, once it is taken as stuck, the next file its own preview;
// the picture shows once they came, and "Not Available" until then.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/filepreviewdialog.h"
#include "app/fileheadreader.h"

class CModelPreviewDialog : public CFilePreviewDialog
{
public:
    // The default extension is ".twk".
    CModelPreviewDialog(const CString& initialName, const CString* title, const CString& filter, QWidget* parent);

    // True while the selected file's bytes are still being read.
    [[nodiscard]] bool IsReadingPreview() const { return m_reader.IsReading(); }

protected:
    void OnFileNameChange(const CString& path) override;

private:
    // Reads the file's first `most` bytes, then shows its picture; a header longer than
    // that is read again at the most a header may take.
    void ReadPreview(const CString& path, std::size_t most);

    CFileHeadReader m_reader;
};

// The stored preview picture of the model file at the path, read from the file's header
// alone. Null, never an exception, for anything but a regular file (a folder, a pipe or a
// device, which could block or never end), a file of no length (as the system's own files
// under /proc show, some of which block), one that cannot be opened or read, one that
// is no model, too new or too old to hold a picture, and a picture that does not decode.
// A picture with a side longer than twice the pane's square comes shrunk to fit one of
// that side.
[[nodiscard]] std::unique_ptr<CMfcWinBmp> ReadModelPreviewBitmap(const CString& path);
// The same from the first bytes of a model file (the whole header must be among them).
[[nodiscard]] std::unique_ptr<CMfcWinBmp> DecodeModelPreviewBitmap(const std::vector<std::uint8_t>& head,
                                                                   const CString& path);
