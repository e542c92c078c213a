// The record window at its working size: 10,000 runs and about one million
// per-key rows (61 keys and 39 confusions a run), filled through the store.
// Prints the time to open the window (read the record, lay out, first paint
// of the runs table and the chart), the memory it adds, and the time to redraw
// the heat map and the chart, beside the same figures for a record of 100
// runs measured in the same run. Times are wall-clock and CPU time of the
// process: on a busy machine the CPU time is what the work itself costs.
// Run it on the offscreen platform or under X; it asserts nothing.
//
// Usage: bench_record_window [FOLDER]  (the filled records are kept there
// and reused; a temporary folder otherwise)

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <vector>

#include "bench/RecordRuns.h"
#include "record/HeatMapView.h"
#include "record/RecordStore.h"
#include "record/RecordWindow.h"
#include "record/RunChart.h"

namespace {

using namespace recordbench;

// A record of n runs at path, filled once and reused.
bool ensureRecord(const QString &path, int n)
{
    RecordStore store(path);
    if (store.open() != RecordStore::State::Ready)
        return false;
    const qint64 have = qint64(store.runs().size());
    if (have >= n)
        return true;
    std::fprintf(stderr, "filling %s with %d runs…\n", qPrintable(path), n);
    const std::vector<KeyNumber> keys = allKeys();
    QRandomGenerator rng(n);
    qint64 clock = QDateTime(QDate(2025, 1, 1), QTime(8, 0), Qt::UTC).toMSecsSinceEpoch();
    for (qint64 i = have; i < n; ++i) {
        store.record(makeRun(rng, keys, clock));
        clock += 20 * 60 * 1000 + rng.bounded(3 * 3600 * 1000);
        if (i % 500 == 499)
            store.waitForWrites();
    }
    return store.waitForWrites();
}

// CPU time of the whole process (every thread), ms.
double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Wall-clock and CPU milliseconds of one step.
struct Time {
    double wall = 0, cpu = 0;
};

class Stopwatch {
public:
    Stopwatch() { restart(); }
    void restart()
    {
        m_wall.start();
        m_cpu = cpuMs();
    }
    Time elapsed() const { return {m_wall.nsecsElapsed() / 1e6, cpuMs() - m_cpu}; }

private:
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

Time median(const std::vector<Time> &v)
{
    auto mid = [&](double Time::*m) {
        std::vector<double> x;
        for (const Time &t : v)
            x.push_back(t.*m);
        std::sort(x.begin(), x.end());
        return x[x.size() / 2];
    };
    return {mid(&Time::wall), mid(&Time::cpu)};
}

struct Figures {
    Time open;          // the first window over this record
    Time reopen;        // median of later windows
    Time keysTab;       // the heat map's tab shown the first time
    double moreMiB = 0; // resident memory with the window open, above before it
    Time heat;          // heat map: every key recoloured and repainted
    Time chart;         // chart: new points, lines rebuilt and repainted
    Time chartResize;   // chart: resized and repainted
};

// Shows the window and returns when its first paint is done.
void showAndPaint(QWidget &w)
{
    w.show();
    QCoreApplication::processEvents();
    w.repaint();
}

Figures measure(const QString &path)
{
    Figures f;
    RecordStore store(path);
    store.open();
    malloc_trim(0);
    const long before = rssKiB();

    Stopwatch t;
    auto window = std::make_unique<RecordWindow>(store);
    window->reload();
    showAndPaint(*window);
    f.open = t.elapsed();

    t.restart();
    window->tabRecord->setCurrentIndex(1);
    QCoreApplication::processEvents();
    window->repaint();
    f.keysTab = t.elapsed();
    f.moreMiB = (rssKiB() - before) / 1024.0;

    std::vector<Time> heat, chart, resized;
    const std::vector<KeyTotal> totals = store.keyTotals();
    std::vector<KeyTotal> shifted = totals;
    for (KeyTotal &k : shifted)
        k.errorRate = std::min(1.0, k.errorRate * 1.5);
    for (int i = 0; i < 40; ++i) {
        t.restart();
        window->picHeatMap->setTotals(i % 2 ? totals : shifted);
        window->picHeatMap->repaint();
        heat.push_back(t.elapsed());
    }
    f.heat = median(heat);

    window->tabRecord->setCurrentIndex(0);
    QCoreApplication::processEvents();
    RunChart *c = window->picChart;
    const std::vector<RunPoint> points = c->points();
    for (int i = 0; i < 40; ++i) {
        t.restart();
        c->setPoints(points);
        c->repaint();
        chart.push_back(t.elapsed());
    }
    f.chart = median(chart);
    const QSize size = c->size();
    for (int i = 0; i < 40; ++i) {
        t.restart();
        c->resize(size + QSize(i % 2 ? 0 : 24, 0));
        c->repaint();
        resized.push_back(t.elapsed());
    }
    f.chartResize = median(resized);
    window.reset();

    std::vector<Time> reopen;
    for (int i = 0; i < 5; ++i) {
        t.restart();
        RecordWindow w(store);
        w.reload();
        showAndPaint(w);
        reopen.push_back(t.elapsed());
    }
    f.reopen = median(reopen);
    return f;
}

void row(const char *what, Time big, Time small, double target)
{
    std::printf("  %-44s %8.2f ms (CPU %7.2f)   100 runs: %7.2f ms (CPU %7.2f)", what, big.wall, big.cpu,
                small.wall, small.cpu);
    if (target > 0)
        std::printf("   target < %.0f ms: %s", target, std::min(big.wall, big.cpu) < target ? "met" : "MISSED");
    std::printf("\n");
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir temp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : temp.path();
    QDir().mkpath(folder);
    const QString big = QDir(folder).filePath(QStringLiteral("record-10000.sqlite"));
    const QString small = QDir(folder).filePath(QStringLiteral("record-100.sqlite"));
    if (!ensureRecord(big, 10'000) || !ensureRecord(small, 100)) {
        std::fprintf(stderr, "cannot fill the records in %s\n", qPrintable(folder));
        return 1;
    }

    // The first window of the process loads the fonts and the widgets'
    // styles; in the program the main window has done that already.
    {
        RecordStore store(QDir(temp.path()).filePath(QStringLiteral("empty.sqlite")));
        store.open();
        RecordWindow w(store);
        w.reload();
        showAndPaint(w);
        w.tabRecord->setCurrentIndex(1);
        QCoreApplication::processEvents();
        w.repaint();
    }

    const Figures s = measure(small);
    const Figures b = measure(big);
    std::printf("record window, 10,000 runs: 610,000 key rows and 390,000 confusion rows (offscreen; "
                "wall and process CPU time; redraws: medians of 40; a target is met when either is)\n");
    row("open: read, lay out, first paint", b.open, s.open, 200);
    row("open again (median of 5)", b.reopen, s.reopen, 0);
    row("heat map tab shown the first time", b.keysTab, s.keysTab, 0);
    row("heat map: every key recoloured, repainted", b.heat, s.heat, 16);
    row("chart: all runs set again, repainted", b.chart, s.chart, 16);
    row("chart: resized, repainted", b.chartResize, s.chartResize, 16);
    std::printf("  %-44s %8.2f MiB                100 runs: %7.2f MiB             target < 20 MiB: %s\n",
                "memory added by the open window", b.moreMiB, s.moreMiB, b.moreMiB < 20 ? "met" : "MISSED");
    return 0;
}
