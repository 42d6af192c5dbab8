#pragma once
// CSaveAsDialog: the program's own Save As dialog. One rule names the file that a chosen
// name writes (NameToWrite), and the dialog closes on a name only once nothing stands at
// that file or the user said Yes to replacing what does: a file, a folder, a pipe, a link,
// even one that leads nowhere. The question names that very file and Return answers No,
// which leaves the dialog open for another name. A name that is a folder opens the folder.
#include <QFileDialog>

#include "platform/cstring.h"

class CSaveAsDialog : public QFileDialog
{
public:
    // Starts at path; filter: the file types the dialog lists; extension: the document
    // type's, with or without its dot (empty: none is added).
    CSaveAsDialog(const CString& path, const CString& filter, const CString& extension);

    // The file to write, once the dialog was accepted.
    [[nodiscard]] const CString& GetPathToWrite() const { return m_pathToWrite; }

    // The file that the chosen path writes: the path with the extension when its last part
    // has none, that is no dot after its first character (".q" is a hidden name without one,
    // and writes ".q.twk"). A path that has one is its own file.
    [[nodiscard]] static CString NameToWrite(const CString& path, const CString& extension);
    // True when nothing stands at the path (looked at without following a link), or the
    // user answered Yes to replacing what does.
    [[nodiscard]] static bool MayWriteOver(const CString& path);

protected:
    void accept() override;

private:
    CString m_extension;
    CString m_pathToWrite;
};
