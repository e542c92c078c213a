// The learner's record at its working size: a database of 10,000 runs and
// about one million per-key rows, filled through the store as the program
// fills it. Prints the time to record one more run (queued on the window's
// thread, written by the store's thread), the record window's queries, and
// the same figures for a record of 100 runs measured in the same run.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "bench/RecordRuns.h"
#include "record/RecordStore.h"
#include "record/RunRecorder.h"
#include "record/WeakKeyDrill.h"

namespace {

using namespace recordbench;

constexpr int kRuns = 10'000;
struct Spread {
    double p50, p90, p99, max;
};

Spread spread(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    auto at = [&](double q) { return v[std::min(v.size() - 1, static_cast<std::size_t>(q * v.size()))]; };
    return {at(0.5), at(0.9), at(0.99), v.back()};
}

// CPU time of the whole process (every thread), ms: what the work costs
// whatever else the machine is doing.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Recording {
    std::vector<double> queued;  // wall ms of record() on the caller's thread
    std::vector<double> written; // wall ms from record() until written
    std::vector<double> cpu;     // CPU ms of the process for the same span
};

// Records n runs one at a time, each waited for.
Recording timeRecording(RecordStore &store, QRandomGenerator &rng, const std::vector<KeyNumber> &keys, int n,
                        qint64 &clock)
{
    Recording rec;
    for (int i = 0; i < n; ++i) {
        RecordedRun r = makeRun(rng, keys, clock += 60'000);
        const double cpu = cpuMs();
        QElapsedTimer t;
        t.start();
        store.record(std::move(r));
        rec.queued.push_back(t.nsecsElapsed() / 1e6);
        store.waitForWrites();
        rec.written.push_back(t.nsecsElapsed() / 1e6);
        rec.cpu.push_back(cpuMs() - cpu);
    }
    return rec;
}

struct WindowFigures {
    double open = 0, runs = 0, series = 0, texts = 0, keys = 0, weakest = 0, confusions = 0, total = 0;
    double cpu = 0;
    long rssKiB = 0;
};

// What the record window reads when it opens, through a store of its own.
WindowFigures timeWindow(const QString &path)
{
    WindowFigures f;
    const long before = rssKiB();
    const double cpu = cpuMs();
    QElapsedTimer all;
    all.start();
    QElapsedTimer t;
    auto lap = [&t](double &into) {
        into = t.nsecsElapsed() / 1e6;
        t.restart();
    };
    t.start();
    RecordStore store(path);
    store.open();
    lap(f.open);
    const auto runs = store.runs();
    lap(f.runs);
    const auto series = store.series();
    lap(f.series);
    const auto texts = store.texts();
    lap(f.texts);
    const auto keys = store.keyTotals();
    lap(f.keys);
    const auto weakest = store.weakestKeys();
    lap(f.weakest);
    const auto confusions = store.topConfusions();
    lap(f.confusions);
    f.total = all.nsecsElapsed() / 1e6;
    f.cpu = cpuMs() - cpu;
    f.rssKiB = rssKiB() - before;
    if (runs.empty() || series.empty() || texts.empty() || keys.empty() || confusions.empty())
        std::printf("  (the queries found nothing: the figures are not valid)\n");
    return f;
}

WindowFigures medianWindow(const QString &path, int repeats)
{
    std::vector<WindowFigures> all;
    for (int i = 0; i < repeats; ++i)
        all.push_back(timeWindow(path));
    std::sort(all.begin(), all.end(), [](const auto &a, const auto &b) { return a.total < b.total; });
    WindowFigures m = all[all.size() / 2];
    m.rssKiB = all.front().rssKiB; // the first opening's growth
    for (const auto &w : all)
        m.rssKiB = std::max(m.rssKiB, w.rssKiB);
    return m;
}

qint64 count(const QString &path, const char *sql)
{
    qint64 n = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("count"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QString::fromLatin1(sql)) && q.next())
                n = q.value(0).toLongLong();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("count"));
    return n;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    auto load = [] {
        QFile f(QStringLiteral("/proc/loadavg"));
        return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(0) : QByteArray("?");
    };
    std::printf("load average at the start: %s (wall-clock figures wait for the CPU on a busy machine)\n",
                load().constData());
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small/record.sqlite"));
    const QString large = dir.filePath(QStringLiteral("large/record.sqlite"));
    const std::vector<KeyNumber> keys = allKeys();
    QRandomGenerator rng(12);
    qint64 clock = QDateTime(QDate(2025, 1, 1), QTime(8, 0), Qt::UTC).toMSecsSinceEpoch();

    // The baseline: a record of 100 runs.
    Recording smallRec;
    {
        RecordStore store(small);
        store.open();
        for (int i = 0; i < 100; ++i)
            store.record(makeRun(rng, keys, clock += 3'000'000));
        store.waitForWrites();
        smallRec = timeRecording(store, rng, keys, 300, clock);
    }

    // The working size.
    QElapsedTimer fill;
    fill.start();
    Recording largeRec;
    QElapsedTimer closing;
    {
        RecordStore store(large);
        store.open();
        for (int i = 0; i < kRuns; ++i)
            store.record(makeRun(rng, keys, clock += 3'000'000));
        store.waitForWrites();
        const double fillS = fill.nsecsElapsed() / 1e9;
        std::printf("filled: %d runs in %.1f s (%.2f ms a run, written one transaction each)\n", kRuns, fillS,
                    fillS * 1000 / kRuns);
        largeRec = timeRecording(store, rng, keys, 300, clock);
        closing.start();
    }
    const double closeMs = closing.nsecsElapsed() / 1e6;
    const qint64 runRows = count(large, "SELECT COUNT(*) FROM runs");
    const qint64 keyRows = count(large, "SELECT (SELECT COUNT(*) FROM run_keys) + (SELECT COUNT(*) FROM run_confusions)");
    std::printf("record: %lld runs, %lld key rows, %.1f MiB\n", static_cast<long long>(runRows),
                static_cast<long long>(keyRows), QFileInfo(large).size() / 1048576.0);

    const Spread sw = spread(smallRec.written), lw = spread(largeRec.written);
    const Spread sc = spread(smallRec.cpu), lc = spread(largeRec.cpu), lq = spread(largeRec.queued);
    std::printf("\nrecording one run, 300 runs               p50 ms   p90 ms   p99 ms   max ms\n");
    std::printf("  queued on the window's thread       %7.3f  %7.3f  %7.3f  %7.3f\n", lq.p50, lq.p90, lq.p99, lq.max);
    std::printf("  written (wall), record of 100 runs  %7.2f  %7.2f  %7.2f  %7.2f\n", sw.p50, sw.p90, sw.p99, sw.max);
    std::printf("  written (wall), 10,000 runs         %7.2f  %7.2f  %7.2f  %7.2f\n", lw.p50, lw.p90, lw.p99, lw.max);
    std::printf("  written (CPU), record of 100 runs   %7.2f  %7.2f  %7.2f  %7.2f\n", sc.p50, sc.p90, sc.p99, sc.max);
    std::printf("  written (CPU), 10,000 runs          %7.2f  %7.2f  %7.2f  %7.2f\n", lc.p50, lc.p90, lc.p99, lc.max);
    std::printf("  10,000 / 100 runs, p99 wall %.2fx, CPU %.2fx; target p99 < 5 ms at 10,000 runs: %s (wall), %s (CPU)\n",
                lw.p99 / sw.p99, lc.p99 / sc.p99, lw.p99 < 5 ? "met" : "missed", lc.p99 < 5 ? "met" : "missed");

    std::printf("  closing the store after them (copies their log into the database): %.1f ms\n", closeMs);

    const WindowFigures ws = medianWindow(small, 5), wl = medianWindow(large, 5);
    std::printf("\nrecord window's queries, median of 5   100 runs   10,000 runs\n");
    std::printf("  open the store                    %8.2f ms %8.2f ms\n", ws.open, wl.open);
    std::printf("  runs table (every run)            %8.2f ms %8.2f ms\n", ws.runs, wl.runs);
    std::printf("  chart series (every run)          %8.2f ms %8.2f ms\n", ws.series, wl.series);
    std::printf("  texts of the filter               %8.2f ms %8.2f ms\n", ws.texts, wl.texts);
    std::printf("  key totals (heat map)             %8.2f ms %8.2f ms\n", ws.keys, wl.keys);
    std::printf("  ten weakest keys                  %8.2f ms %8.2f ms\n", ws.weakest, wl.weakest);
    std::printf("  ten most frequent confusions      %8.2f ms %8.2f ms\n", ws.confusions, wl.confusions);
    std::printf("  all of them                       %8.2f ms %8.2f ms   target < 200 ms: %s\n", ws.total,
                wl.total, wl.total < 200 ? "met" : "missed");
    std::printf("  all of them, CPU                  %8.2f ms %8.2f ms\n", ws.cpu, wl.cpu);
    std::printf("  RSS growth, largest of 5          %8.1f MiB %7.1f MiB\n", ws.rssKiB / 1024.0, wl.rssKiB / 1024.0);

    {
        RecordStore store(large);
        store.open();
        const auto totals = store.keyTotals();
        QElapsedTimer t;
        t.start();
        const WeakKeyDrill d = MakeWeakKeyDrill(totals);
        const double first = t.nsecsElapsed() / 1e6;
        t.restart();
        (void)MakeWeakKeyDrill(totals);
        std::printf("\nweak-key drill: %.2f ms the first time (reads the built-in texts), %.2f ms after; "
                    "%lld tokens, keys %s\n",
                    first, t.nsecsElapsed() / 1e6, static_cast<long long>(d.table.size()),
                    qPrintable(d.keysCaption));
    }
    std::printf("load average at the end: %s\n", load().constData());
    return 0;
}
