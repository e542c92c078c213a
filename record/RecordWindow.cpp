#include "record/RecordWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <unordered_map>

#include "view/AppInfo.h"
#include "view/Fonts.h"
#include "record/HeatMapView.h"
#include "record/RecordStore.h"
#include "record/RunChart.h"
#include "record/RunTableModel.h"

namespace {

QTreeWidget *makeList(QWidget *parent, const QString &name, const QStringList &headers)
{
    auto *list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels(headers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->header()->setStretchLastSection(true);
    list->header()->setDefaultAlignment(Qt::AlignCenter);
    list->setFont(Fonts::ming(10.5));
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (int c = 0; c + 1 < headers.size(); ++c)
        list->setColumnWidth(c, c == 0 ? 44 : 60);
    return list;
}

QString percent(double share)
{
    return QString::number(share * 100, 'f', 1) + QLatin1Char('%');
}

} // namespace

RecordWindow::RecordWindow(RecordStore &store, QWidget *parent) : QDialog(parent), m_store(store)
{
    setObjectName(QStringLiteral("frmRecord"));
    setWindowTitle(AppInfo::title() + QStringLiteral("_學習紀錄"));
    setFont(Fonts::ming(9.75));
    setSizeGripEnabled(true);

    confirm = [this](const QString &question) {
        return QMessageBox::question(this, AppInfo::title(), question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No)
               == QMessageBox::Yes;
    };
    chooseCsvPath = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("匯出學習紀錄"),
                                            QDir::home().filePath(QStringLiteral("quillory-紀錄.csv")),
                                            QStringLiteral("CSV 檔案 (*.csv)"));
    };
    showMessage = [this](QMessageBox::Icon icon, const QString &text) {
        QMessageBox box(icon, AppInfo::title(), text, QMessageBox::Ok, this);
        box.exec();
    };

    m_model = new RunTableModel(this);
    m_proxy = new RunTableProxy(this);
    m_proxy->setSourceModel(m_model);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));

    tabRecord = new QTabWidget(this);
    tabRecord->setObjectName(QStringLiteral("tabRecord"));
    tabRecord->addTab(createProgressPage(), QStringLiteral("練習與進度(&P)"));
    tabRecord->addTab(createKeysPage(), QStringLiteral("弱鍵與混淆(&K)"));

    cmdDrill = new QPushButton(QStringLiteral("弱鍵練習(&W)"), this);
    cmdDrill->setObjectName(QStringLiteral("cmdDrill"));
    cmdDrill->setToolTip(QStringLiteral("用最弱的鍵出一段練習"));
    cmdExport = new QPushButton(QStringLiteral("匯出 CSV(&E)…"), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdClear = new QPushButton(QStringLiteral("清除紀錄(&L)…"), this);
    cmdClear->setObjectName(QStringLiteral("cmdClear"));
    cmdClose = new QPushButton(QStringLiteral("關閉"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton *b : {cmdDrill, cmdExport, cmdClear})
        b->setAutoDefault(false);
    connect(cmdDrill, &QPushButton::clicked, this, [this] {
        accept();
        emit weakKeyDrillRequested();
    });
    connect(cmdExport, &QPushButton::clicked, this, &RecordWindow::cmdExport_Click);
    connect(cmdClear, &QPushButton::clicked, this, &RecordWindow::cmdClear_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdDrill);
    buttons->addWidget(cmdExport);
    buttons->addWidget(cmdClear);
    buttons->addStretch();
    buttons->addWidget(cmdClose);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(tabRecord, 1);
    layout->addLayout(buttons);

    // Controls carry their names as accessible descriptions, as in the main window.
    for (QWidget *w : findChildren<QWidget *>())
        if (!w->objectName().isEmpty() && w->accessibleDescription().isEmpty())
            w->setAccessibleDescription(w->objectName());
    setAccessibleDescription(objectName());

    resize(820, 700);
}

QWidget *RecordWindow::createProgressPage()
{
    auto *page = new QWidget;

    cboText = new QComboBox(page);
    cboText->setObjectName(QStringLiteral("cboText"));
    cboText->setAccessibleName(QStringLiteral("文字"));
    cboText->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cboText->setMinimumContentsLength(24);
    auto *textLabel = new QLabel(QStringLiteral("文字(&T)："), page);
    textLabel->setBuddy(cboText);
    connect(cboText, &QComboBox::currentIndexChanged, this, &RecordWindow::textChosen);

    cboSort = new QComboBox(page);
    cboSort->setObjectName(QStringLiteral("cboSort"));
    cboSort->setAccessibleName(QStringLiteral("排序"));
    for (int c = 0; c < RunTableModel::ColumnCount; ++c)
        cboSort->addItem(m_model->headerData(c, Qt::Horizontal).toString());
    auto *sortLabel = new QLabel(QStringLiteral("排序(&S)："), page);
    sortLabel->setBuddy(cboSort);
    chkDescending = new QCheckBox(QStringLiteral("由大到小(&D)"), page);
    chkDescending->setObjectName(QStringLiteral("chkDescending"));
    chkDescending->setChecked(true);
    connect(cboSort, &QComboBox::currentIndexChanged, this, &RecordWindow::sortChosen);
    connect(chkDescending, &QCheckBox::toggled, this, &RecordWindow::sortChosen);

    grdRuns = new QTableView(page);
    grdRuns->setObjectName(QStringLiteral("grdRuns"));
    grdRuns->setAccessibleName(QStringLiteral("練習紀錄"));
    grdRuns->setModel(m_proxy);
    grdRuns->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdRuns->setSelectionMode(QAbstractItemView::SingleSelection);
    grdRuns->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdRuns->setTabKeyNavigation(false);
    grdRuns->setAlternatingRowColors(true);
    grdRuns->setWordWrap(false);
    grdRuns->verticalHeader()->hide();
    grdRuns->verticalHeader()->setDefaultSectionSize(grdRuns->fontMetrics().height() + 6);
    QHeaderView *header = grdRuns->horizontalHeader();
    header->setHighlightSections(false);
    header->setSortIndicator(RunTableModel::When, Qt::DescendingOrder);
    grdRuns->setSortingEnabled(true);
    const int widths[] = {118, 190, 40, 40, 56, 44, 44, 48, 64};
    for (int c = 0; c < RunTableModel::ColumnCount; ++c)
        grdRuns->setColumnWidth(c, widths[c]);
    header->setSectionResizeMode(RunTableModel::Text, QHeaderView::Stretch);
    // A click on a column's header changes the sort box too.
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
        const QSignalBlocker a(cboSort), b(chkDescending);
        cboSort->setCurrentIndex(column);
        chkDescending->setChecked(order == Qt::DescendingOrder);
    });
    connect(grdRuns->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &RecordWindow::currentRunChanged);

    picChart = new RunChart(page);
    picChart->setObjectName(QStringLiteral("picChart"));

    auto *filters = new QHBoxLayout;
    filters->addWidget(textLabel);
    filters->addWidget(cboText, 1);
    filters->addSpacing(12);
    filters->addWidget(sortLabel);
    filters->addWidget(cboSort);
    filters->addWidget(chkDescending);

    auto *layout = new QVBoxLayout(page);
    layout->addLayout(filters);
    layout->addWidget(grdRuns, 3);
    layout->addWidget(picChart, 2);
    return page;
}

