#pragma once
// A drill made from the learner's weakest keys: 28 characters of the
// built-in texts whose readings need those keys, each with its reading from
// the same text, as a token table that loads like a basic lesson.

#include <QString>
#include <vector>

#include "practice/TokenTable.h"
#include "record/RecordedRun.h"

// Fewer judged keystrokes than this say too little about weak keys.
constexpr qint64 kDrillMinKeystrokes = 200;
constexpr int kDrillCharacters = 28;

struct WeakKeyDrill {
    enum class Status {
        Ok,
        TooFewKeystrokes, // the record holds fewer than kDrillMinKeystrokes
    };
    Status status = Status::Ok;
    qint64 keystrokes = 0;       // judged keystrokes in the record
    std::vector<KeyNumber> keys; // the weak keys drilled, weakest first
    // The keys' symbols, weakest first, e.g. "ㄅㄉˇ": the window's title is
    // "Quillory注音打字練習_弱鍵練習" followed by these.
    QString keysCaption;
    // kDrillCharacters tokens: character and reading (first tone unmarked,
    // as in the lessons); empty unless Ok.
    TokenTable table;
};

// Builds the drill from the record's key totals. Only keys that the
// built-in readings use can be drilled (the Zhuyin keys, the tone keys and
// the space bar of the first tone). The same totals give the same drill.
WeakKeyDrill MakeWeakKeyDrill(const std::vector<KeyTotal> &totals);
