#include "record/RecordStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSaveFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QWaitCondition>
#include <atomic>
#include <deque>
#include <functional>
#include <map>

#include "record/RecordSchema.h"
#include "run/RunReport.h"

namespace {

std::atomic<int> g_connectionSerial{0};

QString newConnectionName(const char *role)
{
    return QStringLiteral("quillory-record-%1-%2").arg(QLatin1String(role)).arg(++g_connectionSerial);
}

// SQLite's primary result codes that matter here.
enum SqliteCode { Perm = 3, Busy = 5, ReadOnly = 8, IoErr = 10, Corrupt = 11, Full = 13, CantOpen = 14,
                  NotADb = 26 };

int codeOf(const QSqlError &e)
{
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok);
    if (!ok)
        return -1;
    return code < 0 ? code : (code & 0xff);
}

bool isCorruption(int code)
{
    return code == Corrupt || code == NotADb;
}

// Why the record cannot be written, for the learner; SQLite's own words in
// brackets for whoever looks further.
QString reasonOf(const QSqlError &e)
{
    const QString detail = QStringLiteral("（%1）").arg(e.databaseText().isEmpty() ? e.text() : e.databaseText());
    switch (codeOf(e)) {
    case Full:
        return QStringLiteral("磁碟已滿");
    case Perm:
    case ReadOnly:
    case CantOpen:
        return QStringLiteral("資料夾或檔案不能寫入") + detail;
    case IoErr:
        return QStringLiteral("讀寫磁碟時發生錯誤") + detail;
    default:
        return e.text();
    }
}

// Configures a fresh connection: waits for another writer's lock rather
// than failing, and writes through the WAL.
bool configure(QSqlDatabase &db, QSqlError *error)
{
    QSqlQuery q(db);
    for (const char *pragma : {"PRAGMA busy_timeout = 5000", "PRAGMA journal_mode = WAL",
                               "PRAGMA synchronous = NORMAL"}) {
        if (!q.exec(QLatin1String(pragma))) {
            *error = q.lastError();
            return false;
        }
    }
    return true;
}

QString localTime(const QDateTime &t)
{
    return t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString csvField(const QString &s)
{
    if (!s.contains(QLatin1Char(',')) && !s.contains(QLatin1Char('"')) && !s.contains(QLatin1Char('\n'))
        && !s.contains(QLatin1Char('\r')))
        return s;
    QString q = s;
    q.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

QVariant optionalValue(const std::optional<double> &v)
{
    return v ? QVariant(*v) : QVariant(QMetaType::fromType<double>());
}

std::optional<double> optionalOf(const QVariant &v)
{
    if (v.isNull())
        return std::nullopt;
    return v.toDouble();
}

TextRef textOf(const QSqlQuery &q, int first)
{
    TextRef t;
    t.kind = static_cast<TextRef::Kind>(q.value(first).toInt());
    t.menu = static_cast<Lessons::Menu>(q.value(first + 1).toInt());
    t.index = static_cast<qint16>(q.value(first + 2).toInt());
    t.caption = q.value(first + 3).toString();
    t.path = q.value(first + 4).toString();
    t.fileName = q.value(first + 5).toString();
    t.contentHash = q.value(first + 6).toString();
    return t;
}

// Runs statements with bound values, stopping at the first error.
class Batch {
public:
    explicit Batch(QSqlDatabase &db) : m_db(db) {}

    QSqlQuery &prepare(const QString &sql)
    {
        auto it = m_queries.find(sql);
        if (it == m_queries.end()) {
            it = m_queries.emplace(sql, QSqlQuery(m_db)).first;
            if (!it->second.prepare(sql) && !m_error.isValid())
                m_error = it->second.lastError();
        }
        return it->second;
    }

    bool exec(const QString &sql, const QVariantList &values)
    {
        if (m_error.isValid())
            return false;
        QSqlQuery &q = prepare(sql);
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values[i]);
        if (!q.exec()) {
            m_error = q.lastError();
            return false;
        }
        return true;
    }

    // Rows of `width` values each (flattened), inserted many to a statement:
    // pattern has %1 where the rows' "(?, …)" groups go. Statements of 64,
    // 32, … 1 rows, so that few of them are prepared.
    bool execRows(const QString &pattern, int width, const QVariantList &values)
    {
        const int rows = static_cast<int>(values.size()) / width;
        for (int from = 0, n = 64; from < rows && !m_error.isValid(); from += n) {
            while (n > rows - from)
                n /= 2;
            QString group = QStringLiteral("(?") + QStringLiteral(", ?").repeated(width - 1) + QLatin1Char(')');
            QStringList groups(n, group);
            QSqlQuery &q = prepare(pattern.arg(groups.join(QStringLiteral(", "))));
            for (int i = 0; i < n * width; ++i)
                q.bindValue(i, values[from * width + i]);
            if (!q.exec())
                m_error = q.lastError();
        }
        return !m_error.isValid();
    }

    QSqlQuery &last(const QString &sql) { return prepare(sql); }
    QSqlError error() const { return m_error; }
    // Forgets the error of an earlier transaction.
    void begin() { m_error = QSqlError(); }

private:
    QSqlDatabase &m_db;
    std::map<QString, QSqlQuery> m_queries;
    QSqlError m_error;
};

QSqlError execPlain(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        return q.lastError();
    return QSqlError();
}

} // namespace

