#include <QtTest>

#include "run/PracticeRun.h"

namespace {

// Records what the run asks the window to show.
class Recorder : public RunDisplay {
public:
    QStringList log;
    RunOutcome outcome;
    void beginPosition(qint16 pos, KeyNumber key) override { log << QStringLiteral("begin %1 key %2").arg(pos).arg(key); }
    void showEcho(qint16 pos, const QString &text) override { log << QStringLiteral("echo %1 [%2]").arg(pos).arg(text); }
    void endPosition(qint16 pos, KeyNumber key, bool accepted) override
    {
        log << QStringLiteral("%1 %2 key %3").arg(accepted ? "accept" : "interrupt").arg(pos).arg(key);
    }
    void wrongCounted() override { log << QStringLiteral("wrong"); }
    void runEnded(const RunOutcome &o) override
    {
        log << QStringLiteral("end");
        outcome = o;
    }
};

std::vector<QString> positions(std::initializer_list<const char16_t *> list)
{
    std::vector<QString> v;
    for (auto s : list)
        v.push_back(QString::fromUtf16(s));
    return v;
}

void type(PracticeRun &run, const QString &keys, qint64 now = 0)
{
    for (QChar c : keys) {
        run.keyTyped(qint16(c.unicode()), now);
        run.advance();
    }
}

} // namespace

class TestPracticeRun : public QObject {
    Q_OBJECT
private slots:
    void zhuyinRightAndWrong()
    {
        Recorder rec;
        PracticeRun run;
        run.setDisplay(&rec);
        run.start(positions({u"ㄅ", u"ˋ"}), 1000);
        QVERIFY(run.inProgress());
        QCOMPARE(run.curPos, qint16(1));
        QCOMPARE(run.expectedKey, qint16(49));
        QVERIFY(!run.charMode);
        type(run, QStringLiteral("2"));
        QCOMPARE(run.wrongCount, 1);
        QCOMPARE(rec.log.last(), QStringLiteral("echo 1 [ㄉ]"));
        type(run, QStringLiteral("1"));
        QCOMPARE(run.rightCount, 1);
        QCOMPARE(run.curPos, qint16(2));
        // Shift and case do not matter in Zhuyin mode: "$" is the ˋ key.
        type(run, QStringLiteral("$"));
        QVERIFY(!run.inProgress());
        QCOMPARE(run.rightCount, 2);
        QCOMPARE(run.wrongCount, 1);
        QCOMPARE(rec.log, (QStringList{"begin 1 key 49", "echo 1 []", "wrong", "echo 1 [ㄉ]", "echo 1 [ㄅ]",
                                       "accept 1 key 49", "begin 2 key 52", "echo 2 []", "echo 2 [ˋ]",
                                       "accept 2 key 52", "end"}));
    }

    void backspaceIsNeutral()
    {
        PracticeRun run;
        run.start(positions({u"ㄅ", u" "}), 0);
        type(run, QStringLiteral("\b"));
        QCOMPARE(run.wrongCount, 0);
        QCOMPARE(run.rightCount, 0);
        type(run, QStringLiteral("1\b"));
        QCOMPARE(run.wrongCount, 0);
        QCOMPARE(run.rightCount, 1);
        QVERIFY(run.charMode); // the first-tone space is a character
    }

    void interruptCommand()
    {
        Recorder rec;
        PracticeRun run;
        run.setDisplay(&rec);
        run.start(positions({u"ㄅ", u"ㄆ"}), 0);
        type(run, QStringLiteral("1"));
        run.requestInterrupt(0);
        run.advance();
        QVERIFY(!run.inProgress());
        QCOMPARE(run.rightCount, 1);
        QCOMPARE(rec.log.mid(rec.log.size() - 2), (QStringList{"interrupt 2 key 81", "end"}));
    }

