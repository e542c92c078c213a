#pragma once
// The reading tables as the annotator reads them: libchewing's phrase tree
// and dictionary, memory-mapped and walked in place, and gcin's character
// table. Internal to quillory_annotate.

#include <QFile>
#include <QString>
#include <QtEndian>
#include <cstring>
#include <QStringView>
#include <memory>
#include <span>
#include <vector>

namespace annotate {

// A syllable as both tables key it: initial << 9 | medial << 7 | final << 3 | tone.
using Phone = quint16;

// Tone of a phone: 0 first, 1 neutral, 2 rising, 3 dipping, 4 falling.
constexpr int toneOf(Phone p) { return p & 7; }
constexpr Phone withTone(Phone p, int tone) { return static_cast<Phone>((p & ~7) | tone); }

// The phone as Zhuyin text (letters, then the tone mark; first tone unmarked);
// empty for a key that is no syllable.
QString phoneText(Phone p);
// The reverse; 0 when the text is no syllable.
Phone phoneOf(QStringView text);

// What the tables say about one reading of one character.
struct CharReading {
    Phone phone = 0;
    bool chewing = false;  // listed by libchewing for the character alone
    bool gcin = false;     // listed by gcin
    quint32 phrases = 0;   // libchewing phrases (2+ characters) reading it so
    quint32 frequency = 0; // their summed frequency
};

// A phrase of the table found in the text.
struct PhraseMatch {
    qint32 length = 0;       // characters
    quint32 frequency = 0;
    quint32 phonesAt = 0;    // its phones: PhraseMatches::phones[phonesAt …]
};

class ReadingTables {
public:
    // Maps and indexes the tables; nullptr with a message naming the missing
    // file and its Debian package.
    static std::unique_ptr<ReadingTables> open(const QString &chewingDir, const QString &gcinTable,
                                               QString *error);
    ~ReadingTables();

    // The character's readings, ordered by phone; empty when unknown.
    std::span<const CharReading> readings(char32_t c) const;

    // Every phrase of two or more characters that starts text[0]; appended
    // to out (phones into phones).
    void phrasesAt(std::span<const char32_t> text, std::vector<PhraseMatch> &out,
                   std::vector<Phone> &phones) const;

    // Sum of all phrase frequencies and the number of phrases.
    quint64 totalFrequency() const { return m_totalFrequency; }
    quint32 phraseCount() const { return m_phraseCount; }

private:
    ReadingTables() = default;
    bool mapChewing(const QString &dir, QString *error);
    bool readGcin(const QString &path, QString *error);
    void index();
    void walk(quint32 node, std::span<const char32_t> text, qint32 depth, Phone *path,
              std::vector<PhraseMatch> &out, std::vector<Phone> &phones) const;

    struct Node {
        Phone key;
        quint32 a, b;
    };
    Node node(quint32 i) const
    {
        quint64 v;
        std::memcpy(&v, m_tree + std::size_t(i) * 8, 8);
        v = qFromLittleEndian(v);
        return {Phone(v & 0xFFFF), quint32(v >> 16 & 0xFFFFFF), quint32(v >> 40 & 0xFFFFFF)};
    }
    Phone keyAt(quint32 i) const { return qFromLittleEndian<quint16>(m_tree + std::size_t(i) * 8); }
    quint32 findChild(quint32 parent, Phone key) const;
    // Whether the leaf's string is exactly text's first length characters.
    bool leafMatches(quint32 offset, std::span<const char32_t> text, qint32 length) const;

    QFile m_treeFile, m_dictFile;
    const uchar *m_tree = nullptr;
    quint32 m_nodes = 0;
    const uchar *m_dict = nullptr;
    quint32 m_dictSize = 0;

    // Characters: m_chars sorted by code point; m_charFirst[i] … m_charFirst[i+1]
    // are its readings in m_readings. m_bmp indexes the Basic Multilingual
    // Plane directly (index + 1, 0 for none).
    std::vector<char32_t> m_chars;
    std::vector<quint32> m_charFirst;
    std::vector<CharReading> m_readings;
    std::vector<quint16> m_bmp;
    qint32 charIndex(char32_t c) const;

    std::vector<quint32> m_rootChildren; // the root's child of each first syllable, 0 for none

    quint64 m_totalFrequency = 0;
    quint32 m_phraseCount = 0;
};

} // namespace annotate
