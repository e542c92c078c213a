#include "keyboard/KeyboardPicture.h"

#include <algorithm>

namespace KeyboardArt {

namespace {

// --- Legends LblTit(0..119) -------------------------------------------------

enum class Style : quint8 {
    Symbol,     // Zhuyin symbols
    SymbolBlue, // ㄧ ㄨ ㄩ
    Tone,       // ˊ ˇ ˋ ˙
    Letter,     // letters
    LetterMing, // "I" and "K"
    Small,      // both characters of digit and punctuation keys with a symbol
    Punct,      // characters of "=", "[", "]", "\", "'" and "~"
    Grave,      // the grave accent
    Name,       // "Backspace", "Enter", "Shift", "Ctrl", "Alt", "Tab"
    Caps,       // "Caps Lock"
    Space,      // "□第一聲"
};

struct StyleLook {
    FontChoice font;
    VbColor color;
};

constexpr StyleLook styleLook(Style s)
{
    using enum FontRole;
    switch (s) {
    case Style::Symbol: return {{Ming, 14.25f, false}, Palette::Black};
    case Style::SymbolBlue: return {{Ming, 14.25f, false}, Palette::Blue};
    case Style::Tone: return {{Ming, 14.25f, false}, Palette::DarkBlue};
    case Style::Letter: return {{Arial, 9.75f, true}, Palette::Grey};
    case Style::LetterMing: return {{Ming, 9.75f, true}, Palette::Grey};
    case Style::Small: return {{Ming, 9.75f, true}, Palette::Grey};
    case Style::Punct: return {{Ming, 12.0f, true}, Palette::Black};
    case Style::Grave: return {{Ming, 15.75f, true}, Palette::Black};
    case Style::Name: return {{Ming, 11.25f, true}, Palette::Black};
    case Style::Caps: return {{Ming, 9.75f, true}, Palette::Black};
    case Style::Space: return {{Kai, 14.25f, false}, Palette::Black};
    }
    return {};
}

// Each legend lies on one key; its box (left, top from the key top's corner
// in the "小Enter鍵" layout, width, height) holds the text centred. Layers:
// 6 the function keys' names, 8 "[", "]", "'" and "Enter", 10 the backslash,
// grave-accent and "=" keys and "Backspace", 13 all others.
struct LegendRow {
    qint8 index;
    KeyNumber key;
    const char16_t *text;
    Style style;
    qint8 left, top, width, height;
    quint8 layer;
};

using enum Style;
constexpr LegendRow kLegends[kLegendCount] = {
    {  0,  96, u"~", Punct, 16, 4, 9, 16, 10},
    {  1,  96, u"`", Grave, 15, 24, 11, 21, 10},
    {  2,  49, u"!", Small, 4, 4, 13, 13, 13},
    {  3,  49, u"1", Small, 4, 22, 13, 13, 13},
    {  4,  49, u"ㄅ", Symbol, 18, 8, 21, 19, 13},
    {  5,  50, u"@", Small, 4, 4, 13, 13, 13},
    {  6,  50, u"2", Small, 4, 22, 13, 13, 13},
    {  7,  50, u"ㄉ", Symbol, 18, 8, 21, 19, 13},
    {  8,  51, u"#", Small, 4, 4, 13, 13, 13},
    {  9,  51, u"3", Small, 4, 22, 13, 13, 13},
    { 10,  51, u"ˇ", Tone, 20, 8, 21, 19, 13},
    { 11,  52, u"$", Small, 4, 4, 13, 13, 13},
    { 12,  52, u"4", Small, 4, 22, 13, 13, 13},
    { 13,  52, u"ˋ", Tone, 20, 8, 21, 19, 13},
    { 14,  53, u"%", Small, 4, 4, 13, 13, 13},
    { 15,  53, u"5", Small, 4, 22, 13, 13, 13},
    { 16,  53, u"ㄓ", Symbol, 18, 8, 21, 19, 13},
    { 17,  54, u"^", Small, 4, 4, 13, 13, 13},
    { 18,  54, u"6", Small, 4, 22, 13, 13, 13},
    { 19,  54, u"ˊ", Tone, 20, 8, 21, 19, 13},
    { 20,  55, u"＆", Small, 4, 4, 13, 13, 13},
    { 21,  55, u"7", Small, 4, 22, 13, 13, 13},
    { 22,  55, u"˙", Tone, 20, 8, 21, 19, 13},
    { 23,  56, u"*", Small, 4, 4, 13, 13, 13},
    { 24,  56, u"8", Small, 4, 22, 13, 13, 13},
    { 25,  56, u"ㄚ", Symbol, 18, 8, 21, 19, 13},
    { 26,  57, u"(", Small, 4, 4, 13, 13, 13},
    { 27,  57, u"9", Small, 4, 22, 13, 13, 13},
    { 28,  57, u"ㄞ", Symbol, 18, 8, 21, 19, 13},
    { 29,  48, u")", Small, 4, 4, 13, 13, 13},
    { 30,  48, u"0", Small, 4, 22, 13, 13, 13},
    { 31,  48, u"ㄢ", Symbol, 18, 8, 21, 19, 13},
    { 32,  45, u"＿", Small, 4, 4, 13, 13, 13},
    { 33,  45, u"-", Small, 4, 22, 13, 13, 13},
    { 34,  45, u"ㄦ", Symbol, 18, 8, 21, 19, 13},
    { 35,  61, u"+", Punct, 16, 4, 9, 16, 10},
    { 36,  61, u"=", Punct, 16, 20, 9, 16, 10},
    { 37,   9, u"Tab", Name, 8, 4, 23, 15, 6},
    { 38,  81, u"Q", Letter, 4, 8, 12, 16, 13},
    { 39,  81, u"ㄆ", Symbol, 17, 12, 21, 19, 13},
    { 40,  87, u"W", Letter, 4, 8, 12, 16, 13},
    { 41,  87, u"ㄊ", Symbol, 17, 12, 21, 19, 13},
    { 42,  69, u"E", Letter, 4, 8, 12, 16, 13},
    { 43,  69, u"ㄍ", Symbol, 17, 12, 21, 19, 13},
    { 44,  82, u"R", Letter, 4, 8, 12, 16, 13},
    { 45,  82, u"ㄐ", Symbol, 17, 12, 21, 19, 13},
    { 46,  84, u"T", Letter, 4, 8, 12, 16, 13},
    { 47,  84, u"ㄔ", Symbol, 17, 12, 21, 19, 13},
    { 48,  89, u"Y", Letter, 4, 8, 12, 16, 13},
    { 49,  89, u"ㄗ", Symbol, 17, 12, 21, 19, 13},
    { 50,  85, u"U", Letter, 4, 8, 12, 16, 13},
    { 51,  85, u"ㄧ", SymbolBlue, 17, 12, 21, 19, 13},
    { 52,   8, u"Backspace", Name, 12, 4, 68, 15, 10},
    { 53,  73, u"I", LetterMing, 4, 8, 12, 16, 13},
    { 54,  73, u"ㄛ", Symbol, 17, 12, 21, 19, 13},
    { 55,  79, u"O", Letter, 4, 8, 12, 16, 13},
    { 56,  79, u"ㄟ", Symbol, 17, 12, 21, 19, 13},
    { 57,  92, u"|", Punct, 24, 4, 5, 16, 10},
    { 58,  92, u"\\", Punct, 18, 20, 7, 16, 10},
    { 59,  80, u"P", Letter, 4, 8, 12, 16, 13},
    { 60,  80, u"ㄣ", Symbol, 17, 12, 21, 19, 13},
    { 61,  91, u"{", Punct, 16, 4, 9, 16, 8},
    { 62,  91, u"[", Punct, 16, 20, 9, 16, 8},
    { 63,  93, u"}", Punct, 16, 4, 9, 16, 8},
    { 64,  93, u"]", Punct, 16, 20, 9, 16, 8},
    { 65,  20, u"Caps Lock", Caps, 8, 4, 59, 13, 6},
    { 66,  65, u"A", Letter, 4, 8, 12, 16, 13},
    { 67,  65, u"ㄇ", Symbol, 17, 12, 21, 19, 13},
    { 68,  83, u"S", Letter, 4, 8, 12, 16, 13},
    { 69,  83, u"ㄋ", Symbol, 17, 12, 21, 19, 13},
    { 70,  68, u"D", Letter, 4, 8, 12, 16, 13},
    { 71,  68, u"ㄎ", Symbol, 17, 12, 21, 19, 13},
    { 72,  70, u"F", Letter, 4, 8, 12, 16, 13},
    { 73,  70, u"ㄑ", Symbol, 17, 12, 21, 19, 13},
    { 74,  71, u"G", Letter, 4, 8, 12, 16, 13},
    { 75,  71, u"ㄕ", Symbol, 17, 12, 21, 19, 13},
    { 76,  72, u"H", Letter, 4, 8, 12, 16, 13},
    { 77,  72, u"ㄘ", Symbol, 17, 12, 21, 19, 13},
    { 78,  74, u"J", Letter, 4, 8, 12, 16, 13},
    { 79,  74, u"ㄨ", SymbolBlue, 17, 12, 21, 19, 13},
    { 80,  75, u"K", LetterMing, 4, 8, 12, 16, 13},
    { 81,  75, u"ㄜ", Symbol, 17, 12, 21, 19, 13},
    { 82,  76, u"L", Letter, 4, 8, 12, 16, 13},
    { 83,  76, u"ㄠ", Symbol, 17, 12, 21, 19, 13},
    { 84,  59, u":", Small, 4, 4, 13, 13, 13},
    { 85,  59, u";", Small, 4, 22, 13, 13, 13},
    { 86,  59, u"ㄤ", Symbol, 18, 12, 21, 19, 13},
    { 87,  39, u"\"", Punct, 16, 4, 9, 16, 8},
    { 88,  39, u"'", Punct, 16, 20, 9, 16, 8},
    { 89,  13, u"Enter", Name, 12, 4, 38, 15, 8},
    { 90,   2, u"Shift", Name, 8, 4, 38, 15, 6},
    { 91,  90, u"Z", Letter, 4, 8, 12, 16, 13},
    { 92,  90, u"ㄈ", Symbol, 17, 12, 21, 19, 13},
    { 93,  88, u"X", Letter, 4, 8, 12, 16, 13},
    { 94,  88, u"ㄌ", Symbol, 17, 12, 21, 19, 13},
    { 95,  67, u"C", Letter, 4, 8, 12, 16, 13},
    { 96,  67, u"ㄏ", Symbol, 17, 12, 21, 19, 13},
    { 97,  86, u"V", Letter, 4, 8, 12, 16, 13},
    { 98,  86, u"ㄒ", Symbol, 17, 12, 21, 19, 13},
    { 99,  66, u"B", Letter, 4, 8, 12, 16, 13},
    {100,  66, u"ㄖ", Symbol, 17, 12, 21, 19, 13},
    {101,  78, u"N", Letter, 4, 8, 12, 16, 13},
    {102,  78, u"ㄙ", Symbol, 17, 12, 21, 19, 13},
    {103,  77, u"M", Letter, 4, 8, 12, 16, 13},
    {104,  77, u"ㄩ", SymbolBlue, 17, 12, 21, 19, 13},
    {105,  44, u"<", Small, 4, 4, 13, 13, 13},
    {106,  44, u",", Small, 4, 22, 13, 13, 13},
    {107,  44, u"ㄝ", Symbol, 18, 12, 21, 19, 13},
    {108,  46, u">", Small, 4, 4, 13, 13, 13},
    {109,  46, u".", Small, 4, 22, 13, 13, 13},
    {110,  46, u"ㄡ", Symbol, 18, 12, 21, 19, 13},
    {111,  47, u"?", Small, 4, 4, 13, 13, 13},
    {112,  47, u"/", Small, 4, 22, 13, 13, 13},
    {113,  47, u"ㄥ", Symbol, 18, 12, 21, 19, 13},
    {114,   3, u"Shift", Name, 12, 4, 38, 15, 6},
    {115,   4, u"Ctrl", Name, 8, 4, 30, 15, 6},
    {116,   6, u"Alt", Name, 8, 4, 23, 15, 6},
    {117,  32, u"□第一聲", Space, 108, 12, 76, 19, 13},
    {118,   7, u"Alt", Name, 8, 4, 23, 15, 6},
    {119,   5, u"Ctrl", Name, 12, 4, 30, 15, 6},
};

// --- Other elements ---------------------------------------------------------

struct ElementRow {
    Element id;
    const char16_t *name;
    Shape shape;
    quint8 layer;
    double a, b, c, d;      // rectangles: left, top, width, height; lines: x1, y1, x2, y2
    bool filled;
    VbColor fill;
    VbColor pen;            // border, line or text colour
    int penWidth;
    bool visible;
    const char16_t *text = nullptr;
    bool wordWrap = false;
};

constexpr ElementRow rect(Element id, const char16_t *name, Shape shape, quint8 layer, double left,
                           double top, double width, double height, VbColor fill, int border,
                           bool visible = true)
{
    return {id, name, shape, layer, left, top, width, height, true, fill, Palette::Black, border,
            visible};
}

constexpr ElementRow line(Element id, const char16_t *name, quint8 layer, double x1, double y1,
                           double x2, double y2, VbColor color, int width, bool visible = true)
{
    return {id, name, Shape::Line, layer, x1, y1, x2, y2, false, 0, color, width, visible};
}

// An opaque caption in the window's font, 新細明體 9.75 point.
constexpr ElementRow caption(Element id, const char16_t *name, quint8 layer, double left,
                              double top, double width, double height, const char16_t *text,
                              VbColor back, bool wordWrap = false, bool visible = true)
{
    return {id, name, Shape::Text, layer, left, top, width, height, true, back, Palette::Black, 0,
            visible, text, wordWrap};
}

using enum Element;
using enum Shape;
constexpr ElementRow kElements[] = {
    // 1. Shadow of the big Enter key's upper part.
    rect(shpBigEnt_1, u"shpBigEnt(1)", Rect, 1, 664, 52, 65, 53, Palette::BigEnterShadow, 1, false),

    // 4. Finger legend: squares at top 244 with their captions at top 260.
    rect(Shape2_4, u"Shape2(4)", RoundedRect, 4, 120, 244, 13, 13, Palette::LittleFinger, 1),
    rect(Shape2_5, u"Shape2(5)", RoundedRect, 4, 172, 244, 13, 13, Palette::RingFinger, 1),
    rect(Shape2_6, u"Shape2(6)", RoundedRect, 4, 220, 244, 13, 13, Palette::MiddleFinger, 1),
    rect(Shape2_7, u"Shape2(7)", RoundedRect, 4, 276, 244, 13, 13, Palette::LeftIndexFinger, 1),
    rect(Shape2_8, u"Shape2(8)", RoundedRect, 4, 332, 248, 57, 9, Palette::Thumb, 1),
    rect(Shape2_0, u"Shape2(0)", RoundedRect, 4, 444, 244, 13, 13, Palette::RightIndexFinger, 1),
    rect(Shape2_1, u"Shape2(1)", RoundedRect, 4, 496, 244, 13, 13, Palette::MiddleFinger, 1),
    rect(Shape2_2, u"Shape2(2)", RoundedRect, 4, 548, 244, 13, 13, Palette::RingFinger, 1),
    rect(Shape2_3, u"Shape2(3)", RoundedRect, 4, 600, 244, 13, 13, Palette::LittleFinger, 1),
    caption(Label2_13, u"Label2(13)", 4, 112, 260, 29, 15, u"小指", Palette::WindowGrey),
    caption(Label2_12, u"Label2(12)", 4, 158, 260, 41, 15, u"無名指", Palette::WindowGrey),
    caption(Label2_14, u"Label2(14)", 4, 212, 260, 29, 15, u"中指", Palette::WindowGrey),
    caption(Label2_15, u"Label2(15)", 4, 262, 260, 41, 15, u"左食指", Palette::WindowGrey),
    caption(Label2_16, u"Label2(16)", 4, 340, 260, 41, 15, u"大姆指", Palette::WindowGrey),
    caption(Label2_8, u"Label2(8)", 4, 430, 260, 41, 15, u"右食指", Palette::WindowGrey),
    caption(Label2_9, u"Label2(9)", 4, 488, 260, 29, 15, u"中指", Palette::WindowGrey),
    caption(Label2_10, u"Label2(10)", 4, 534, 260, 41, 15, u"無名指", Palette::WindowGrey),
    caption(Label2_11, u"Label2(11)", 4, 592, 260, 29, 15, u"小指", Palette::WindowGrey),

    // 5. The boundary between the hands: a white zigzag in the wider gaps.
    line(Line5_0, u"Line5(0)", 5, 290.53, 0, 290.53, 44, Palette::White, 4),
    line(Line5_1, u"Line5(1)", 5, 318.40, 48, 318.40, 92, Palette::White, 4),
    line(Line5_2, u"Line5(2)", 5, 326.33, 100, 326.33, 136, Palette::White, 4),
    line(Line5_3, u"Line5(3)", 5, 350.20, 148, 350.20, 188, Palette::White, 4),
    line(Line6, u"Line6", 5, 290.53, 44, 318.40, 48, Palette::White, 1),
    line(Line7, u"Line7", 5, 326.33, 100, 318.40, 92, Palette::White, 1),
    line(Line8, u"Line8", 5, 350.20, 148, 326.33, 136, Palette::White, 1),

    // 7. The Enter arrow: down, then left.
    line(Line4, u"Line4", 7, 680.53, 108, 680.53, 124, Palette::Black, 1),
    line(Line1_1, u"Line1(1)", 7, 680.53, 124, 624.80, 124, Palette::Black, 1),
    line(Line2_1, u"Line2(1)", 7, 624.80, 124, 632.80, 120, Palette::Black, 1),
    line(Line3_1, u"Line3(1)", 7, 632.80, 128, 624.80, 124, Palette::Black, 1),

    // 9. The Backspace arrow, pointing left.
    line(Line1_0, u"Line1(0)", 9, 708.40, 28, 636.73, 28, Palette::Black, 1),
    line(Line2_0, u"Line2(0)", 9, 636.73, 28, 644.73, 24, Palette::Black, 1),
    line(Line3_0, u"Line3(0)", 9, 644.73, 32, 636.73, 28, Palette::Black, 1),

    // 11-12. The big Enter key's upper part and its outline.
    rect(shpBigEnt_0, u"shpBigEnt(0)", Rect, 11, 660, 48, 65, 53, Palette::EnterShift, 0, false),
    line(Line11, u"Line11", 12, 660, 48, 660, 96, Palette::Black, 1, false),
    line(Line12, u"Line12", 12, 724, 48, 660, 48, Palette::Black, 1, false),
    line(Line13, u"Line13", 12, 724, 104, 724, 48, Palette::Black, 1, false),

    // 14. Bars on the home keys F and J.
    rect(Shape3_1, u"Shape3(1)", Rect, 14, 240, 128, 17, 4, Palette::HomeBar, 0),
    rect(Shape3_0, u"Shape3(0)", Rect, 14, 392, 128, 17, 4, Palette::HomeBar, 0),

    // 15-16. Captions naming the home keys, and their pointers.
    caption(lblBaseKey_0, u"lblBaseKey(0)", 15, 240, 64, 61, 29, u"左手食指基準鍵",
            Palette::HomeCaption, true, false),
    caption(lblBaseKey_1, u"lblBaseKey(1)", 15, 396, 64, 61, 29, u"右手食指基準鍵",
            Palette::HomeCaption, true, false),
    line(linBaseKey_0, u"linBaseKey(0)", 16, 252, 104, 264, 88, Palette::HomeCaption, 4, false),
    line(linBaseKey_1, u"linBaseKey(1)", 16, 400, 104, 412, 88, Palette::HomeCaption, 4, false),
};

static_assert(std::size(kElements) == static_cast<std::size_t>(Element::Count));

// --- Layouts ----------------------------------------------------------------

enum class Property : quint8 { Rect, Line, Visible };

// Rectangles: left, top, width, height; lines: x1, y1, x2, y2; visibility: 1 shown.
using Value = std::array<double, 4>;

struct LayoutRow {
    ItemRef target;
    Property property;
    std::array<Value, kLayoutCount> value; // "小Enter鍵", "\ 鍵在上", "\ 鍵在下"
};

constexpr Value kShown{1, 0, 0, 0};
constexpr Value kHidden{0, 0, 0, 0};

constexpr LayoutRow kLayouts[] = {
    {keyTopRef(8), Property::Rect, {{{632, 0, 89, 41}, {680, 0, 41, 41}, {632, 0, 89, 41}}}},
    {shadowRef(13), Property::Rect, {{{636, 4, 89, 41}, {684, 4, 41, 41}, {636, 4, 89, 41}}}},
    {legendRef(kBackspaceLegend), Property::Visible, {{kShown, kHidden, kShown}}},
    {elementRef(Line1_0), Property::Line, {{{708, 28, 636, 28}, {715, 28, 688, 28}, {708, 28, 636, 28}}}},
    {elementRef(Line2_0), Property::Line, {{{636, 28, 644, 24}, {688, 28, 696, 24}, {636, 28, 644, 24}}}},
    {elementRef(Line3_0), Property::Line, {{{636, 28, 644, 32}, {688, 28, 696, 32}, {636, 28, 644, 32}}}},
    {keyTopRef(92), Property::Rect, {{{660, 48, 61, 41}, {632, 0, 41, 41}, {684, 144, 41, 41}}}},
    {shadowRef(27), Property::Rect, {{{664, 52, 61, 41}, {636, 4, 41, 41}, {688, 148, 41, 41}}}},
    {legendRef(kBarLegend), Property::Rect, {{{684, 52, 5, 16}, {650, 4, 5, 16}, {702, 148, 5, 16}}}},
    {legendRef(kBackslashLegend), Property::Rect, {{{678, 68, 7, 16}, {644, 20, 7, 16}, {696, 164, 7, 16}}}},
    {keyTopRef(3), Property::Rect, {{{596, 144, 129, 41}, {596, 144, 129, 41}, {596, 144, 81, 41}}}},
    {shadowRef(52), Property::Rect, {{{600, 148, 129, 41}, {600, 148, 129, 41}, {600, 148, 81, 41}}}},
    {elementRef(shpBigEnt_0), Property::Visible, {{kHidden, kShown, kShown}}},
    {elementRef(shpBigEnt_1), Property::Visible, {{kHidden, kShown, kShown}}},
    {elementRef(Line11), Property::Visible, {{kHidden, kShown, kShown}}},
    {elementRef(Line12), Property::Visible, {{kHidden, kShown, kShown}}},
    {elementRef(Line13), Property::Visible, {{kHidden, kShown, kShown}}},
};

constexpr Element kHomeCaptionParts[] = {lblBaseKey_0, lblBaseKey_1, linBaseKey_0, linBaseKey_1};

QRectF toRect(const KeyRect &r)
{
    return QRectF(r.left, r.top, r.width, r.height);
}

} // namespace

QRectF Item::paintedBounds() const
{
    switch (shape) {
    case Shape::Line: {
        const qreal m = penWidth / 2.0 + 1.5;
        return QRectF(line.p1(), line.p2()).normalized().adjusted(-m, -m, m, m);
    }
    case Shape::Text:
        // Opaque captions clip their text; legends are centred in their box
        // and may overhang it when a stand-in font is wider.
        if (filled)
            return rect;
        return rect.adjusted(-rect.height(), -2, rect.height(), 2);
    case Shape::RoundedRect:
    case Shape::Rect:
        return rect.adjusted(-1, -1, 1, 1);
    }
    return rect;
}

KeyboardPicture::KeyboardPicture()
{
    m_items.reserve(std::size(kElements) + 2 * KeyCatalogue::keys().size() + kLegendCount);

    for (const ElementRow &e : kElements) {
        Item it;
        it.ref = elementRef(e.id);
        it.shape = e.shape;
        it.layer = e.layer;
        if (e.shape == Shape::Line)
            it.line = QLineF(e.a, e.b, e.c, e.d);
        else
            it.rect = QRectF(e.a, e.b, e.c, e.d);
        it.filled = e.filled;
        it.fill = e.fill;
        it.pen = e.pen;
        it.penWidth = e.penWidth;
        it.visible = e.visible;
        if (e.shape == Shape::RoundedRect)
            it.radius = kSquareRadius;
        if (e.text) {
            it.text = QString::fromUtf16(e.text);
            it.font = {FontRole::Ming, 9.75f, false};
            it.wordWrap = e.wordWrap;
        }
        it.name = QString::fromUtf16(e.name);
        m_items.push_back(std::move(it));
    }

    for (const KeyInfo &k : KeyCatalogue::keys()) {
        // Shadows lie 4 pixels right and down; the one of key 110 starts at
        // the key top's own left edge and is 4 pixels wider instead.
        Item shadow;
        shadow.ref = shadowRef(k.shadow);
        shadow.shape = Shape::RoundedRect;
        shadow.layer = 2;
        shadow.rect = toRect(k.rect).translated(4, 4);
        if (k.key == 110)
            shadow.rect.setLeft(k.rect.left);
        shadow.filled = true;
        shadow.fill = Palette::KeyShadow;
        shadow.penWidth = 1;
        shadow.radius = kKeyRadius;
        shadow.name = QStringLiteral("ShpKey(%1)").arg(k.shadow);
        m_items.push_back(std::move(shadow));

        Item top;
        top.ref = keyTopRef(k.key);
        top.shape = Shape::RoundedRect;
        top.layer = 3;
        top.rect = toRect(k.rect);
        top.filled = true;
        top.fill = KeyCatalogue::zoneColor(k.zone);
        top.penWidth = 1;
        top.radius = kKeyRadius;
        top.name = QStringLiteral("Shape1(%1)").arg(k.key);
        m_items.push_back(std::move(top));
    }

    for (const LegendRow &l : kLegends) {
        const KeyInfo *key = KeyCatalogue::find(l.key);
        Q_ASSERT(key);
        const StyleLook style = styleLook(l.style);
        Item it;
        it.ref = legendRef(l.index);
        it.shape = Shape::Text;
        it.layer = l.layer;
        it.rect = QRectF(key->rect.left + l.left, key->rect.top + l.top, l.width, l.height);
        it.pen = style.color;
        it.text = QString::fromUtf16(l.text);
        it.font = style.font;
        it.name = QStringLiteral("LblTit(%1)").arg(l.index);
        m_items.push_back(std::move(it));
    }

    std::stable_sort(m_items.begin(), m_items.end(),
                     [](const Item &a, const Item &b) { return a.layer < b.layer; });

    m_keyTops.fill(-1);
    m_shadows.fill(-1);
    m_legends.fill(-1);
    m_elements.fill(-1);
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        const ItemRef r = m_items[i].ref;
        const auto at = static_cast<qint16>(i);
        switch (r.group) {
        case Group::Shape1: m_keyTops[r.index] = at; break;
        case Group::ShpKey: m_shadows[r.index] = at; break;
        case Group::LblTit: m_legends[r.index] = at; break;
        case Group::Other: m_elements[r.index] = at; break;
        }
    }
}

