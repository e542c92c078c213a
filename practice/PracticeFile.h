#pragma once
// Practice files: plain text, one token per line (the character, then its
// Zhuyin reading), empty lines skipped, at most 5000 tokens. UTF-8 (with or
// without a byte-order mark) or code page 950 (Big5); CR LF, LF or CR line ends.

#include <QByteArray>
#include <QString>

#include "practice/TokenTable.h"

constexpr int kMaxPracticeTokens = 5000;
// Larger files cannot hold a text the window can lay out.
constexpr qint64 kMaxPracticeFileBytes = 32 * 1024 * 1024;

struct PracticeFileResult {
    enum class Status {
        Ok,
        NotFound,     // no such file
        NotAFile,     // a folder or a device
        Unreadable,   // no permission, or a read error
        TooLarge,     // beyond kMaxPracticeFileBytes
        TooManyLines, // more than kMaxPracticeTokens non-empty lines
    };
    Status status = Status::Ok;
    TokenTable table;
    QString error; // the system's reason for Unreadable
};

// Decodes a practice file's bytes: UTF-8 when they start with its byte-order
// mark or are valid UTF-8 throughout, otherwise code page 950.
QString DecodePracticeText(const QByteArray &bytes);

// Splits decoded text into tokens: one per non-empty line, its first character
// in row 1 and the rest of the line, blanks included, in row 2. Returns false
// when there are more than kMaxPracticeTokens.
bool TokensFromLines(QStringView text, TokenTable &table);

PracticeFileResult ReadPracticeFile(const QString &path);

// The file name without its folder: what follows the last path separator.
QString FileNameOf(const QString &path);
