#pragma once
// Simplified and Traditional Chinese: telling which one a text is written in,
// and converting Simplified text to Taiwan Traditional characters and usage
// (OpenCC's s2twp: 软件 → 軟體, 网络 → 網路). OpenCC's dictionaries come from
// Debian's libopencc-data; they are opened the first time they are needed.

#include <QString>
#include <QStringView>
#include <memory>

namespace annotate {

class ChineseConverter {
public:
    ChineseConverter();
    ~ChineseConverter();
    ChineseConverter(const ChineseConverter &) = delete;
    ChineseConverter &operator=(const ChineseConverter &) = delete;

    // The process-wide converter.
    static ChineseConverter &shared();

    // How many of the text's characters change when it is read as Simplified
    // and written in Traditional, and the other way round. A Traditional text
    // has a few of the first (characters both scripts share, such as 后 in
    // 皇后, count only outside the phrases that settle them) and many of the
    // second; a Simplified text the reverse.
    struct Evidence {
        qsizetype simplifiedOnly = 0;  // 软 in 软件: written otherwise in Traditional
        qsizetype traditionalOnly = 0; // 軟 in 軟體: written otherwise in Simplified
    };
    // False, with a message naming the Debian package, when OpenCC's
    // dictionaries cannot be opened.
    bool evidence(QStringView text, Evidence &out, QString *error = nullptr);

    // True when the text reads as Simplified Chinese: more of its characters
    // belong to Simplified than to Traditional writing.
    bool looksSimplified(QStringView text, QString *error = nullptr);

    // Simplified to Taiwan Traditional, with Taiwan's words. Returns a null
    // string, with a message, when the conversion is not available.
    QString toTaiwanTraditional(QStringView text, QString *error = nullptr);

private:
    struct Handle;
    Handle *open(std::unique_ptr<Handle> &slot, const char *config, QString *error);
    std::unique_ptr<Handle> m_s2t, m_t2s, m_s2twp;
};

} // namespace annotate