// --- The writer thread -------------------------------------------------------

// Owns the writing connection; runs queued tasks one after the other. A task
// returns the error that stopped it, or an invalid QSqlError.
class RecordWriter : public QThread {
public:
    static constexpr int kCheckpointAfterMs = 1500;

    using Task = std::function<QSqlError(QSqlDatabase &, Batch &)>;

    RecordWriter(RecordStore *store, QString path, std::deque<Task> pending = {})
        : m_store(store), m_path(std::move(path)), m_queue(std::move(pending))
    {
    }

    // Writes what is queued (unless writing failed), then stops.
    ~RecordWriter() override
    {
        {
            QMutexLocker lock(&m_mutex);
            m_stop = true;
            m_wake.wakeAll();
        }
        wait();
    }

    // Queues a task; false if writing has failed for good.
    bool post(Task task)
    {
        QMutexLocker lock(&m_mutex);
        if (m_failed && !m_corrupt)
            return false;
        m_queue.push_back(std::move(task));
        m_wake.wakeAll();
        return true;
    }

    bool waitIdle(int msecs)
    {
        QMutexLocker lock(&m_mutex);
        QDeadlineTimer deadline(msecs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(msecs));
        while ((!m_queue.empty() && !m_failed) || m_busy) {
            if (!m_idle.wait(&m_mutex, deadline))
                return false;
        }
        return true;
    }

    // Writing failed for a reason other than a bad file.
    bool failed() const
    {
        QMutexLocker lock(&m_mutex);
        return m_failed && !m_corrupt;
    }

