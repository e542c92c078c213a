#pragma once
// The message shown when a run ends: completed or interrupted, with the
// speed in Zhuyin keystrokes a second and the share of right keystrokes.

#include <QString>

struct RunReport {
    enum class Icon { Information, Exclamation };
    Icon icon = Icon::Information;
    QString text;
};

RunReport MakeRunReport(qint32 posCount, qint16 typedKey, qint32 rightCount, qint32 wrongCount,
                        qint32 elapsedSeconds);

// "0.00" and "0.00%" as the report writes them.
QString FormatSpeed(double speed);
QString FormatPercent(double share);
