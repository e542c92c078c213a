#include <QtTest>

#include <QTemporaryDir>

#include <sys/stat.h>

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
        QTest::newRow("UTF-8 with one truncated character at the end")
            << QByteArray("大ㄉㄚˋ\r\n學ㄒㄩㄝˊ\r\n\xE5\xAD") << QStringList{"大", "學", QString(QChar::ReplacementCharacter)}
            << QStringList{"ㄉㄚˋ", "ㄒㄩㄝˊ", QString(QChar::ReplacementCharacter)};
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

    void failures_data()
    {
        using S = PracticeFileResult::Status;
        QTest::addColumn<QString>("path");
        QTest::addColumn<S>("status");
        const QString dir = m_dir.path();
        QFile::link(dir + "/loop-a.txt", dir + "/loop-b.txt");
        QFile::link(dir + "/loop-b.txt", dir + "/loop-a.txt");
        QFile::link(dir + "/gone.txt", dir + "/dangling.txt");
        mkfifo(QFile::encodeName(dir + "/fifo.txt").constData(), 0600);
        QTest::newRow("missing") << dir + "/missing.txt" << S::NotFound;
        QTest::newRow("empty path") << QString() << S::NotFound;
        QTest::newRow("link to nothing") << dir + "/dangling.txt" << S::NotFound;
        QTest::newRow("folder") << dir << S::Folder;
        QTest::newRow("pipe") << dir + "/fifo.txt" << S::NotAFile;
        QTest::newRow("device") << QStringLiteral("/dev/null") << S::NotAFile;
        QTest::newRow("link loop") << dir + "/loop-a.txt" << S::LinkLoop;
    }
    void failures()
    {
        QFETCH(QString, path);
        QFETCH(PracticeFileResult::Status, status);
        QCOMPARE(ReadPracticeFile(path).status, status);
    }

    void unreadable()
    {
        const QString locked = write(QStringLiteral("locked.txt"), "中ㄓㄨㄥ\n");
        QFile::setPermissions(locked, QFileDevice::Permissions());
        QDir(m_dir.path()).mkdir(QStringLiteral("closed"));
        const QString inClosed = write(QStringLiteral("closed/in.txt"), "中ㄓㄨㄥ\n");
        QFile::setPermissions(m_dir.filePath(QStringLiteral("closed")), QFileDevice::ReadOwner);
        if (QFileInfo(locked).isReadable())
            QSKIP("running as a user who reads any file");
        for (const QString &path : {locked, inClosed}) {
            const PracticeFileResult r = ReadPracticeFile(path);
            QCOMPARE(r.status, PracticeFileResult::Status::Unreadable);
            QVERIFY(!r.error.isEmpty());
        }
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

    // Readings of more symbols than a run counts are refused while reading.
    void symbolLimit_data()
    {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("at the limit") << QString(kMaxPositions, u'ㄅ') << true;
        QTest::newRow("one more") << QString(kMaxPositions + 1, u'ㄅ') << false;
        QString pairs;
        for (int i = 0; i < kMaxPositions; ++i)
            pairs += QStringLiteral("\U0001F600");
        QTest::newRow("pairs count once") << pairs << true;
    }
    void symbolLimit()
    {
        QFETCH(QString, reading);
        QFETCH(bool, accepted);
        // Split over two lines: the limit is on the file, not on one line.
        const qsizetype half = reading.size() / 2 & ~1;
        const QByteArray bytes = ("中" + reading.left(half) + "\n中" + reading.mid(half) + "\n").toUtf8();
        const PracticeFileResult r = ReadPracticeFile(write(QStringLiteral("symbols.txt"), bytes));
        QCOMPARE(r.status, accepted ? PracticeFileResult::Status::Ok : PracticeFileResult::Status::TooManySymbols);
        QCOMPARE(r.table.size(), accepted ? 2 : 0);
    }

    void decoding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<TextEncoding>("encoding");
        QTest::addColumn<int>("badLine");
        const QString lines = QStringLiteral("大ㄉㄚˋ\r\n學ㄒㄩㄝˊ\r\n");
        const QByteArray utf8 = lines.toUtf8();
        const QByteArray big5 = Big5::encode(lines);
        QByteArray le("\xFF\xFE"), be("\xFE\xFF");
        for (QChar c : lines) {
            le += char(c.unicode() & 0xFF);
            le += char(c.unicode() >> 8);
            be += char(c.unicode() >> 8);
            be += char(c.unicode() & 0xFF);
        }
        const QString bad(QChar::ReplacementCharacter);
        QTest::newRow("UTF-8, truncated at the end") << utf8 + "\xE4\xB8" << lines + bad + bad
                                                     << TextEncoding::Utf8 << 3;
        QTest::newRow("UTF-8, overlong slash") << utf8 + "a\xC0\xAF" << lines + "a" + bad + bad
                                               << TextEncoding::Utf8 << 3;
        QTest::newRow("UTF-8, encoded surrogate") << "\n" + utf8 + "\xED\xA0\x80" << "\n" + lines + bad + bad + bad
                                                  << TextEncoding::Utf8 << 4;
        QTest::newRow("UTF-8 mark, then a bad byte") << "\xEF\xBB\xBF\xFF\r\n" + utf8 << bad + "\r\n" + lines
                                                     << TextEncoding::Utf8 << 1;
        QTest::newRow("Big5") << big5 << lines << TextEncoding::Big5 << 0;
        QTest::newRow("Big5, lone lead byte on line 2 of CR ends") << QByteArray("a\r\xA4") << "a\r" + bad
                                                                  << TextEncoding::Big5 << 2;
        QTest::newRow("UTF-16 LE") << le << lines << TextEncoding::Utf16LE << 0;
        QTest::newRow("UTF-16 BE, half a character") << be + "\x4E" << lines + bad << TextEncoding::Utf16BE << 3;
        QTest::newRow("UTF-16 LE, lone surrogate") << QByteArray("\xFF\xFE\x00\xD8\n\0", 6) << bad + "\n"
                                                   << TextEncoding::Utf16LE << 1;
    }
    void decoding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(TextEncoding, encoding);
        QFETCH(int, badLine);
        const DecodedText d = DecodeTextFile(bytes);
        QCOMPARE(d.text, text);
        QCOMPARE(d.encoding, encoding);
        QCOMPARE(d.firstBadLine, qsizetype(badLine));
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
