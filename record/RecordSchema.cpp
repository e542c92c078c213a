#include "record/RecordSchema.h"

#include <QSqlQuery>
#include <QStringList>

namespace RecordSchema {

namespace {

// Version 1: the runs and their per-key figures.
const char *const kVersion1[] = {
    "CREATE TABLE texts("
    " id INTEGER PRIMARY KEY,"
    " identity TEXT NOT NULL UNIQUE,"
    " kind INTEGER NOT NULL, menu INTEGER, item INTEGER, caption TEXT,"
    " path TEXT, file_name TEXT, content_hash TEXT)",
    "CREATE TABLE runs("
    " id INTEGER PRIMARY KEY,"
    " text_id INTEGER NOT NULL REFERENCES texts(id),"
    " started_at INTEGER NOT NULL," // ms since 1970, UTC
    " speed_class INTEGER, layout INTEGER, completed INTEGER,"
    " elapsed_s INTEGER, elapsed_ms INTEGER,"
    " pos_count INTEGER, pos_typed INTEGER, right_count INTEGER, wrong_count INTEGER,"
    " speed REAL, accuracy REAL, figures_reported INTEGER)",
    "CREATE TABLE run_keys("
    " run_id INTEGER NOT NULL, key INTEGER NOT NULL,"
    " expected INTEGER, right_count INTEGER, wrong INTEGER, median_ms INTEGER,"
    " PRIMARY KEY(run_id, key)) WITHOUT ROWID",
    "CREATE TABLE run_confusions("
    " run_id INTEGER NOT NULL, expected_key INTEGER NOT NULL, typed_key INTEGER NOT NULL, count INTEGER,"
    " PRIMARY KEY(run_id, expected_key, typed_key)) WITHOUT ROWID",
};

// Version 2: running totals, so that the record window never reads every
// key row; filled from the runs already recorded. Older runs kept only each
// key's median, which stands for all of that key's right keystrokes.
const char *const kVersion2[] = {
    "CREATE INDEX runs_by_text ON runs(text_id, started_at)",
    "CREATE INDEX runs_by_start ON runs(started_at)",
    "CREATE TABLE key_totals("
    " key INTEGER PRIMARY KEY, expected INTEGER NOT NULL, right_count INTEGER NOT NULL,"
    " wrong INTEGER NOT NULL)",
    "CREATE TABLE key_times("
    " key INTEGER NOT NULL, bucket INTEGER NOT NULL, count INTEGER NOT NULL,"
    " PRIMARY KEY(key, bucket)) WITHOUT ROWID",
    "CREATE TABLE confusion_totals("
    " expected_key INTEGER NOT NULL, typed_key INTEGER NOT NULL, count INTEGER NOT NULL,"
    " PRIMARY KEY(expected_key, typed_key)) WITHOUT ROWID",
    "INSERT INTO key_totals"
    " SELECT key, SUM(expected), SUM(right_count), SUM(wrong) FROM run_keys GROUP BY key",
    "INSERT INTO key_times"
    " SELECT key, CASE WHEN median_ms < 1000 THEN median_ms / 10"
    "                  WHEN median_ms < 5000 THEN 100 + (median_ms - 1000) / 50"
    "                  ELSE MIN(180 + (median_ms - 5000) / 500, 200) END AS b,"
    "        SUM(right_count)"
    " FROM run_keys WHERE median_ms >= 0 AND right_count > 0 GROUP BY key, b",
    "INSERT INTO confusion_totals"
    " SELECT expected_key, typed_key, SUM(count) FROM run_confusions GROUP BY expected_key, typed_key",
};

QSqlError run(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        return q.lastError();
    return QSqlError();
}

int userVersion(QSqlDatabase &db, QSqlError *error)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next()) {
        *error = q.lastError();
        return -1;
    }
    return q.value(0).toInt();
}

} // namespace

QSqlError createVersion(QSqlDatabase &db, int version)
{
    auto apply = [&db](const auto &steps) {
        for (const char *sql : steps) {
            if (QSqlError e = run(db, QString::fromUtf8(sql)); e.isValid())
                return e;
        }
        return QSqlError();
    };
    QSqlError e = version == 1 ? apply(kVersion1) : version == 2 ? apply(kVersion2) : QSqlError();
    if (!e.isValid())
        e = run(db, QStringLiteral("PRAGMA user_version = %1").arg(version));
    return e;
}

QSqlError migrate(QSqlDatabase &db)
{
    QSqlError error;
    int version = userVersion(db, &error);
    if (error.isValid())
        return error;
    if (version == kVersion)
        return QSqlError();
    if (version < kVersion) {
        // Another program may be migrating the same file: take the write
        // lock, then look again.
        if (error = run(db, QStringLiteral("BEGIN IMMEDIATE")); error.isValid())
            return error;
        version = userVersion(db, &error);
        while (!error.isValid() && version < kVersion)
            error = createVersion(db, ++version);
        if (!error.isValid())
            error = run(db, QStringLiteral("COMMIT"));
        if (error.isValid())
            run(db, QStringLiteral("ROLLBACK"));
        if (error.isValid() || version <= kVersion)
            return error;
    }
    return QSqlError(QStringLiteral("newer record"), QStringLiteral("the record was written by a newer program"),
                     QSqlError::UnknownError, QString::number(kNewerSchema));
}

int timeBucket(qint32 ms)
{
    if (ms < 0)
        return 0;
    if (ms < 1000)
        return ms / 10;
    if (ms < 5000)
        return 100 + (ms - 1000) / 50;
    return std::min(180 + (ms - 5000) / 500, 200);
}

qint32 bucketMiddle(int bucket)
{
    if (bucket < 100)
        return bucket * 10 + 5;
    if (bucket < 180)
        return 1000 + (bucket - 100) * 50 + 25;
    if (bucket < 200)
        return 5000 + (bucket - 180) * 500 + 250;
    return 15000;
}

qint32 medianOfBuckets(const std::vector<std::pair<int, qint64>> &buckets)
{
    qint64 total = 0;
    for (const auto &b : buckets)
        total += b.second;
    if (total <= 0)
        return -1;
    const qint64 target = (total - 1) / 2; // the lower median's index
    qint64 seen = 0;
    for (const auto &[bucket, count] : buckets) {
        seen += count;
        if (seen > target)
            return bucketMiddle(bucket);
    }
    return bucketMiddle(buckets.back().first);
}

} // namespace RecordSchema
