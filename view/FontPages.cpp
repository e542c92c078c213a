#include "view/FontPages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <strings.h>

#if defined(Q_OS_LINUX)
#include <sys/mman.h>
#endif

namespace {

bool isFontFile(const char *path, std::size_t length)
{
    static const char *const suffixes[] = {".ttf", ".ttc", ".otf", ".otc", ".pfb", ".pfa", ".pcf", ".pcf.gz"};
    for (const char *s : suffixes) {
        const std::size_t n = std::strlen(s);
        if (length >= n && strncasecmp(path + length - n, s, n) == 0)
            return true;
    }
    return false;
}

// Notes whether a key or a mouse button was pressed since it was last asked:
// a learner typing is not a quiet window.
class InputWatch : public QObject {
public:
    using QObject::QObject;
    bool seen = false;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
            seen = true;
            break;
        default:
            break;
        }
        return false;
    }
};

QPointer<QTimer> releaseTimer;

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
        // start-end perms offset device inode path; most are not font files,
        // which their path's ending tells before the line is read further.
        const char *path = std::strchr(line, '/');
        if (!path)
            continue;
        std::size_t length = std::strlen(path);
        while (length > 0 && (path[length - 1] == '\n' || path[length - 1] == ' '))
            --length;
        if (!isFontFile(path, length))
            continue;
        unsigned long long start = 0, end = 0;
        char perms[8] = {};
        if (std::sscanf(line, "%llx-%llx %7s", &start, &end, perms) < 3)
            continue;
        // Only read-only mappings: dropping their pages loses nothing.
        if (perms[0] != 'r' || perms[1] != '-')
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
    static InputWatch *watch = nullptr;
    if (!releaseTimer) {
        releaseTimer = new QTimer(QCoreApplication::instance());
        releaseTimer->setSingleShot(true);
        releaseTimer->setInterval(1000);
        watch = new InputWatch(releaseTimer);
        QObject::connect(releaseTimer, &QTimer::timeout, [] {
            // Not while the learner types: a keystroke must never wait for
            // the release, so it waits for a second without one.
            if (watch->seen) {
                watch->seen = false;
                releaseTimer->start();
                return;
            }
            QCoreApplication::instance()->removeEventFilter(watch);
            release();
        });
    }
    if (!releaseTimer->isActive())
        QCoreApplication::instance()->installEventFilter(watch);
    watch->seen = false;
    releaseTimer->start();
}

bool releasePending()
{
    return releaseTimer && releaseTimer->isActive();
}

} // namespace FontPages
