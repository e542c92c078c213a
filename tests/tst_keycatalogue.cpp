#include <QtTest>

#include <set>

#include "practice/KeyCatalogue.h"

class TestKeyCatalogue : public QObject {
    Q_OBJECT
private slots:
    void keyOfSymbol_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<int>("key");
        QTest::newRow("first symbol ㄅ") << QStringLiteral("ㄅ") << 49;
        QTest::newRow("last symbol ㄦ") << QStringLiteral("ㄦ") << 45;
        QTest::newRow("blank") << QStringLiteral(" ") << 0;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("two symbols") << QStringLiteral("ㄅㄆ") << 0;
        QTest::newRow("symbol and trailing blank") << QStringLiteral("ㄅ ") << 0;
        QTest::newRow("Han character") << QStringLiteral("中") << 0;
        QTest::newRow("ASCII letter") << QStringLiteral("a") << 0;
        QTest::newRow("ASCII digit of the ㄅ key") << QStringLiteral("1") << 0;
        QTest::newRow("ASCII grave accent (not the tone mark)") << QStringLiteral("`") << 0;
    }
    void keyOfSymbol()
    {
        QFETCH(QString, symbol);
        QFETCH(int, key);
        QCOMPARE(KeyOfSymbol(symbol), key);
    }

    void symbolOfKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("6 types ˊ") << 54 << QStringLiteral("ˊ");
        QTest::newRow("= has none") << 61 << QString();
        QTest::newRow("space has none") << 32 << QString();
        QTest::newRow("Backspace has none") << 8 << QString();
        QTest::newRow("0 has none") << 0 << QString();
        QTest::newRow("small letter code is no key") << 97 << QString();
    }
    void symbolOfKey()
    {
        QFETCH(int, key);
        QFETCH(QString, symbol);
        QCOMPARE(SymbolOfKey(static_cast<KeyNumber>(key)), symbol);
    }

    // Every Zhuyin symbol and tone mark round-trips, and its key's legend
    // names it: the table and the keys agree.
    void zhuyinTableMatchesKeys()
    {
        std::set<int> keysSeen;
        for (int i = 1; i <= KeyCatalogue::kZhuyinEntries; ++i) {
            const QString sym(KeyCatalogue::zhuyinSymbols[i]);
            const KeyNumber k = KeyCatalogue::zhuyinKeyCodes[i];
            QVERIFY2(keysSeen.insert(k).second, qPrintable(sym));
            QCOMPARE(KeyOfSymbol(sym), k);
            QCOMPARE(SymbolOfKey(k), sym);
            const KeyInfo *info = KeyCatalogue::find(k);
            QVERIFY(info);
            QCOMPARE(int(info->zhuyinEntry), i);
        }
        // Tone marks are U+02CA, U+02C7, U+02CB, U+02D9; symbols U+3105 … U+3129.
        QCOMPARE(KeyCatalogue::zhuyinSymbols[1].unicode(), 0x02CA);
        QCOMPARE(KeyCatalogue::zhuyinSymbols[2].unicode(), 0x02C7);
        QCOMPARE(KeyCatalogue::zhuyinSymbols[3].unicode(), 0x02CB);
        QCOMPARE(KeyCatalogue::zhuyinSymbols[4].unicode(), 0x02D9);
        std::set<int> symbols;
        for (int i = 5; i <= 41; ++i)
            symbols.insert(KeyCatalogue::zhuyinSymbols[i].unicode());
        QCOMPARE(int(symbols.size()), 37);
        QCOMPARE(*symbols.begin(), 0x3105);
        QCOMPARE(*symbols.rbegin(), 0x3129);
    }

    void catalogueHasEveryKeyOnce()
    {
        const auto keys = KeyCatalogue::keys();
        QCOMPARE(keys.size(), std::size_t(61));
        std::set<int> numbers;
        int zhuyinKeys = 0;
        for (const KeyInfo &k : keys) {
            QVERIFY2(numbers.insert(k.key).second, qPrintable(QString::number(k.key)));
            QCOMPARE(KeyCatalogue::find(k.key), &k);
            zhuyinKeys += k.zhuyinEntry > 0;
        }
        QCOMPARE(zhuyinKeys, 41);
        QVERIFY(!KeyCatalogue::find(0));
        QVERIFY(!KeyCatalogue::find(97));
        QVERIFY(!KeyCatalogue::find(201));
    }

    void restPositionsRound()
    {
        RestPositions rest;
        rest.set(8, 680.6, 0.6);
        QCOMPARE(rest.keyLeft[8], qint16(681));
        QCOMPARE(rest.keyTop[8], qint16(1));
        rest.set(0, 5, 5);   // not a key number: ignored
        rest.set(201, 5, 5); // out of range: ignored
        QCOMPARE(rest.keyLeft[0], qint16(0));
    }
};

QTEST_APPLESS_MAIN(TestKeyCatalogue)
#include "tst_keycatalogue.moc"
