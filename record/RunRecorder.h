#pragma once
// Collects one practice run's figures as it is typed: listens to the run
// (PracticeRun::setListener) and, when the run ends, hands a RecordedRun to
// its sink. Everything here is in memory and cheap: the judging path only
// appends to small vectors; the disk is the store's business.

#include <QDateTime>
#include <functional>

#include "record/RecordedRun.h"
#include "run/RunListener.h"

// What the window knows about a run that the run itself does not.
struct RunContext {
    TextRef text;
    qint16 speedClass = 3; // at the run's end: the class the learner last chose
    qint16 layout = 0;
};

class RunRecorder : public RunListener {
public:
    // The text, speed class and layout of the next run (set before it
    // starts); the speed class and layout may change until it ends.
    void setContext(const RunContext &context) { m_context = context; }
    RunContext &context() { return m_context; }

    // Receives each finished run (completed or interrupted, also under one
    // second). A run over a text without positions is not recorded.
    std::function<void(RecordedRun)> sink;

    // The wall clock read when a run starts; tests replace it.
    std::function<QDateTime()> wallClock = [] { return QDateTime::currentDateTimeUtc(); };

    void runStarted(qint32 posCount, qint64 nowMs) override;
    void positionBegun(qint16 pos, KeyNumber key, qint64 nowMs) override;
    void keystrokeJudged(qint16 pos, KeyNumber expectedKey, KeyNumber typedKey, bool right,
                         qint64 nowMs) override;
    void runFinished(const RunOutcome &outcome) override;

private:
    KeyStat &stat(KeyNumber key);

    RunContext m_context;
    QDateTime m_startedAt;
    std::vector<KeyStat> m_keys;           // indexed by key number, 0 … kMaxKeyNumber
    std::vector<Confusion> m_confusions;   // unsorted while the run goes on
    qint64 m_posBegunMs = 0;
    qint16 m_lastTypedPos = 0;
    qint32 m_posTyped = 0;
    bool m_active = false;
};

// The figures a finished run keeps, from its outcome: speed and accuracy
// with the report's arithmetic, and whether the report showed them.
void ApplyOutcome(RunSummary &summary, const RunOutcome &outcome);

// The median of times (the mean of the middle two for an even count); -1 for none.
qint32 MedianMs(std::vector<qint32> times);
