#include "article/ZhuyinEntry.h"

#include "practice/KeyCatalogue.h"
#include "run/KeyMap.h"

namespace {

bool isToneMark(QChar c)
{
    return c == u'ˊ' || c == u'ˇ' || c == u'ˋ' || c == u'˙';
}

// The three parts of a syllable, each at most once and in this order.
int partOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x3105 && u <= 0x3119) // ㄅ … ㄙ
        return 0;
    if (u >= 0x3127 && u <= 0x3129) // ㄧ ㄨ ㄩ
        return 1;
    if (u >= 0x311A && u <= 0x3126) // ㄚ … ㄦ
        return 2;
    return -1;
}

} // namespace

QString ZhuyinFromKeys(const QString &text)
{
    QString out;
    for (QChar c : text) {
        if (c == u' ')
            continue;
        if (c.unicode() < 128) {
            const QString symbol = SymbolOfKey(BaseKeyOf(static_cast<qint16>(c.toLower().unicode())));
            out += symbol.isEmpty() ? QString(c) : symbol;
        } else {
            out += c;
        }
    }
    return out;
}

bool IsZhuyinSyllable(const QString &reading)
{
    int last = -1;
    for (qsizetype i = 0; i < reading.size(); ++i) {
        const QChar c = reading[i];
        if (isToneMark(c) && i == reading.size() - 1 && i > 0)
            return true;
        const int part = partOf(c);
        if (part <= last)
            return false;
        last = part;
    }
    return last >= 0;
}
