// The record window over a record on disk: filtering by text, sorting, the
// heat map's figures as assistive technology reads them, clearing only after
// the learner agrees; and the main window's part: runs recorded with their
// text and speed class, and the weak-key drill.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include "FormTestUtil.h"
#include "view/VbColor.h"
#include "record/HeatMapView.h"
#include "record/RecordStore.h"
#include "record/RecordWindow.h"
#include "record/RunChart.h"
#include "record/RunTableModel.h"

namespace {

// A run over text with `right` keystrokes on ㄅ (key 49), `wrong` of them
// wrong (ㄉ typed instead), and one right keystroke on ㄉ (key 50).
RecordedRun makeRun(const TextRef &text, int day, int right, int wrong, qint32 seconds)
{
    RecordedRun r;
    RunSummary &s = r.run;
    s.text = text;
    s.startedAt = QDateTime(QDate(2026, 3, day), QTime(9, 0), Qt::UTC);
    s.completed = seconds > 0;
    s.posCount = s.posTyped = s.rightCount = right + 1;
    s.wrongCount = wrong;
    s.elapsedSeconds = seconds;
    s.elapsedMs = seconds * 1000 + 300;
    if (seconds > 0)
        s.speed = double(s.rightCount) / seconds;
    s.accuracy = double(s.rightCount) / (s.rightCount + wrong);
    r.keys = {KeyStat{49, right, right, wrong, 400, std::vector<qint32>(std::size_t(right), 400)},
              KeyStat{50, 1, 1, 0, 300, {300}}};
    if (wrong)
        r.confusions = {Confusion{49, 50, wrong}};
    return r;
}

TextRef lesson(int index)
{
    return TextRef::builtIn(Lessons::Menu::Base, qint16(index));
}

// Six runs: three over lesson 1, two over lesson 2 (one under a second, so
// without a speed), one over poem 3. ㄅ: 60 right, 9 wrong.
void fill(RecordStore &store)
{
    store.record(makeRun(lesson(1), 1, 10, 3, 10)); // 1.10 keys/s
    store.record(makeRun(lesson(2), 2, 10, 0, 0));  // no speed
    store.record(makeRun(lesson(1), 3, 10, 2, 5));  // 2.20
    store.record(makeRun(TextRef::builtIn(Lessons::Menu::Doc, 3), 4, 10, 1, 4)); // 2.75
    store.record(makeRun(lesson(2), 5, 10, 2, 11)); // 1.00
    store.record(makeRun(lesson(1), 6, 10, 1, 2));  // 5.50
    store.waitForWrites();
}

QAccessibleInterface *keyItem(HeatMapView *view, const QString &name)
{
    QAccessibleInterface *map = QAccessible::queryAccessibleInterface(view);
    for (int i = 0; map && i < map->childCount(); ++i) {
        QAccessibleInterface *item = map->child(i);
        if (item && item->text(QAccessible::Name) == name)
            return item;
    }
    return nullptr;
}

} // namespace

class TestRecordWindow : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    int stores = 0;

    std::unique_ptr<RecordStore> filledStore()
    {
        auto store = std::make_unique<RecordStore>(dir.filePath(QStringLiteral("r%1.sqlite").arg(++stores)));
        if (store->open() != RecordStore::State::Ready)
            return nullptr;
        fill(*store);
        return store;
    }

