#include "app/KeyCodes.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {

// Keys by X keycode 9 … 66 (standard PC keyboard, evdev).
constexpr int kX11Codes[] = {
    /*  9 Esc */ 27,
    /* 10-19 1..0 */ 49, 50, 51, 52, 53, 54, 55, 56, 57, 48,
    /* 20 - */ 189, /* 21 = */ 187, /* 22 BackSpace */ 8, /* 23 Tab */ 9,
    /* 24-33 Q..P */ 81, 87, 69, 82, 84, 89, 85, 73, 79, 80,
    /* 34 [ */ 219, /* 35 ] */ 221, /* 36 Return */ 13, /* 37 Control_L */ 17,
    /* 38-46 A..L */ 65, 83, 68, 70, 71, 72, 74, 75, 76,
    /* 47 ; */ 186, /* 48 ' */ 222, /* 49 ` */ 192, /* 50 Shift_L */ 16, /* 51 \ */ 220,
    /* 52-58 Z..M */ 90, 88, 67, 86, 66, 78, 77,
    /* 59 , */ 188, /* 60 . */ 190, /* 61 / */ 191, /* 62 Shift_R */ 16,
    /* 63 KP_Multiply */ 106, /* 64 Alt_L */ 18, /* 65 space */ 32, /* 66 Caps_Lock */ 20,
};

int keyCodeOfQtKey(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return key;
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key;
    switch (key) {
    // Shifted characters belong to the key that types them.
    case Qt::Key_Exclam: return 49;
    case Qt::Key_At: return 50;
    case Qt::Key_NumberSign: return 51;
    case Qt::Key_Dollar: return 52;
    case Qt::Key_Percent: return 53;
    case Qt::Key_AsciiCircum: return 54;
    case Qt::Key_Ampersand: return 55;
    case Qt::Key_Asterisk: return 56;
    case Qt::Key_ParenLeft: return 57;
    case Qt::Key_ParenRight: return 48;
    case Qt::Key_Minus: case Qt::Key_Underscore: return 189;
    case Qt::Key_Equal: case Qt::Key_Plus: return 187;
    case Qt::Key_BracketLeft: case Qt::Key_BraceLeft: return 219;
    case Qt::Key_BracketRight: case Qt::Key_BraceRight: return 221;
    case Qt::Key_Backslash: case Qt::Key_Bar: return 220;
    case Qt::Key_Semicolon: case Qt::Key_Colon: return 186;
    case Qt::Key_Apostrophe: case Qt::Key_QuoteDbl: return 222;
    case Qt::Key_Comma: case Qt::Key_Less: return 188;
    case Qt::Key_Period: case Qt::Key_Greater: return 190;
    case Qt::Key_Slash: case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft: case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 9;
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    default: return 0;
    }
}

} // namespace

int KeyCodeOfX11Keycode(unsigned keycode)
{
    if (keycode >= 9 && keycode < 9 + std::size(kX11Codes))
        return kX11Codes[keycode - 9];
    switch (keycode) {
    case 105: return 17; // Control_R
    case 108: return 18; // Alt_R
    default: return 0;
    }
}

int KeyCodeOf(const QKeyEvent *event)
{
    if (!event)
        return 0;
#if defined(Q_OS_WIN)
    if (event->nativeVirtualKey() != 0)
        return static_cast<int>(event->nativeVirtualKey());
#endif
    // On X the scan code is the keycode of the physical key; a shifted
    // character still names its key.
    if (event->nativeScanCode() != 0 && QGuiApplication::platformName() == QLatin1String("xcb")) {
        if (const int code = KeyCodeOfX11Keycode(event->nativeScanCode()))
            return code;
    }
    return keyCodeOfQtKey(event->key());
}
