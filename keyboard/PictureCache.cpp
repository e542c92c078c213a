#include "keyboard/PictureCache.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstring>

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
void stamp(QByteArray &key, const QString &path)
{
    const QFileInfo info(path);
    key += path.toUtf8() + ' ';
    if (info.exists())
        key += QByteArray::number(info.size()) + ' ' + QByteArray::number(info.lastModified().toMSecsSinceEpoch());
    key += '\n';
}

// The shared libraries that shape and render text, as the program has
// them loaded. Only the few lines naming them are looked at closely.
void stampLibraries(QByteArray &key)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QList<QByteArray> seen;
    for (const QByteArray &line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        if (slash < 0)
            continue;
        const QByteArray path = line.mid(slash);
        const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
        if ((name.startsWith("libfreetype") || name.startsWith("libharfbuzz") || name.startsWith("libfontconfig")
             || name.startsWith("libQt6Gui"))
            && !seen.contains(path)) {
            seen << path;
            stamp(key, QString::fromUtf8(path));
        }
    }
}

// Everything in the picture: each item's place, colours, text and font.
void stampPicture(QByteArray &key, const KeyboardPicture &picture)
{
    QByteArray items;
    QDataStream out(&items, QIODevice::WriteOnly);
    for (const Item &it : picture.items()) {
        out << int(it.shape) << it.layer << it.rect << it.line << it.filled << it.fill << it.pen << it.penWidth
            << it.radius << it.visible << it.text << int(it.font.role) << it.font.points << it.font.bold
            << it.wordWrap;
    }
    key += QCryptographicHash::hash(items, QCryptographicHash::Blake2b_256).toHex() + '\n';
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

QImage load(const QByteArray &key)
{
    const QString name = fileName();
    if (key.isEmpty() || name.isEmpty())
        return {};
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    // magic, key size, key, width, height, then the rows
    const qint64 size = f.size();
    const qint64 head = qint64(sizeof kMagic) + 4 + key.size() + 8;
    if (size < head)
        return {};
    const uchar *data = f.map(0, size);
    if (!data)
        return {};
    auto u32 = [data](qint64 at) {
        quint32 v;
        std::memcpy(&v, data + at, 4);
        return v;
    };
    QImage picture;
    if (std::memcmp(data, kMagic, sizeof kMagic) == 0 && u32(sizeof kMagic) == quint32(key.size())
        && std::memcmp(data + sizeof kMagic + 4, key.constData(), key.size()) == 0) {
        const int width = int(u32(head - 8));
        const int height = int(u32(head - 4));
        if (width > 0 && height > 0 && size == head + qint64(width) * height * 4) {
            picture = QImage(width, height, QImage::Format_RGB32);
            for (int y = 0; y < height; ++y)
                std::memcpy(picture.scanLine(y), data + head + qint64(y) * width * 4, std::size_t(width) * 4);
        }
    }
    f.unmap(const_cast<uchar *>(data));
    return picture;
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
