#include "article/ZhuyinEntry.h"

#include "practice/KeyCatalogue.h"
#include "run/KeyMap.h"

namespace {

bool isToneMark(QChar c)
{
    return c == u'ˊ' || c == u'ˇ' || c == u'ˋ' || c == u'˙';
}

bool isZhuyinLetter(QChar c)
{
    return c.unicode() >= 0x3105 && c.unicode() <= 0x3129;
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
    qsizetype letters = 0;
    for (qsizetype i = 0; i < reading.size(); ++i) {
        const QChar c = reading[i];
        if (isZhuyinLetter(c)) {
            ++letters;
        } else if (!(isToneMark(c) && i == reading.size() - 1)) {
            return false;
        }
    }
    return letters >= 1 && letters <= 3;
}
