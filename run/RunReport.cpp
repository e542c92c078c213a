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
    const qint64 keystrokes = qint64(rightCount) + wrongCount;
    auto figures = [&](const QString &speedIntro) {
        const double speed = double(rightCount) / elapsedSeconds;
        const double accuracy = double(rightCount) / double(keystrokes);
        return kCrLf + speedIntro + FormatSpeed(speed) + QStringLiteral("個注音字元") + kCrLf
               + QStringLiteral("按鍵的正確率為") + FormatPercent(accuracy);
    };
    if (typedKey == 27) {
        r.text = QStringLiteral("您中斷了打字練習!!");
        if (keystrokes >= 1 && elapsedSeconds >= 21)
            r.text += figures(QStringLiteral("您中斷時的速度是每秒"));
    } else {
        r.text = QStringLiteral("恭喜您打完本段文字!!");
        if (keystrokes >= 1 && elapsedSeconds >= 1)
            r.text += figures(QStringLiteral("您的速度是每秒"));
    }
    return r;
}
