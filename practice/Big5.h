#pragma once
// Conversions with code page 950 (Big5, Microsoft's table), the code page of
// the Traditional Chinese desktop the tutor is made for. Independent of the
// machine's own locale.

#include <QByteArray>
#include <QString>

// Byte length of text in code page 950; a character the code page cannot
// encode counts as the one-byte substitute "?". 1 means a single-byte
// character (typed as that exact character), anything else double-byte.
qint32 LenMbcs(const QString &text);

namespace Big5 {
// Decodes code page 950 bytes. Undecodable bytes become substitution characters.
QString decode(QByteArrayView bytes);
// Encodes text in code page 950, "?" for what the code page cannot encode.
QByteArray encode(const QString &text);
} // namespace Big5
