#pragma once
// The fonts of the target desktop, each followed by its Debian stand-in.

#include <QFont>
#include <QStringList>

namespace Fonts {
// 新細明體 (PMingLiU), else AR PL UMing TW.
QFont ming(double pointSize, bool bold = false);
// 標楷體 (DFKai-SB), else AR PL UKai TW.
QFont kai(double pointSize, bool bold = false);
// Arial, else Liberation Sans.
QFont arial(double pointSize, bool bold = false);
// Arial Black, else Liberation Sans bold.
QFont arialBlack(double pointSize, bool italic = false);
} // namespace Fonts