    // After the file was found bad: what is still to write, the task that
    // met the damage first.
    std::deque<Task> takePending()
    {
        QMutexLocker lock(&m_mutex);
        return std::exchange(m_queue, {});
    }

protected:
    void run() override
    {
        const QString name = newConnectionName("write");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(m_path);
            QSqlError error;
            if (!db.open())
                error = db.lastError();
            else
                configure(db, &error);
            if (error.isValid())
                fail(error);
            {
                Batch batch(db); // statements prepared once, used for every run
                loop(db, batch);
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
        QMutexLocker lock(&m_mutex);
        m_idle.wakeAll();
    }

private:
    void loop(QSqlDatabase &db, Batch &batch)
    {
        // Commits only append to the write-ahead log; copying it into the
        // database (a checkpoint, which waits for the disk) is left for a
        // moment without writes, so that no run waits for it. Past 10000
        // pages (40 MiB, some 300 runs without a pause) SQLite copies at a
        // commit all the same.
        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_autocheckpoint = 10000"));
        bool logged = false; // commits not yet copied into the database
        for (;;) {
            Task task;
            {
                QMutexLocker lock(&m_mutex);
                while ((m_queue.empty() || m_failed) && !m_stop) {
                    m_idle.wakeAll();
                    if (logged && !m_failed) {
                        if (m_wake.wait(&m_mutex, QDeadlineTimer(kCheckpointAfterMs)))
                            continue;
                        if (!m_queue.empty() || m_stop)
                            continue;
                        lock.unlock();
                        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
                        lock.relock();
                        logged = false;
                    } else {
                        m_wake.wait(&m_mutex);
                    }
                }
                if (m_queue.empty() || m_failed)
                    return;
                task = std::move(m_queue.front());
                m_queue.pop_front();
                m_busy = true;
            }
            // Another program holding the lock past the busy timeout: try again.
            QSqlError e;
            for (int tries = 0; tries < 3; ++tries) {
                e = task(db, batch);
                if (codeOf(e) != Busy)
                    break;
            }
            logged = true;
            {
                QMutexLocker lock(&m_mutex);
                m_busy = false;
                if (isCorruption(codeOf(e)))
                    m_queue.push_front(std::move(task));
            }
            if (e.isValid())
                fail(e);
        }
    }

    void fail(const QSqlError &e)
    {
        const int code = codeOf(e);
        {
            QMutexLocker lock(&m_mutex);
            if (m_failed)
                return;
            m_failed = true;
            m_corrupt = isCorruption(code);
            if (!m_corrupt)
                m_queue.clear();
            m_idle.wakeAll();
        }
        if (isCorruption(code)) {
            QMetaObject::invokeMethod(m_store, &RecordStore::recoverFromDamage, Qt::QueuedConnection);
            return;
        }
        QMetaObject::invokeMethod(m_store, [store = m_store, reason = reasonOf(e)] {
            store->writerFailed(reason);
        }, Qt::QueuedConnection);
    }

    RecordStore *m_store;
    QString m_path;
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    QWaitCondition m_idle;
    std::deque<Task> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    bool m_failed = false;
    bool m_corrupt = false;
};

// --- Writing one run ---------------------------------------------------------

namespace {

QSqlError writeRun(QSqlDatabase &db, Batch &b, const RecordedRun &r)
{
    if (QSqlError e = execPlain(db, QStringLiteral("BEGIN IMMEDIATE")); e.isValid())
        return e;
    b.begin();
    const RunSummary &s = r.run;
    const TextRef &t = s.text;
    const QString textSql = QStringLiteral(
        "INSERT INTO texts(identity, kind, menu, item, caption, path, file_name, content_hash) "
        "VALUES(?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT(identity) DO UPDATE SET caption = excluded.caption "
        "RETURNING id");
    qint64 textId = 0;
    if (b.exec(textSql, {t.identityKey(), int(t.kind), int(t.menu), int(t.index), t.caption, t.path,
                         t.fileName, t.contentHash})) {
        QSqlQuery &q = b.last(textSql);
        if (q.next())
            textId = q.value(0).toLongLong();
        q.finish();
    }
    const QString runSql = QStringLiteral(
        "INSERT INTO runs(text_id, started_at, speed_class, layout, completed, elapsed_s, elapsed_ms, "
        "pos_count, pos_typed, right_count, wrong_count, speed, accuracy, figures_reported) "
        "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    qint64 runId = 0;
    if (b.exec(runSql, {textId, s.startedAt.toMSecsSinceEpoch(), int(s.speedClass), int(s.layout),
                        int(s.completed), s.elapsedSeconds, s.elapsedMs, s.posCount, s.posTyped,
                        s.rightCount, s.wrongCount, optionalValue(s.speed), optionalValue(s.accuracy),
                        int(s.figuresReported)}))
        runId = b.last(runSql).lastInsertId().toLongLong();

    QVariantList keyRows, totalRows, timeRows, confusionRows, confusionTotalRows;
    std::map<std::pair<int, int>, qint64> buckets; // (key, bucket) → keystrokes
    for (const KeyStat &k : r.keys) {
        keyRows << runId << int(k.key) << k.expected << k.right << k.wrong
                << (k.medianMs >= 0 ? QVariant(k.medianMs) : QVariant(QMetaType::fromType<int>()));
        totalRows << int(k.key) << k.expected << k.right << k.wrong;
        for (qint32 ms : k.timesMs)
            ++buckets[{k.key, RecordSchema::timeBucket(ms)}];
    }
    for (const auto &[kb, n] : buckets)
        timeRows << kb.first << kb.second << n;
    for (const Confusion &c : r.confusions) {
        confusionRows << runId << int(c.expected) << int(c.typed) << c.count;
        confusionTotalRows << int(c.expected) << int(c.typed) << c.count;
    }
    b.execRows(QStringLiteral("INSERT INTO run_keys(run_id, key, expected, right_count, wrong, median_ms) "
                              "VALUES %1"), 6, keyRows);
    b.execRows(QStringLiteral("INSERT INTO key_totals(key, expected, right_count, wrong) VALUES %1 "
                              "ON CONFLICT(key) DO UPDATE SET expected = expected + excluded.expected, "
                              "right_count = right_count + excluded.right_count, wrong = wrong + excluded.wrong"),
               4, totalRows);
    b.execRows(QStringLiteral("INSERT INTO key_times(key, bucket, count) VALUES %1 "
                              "ON CONFLICT(key, bucket) DO UPDATE SET count = count + excluded.count"),
               3, timeRows);
    b.execRows(QStringLiteral("INSERT INTO run_confusions(run_id, expected_key, typed_key, count) VALUES %1"), 4,
               confusionRows);
    b.execRows(QStringLiteral("INSERT INTO confusion_totals(expected_key, typed_key, count) VALUES %1 "
                              "ON CONFLICT(expected_key, typed_key) DO UPDATE SET count = count + excluded.count"),
               3, confusionTotalRows);
    if (b.error().isValid()) {
        execPlain(db, QStringLiteral("ROLLBACK"));
        return b.error();
    }
    if (QSqlError e = execPlain(db, QStringLiteral("COMMIT")); e.isValid()) {
        execPlain(db, QStringLiteral("ROLLBACK"));
        return e;
    }
    return QSqlError();
}

} // namespace

// --- The store ---------------------------------------------------------------

QString RecordStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
           + QStringLiteral("/record.sqlite");
}

RecordStore::RecordStore(const QString &path, QObject *parent) : QObject(parent), m_path(path) {}

RecordStore::~RecordStore()
{
    m_writer.reset(); // writes what is queued, then stops
    if (!m_readConnection.isEmpty()) {
        QSqlDatabase::database(m_readConnection, false).close();
        QSqlDatabase::removeDatabase(m_readConnection);
    }
}

bool RecordStore::isRecording() const
{
    return (m_state == State::Ready || m_state == State::Recovered) && m_writer && !m_writer->failed();
}

namespace {

struct OpenAttempt {
    bool ok = false;
    int code = -1;
    QString text;
};

OpenAttempt openAndMigrate(const QString &connection, const QString &path)
{
    OpenAttempt a;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(path);
    QSqlError error;
    if (!db.open())
        error = db.lastError();
    else if (configure(db, &error))
        error = RecordSchema::migrate(db);
    if (error.isValid()) {
        a.code = codeOf(error);
        a.text = reasonOf(error);
        db.close();
        return a;
    }
    a.ok = true;
    return a;
}

void dropConnection(const QString &connection)
{
    {
        QSqlDatabase db = QSqlDatabase::database(connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace

RecordStore::State RecordStore::disable(const QString &reason)
{
    m_state = State::Disabled;
    m_beforeOpen.clear();
    m_message = QStringLiteral("無法寫入學習紀錄檔 %1：%2\n可以照常練習，但這次執行的練習不會記錄。")
                    .arg(QDir::toNativeSeparators(m_path), reason);
    if (!m_readConnection.isEmpty()) {
        dropConnection(m_readConnection);
        m_readConnection.clear();
    }
    return m_state;
}

bool RecordStore::startAfresh()
{
    // Keep the bad file under a dated name beside the new one.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = m_path + QStringLiteral(".bad-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = m_path + QStringLiteral(".bad-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(m_path, aside)) {
        disable(QStringLiteral("紀錄檔已損壞，也無法改名保存"));
        return false;
    }
    // The journal of a bad file must not be applied to the new one.
    if (QFileInfo::exists(m_path + QStringLiteral("-wal")))
        QFile::rename(m_path + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(m_path + QStringLiteral("-shm"));
    m_movedAside = aside;
    const OpenAttempt a = openAndMigrate(m_readConnection, m_path);
    if (!a.ok) {
        disable(a.text);
        return false;
    }
    m_state = State::Recovered;
    m_message = QStringLiteral("學習紀錄檔 %1 已損壞，無法讀取。\n原來的檔案已改名為 %2 保留，"
                               "並已建立新的學習紀錄檔。")
                    .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(aside));
    return true;
}

RecordStore::State RecordStore::open()
{
    if (m_state != State::Closed)
        return m_state;
    m_messageGiven = true; // open() returns its message
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return disable(QStringLiteral("找不到 Qt 的 SQLite 資料庫驅動程式（Debian 套件 libqt6sql6-sqlite）"));
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder))
        return disable(QStringLiteral("無法建立資料夾 %1").arg(QDir::toNativeSeparators(folder)));

    m_readConnection = newConnectionName("read");
    const OpenAttempt a = openAndMigrate(m_readConnection, m_path);
    if (!a.ok) {
        dropConnection(m_readConnection);
        const bool unreadable = QFileInfo::exists(m_path) && !QFileInfo(m_path).isReadable();
        if (a.code == RecordSchema::kNewerSchema)
            return disable(QStringLiteral("這個紀錄檔是較新版本的程式建立的"));
        if (!isCorruption(a.code) && !unreadable)
            return disable(a.text);
        if (!startAfresh())
            return m_state;
    } else {
        m_state = State::Ready;
        m_messageGiven = false;
    }
    m_writer = std::make_unique<RecordWriter>(this, m_path);
    m_writer->start();
    for (RecordedRun &run : std::exchange(m_beforeOpen, {}))
        record(std::move(run));
    return m_state;
}

void RecordStore::recoverFromDamage()
{
    m_recoveryQueued = false;
    if (!m_writer || m_state == State::Disabled)
        return;
    std::deque<RecordWriter::Task> pending = m_writer->takePending();
    m_writer.reset();
    dropConnection(m_readConnection);
    const bool fresh = startAfresh();
    if (fresh) {
        // What was still to be written goes into the new file.
        m_writer = std::make_unique<RecordWriter>(this, m_path, std::move(pending));
        m_writer->start();
    }
    if (!m_messageGiven) {
        m_messageGiven = true;
        emit problem(m_message);
    }
}

void RecordStore::noteReadError(const QSqlQuery &q)
{
    if (isCorruption(codeOf(q.lastError())) && !m_recoveryQueued) {
        m_recoveryQueued = true;
        QMetaObject::invokeMethod(this, &RecordStore::recoverFromDamage, Qt::QueuedConnection);
    }
}

void RecordStore::writerFailed(const QString &reason)
{
    if (m_messageGiven)
        return;
    m_messageGiven = true;
    m_message = QStringLiteral("無法寫入學習紀錄檔 %1：%2\n可以照常練習，但之後的練習不會記錄。")
                    .arg(QDir::toNativeSeparators(m_path), reason);
    emit problem(m_message);
}

void RecordStore::record(RecordedRun run)
{
    if (m_state == State::Closed) {
        m_beforeOpen.push_back(std::move(run));
        return;
    }
    if (!isRecording())
        return;
    m_writer->post([run = std::move(run)](QSqlDatabase &db, Batch &batch) {
        return writeRun(db, batch, run);
    });
}

bool RecordStore::waitForWrites(int msecs)
{
    return !m_writer || m_writer->waitIdle(msecs);
}

bool RecordStore::readable()
{
    if (m_readConnection.isEmpty())
        return false;
    waitForWrites();
    return true;
}

std::vector<RunSummary> RecordStore::runs(const RunFilter &filter)
{
    if (filter.textId)
        return queryRuns(QStringLiteral("WHERE text_id = ?"), filter.textId);
    return queryRuns(QString(), QVariant());
}

std::vector<RunSummary> RecordStore::queryRuns(const QString &where, const QVariant &value)
{
    std::vector<RunSummary> out;
    if (!readable())
        return out;
    QSqlDatabase db = QSqlDatabase::database(m_readConnection, false);
    std::map<qint64, TextRef> texts;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("SELECT id, kind, menu, item, caption, path, file_name, content_hash FROM texts"));
        while (q.next())
            texts.emplace(q.value(0).toLongLong(), textOf(q, 1));
        noteReadError(q);
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, text_id, started_at, speed_class, layout, completed, elapsed_s, "
                             "elapsed_ms, pos_count, pos_typed, right_count, wrong_count, speed, accuracy, "
                             "figures_reported FROM runs %1 ORDER BY started_at DESC, id DESC")
                  .arg(where));
    if (value.isValid())
        q.addBindValue(value);
    q.exec();
    while (q.next()) {
        RunSummary s;
        s.id = q.value(0).toLongLong();
        s.textId = q.value(1).toLongLong();
        s.startedAt = QDateTime::fromMSecsSinceEpoch(q.value(2).toLongLong(), Qt::UTC);
        if (auto it = texts.find(s.textId); it != texts.end())
            s.text = it->second;
        s.speedClass = static_cast<qint16>(q.value(3).toInt());
        s.layout = static_cast<qint16>(q.value(4).toInt());
        s.completed = q.value(5).toBool();
        s.elapsedSeconds = q.value(6).toInt();
        s.elapsedMs = q.value(7).toLongLong();
        s.posCount = q.value(8).toInt();
        s.posTyped = q.value(9).toInt();
        s.rightCount = q.value(10).toInt();
        s.wrongCount = q.value(11).toInt();
        s.speed = optionalOf(q.value(12));
        s.accuracy = optionalOf(q.value(13));
        s.figuresReported = q.value(14).toBool();
        out.push_back(std::move(s));
    }
    noteReadError(q);
    return out;
}

