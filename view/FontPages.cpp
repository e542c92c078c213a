#include "view/FontPages.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <cstdio>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

namespace {

bool isFontFile(const QByteArray &path)
{
    static const char *const suffixes[] = {".ttf", ".ttc", ".otf", ".otc", ".pfb", ".pfa", ".pcf", ".pcf.gz"};
    const QByteArray lower = path.toLower();
    for (const char *s : suffixes) {
        if (lower.endsWith(s))
            return true;
    }
    return false;
}

} // namespace

namespace FontPages {

int release()
{
    int trimmed = 0;
#if defined(Q_OS_LINUX)
    FILE *maps = std::fopen("/proc/self/maps", "re");
    if (!maps)
        return 0;
    char line[4096];
    while (std::fgets(line, sizeof line, maps)) {
        // start-end perms offset device inode path
        unsigned long long start = 0, end = 0;
        char perms[8] = {};
        int pathAt = 0;
        if (std::sscanf(line, "%llx-%llx %7s %*s %*s %*s %n", &start, &end, perms, &pathAt) < 3 || pathAt <= 0)
            continue;
        QByteArray path(line + pathAt);
        path = path.trimmed();
        // Only read-only mappings: dropping their pages loses nothing.
        if (perms[0] != 'r' || perms[1] != '-' || !isFontFile(path))
            continue;
        if (madvise(reinterpret_cast<void *>(start), end - start, MADV_DONTNEED) == 0)
            ++trimmed;
    }
    std::fclose(maps);
#endif
    return trimmed;
}

void releaseSoon()
{
    static QPointer<QTimer> timer;
    if (!timer) {
        timer = new QTimer(QCoreApplication::instance());
        timer->setSingleShot(true);
        timer->setInterval(1000);
        QObject::connect(timer, &QTimer::timeout, [] { release(); });
    }
    timer->start();
}

} // namespace FontPages
