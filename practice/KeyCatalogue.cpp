#include "practice/KeyCatalogue.h"

#include <QtMath>
#include <cmath>

namespace {

using enum FingerZone;
using enum Hand;

// key, row, upper legend, lower legend, Zhuyin entry, finger zone, hand,
// platform key code, key top (left, top, width, height), shadow index.
constexpr KeyInfo kKeys[] = {
    {  96, 1, u"~", u"`",  0, Little,     Left,  192, {0, 0, 41, 41}, 53},
    {  49, 1, u"!", u"1",  5, Little,     Left,   49, {48, 0, 41, 41}, 0},
    {  50, 1, u"@", u"2",  9, Ring,       Left,   50, {96, 0, 41, 41}, 1},
    {  51, 1, u"#", u"3",  2, Middle,     Left,   51, {144, 0, 41, 41}, 2},
    {  52, 1, u"$", u"4",  3, LeftIndex,  Left,   52, {192, 0, 41, 41}, 3},
    {  53, 1, u"%", u"5", 19, LeftIndex,  Left,   53, {240, 0, 41, 41}, 4},
    {  54, 1, u"^", u"6",  1, RightIndex, Right,  54, {296, 0, 41, 41}, 5},
    {  55, 1, u"＆", u"7", 4, RightIndex, Right,  55, {344, 0, 41, 41}, 6},
    {  56, 1, u"*", u"8", 29, Middle,     Right,  56, {392, 0, 41, 41}, 7},
    {  57, 1, u"(", u"9", 33, Ring,       Right,  57, {440, 0, 41, 41}, 8},
    {  48, 1, u")", u"0", 37, Little,     Right,  48, {488, 0, 41, 41}, 9},
    {  45, 1, u"＿", u"-", 41, Little,    Right, 189, {536, 0, 41, 41}, 10},
    {  61, 1, u"+", u"=",  0, Little,     Right, 187, {584, 0, 41, 41}, 11},
    {   8, 1, u"", u"Backspace", 0, Little, Right, 8, {632, 0, 89, 41}, 13},

    {   9, 2, u"", u"Tab",  0, Function,  Left,    9, {0, 48, 61, 41}, 54},
    {  81, 2, u"", u"Q",  6, Little,      Left,   81, {72, 48, 41, 41}, 14},
    {  87, 2, u"", u"W", 10, Ring,        Left,   87, {124, 48, 41, 41}, 15},
    {  69, 2, u"", u"E", 13, Middle,      Left,   69, {172, 48, 41, 41}, 16},
    {  82, 2, u"", u"R", 16, LeftIndex,   Left,   82, {220, 48, 41, 41}, 17},
    {  84, 2, u"", u"T", 20, LeftIndex,   Left,   84, {268, 48, 41, 41}, 18},
    {  89, 2, u"", u"Y", 23, RightIndex,  Right,  89, {324, 48, 41, 41}, 19},
    {  85, 2, u"", u"U", 26, RightIndex,  Right,  85, {372, 48, 41, 41}, 20},
    {  73, 2, u"", u"I", 30, Middle,      Right,  73, {420, 48, 41, 41}, 21},
    {  79, 2, u"", u"O", 34, Ring,        Right,  79, {468, 48, 41, 41}, 22},
    {  80, 2, u"", u"P", 38, Little,      Right,  80, {516, 48, 41, 41}, 23},
    {  91, 2, u"{", u"[",  0, Little,     Right, 219, {564, 48, 41, 41}, 24},
    {  93, 2, u"}", u"]",  0, Little,     Right, 221, {612, 48, 41, 41}, 25},
    {  92, 2, u"|", u"\\", 0, Little,     Right, 220, {660, 48, 61, 41}, 27},

    {  20, 3, u"", u"Caps Lock", 0, Function, Left, 20, {0, 96, 77, 41}, 55},
    {  65, 3, u"", u"A",  7, Little,      Left,   65, {84, 96, 41, 41}, 28},
    {  83, 3, u"", u"S", 11, Ring,        Left,   83, {132, 96, 41, 41}, 29},
    {  68, 3, u"", u"D", 14, Middle,      Left,   68, {180, 96, 41, 41}, 30},
    {  70, 3, u"", u"F", 17, LeftIndex,   Left,   70, {228, 96, 41, 41}, 31},
    {  71, 3, u"", u"G", 21, LeftIndex,   Left,   71, {276, 96, 41, 41}, 32},
    {  72, 3, u"", u"H", 24, RightIndex,  Right,  72, {332, 96, 41, 41}, 33},
    {  74, 3, u"", u"J", 27, RightIndex,  Right,  74, {380, 96, 41, 41}, 34},
    {  75, 3, u"", u"K", 31, Middle,      Right,  75, {428, 96, 41, 41}, 35},
    {  76, 3, u"", u"L", 35, Ring,        Right,  76, {476, 96, 41, 41}, 36},
    {  59, 3, u":", u";", 39, Little,     Right, 186, {524, 96, 41, 41}, 37},
    {  39, 3, u"\"", u"'", 0, Little,     Right, 222, {572, 96, 41, 41}, 38},
    {  13, 3, u"", u"Enter", 0, EnterShift, Right, 13, {620, 96, 105, 41}, 40},

    {   2, 4, u"", u"Shift", 0, EnterShift, Left,  0, {0, 144, 101, 41}, 56},
    {  90, 4, u"", u"Z",  8, Little,      Left,   90, {108, 144, 41, 41}, 41},
    {  88, 4, u"", u"X", 12, Ring,        Left,   88, {156, 144, 41, 41}, 42},
    {  67, 4, u"", u"C", 15, Middle,      Left,   67, {204, 144, 41, 41}, 43},
    {  86, 4, u"", u"V", 18, LeftIndex,   Left,   86, {252, 144, 41, 41}, 44},
    {  66, 4, u"", u"B", 22, LeftIndex,   Left,   66, {300, 144, 41, 41}, 45},
    {  78, 4, u"", u"N", 25, RightIndex,  Right,  78, {356, 144, 41, 41}, 46},
    {  77, 4, u"", u"M", 28, RightIndex,  Right,  77, {404, 144, 41, 41}, 47},
    {  44, 4, u"<", u",", 32, Middle,     Right, 188, {452, 144, 41, 41}, 48},
    {  46, 4, u">", u".", 36, Ring,       Right, 190, {500, 144, 41, 41}, 49},
    {  47, 4, u"?", u"/", 40, Little,     Right, 191, {548, 144, 41, 41}, 50},
    {   3, 4, u"", u"Shift", 0, EnterShift, Right, 0, {596, 144, 129, 41}, 52},

    {   4, 5, u"", u"Ctrl", 0, Function,  Left,    0, {0, 192, 69, 41}, 57},
    { 110, 5, u"", u"",     0, Function,  Left,    0, {76, 192, 53, 41}, 62},
    {   6, 5, u"", u"Alt",  0, Function,  Left,    0, {136, 192, 53, 41}, 58},
    {  32, 5, u"", u"□第一聲", 0, Thumb,  Either, 32, {196, 192, 277, 41}, 59},
    {   7, 5, u"", u"Alt",  0, Function,  Right,   0, {484, 192, 49, 41}, 60},
    { 114, 5, u"", u"",     0, Function,  Right,   0, {540, 192, 49, 41}, 63},
    { 115, 5, u"", u"",     0, Function,  Right,   0, {596, 192, 45, 41}, 64},
    {   5, 5, u"", u"Ctrl", 0, Function,  Right,   0, {648, 192, 77, 41}, 61},
};

// The Zhuyin table: tone marks first, then the 37 symbols in their order.
struct ZhuyinEntry {
    char16_t symbol;
    KeyNumber key;
};
constexpr ZhuyinEntry kZhuyin[KeyCatalogue::kZhuyinEntries] = {
    {u'ˊ', 54}, {u'ˇ', 51}, {u'ˋ', 52}, {u'˙', 55},
    {u'ㄅ', 49}, {u'ㄆ', 81}, {u'ㄇ', 65}, {u'ㄈ', 90},
    {u'ㄉ', 50}, {u'ㄊ', 87}, {u'ㄋ', 83}, {u'ㄌ', 88},
    {u'ㄍ', 69}, {u'ㄎ', 68}, {u'ㄏ', 67},
    {u'ㄐ', 82}, {u'ㄑ', 70}, {u'ㄒ', 86},
    {u'ㄓ', 53}, {u'ㄔ', 84}, {u'ㄕ', 71}, {u'ㄖ', 66},
    {u'ㄗ', 89}, {u'ㄘ', 72}, {u'ㄙ', 78},
    {u'ㄧ', 85}, {u'ㄨ', 74}, {u'ㄩ', 77},
    {u'ㄚ', 56}, {u'ㄛ', 73}, {u'ㄜ', 75}, {u'ㄝ', 44},
    {u'ㄞ', 57}, {u'ㄟ', 79}, {u'ㄠ', 76}, {u'ㄡ', 46},
    {u'ㄢ', 48}, {u'ㄣ', 80}, {u'ㄤ', 59}, {u'ㄥ', 47},
    {u'ㄦ', 45},
};

// 44 to 57, 65 to 93, 2 to 9, then Caps Lock, Enter, space, grave, "=", ";", "'".
constexpr KeyNumber kRestOrder[] = {
    44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57,
    65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80,
    81, 82, 83, 84, 85, 86, 87, 88, 89, 90, 91, 92, 93,
    2, 3, 4, 5, 6, 7, 8, 9,
    20, 13, 32, 96, 61, 59, 39,
};

template <typename T>
constexpr std::array<T, KeyCatalogue::kZhuyinEntries + 1> zhuyinColumn(T ZhuyinEntry::*member)
{
    std::array<T, KeyCatalogue::kZhuyinEntries + 1> out{};
    for (int i = 0; i < KeyCatalogue::kZhuyinEntries; ++i)
        out[i + 1] = kZhuyin[i].*member;
    return out;
}

// Index of every key in kKeys by key number, -1 for numbers that name no key.
constexpr std::array<qint8, kMaxKeyNumber + 1> kKeyIndex = [] {
    std::array<qint8, kMaxKeyNumber + 1> index{};
    index.fill(-1);
    for (std::size_t i = 0; i < std::size(kKeys); ++i)
        index[kKeys[i].key] = static_cast<qint8>(i);
    return index;
}();

} // namespace

