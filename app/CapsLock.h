#pragma once
// Caps Lock state: XKB's lock state on X11, GetKeyState on Windows, and on
// any other platform (the offscreen one included) the state tracked from
// the Caps Lock key events. Tests may force the state.

#include <optional>

class QKeyEvent;

namespace CapsLock {

// True when Caps Lock is on. Right after a Caps Lock key press this is the
// state the press leads to, even where the platform changes it only on release.
bool isOn();

// Feed the Caps Lock key's own events (press and release, no auto-repeat).
void keyPressed(const QKeyEvent *event);
void keyReleased(const QKeyEvent *event);

// Feed every key event the window receives. On X each one carries the Lock
// state, so that a keystroke asks the X server nothing: the state is asked
// only when no key has come since the window took the keyboard.
void keyEventSeen(const QKeyEvent *event);
// The window lost the keyboard: Caps Lock may change where it cannot see.
void keyboardLost();

// Forces the state (tests); std::nullopt returns to the platform's state.
void setOverride(std::optional<bool> on);

// How many times the state was asked of the platform (tests).
int platformQueries();

} // namespace CapsLock
