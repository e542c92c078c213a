#include <QtTest>

#include <clocale>

#include "practice/Big5.h"

class TestBig5 : public QObject {
    Q_OBJECT
private slots:
    void lenMbcs_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("ASCII letter") << QStringLiteral("a") << 1;
        QTest::newRow("blank") << QStringLiteral(" ") << 1;
        QTest::newRow("underscore") << QStringLiteral("_") << 1;
        QTest::newRow("Han") << QStringLiteral("中") << 2;
        QTest::newRow("Zhuyin ㄅ") << QStringLiteral("ㄅ") << 2;
        QTest::newRow("tone ˊ") << QStringLiteral("ˊ") << 2;
        QTest::newRow("tone ˇ") << QStringLiteral("ˇ") << 2;
        QTest::newRow("tone ˋ") << QStringLiteral("ˋ") << 2;
        QTest::newRow("tone ˙") << QStringLiteral("˙") << 2;
        QTest::newRow("reading with first-tone blank") << QStringLiteral("ㄓㄨㄥ ") << 7;
        QTest::newRow("full-width comma") << QStringLiteral("，") << 2;
        QTest::newRow("full-width space") << QStringLiteral("\u3000") << 2;
        QTest::newRow("euro sign") << QStringLiteral("€") << 2;
        QTest::newRow("e acute, best fit to e") << QStringLiteral("é") << 1;
        QTest::newRow("Hangul, not in Big5") << QStringLiteral("\uD55C") << 1;
        QTest::newRow("emoji, one substitute") << QString::fromUtf8("\xF0\x9F\x98\x80") << 1;
        QTest::newRow("mixed") << QStringLiteral("a中b") << 4;
    }
    void lenMbcs()
    {
        QFETCH(QString, text);
        QFETCH(int, bytes);
        QCOMPARE(LenMbcs(text), bytes);
    }

    // The machine's own locale must not matter: the tutor is for Big5 users
    // on any system.
    void lenMbcsIgnoresLocale()
    {
        const char *old = std::setlocale(LC_ALL, nullptr);
        const QByteArray saved = old ? QByteArray(old) : QByteArray("C");
        std::setlocale(LC_ALL, "C");
        QCOMPARE(LenMbcs(QStringLiteral("中")), 2);
        std::setlocale(LC_ALL, saved.constData());
    }

    // A letter with an accent is typed as the letter: é on the E key.
    void accentedLettersBestFit()
    {
        QCOMPARE(Big5::encode(QStringLiteral("é")), QByteArray("e"));
    }

    void decodeBig5()
    {
        // 中 is A4 A4, 文 is A4 E5, ㄅ is A3 74 in code page 950.
        QCOMPARE(Big5::decode(QByteArray("\xA4\xA4\xA4\xE5")), QStringLiteral("中文"));
        QCOMPARE(Big5::decode(QByteArray("\xA3\x74" "a")), QStringLiteral("ㄅa"));
        QCOMPARE(Big5::encode(QStringLiteral("中ㄅa")), QByteArray("\xA4\xA4\xA3\x74" "a"));
    }

    void decodeNeverLosesTheRest()
    {
        // A truncated lead byte in the middle does not swallow the text after it.
        const QString s = Big5::decode(QByteArray("\xA4" "ab"));
        QVERIFY(s.endsWith(QStringLiteral("b")));
        QVERIFY(!Big5::decode(QByteArray("\x80\xFF")).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestBig5)
#include "tst_big5.moc"
