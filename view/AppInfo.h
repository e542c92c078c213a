#pragma once
// The program's fixed texts, kept in one place.

#include <QString>

namespace AppInfo {

// The window title and the title of every message box.
inline QString title() { return QStringLiteral("Quillory注音打字練習"); }
// The application title: the short product title shown in the About box.
inline QString applicationTitle() { return QStringLiteral("Quillory"); }
// The product name of the version information.
inline QString productName() { return QStringLiteral("Quillory注音打字練習"); }
inline QString copyright() { return QStringLiteral("Copyright © 2026 Quillory 開發團隊"); }
inline QString companyName() { return QStringLiteral("Quillory 開發團隊"); }
inline QString comments() { return QStringLiteral("注音打字的指法及鍵位熟悉練習。"); }
inline QString homePage() { return QStringLiteral(QUILLORY_HOME_PAGE); }

constexpr int versionMajor = QUILLORY_VERSION_MAJOR;
constexpr int versionMinor = QUILLORY_VERSION_MINOR;
constexpr int versionRevision = QUILLORY_VERSION_PATCH;

// "版本 1.0.4": major, minor and revision as plain decimal numbers.
inline QString versionText()
{
    return QStringLiteral("版本 %1.%2.%3").arg(versionMajor).arg(versionMinor).arg(versionRevision);
}

} // namespace AppInfo
