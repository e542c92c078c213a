#include "keyboard/PictureCache.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstring>
#include <string>

#if defined(Q_OS_UNIX)
#include <climits>
#include <sys/stat.h>
#include <sys/uio.h>
#include <vector>
#endif
#if defined(Q_OS_LINUX)
#include <link.h>
#endif

#include "keyboard/KeyboardPicture.h"

#if defined(QUILLORY_HAVE_X11)
#include <X11/Xlib.h>
#endif

using namespace KeyboardArt;

namespace {

constexpr char kMagic[8] = {'Q', 'L', 'K', 'B', 'P', 'I', 'C', '1'};

// The X server's font settings (antialiasing, hinting, subpixel order),
// which Qt applies to every glyph; nothing off X11.
QByteArray fontSettings()
{
#if defined(QUILLORY_HAVE_X11)
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return {};
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display *dpy = x11 ? x11->display() : nullptr;
    if (!dpy)
        return {};
    QByteArray settings("xcb\n");
    if (const char *resources = XResourceManagerString(dpy)) {
        for (const QByteArray &line : QByteArray(resources).split('\n')) {
            if (line.startsWith("Xft."))
                settings += line + '\n';
        }
    }
    return settings;
#else
    return {};
#endif
}

// A file or folder as its size and time of change: a font installed or the
// font configuration changed changes the folders that hold them.
void stamp(QByteArray &key, const QByteArray &path)
{
    key += path + ' ';
#if defined(Q_OS_UNIX)
    struct stat info;
    if (::stat(path.constData(), &info) == 0) {
        key += QByteArray::number(qint64(info.st_size)) + ' ' + QByteArray::number(qint64(info.st_mtim.tv_sec)) + ' '
            + QByteArray::number(qint64(info.st_mtim.tv_nsec));
    }
#else
    const QFileInfo info(QString::fromLocal8Bit(path));
    if (info.exists())
        key += QByteArray::number(info.size()) + ' ' + QByteArray::number(info.lastModified().toMSecsSinceEpoch());
#endif
    key += '\n';
}

void stamp(QByteArray &key, const QString &path)
{
    stamp(key, QFile::encodeName(path));
}

// The shared libraries that shape and render text, as the program has
// them loaded, in the order they were loaded.
void stampLibraries(QByteArray &key)
{
#if defined(Q_OS_LINUX)
    dl_iterate_phdr(
        [](dl_phdr_info *info, size_t, void *data) {
            const char *path = info->dlpi_name;
            const char *slash = path ? std::strrchr(path, '/') : nullptr;
            const char *name = slash ? slash + 1 : path;
            if (name && *name) {
                for (const char *prefix : {"libfreetype", "libharfbuzz", "libfontconfig", "libQt6Gui"}) {
                    if (std::strncmp(name, prefix, std::strlen(prefix)) == 0) {
                        stamp(*static_cast<QByteArray *>(data), QByteArray(path));
                        break;
                    }
                }
            }
            return 0;
        },
        &key);
#else
    Q_UNUSED(key);
#endif
}

// Everything in the picture: each item's place, colours, text and font, as
// their bytes.
void stampPicture(QByteArray &key, const KeyboardPicture &picture)
{
    std::string items;
    items.reserve(picture.items().size() * 128);
    auto add = [&items](const auto &value) { items.append(reinterpret_cast<const char *>(&value), sizeof value); };
    for (const Item &it : picture.items()) {
        add(int(it.shape));
        add(it.layer);
        add(it.rect.x()), add(it.rect.y()), add(it.rect.width()), add(it.rect.height());
        add(it.line.x1()), add(it.line.y1()), add(it.line.x2()), add(it.line.y2());
        add(it.filled), add(it.fill), add(it.pen), add(it.penWidth), add(it.radius), add(it.visible);
        add(it.text.size());
        items.append(reinterpret_cast<const char *>(it.text.constData()), std::size_t(it.text.size()) * 2);
        add(int(it.font.role)), add(it.font.points), add(it.font.bold), add(it.wordWrap);
    }
    key += QCryptographicHash::hash(QByteArrayView(items.data(), qsizetype(items.size())),
                                    QCryptographicHash::Blake2b_256)
               .toHex()
        + '\n';
}

QString fileName()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/keyboard.picture");
}

} // namespace

