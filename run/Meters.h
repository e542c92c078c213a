#pragma once
// The run's clock, speed meter and progress bar arithmetic. The two meter
// boxes measure their bars in twips: a full bar is 4000.

#include <QString>
#include <QtGlobal>

constexpr qint32 kFullBar = 4000;

// "h:m:s" without leading zeros: 65 seconds is "0:1:5".
QString ClockText(qint64 elapsedSeconds);

// Reads a clock caption back to whole seconds; -1 when it is not "h:m:s".
qint32 SecondsOfClockText(const QString &caption);

// Width of the speed bar: rightCount × 4000 / elapsedSeconds / speedClass,
// truncated; full at speedClass accepted keystrokes a second. Only defined
// for elapsedSeconds > 0.
qint32 SpeedBarWidth(qint32 rightCount, qint32 elapsedSeconds, qint16 speedClass);

// Width of the progress bar after rightCount of posCount positions.
qint32 ProgressBarWidth(qint32 rightCount, qint32 posCount);
