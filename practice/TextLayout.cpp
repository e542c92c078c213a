#include "practice/TextLayout.h"

#include "practice/Big5.h"

namespace {

bool endsWithToneOrSpace(const QString &reading)
{
    if (reading.isEmpty())
        return false;
    switch (reading.back().unicode()) {
    case u'˙': case u'ˊ': case u'ˇ': case u'ˋ': case u' ':
        return true;
    default:
        return false;
    }
}

constexpr qint32 kMaxSheetHeight = 16'000'000; // widgets stop at 16777215 pixels

// Units of the character at i: a surrogate pair is one character.
qsizetype characterLength(QStringView text, qsizetype i)
{
    return (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
}

} // namespace

qsizetype CharacterCount(QStringView text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); i += characterLength(text, i))
        ++n;
    return n;
}

std::vector<QStringView> SplitCharacters(QStringView text)
{
    std::vector<QStringView> out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = characterLength(text, i);
        out.push_back(text.mid(i, n));
        i += n;
    }
    return out;
}

LayoutLimit LayOutText(TokenTable &table, const LayoutGeometry &g, TextLayout &out)
{
    out = TextLayout{};
    const qint32 pitch = g.titleWidth + 1;
    qint32 line = 0;
    qint32 j = 0;     // symbols on this line
    qint32 extra = 0; // columns taken on this line by tokens without a reading
    qint32 cols = 0;  // columns used on this line
    qint32 lastLine = -1;

    qsizetype positions = 0;
    for (qsizetype n = 0; n < table.size(); ++n)
        positions += table.readings[n].size() + 1;
    out.words.reserve(table.size());
    out.positions.reserve(std::min<qsizetype>(positions, kMaxPositions + 1));

    for (qsizetype n = 0; n < table.size(); ++n) {
        qint32 start = cols;
        QString &reading = table.readings[n];
        const bool single = LenMbcs(table.chars[n]) == 1;
        // The reading's symbols are taken one by one below, so that a reading
        // beyond the limit is refused before it is all laid out.
        QStringView symbols;
        if (single) {
            // A single-byte character takes one column, or as many as the
            // symbols of its reading so that characters and symbols stay aligned.
            symbols = reading;
            cols += static_cast<qint32>(std::clamp<qsizetype>(CharacterCount(symbols), 1, kMaxPositions + 1));
        } else if (LenMbcs(reading) == 0) {
            cols += 2;
        } else {
            // The first tone is typed with the space bar.
            if (!endsWithToneOrSpace(reading))
                reading.append(QLatin1Char(' '));
            symbols = reading;
            cols += static_cast<qint32>(std::min<qsizetype>(CharacterCount(symbols), kMaxPositions + 1));
        }

        // A token that does not fit starts the next line; a token wider than
        // a line still starts a new one and overruns it.
        if (cols > kLineColumns) {
            ++line;
            j = 0;
            extra = 0;
            cols -= start;
            start = 0;
        }

        if (reading.isEmpty())
            extra += single ? 1 : 2;

        for (qsizetype i = 0; i < symbols.size();) {
            if (out.positions.size() >= static_cast<std::size_t>(kMaxPositions))
                return LayoutLimit::TooManyPositions;
            const qsizetype len = characterLength(symbols, i);
            ++j;
            PositionCell cell;
            cell.symbol = symbols.mid(i, len).toString();
            i += len;
            cell.left = g.titleLeft + pitch * (j - 1 + extra);
            cell.top = g.titleTop + kLineHeight * line + 1;
            out.positions.push_back(std::move(cell));
        }

        WordCell word;
        word.text = table.chars[n];
        word.width = single ? g.titleWidth : g.wordWidth;
        word.left = g.titleLeft + pitch * start;
        word.top = g.wordTop + kLineHeight * line + 1;
        out.words.push_back(std::move(word));
        lastLine = line;

        if (kLineHeight * static_cast<qint64>(line) > kMaxSheetHeight)
            return LayoutLimit::SheetTooTall;
    }

    // The sheet reaches 56 pixels below the last echo label (the template's
    // when there is none), and, where characters without a reading wrap to a
    // later line, down to the same depth on theirs.
    const qint32 echoBottom = kEchoOffset + 56;
    qint32 height = g.titleTop + echoBottom;
    qint32 lastPositionLine = 0;
    if (!out.positions.empty()) {
        height = out.positions.back().top + echoBottom;
        lastPositionLine = (out.positions.back().top - g.titleTop - 1) / kLineHeight;
    }
    if (lastLine > lastPositionLine)
        height = std::max(height, g.titleTop + kLineHeight * lastLine + 1 + echoBottom);
    out.sheetHeight = height;
    out.lines = lastLine + 1;
    return LayoutLimit::None;
}
