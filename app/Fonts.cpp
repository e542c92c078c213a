#include "app/Fonts.h"

namespace {
QFont make(const QStringList &families, double pointSize, bool bold)
{
    QFont f;
    f.setFamilies(families);
    f.setPointSizeF(pointSize);
    f.setBold(bold);
    return f;
}
} // namespace

namespace Fonts {

QFont ming(double pointSize, bool bold)
{
    return make({QStringLiteral("新細明體"), QStringLiteral("PMingLiU"),
                 QStringLiteral("AR PL UMing TW")},
                pointSize, bold);
}

QFont kai(double pointSize, bool bold)
{
    return make({QStringLiteral("標楷體"), QStringLiteral("DFKai-SB"),
                 QStringLiteral("AR PL UKai TW")},
                pointSize, bold);
}

QFont arial(double pointSize, bool bold)
{
    return make({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")}, pointSize, bold);
}

QFont arialBlack(double pointSize, bool italic)
{
    QFont f = make({QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans")},
                   pointSize, true);
    f.setWeight(QFont::Black);
    f.setItalic(italic);
    return f;
}

} // namespace Fonts
