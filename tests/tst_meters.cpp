#include <QtTest>

#include "run/Meters.h"
#include "run/RunReport.h"

class TestMeters : public QObject {
    Q_OBJECT
private slots:
    void clock_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << qint64(0) << "0:0:0";
        QTest::newRow("65 s") << qint64(65) << "0:1:5";
        QTest::newRow("an hour and a bit") << qint64(3661) << "1:1:1";
        QTest::newRow("past a day: no wrap") << qint64(25 * 3600) << "25:0:0";
        QTest::newRow("negative clamps") << qint64(-3) << "0:0:0";
    }
    void clock()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(ClockText(seconds), text);
        QCOMPARE(SecondsOfClockText(text), qint32(std::max<qint64>(seconds, 0)));
    }

    void clockParsing()
    {
        QCOMPARE(SecondsOfClockText(QString()), -1);
        QCOMPARE(SecondsOfClockText(QStringLiteral("1:2")), -1);
        QCOMPARE(SecondsOfClockText(QStringLiteral("a:b:c")), -1);
    }

    void speed_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("speedClass");
        QTest::addColumn<int>("width");
        QTest::newRow("30 in 10 s, class 3: full") << 30 << 10 << 3 << 4000;
        QTest::newRow("same in class 4") << 30 << 10 << 4 << 3000;
        QTest::newRow("same in class 1: wider than the box") << 30 << 10 << 1 << 12000;
        QTest::newRow("truncated, not rounded") << 2 << 3 << 1 << 2666;
        QTest::newRow("nothing typed") << 0 << 5 << 3 << 0;
    }
    void speed()
    {
        QFETCH(int, right);
        QFETCH(int, seconds);
        QFETCH(int, speedClass);
        QFETCH(int, width);
        QCOMPARE(SpeedBarWidth(right, seconds, qint16(speedClass)), width);
    }

    void progress()
    {
        QCOMPARE(ProgressBarWidth(1, 7), 571);
        QCOMPARE(ProgressBarWidth(7, 7), 4000);
        QCOMPARE(ProgressBarWidth(0, 7), 0);
        QCOMPARE(ProgressBarWidth(32767, 32767), 4000);
        QCOMPARE(ProgressBarWidth(1, 0), 0);
    }

    void report_data()
    {
        QTest::addColumn<int>("posCount");
        QTest::addColumn<int>("typedKey");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("wrong");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<bool>("exclamation");
        QTest::addColumn<QString>("text");
        const QString crlf = QStringLiteral("\r\n");
        QTest::newRow("no positions") << 0 << 0 << 0 << 0 << 0 << true
                                      << "文字檔中沒有打字字元!!" + crlf + "請開啟正確的打字檔案或使用轉檔程式編輯。";
        QTest::newRow("completed with figures") << 150 << 32 << 150 << 8 << 120 << false
                                                << "恭喜您打完本段文字!!" + crlf + "您的速度是每秒1.25個注音字元" + crlf
                                                       + "按鍵的正確率為94.94%";
        QTest::newRow("completed within the first second") << 3 << 32 << 3 << 0 << 0 << false
                                                           << "恭喜您打完本段文字!!";
        QTest::newRow("no wrong keys, exact speed") << 40 << 32 << 40 << 0 << 20 << false
                                                    << "恭喜您打完本段文字!!" + crlf + "您的速度是每秒2.00個注音字元" + crlf
                                                           + "按鍵的正確率為100.00%";
        QTest::newRow("slow: leading zero") << 15 << 32 << 15 << 5 << 20 << false
                                            << "恭喜您打完本段文字!!" + crlf + "您的速度是每秒0.75個注音字元" + crlf
                                                   + "按鍵的正確率為75.00%";
        QTest::newRow("interrupted at 20 s") << 100 << 27 << 40 << 2 << 20 << false << "您中斷了打字練習!!";
        QTest::newRow("interrupted at 21 s") << 100 << 27 << 42 << 2 << 21 << false
                                             << "您中斷了打字練習!!" + crlf + "您中斷時的速度是每秒2.00個注音字元" + crlf
                                                    + "按鍵的正確率為95.45%";
        // 3 / 40 = 0.075 and 3 / 4000 = 0.075 % lie just below the half in
        // binary: rounding to two decimals, not the binary value, gives 0.08.
        QTest::newRow("rounded as decimals") << 3 << 32 << 3 << 3997 << 40 << false
                                             << "恭喜您打完本段文字!!" + crlf + "您的速度是每秒0.08個注音字元" + crlf
                                                    + "按鍵的正確率為0.08%";
        QTest::newRow("interrupted before a key") << 100 << 27 << 0 << 0 << 50 << false << "您中斷了打字練習!!";
    }
    void report()
    {
        QFETCH(int, posCount);
        QFETCH(int, typedKey);
        QFETCH(int, right);
        QFETCH(int, wrong);
        QFETCH(int, seconds);
        QFETCH(bool, exclamation);
        QFETCH(QString, text);
        const RunReport r = MakeRunReport(posCount, qint16(typedKey), right, wrong, seconds);
        QCOMPARE(r.text, text);
        QCOMPARE(r.icon == RunReport::Icon::Exclamation, exclamation);
    }
};

QTEST_APPLESS_MAIN(TestMeters)
#include "tst_meters.moc"
