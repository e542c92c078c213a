#pragma once
// The platform's key code of a key event, as key-down and key-up report it:
// the code of the physical key whatever the Shift state (A-Z 65-90, digits
// 48-57, 186-192 and 219-222 for the punctuation keys, 8 Backspace, 9 Tab,
// 13 Enter, 16 Shift, 17 Ctrl, 18 Alt, 20 Caps Lock, 32 space), 0 for others.

class QKeyEvent;

int KeyCodeOf(const QKeyEvent *event);

// The key code of an X keycode (the evdev code + 8) on the US layout.
int KeyCodeOfX11Keycode(unsigned keycode);
