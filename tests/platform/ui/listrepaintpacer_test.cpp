#include "platform/ui/listrepaintpacer.h"

#include <gtest/gtest.h>

#include <QAbstractItemDelegate>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QPaintEvent>
#include <QRegion>
#include <QStringListModel>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/nameiconprovider.h"
#include "uitestsupport.h"

namespace {

// Counts the paints a widget receives, and those of only a part of it.
class CPaintCounter : public QObject
{
public:
    explicit CPaintCounter(QWidget& widget) : m_widget(widget) { widget.installEventFilter(this); }
    int Count() const { return m_count; }
    int Partial() const { return m_partial; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
        {
            ++m_count;
            if (!QRegion(m_widget.rect()).subtracted(static_cast<QPaintEvent*>(event)->region()).isEmpty())
                ++m_partial;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& m_widget;
    int m_count = 0;
    int m_partial = 0;
};

// The rows a list draws at each of its paints, told by its delegate, which it keeps using.
class CDrawnRows : public QAbstractItemDelegate
{
public:
    struct SPaint
    {
        bool whole = false;    // of the whole list
        bool hadRows = false;  // the list's folder had rows
        std::vector<int> rows;
    };

    explicit CDrawnRows(QAbstractItemView& list) : QAbstractItemDelegate(&list), m_list(list), m_drawer(*list.itemDelegate())
    {
        list.viewport()->installEventFilter(this);
        list.setItemDelegateForColumn(0, this);
    }
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (!m_paints.empty())
            m_paints.back().rows.push_back(index.row());
        m_drawer.paint(painter, option, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return m_drawer.sizeHint(option, index);
    }
    const std::vector<SPaint>& Paints() const { return m_paints; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_paints.push_back({QRegion(m_list.viewport()->rect()).subtracted(static_cast<QPaintEvent*>(event)->region()).isEmpty(),
                                m_list.model()->rowCount(m_list.rootIndex()) > 0,
                                {}});
        return QAbstractItemDelegate::eventFilter(watched, event);
    }

private:
    QAbstractItemView& m_list;
    QAbstractItemDelegate& m_drawer;
    mutable std::vector<SPaint> m_paints;
};

// A list over a model that another program keeps changing, as a watched folder is: a row
// goes at the top and one comes at the end about a hundred times a second.
TEST(ListRepaintPacerTest, AListThatKeepsChangingRepaintsAFewTimesASecondAndDrawsItsLastChange)
{
    uitest::EnsureQtApplication();
    QStringList names;
    for (int i = 0; i < 50; ++i)
        names << QStringLiteral("dl-%1.part").arg(i, 4, 10, QLatin1Char('0'));
    QStringListModel model(names);
    QListView list;
    list.setModel(&model);
    CListRepaintPacer::Attach(list);
    CPaintCounter paints(*list.viewport());
    list.resize(300, 400);
    list.show();
    ASSERT_TRUE(uitest::TurnUntil([&] { return paints.Count() > 0; }));

    const int before = paints.Count();
    const int partialBefore = paints.Partial();
    QElapsedTimer spent;
    spent.start();
    constexpr int kChanges = 60;
    int beforeLast = 0;
    for (int i = 0; i < kChanges; ++i)
    {
        beforeLast = paints.Count();
        model.removeRows(0, 1);
        const int row = model.rowCount();
        model.insertRows(row, 1);
        model.setData(model.index(row), QStringLiteral("dl-%1.part").arg(50 + i, 4, 10, QLatin1Char('0')));
        uitest::TurnEventLoop();
    }
    // However busy the machine, two paints at most in each interval begun: the held changes
    // drawn at its start, and a change the list had asked to draw just before it was held
    // again. Unpaced, the list paints twice after every change.
    const qint64 intervals = spent.elapsed() / CListRepaintPacer::kIntervalMs + 2;
    EXPECT_LE(paints.Count() - before, 2 * intervals);
    // Each change moves every row: a paint of a part of the list would show rows in their
    // new places beside others in their old (a name twice, another missing).
    EXPECT_EQ(paints.Partial(), partialBefore);

    // The last change is drawn, at the latest at its interval's end, and the list then takes
    // every repaint at once again.
    EXPECT_TRUE(uitest::TurnUntil([&] { return paints.Count() > beforeLast && list.viewport()->updatesEnabled(); }));
}

// Fixed: a folder typed into a file dialog showed its files only when the pacer let the
// list repaint, up to a tenth of a second after the paint of the folder left.
TEST(ListRepaintPacerTest, AFileDialogDrawsTheFirstListingOfAFolderAtOnceAndPacesWhatFollows)
{
    namespace fs = std::filesystem;
    uitest::EnsureQtApplication();
    // A folder new to every dialog: Qt opens the next dialog where the last one was.
    static int runs = 0;
    const fs::path left = fs::temp_directory_path() / ("left-" + std::to_string(++runs));
    const fs::path entered = fs::temp_directory_path() / ("entered-" + std::to_string(runs));
    fs::create_directories(left);
    fs::create_directories(entered);
    for (const char* name : {"house.twk", "z.twk"})
        std::ofstream(entered / name);
    const QString enteredPath = QString::fromStdString(entered.string());
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        SetNameIconsAndPath(dialog, QString::fromStdString(left.string()));
        auto* files = dialog.findChild<QFileSystemModel*>();
        auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
        ASSERT_TRUE(files != nullptr && list != nullptr);
        CPaintCounter paints(*list->viewport());
        dialog.show();
        ASSERT_TRUE(uitest::TurnUntil([&] { return paints.Count() > 0; }));

        bool loaded = false;
        bool rowsCame = false;
        bool heldWhenRowsCame = false;
        int paintsWhenLoaded = 0;
        QObject::connect(files, &QFileSystemModel::rowsInserted, &dialog, [&](const QModelIndex& parent) {
            if (parent != files->index(enteredPath) || rowsCame)
                return;
            rowsCame = true;
            heldWhenRowsCame = !list->viewport()->updatesEnabled();
        });
        QObject::connect(files, &QFileSystemModel::directoryLoaded, &dialog, [&](const QString& folder) {
            if (folder != enteredPath)
                return;
            loaded = true;
            paintsWhenLoaded = paints.Count();
        });
        // The list was drawn just before the folder changes, as when a typed folder's name
        // is entered.
        list->viewport()->repaint();
        dialog.setDirectory(enteredPath);
        ASSERT_TRUE(uitest::TurnUntil([&] { return loaded && paints.Count() > paintsWhenLoaded; }));
        EXPECT_TRUE(rowsCame);
        EXPECT_FALSE(heldWhenRowsCame);
        EXPECT_EQ(files->rowCount(list->rootIndex()), 2);

        // Changes after the listing wait for the interval again.
        list->viewport()->repaint();
        QElapsedTimer sincePaint;
        sincePaint.start();
        files->sort(0, Qt::DescendingOrder);
        EXPECT_TRUE(!list->viewport()->updatesEnabled() || sincePaint.elapsed() >= CListRepaintPacer::kIntervalMs);
        EXPECT_TRUE(uitest::TurnUntil([&] { return list->viewport()->updatesEnabled(); }));
    }
    fs::remove_all(left);
    fs::remove_all(entered);
}

// Fixed: the List view of a file dialog went blank, and came back with rows missing, each
// time a batch of a large folder's entries arrived while it loaded on a busy machine: a paint
// that came between the rows' arrival and the view's delayed layout of them drew none.
TEST(ListRepaintPacerTest, AFileDialogsListViewDrawsTheRowsItHasAtEveryPaintWhileALargeFolderLoads)
{
    namespace fs = std::filesystem;
    uitest::EnsureQtApplication();
    const fs::path left = fs::temp_directory_path() / "list-left";
    const fs::path entered = fs::temp_directory_path() / "list-entered";
    fs::create_directories(left);
    fs::create_directories(entered);
    // More than the first batch Qt's file system model takes in (a hundred entries).
    constexpr int kFiles = 2000;
    for (int i = 0; i < kFiles; ++i)
        std::ofstream(entered / ("part-" + std::to_string(i) + ".twk"));
    const QString enteredPath = QString::fromStdString(entered.string());
    {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setViewMode(QFileDialog::List);
        SetNameIconsAndPath(dialog, QString::fromStdString(left.string()));
        auto* files = dialog.findChild<QFileSystemModel*>();
        auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
        ASSERT_TRUE(files != nullptr && list != nullptr);
        CDrawnRows drawn(*list);
        dialog.show();
        ASSERT_TRUE(uitest::TurnUntil([&] { return !drawn.Paints().empty(); }));

        // On a busy machine the paint the list asked for comes before its delayed layout of
        // the rows that arrived or moved; here it comes at once.
        const auto paintNow = [list] { list->viewport()->repaint(); };
        QObject::connect(files, &QFileSystemModel::rowsInserted, &dialog, paintNow);
        QObject::connect(files, &QFileSystemModel::layoutChanged, &dialog, paintNow);
        bool loaded = false;
        QObject::connect(files, &QFileSystemModel::directoryLoaded, &dialog,
                         [&](const QString& folder) { loaded = loaded || folder == enteredPath; });
        const size_t before = drawn.Paints().size();
        dialog.setDirectory(enteredPath);
        size_t paintsWhenListed = 0;
        ASSERT_TRUE(uitest::TurnUntil([&] {
            if (paintsWhenListed == 0 && loaded && files->rowCount(list->rootIndex()) == kFiles)
                paintsWhenListed = drawn.Paints().size();
            return paintsWhenListed != 0 && drawn.Paints().size() > paintsWhenListed;
        }));

        // The list is not scrolled: a paint of it all draws its first rows, none missing.
        int checked = 0;
        for (size_t i = before; i < drawn.Paints().size(); ++i)
        {
            const CDrawnRows::SPaint& paint = drawn.Paints()[i];
            if (!paint.whole || !paint.hadRows)
                continue;
            ++checked;
            std::vector<int> rows = paint.rows;
            std::sort(rows.begin(), rows.end());
            EXPECT_TRUE(!rows.empty() && rows.front() == 0 && rows.back() + 1 == static_cast<int>(rows.size()))
                << "paint " << i - before << " drew " << rows.size() << " rows, the first "
                << (rows.empty() ? -1 : rows.front()) << ", the last " << (rows.empty() ? -1 : rows.back());
        }
        EXPECT_GE(checked, 2);
    }
    fs::remove_all(left);
    fs::remove_all(entered);
}

}  // namespace
