#pragma once
// CNameIconProvider: the icon and type text of each entry of a file list, told from the
// entry's name and what the system says of it without opening it. Qt's own provider reads
// the first bytes of every listed file whose name leaves its type open, on the interface
// thread, and a read may never end (/proc/kmsg, a file on a mount that stopped answering):
// the program then neither repaints nor hears a request to quit. Folders, the root and
// anything that is no file are shown as Qt shows them, which reads nothing.
//
// A type's icon and words are found once and kept: the icon theme's look-up walks the
// theme's folders file by file (milliseconds where a folder of the user's data holds icons
// of its own), and a list asks about every entry of a folder, and again about each entry
// that changes. The kept answers are as many as the system has types.
//
// Threads: Qt's file system model asks its provider only on the interface thread. Its
// gatherer thread reads a folder's entries and what the system says of each (the same
// stat a QFileInfo makes), and hands them over; the model asks for each entry's icon and
// type as it takes them in, and for the folders along a path it is pointed at, on the
// interface thread (checked with Qt 6.4's file dialogs, whose lists and completers share
// one model, and the print dialog's completer). The kept answers are therefore not locked,
// and the provider must not be asked from another thread: debug builds assert it.
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeType>
#include <QString>

class QFileDialog;
class QFileInfo;
class QWidget;

class CNameIconProvider : public QFileIconProvider
{
public:
    using QFileIconProvider::icon;
    [[nodiscard]] QIcon icon(const QFileInfo& info) const override;
    [[nodiscard]] QString type(const QFileInfo& info) const override;

    // The provider of every file list of the program: set it on a list before the list
    // first turns the event loop, since the list asks its provider as each folder's
    // entries arrive. Lives as long as the program, as the lists that keep a pointer to it
    // may.
    [[nodiscard]] static CNameIconProvider& Shared();

protected:
    // The theme's icon of that name; null when the theme has none.
    [[nodiscard]] virtual QIcon ThemeIcon(const QString& name) const;

private:
    // A list asks for an entry's icon and then its type: the second finds the type the
    // first looked up (matching a name against the system's patterns takes tens of
    // microseconds).
    [[nodiscard]] QMimeType TypeByName(const QString& name) const;
    // A file's icon by its type, and whether the name is a link's.
    [[nodiscard]] QIcon FileIcon(const QMimeType& type, bool link) const;
    [[nodiscard]] QIcon FindFileIcon(const QMimeType& type, bool link) const;

    mutable QHash<QString, QIcon> m_icons;
    mutable QHash<QString, QString> m_words;
    mutable QString m_lastName;
    mutable QMimeType m_lastType;
};

// Gives the dialog the shared provider, then opens it at the path as its constructor would
// have: a folder opens, a file's folder opens with the file's name selected (a folder that
// does not exist leaves the dialog where it was). A dialog made with a file's path asks its
// provider about that file before anyone can give it another, so it is made without one.
void SetNameIconsAndPath(QFileDialog& dialog, const QString& path);

// Makes every list of files in the widget (a file dialog's, a completer's) type its files
// through the shared provider, and lets them and the pop-up lists of the widget's completers
// take one row's height for all: a list that measures each row lays out each file name's
// text, and measures them all again as each batch of a large folder's entries arrives. A
// list that wraps its rows into columns (a file dialog's List view) keeps each row as wide
// as its name, whose advance is measured once and kept, since its columns are as wide as
// their widest rows. Called before the lists first turn the event loop, as the provider
// must be.
void ListFilesByName(QWidget& widget);