namespace KeyCatalogue {

const std::array<QChar, kZhuyinEntries + 1> zhuyinSymbols = [] {
    std::array<QChar, kZhuyinEntries + 1> out{};
    const auto units = zhuyinColumn(&ZhuyinEntry::symbol);
    for (int i = 1; i <= kZhuyinEntries; ++i)
        out[i] = QChar(units[i]);
    return out;
}();

const std::array<KeyNumber, kZhuyinEntries + 1> zhuyinKeyCodes = zhuyinColumn(&ZhuyinEntry::key);

std::span<const KeyInfo> keys()
{
    return kKeys;
}

const KeyInfo *find(KeyNumber key)
{
    if (key < 0 || key > kMaxKeyNumber || kKeyIndex[key] < 0)
        return nullptr;
    return &kKeys[kKeyIndex[key]];
}

VbColor zoneColor(FingerZone zone)
{
    switch (zone) {
    case Little: return Palette::LittleFinger;
    case Ring: return Palette::RingFinger;
    case Middle: return Palette::MiddleFinger;
    case LeftIndex: return Palette::LeftIndexFinger;
    case RightIndex: return Palette::RightIndexFinger;
    case Thumb: return Palette::Thumb;
    case Function: return Palette::FunctionKey;
    case EnterShift: return Palette::EnterShift;
    }
    return Palette::Black;
}

std::span<const KeyNumber> restPositionOrder()
{
    return kRestOrder;
}

} // namespace KeyCatalogue

KeyNumber KeyOfSymbol(const QString &symbol)
{
    if (symbol.size() != 1)
        return 0;
    for (int i = 1; i <= KeyCatalogue::kZhuyinEntries; ++i) {
        if (KeyCatalogue::zhuyinSymbols[i] == symbol.front())
            return KeyCatalogue::zhuyinKeyCodes[i];
    }
    return 0;
}

QString SymbolOfKey(KeyNumber key)
{
    for (int i = 1; i <= KeyCatalogue::kZhuyinEntries; ++i) {
        if (KeyCatalogue::zhuyinKeyCodes[i] == key)
            return QString(KeyCatalogue::zhuyinSymbols[i]);
    }
    return {};
}

void RestPositions::recordDefaultLayout()
{
    for (KeyNumber k : KeyCatalogue::restPositionOrder()) {
        if (const KeyInfo *info = KeyCatalogue::find(k))
            set(k, info->rect.left, info->rect.top);
    }
}

void RestPositions::set(KeyNumber key, double left, double top)
{
    if (key < 1 || key > kMaxKeyNumber)
        return;
    keyLeft[key] = static_cast<qint16>(qRound(left));
    keyTop[key] = static_cast<qint16>(qRound(top));
}
