#pragma once
// CNameIconProvider: the icon and type text of each entry of a file list, told from the
// entry's name and what the system says of it without opening it. Qt's own provider reads
// the first bytes of every listed file whose name leaves its type open, on the interface
// thread, and a read may never end (/proc/kmsg, a file on a mount that stopped answering):
// the program then neither repaints nor hears a request to quit. Folders, the root and
// anything that is no file are shown as Qt shows them, which reads nothing.
#include <QFileIconProvider>

class QFileDialog;
class QFileInfo;
class QIcon;
class QString;

class CNameIconProvider : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    [[nodiscard]] QIcon icon(const QFileInfo& info) const override;
    [[nodiscard]] QString type(const QFileInfo& info) const override;

    // The provider of every file list of the program: set it on a list before the list
    // first turns the event loop, since the list asks its provider as each folder's
    // entries arrive. Lives as long as the program, as the lists that keep a pointer to it
    // may; used on the interface thread, where the lists ask.
    [[nodiscard]] static CNameIconProvider& Shared();
};

// Gives the dialog the shared provider, then opens it at the path as its constructor would
// have: a folder opens, a file's folder opens with the file's name selected (a folder that
// does not exist leaves the dialog where it was). A dialog made with a file's path asks its
// provider about that file before anyone can give it another, so it is made without one.
void SetNameIconsAndPath(QFileDialog& dialog, const QString& path);
