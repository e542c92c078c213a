#pragma once
// The message shown when a run ends: completed or interrupted, with the
// speed in Zhuyin keystrokes a second and the share of right keystrokes.

#include <QString>
#include <optional>

struct RunReport {
    enum class Icon { Information, Exclamation };
    Icon icon = Icon::Information;
    QString text;
};

RunReport MakeRunReport(qint32 posCount, qint16 typedKey, qint32 rightCount, qint32 wrongCount,
                        qint32 elapsedSeconds);

// The report's figures: the speed in accepted keystrokes a second (needs a
// whole second) and the share of right keystrokes (needs a keystroke).
std::optional<double> RunSpeed(qint32 rightCount, qint32 elapsedSeconds);
std::optional<double> RunAccuracy(qint32 rightCount, qint32 wrongCount);
// Whether the report shows them: a completed run of at least one second, an
// interrupted one of at least 21, with a keystroke either way.
bool ReportShowsFigures(qint32 posCount, qint16 typedKey, qint32 rightCount, qint32 wrongCount,
                        qint32 elapsedSeconds);

// "0.00" and "0.00%" as the report writes them.
QString FormatSpeed(double speed);
QString FormatPercent(double share);
