#pragma once
// CFilePreviewDialog: the open-file dialog with a preview pane beside the file list, a
// group box "Preview" in which the selected file's picture is drawn into a 128 x 128
// square, or "Not Available" is shown when there is none. What a file's picture is, a
// subclass decides each time the selection changes (OnFileNameChange). The dialog is
// Qt's own, not the desktop's, since only that one can hold the pane.
#include <QFileDialog>
#include <QStringList>
#include <memory>

#include "platform/cstring.h"
#include "platform/ui/uitypes.h"

class CMfcWinBmp;
class QLabel;
class QWidget;

// The square of kPreviewSize centred in the inner area, narrowed to the picture's
// shape: a wide picture keeps the full width and is centred vertically, a tall one
// keeps the full height and is centred horizontally.
[[nodiscard]] CRect PreviewTargetRect(const CRect& inner, int width, int height);

// A filter of "text|pattern|...|" pairs as name filters; "*.*" (every file on the system
// the filters were written for) becomes "*", which also takes names without a dot.
[[nodiscard]] QStringList ConvertFileFilter(const CString& filter);

class CFilePreviewDialog : public QFileDialog
{
public:
    static constexpr int kPreviewSize = 128;
    // Control ids of the pane.
    static constexpr int kPreviewFrameId = 1214;
    static constexpr int kNotAvailableId = 1215;

    // An open dialog for existing files. A title, when given, becomes the window's title;
    // an initial name with a folder part opens in that folder with the rest selected.
    CFilePreviewDialog(const CString& initialName, const CString* title, const CString& filter, QWidget* parent);
    ~CFilePreviewDialog() override;

    // IDOK when a file was chosen, else IDCANCEL.
    int DoModal();
    // The selected file; empty when none is.
    [[nodiscard]] CString GetPathName() const;

    // The picture the pane draws; null shows "Not Available".
    void SetPreview(std::unique_ptr<CMfcWinBmp> preview);
    [[nodiscard]] const CMfcWinBmp* GetPreview() const { return m_preview.get(); }
    [[nodiscard]] QWidget* GetPreviewPane() const { return m_pane; }
    [[nodiscard]] QLabel* GetNotAvailableLabel() const { return m_notAvailable; }

protected:
    // The selected path changed (a file or a folder; empty when nothing is selected).
    // The base shows no picture.
    virtual void OnFileNameChange(const CString& path);

private:
    class CPreviewPane;

    void AddPreviewPane();
    void FitFileColumns();

    QWidget* m_pane = nullptr;
    QLabel* m_notAvailable = nullptr;
    std::unique_ptr<CMfcWinBmp> m_preview;
};
