#include "record/RunTableModel.h"

#include "run/Meters.h"
#include "run/RunReport.h"

namespace {

const char16_t *const kHeaders[] = {u"日期", u"文字", u"結果", u"等級", u"時間",
                                    u"正確", u"錯誤", u"速度", u"正確率"};

} // namespace

void RunTableModel::setRuns(std::vector<RunSummary> runs)
{
    beginResetModel();
    m_runs = std::move(runs);
    m_labels.clear();
    m_labels.reserve(m_runs.size());
    for (const RunSummary &r : m_runs)
        m_labels.push_back(r.text.label());
    endResetModel();
}

int RunTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_runs.size());
}

int RunTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RunTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_runs.size()))
        return {};
    const RunSummary &r = m_runs[index.row()];
    if (role == RunIdRole)
        return r.id;
    if (role == Qt::TextAlignmentRole)
        return index.column() >= Time ? int(Qt::AlignRight | Qt::AlignVCenter)
                                      : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == SortRole) {
        switch (index.column()) {
        case When: return r.startedAt;
        case Text: return m_labels[index.row()];
        case Result: return r.completed;
        case SpeedClass: return r.speedClass;
        case Time: return qint64(r.elapsedMs);
        case Right: return r.rightCount;
        case Wrong: return r.wrongCount;
        // Runs without a figure sort below every run with one.
        case Speed: return r.speed.value_or(-1.0);
        case Accuracy: return r.accuracy.value_or(-1.0);
        }
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case When: return r.startedAt.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm"));
    case Text:
        if (role == Qt::ToolTipRole && r.text.kind == TextRef::Kind::File)
            return r.text.path;
        return m_labels[index.row()];
    case Result: return r.completed ? QStringLiteral("打完") : QStringLiteral("中斷");
    case SpeedClass: return SpeedClassCaption(r.speedClass);
    case Time: return ClockText(r.elapsedSeconds);
    case Right: return r.rightCount;
    case Wrong: return r.wrongCount;
    case Speed: return r.speed ? FormatSpeed(*r.speed) : QStringLiteral("—");
    case Accuracy: return r.accuracy ? FormatPercent(*r.accuracy) : QStringLiteral("—");
    }
    return {};
}

QVariant RunTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf16(kHeaders[section]);
    if (role == Qt::ToolTipRole && section == Speed)
        return QStringLiteral("每秒打對的注音字元");
    return {};
}

RunTableProxy::RunTableProxy(QObject *parent) : QSortFilterProxyModel(parent)
{
    setSortRole(RunTableModel::SortRole);
}

void RunTableProxy::setTextId(qint64 textId)
{
    if (textId == m_textId)
        return;
    m_textId = textId;
    invalidateRowsFilter();
}

bool RunTableProxy::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (m_textId == 0)
        return true;
    const auto *model = static_cast<const RunTableModel *>(sourceModel());
    return sourceRow < int(model->runs().size()) && model->runs()[sourceRow].textId == m_textId;
}

bool RunTableProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    // Straight on the runs, without a QVariant per comparison.
    const auto *model = static_cast<const RunTableModel *>(sourceModel());
    const RunSummary &a = model->runs()[left.row()];
    const RunSummary &b = model->runs()[right.row()];
    switch (left.column()) {
    case RunTableModel::When: return a.startedAt < b.startedAt;
    case RunTableModel::Result: return a.completed < b.completed;
    case RunTableModel::SpeedClass: return a.speedClass < b.speedClass;
    case RunTableModel::Time: return a.elapsedMs < b.elapsedMs;
    case RunTableModel::Right: return a.rightCount < b.rightCount;
    case RunTableModel::Wrong: return a.wrongCount < b.wrongCount;
    case RunTableModel::Speed: return a.speed.value_or(-1.0) < b.speed.value_or(-1.0);
    case RunTableModel::Accuracy: return a.accuracy.value_or(-1.0) < b.accuracy.value_or(-1.0);
    default: return QSortFilterProxyModel::lessThan(left, right);
    }
}