std::vector<RunPoint> RecordStore::series(const RunFilter &filter)
{
    std::vector<RunPoint> out;
    if (!readable())
        return out;
    QSqlQuery q(QSqlDatabase::database(m_readConnection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, text_id, started_at, speed, accuracy, completed FROM runs %1 "
                             "ORDER BY started_at, id")
                  .arg(filter.textId ? QStringLiteral("WHERE text_id = ?") : QString()));
    if (filter.textId)
        q.addBindValue(filter.textId);
    q.exec();
    while (q.next()) {
        RunPoint p;
        p.runId = q.value(0).toLongLong();
        p.textId = q.value(1).toLongLong();
        p.startedAt = QDateTime::fromMSecsSinceEpoch(q.value(2).toLongLong(), Qt::UTC);
        p.speed = optionalOf(q.value(3));
        p.accuracy = optionalOf(q.value(4));
        p.completed = q.value(5).toBool();
        out.push_back(p);
    }
    noteReadError(q);
    return out;
}

std::vector<TextSummary> RecordStore::texts()
{
    std::vector<TextSummary> out;
    if (!readable())
        return out;
    QSqlQuery q(QSqlDatabase::database(m_readConnection, false));
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT t.id, t.kind, t.menu, t.item, t.caption, t.path, t.file_name, t.content_hash, "
                          "r.n, r.last FROM texts t JOIN (SELECT text_id, COUNT(*) AS n, MAX(started_at) AS last "
                          "FROM runs GROUP BY text_id) r ON r.text_id = t.id ORDER BY r.last DESC, t.id"));
    while (q.next()) {
        TextSummary s;
        s.id = q.value(0).toLongLong();
        s.text = textOf(q, 1);
        s.runs = q.value(8).toInt();
        s.lastRunAt = QDateTime::fromMSecsSinceEpoch(q.value(9).toLongLong(), Qt::UTC);
        out.push_back(std::move(s));
    }
    noteReadError(q);
    return out;
}

