#include "platform/ui/nameiconprovider.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QStyle>

namespace {

// The name alone decides: a name that tells nothing is a file of unknown type.
QMimeType TypeByName(const QFileInfo& info)
{
    return QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
}

}  // namespace

QIcon CNameIconProvider::icon(const QFileInfo& info) const
{
    if (!info.isFile())
        return QFileIconProvider::icon(info);
    const QMimeType type = TypeByName(info);
    QIcon themed = QIcon::fromTheme(type.iconName());
    if (themed.isNull())
        themed = QIcon::fromTheme(type.genericIconName());
    if (!themed.isNull())
        return themed;
    if (info.isSymLink() && QApplication::style() != nullptr)
        return QApplication::style()->standardIcon(QStyle::SP_FileLinkIcon);
    return QFileIconProvider::icon(QAbstractFileIconProvider::File);
}

QString CNameIconProvider::type(const QFileInfo& info) const
{
    if (!info.isFile())
        return QFileIconProvider::type(info);
    const QMimeType type = TypeByName(info);
    return type.comment().isEmpty() ? type.name() : type.comment();
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
    dialog.setIconProvider(&CNameIconProvider::Shared());
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
