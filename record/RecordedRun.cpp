#include "record/RecordedRun.h"

#include <QCryptographicHash>
#include <algorithm>

namespace {

// Every token as character, tab, reading, newline: what the learner types.
QString hashOf(const TokenTable &table)
{
    QCryptographicHash h(QCryptographicHash::Sha256);
    for (qsizetype i = 0; i < table.size(); ++i) {
        h.addData(table.chars[i].toUtf8());
        h.addData(QByteArrayView("\t"));
        h.addData(table.readings.value(i).toUtf8());
        h.addData(QByteArrayView("\n"));
    }
    return QString::fromLatin1(h.result().toHex());
}

} // namespace

TextRef TextRef::builtIn(Lessons::Menu menu, qint16 index)
{
    TextRef t;
    t.kind = Kind::BuiltIn;
    t.menu = menu;
    t.index = index;
    t.caption = Lessons::caption(menu, index);
    return t;
}

TextRef TextRef::file(const QString &path, const TokenTable &table)
{
    TextRef t;
    t.kind = Kind::File;
    t.path = path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    t.fileName = slash < 0 ? path : path.mid(slash + 1);
    t.contentHash = hashOf(table);
    return t;
}

TextRef TextRef::drill(const QString &keysCaption, const TokenTable &table)
{
    TextRef t;
    t.kind = Kind::Drill;
    t.caption = keysCaption;
    t.contentHash = hashOf(table);
    return t;
}

QString TextRef::label() const
{
    switch (kind) {
    case Kind::BuiltIn:
        return caption;
    case Kind::File:
        return fileName;
    case Kind::Drill:
        return QStringLiteral("弱鍵練習") + caption;
    }
    return QString();
}

QString TextRef::identityKey() const
{
    switch (kind) {
    case Kind::BuiltIn:
        return QStringLiteral("builtin:%1:%2").arg(static_cast<int>(menu)).arg(index);
    case Kind::File:
        return QStringLiteral("file:") + contentHash + QLatin1Char(':') + path;
    case Kind::Drill:
        return QStringLiteral("drill:") + caption;
    }
    return QString();
}

std::vector<KeyTotal> WeakestKeys(std::vector<KeyTotal> totals, int n, qint64 minExpected)
{
    std::erase_if(totals, [&](const KeyTotal &t) { return t.expected < minExpected; });
    std::sort(totals.begin(), totals.end(), [](const KeyTotal &a, const KeyTotal &b) {
        if (a.errorRate != b.errorRate)
            return a.errorRate > b.errorRate;
        if (a.medianMs != b.medianMs)
            return a.medianMs > b.medianMs;
        return a.key < b.key;
    });
    if (n >= 0 && totals.size() > static_cast<std::size_t>(n))
        totals.resize(static_cast<std::size_t>(n));
    return totals;
}

QString KeyLabel(KeyNumber key)
{
    if (key == 32)
        return QStringLiteral("ˉ");
    const QString symbol = SymbolOfKey(key);
    if (!symbol.isEmpty())
        return symbol;
    if (const KeyInfo *k = KeyCatalogue::find(key))
        return QString::fromUtf16(k->lower);
    return QStringLiteral("?");
}

QString SpeedClassCaption(qint16 speedClass)
{
    static const char16_t *const captions[] = {u"初學", u"入門", u"一般", u"飆速"};
    if (speedClass >= 1 && speedClass <= 4)
        return QString::fromUtf16(captions[speedClass - 1]);
    return QString::number(speedClass);
}

QString LayoutCaption(qint16 layout)
{
    static const char16_t *const captions[] = {u"小Enter鍵", u"\\ 鍵在上", u"\\ 鍵在下"};
    if (layout >= 0 && layout <= 2)
        return QString::fromUtf16(captions[layout]);
    return QString::number(layout);
}