std::vector<KeyTotal> RecordStore::keyTotals()
{
    std::vector<KeyTotal> out;
    if (!readable())
        return out;
    QSqlDatabase db = QSqlDatabase::database(m_readConnection, false);
    std::map<int, std::vector<std::pair<int, qint64>>> times;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.exec(QStringLiteral("SELECT key, bucket, count FROM key_times ORDER BY key, bucket"));
        while (q.next())
            times[q.value(0).toInt()].emplace_back(q.value(1).toInt(), q.value(2).toLongLong());
        noteReadError(q);
    }
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT key, expected, right_count, wrong FROM key_totals ORDER BY key"));
    while (q.next()) {
        KeyTotal t;
        t.key = static_cast<KeyNumber>(q.value(0).toInt());
        t.expected = q.value(1).toLongLong();
        t.right = q.value(2).toLongLong();
        t.wrong = q.value(3).toLongLong();
        if (t.right + t.wrong > 0)
            t.errorRate = double(t.wrong) / double(t.right + t.wrong);
        if (auto it = times.find(t.key); it != times.end())
            t.medianMs = RecordSchema::medianOfBuckets(it->second);
        out.push_back(t);
    }
    noteReadError(q);
    return out;
}

std::vector<KeyTotal> RecordStore::weakestKeys(int n, qint64 minExpected)
{
    return WeakestKeys(keyTotals(), n, minExpected);
}

