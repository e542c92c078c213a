#include "run/PracticeRun.h"

#include "practice/Big5.h"
#include "run/KeyMap.h"

#include <algorithm>

void PracticeRun::reset()
{
    typedKey = 0;
    rightCount = 0;
    wrongCount = 0;
}

void PracticeRun::start(std::vector<QString> symbols, qint64 now)
{
    m_symbols = std::move(symbols);
    posCount = static_cast<qint32>(m_symbols.size());
    typedKey = 0;
    rightCount = 0;
    wrongCount = 0;
    elapsedSeconds = 0;
    runStartTime = now;
    m_now = now;
    m_inProgress = true;
    if (m_listener)
        m_listener->runStarted(posCount, now);
    if (posCount < 1) {
        finish(true);
        return;
    }
    beginPosition(1);
    advance();
}

PositionKey PositionKeyOf(const QString &symbol)
{
    PositionKey k;
    if (LenMbcs(symbol) == 1) {
        k.charMode = true;
        const QByteArray ansi = Big5::encode(symbol);
        k.expected = static_cast<qint16>(ansi.isEmpty() ? 0 : static_cast<unsigned char>(ansi.at(0)));
        k.key = BaseKeyOf(k.expected);
    } else {
        k.key = KeyOfSymbol(symbol);
        k.expected = k.key;
    }
    return k;
}

void PracticeRun::beginPosition(qint16 pos)
{
    curPos = pos;
    const PositionKey k = PositionKeyOf(m_symbols[static_cast<std::size_t>(pos - 1)]);
    charMode = k.charMode;
    expectedKey = k.expected;
    m_key = k.key;
    if (m_listener)
        m_listener->positionBegun(pos, m_key, m_now);
    if (m_display)
        m_display->beginPosition(pos, m_key);
    typedKey = 0;
}

KeyNumber PracticeRun::keyTyped(qint16 keyAscii, qint64 now)
{
    m_now = now;
    typedKey = keyAscii;
    const KeyNumber b = BaseKeyOf(keyAscii);
    if (!charMode && typedKey != kInterrupt)
        typedKey = b;
    if (!m_inProgress || typedKey == kInterrupt || typedKey == 8)
        return b;
    const bool right = typedKey == expectedKey;
    if (m_listener)
        m_listener->keystrokeJudged(curPos, m_key, b, right, now);
    if (!right) {
        ++wrongCount;
        if (m_display)
            m_display->wrongCounted();
    }
    return b;
}

void PracticeRun::advance()
{
    while (m_inProgress) {
        if (typedKey == kInterrupt) {
            if (m_display)
                m_display->endPosition(curPos, m_key, false);
            finish(false);
            return;
        }
        // The echo always shows the last key typed at the position.
        QString echo;
        if (charMode) {
            if (typedKey >= 32 && typedKey != 127)
                echo = QString(QChar(static_cast<char16_t>(typedKey)));
        } else {
            echo = SymbolOfKey(typedKey);
        }
        if (m_display)
            m_display->showEcho(curPos, echo);
        if (typedKey != expectedKey)
            return; // wait for the next keystroke
        ++rightCount;
        if (m_display)
            m_display->endPosition(curPos, m_key, true);
        if (curPos >= posCount) {
            finish(true);
            return;
        }
        beginPosition(static_cast<qint16>(curPos + 1));
    }
}

void PracticeRun::finish(bool completed)
{
    m_inProgress = false;
    RunOutcome outcome;
    outcome.completed = completed;
    outcome.posCount = posCount;
    outcome.rightCount = rightCount;
    outcome.wrongCount = wrongCount;
    outcome.elapsedMs = std::max<qint64>(0, m_now - runStartTime);
    outcome.elapsedSeconds = static_cast<qint32>(outcome.elapsedMs / 1000);
    outcome.typedKey = typedKey;
    if (m_listener)
        m_listener->runFinished(outcome);
    if (m_display)
        m_display->runEnded(outcome);
}
