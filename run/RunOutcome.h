#pragma once
// How a run ended, fixed at the moment it ended.

#include <QtGlobal>

struct RunOutcome {
    bool completed = false;     // typed to the end; false: interrupted
    qint32 posCount = 0;        // positions of the text
    qint32 rightCount = 0;      // positions accepted
    qint32 wrongCount = 0;
    qint32 elapsedSeconds = 0;  // the whole seconds the speed is computed from
    qint64 elapsedMs = 0;       // monotonic milliseconds from start to end
    qint16 typedKey = 0;        // the key that ended the run (27: interrupted)
};
