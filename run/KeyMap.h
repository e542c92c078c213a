#pragma once
// From typed characters and key codes to the keys of the drawn keyboard.

#include "practice/KeyCatalogue.h"

// Which Shift key a character needs: none, the left one (key 2) or the right one (key 3).
enum class ShiftSide : qint16 { None = 0, Left = 2, Right = 3 };

// The key that produces character code ch on the US layout, 0 if none.
KeyNumber BaseKeyOf(qint16 ch);

// The Shift key that character code ch needs: the one on the other hand;
// letters need it only when Caps Lock does not already give their case.
ShiftSide ShiftSideOf(qint16 ch, bool capsLockOn);

// The key number of a key-up key code (the platform's codes: 186-192 and
// 219-222 for the punctuation keys), 0 for codes whose key top does not move.
KeyNumber KeyNumberOfKeyCode(int keyCode);
