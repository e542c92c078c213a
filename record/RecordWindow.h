#pragma once
// The record window: the recorded runs as a sortable table filtered by text,
// a chart of speed and accuracy, the keyboard heat map with the weakest keys
// and the most frequent confusions, and the commands to export the record as
// CSV, to clear it and to start a weak-key drill. Everything is reached from
// the keyboard: the tabs with Ctrl+Tab or their access keys, the table with
// the arrow keys, its order with the sort box, the heat map's keys with the
// arrow keys.

#include <QDialog>
#include <QMessageBox>
#include <functional>

#include "record/RecordedRun.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTableView;
class QTreeWidget;
class HeatMapView;
class RecordStore;
class RunChart;
class RunTableModel;
class RunTableProxy;

class RecordWindow : public QDialog {
    Q_OBJECT
public:
    explicit RecordWindow(RecordStore &store, QWidget *parent = nullptr);

    // Reads the record again and shows it.
    void reload();

    // Questions and messages; tests replace them.
    std::function<bool(const QString &question)> confirm;
    std::function<QString()> chooseCsvPath;
    std::function<void(QMessageBox::Icon, const QString &)> showMessage;

    // Controls, named as their objectName.
    QTabWidget *tabRecord = nullptr;
    QComboBox *cboText = nullptr;
    QComboBox *cboSort = nullptr;
    QCheckBox *chkDescending = nullptr;
    QTableView *grdRuns = nullptr;
    RunChart *picChart = nullptr;
    HeatMapView *picHeatMap = nullptr;
    QLabel *lblKey = nullptr;
    QTreeWidget *lstWeakKeys = nullptr;
    QTreeWidget *lstConfusions = nullptr;
    QLabel *lblSummary = nullptr;
    QPushButton *cmdDrill = nullptr;
    QPushButton *cmdExport = nullptr;
    QPushButton *cmdClear = nullptr;
    QPushButton *cmdClose = nullptr;

    RunTableModel *runModel() const { return m_model; }
    RunTableProxy *runProxy() const { return m_proxy; }

    void cmdExport_Click();
    void cmdClear_Click();

signals:
    // The learner asked for a drill of the weak keys (the window has closed).
    void weakKeyDrillRequested();

private:
    QWidget *createProgressPage();
    QWidget *createKeysPage();
    void fillTexts();
    void textChosen();
    void sortChosen();
    void showCurrentKey();
    void currentRunChanged();

    RecordStore &m_store;
    RunTableModel *m_model = nullptr;
    RunTableProxy *m_proxy = nullptr;
};
