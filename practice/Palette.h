#pragma once
// Colours as the platform writes them: 0x00BBGGRR (blue, green, red bytes).
// Views convert them to QColor with toQColor() in view/VbColor.h.

#include <QtGlobal>

using VbColor = quint32;

namespace Palette {
constexpr VbColor Black = 0x00000000;
constexpr VbColor White = 0x00FFFFFF;
constexpr VbColor Red = 0x000000FF;
constexpr VbColor Blue = 0x00FF0000;
constexpr VbColor DarkBlue = 0x00C00000;
constexpr VbColor Green = 0x0000FF00;
constexpr VbColor Grey = 0x00808080;
constexpr VbColor LightGrey = 0x00C0C0C0;
constexpr VbColor WindowGrey = 0x00E0E0E0;   // window and keyboard background
constexpr VbColor LightRed = 0x008080FF;     // current position's echo label
constexpr VbColor LightCyan = 0x00FFFFC0;    // symbol labels
constexpr VbColor Yellow = 0x0000FFFF;       // echo labels
constexpr VbColor EnterLabel = 0x00C0C0FF;   // the hidden "Enter" label of the text sheet

// Finger zones of the key tops.
constexpr VbColor LittleFinger = 0x0080C0FF;
constexpr VbColor RingFinger = 0x0080FF80;
constexpr VbColor MiddleFinger = 0x0000FFFF;
constexpr VbColor LeftIndexFinger = 0x00FFFF00;
constexpr VbColor RightIndexFinger = 0x00FFFFC0;
constexpr VbColor Thumb = 0x00FF80FF;
constexpr VbColor FunctionKey = 0x00808000;
constexpr VbColor EnterShift = 0x00FF8080;

constexpr VbColor KeyShadow = 0x00004080;
constexpr VbColor BigEnterShadow = 0x00404080;
constexpr VbColor HomeBar = 0x00FF00FF;
constexpr VbColor HomeCaption = 0x008080FF;

constexpr quint8 red(VbColor c) { return c & 0xFF; }
constexpr quint8 green(VbColor c) { return (c >> 8) & 0xFF; }
constexpr quint8 blue(VbColor c) { return (c >> 16) & 0xFF; }
} // namespace Palette
