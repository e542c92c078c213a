#include "run/KeyMap.h"

namespace {

constexpr bool isRightHandLetter(char16_t upper)
{
    // H I J K L M N O P U Y are struck by the right hand.
    return (upper >= u'H' && upper <= u'P') || upper == u'U' || upper == u'Y';
}

} // namespace

KeyNumber BaseKeyOf(qint16 ch)
{
    if ((ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'Z'))
        return ch;
    if (ch >= 'a' && ch <= 'z')
        return static_cast<KeyNumber>(ch - 32);
    switch (ch) {
    case 8: case 9: case 13: case 32:
    case 39: case 44: case 45: case 46: case 47: case 59: case 61:
    case 91: case 92: case 93: case 96:
        return ch;
    case '!': return 49;
    case '"': return 39;
    case '#': return 51;
    case '$': return 52;
    case '%': return 53;
    case '&': return 55;
    case '(': return 57;
    case ')': return 48;
    case '*': return 56;
    case '+': return 61;
    case ':': return 59;
    case '<': return 44;
    case '>': return 46;
    case '?': return 47;
    case '@': return 50;
    case '^': return 54;
    case '_': return 45;
    case '{': return 91;
    case '|': return 92;
    case '}': return 93;
    case '~': return 96;
    default: return 0;
    }
}

ShiftSide ShiftSideOf(qint16 ch, bool capsLockOn)
{
    if (ch >= 'A' && ch <= 'Z') {
        if (capsLockOn)
            return ShiftSide::None;
        return isRightHandLetter(char16_t(ch)) ? ShiftSide::Left : ShiftSide::Right;
    }
    if (ch >= 'a' && ch <= 'z') {
        if (!capsLockOn)
            return ShiftSide::None;
        return isRightHandLetter(char16_t(ch - 32)) ? ShiftSide::Left : ShiftSide::Right;
    }
    switch (ch) {
    case '~': case '!': case '@': case '#': case '$': case '%':
        return ShiftSide::Right;
    case '^': case '&': case '*': case '(': case ')': case '_': case '+':
    case '{': case '}': case '|': case ':': case '<': case '>': case '?': case '"':
        return ShiftSide::Left;
    default:
        return ShiftSide::None;
    }
}

KeyNumber KeyNumberOfKeyCode(int keyCode)
{
    if ((keyCode >= 48 && keyCode <= 57) || (keyCode >= 65 && keyCode <= 90))
        return static_cast<KeyNumber>(keyCode);
    switch (keyCode) {
    case 8: case 9: case 13: case 20: case 32:
        return static_cast<KeyNumber>(keyCode);
    case 186: return 59;
    case 187: return 61;
    case 188: return 44;
    case 189: return 45;
    case 190: return 46;
    case 191: return 47;
    case 192: return 96;
    case 219: return 91;
    case 220: return 92;
    case 221: return 93;
    case 222: return 39;
    default: return 0;
    }
}
