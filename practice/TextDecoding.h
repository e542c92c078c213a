#pragma once
// Decoding a text file whatever editor wrote it: UTF-8 (with or without a
// byte-order mark), UTF-16 with its byte-order mark, or code page 950 (Big5),
// the code page of the Traditional Chinese desktop.

#include <QByteArrayView>
#include <QString>

enum class TextEncoding { Utf8, Big5, Utf16LE, Utf16BE };

struct DecodedText {
    QString text;
    TextEncoding encoding = TextEncoding::Utf8;
    // The first line (counted from 1) holding bytes that do not decode in
    // that encoding; each became U+FFFD. 0 when every byte decoded.
    qsizetype firstBadLine = 0;
};

// A byte-order mark decides the encoding. Without one, bytes that are UTF-8
// throughout are UTF-8; otherwise the encoding with fewer undecodable
// sequences wins, so one bad byte in a UTF-8 file does not turn the whole
// file into Big5, while a Big5 file stays Big5. Ties go to Big5.
DecodedText DecodeTextFile(QByteArrayView bytes);
