// The record on disk: round trip, an older schema, bad files, a folder that
// cannot be written, a full disk, and two programs recording at once.
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include "record/RecordSchema.h"
#include "record/RecordStore.h"

namespace {

// A run with three needed keys: ㄅ (49) with one ㄉ (50) typed for it.
RecordedRun makeRun(const TextRef &text, qint64 startMs, int right, int wrong, qint32 msPerKey)
{
    RecordedRun r;
    RunSummary &s = r.run;
    s.text = text;
    s.startedAt = QDateTime::fromMSecsSinceEpoch(startMs, Qt::UTC);
    s.completed = true;
    s.posCount = s.posTyped = s.rightCount = right;
    s.wrongCount = wrong;
    s.elapsedSeconds = 10;
    s.elapsedMs = 10400;
    s.speed = right / 10.0;
    s.accuracy = double(right) / (right + wrong);
    s.figuresReported = true;
    KeyStat b{49, right - 2, right - 2, wrong, msPerKey, {}};
    b.timesMs.assign(std::size_t(right - 2), msPerKey);
    r.keys = {b, KeyStat{50, 1, 1, 0, 100, {100}}, KeyStat{32, 1, 1, 0, 900, {900}}};
    s.speedClass = 2;
    if (wrong) // all but one of them ㄉ, the last ˇ (51)
        r.confusions = {Confusion{49, 50, wrong - 1}, Confusion{49, 51, 1}};
    return r;
}

TextRef fileText(const QString &path)
{
    TokenTable t;
    t.append(QStringLiteral("包"), QStringLiteral("ㄅㄠ"));
    return TextRef::file(path, t);
}

// Makes a folder read-only for as long as it lives: by its permissions, or,
// for the superuser (whom permissions do not stop), by the file system's
// immutable flag.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &path) : m_path(path)
    {
        if (::geteuid() != 0) {
            m_done = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
            return;
        }
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY);
        int flags = 0;
        if (m_fd >= 0 && ::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            m_done = ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
    }
    ~ReadOnlyFolder()
    {
        if (m_fd >= 0) {
            int flags = 0;
            if (::ioctl(m_fd, FS_IOC_GETFLAGS, &flags) == 0) {
                flags &= ~FS_IMMUTABLE_FL;
                ::ioctl(m_fd, FS_IOC_SETFLAGS, &flags);
            }
            ::close(m_fd);
        } else {
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
    bool done() const { return m_done; }

private:
    QString m_path;
    int m_fd = -1;
    bool m_done = false;
};

qint64 countRuns(const QString &path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
    db.setDatabaseName(path);
    qint64 n = -1;
    if (db.open()) {
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("SELECT COUNT(*) FROM runs")) && q.next())
            n = q.value(0).toLongLong();
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return n;
}

} // namespace

