#include "record/RunRecorder.h"

#include <algorithm>

#include "run/RunReport.h"

qint32 MedianMs(std::vector<qint32> times)
{
    if (times.empty())
        return -1;
    const std::size_t mid = times.size() / 2;
    std::nth_element(times.begin(), times.begin() + mid, times.end());
    const qint32 upper = times[mid];
    if (times.size() % 2)
        return upper;
    const qint32 lower = *std::max_element(times.begin(), times.begin() + mid);
    return static_cast<qint32>((qint64(lower) + upper) / 2);
}

void ApplyOutcome(RunSummary &s, const RunOutcome &o)
{
    s.completed = o.completed;
    s.posCount = o.posCount;
    s.rightCount = o.rightCount;
    s.wrongCount = o.wrongCount;
    s.elapsedSeconds = o.elapsedSeconds;
    s.elapsedMs = o.elapsedMs;
    s.speed = RunSpeed(o.rightCount, o.elapsedSeconds);
    s.accuracy = RunAccuracy(o.rightCount, o.wrongCount);
    s.figuresReported = ReportShowsFigures(o.posCount, o.typedKey, o.rightCount, o.wrongCount,
                                           o.elapsedSeconds);
}

KeyStat &RunRecorder::stat(KeyNumber key)
{
    return m_keys[static_cast<std::size_t>(key)];
}

void RunRecorder::runStarted(qint32, qint64 nowMs)
{
    m_active = true;
    m_startedAt = wallClock();
    m_keys.assign(kMaxKeyNumber + 1, KeyStat{});
    m_confusions.clear();
    m_posBegunMs = nowMs;
    m_lastTypedPos = 0;
    m_posTyped = 0;
}

void RunRecorder::positionBegun(qint16, KeyNumber key, qint64 nowMs)
{
    if (!m_active)
        return;
    m_posBegunMs = nowMs;
    if (key > 0 && key <= kMaxKeyNumber)
        ++stat(key).expected;
}

void RunRecorder::keystrokeJudged(qint16 pos, KeyNumber expectedKey, KeyNumber typedKey, bool right,
                                  qint64 nowMs)
{
    if (!m_active)
        return;
    if (pos != m_lastTypedPos) {
        m_lastTypedPos = pos;
        ++m_posTyped;
    }
    if (expectedKey <= 0 || expectedKey > kMaxKeyNumber)
        return; // a symbol without a key: nothing to learn about a key
    KeyStat &s = stat(expectedKey);
    if (right) {
        ++s.right;
        s.timesMs.push_back(static_cast<qint32>(std::clamp<qint64>(nowMs - m_posBegunMs, 0, INT32_MAX)));
        return;
    }
    ++s.wrong;
    for (Confusion &c : m_confusions) {
        if (c.expected == expectedKey && c.typed == typedKey) {
            ++c.count;
            return;
        }
    }
    m_confusions.push_back({expectedKey, typedKey, 1});
}

void RunRecorder::runFinished(const RunOutcome &outcome)
{
    if (!m_active)
        return;
    m_active = false;
    if (outcome.posCount < 1 || !sink)
        return;
    RecordedRun r;
    RunSummary &s = r.run;
    s.startedAt = m_startedAt;
    s.text = m_context.text;
    s.speedClass = m_context.speedClass;
    s.layout = m_context.layout;
    s.posTyped = m_posTyped;
    ApplyOutcome(s, outcome);
    for (std::size_t k = 1; k < m_keys.size(); ++k) {
        KeyStat &st = m_keys[k];
        if (st.expected == 0 && st.wrong == 0)
            continue;
        st.key = static_cast<KeyNumber>(k);
        st.medianMs = MedianMs(st.timesMs);
        r.keys.push_back(std::move(st));
    }
    std::sort(m_confusions.begin(), m_confusions.end(), [](const Confusion &a, const Confusion &b) {
        return std::pair(a.expected, a.typed) < std::pair(b.expected, b.typed);
    });
    r.confusions = std::move(m_confusions);
    m_confusions.clear();
    m_keys.clear();
    sink(std::move(r));
}