std::vector<Confusion> RecordStore::topConfusions(int n)
{
    std::vector<Confusion> out;
    if (!readable())
        return out;
    QSqlQuery q(QSqlDatabase::database(m_readConnection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT expected_key, typed_key, count FROM confusion_totals "
                             "ORDER BY count DESC, expected_key, typed_key LIMIT ?"));
    q.addBindValue(n);
    q.exec();
    while (q.next())
        out.push_back({static_cast<KeyNumber>(q.value(0).toInt()), static_cast<KeyNumber>(q.value(1).toInt()),
                       q.value(2).toLongLong()});
    noteReadError(q);
    return out;
}

qint64 RecordStore::totalKeystrokes()
{
    if (!readable())
        return 0;
    QSqlQuery q(QSqlDatabase::database(m_readConnection, false));
    if (q.exec(QStringLiteral("SELECT TOTAL(right_count + wrong) FROM key_totals")) && q.next())
        return static_cast<qint64>(q.value(0).toDouble());
    noteReadError(q);
    return 0;
}

RecordedRun RecordStore::runDetails(qint64 runId)
{
    RecordedRun r;
    if (!readable())
        return r;
    if (std::vector<RunSummary> one = queryRuns(QStringLiteral("WHERE id = ?"), runId); !one.empty())
        r.run = std::move(one.front());
    QSqlDatabase db = QSqlDatabase::database(m_readConnection, false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT key, expected, right_count, wrong, median_ms FROM run_keys "
                             "WHERE run_id = ? ORDER BY key"));
    q.addBindValue(runId);
    q.exec();
    while (q.next()) {
        KeyStat k;
        k.key = static_cast<KeyNumber>(q.value(0).toInt());
        k.expected = q.value(1).toInt();
        k.right = q.value(2).toInt();
        k.wrong = q.value(3).toInt();
        k.medianMs = q.value(4).isNull() ? -1 : q.value(4).toInt();
        r.keys.push_back(std::move(k));
    }
    noteReadError(q);
    QSqlQuery c(db);
    c.setForwardOnly(true);
    c.prepare(QStringLiteral("SELECT expected_key, typed_key, count FROM run_confusions WHERE run_id = ? "
                             "ORDER BY expected_key, typed_key"));
    c.addBindValue(runId);
    c.exec();
    while (c.next())
        r.confusions.push_back({static_cast<KeyNumber>(c.value(0).toInt()),
                                static_cast<KeyNumber>(c.value(1).toInt()), c.value(2).toLongLong()});
    noteReadError(c);
    return r;
}

