#include "platform/ui/listrepaintpacer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEvent>
#include <QListView>
#include <QPaintEvent>
#include <QRegion>
#include <QStringListModel>
#include <functional>

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

// Turns the event loop until the condition holds; the bound only keeps a broken pacer from
// hanging the test.
bool TurnUntil(const std::function<bool()>& condition)
{
    for (int turn = 0; turn < 3000 && !condition(); ++turn)
        uitest::TurnEventLoop();
    return condition();
}

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
    ASSERT_TRUE(TurnUntil([&] { return paints.Count() > 0; }));

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
    EXPECT_TRUE(TurnUntil([&] { return paints.Count() > beforeLast && list.viewport()->updatesEnabled(); }));
}

}  // namespace
