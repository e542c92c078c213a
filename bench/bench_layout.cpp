// Reading and laying out practice files of 500, 1000 and 5000 lines (each a
// character with a four-symbol reading): the time to read a file alone, the
// time to read and lay it out, their ratio, and the memory the layout holds.

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <malloc.h>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "practice/PracticeFile.h"
#include "practice/TextLayout.h"

namespace {

// Bytes of heap in use (glibc).
long heapKiB()
{
    return static_cast<long>(mallinfo2().uordblks / 1024);
}

template <typename F>
double medianMs(int repeats, F &&f)
{
    std::vector<double> t;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        f();
        t.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const int sizes[] = {500, 1000, 5000};
    const QString readings[] = {QStringLiteral("ㄓㄨㄥˋ"), QStringLiteral("ㄒㄩㄝˊ"), QStringLiteral("ㄌㄧㄤˇ"),
                                QStringLiteral("ㄍㄨㄛˊ")};
    std::printf("lines  read ms  read+layout ms  layout/read  positions  table+layout heap KiB\n");
    double perLine500 = 0;
    double largestMs = 0;
    for (int n : sizes) {
        const QString path = dir.filePath(QStringLiteral("%1.txt").arg(n));
        {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly))
                return 1;
            QTextStream out(&f);
            for (int i = 0; i < n; ++i)
                out << QStringLiteral("中") << readings[i % 4] << "\r\n";
        }
        const double readMs = medianMs(21, [&] { (void)ReadPracticeFile(path); });
        std::size_t positions = 0;
        const double bothMs = medianMs(21, [&] {
            PracticeFileResult r = ReadPracticeFile(path);
            TextLayout layout;
            LayOutText(r.table, LayoutGeometry{}, layout);
            positions = layout.positions.size();
        });
        const long before = heapKiB();
        PracticeFileResult r = ReadPracticeFile(path);
        auto *kept = new TextLayout;
        LayOutText(r.table, LayoutGeometry{}, *kept);
        const long after = heapKiB();
        std::printf("%5d  %7.3f  %14.3f  %11.2f  %9zu  %14ld\n", n, readMs, bothMs, bothMs / readMs,
                    positions, after - before);
        if (n == 500)
            perLine500 = bothMs / n;
        else
            std::printf("       per-line cost vs 500 lines: %.2f\n", (bothMs / n) / perLine500);
        delete kept;
        largestMs = bothMs;
    }
    std::printf("5000 lines read and laid out in %.3f ms: target under 20 ms %s\n", largestMs,
                largestMs < 20 ? "met" : "MISSED");
    return 0;
}
