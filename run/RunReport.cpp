#include "run/RunReport.h"

#include <cmath>

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Rounds half away from zero to two decimals, as the report formats do.
QString twoDecimals(double v)
{
    const double r = std::round(v * 100.0) / 100.0;
    return QString::number(r, 'f', 2);
}
} // namespace

QString FormatSpeed(double speed)
{
    return twoDecimals(speed);
}

QString FormatPercent(double share)
{
    return twoDecimals(share * 100.0) + QLatin1Char('%');
}

std::optional<double> RunSpeed(qint32 rightCount, qint32 elapsedSeconds)
{
    if (elapsedSeconds < 1)
        return std::nullopt;
    return double(rightCount) / elapsedSeconds;
}

std::optional<double> RunAccuracy(qint32 rightCount, qint32 wrongCount)
{
    const qint64 keystrokes = qint64(rightCount) + wrongCount;
    if (keystrokes < 1)
        return std::nullopt;
    return double(rightCount) / double(keystrokes);
}

bool ReportShowsFigures(qint32 posCount, qint16 typedKey, qint32 rightCount, qint32 wrongCount,
                        qint32 elapsedSeconds)
{
    if (posCount < 1 || qint64(rightCount) + wrongCount < 1)
        return false;
    return elapsedSeconds >= (typedKey == 27 ? 21 : 1);
}

RunReport MakeRunReport(qint32 posCount, qint16 typedKey, qint32 rightCount, qint32 wrongCount,
                        qint32 elapsedSeconds)
{
    RunReport r;
    if (posCount < 1) {
        r.icon = RunReport::Icon::Exclamation;
        r.text = QStringLiteral("文字檔中沒有打字字元!!") + kCrLf
                 + QStringLiteral("請開啟正確的打字檔案或使用轉檔程式編輯。");
        return r;
    }
    const bool interrupted = typedKey == 27;
    r.text = interrupted ? QStringLiteral("您中斷了打字練習!!") : QStringLiteral("恭喜您打完本段文字!!");
    if (ReportShowsFigures(posCount, typedKey, rightCount, wrongCount, elapsedSeconds)) {
        const QString speedIntro = interrupted ? QStringLiteral("您中斷時的速度是每秒")
                                               : QStringLiteral("您的速度是每秒");
        r.text += kCrLf + speedIntro + FormatSpeed(*RunSpeed(rightCount, elapsedSeconds))
                  + QStringLiteral("個注音字元") + kCrLf + QStringLiteral("按鍵的正確率為")
                  + FormatPercent(*RunAccuracy(rightCount, wrongCount));
    }
    return r;
}
