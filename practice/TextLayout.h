#pragma once
// Laying a token table out in the text window: every symbol of every reading
// becomes a numbered position (the symbol to type, and under it the echo of
// what was typed), under or beside the characters, 40 columns to a line.

#include <QString>
#include <optional>
#include <vector>

#include "practice/Palette.h"
#include "practice/TokenTable.h"

// Geometry taken from the label templates at start-up (pixels).
struct LayoutGeometry {
    qint32 titleLeft = 4;   // left margin of column 0
    qint32 titleTop = 28;   // top of the symbol row
    qint32 titleWidth = 17; // column pitch is titleWidth + 1
    qint32 wordTop = 0;     // top of the character row
    qint32 wordWidth = 21;  // width of a double-byte character's cell
};

// A position: lblTitle(k) shows its symbol; lblTyping(k), 28 pixels lower,
// the echo of what was typed there.
struct PositionCell {
    QString symbol;   // one character (a surrogate pair counts as one)
    qint32 left = 0;
    qint32 top = 0;   // top of lblTitle(k)
    // The echo label's state during and after a run.
    QString echo;
    bool echoVisible = false;
    VbColor echoBack = Palette::Yellow;
};

// lblWord(n): the character of token n.
struct WordCell {
    QString text;
    qint32 left = 0;
    qint32 top = 0;
    qint32 width = 0;
};

struct TextLayout {
    std::vector<PositionCell> positions; // position k is positions[k - 1]
    std::vector<WordCell> words;         // token n is words[n - 1]
    qint32 sheetHeight = 112;            // picWd's height before the scroll range fits it
    qint32 lines = 0;                    // text lines used
};

enum class LayoutLimit {
    None,
    TooManyPositions, // more positions than a run can count
    SheetTooTall,     // taller than a widget can be
};

// Height and width of the labels.
constexpr qint32 kCellHeight = 25;
constexpr qint32 kLineHeight = 84;
constexpr qint32 kLineColumns = 40;
constexpr qint32 kEchoOffset = 28;
constexpr qint32 kMaxPositions = 32767;

// Lays the table out. Readings with a first-tone syllable get the space that
// types the first tone appended in place. Returns the limit a text exceeds,
// or LayoutLimit::None with the layout filled in.
LayoutLimit LayOutText(TokenTable &table, const LayoutGeometry &geometry, TextLayout &out);

// Characters of text, a surrogate pair counting as one.
qsizetype CharacterCount(QStringView text);
// Splits text into characters, keeping surrogate pairs together.
std::vector<QStringView> SplitCharacters(QStringView text);
