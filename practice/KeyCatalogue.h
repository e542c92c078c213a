#pragma once
// The key catalogue: every key of the drawn keyboard with its number, legends,
// Zhuyin symbol, finger zone and the key top's place in the default layout,
// and the Zhuyin table that says on which key each symbol is typed.

#include <QString>
#include <QtGlobal>
#include <array>
#include <span>

#include "practice/Palette.h"

// A key number names one key of the drawn keyboard: capital-letter and digit
// codes, the unshifted punctuation character's code, 8/9/13/20/32 for
// Backspace, Tab, Enter, Caps Lock and the space bar, 2/3 for left/right Shift,
// 4/5 for Ctrl, 6/7 for Alt, and 110/114/115 for the unlabelled bottom-row keys.
using KeyNumber = qint16;

// Arrays indexed by key number run from 1 to this bound.
constexpr int kMaxKeyNumber = 200;

enum class FingerZone : quint8 {
    Little,     // little fingers of both hands
    Ring,       // ring fingers
    Middle,     // middle fingers
    LeftIndex,  // left index finger
    RightIndex, // right index finger
    Thumb,      // the space bar
    Function,   // Tab, Caps Lock, Ctrl, Alt and the unlabelled keys
    EnterShift, // Enter and both Shift keys
};

enum class Hand : quint8 { Left, Right, Either };

struct KeyRect {
    qint16 left, top, width, height;
    friend constexpr bool operator==(const KeyRect &, const KeyRect &) = default;
};

struct KeyInfo {
    KeyNumber key;
    qint8 row;              // 1 (digits) … 5 (space bar)
    const char16_t *upper;  // shifted legend, empty when the key has one legend
    const char16_t *lower;  // unshifted legend, or the key's only legend
    qint8 zhuyinEntry;      // entry of the Zhuyin table typed on this key, 0 none
    FingerZone zone;
    Hand hand;
    qint16 platformKeyCode; // the platform's key code reported on key-down/up, 0 none
    KeyRect rect;           // key top in the default ("小Enter鍵") layout, pixels of picKey
    qint8 shadow;           // index of the key's shadow in ShpKey
};

namespace KeyCatalogue {

// All 61 keys, row by row from the digit row, each row left to right.
std::span<const KeyInfo> keys();

// The key with this number, or nullptr.
const KeyInfo *find(KeyNumber key);

// Fill colour of a finger zone's key tops (0x00BBGGRR).
VbColor zoneColor(FingerZone zone);

// The Zhuyin table, entries 1 … 41: the four tone marks, then the 37 symbols
// in their traditional order. Index 0 is unused.
constexpr int kZhuyinEntries = 41;
extern const std::array<QChar, kZhuyinEntries + 1> zhuyinSymbols;
extern const std::array<KeyNumber, kZhuyinEntries + 1> zhuyinKeyCodes;

// The order in which the rest positions of the key tops are recorded.
std::span<const KeyNumber> restPositionOrder();

} // namespace KeyCatalogue

// Key number of the key that types this Zhuyin symbol or tone mark; the whole
// string must match one entry exactly, otherwise 0.
KeyNumber KeyOfSymbol(const QString &symbol);

// The Zhuyin symbol typed on this key, or the empty string.
QString SymbolOfKey(KeyNumber key);

// Rest positions of the key tops (not pressed), by key number 1 … 200, in
// pixels of the keyboard picture. Keys without a rest position stay 0.
struct RestPositions {
    std::array<qint16, kMaxKeyNumber + 1> keyLeft{};
    std::array<qint16, kMaxKeyNumber + 1> keyTop{};

    // Records every key's default-layout place, in the catalogue's recording order.
    void recordDefaultLayout();
    void set(KeyNumber key, double left, double top);
};
