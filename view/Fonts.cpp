#include "view/Fonts.h"

#include <QFontDatabase>

namespace {

// The first of the families that is installed, or the whole list when none
// is: Qt then goes no further than the font it will use, instead of asking
// the font configuration about each missing name first.
QStringList installed(const QStringList &families)
{
    const QStringList all = QFontDatabase::families();
    for (const QString &family : families) {
        if (all.contains(family, Qt::CaseInsensitive))
            return {family};
    }
    return families;
}

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
    static const QStringList families = installed({QStringLiteral("新細明體"), QStringLiteral("PMingLiU"),
                                                   QStringLiteral("AR PL UMing TW")});
    return make(families, pointSize, bold);
}

QFont kai(double pointSize, bool bold)
{
    static const QStringList families = installed({QStringLiteral("標楷體"), QStringLiteral("DFKai-SB"),
                                                   QStringLiteral("AR PL UKai TW")});
    return make(families, pointSize, bold);
}

QFont arial(double pointSize, bool bold)
{
    static const QStringList families = installed({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    return make(families, pointSize, bold);
}

QFont arialBlack(double pointSize, bool italic)
{
    static const QStringList families = installed({QStringLiteral("Arial Black"), QStringLiteral("Liberation Sans")});
    QFont f = make(families, pointSize, true);
    f.setWeight(QFont::Black);
    f.setItalic(italic);
    return f;
}

} // namespace Fonts
