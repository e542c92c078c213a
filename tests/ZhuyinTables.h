#pragma once
// Taiwan Zhuyin reading tables, read at test time from the installed Debian
// packages libchewing3-data and gcin-tables: the readings they list for each
// single character.

#include <QHash>
#include <QSet>
#include <QString>

class ZhuyinTables {
public:
    // Loads both tables; false with a reason when a package is missing.
    bool load(QString *error);

    // Readings of a character: letters, then the tone mark (first tone unmarked).
    QSet<QString> readings(const QString &character) const;

    int characterCount() const { return m_readings.size(); }

private:
    bool loadChewing(QString *error);
    bool loadGcin(QString *error);
    QHash<QString, QSet<QString>> m_readings;
};

// A phone key (initial << 9 | medial << 7 | final << 3 | tone) as Zhuyin text;
// empty for keys that are no syllable.
QString PhoneText(quint16 key);