bool RecordStore::exportCsv(const QString &filePath, QString *error)
{
    QSaveFile f(filePath);
    if (!f.open(QIODevice::WriteOnly)) {
        if (error)
            *error = f.errorString();
        return false;
    }
    QString out;
    // A byte-order mark, so that spreadsheets read the file as UTF-8.
    out += QChar(0xFEFF);
    out += QStringLiteral("日期時間,文字,檔案路徑,等級,鍵盤,結果,時間(秒),位置數,已打位置,正確,錯誤,速度(鍵/秒),正確率\r\n");
    const std::vector<RunSummary> all = runs();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        const RunSummary &s = *it;
        const QStringList fields{
            localTime(s.startedAt),
            s.text.label(),
            s.text.path,
            SpeedClassCaption(s.speedClass),
            LayoutCaption(s.layout),
            s.completed ? QStringLiteral("打完") : QStringLiteral("中斷"),
            QString::number(s.elapsedSeconds),
            QString::number(s.posCount),
            QString::number(s.posTyped),
            QString::number(s.rightCount),
            QString::number(s.wrongCount),
            s.speed ? FormatSpeed(*s.speed) : QString(),
            s.accuracy ? FormatPercent(*s.accuracy) : QString(),
        };
        QStringList quoted;
        for (const QString &field : fields)
            quoted << csvField(field);
        out += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    f.write(out.toUtf8());
    if (!f.commit()) {
        if (error)
            *error = f.errorString();
        return false;
    }
    return true;
}

bool RecordStore::clear()
{
    if (!isRecording())
        return false;
    auto done = std::make_shared<std::atomic<bool>>(false);
    const bool queued = m_writer->post([done](QSqlDatabase &db, Batch &) {
        QSqlError e = execPlain(db, QStringLiteral("BEGIN IMMEDIATE"));
        for (const char *table : {"run_confusions", "run_keys", "runs", "texts", "key_totals", "key_times",
                                  "confusion_totals"}) {
            if (e.isValid())
                break;
            e = execPlain(db, QStringLiteral("DELETE FROM ") + QLatin1String(table));
        }
        if (!e.isValid())
            e = execPlain(db, QStringLiteral("COMMIT"));
        if (e.isValid()) {
            execPlain(db, QStringLiteral("ROLLBACK"));
            return e;
        }
        execPlain(db, QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        done->store(true);
        return QSqlError();
    });
    return queued && waitForWrites() && done->load();
}