class TestRecordStore : public QObject {
    Q_OBJECT
private slots:
    void roundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("data/record.sqlite"));
        const TextRef lesson = TextRef::builtIn(Lessons::Menu::Base, 1);
        const TextRef file = fileText(QStringLiteral("/home/\"learner\"/a, b.txt"));
        {
            RecordStore store(path);
            store.record(makeRun(lesson, 1'000'000, 30, 2, 400)); // kept until the file is open
            QCOMPARE(store.open(), RecordStore::State::Ready);
            QVERIFY(store.message().isEmpty());
            store.record(makeRun(file, 2'000'000, 20, 0, 200));
            store.record(makeRun(lesson, 3'000'000, 30, 4, 300));
        } // closing writes what is queued

        RecordStore store(path);
        QCOMPARE(store.open(), RecordStore::State::Ready);
        const auto runs = store.runs();
        QCOMPARE(runs.size(), std::size_t(3));
        QCOMPARE(runs[0].startedAt.toMSecsSinceEpoch(), qint64(3'000'000)); // newest first
        QCOMPARE(runs[1].text.fileName, QStringLiteral("a, b.txt"));
        QCOMPARE(runs[1].text.contentHash, file.contentHash);
        TokenTable otherReadings;
        otherReadings.append(QStringLiteral("包"), QStringLiteral("ㄅㄠˇ"));
        QVERIFY(TextRef::file(file.path, otherReadings).contentHash != file.contentHash);
        QCOMPARE(runs[0].text.label(), lesson.label());
        QCOMPARE(runs[0].wrongCount, 4);
        QCOMPARE(runs[0].accuracy, std::optional<double>(30.0 / 34.0));

        const auto texts = store.texts();
        QCOMPARE(texts.size(), std::size_t(2));
        QCOMPARE(texts[0].runs, 2); // the lesson, practised last
        const auto lessonRuns = store.series(RunFilter{texts[0].id});
        QCOMPARE(lessonRuns.size(), std::size_t(2));
        QCOMPARE(lessonRuns[0].startedAt.toMSecsSinceEpoch(), qint64(1'000'000)); // oldest first
        QCOMPARE(store.runs(RunFilter{texts[1].id}).size(), std::size_t(1));

        // ㄅ: 28 + 18 + 28 right keystrokes at 400, 200 and 300 ms; 6 wrong.
        const auto totals = store.keyTotals();
        QCOMPARE(totals.size(), std::size_t(3));
        const KeyTotal &b = totals[1];
        QCOMPARE(b.key, KeyNumber(49));
        QCOMPARE(b.right, qint64(74));
        QCOMPARE(b.wrong, qint64(6));
        QCOMPARE(b.errorRate, 6.0 / 80.0);
        QCOMPARE(b.medianMs, 305); // the 10 ms bucket of 300 ms
        QCOMPARE(store.weakestKeys(10, 5).front().key, KeyNumber(49));
        QCOMPARE(store.totalKeystrokes(), qint64(74 + 6 + 6));
        const auto confusions = store.topConfusions(); // the most frequent first
        QCOMPARE(confusions.size(), std::size_t(2));
        QCOMPARE(std::tuple(confusions[0].typed, confusions[0].count), std::tuple(KeyNumber(50), qint64(4)));
        QCOMPARE(std::tuple(confusions[1].typed, confusions[1].count), std::tuple(KeyNumber(51), qint64(2)));

        const RecordedRun details = store.runDetails(runs[0].id);
        QCOMPARE(details.keys.size(), std::size_t(3));
        QCOMPARE(details.keys[1].medianMs, 300);
        QCOMPARE(details.confusions.at(0).count, qint64(3));

        const QString csv = dir.filePath(QStringLiteral("runs.csv"));
        QVERIFY(store.exportCsv(csv));
        QFile f(csv);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[2].contains(QStringLiteral(",\"a, b.txt\",\"/home/\"\"learner\"\"/a, b.txt\",入門,")));
        QVERIFY(lines[3].endsWith(QStringLiteral(",3.00,88.24%")));

        QVERIFY(store.clear());
        QVERIFY(store.runs().empty());
        QVERIFY(store.keyTotals().empty());
        QCOMPARE(store.totalKeystrokes(), qint64(0));
    }

    void migratesAnOlderRecord()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("record.sqlite"));
        {
            // A record of the first version, with one run in it.
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QVERIFY(!RecordSchema::createVersion(db, 1).isValid());
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("INSERT INTO texts VALUES(1, 'builtin:0:1', 0, 0, 1, 'old', '', '', '')")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO runs VALUES(1, 1, 5000, 3, 0, 1, 20, 20100, 40, 40, 40, 10, 2.0, 0.8, 1)")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO run_keys VALUES(1, 49, 40, 40, 10, 1234)")));
            QVERIFY(q.exec(QStringLiteral("INSERT INTO run_confusions VALUES(1, 49, 50, 10)")));
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("v1"));
        }
        RecordStore store(path);
        QCOMPARE(store.open(), RecordStore::State::Ready);
        const auto totals = store.keyTotals();
        QCOMPARE(totals.size(), std::size_t(1));
        QCOMPARE(totals[0].wrong, qint64(10));
        QCOMPARE(totals[0].medianMs, 1225); // the old run's median, to its 50 ms bucket
        QCOMPARE(store.topConfusions().at(0).count, qint64(10));
        store.record(makeRun(TextRef::builtIn(Lessons::Menu::Base, 1), 9000, 30, 0, 300));
        QCOMPARE(store.texts().size(), std::size_t(1)); // the same lesson
        QCOMPARE(store.runs().size(), std::size_t(2));
        QCOMPARE(store.keyTotals()[1].key, KeyNumber(49));
        QCOMPARE(store.keyTotals()[1].wrong, qint64(10));
    }

    void badFileIsMovedAside_data()
    {
        QTest::addColumn<bool>("damagedPages");
        QTest::newRow("not a database: found on opening") << false;
        QTest::newRow("damaged pages: found when writing") << true;
    }
    void badFileIsMovedAside()
    {
        QFETCH(bool, damagedPages);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("record.sqlite"));
        QByteArray content;
        if (damagedPages) {
            {
                RecordStore old(path);
                QCOMPARE(old.open(), RecordStore::State::Ready);
                for (int i = 0; i < 40; ++i)
                    old.record(makeRun(TextRef::builtIn(Lessons::Menu::Base, 1 + i % 18), i, 30, 2, 300));
            }
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            content = f.readAll();
            QVERIFY(content.size() > 8 * 4096);
            // Every page but the first (the header and the list of tables) is overwritten.
            content.replace(4096, content.size() - 4096, QByteArray(content.size() - 4096, '\x5a'));
            f.seek(0);
            f.write(content);
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            content = QByteArray("these are not the pages of a database\n").repeated(200);
            f.write(content);
        }

        RecordStore store(path);
        QSignalSpy problems(&store, &RecordStore::problem);
        const RecordedRun run = makeRun(TextRef::builtIn(Lessons::Menu::Doc, 2), 7777, 10, 1, 250);
        if (damagedPages) {
            QCOMPARE(store.open(), RecordStore::State::Ready);
            store.record(run);
            QTRY_COMPARE(problems.count(), 1);
            QCOMPARE(problems.at(0).at(0).toString(), store.message());
        } else {
            QCOMPARE(store.open(), RecordStore::State::Recovered);
            store.record(run);
        }
        QCOMPARE(store.state(), RecordStore::State::Recovered);
        const QString aside = store.movedAsidePath();
        QVERIFY(QFileInfo(aside).fileName().contains(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))));
        QFile kept(aside);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), content);
        QVERIFY(store.message().contains(QDir::toNativeSeparators(path)));
        QVERIFY(store.message().contains(QDir::toNativeSeparators(aside)));
        // The fresh file records, the run that met the damage included.
        QVERIFY(store.isRecording());
        const auto runs = store.runs();
        QCOMPARE(runs.size(), std::size_t(1));
        QCOMPARE(runs[0].startedAt.toMSecsSinceEpoch(), qint64(7777));
        QCoreApplication::processEvents();
        QCOMPARE(problems.count(), damagedPages ? 1 : 0);
    }

    void recordingOff_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::newRow("folder under a file") << "file";
        QTest::newRow("written by a newer program") << "newer";
        QTest::newRow("read-only folder holding a record") << "readonly";
    }
    void recordingOff()
    {
        QFETCH(QString, setup);
        QTemporaryDir dir;
        QString path = dir.filePath(QStringLiteral("record.sqlite"));
        std::unique_ptr<ReadOnlyFolder> readOnly;
        if (setup == QLatin1String("file")) {
            QFile f(dir.filePath(QStringLiteral("data")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            path = dir.filePath(QStringLiteral("data/Quillory/record.sqlite"));
        } else if (setup == QLatin1String("newer")) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 99"));
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        } else {
            {
                RecordStore earlier(path);
                QCOMPARE(earlier.open(), RecordStore::State::Ready);
                earlier.record(makeRun(TextRef::builtIn(Lessons::Menu::Base, 1), 1000, 10, 0, 250));
            }
            readOnly = std::make_unique<ReadOnlyFolder>(dir.path());
            if (!readOnly->done())
                QSKIP("this file system cannot make a folder read-only for the superuser");
        }
        RecordStore store(path);
        QSignalSpy problems(&store, &RecordStore::problem);
        QCOMPARE(store.open(), RecordStore::State::Disabled);
        QVERIFY(store.message().contains(QDir::toNativeSeparators(path)));
        QVERIFY(!store.isRecording());
        store.record(makeRun(TextRef::builtIn(Lessons::Menu::Base, 1), 2000, 10, 0, 250));
        QVERIFY(store.runs().empty());
        QVERIFY(!store.clear());
        QCoreApplication::processEvents();
        QCOMPARE(problems.count(), 0); // open() already said it
    }

    void fullDiskStopsRecordingOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("record.sqlite"));
        RecordStore store(path);
        QCOMPARE(store.open(), RecordStore::State::Ready);
        const TextRef text = TextRef::builtIn(Lessons::Menu::Base, 2);
        store.record(makeRun(text, 1000, 30, 1, 250));
        QVERIFY(store.waitForWrites());
        QSignalSpy problems(&store, &RecordStore::problem);

        // No file may grow past 64 KiB from now on, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = 64 * 1024;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        for (int i = 0; i < 200; ++i) {
            RecordedRun r = makeRun(text, 2000 + i, 2000, 50, 300);
            r.run.text.caption = QString(500, QChar(u'長')) + QString::number(i);
            r.run.text.kind = TextRef::Kind::Drill; // a new text each time
            store.record(std::move(r));
        }
        store.waitForWrites();
        setrlimit(RLIMIT_FSIZE, &old);

        QTRY_COMPARE(problems.count(), 1);
        QVERIFY(problems.at(0).at(0).toString().contains(QDir::toNativeSeparators(path)));
        QVERIFY(!store.isRecording());
        store.record(makeRun(text, 9000, 30, 1, 250));
        QCoreApplication::processEvents();
        QCOMPARE(problems.count(), 1);
        // What was written before stays.
        const auto runs = store.runs();
        QVERIFY(!runs.empty());
        QCOMPARE(runs.back().startedAt.toMSecsSinceEpoch(), qint64(1000));
    }

    void twoProgramsRecordAtOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("record.sqlite"));
        RecordStore first(path), second(path);
        QCOMPARE(first.open(), RecordStore::State::Ready);
        QCOMPARE(second.open(), RecordStore::State::Ready);
        const TextRef text = TextRef::builtIn(Lessons::Menu::ClassDoc, 3);
        for (int i = 0; i < 100; ++i) {
            first.record(makeRun(text, i, 30, 1, 250));
            second.record(makeRun(text, 1000 + i, 30, 1, 250));
        }
        QVERIFY(first.waitForWrites(30000));
        QVERIFY(second.waitForWrites(30000));
        QVERIFY(first.isRecording());
        QVERIFY(second.isRecording());
        QCOMPARE(countRuns(path), qint64(200));
        QCOMPARE(first.totalKeystrokes(), qint64(200 * (28 + 1 + 1 + 1)));
    }
};

QTEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
