#pragma once
// The learner's record on disk: an SQLite database (Qt SQL, QSQLITE) in the
// user's data folder, WAL mode, a versioned schema migrated on open.
//
// Writing: record() only queues the run; a worker thread with its own
// connection writes each run in one transaction, so no keystroke and no
// report waits for the disk. Two programs may record into one file at once
// (each write waits for the other's lock, up to a busy timeout).
//
// Reading: the queries run on the connection of the thread that called
// open() (the window's), return plain structs, and see every run queued
// before them (they wait for the queue first).
//
// A store is used from one thread (the window's); it is not shared.
//
// Errors never stop practice. A corrupt or unreadable file is moved aside
// (kept, its name dated) and a fresh one started; a folder that cannot be
// written (read-only, full) turns recording off. Either way one message is
// returned by open() or sent through problem(), at most once per store.

#include <QObject>
#include <QVariant>
#include <QString>
#include <memory>

#include "record/RecordedRun.h"

class QSqlQuery;
class RecordWriter;

class RecordStore : public QObject {
    Q_OBJECT
public:
    // The schema version this program writes (PRAGMA user_version).
    static constexpr int kSchemaVersion = 2;

    enum class State {
        Closed,    // open() not called yet
        Ready,     // recording
        Recovered, // the old file was bad: moved aside, recording into a fresh one
        Disabled,  // recording is off for this launch (see message())
    };

    // The database file: "record.sqlite" in QStandardPaths::AppDataLocation.
    static QString defaultPath();

    explicit RecordStore(const QString &path = defaultPath(), QObject *parent = nullptr);
    // Writes what is still queued, then closes.
    ~RecordStore() override;

    QString path() const { return m_path; }

    // Opens (creating the folder and file, migrating an older schema) and
    // starts the writer. Returns the state; for Recovered and Disabled,
    // message() says what happened, naming the file. Call once.
    State open();
    State state() const { return m_state; }
    bool isRecording() const;
    // The message of open() or of the first write that failed; empty if none.
    QString message() const { return m_message; }
    // Where a bad file was moved to by open() (Recovered), else empty.
    QString movedAsidePath() const { return m_movedAside; }

    // Queues a finished run; returns at once. Runs recorded before open()
    // are written once it has opened the file; ignored while not recording.
    void record(RecordedRun run);
    // Waits until every queued write is done (or msecs pass; -1: no limit).
    bool waitForWrites(int msecs = -1);

    // --- Queries for the record window ---------------------------------
    // Runs, newest first.
    std::vector<RunSummary> runs(const RunFilter &filter = {});
    // The chart's points, oldest first.
    std::vector<RunPoint> series(const RunFilter &filter = {});
    // Texts with runs, most recently practised first.
    std::vector<TextSummary> texts();
    // Every key that was ever needed or pressed, by key number.
    std::vector<KeyTotal> keyTotals();
    // WeakestKeys over keyTotals().
    std::vector<KeyTotal> weakestKeys(int n = 10, qint64 minExpected = 5);
    // The n most frequent confusions, most frequent first.
    std::vector<Confusion> topConfusions(int n = 10);
    // Judged keystrokes (right + wrong) in the whole record.
    qint64 totalKeystrokes();
    // One run's per-key figures and confusions (timesMs left empty).
    RecordedRun runDetails(qint64 runId);

    // Writes every run as CSV (UTF-8, header line, RFC 4180 quoting).
    // Returns false with error set when the file cannot be written.
    bool exportCsv(const QString &filePath, QString *error = nullptr);
    // Deletes every run and total. Returns false if the record could not be changed.
    bool clear();

signals:
    // Something went wrong after open(): a write failed (the disk filled up)
    // and recording is now off, or damage was found in the file, which was
    // then moved aside and a fresh one started (state() is Recovered). Sent
    // at most once per store, and never when open() already returned a message.
    void problem(const QString &message);

private:
    friend class RecordWriter;
    void writerFailed(const QString &message);
    void recoverFromDamage();
    void noteReadError(const QSqlQuery &query);
    State disable(const QString &reason);
    bool startAfresh();
    bool readable();
    std::vector<RunSummary> queryRuns(const QString &where, const QVariant &value);

    QString m_path;
    QString m_readConnection;
    QString m_message;
    QString m_movedAside;
    State m_state = State::Closed;
    bool m_messageGiven = false;
    bool m_recoveryQueued = false;
    std::unique_ptr<RecordWriter> m_writer;
    std::vector<RecordedRun> m_beforeOpen;
};
