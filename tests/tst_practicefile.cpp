#include <QtTest>

#include <QTemporaryDir>

#include "practice/Big5.h"
#include "practice/PracticeFile.h"

class TestPracticeFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write test file");
        f.write(bytes);
        return path;
    }

private slots:
    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("chars");
        QTest::addColumn<QStringList>("readings");
        const QByteArray big5Da = Big5::encode(QStringLiteral("大ㄉㄚˋ"));
        const QByteArray big5Xue = Big5::encode(QStringLiteral("學ㄒㄩㄝˊ"));
        QTest::newRow("UTF-8, CR LF") << QByteArray("大ㄉㄚˋ\r\n學ㄒㄩㄝˊ\r\n，\r\n")
                                      << QStringList{"大", "學", "，"} << QStringList{"ㄉㄚˋ", "ㄒㄩㄝˊ", ""};
        QTest::newRow("UTF-8, LF alone") << QByteArray("大ㄉㄚˋ\n學ㄒㄩㄝˊ")
                                         << QStringList{"大", "學"} << QStringList{"ㄉㄚˋ", "ㄒㄩㄝˊ"};
        QTest::newRow("CR alone") << QByteArray("大ㄉㄚˋ\r學ㄒㄩㄝˊ\r")
                                  << QStringList{"大", "學"} << QStringList{"ㄉㄚˋ", "ㄒㄩㄝˊ"};
        QTest::newRow("UTF-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF大ㄉㄚˋ\r\n")
                                                    << QStringList{"大"} << QStringList{"ㄉㄚˋ"};
        QTest::newRow("Big5, CR LF") << big5Da + "\r\n" + big5Xue + "\r\n"
                                     << QStringList{"大", "學"} << QStringList{"ㄉㄚˋ", "ㄒㄩㄝˊ"};
        QTest::newRow("empty lines vanish") << QByteArray("大ㄉㄚˋ\r\n\r\n\n學ㄒㄩㄝˊ\r\n")
                                            << QStringList{"大", "學"} << QStringList{"ㄉㄚˋ", "ㄒㄩㄝˊ"};
        QTest::newRow("trailing blanks kept") << QByteArray("a b  \r\n")
                                              << QStringList{"a"} << QStringList{" b  "};
        QTest::newRow("a blank line is a token") << QByteArray(" \r\n")
                                                 << QStringList{" "} << QStringList{""};
        QTest::newRow("only empty lines") << QByteArray("\r\n\r\n\n") << QStringList{} << QStringList{};
        QTest::newRow("empty file") << QByteArray() << QStringList{} << QStringList{};
        QTest::newRow("character outside the BMP stays whole")
            << QByteArray("\xF0\x9F\x98\x80x\n") << QStringList{QString::fromUtf8("\xF0\x9F\x98\x80")}
            << QStringList{"x"};
    }
    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, chars);
        QFETCH(QStringList, readings);
        const PracticeFileResult r = ReadPracticeFile(write(QStringLiteral("t.txt"), bytes));
        QCOMPARE(r.status, PracticeFileResult::Status::Ok);
        QCOMPARE(r.table.chars, chars);
        QCOMPARE(r.table.readings, readings);
    }

    void fiveThousandLines()
    {
        QByteArray ok;
        for (int i = 0; i < kMaxPracticeTokens; ++i)
            ok += "中ㄓㄨㄥ\r\n\r\n"; // empty lines do not count
        PracticeFileResult r = ReadPracticeFile(write(QStringLiteral("5000.txt"), ok));
        QCOMPARE(r.status, PracticeFileResult::Status::Ok);
        QCOMPARE(r.table.size(), qsizetype(5000));
        r = ReadPracticeFile(write(QStringLiteral("5001.txt"), ok + "中ㄓㄨㄥ\r\n"));
        QCOMPARE(r.status, PracticeFileResult::Status::TooManyLines);
        QVERIFY(r.table.isEmpty());
    }

    void failures()
    {
        using S = PracticeFileResult::Status;
        QCOMPARE(ReadPracticeFile(m_dir.filePath(QStringLiteral("missing.txt"))).status, S::NotFound);
        QCOMPARE(ReadPracticeFile(QString()).status, S::NotFound);
        QCOMPARE(ReadPracticeFile(m_dir.path()).status, S::NotAFile);
        const QString locked = write(QStringLiteral("locked.txt"), "中ㄓㄨㄥ\n");
        QFile::setPermissions(locked, QFileDevice::Permissions());
        if (QFileInfo(locked).isReadable())
            QSKIP("running as a user who reads any file");
        QCOMPARE(ReadPracticeFile(locked).status, S::Unreadable);
    }

    void tooLarge()
    {
        const QString path = m_dir.filePath(QStringLiteral("huge.txt"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(kMaxPracticeFileBytes + 1));
        f.close();
        QCOMPARE(ReadPracticeFile(path).status, PracticeFileResult::Status::TooLarge);
    }

    void decoding()
    {
        // Valid UTF-8 is read as UTF-8, anything else as code page 950.
        QCOMPARE(DecodePracticeText(QByteArray("中")), QStringLiteral("中"));
        QCOMPARE(DecodePracticeText(QByteArray("\xA4\xA4")), QStringLiteral("中"));
        QCOMPARE(DecodePracticeText(QByteArray("abc")), QStringLiteral("abc"));
        // Invalid UTF-8 and invalid Big5 still decode to something, whole.
        QVERIFY(!DecodePracticeText(QByteArray("\xFF\xFE\x80")).isEmpty());
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("folder") << "/home/me/texts/ctype.txt" << "ctype.txt";
        QTest::newRow("no folder") << "ctype.txt" << "ctype.txt";
        QTest::newRow("root") << "/a.txt" << "a.txt";
        QTest::newRow("empty") << "" << "";
    }
    void fileName()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(FileNameOf(path), name);
    }
};

QTEST_APPLESS_MAIN(TestPracticeFile)
#include "tst_practicefile.moc"