QWidget *RecordWindow::createKeysPage()
{
    auto *page = new QWidget;

    picHeatMap = new HeatMapView(page);
    picHeatMap->setObjectName(QStringLiteral("picHeatMap"));
    lblKey = new QLabel(page);
    lblKey->setObjectName(QStringLiteral("lblKey"));
    lblKey->setTextFormat(Qt::PlainText);
    lblKey->setMinimumHeight(lblKey->fontMetrics().height() + 4);
    connect(picHeatMap, &HeatMapView::currentKeyChanged, this, &RecordWindow::showCurrentKey);

    lstWeakKeys = makeList(page, QStringLiteral("lstWeakKeys"),
                           {QStringLiteral("鍵"), QStringLiteral("錯誤率"), QStringLiteral("需要"),
                            QStringLiteral("按錯"), QStringLiteral("按對約需")});
    lstWeakKeys->setAccessibleName(QStringLiteral("最弱的鍵"));
    lstConfusions = makeList(page, QStringLiteral("lstConfusions"),
                             {QStringLiteral("該按"), QStringLiteral("按成"), QStringLiteral("次數")});
    lstConfusions->setAccessibleName(QStringLiteral("最常按錯成"));
    // Choosing a weak key or a confusion shows that key on the heat map.
    connect(lstWeakKeys, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            picHeatMap->setCurrentKey(KeyNumber(item->data(0, Qt::UserRole).toInt()));
    });
    connect(lstConfusions, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            picHeatMap->setCurrentKey(KeyNumber(item->data(0, Qt::UserRole).toInt()));
    });

    auto *weak = new QGroupBox(QStringLiteral("最弱的十個鍵"), page);
    (new QVBoxLayout(weak))->addWidget(lstWeakKeys);
    auto *confusions = new QGroupBox(QStringLiteral("最常見的十種混淆"), page);
    (new QVBoxLayout(confusions))->addWidget(lstConfusions);

    auto *lists = new QHBoxLayout;
    lists->addWidget(weak);
    lists->addWidget(confusions);

    auto *layout = new QVBoxLayout(page);
    layout->addWidget(picHeatMap, 0, Qt::AlignHCenter);
    layout->addWidget(lblKey);
    layout->addLayout(lists, 1);
    return page;
}