private slots:
    void filterByText()
    {
        auto store = filledStore();
        QVERIFY(store);
        RecordWindow w(*store);
        w.reload();
        QAbstractItemModel *rows = w.grdRuns->model();
        QCOMPARE(rows->rowCount(), 6);
        QCOMPARE(w.picChart->points().size(), std::size_t(6));

        const int lesson2 = w.cboText->findText(lesson(2).label(), Qt::MatchStartsWith);
        QVERIFY(lesson2 > 0);
        w.cboText->setCurrentIndex(lesson2);
        QCOMPARE(rows->rowCount(), 2);
        for (int r = 0; r < 2; ++r)
            QCOMPARE(rows->index(r, RunTableModel::Text).data().toString(), lesson(2).label());
        // The chart shows the same runs, oldest first.
        QCOMPARE(w.picChart->points().size(), std::size_t(2));
        QVERIFY(w.picChart->points()[0].startedAt < w.picChart->points()[1].startedAt);

        w.cboText->setCurrentIndex(0);
        QCOMPARE(rows->rowCount(), 6);
    }

    void sortByValue_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QStringList>("shown"); // the column's first and last rows
        // Newest first on opening.
        QTest::newRow("date") << int(RunTableModel::When) << true
                              << QStringList{"2026/03/06", "2026/03/01"};
        // By value: 5.50 before 2.75, although "2" < "5" as text; a run
        // without a speed sorts below every speed.
        QTest::newRow("speed, fastest first") << int(RunTableModel::Speed) << true
                                              << QStringList{"5.50", "—"};
        QTest::newRow("speed, slowest first") << int(RunTableModel::Speed) << false
                                              << QStringList{"—", "5.50"};
        QTest::newRow("wrong keys") << int(RunTableModel::Wrong) << true << QStringList{"3", "0"};
    }

    void sortByValue()
    {
        QFETCH(int, column);
        QFETCH(bool, descending);
        QFETCH(QStringList, shown);
        auto store = filledStore();
        QVERIFY(store);
        RecordWindow w(*store);
        w.reload();
        // Chosen from the keyboard: the sort box and its order.
        w.cboSort->setCurrentIndex(column);
        if (w.chkDescending->isChecked() != descending)
            QTest::keyClick(w.chkDescending, Qt::Key_Space);
        QAbstractItemModel *rows = w.grdRuns->model();
        QVERIFY(rows->index(0, column).data().toString().startsWith(shown[0]));
        QVERIFY(rows->index(5, column).data().toString().startsWith(shown[1]));
    }

    void headerClickMovesTheSortBox()
    {
        auto store = filledStore();
        QVERIFY(store);
        RecordWindow w(*store);
        w.reload();
        w.grdRuns->sortByColumn(RunTableModel::Accuracy, Qt::AscendingOrder);
        QCOMPARE(w.cboSort->currentIndex(), int(RunTableModel::Accuracy));
        QVERIFY(!w.chkDescending->isChecked());
    }

    void heatMapFigures()
    {
        auto store = filledStore();
        QVERIFY(store);
        RecordWindow w(*store);
        w.reload();
        HeatMapView *map = w.picHeatMap;

        // ㄅ: 60 right and 9 wrong keystrokes, as the bus reads them.
        QAccessibleInterface *b = keyItem(map, QStringLiteral("ㄅ"));
        QVERIFY(b);
        QVERIFY2(b->text(QAccessible::Description).startsWith(QStringLiteral("錯誤率 13.0%（需要 60 次，按錯 9 次")),
                 qPrintable(b->text(QAccessible::Description)));
        QAccessibleInterface *d = keyItem(map, QStringLiteral("ㄉ"));
        QVERIFY(d);
        QVERIFY(d->text(QAccessible::Description).startsWith(QStringLiteral("錯誤率 0.0%（需要 6 次，按錯 0 次")));
        QAccessibleInterface *q = keyItem(map, QStringLiteral("ㄆ"));
        QVERIFY(q);
        QCOMPARE(q->text(QAccessible::Description), QStringLiteral("沒有紀錄"));
        // Each item lies on its key top.
        const KeyRect r = map->keyTopRect(49);
        QCOMPARE(b->rect().topLeft(), map->mapToGlobal(QPoint(r.left, r.top)));

        // The tints as painted: ㄅ darker and redder than ㄉ, a key without
        // figures apart from both.
        const QImage shot = map->grab().toImage();
        auto pixel = [&](KeyNumber k) {
            const KeyRect kr = map->keyTopRect(k);
            return shot.pixelColor(QPoint(kr.left + 3, kr.top + kr.height - 4) * shot.devicePixelRatio());
        };
        QCOMPARE(pixel(49), toQColor(HeatMapView::heatColor(9.0 / 69)));
        QCOMPARE(pixel(50), toQColor(HeatMapView::heatColor(0)));
        QCOMPARE(pixel(81), toQColor(HeatMapView::kNoFigures));
        QVERIFY(pixel(49).green() < pixel(50).green());

        // From the keyboard: the heat map starts at the weakest key, the
        // arrow keys move along the row, the figures follow.
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.tabRecord->setCurrentIndex(1);
        map->setFocus();
        QCOMPARE(map->currentKey(), KeyNumber(49));
        QTest::keyClick(map, Qt::Key_Right);
        QCOMPARE(map->currentKey(), KeyNumber(50));
        QVERIFY(w.lblKey->text().startsWith(QStringLiteral("ㄉ：錯誤率 0.0%")));
        QTest::keyClick(map, Qt::Key_Down); // from "2" to the key below it
        QCOMPARE(map->currentKey(), KeyNumber('Q'));
    }

    void clearOnlyWhenConfirmed()
    {
        auto store = filledStore();
        QVERIFY(store);
        RecordWindow w(*store);
        w.reload();
        QStringList asked;
        bool answer = false;
        w.confirm = [&](const QString &question) {
            asked << question;
            return answer;
        };
        w.cmdClear->click();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].contains(QStringLiteral("6 次練習")));
        QCOMPARE(store->runs().size(), std::size_t(6));
        QCOMPARE(w.grdRuns->model()->rowCount(), 6);

        answer = true;
        w.cmdClear->click();
        QVERIFY(store->runs().empty());
        QCOMPARE(w.grdRuns->model()->rowCount(), 0);
        QVERIFY(w.picChart->points().empty());
        QCOMPARE(w.picHeatMap->fillColor(49), HeatMapView::kNoFigures);
        QVERIFY(!w.cmdClear->isEnabled());
    }

    // --- The main window's part ---------------------------------------------

    void runsAreRecordedWithTheirText()
    {
        FormHarness h;
        Form1 &f = h.form;
        f.recordPath = dir.filePath(QStringLiteral("form.sqlite"));
        QVERIFY(h.show());
        QVERIFY(!f.store); // nothing opened at start-up

        f.mnuBase_Click(2);
        f.optClass_Click(0);
        f.cmdStart_Click();
        f.optClass_Click(3); // the class chosen last counts
        const QString keys = keysForText(f);
        h.key(keys[0] == QLatin1Char('q') ? 'w' : 'q'); // one wrong key
        h.now = 30'000;
        h.tickAt(30'000);
        h.type(keys);
        QVERIFY(h.waitForMessage());

        // An interrupted run counts too.
        f.cmdStart_Click();
        h.type(keys.left(3));
        h.key(Qt::Key_Escape);
        QVERIFY(h.waitForMessage(2));

        QVERIFY(f.store);
        QVERIFY(f.store->waitForWrites(5000));
        const std::vector<RunSummary> runs = f.store->runs();
        QCOMPARE(runs.size(), std::size_t(2));
        const RunSummary &done = runs[1], &stopped = runs[0];
        QCOMPARE(done.text.label(), lesson(2).label());
        QVERIFY(done.completed);
        QCOMPARE(done.speedClass, qint16(4));
        QCOMPARE(done.wrongCount, 1);
        QCOMPARE(done.rightCount, int(keys.size()));
        QVERIFY(!stopped.completed);
        QCOMPARE(stopped.rightCount, 3);
        QCOMPARE(stopped.textId, done.textId);
    }

    void weakDrillNeedsKeystrokes()
    {
        FormHarness h;
        Form1 &f = h.form;
        f.recordPath = dir.filePath(QStringLiteral("empty.sqlite"));
        QStringList asked;
        f.askYesNo = [&](const QString &q) {
            asked << q;
            return true;
        };
        f.mnuWeakDrill_Click();
        QCOMPARE(asked.size(), 1);
        QVERIFY(asked[0].contains(QStringLiteral("只有 0 次按鍵")));
        // Yes: basic lesson 1 is loaded.
        QCOMPARE(f.windowTitle(), QStringLiteral("Quillory注音打字練習_") + lesson(1).label());
    }

    void weakDrillLoadsLikeALesson()
    {
        FormHarness h;
        Form1 &f = h.form;
        f.recordPath = dir.filePath(QStringLiteral("drill.sqlite"));
        RecordStore *store = f.OpenRecord();
        for (int day = 1; day <= 5; ++day)
            store->record(makeRun(lesson(1), day, 50, 5, 30));
        QVERIFY(store->waitForWrites(5000));
        f.askYesNo = [](const QString &) { return false; };

        f.mnuWeakDrill_Click();
        QVERIFY2(f.windowTitle().startsWith(QStringLiteral("Quillory注音打字練習_弱鍵練習ㄅ")),
                 qPrintable(f.windowTitle()));
        QVERIFY(f.positionCount() > 0);
        QCOMPARE(f.currentText.kind, TextRef::Kind::Drill);
        QVERIFY(f.cmdStart->hasFocus() || !f.isVisible());
    }
};

QTEST_MAIN(TestRecordWindow)
#include "tst_recordwindow.moc"
