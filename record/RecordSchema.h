#pragma once
// The record's tables and their versions (PRAGMA user_version), and the
// time buckets the per-key medians are kept in.

#include <QSqlDatabase>
#include <QSqlError>
#include <utility>
#include <vector>

namespace RecordSchema {

// The version this program writes. Each version's step turns the one before
// it into it; an empty file is version 0.
constexpr int kVersion = 2;

// The native error code migrate() gives a file of a newer version.
constexpr int kNewerSchema = -2;

// Brings the database to kVersion in one transaction; an invalid error when
// done. A file already at kVersion is only read.
QSqlError migrate(QSqlDatabase &db);

// Creates the tables of one version only (for a test's old file).
QSqlError createVersion(QSqlDatabase &db, int version);

// Time buckets of right keystrokes: 10 ms wide below one second, 50 ms to
// five seconds, 500 ms to fifteen, and one for everything slower.
int timeBucket(qint32 ms);
// The middle of a bucket, in ms.
qint32 bucketMiddle(int bucket);
// The median keystroke time of (bucket, count) pairs in bucket order: the
// middle of the bucket that holds the lower median; -1 for none.
qint32 medianOfBuckets(const std::vector<std::pair<int, qint64>> &buckets);

} // namespace RecordSchema
