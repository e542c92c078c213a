#pragma once
// Practice files: plain text, one token per line (the character, then its
// Zhuyin reading), empty lines skipped, at most 5000 tokens. UTF-8 (with or
// without a byte-order mark), UTF-16 with its byte-order mark, or code page 950
// (Big5); CR LF, LF or CR line ends.

#include <QByteArray>
#include <QString>

#include "practice/TextDecoding.h"
#include "practice/TextLayout.h"
#include "practice/TokenTable.h"

constexpr int kMaxPracticeTokens = 5000;
// 5000 tokens whose readings give at most kMaxPositions symbols in all fit in
// well under 1 MB; a larger file is something else and is refused before it
// is read.
constexpr qint64 kMaxPracticeFileBytes = 4 * 1024 * 1024;

struct PracticeFileResult {
    enum class Status {
        Ok,
        NotFound,       // no such file
        Folder,         // a folder
        NotAFile,       // a pipe, a device or a socket
        LinkLoop,       // symbolic links that lead round in a circle
        Unreadable,     // no permission, or a read error
        TooLarge,       // beyond kMaxPracticeFileBytes
        TooManyLines,   // more than kMaxPracticeTokens non-empty lines
        TooManySymbols, // readings of more than kMaxPositions characters in all
    };
    Status status = Status::Ok;
    TokenTable table;
    QString error; // the reason for Unreadable
    TextEncoding encoding = TextEncoding::Utf8;
    qsizetype firstBadLine = 0; // first line with undecodable bytes, 0 if none
};

// Splits decoded text into tokens: one per non-empty line, its first character
// in row 1 and the rest of the line, blanks included, in row 2. Stops as soon
// as there are more than kMaxPracticeTokens tokens or their readings hold more
// than kMaxPositions characters (a surrogate pair counts as one), and
// says which; the table is then empty.
PracticeFileResult::Status TokensFromLines(QStringView text, TokenTable &table);

PracticeFileResult ReadPracticeFile(const QString &path);

// The file name without its folder: what follows the last path separator.
QString FileNameOf(const QString &path);