const Item *KeyboardPicture::item(ItemRef ref) const
{
    return const_cast<KeyboardPicture *>(this)->find(ref);
}

Item *KeyboardPicture::find(ItemRef ref)
{
    qint16 at = -1;
    const int i = ref.index;
    switch (ref.group) {
    case Group::Shape1:
        if (i > 0 && i <= kMaxKeyNumber)
            at = m_keyTops[i];
        break;
    case Group::ShpKey:
        if (i >= 0 && i < kShadowCount)
            at = m_shadows[i];
        break;
    case Group::LblTit:
        if (i >= 0 && i < kLegendCount)
            at = m_legends[i];
        break;
    case Group::Other:
        if (i >= 0 && i < static_cast<int>(Element::Count))
            at = m_elements[i];
        break;
    }
    return at < 0 ? nullptr : &m_items[at];
}

template <typename Change>
Damage KeyboardPicture::change(ItemRef ref, Change &&apply)
{
    Item *it = find(ref);
    if (!it)
        return {};
    const Item before = *it;
    apply(*it);
    const bool same = before.rect == it->rect && before.line == it->line && before.fill == it->fill
                      && before.pen == it->pen && before.penWidth == it->penWidth
                      && before.visible == it->visible;
    if (same)
        return {};
    Damage damage;
    if (before.visible)
        damage << before.paintedBounds();
    if (it->visible && (!before.visible || it->paintedBounds() != before.paintedBounds()))
        damage << it->paintedBounds();
    return damage;
}

