// The recorder over a real run, fed keystrokes with a fake clock.
#include <QtTest>

#include "record/RunRecorder.h"
#include "run/PracticeRun.h"

namespace {

struct Key {
    char16_t ch;
    qint64 at; // monotonic ms
};

struct Harness {
    PracticeRun run;
    RunRecorder recorder;
    std::vector<RecordedRun> recorded;

    Harness()
    {
        run.setListener(&recorder);
        recorder.sink = [this](RecordedRun r) { recorded.push_back(std::move(r)); };
        recorder.wallClock = [] { return QDateTime(QDate(2026, 3, 1), QTime(9, 30), Qt::UTC); };
    }
    void type(std::initializer_list<Key> keys)
    {
        for (const Key &k : keys) {
            run.keyTyped(qint16(k.ch), k.at);
            if (run.inProgress())
                run.advance();
        }
    }
    const KeyStat *key(KeyNumber k) const
    {
        for (const KeyStat &s : recorded.at(0).keys)
            if (s.key == k)
                return &s;
        return nullptr;
    }
};

std::vector<QString> symbols(std::initializer_list<const char16_t *> list)
{
    std::vector<QString> v;
    for (auto s : list)
        v.push_back(QString::fromUtf16(s));
    return v;
}

} // namespace

class TestRecordRun : public QObject {
    Q_OBJECT
private slots:
    void keysConfusionsAndTimes()
    {
        Harness h;
        RunContext context{TextRef::builtIn(Lessons::Menu::Base, 13), 2, 1};
        h.recorder.setContext(context);
        // ㄅ ㄉ ˋ ㄅ ㄅ and a first tone (the space bar, judged as a character).
        h.run.start(symbols({u"ㄅ", u"ㄉ", u"ˋ", u"ㄅ", u"ㄅ", u" "}), 1000);
        h.type({{'2', 1100}, {'1', 1300}});             // ㄉ for ㄅ, then ㄅ: 300 ms from the start
        h.type({{'2', 1500}});                          // ㄉ: 200 ms
        h.type({{'3', 1600}, {'5', 1700}, {'4', 2000}}); // ˇ and ㄓ for ˋ: 500 ms
        h.type({{'1', 2100}});                          // ㄅ: 100 ms
        h.type({{'1', 2900}});                          // ㄅ: 800 ms
        h.type({{'a', 3000}, {' ', 3200}});             // A for the space: 300 ms
        QCOMPARE(h.recorded.size(), std::size_t(1));

        const RunSummary &s = h.recorded[0].run;
        QCOMPARE(s.text.caption, Lessons::caption(Lessons::Menu::Base, 13));
        QCOMPARE(s.speedClass, qint16(2));
        QCOMPARE(s.layout, qint16(1));
        QCOMPARE(s.startedAt, QDateTime(QDate(2026, 3, 1), QTime(9, 30), Qt::UTC));
        QVERIFY(s.completed);
        QCOMPARE(s.posCount, 6);
        QCOMPARE(s.posTyped, 6);
        QCOMPARE(s.rightCount, 6);
        QCOMPARE(s.wrongCount, 4);
        QCOMPARE(s.elapsedMs, qint64(2200));
        QCOMPARE(s.speed, std::optional<double>(3.0)); // 6 right in 2 whole seconds
        QCOMPARE(s.accuracy, std::optional<double>(0.6));
        QVERIFY(s.figuresReported);

        const KeyStat *b = h.key(49);
        QVERIFY(b);
        QCOMPARE(b->expected, 3);
        QCOMPARE(b->right, 3);
        QCOMPARE(b->wrong, 1);
        QCOMPARE(b->medianMs, 300); // of 300, 100 and 800
        QCOMPARE(h.key(50)->medianMs, 200);
        QCOMPARE(h.key(50)->wrong, 0);
        QCOMPARE(h.key(52)->wrong, 2);
        QCOMPARE(h.key(52)->medianMs, 500);
        QCOMPARE(h.key(32)->medianMs, 300);
        QVERIFY(!h.key(51)); // pressed, never needed

        const std::vector<Confusion> &c = h.recorded[0].confusions;
        QCOMPARE(c.size(), std::size_t(4));
        QCOMPARE(std::tuple(c[0].expected, c[0].typed, c[0].count), std::tuple(KeyNumber(32), KeyNumber(65), qint64(1)));
        QCOMPARE(std::tuple(c[1].expected, c[1].typed, c[1].count), std::tuple(KeyNumber(49), KeyNumber(50), qint64(1)));
        QCOMPARE(std::tuple(c[2].expected, c[2].typed, c[2].count), std::tuple(KeyNumber(52), KeyNumber(51), qint64(1)));
        QCOMPARE(std::tuple(c[3].expected, c[3].typed, c[3].count), std::tuple(KeyNumber(52), KeyNumber(53), qint64(1)));
        // An even count of times: halfway between the middle two.
        QCOMPARE(MedianMs({100, 800, 300, 200}), 250);
    }

    void interruptedAndShortRuns_data()
    {
        QTest::addColumn<bool>("byMenu");
        QTest::newRow("Esc") << false;
        QTest::newRow("the interrupt command") << true;
    }
    void interruptedAndShortRuns()
    {
        QFETCH(bool, byMenu);
        Harness h;
        h.run.start(symbols({u"ㄅ", u"ㄉ", u"ㄆ"}), 0);
        h.type({{'1', 250}, {'3', 400}});
        if (byMenu) {
            h.run.requestInterrupt(700);
            h.run.advance();
        } else {
            h.type({{27, 700}});
        }
        QCOMPARE(h.recorded.size(), std::size_t(1));
        const RunSummary &s = h.recorded[0].run;
        QVERIFY(!s.completed);
        QCOMPARE(s.posTyped, 2);
        QCOMPARE(s.rightCount, 1);
        QCOMPARE(s.wrongCount, 1);
        QCOMPARE(s.elapsedMs, qint64(700));
        QCOMPARE(s.speed, std::nullopt); // under a second
        QCOMPARE(s.accuracy, std::optional<double>(0.5));
        QVERIFY(!s.figuresReported);
        QCOMPARE(h.key(50)->expected, 1);
        QCOMPARE(h.key(50)->right, 0);
        QCOMPARE(h.key(50)->medianMs, -1);
        QVERIFY(!h.key(81)); // ㄆ: the third position was never reached

        // The next run starts from nothing.
        h.run.start(symbols({u"ㄅ"}), 5000);
        h.type({{'1', 5040}});
        QCOMPARE(h.recorded.size(), std::size_t(2));
        QCOMPARE(h.recorded[1].keys.size(), std::size_t(1));
        QCOMPARE(h.recorded[1].keys[0].medianMs, 40);
        QVERIFY(h.recorded[1].run.completed);
        QVERIFY(h.recorded[1].confusions.empty());
    }
};

QTEST_GUILESS_MAIN(TestRecordRun)
#include "tst_recordrun.moc"
