#pragma once
// The runs of the record as a table: one row per run, newest first as the
// store gives them, sortable on every column (by value, not by the text
// shown) and filtered by text through RunTableProxy.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <vector>

#include "record/RecordedRun.h"

class RunTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { When, Text, Result, SpeedClass, Time, Right, Wrong, Speed, Accuracy, ColumnCount };
    // The value a column sorts by.
    static constexpr int SortRole = Qt::UserRole;
    // The run's number in the record.
    static constexpr int RunIdRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    void setRuns(std::vector<RunSummary> runs);
    const std::vector<RunSummary> &runs() const { return m_runs; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<RunSummary> m_runs;
    std::vector<QString> m_labels; // each run's text as the learner reads it
};

// Shows the runs of one text (or of all) and sorts by the columns' values.
class RunTableProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit RunTableProxy(QObject *parent = nullptr);
    // 0: every text.
    void setTextId(qint64 textId);
    qint64 textId() const { return m_textId; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    qint64 m_textId = 0;
};
