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
#include <QStyledItemDelegate>
#include <QThread>
#include <QTreeView>
#include <cassert>
#include <cmath>

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

// Measures a wrapping list's rows by their names' width. A list that wraps its rows into
// columns makes each column as wide as its widest row, so its rows cannot share one size as
// a plain list's can: every name would be cut to the one row's width. The list measures
// every row again each time it lays itself out (as each batch of a large folder's entries
// arrives and as the folder changes), and the style would lay out each row's text and ask
// the model for everything the row shows; a name's width is found once and kept. The icon,
// the margins and the height are the style's, measured once for the list's font and icon
// size: a folder's rows differ only in their names.
class CNameWidthDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QString name = index.data(Qt::DisplayRole).toString();
        if (!m_frame.isValid() || option.font != m_font || option.decorationSize != m_iconSize)
        {
            const QSize measured = QStyledItemDelegate::sizeHint(option, index);
            m_font = option.font;
            m_metrics = QFontMetricsF(m_font);
            m_iconSize = option.decorationSize;
            m_widths.clear();
            m_frame = QSize(measured.width() - Width(name), measured.height());
        }
        return {m_frame.width() + Width(name), m_frame.height()};
    }

private:
    // Names kept with their widths: a folder's, or a few folders', while a folder whose
    // names keep changing cannot make them more.
    static constexpr qsizetype kMostKeptWidths = 65536;

    [[nodiscard]] int Width(const QString& name) const
    {
        if (const auto found = m_widths.constFind(name); found != m_widths.constEnd())
            return *found;
        if (m_widths.size() >= kMostKeptWidths)
            m_widths.clear();
        // The style's measure takes in how far the last letter reaches past its advance (an
        // "f"); a row measured short of that shows its name cut.
        const qreal overhang = name.isEmpty() ? 0.0 : std::max(0.0, -m_metrics.rightBearing(name.back()));
        return *m_widths.insert(name, static_cast<int>(std::ceil(m_metrics.horizontalAdvance(name) + overhang)));
    }

    mutable QFont m_font;
    mutable QFontMetricsF m_metrics{m_font};
    mutable QSize m_iconSize;
    mutable QSize m_frame;  // the row's width without its name, and its height
    mutable QHash<QString, int> m_widths;
};

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
        if (list->isWrapping())
            list->setItemDelegate(new CNameWidthDelegate(list));
        else
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
