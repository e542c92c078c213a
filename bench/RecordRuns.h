#pragma once
// Runs for the record benchmarks, made up the way a learner's record fills:
// one of the 44 built-in texts or a practice file, mostly completed, every
// key of the keyboard with a few right and wrong keystrokes and their times,
// and 39 confusions: 100 key rows a run.

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QRandomGenerator>
#include <QTime>
#include <algorithm>
#include <vector>

#include "practice/KeyCatalogue.h"
#include "practice/Lessons.h"
#include "record/RecordStore.h"
#include "record/RunRecorder.h"

namespace recordbench {

constexpr int kKeysPerRun = 61;
constexpr int kConfusionsPerRun = 39;

inline std::vector<KeyNumber> allKeys()
{
    std::vector<KeyNumber> keys;
    for (const KeyInfo &k : KeyCatalogue::keys())
        keys.push_back(k.key);
    return keys;
}

inline RecordedRun makeRun(QRandomGenerator &rng, const std::vector<KeyNumber> &keys, qint64 startMs)
{
    RecordedRun r;
    RunSummary &s = r.run;
    const int item = rng.bounded(46);
    if (item < 44) {
        const auto menu = item < 18 ? Lessons::Menu::Base : item < 36 ? Lessons::Menu::Doc : Lessons::Menu::ClassDoc;
        s.text = TextRef::builtIn(menu, qint16(item < 18 ? item + 1 : item < 36 ? item - 17 : item - 35));
    } else {
        TokenTable t;
        t.append(QStringLiteral("字"), QString::number(item));
        s.text = TextRef::file(QStringLiteral("/home/learner/texts/file%1.txt").arg(item), t);
    }
    s.startedAt = QDateTime::fromMSecsSinceEpoch(startMs, Qt::UTC);
    s.speedClass = qint16(1 + rng.bounded(4));
    s.completed = rng.bounded(10) > 0;
    s.posCount = 300;
    s.rightCount = s.completed ? 300 : rng.bounded(300);
    s.posTyped = s.rightCount;
    s.wrongCount = rng.bounded(40);
    s.elapsedSeconds = 60 + rng.bounded(200);
    s.elapsedMs = s.elapsedSeconds * 1000 + rng.bounded(1000);
    s.speed = double(s.rightCount) / s.elapsedSeconds;
    s.accuracy = double(s.rightCount) / std::max(1, s.rightCount + s.wrongCount);
    s.figuresReported = true;
    for (int i = 0; i < kKeysPerRun; ++i) {
        KeyStat k;
        k.key = keys[std::size_t(i) % keys.size()];
        k.expected = k.right = 1 + rng.bounded(8);
        k.wrong = rng.bounded(3);
        for (int t = 0; t < k.right; ++t)
            k.timesMs.push_back(150 + rng.bounded(900));
        k.medianMs = MedianMs(k.timesMs);
        r.keys.push_back(std::move(k));
    }
    for (int i = 0; i < kConfusionsPerRun; ++i)
        r.confusions.push_back({keys[std::size_t(i)], keys[std::size_t(i) + 1], 1 + rng.bounded(3)});
    return r;
}

// The process's resident memory, KiB.
inline long rssKiB()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

} // namespace recordbench
