#include "platform/ui/nameiconprovider.h"

#include "platform/ui/listrepaintpacer.h"

#include <QApplication>
#include <QCompleter>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QListView>
#include <QMimeDatabase>
#include <QStyle>
#include <QThread>
#include <QTreeView>
#include <cassert>

namespace {

// Links and plain files of one type may differ in their icon only where the theme has none.
QString IconKey(const QString& typeName, bool link)
{
    return link ? typeName + QStringLiteral("\n->") : typeName;
}

[[maybe_unused]] bool OnInterfaceThread()
{
    return QCoreApplication::instance() == nullptr || QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace

QIcon CNameIconProvider::icon(const QFileInfo& info) const
{
    assert(OnInterfaceThread());
    if (!info.isFile())
        return QFileIconProvider::icon(info);
    return FileIcon(TypeByName(info.fileName()), info.isSymLink());
}

QString CNameIconProvider::type(const QFileInfo& info) const
{
    assert(OnInterfaceThread());
    if (!info.isFile())
        return QFileIconProvider::type(info);
    const QMimeType type = TypeByName(info.fileName());
    auto found = m_words.constFind(type.name());
    if (found == m_words.constEnd())
        found = m_words.insert(type.name(), type.comment().isEmpty() ? type.name() : type.comment());
    return *found;
}

QMimeType CNameIconProvider::TypeByName(const QString& name) const
{
    if (name == m_lastName)
        return m_lastType;
    // The name alone decides: a name that tells nothing is a file of unknown type.
    m_lastType = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    m_lastName = name;
    return m_lastType;
}

QIcon CNameIconProvider::FileIcon(const QMimeType& type, bool link) const
{
    const QString key = IconKey(type.name(), link);
    auto found = m_icons.constFind(key);
    if (found == m_icons.constEnd())
        found = m_icons.insert(key, FindFileIcon(type, link));
    return *found;
}

QIcon CNameIconProvider::FindFileIcon(const QMimeType& type, bool link) const
{
    QIcon themed = ThemeIcon(type.iconName());
    if (themed.isNull())
        themed = ThemeIcon(type.genericIconName());
    if (!themed.isNull())
        return themed;
    if (link && QApplication::style() != nullptr)
        return QApplication::style()->standardIcon(QStyle::SP_FileLinkIcon);
    return QFileIconProvider::icon(QAbstractFileIconProvider::File);
}

QIcon CNameIconProvider::ThemeIcon(const QString& name) const
{
    return QIcon::fromTheme(name);
}

CNameIconProvider& CNameIconProvider::Shared()
{
    // Never destroyed: a list may keep its pointer to the end, and the icons it keeps must
    // not be freed after the application object is gone.
    static auto* const provider = new CNameIconProvider;
    return *provider;
}

void SetNameIconsAndPath(QFileDialog& dialog, const QString& path)
{
    ListFilesByName(dialog);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (info.isDir())
    {
        dialog.setDirectory(path);
        return;
    }
    if (QFileInfo(info.absolutePath()).isDir())
        dialog.setDirectory(info.absolutePath());
    dialog.selectFile(info.fileName());
}

void ListFilesByName(QWidget& widget)
{
    // A file dialog hands its provider to its list and to its side bar.
    if (auto* dialog = qobject_cast<QFileDialog*>(&widget))
        dialog->setIconProvider(&CNameIconProvider::Shared());
    else
        for (QFileSystemModel* files : widget.findChildren<QFileSystemModel*>())
            files->setIconProvider(&CNameIconProvider::Shared());
    for (QListView* list : widget.findChildren<QListView*>())
    {
        list->setUniformItemSizes(true);
        CListRepaintPacer::Attach(*list);
    }
    for (QTreeView* list : widget.findChildren<QTreeView*>())
    {
        list->setUniformRowHeights(true);
        CListRepaintPacer::Attach(*list);
    }
    for (QCompleter* completer : widget.findChildren<QCompleter*>())
        if (auto* popup = qobject_cast<QListView*>(completer->popup()))
        {
            popup->setUniformItemSizes(true);
            CListRepaintPacer::Attach(*popup);
        }
}
