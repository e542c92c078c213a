#pragma once
// Readings for plain Chinese text: every Han character gets its Taiwan
// standard Zhuyin reading, chosen from the phrase table of libchewing
// (Debian libchewing3-data) and the character table of gcin (gcin-tables),
// both read at run time from the installed packages.
//
// How a reading is chosen:
// - each run of Han characters is cut into the phrases of the table that
//   together are the most probable by the phrases' frequencies; a phrase of
//   two or more characters gives its characters their readings;
// - a character no phrase covers takes the reading most distinct phrases use
//   for it; among readings no phrase uses, one gcin also lists; never a
//   neutral tone when it stands alone, except grammatical particles, which are
//   neutral at the end of a sentence;
// - 一 and 不 keep their dictionary tones (ㄧ, ㄅㄨˋ), not the spoken sandhi;
// - literary Chinese (verse, classical prose) is read without the
//   vernacular's particles and neutral tones;
// - a compiled-in correction list (assets/annotate/corrections.txt, each entry
//   with its source) replaces table readings that are not the Taiwan
//   standard, for phrases wherever they occur (inside longer ones too), for
//   single readings of a character, and reads variant forms as their standard
//   characters.
//
// Readings are written as in practice files: the Zhuyin letters, then the
// tone mark; the first tone is unmarked ("ㄇㄚ", "ㄇㄚˊ", "ㄇㄚ˙").
//
// Nothing here touches a widget; the tables are memory-mapped and loaded the
// first time they are needed, so start-up does not pay for them.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>
#include <vector>

#include "practice/TokenTable.h"

namespace annotate {

// One character of the text.
struct Item {
    enum class Kind : quint8 {
        Han,   // a character of the reading tables: typed by its reading
        Typed, // a Latin letter or digit: typed as itself (reading == text)
        Shown, // punctuation, a blank, a symbol, or a Han character no table
               // reads: shown and not typed (reading empty)
    };
    Kind kind = Kind::Shown;
    QString text;         // one character (a surrogate pair stays whole);
                          // full-width Latin letters and digits become ASCII
    QString reading;      // the reading typed; empty when nothing is typed
    QStringList candidates; // Han: the readings to choose from, the chosen one
                            // first, then the others the tables list for the
                            // character (less readings only libchewing
                            // lists and none of its phrases uses), the most
                            // likely first
    bool uncertain = false; // several readings, none settled by a phrase or a
                            // correction: the learner should check it
    bool changed = false;   // the reading was picked by the learner (setReading)
    // The phrase this character was read in: items phraseBegin …
    // phraseBegin + phraseLength − 1 of the same line. A Han character no
    // phrase covers is a phrase of length 1; other kinds have length 0.
    qint32 phraseBegin = 0;
    qint32 phraseLength = 0;
};

// One input line (a paragraph) with something in it.
struct Line {
    qint32 sourceLine = 0; // 1-based number of the line in the input
    std::vector<Item> items;
};

// Where an item is: line index and item index in Annotation::lines.
struct ItemRef {
    qint32 line = -1;
    qint32 item = -1;
    bool isValid() const { return line >= 0 && item >= 0; }
    friend bool operator==(const ItemRef &, const ItemRef &) = default;
};

struct Annotation {
    std::vector<Line> lines; // blank input lines are left out

    qsizetype itemCount() const;
    qsizetype typedCount() const;     // items with a reading (Han and Typed)
    qsizetype uncertainCount() const;
    bool hasSomethingToType() const { return typedCount() > 0; }
    const Item &at(ItemRef r) const { return lines[r.line].items[r.item]; }
    // The characters of the item's phrase, e.g. "銀行" for 行 in 銀行.
    QString phraseText(ItemRef r) const;
};

enum class ChangeScope {
    ThisOccurrence, // only this character
    SamePhrase,     // this character wherever the same phrase occurs, at the
                    // same place in it (行 of every 銀行; every 行 read alone)
};

// Sets the reading of a Han item (one of its candidates or any other reading
// the learner types) and marks it changed and no longer uncertain. Returns the
// items changed (none when r is not a Han item or reading is empty).
std::vector<ItemRef> setReading(Annotation &annotation, ItemRef r, const QString &reading,
                                ChangeScope scope);

// The token table a run practises: one token per item, a paragraph break
// (between two lines) as one full-width-space token shown and not typed.
// Han characters outside code page 950 that have a reading get the blank of a
// first tone themselves (the layout adds it only to double-byte characters).
// origins, when given, receives for each token the item it came from (an
// invalid ItemRef for paragraph breaks).
TokenTable toTokenTable(const Annotation &annotation, std::vector<ItemRef> *origins = nullptr);

// The practice-file text of the annotation: one line per item (character,
// then its reading), "\n" line ends, a paragraph break as a line holding a
// full-width space. Read back with TokensFromLines it gives toTokenTable's
// table.
QString toPracticeFileText(const Annotation &annotation);

// True when the text already is a practice file: every non-blank line is one
// character followed by a Zhuyin reading, or by nothing (a mark shown), or a
// single-byte character followed by itself; and at least one line has a
// Zhuyin reading. Such text is loaded as it is, not annotated.
bool looksLikePracticeFile(QStringView text);

struct AnnotatorTables; // the loaded tables and what is worked out from them

// The reading tables and the rules above. Cheap to construct; the tables are
// mapped on the first load(), annotate() or readings(). Not thread-safe.
class Annotator {
public:
    // Where the tables are; installed() gives the Debian packages' paths, or
    // those the environment names in QUILLORY_CHEWING_DIR and
    // QUILLORY_GCIN_TABLE (a test can point them at a folder without data).
    struct Paths {
        QString chewingDir; // holds index_tree.dat and dictionary.dat
        QString gcinTable;  // pho.tab2
        static Paths installed();
    };

    explicit Annotator(Paths paths = Paths::installed());
    ~Annotator();
    Annotator(const Annotator &) = delete;
    Annotator &operator=(const Annotator &) = delete;

    // The process-wide annotator over the installed tables.
    static Annotator &shared();

    // Maps the tables if that has not been done. False, with a message that
    // names the missing file and the Debian package providing it
    // (libchewing3-data or gcin-tables), when they cannot be read.
    bool load(QString *error = nullptr);
    bool isLoaded() const;

    // Annotates text: a line break (LF, CR LF or CR) ends a paragraph. Loads
    // the tables when needed; without them every Han character is Shown and
    // error (when given) tells why.
    Annotation annotate(QStringView text, QString *error = nullptr);
    // The same for a part of a longer text, annotated piece by piece:
    // literary tells whether the whole is literary Chinese, firstLine is the
    // number of the part's first line in the whole.
    Annotation annotate(QStringView text, bool literary, qint32 firstLine, QString *error = nullptr);

    // Whether a text is literary Chinese (verse, classical prose), which is
    // read without the vernacular's neutral particles and tones.
    static bool isLiteraryChinese(QStringView text);

    // Every reading the tables list for one character, the most likely
    // standalone reading first; empty for a character they do not know.
    QStringList readings(QStringView character);

private:
    Paths m_paths;
    std::unique_ptr<AnnotatorTables> m_tables;
    QString m_error;
    bool m_tried = false;
};

} // namespace annotate
