#include <QtTest>

#include "run/KeyMap.h"

class TestKeyMap : public QObject {
    Q_OBJECT
private slots:
    void baseKeyOf_data()
    {
        QTest::addColumn<int>("ch");
        QTest::addColumn<int>("key");
        for (int c = '0'; c <= '9'; ++c)
            QTest::addRow("digit %c", c) << c << c;
        for (int c = 'A'; c <= 'Z'; ++c)
            QTest::addRow("capital %c", c) << c << c;
        for (int c = 'a'; c <= 'z'; ++c)
            QTest::addRow("small %c", c) << c << c - 32;
        for (int c : {8, 9, 13, 32, 39, 44, 45, 46, 47, 59, 61, 91, 92, 93, 96})
            QTest::addRow("unchanged %d", c) << c << c;
        const std::pair<char, int> shifted[] = {
            {'!', 49}, {'"', 39}, {'#', 51}, {'$', 52}, {'%', 53}, {'&', 55}, {'(', 57}, {')', 48},
            {'*', 56}, {'+', 61}, {':', 59}, {'<', 44}, {'>', 46}, {'?', 47}, {'@', 50}, {'^', 54},
            {'_', 45}, {'{', 91}, {'|', 92}, {'}', 93}, {'~', 96}};
        for (auto [c, k] : shifted)
            QTest::addRow("shifted %c", c) << int(c) << k;
        for (int c : {0, 1, 27, 127, 128, 0x4E2D, 0x3105, -1})
            QTest::addRow("no key %d", c) << c << 0;
    }
    void baseKeyOf()
    {
        QFETCH(int, ch);
        QFETCH(int, key);
        QCOMPARE(int(BaseKeyOf(qint16(ch))), key);
    }

    void shiftSideOf_data()
    {
        QTest::addColumn<int>("ch");
        QTest::addColumn<int>("capsOff");
        QTest::addColumn<int>("capsOn");
        for (char c : QByteArray("HIJKLMNOPUY"))
            QTest::addRow("right-hand capital %c", c) << int(c) << 2 << 0;
        for (char c : QByteArray("ABCDEFGQRSTVWXZ"))
            QTest::addRow("left-hand capital %c", c) << int(c) << 3 << 0;
        for (char c : QByteArray("hijklmnopuy"))
            QTest::addRow("right-hand small %c", c) << int(c) << 0 << 2;
        for (char c : QByteArray("abcdefgqrstvwxz"))
            QTest::addRow("left-hand small %c", c) << int(c) << 0 << 3;
        for (char c : QByteArray("~!@#$%"))
            QTest::addRow("left-hand shifted %c", c) << int(c) << 3 << 3;
        for (char c : QByteArray("^&*()_+{}|:<>?\""))
            QTest::addRow("right-hand shifted %c", c) << int(c) << 2 << 2;
        for (int c : std::initializer_list<int>{'1', '0', '-', '=', '[', ']', '\\', ';', '\'', ',', '.', '/', '`', ' ', 8, 13, 27, 0})
            QTest::addRow("no shift %d", c) << c << 0 << 0;
    }
    void shiftSideOf()
    {
        QFETCH(int, ch);
        QFETCH(int, capsOff);
        QFETCH(int, capsOn);
        QCOMPARE(int(ShiftSideOf(qint16(ch), false)), capsOff);
        QCOMPARE(int(ShiftSideOf(qint16(ch), true)), capsOn);
    }

    void keyUp_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("key");
        const std::pair<int, int> punct[] = {{186, 59}, {187, 61}, {188, 44}, {189, 45}, {190, 46},
                                             {191, 47}, {192, 96}, {219, 91}, {220, 92}, {221, 93},
                                             {222, 39}};
        for (auto [c, k] : punct)
            QTest::addRow("punctuation %d", c) << c << k;
        for (int c : {48, 57, 65, 90, 8, 9, 13, 20, 32})
            QTest::addRow("own number %d", c) << c << c;
        for (int c : {16, 17, 18, 27, 193, 218, 223, 224, 0, 112})
            QTest::addRow("no key top %d", c) << c << 0;
    }
    void keyUp()
    {
        QFETCH(int, code);
        QFETCH(int, key);
        QCOMPARE(int(KeyNumberOfKeyCode(code)), key);
    }

    // Every key number that a typed character maps to names a key of the
    // drawn keyboard.
    void baseKeysExist()
    {
        for (int c = 1; c < 127; ++c) {
            const KeyNumber k = BaseKeyOf(qint16(c));
            if (k)
                QVERIFY2(KeyCatalogue::find(k), qPrintable(QString::number(c)));
        }
    }
};

QTEST_APPLESS_MAIN(TestKeyMap)
#include "tst_keymap.moc"
