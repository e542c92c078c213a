#pragma once
// The learner's record as plain data: one recorded run with its per-key
// figures, and the rows the record window reads back (runs, chart points,
// key totals, confusions, texts). Views work on these structs only; none of
// them needs SQL.

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "practice/KeyCatalogue.h"
#include "practice/Lessons.h"
#include "practice/TokenTable.h"

// Which text a run was typed over.
struct TextRef {
    enum class Kind {
        BuiltIn, // a lesson, poem or prose piece of the menus
        File,    // a practice file
        Drill,   // a weak-key drill made from the record
    };
    Kind kind = Kind::BuiltIn;
    // Built-in: the menu, the 1-based item and its caption.
    Lessons::Menu menu = Lessons::Menu::Base;
    qint16 index = 0;
    QString caption;     // also the drill's keys, e.g. "ㄅㄉˇ"
    // Practice file: its full path, its name, and a hash of its text.
    QString path;
    QString fileName;
    QString contentHash; // hex SHA-256 of the tokens as read; also set for drills

    // A built-in text; the caption is the menu item's.
    static TextRef builtIn(Lessons::Menu menu, qint16 index);
    // A practice file with the table as read (before it is laid out).
    static TextRef file(const QString &path, const TokenTable &table);
    // A weak-key drill over these keys' symbols, with its table.
    static TextRef drill(const QString &keysCaption, const TokenTable &table);

    // What the learner reads in the record: the menu caption ("第一課ㄇㄋ配ㄠㄤ"),
    // the file's name, or "弱鍵練習" and the keys.
    QString label() const;
    // The text's identity in the record: runs with the same key are runs over
    // the same text (a built-in item; a file's path and content; a drill's keys).
    QString identityKey() const;
};

// A run's figures for one key.
struct KeyStat {
    KeyNumber key = 0;
    qint32 expected = 0;  // positions that needed the key
    qint32 right = 0;     // of those, accepted by a keystroke
    qint32 wrong = 0;     // wrong keystrokes while the key was needed
    qint32 medianMs = -1; // median ms from a position's start to its right key; -1: none
    // Each right keystroke's time (ms from its position's start), in order.
    // Kept while the run is handed to the store (for the totals); not read back.
    std::vector<qint32> timesMs;
};

// Expected one key, typed another (or the right key in the wrong case).
struct Confusion {
    KeyNumber expected = 0;
    KeyNumber typed = 0;  // 0: a character without a key top
    qint64 count = 0;
};

// One run without its per-key figures: a row of the runs table.
struct RunSummary {
    qint64 id = 0;        // the record's run number; 0 until stored
    qint64 textId = 0;    // the record's text number; 0 until stored
    QDateTime startedAt;  // wall-clock time the run started (UTC)
    TextRef text;
    qint16 speedClass = 3;   // 1 … 4, as chosen in the window
    qint16 layout = 0;       // keyboard layout option 0 … 2
    bool completed = false;  // typed to the end; false: interrupted
    qint32 elapsedSeconds = 0; // whole seconds, as the report uses them
    qint64 elapsedMs = 0;    // monotonic milliseconds from start to end
    qint32 posCount = 0;     // positions of the text
    qint32 posTyped = 0;     // positions that got at least one keystroke
    qint32 rightCount = 0;
    qint32 wrongCount = 0;
    // The report's arithmetic: speed = rightCount / elapsedSeconds (needs at
    // least one second), accuracy = rightCount / (rightCount + wrongCount)
    // (needs a keystroke); empty where it cannot be computed.
    std::optional<double> speed;
    std::optional<double> accuracy;
    // Whether the report showed the figures (a completed run of a second or
    // more, an interrupted one of 21 seconds or more, with a keystroke).
    bool figuresReported = false;
};

struct RecordedRun {
    RunSummary run;
    std::vector<KeyStat> keys;         // by key number, the keys that were needed
    std::vector<Confusion> confusions; // by expected, then typed key
};

// A point of the speed and accuracy chart.
struct RunPoint {
    qint64 runId = 0;
    qint64 textId = 0;
    QDateTime startedAt;
    std::optional<double> speed;    // keystrokes a second
    std::optional<double> accuracy; // 0 … 1
    bool completed = false;
};

// A key's figures over every recorded run.
struct KeyTotal {
    KeyNumber key = 0;
    qint64 expected = 0;
    qint64 right = 0;
    qint64 wrong = 0;
    // wrong / (right + wrong): the share of keystrokes made while the key was
    // needed that were wrong; 0 without keystrokes.
    double errorRate = 0.0;
    qint32 medianMs = -1;   // over every right keystroke, to 10 ms below one second; -1: none
};

// A text that has recorded runs: an entry of the text filter.
struct TextSummary {
    qint64 id = 0;
    TextRef text;
    qint32 runs = 0;
    QDateTime lastRunAt;
};

// Filters of the runs table and the chart.
struct RunFilter {
    qint64 textId = 0; // 0: every text
};

// The n weakest of these keys: the highest error rate among keys needed at
// least minExpected times; ties go to the slower key, then the lower number.
std::vector<KeyTotal> WeakestKeys(std::vector<KeyTotal> totals, int n, qint64 minExpected);

// The captions of the window's speed classes 1 … 4 ("初學" … "飆速") and
// keyboard layouts 0 … 2 ("小Enter鍵", "\ 鍵在上", "\ 鍵在下").
QString SpeedClassCaption(qint16 speedClass);
QString LayoutCaption(qint16 layout);

// How a key is named in the record: its Zhuyin symbol or tone mark, "ˉ" for
// the space bar (the first tone), otherwise its legend ("A", ";"); "?" for 0.
QString KeyLabel(KeyNumber key);
