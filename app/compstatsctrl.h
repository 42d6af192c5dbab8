#pragma once
// CCompStatsCtrl: the statistics list of the model info window: one row per kind of
// entity with its count ("Name", "Count"); a click on a column's header sorts the rows
// by that column, ascending.
#include <QTreeWidget>

#include "document/componentstatistics.h"

class CComponent;

class CCompStatsCtrl : public QTreeWidget
{
public:
    explicit CCompStatsCtrl(QWidget* parent = nullptr);

    // The two columns; the page makes them when it opens.
    void InsertColumns();
    // Counts the component and the definitions it places.
    void SetComponent(const CComponent* component);
    // One row per statistics row; with showNested the counts inside components are added.
    void Fill(bool showNested);
    // By the row labels (code unit by code unit) or by the counts.
    void SortByColumn(int column);

    [[nodiscard]] const CComponentStatistics& GetStatistics() const { return m_statistics; }
    // The statistics row each item shows, top item first.
    [[nodiscard]] std::vector<int> GetRowOrder() const;

private:
    CComponentStatistics m_statistics;
    bool m_showNested = false;
};