namespace PictureCache {

QByteArray key(const KeyboardPicture &picture, qreal dpr)
{
    const QByteArray settings = fontSettings();
    if (settings.isEmpty() || fileName().isEmpty())
        return {};
    QByteArray key = settings;
    key += "qt " + QByteArray(qVersion()) + " dpr " + QByteArray::number(dpr, 'g', 17) + '\n';
    stamp(key, QCoreApplication::applicationFilePath());
    stampLibraries(key);
    const QString home = QDir::homePath();
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    for (const QString &path : {QStringLiteral("/etc/fonts"), QStringLiteral("/etc/fonts/conf.d"),
                                QStringLiteral("/etc/fonts/fonts.conf"), QStringLiteral("/var/cache/fontconfig"),
                                QStringLiteral("/usr/share/fonts"), QStringLiteral("/usr/local/share/fonts"),
                                config + QStringLiteral("/fontconfig"), config + QStringLiteral("/fontconfig/fonts.conf"),
                                config + QStringLiteral("/fontconfig/conf.d"), cache + QStringLiteral("/fontconfig"),
                                data + QStringLiteral("/fonts"), home + QStringLiteral("/.fonts"),
                                home + QStringLiteral("/.fonts.conf")})
        stamp(key, path);
    for (const char *name : {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "QT_SCALE_FACTOR", "QT_FONT_DPI"})
        key += QByteArray(name) + '=' + qgetenv(name) + '\n';
    stampPicture(key, picture);
    return key;
}

bool loadInto(const QByteArray &key, QImage &image, const QRect &area)
{
    const QString name = fileName();
    if (key.isEmpty() || name.isEmpty() || area.isEmpty() || !image.rect().contains(area))
        return false;
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    // magic, key size, key, width, height, then the rows
    const qint64 head = qint64(sizeof kMagic) + 4 + key.size() + 8;
    const qint64 rowBytes = qint64(area.width()) * 4;
    if (f.size() != head + rowBytes * area.height())
        return false;
    const QByteArray header = f.read(head);
    auto u32 = [&header](qint64 at) {
        quint32 v;
        std::memcpy(&v, header.constData() + at, 4);
        return v;
    };
    if (header.size() != head || std::memcmp(header.constData(), kMagic, sizeof kMagic) != 0
        || u32(sizeof kMagic) != quint32(key.size())
        || std::memcmp(header.constData() + sizeof kMagic + 4, key.constData(), key.size()) != 0
        || u32(head - 8) != quint32(area.width()) || u32(head - 4) != quint32(area.height()))
        return false;
    const auto row = [&](int y) {
        return reinterpret_cast<char *>(image.scanLine(area.top() + y)) + qsizetype(area.left()) * 4;
    };
#if defined(Q_OS_UNIX)
    // The rows go from the file straight to their places in one call for
    // many rows: no copy of the whole picture in between, whose fresh pages
    // would cost more than the reading.
    const int fd = f.handle();
    std::vector<iovec> rows;
    for (int y = 0; y < area.height();) {
        rows.clear();
        for (; y < area.height() && rows.size() < IOV_MAX; ++y)
            rows.push_back({row(y), std::size_t(rowBytes)});
        const qint64 offset = head + rowBytes * (y - qint64(rows.size()));
        const qint64 want = rowBytes * qint64(rows.size());
        if (::preadv(fd, rows.data(), int(rows.size()), off_t(offset)) != want)
            return false;
    }
    return true;
#else
    for (int y = 0; y < area.height(); ++y) {
        if (f.read(row(y), rowBytes) != rowBytes)
            return false;
    }
    return true;
#endif
}

void save(const QByteArray &key, const QImage &picture)
{
    const QString name = fileName();
    if (key.isEmpty() || name.isEmpty() || picture.format() != QImage::Format_RGB32)
        return;
    QDir().mkpath(QFileInfo(name).path());
    QSaveFile f(name);
    if (!f.open(QIODevice::WriteOnly))
        return;
    auto u32 = [&f](quint32 v) { f.write(reinterpret_cast<const char *>(&v), 4); };
    f.write(kMagic, sizeof kMagic);
    u32(quint32(key.size()));
    f.write(key);
    u32(quint32(picture.width()));
    u32(quint32(picture.height()));
    for (int y = 0; y < picture.height(); ++y)
        f.write(reinterpret_cast<const char *>(picture.constScanLine(y)), qint64(picture.width()) * 4);
    f.commit();
}

} // namespace PictureCache
