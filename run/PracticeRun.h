#pragma once
// The practice run as a state machine: it advances one position per accepted
// keystroke and never waits in a loop. The window feeds it every typed
// character in order and is told what to show through RunDisplay.

#include <QString>
#include <vector>

#include "practice/KeyCatalogue.h"
#include "run/RunListener.h"
#include "run/RunOutcome.h"

// What the window shows for the run; the run calls these in the order a
// learner sees them.
class RunDisplay {
public:
    virtual ~RunDisplay() = default;
    // Position pos becomes current: bring it into view, mark its key k
    // (0: no key), show its echo label in light red.
    virtual void beginPosition(qint16 pos, KeyNumber key) = 0;
    // The echo label of position pos shows text (the last key typed there).
    virtual void showEcho(qint16 pos, const QString &text) = 0;
    // Position pos leaves: its label and key return to normal. accepted is
    // true when it was typed right, false when the run was interrupted there.
    virtual void endPosition(qint16 pos, KeyNumber key, bool accepted) = 0;
    // A wrong keystroke was counted.
    virtual void wrongCounted() = 0;
    // The run ended, completed or interrupted, as outcome says; the report
    // follows. Nothing typed afterwards changes the outcome.
    virtual void runEnded(const RunOutcome &outcome) = 0;
};

// What a position's symbol asks to be typed: a single-byte symbol is typed
// as that character (charMode, expected holds it), any other on the key of
// the Zhuyin symbol or tone (expected holds the key number).
struct PositionKey {
    bool charMode = false;
    qint16 expected = 0;
    KeyNumber key = 0; // the key marked on the keyboard
};
PositionKey PositionKeyOf(const QString &symbol);

class PracticeRun {
public:
    static constexpr qint16 kInterrupt = 27; // typedKey asking to end the run

    // Run state.
    qint32 posCount = 0;
    qint16 curPos = 0;
    qint32 rightCount = 0;
    qint32 wrongCount = 0;
    qint16 typedKey = 0;
    qint16 expectedKey = 0;
    bool charMode = false;
    qint64 runStartTime = 0; // monotonic milliseconds
    qint32 elapsedSeconds = 0;

    void setDisplay(RunDisplay *display) { m_display = display; }
    // Whoever keeps the run's figures; none by default.
    void setListener(RunListener *listener) { m_listener = listener; }

    // Whether a run is in progress: the one answer the window's clock follows.
    bool inProgress() const { return m_inProgress; }
    // The key marked for the current position (0: none).
    KeyNumber markedKey() const { return m_key; }

    // Resets the counters (a new text, or a new run).
    void reset();

    // Starts a run over these symbols (position k is symbols[k - 1]) at time
    // now (monotonic milliseconds, as every time the run is given). Positions
    // whose symbol has no key are accepted at once; a text without positions,
    // or of such positions only, ends at once.
    void start(std::vector<QString> symbols, qint64 now);

    // A typed character (its code; 27 Esc, 8 Backspace) at monotonic time
    // now: stores it in typedKey, as the key number in Zhuyin mode, and counts
    // it wrong when it is not what the position needs. Returns the key number
    // of the character.
    KeyNumber keyTyped(qint16 keyAscii, qint64 now);

    // The run looks at typedKey: an interruption ends the run; otherwise the
    // echo shows the key and a match accepts the position.
    void advance();

    // The interrupt command at monotonic time now: the run ends at its next
    // look at typedKey.
    void requestInterrupt(qint64 now)
    {
        typedKey = kInterrupt;
        m_now = now;
    }

private:
    void beginPosition(qint16 pos);
    void finish(bool completed);

    RunDisplay *m_display = nullptr;
    RunListener *m_listener = nullptr;
    std::vector<QString> m_symbols;
    bool m_inProgress = false;
    KeyNumber m_key = 0;
    qint64 m_now = 0; // when the last keystroke or command arrived
};