void RecordWindow::reload()
{
    const qint64 shownText = cboText->currentData().toLongLong();

    std::vector<RunSummary> runs = m_store.runs();
    qint64 keystrokes = 0;
    for (const RunSummary &r : runs)
        keystrokes += r.rightCount + r.wrongCount;
    if (m_store.state() == RecordStore::State::Disabled)
        lblSummary->setText(m_store.message());
    else if (runs.empty())
        lblSummary->setText(QStringLiteral("還沒有練習紀錄。每打完或中斷一段練習，這裡就會記下來。"));
    else
        lblSummary->setText(QStringLiteral("共 %1 次練習，%2 次按鍵。").arg(runs.size()).arg(keystrokes));
    m_model->setRuns(std::move(runs));

    fillTexts();
    const int at = cboText->findData(shownText);
    cboText->setCurrentIndex(at >= 0 ? at : 0);
    textChosen();

    std::vector<KeyTotal> totals = m_store.keyTotals();
    picHeatMap->setTotals(totals);
    lstWeakKeys->clear();
    for (const KeyTotal &t : WeakestKeys(std::move(totals), 10, 5)) {
        // A key without a wrong keystroke is not weak.
        if (t.wrong == 0)
            continue;
        auto *item = new QTreeWidgetItem(
            lstWeakKeys, {KeyLabel(t.key), percent(t.errorRate), QString::number(t.expected),
                          QString::number(t.wrong),
                          t.medianMs >= 0 ? QStringLiteral("%1 秒").arg(t.medianMs / 1000.0, 0, 'f', 2) : QString()});
        item->setData(0, Qt::UserRole, int(t.key));
        for (int c = 1; c < 5; ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    lstConfusions->clear();
    for (const Confusion &c : m_store.topConfusions(10)) {
        auto *item = new QTreeWidgetItem(lstConfusions, {KeyLabel(c.expected), KeyLabel(c.typed),
                                                         QString::number(c.count)});
        item->setData(0, Qt::UserRole, int(c.expected));
    }
    showCurrentKey();
    cmdClear->setEnabled(!m_model->runs().empty());
    cmdExport->setEnabled(!m_model->runs().empty());
}

// The texts with runs, most recently practised first, from the runs read.
void RecordWindow::fillTexts()
{
    const std::vector<RunSummary> &runs = m_model->runs();
    std::vector<std::pair<const RunSummary *, int>> texts; // newest run, count
    std::unordered_map<qint64, std::size_t> at;
    for (const RunSummary &r : runs) { // newest first
        const auto [it, added] = at.try_emplace(r.textId, texts.size());
        if (added)
            texts.emplace_back(&r, 0);
        ++texts[it->second].second;
    }
    const QSignalBlocker block(cboText);
    cboText->clear();
    cboText->addItem(QStringLiteral("全部文字（%1 次）").arg(runs.size()), qint64(0));
    for (const auto &[newest, count] : texts)
        cboText->addItem(QStringLiteral("%1（%2 次）").arg(newest->text.label()).arg(count), newest->textId);
}

void RecordWindow::textChosen()
{
    const qint64 textId = cboText->currentData().toLongLong();
    m_proxy->setTextId(textId);
    // The chart: the same runs, oldest first.
    std::vector<RunPoint> points;
    const std::vector<RunSummary> &runs = m_model->runs();
    points.reserve(runs.size());
    for (auto r = runs.rbegin(); r != runs.rend(); ++r) {
        if (textId && r->textId != textId)
            continue;
        points.push_back({r->id, r->textId, r->startedAt, r->speed, r->accuracy, r->completed});
    }
    std::stable_sort(points.begin(), points.end(),
                     [](const RunPoint &a, const RunPoint &b) { return a.startedAt < b.startedAt; });
    picChart->setPoints(std::move(points));
    currentRunChanged();
}

void RecordWindow::sortChosen()
{
    grdRuns->sortByColumn(cboSort->currentIndex(),
                          chkDescending->isChecked() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void RecordWindow::currentRunChanged()
{
    const QModelIndex current = grdRuns->currentIndex();
    picChart->setMarkedRun(current.isValid() ? current.data(RunTableModel::RunIdRole).toLongLong() : 0);
}

void RecordWindow::showCurrentKey()
{
    const KeyNumber k = picHeatMap->currentKey();
    lblKey->setText(k ? QStringLiteral("%1：%2").arg(KeyLabel(k), picHeatMap->figuresText(k))
                      : QStringLiteral("把滑鼠移到鍵上，或用方向鍵選鍵，就會顯示這個鍵的錯誤率。"));
}

void RecordWindow::cmdExport_Click()
{
    const QString path = chooseCsvPath();
    if (path.isEmpty())
        return;
    QString error;
    if (!m_store.exportCsv(path, &error)) {
        showMessage(QMessageBox::Warning, QStringLiteral("無法匯出到 %1：%2").arg(QDir::toNativeSeparators(path), error));
        return;
    }
    showMessage(QMessageBox::Information, QStringLiteral("已把 %1 次練習匯出到 %2。")
                                              .arg(m_model->runs().size())
                                              .arg(QDir::toNativeSeparators(path)));
}

void RecordWindow::cmdClear_Click()
{
    const QString question = QStringLiteral("要清除全部 %1 次練習的紀錄嗎？清除之後無法復原。").arg(m_model->runs().size());
    if (!confirm(question))
        return;
    if (!m_store.clear())
        showMessage(QMessageBox::Warning, QStringLiteral("無法清除紀錄：%1").arg(m_store.message()));
    reload();
}
