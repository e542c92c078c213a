#pragma once
// The hand-over of a practice text: one column per token, row 1 the token's
// character, row 2 its Zhuyin reading (first tone unmarked until laid out).

#include <QStringList>

struct TokenTable {
    QStringList chars;    // row 1: the character shown, at most one character
    QStringList readings; // row 2: the symbols to type; empty for punctuation

    qsizetype size() const { return chars.size(); }
    bool isEmpty() const { return chars.isEmpty(); }
    void append(const QString &ch, const QString &reading)
    {
        chars.append(ch);
        readings.append(reading);
    }
};
