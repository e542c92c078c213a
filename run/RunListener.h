#pragma once
// What a run tells whoever keeps its figures (the learner's record): the
// run's keystrokes as they are judged, with the monotonic time each arrived.
// Unlike RunDisplay it carries no drawing; every call has a default that
// does nothing, so a listener implements only what it needs.

#include <QtGlobal>

#include "practice/KeyCatalogue.h"
#include "run/RunOutcome.h"

class RunListener {
public:
    virtual ~RunListener() = default;

    // A run over posCount positions starts at monotonic time nowMs (ms).
    virtual void runStarted(qint32 posCount, qint64 nowMs)
    {
        Q_UNUSED(posCount);
        Q_UNUSED(nowMs);
    }

    // Position pos becomes current at nowMs; key is the key it needs (the
    // base key of a single-byte character; 0: a symbol without a key, which
    // is accepted at once).
    virtual void positionBegun(qint16 pos, KeyNumber key, qint64 nowMs)
    {
        Q_UNUSED(pos);
        Q_UNUSED(key);
        Q_UNUSED(nowMs);
    }

    // A keystroke at position pos was judged at nowMs: right, or wrong (then
    // counted in wrongCount). expectedKey is the key the position needs,
    // typedKey the key that was pressed (0: a character without a key top).
    // A wrong keystroke on the right key is a wrong case or Shift in
    // character mode. Esc and Backspace are not judged and not reported.
    virtual void keystrokeJudged(qint16 pos, KeyNumber expectedKey, KeyNumber typedKey, bool right,
                                 qint64 nowMs)
    {
        Q_UNUSED(pos);
        Q_UNUSED(expectedKey);
        Q_UNUSED(typedKey);
        Q_UNUSED(right);
        Q_UNUSED(nowMs);
    }

    // The run ended, completed or interrupted; called before RunDisplay's
    // runEnded.
    virtual void runFinished(const RunOutcome &outcome) { Q_UNUSED(outcome); }
};
