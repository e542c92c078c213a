#pragma once
// The correction list: readings the tables give differently from the Taiwan
// standard, for phrases wherever they occur and for characters standing
// alone. Compiled in from assets/annotate/corrections.txt; every entry names
// its source. Internal to quillory_annotate.

#include <QString>
#include <QStringView>
#include <span>
#include <string>
#include <vector>

#include "annotate/ReadingTables.h"

namespace annotate {

struct Correction {
    std::u32string text;        // the phrase, or one character
    std::vector<Phone> phones;  // one per character
    QString source;
};

// A reading of a character the tables use where the standard has another:
// replaced wherever the character occurs.
struct Substitution {
    char32_t c = 0;
    Phone from = 0;
    Phone to = 0;
    QString source;
};

class Corrections {
public:
    // The compiled-in list.
    static const Corrections &builtIn();

    // Reads a list: lines "<phrase> TAB <readings, blank-separated> TAB
    // <source>", "<character> TAB <reading>><reading> TAB <source>" for a
    // substitution, or "<variant> TAB =<character> TAB <source>" for a variant
    // form read as its standard character; '#' starts a comment line. False with the first bad
    // line's number and reason (a reading count that does not match the
    // phrase, a reading that is no syllable, no source).
    bool parse(QStringView text, QString *error = nullptr);

    // Phrases of two or more characters that begin with c.
    std::span<const Correction> phrasesStartingWith(char32_t c) const;
    // The reading of c standing alone, or nullptr.
    const Correction *character(char32_t c) const;
    // The standard's reading for reading p of c (p itself when none is listed).
    Phone substitute(char32_t c, Phone p) const;
    // The character a variant form is read as (c itself when it is none).
    char32_t standardForm(char32_t c) const;

    qsizetype size() const { return m_entries.size(); }

private:
    std::vector<Correction> m_entries; // sorted by text
    std::vector<bool> m_firsts;        // Basic Multilingual Plane characters that begin an entry
    std::vector<Correction> m_characters;
    std::vector<Substitution> m_substitutions;
    std::vector<std::pair<char32_t, char32_t>> m_variants;
};

} // namespace annotate
