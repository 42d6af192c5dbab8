#include "app/compstatsctrl.h"

#include <QHeaderView>
#include <algorithm>

#include "platform/ui/stringtable.h"

namespace {

constexpr int kNameColumnWidth = 150;
constexpr int kCountColumnWidth = 80;
constexpr int kNameStringId = 20260;
constexpr int kCountStringId = 20261;

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

}  // namespace

CCompStatsCtrl::CCompStatsCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setSectionsClickable(true);
    QObject::connect(header(), &QHeaderView::sectionClicked, [this](int column) { SortByColumn(column); });
}

void CCompStatsCtrl::InsertColumns()
{
    setHeaderLabels({ToQString(LoadStringResource(kNameStringId)), ToQString(LoadStringResource(kCountStringId))});
    setColumnWidth(0, kNameColumnWidth);
    setColumnWidth(1, kCountColumnWidth);
}

void CCompStatsCtrl::SetComponent(const CComponent* component)
{
    m_statistics.Update(component, true);
}

void CCompStatsCtrl::Fill(bool showNested)
{
    m_showNested = showNested;
    clear();
    // Made first and added at once: the view takes one insertion, not one per row.
    QList<QTreeWidgetItem*> items;
    items.reserve(m_statistics.GetRowCount());
    for (int row = 0; row < m_statistics.GetRowCount(); ++row)
    {
        auto* item = new QTreeWidgetItem;
        item->setText(0, ToQString(m_statistics.GetRowLabel(row)));
        item->setText(1, QString::number(m_statistics.GetRowValue(row, showNested)));
        item->setData(0, Qt::UserRole, row);
        items.append(item);
    }
    addTopLevelItems(items);
    viewport()->update();
}

void CCompStatsCtrl::SortByColumn(int column)
{
    // Taken out and put back in one piece each: one at a time costs a shift per row.
    QList<QTreeWidgetItem*> items = invisibleRootItem()->takeChildren();
    auto row = [](const QTreeWidgetItem* item) { return item->data(0, Qt::UserRole).toInt(); };
    std::stable_sort(items.begin(), items.end(), [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        if (column == 0)
            return m_statistics.GetRowLabel(row(a)).Compare(m_statistics.GetRowLabel(row(b))) < 0;
        return m_statistics.GetRowValue(row(a), m_showNested) < m_statistics.GetRowValue(row(b), m_showNested);
    });
    addTopLevelItems(items);
}

std::vector<int> CCompStatsCtrl::GetRowOrder() const
{
    std::vector<int> rows;
    for (int i = 0; i < topLevelItemCount(); ++i)
        rows.push_back(topLevelItem(i)->data(0, Qt::UserRole).toInt());
    return rows;
}
