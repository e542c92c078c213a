// The main window's part of the learner's record: each finished run goes to
// the store, which is opened at its first use (never at start-up); the
// record window and the weak-key drill.

#include "app/Form1.h"

#include <QRadioButton>
#include <QTimer>

#include "view/AppInfo.h"
#include "record/RecordStore.h"
#include "record/RecordWindow.h"
#include "record/WeakKeyDrill.h"

void Form1::wireRecord()
{
    run.setListener(&recorder);
    // The run's last keystroke only queues its figures; the store takes them
    // once that keystroke has been handled, before the report shows.
    recorder.sink = [this](RecordedRun finished) {
        finishedRuns.push_back(std::move(finished));
        QMetaObject::invokeMethod(this, &Form1::storeFinishedRuns, Qt::QueuedConnection);
    };
    askYesNo = [this](const QString &question) {
        QMessageBox box(QMessageBox::Question, AppInfo::title(), question,
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    };
    connect(mnuRecord, &QAction::triggered, this, &Form1::mnuRecord_Click);
    connect(mnuWeakDrill, &QAction::triggered, this, &Form1::mnuWeakDrill_Click);
}

qint16 Form1::checkedLayout() const
{
    for (std::size_t i = 0; i < optKey.size(); ++i)
        if (optKey[i]->isChecked())
            return qint16(i);
    return 0;
}

RecordStore *Form1::OpenRecord()
{
    if (store)
        return store.get();
    store = std::make_unique<RecordStore>(recordPath.isEmpty() ? RecordStore::defaultPath() : recordPath);
    // A write that fails later (a full disk) is told once, when no run is on.
    connect(store.get(), &RecordStore::problem, this, [this](const QString &message) {
        if (recordProblem.isEmpty())
            recordProblem = message;
        if (!runInProgress())
            ShowRecordProblem();
    });
    if (store->open() != RecordStore::State::Ready)
        recordProblem = store->message();
    return store.get();
}

void Form1::ShowRecordProblem()
{
    if (recordProblem.isEmpty() || recordProblemShown)
        return;
    recordProblemShown = true;
    showMessage(QMessageBox::Warning, recordProblem);
}

void Form1::storeFinishedRuns()
{
    std::vector<RecordedRun> runs = std::exchange(finishedRuns, {});
    if (runs.empty())
        return;
    RecordStore *record = OpenRecord();
    for (RecordedRun &r : runs)
        record->record(std::move(r));
}

void Form1::mnuRecord_Click()
{
    RecordStore *record = OpenRecord();
    ShowRecordProblem();
    RecordWindow window(*record, this);
    // The drill loads once the window has closed.
    connect(&window, &RecordWindow::weakKeyDrillRequested, this, &Form1::mnuWeakDrill_Click,
            Qt::QueuedConnection);
    window.reload();
    window.exec();
}

void Form1::mnuWeakDrill_Click()
{
    RecordStore *record = OpenRecord();
    ShowRecordProblem();
    const WeakKeyDrill drill = MakeWeakKeyDrill(record->keyTotals());
    if (drill.status == WeakKeyDrill::Status::TooFewKeystrokes) {
        const QString question = QStringLiteral("學習紀錄裡只有 %1 次按鍵，要有 %2 次才看得出哪些鍵比較弱。\n"
                                                "先練習基本課程的第一課嗎？")
                                     .arg(drill.keystrokes)
                                     .arg(kDrillMinKeystrokes);
        if (askYesNo(question))
            mnuBase_Click(1);
        return;
    }
    // Loaded like a lesson: the clock stops, the title names the drill and its keys.
    Timer1->stop();
    TokenTable table = drill.table;
    const TextRef text = TextRef::drill(drill.keysCaption, drill.table);
    if (LoadPracticeText(table, QStringLiteral("弱鍵練習"), AppInfo::title() + QStringLiteral("_弱鍵練習") + drill.keysCaption))
        currentText = text;
}
