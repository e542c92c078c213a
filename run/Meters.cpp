#include "run/Meters.h"

#include <QStringList>
#include <cmath>

QString ClockText(qint64 elapsedSeconds)
{
    if (elapsedSeconds < 0)
        elapsedSeconds = 0;
    return QStringLiteral("%1:%2:%3")
        .arg(elapsedSeconds / 3600)
        .arg(elapsedSeconds / 60 % 60)
        .arg(elapsedSeconds % 60);
}

qint32 SecondsOfClockText(const QString &caption)
{
    const QStringList f = caption.split(QLatin1Char(':'));
    if (f.size() != 3)
        return -1;
    qint32 parts[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        parts[i] = f[i].toInt(&ok);
        if (!ok || parts[i] < 0)
            return -1;
    }
    return parts[0] * 3600 + parts[1] * 60 + parts[2];
}

qint32 SpeedBarWidth(qint32 rightCount, qint32 elapsedSeconds, qint16 speedClass)
{
    if (elapsedSeconds <= 0 || speedClass <= 0)
        return 0;
    // The product in 32-bit integers, the divisions in floating point.
    const qint32 product = rightCount * kFullBar;
    return static_cast<qint32>(std::trunc(double(product) / elapsedSeconds / speedClass));
}

qint32 ProgressBarWidth(qint32 rightCount, qint32 posCount)
{
    if (posCount <= 0)
        return 0;
    return static_cast<qint32>(static_cast<qint64>(rightCount) * kFullBar / posCount);
}