Damage KeyboardPicture::moveKeyTop(KeyNumber k, qreal left, qreal top)
{
    return change(keyTopRef(k), [&](Item &it) { it.rect.moveTo(left, top); });
}

Damage KeyboardPicture::setKeyBorder(KeyNumber k, VbColor color, int width)
{
    return change(keyTopRef(k), [&](Item &it) {
        it.pen = color;
        it.penWidth = width;
    });
}

Damage KeyboardPicture::setKeyFill(KeyNumber k, VbColor color)
{
    return change(keyTopRef(k), [&](Item &it) { it.fill = color; });
}

Damage KeyboardPicture::setVisible(ItemRef ref, bool visible)
{
    return change(ref, [&](Item &it) { it.visible = visible; });
}

Damage KeyboardPicture::setHomeCaptionsVisible(bool visible)
{
    Damage damage;
    for (Element e : kHomeCaptionParts)
        damage << setVisible(elementRef(e), visible);
    return damage;
}

bool KeyboardPicture::homeCaptionsVisible() const
{
    return std::all_of(std::begin(kHomeCaptionParts), std::end(kHomeCaptionParts),
                       [this](Element e) { return element(e)->visible; });
}

Damage KeyboardPicture::applyLayout(int option)
{
    if (option < 0 || option >= kLayoutCount)
        return {};
    Damage damage;
    for (const LayoutRow &row : kLayouts) {
        const Value &v = row.value[option];
        damage << change(row.target, [&](Item &it) {
            switch (row.property) {
            case Property::Rect: it.rect = QRectF(v[0], v[1], v[2], v[3]); break;
            case Property::Line: it.line = QLineF(v[0], v[1], v[2], v[3]); break;
            case Property::Visible: it.visible = v[0] != 0; break;
            }
        });
    }
    return damage;
}

Damage KeyboardPicture::matchBigEnterToEnterKey()
{
    const VbColor enterFill = keyTop(13)->fill;
    return change(elementRef(shpBigEnt_0), [&](Item &it) { it.fill = enterFill; });
}

} // namespace KeyboardArt
