#include "ZhuyinTables.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

const char16_t kInitials[] = u"ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙ";
const char16_t kMedials[] = u"ㄧㄨㄩ";
const char16_t kFinals[] = u"ㄚㄛㄜㄝㄞㄟㄠㄡㄢㄣㄤㄥㄦ";
const char16_t kTones[] = u" ˙ˊˇˋ"; // index 0: first tone, unmarked

QByteArray readAll(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1 (install it with scripts/setup.sh)").arg(path);
        return {};
    }
    return f.readAll();
}

} // namespace

QString PhoneText(quint16 key)
{
    const int initial = key >> 9, medial = (key >> 7) & 3, final = (key >> 3) & 15, tone = key & 7;
    if (initial > 21 || final > 13 || tone > 4)
        return {};
    QString s;
    if (initial)
        s += QChar(kInitials[initial - 1]);
    if (medial)
        s += QChar(kMedials[medial - 1]);
    if (final)
        s += QChar(kFinals[final - 1]);
    if (tone)
        s += QChar(kTones[tone]);
    return s;
}

bool ZhuyinTables::load(QString *error)
{
    return loadChewing(error) && loadGcin(error);
}

QSet<QString> ZhuyinTables::readings(const QString &character) const
{
    return m_readings.value(character);
}

// index_tree.dat: 8-byte nodes {u16 key; u24 a; u24 b}; the root's children
// are the first syllables, a leaf (key 0) points at a string in dictionary.dat.
bool ZhuyinTables::loadChewing(QString *error)
{
    const QByteArray tree = readAll(QStringLiteral("/usr/share/libchewing/index_tree.dat"), error);
    const QByteArray dict = readAll(QStringLiteral("/usr/share/libchewing/dictionary.dat"), error);
    if (tree.isEmpty() || dict.isEmpty())
        return false;
    const auto *bytes = reinterpret_cast<const uchar *>(tree.constData());
    const qsizetype nodes = tree.size() / 8;
    auto node = [&](qsizetype i, quint16 &key, quint32 &a, quint32 &b) {
        const uchar *p = bytes + i * 8;
        key = qFromLittleEndian<quint16>(p);
        a = p[2] | p[3] << 8 | p[4] << 16;
        b = p[5] | p[6] << 8 | p[7] << 16;
    };
    quint16 key;
    quint32 a, b;
    node(0, key, a, b);
    for (quint32 i = a; i < b && i < nodes; ++i) {
        quint16 phone;
        quint32 ca, cb;
        node(i, phone, ca, cb);
        const QString reading = PhoneText(phone);
        if (reading.isEmpty())
            continue;
        for (quint32 j = ca; j < cb && j < nodes; ++j) {
            quint16 leafKey;
            quint32 offset, freq;
            node(j, leafKey, offset, freq);
            if (leafKey != 0 || offset >= static_cast<quint32>(dict.size()))
                continue;
            const QString s = QString::fromUtf8(dict.constData() + offset);
            if (s.size() == 1 || (s.size() == 2 && s[0].isHighSurrogate()))
                m_readings[s].insert(reading);
        }
    }
    return true;
}

// pho.tab2: "PH", u16 n_idx, i32 n_items, i32 phrase size, n_idx × {u16 phone;
// u16 first item}, n_items × {char[4] utf8; i32 count}.
bool ZhuyinTables::loadGcin(QString *error)
{
    QString path;
    for (const QString &dir : {QStringLiteral("/usr/lib/x86_64-linux-gnu/gcin/table"),
                               QStringLiteral("/usr/lib/aarch64-linux-gnu/gcin/table"),
                               QStringLiteral("/usr/lib/gcin/table")}) {
        if (QFile::exists(dir + QStringLiteral("/pho.tab2"))) {
            path = dir + QStringLiteral("/pho.tab2");
            break;
        }
    }
    if (path.isEmpty()) {
        *error = QStringLiteral("gcin's pho.tab2 not found (install gcin-tables with scripts/setup.sh)");
        return false;
    }
    const QByteArray d = readAll(path, error);
    if (d.size() < 12 || !d.startsWith("PH"))
        return false;
    const auto *p = reinterpret_cast<const uchar *>(d.constData());
    const quint16 nIdx = qFromLittleEndian<quint16>(p + 2);
    const qint32 nItems = qFromLittleEndian<qint32>(p + 4);
    const qsizetype itemsAt = 12 + qsizetype(nIdx) * 4;
    if (d.size() < itemsAt + qsizetype(nItems) * 8)
        return false;
    for (int i = 0; i < nIdx; ++i) {
        const quint16 phone = qFromLittleEndian<quint16>(p + 12 + i * 4);
        const quint16 first = qFromLittleEndian<quint16>(p + 12 + i * 4 + 2);
        const int last = i + 1 < nIdx ? qFromLittleEndian<quint16>(p + 12 + (i + 1) * 4 + 2) : nItems;
        const QString reading = PhoneText(phone);
        if (reading.isEmpty())
            continue;
        for (int it = first; it < last && it < nItems; ++it) {
            const char *utf8 = d.constData() + itemsAt + qsizetype(it) * 8;
            const QString s = QString::fromUtf8(utf8, qstrnlen(utf8, 4));
            if (s.size() == 1 || (s.size() == 2 && s[0].isHighSurrogate()))
                m_readings[s].insert(reading);
        }
    }
    return true;
}
