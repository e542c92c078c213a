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

// Releases the pages once the window has been quiet for a second: a key or a
// mouse button pressed meanwhile puts the release off by another second. It
// watches the application's input only while a release waits.
class QuietRelease : public QObject {
public:
    explicit QuietRelease(QObject *parent) : QObject(parent)
    {
        m_timer.setSingleShot(true);
        m_timer.setInterval(1000);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            // Not while the learner types: a keystroke must never wait for
            // the release.
            if (m_input) {
                m_input = false;
                m_timer.start();
                return;
            }
            QCoreApplication::instance()->removeEventFilter(this);
            FontPages::release();
        });
    }

    void start()
    {
        if (!m_timer.isActive())
            QCoreApplication::instance()->installEventFilter(this);
        m_input = false;
        m_timer.start();
    }
    bool pending() const { return m_timer.isActive(); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Wheel:
            m_input = true;
            break;
        default:
            break;
        }
        return false;
    }

private:
    QTimer m_timer;
    bool m_input = false;
};

QPointer<QuietRelease> quietRelease;

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
    if (!quietRelease)
        quietRelease = new QuietRelease(QCoreApplication::instance());
    quietRelease->start();
}

bool releasePending()
{
    return quietRelease && quietRelease->pending();
}

} // namespace FontPages
