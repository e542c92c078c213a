#pragma once
// Conversion of colours written as the platform writes them (0x00BBGGRR).

#include <QColor>
#include <QString>

#include "practice/Palette.h"

inline QColor toQColor(VbColor c)
{
    return QColor(Palette::red(c), Palette::green(c), Palette::blue(c));
}

// Colours kept as text literals, "&H8080FF" or "&H00FF8080".
inline VbColor vbColorFromText(const QString &text)
{
    QString hex = text.trimmed();
    if (hex.startsWith(QLatin1String("&H"), Qt::CaseInsensitive))
        hex = hex.mid(2);
    if (hex.endsWith(QLatin1Char('&')))
        hex.chop(1);
    bool ok = false;
    const uint v = hex.toUInt(&ok, 16);
    return ok ? (v & 0x00FFFFFF) : Palette::Black;
}
