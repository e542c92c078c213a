// Adding readings to 20,000 characters of modern Taiwan prose in 5,000 lines
// (the sentences of the annotator's test texts, repeated): in fresh
// processes, the first annotation with the tables' loading (cold), then
// annotations with the tables loaded (warm), and the memory the tables and
// the result hold. The baseline, measured in the same processes, is reading
// a practice file of the same characters (decoding and splitting its lines).
// It asserts nothing.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <vector>

#include "practice/TextDecoding.h"
#include "annotate/Annotator.h"
#include "practice/PracticeFile.h"

namespace {

constexpr int kRuns = 11;
constexpr int kLines = 5000;
constexpr int kChars = 20000;
constexpr char kChild[] = "QUILLORY_BENCH_ANNOTATE_CHILD";

// Resident memory in KiB: total, anonymous, file-backed.
std::map<QString, long> rss()
{
    std::map<QString, long> out;
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return out;
    for (const QByteArray &line : f.readAll().split('\n')) {
        for (const char *key : {"VmRSS", "RssAnon", "RssFile"}) {
            if (line.startsWith(key))
                out[QString::fromLatin1(key)] = line.mid(line.indexOf(':') + 1).trimmed().split(' ')[0].toLong();
        }
    }
    return out;
}

// The text: the test sentences' characters, in lines of four.
QString benchText()
{
    QString chars;
    const QDir dir(QStringLiteral(QUILLORY_SOURCE_DIR "/tests/data/gold"));
    for (const QString &name : dir.entryList({QStringLiteral("*.txt")})) {
        const PracticeFileResult r = ReadPracticeFile(dir.filePath(name));
        for (const QString &c : r.table.chars)
            if (c != u"\u3000")
                chars += c;
    }
    QString text;
    if (chars.isEmpty())
        return text;
    for (int i = 0; i < kChars; ++i) {
        text += chars[i % chars.size()];
        if (i % (kChars / kLines) == kChars / kLines - 1)
            text += QLatin1Char('\n');
    }
    return text;
}

// This thread's processor time in ms: what the work costs when the machine,
// shared with others, does not give the process a whole core.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int child()
{
    const QString text = benchText();
    if (text.isEmpty())
        return 1;
    // The baseline: the same characters as a practice file, read.
    const QByteArray practice = [&] {
        QString t;
        for (QChar c : text)
            if (c != u'\n')
                t += c + QStringLiteral("ㄇㄚˇ\n");
        return t.toUtf8();
    }();
    QElapsedTimer timer;
    timer.start();
    double cpu = cpuMs();
    TokenTable table;
    TokensFromLines(DecodeTextFile(practice).text, table);
    std::printf("baseline\t%.3f\n", timer.nsecsElapsed() / 1e6);
    std::printf("baseline cpu\t%.3f\n", cpuMs() - cpu);

    const auto before = rss();
    annotate::Annotator annotator;
    timer.restart();
    cpu = cpuMs();
    QString error;
    if (!annotator.load(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    std::printf("load\t%.3f\n", timer.nsecsElapsed() / 1e6);
    std::printf("load cpu\t%.3f\n", cpuMs() - cpu);
    annotate::Annotation a = annotator.annotate(text);
    std::printf("cold\t%.3f\n", timer.nsecsElapsed() / 1e6);
    std::printf("cold cpu\t%.3f\n", cpuMs() - cpu);
    const auto loaded = rss();
    for (int i = 0; i < 5; ++i) {
        timer.restart();
        cpu = cpuMs();
        a = annotator.annotate(text);
        std::printf("warm\t%.3f\n", timer.nsecsElapsed() / 1e6);
        std::printf("warm cpu\t%.3f\n", cpuMs() - cpu);
    }
    const auto after = rss();
    std::printf("rss\t%ld\n", after.at(QStringLiteral("VmRSS")) - before.at(QStringLiteral("VmRSS")));
    std::printf("anon\t%ld\n", after.at(QStringLiteral("RssAnon")) - before.at(QStringLiteral("RssAnon")));
    std::printf("file\t%ld\n", after.at(QStringLiteral("RssFile")) - before.at(QStringLiteral("RssFile")));
    std::printf("tables\t%ld\n", loaded.at(QStringLiteral("VmRSS")) - before.at(QStringLiteral("VmRSS")));
    std::printf("items\t%lld\n", static_cast<long long>(a.itemCount()));
    return 0;
}

double medianOf(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!qEnvironmentVariableIsEmpty(kChild))
        return child();
    std::map<QString, std::vector<double>> ms;
    for (int i = 0; i < kRuns; ++i) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChild), QStringLiteral("1"));
        p.setProcessEnvironment(env);
        p.start(QCoreApplication::applicationFilePath(), {});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) {
            std::fprintf(stderr, "bench_annotate: %s", p.readAllStandardError().constData());
            return 1;
        }
        for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() == 2)
                ms[QString::fromUtf8(f[0])].push_back(f[1].toDouble());
        }
    }
    auto median = [&](const char *key) { return medianOf(ms[QString::fromLatin1(key)]); };
    const double base = median("baseline"), baseCpu = median("baseline cpu");
    std::printf("annotating %d characters in %d lines (%.0f items), medians of %d fresh processes;\n"
                "wall-clock time, and in brackets the process's own processor time (the machine is shared):\n",
                kChars, kLines, median("items"), kRuns);
    std::printf("  baseline: reading a practice file of the same characters  %7.2f ms (%6.2f)\n", base, baseCpu);
    std::printf("  loading the tables                                        %7.2f ms (%6.2f)\n",
                median("load"), median("load cpu"));
    auto line = [&](const char *what, const char *key, double target) {
        const double wall = median(key);
        const double cpu = median((QByteArray(key) + " cpu").constData());
        std::printf("  %-57s %7.2f ms (%6.2f)  %5.1fx baseline  target < %.0f ms: %s\n", what, wall, cpu,
                    cpu / baseCpu, target, wall < target ? "met" : cpu < target ? "met in processor time" : "MISSED");
    };
    line("cold: tables loaded, then the text annotated", "cold", 150);
    line("warm: the text annotated again", "warm", 50);
    const double mib = median("rss") / 1024.0;
    std::printf("  more resident memory, tables loaded and a result held    %7.1f MiB (%.1f anonymous, %.1f mapped "
                "files; after the first annotation %.1f)  target < 40 MiB: %s\n",
                mib, median("anon") / 1024.0, median("file") / 1024.0, median("tables") / 1024.0,
                mib < 40 ? "met" : "MISSED");
    return 0;
}
