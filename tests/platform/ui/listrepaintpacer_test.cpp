#include "platform/ui/listrepaintpacer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QPaintEvent>
#include <QRegion>
#include <QStringListModel>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

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

}  // namespace