    // How the run ended is fixed by the keystroke or command that ends it, at
    // its time.
    void outcomeAtTheEnd_data()
    {
        QTest::addColumn<QString>("keys"); // typed 1 s into the run
        QTest::addColumn<QString>("last"); // at 21.7 s; empty: the interrupt command
        QTest::addColumn<bool>("completed");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<int>("typedKey");
        QTest::newRow("typed to the end") << "21" << "$" << true << 2 << 1 << 52;
        QTest::newRow("Esc") << "1" << "\x1b" << false << 1 << 0 << 27;
        QTest::newRow("interrupt command") << "12" << "" << false << 1 << 1 << 27;
    }
    void outcomeAtTheEnd()
    {
        QFETCH(QString, keys);
        QFETCH(QString, last);
        QFETCH(bool, completed);
        QFETCH(int, right);
        QFETCH(int, wrong);
        QFETCH(int, typedKey);
        Recorder rec;
        PracticeRun run;
        run.setDisplay(&rec);
        run.start(positions({u"ㄅ", u"ˋ"}), 1000);
        type(run, keys, 2000);
        if (last.isEmpty()) {
            run.requestInterrupt(22'700);
            run.advance();
        } else {
            type(run, last, 22'700);
        }
        QVERIFY(!run.inProgress());
        const RunOutcome o = rec.outcome;
        QCOMPARE(o.completed, completed);
        QCOMPARE(o.posCount, 2);
        QCOMPARE(o.rightCount, right);
        QCOMPARE(o.wrongCount, wrong);
        QCOMPARE(o.elapsedMs, qint64(21'700));
        QCOMPARE(o.elapsedSeconds, 21);
        QCOMPARE(o.typedKey, qint16(typedKey));
    }

    void characterMode_data()
    {
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<bool>("done");
        QTest::newRow("a typed a") << "a" << "a" << 0 << true;
        QTest::newRow("a typed A") << "a" << "A" << 1 << false;
        QTest::newRow("A typed a then A") << "A" << "aA" << 1 << true;
        QTest::newRow("? typed /") << "?" << "/?" << 1 << true;
        QTest::newRow("space typed space") << " " << " " << 0 << true;
        QTest::newRow("space typed Tab") << " " << "\t" << 1 << false;
    }
    void characterMode()
    {
        QFETCH(QString, expected);
        QFETCH(QString, typed);
        QFETCH(int, wrong);
        QFETCH(bool, done);
        PracticeRun run;
        run.start({expected}, 0);
        QVERIFY(run.charMode);
        QCOMPARE(run.expectedKey, qint16(expected.at(0).unicode()));
        type(run, typed);
        QCOMPARE(run.wrongCount, wrong);
        QCOMPARE(!run.inProgress(), done);
    }

    void symbolWithoutKeyIsAcceptedAtOnce()
    {
        Recorder rec;
        PracticeRun run;
        run.setDisplay(&rec);
        run.start(positions({u"ㄅ", u"中", u"ㄆ"}), 0);
        type(run, QStringLiteral("1"));
        QCOMPARE(run.curPos, qint16(3));
        QCOMPARE(run.rightCount, 2);
        QVERIFY(rec.log.contains(QStringLiteral("accept 2 key 0")));
        // A text of such positions only ends as it starts.
        PracticeRun all;
        all.start(positions({u"中", u"文"}), 0);
        QVERIFY(!all.inProgress());
        QCOMPARE(all.rightCount, 2);
        QCOMPARE(all.wrongCount, 0);
    }

    void emptyTextEndsAtOnce()
    {
        Recorder rec;
        PracticeRun run;
        run.setDisplay(&rec);
        run.start({}, 0);
        QVERIFY(!run.inProgress());
        QCOMPARE(run.posCount, 0);
        QCOMPARE(rec.log, QStringList{"end"});
    }

    void fastKeysAreAllJudged()
    {
        // Keys that arrive one after another without any pause: each is judged.
        PracticeRun run;
        run.start(positions({u"ㄇ", u"ㄤ", u"ˊ", u"ㄇ", u"ㄠ", u" "}), 0);
        type(run, QStringLiteral("a;6al "));
        QVERIFY(!run.inProgress());
        QCOMPARE(run.rightCount, 6);
        QCOMPARE(run.wrongCount, 0);
    }

    void nothingCountsOutsideARun()
    {
        Recorder rec;
        PracticeRun run;
        run.setDisplay(&rec);
        run.keyTyped('x', 0);
        QCOMPARE(run.wrongCount, 0);
        QCOMPARE(run.typedKey, qint16('X')); // Zhuyin mode until a character position
        run.start(positions({u"ㄅ"}), 0);
        type(run, QStringLiteral("1"));
        run.keyTyped('x', 0);
        QCOMPARE(run.wrongCount, 0);
        QVERIFY(rec.log.count(QStringLiteral("end")) == 1);
    }

    void restartClearsCounters()
    {
        PracticeRun run;
        run.start(positions({u"ㄅ"}), 0);
        type(run, QStringLiteral("2\x1b"));
        QCOMPARE(run.wrongCount, 1);
        run.start(positions({u"ㄅ"}), 5000);
        QCOMPARE(run.wrongCount, 0);
        QCOMPARE(run.rightCount, 0);
        QCOMPARE(run.typedKey, qint16(0));
        QCOMPARE(run.runStartTime, qint64(5000));
    }
};

QTEST_APPLESS_MAIN(TestPracticeRun)
#include "tst_practicerun.moc"
