#include "annotate/Annotator.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <unicode/uchar.h>
#include <unicode/uscript.h>

#include "annotate/Corrections.h"
#include "annotate/ReadingTables.h"
#include "practice/Big5.h"
#include "practice/TextLines.h"

namespace annotate {

// What the rules need to know about one character, worked out once.
struct CharInfo {
    std::vector<CharReading> readings; // substitutions made
    std::vector<Phone> ranked;         // for standing alone, a neutral tone last
    std::vector<Phone> rankedNeutral;  // the same, a neutral tone allowed
    QStringList candidates;            // rankedNeutral as text, less the readings
                                       // only libchewing lists and none of its phrases uses
    QString text;
};

struct AnnotatorTables {
    std::unique_ptr<ReadingTables> readings;
    const Corrections *corrections = nullptr;
    double logTotal = 0;
    std::unordered_map<char32_t, CharInfo> chars;
    std::unordered_map<Phone, QString> phoneTexts;

    const CharInfo &info(char32_t c);
    const QString &text(Phone p);
};

namespace {

constexpr char32_t kYi = U'一';
constexpr char32_t kBu = U'不';
constexpr Phone kYiPhone = 1 << 7;               // ㄧ
constexpr Phone kBuPhone = 1 << 9 | 2 << 7 | 4;  // ㄅㄨˋ

// Grammatical particles and the measure word 個: neutral wherever they
// stand alone.
constexpr std::u32string_view kParticles = U"的了著們麼麽個";
// Sentence-final particles: neutral after a word at the end of a sentence.
constexpr std::u32string_view kFinalParticles = U"嗎呢吧啊呀啦嘛囉喔哦哇咧耶唷喲呦哩嘍";
// 得 between a verb and its complement (說得好) and 地 after an adverbial
// word (慢慢地走) are neutral; after these 得 is rather a verb (我得走).
constexpr char32_t kHai = U'還';
constexpr Phone kHuanPhone = 11 << 9 | 2 << 7 | 9 << 3 | 2; // ㄏㄨㄢˊ
constexpr char32_t kYu = U'予';
constexpr Phone kYuPhone = 3 << 7 | 2;                        // ㄩˊ
constexpr char32_t kFu = U'夫';
constexpr Phone kFuPhone = 4 << 9 | 2 << 7 | 2;               // ㄈㄨˊ
constexpr char32_t kDe = U'得';
constexpr char32_t kDi = U'地';
constexpr std::u32string_view kBeforeModalDe = U"我你妳您他她它牠們誰就還也都總";

bool isHan(char32_t c)
{
    UErrorCode status = U_ZERO_ERROR;
    return u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_IDEOGRAPHIC)
        || uscript_getScript(static_cast<UChar32>(c), &status) == USCRIPT_HAN;
}

// One character of a line while it is being read.
struct Cell {
    char32_t c = 0;   // as shown
    Item::Kind kind = Item::Kind::Shown;
    char32_t key = 0; // as read: a variant form's standard character
    Phone phone = 0;
    bool uncertain = false;
    qint32 phraseBegin = 0;
    qint32 phraseLength = 0;
};

// 一 and 不 at their dictionary tones: phrases store the spoken sandhi.
Phone dictionaryTone(char32_t c, Phone p)
{
    if (c == kYi && (p & ~7) == (kYiPhone & ~7))
        return kYiPhone;
    if (c == kBu && (p & ~7) == (kBuPhone & ~7))
        return kBuPhone;
    return p;
}

// Orders a character's readings for standing alone: readings more distinct
// phrases use first; among readings no phrase uses, those gcin lists; a
// neutral tone last unless the character is a particle.
std::vector<Phone> rankedReadings(std::span<const CharReading> rs, bool neutralAllowed)
{
    std::vector<const CharReading *> v;
    for (const CharReading &r : rs)
        v.push_back(&r);
    std::stable_sort(v.begin(), v.end(), [neutralAllowed](const CharReading *a, const CharReading *b) {
        if (!neutralAllowed && (toneOf(a->phone) == 1) != (toneOf(b->phone) == 1))
            return toneOf(b->phone) == 1;
        if (a->phrases != b->phrases)
            return a->phrases > b->phrases;
        if (a->gcin != b->gcin)
            return a->gcin;
        if (a->frequency != b->frequency)
            return a->frequency > b->frequency;
        return a->chewing && !b->chewing;
    });
    std::vector<Phone> out;
    for (const CharReading *r : v)
        out.push_back(r->phone);
    return out;
}

// Readings a learner could reasonably mean for a character standing alone:
// not a neutral tone (unless a particle), not a reading only libchewing lists
// and none of its phrases uses.
int plausibleCount(std::span<const CharReading> rs, bool neutralAllowed)
{
    int n = 0;
    for (const CharReading &r : rs) {
        if (!neutralAllowed && toneOf(r.phone) == 1)
            continue;
        if (r.phrases == 0 && !r.gcin)
            continue;
        ++n;
    }
    return n;
}

// A reading of a character standing alone is taken as settled when it has
// this share of the phrase votes of the character's plausible readings.
constexpr double kSureShare = 0.9;
// A phrase less frequent than this that reads one of its characters against
// that character's usual reading is left for the learner to check.
constexpr quint32 kRarePhrase = 1000;

// Whether reading p of a character standing alone needs the learner's eye:
// another plausible reading exists and p has less than kSureShare of the
// phrase votes the plausible readings get.
bool doubtful(std::span<const CharReading> rs, Phone p, bool neutralAllowed)
{
    if (plausibleCount(rs, neutralAllowed) < 2)
        return false;
    double total = 0, mine = 0;
    for (const CharReading &r : rs) {
        if ((!neutralAllowed && toneOf(r.phone) == 1) || (r.phrases == 0 && !r.gcin))
            continue;
        total += r.phrases;
        if (r.phone == p)
            mine = r.phrases;
    }
    return total == 0 || mine < kSureShare * total;
}

// The character's readings with the correction list's substitutions made:
// a replaced reading adds what the tables say about it to its replacement.
std::vector<CharReading> standardReadings(const ReadingTables &t, const Corrections &c, char32_t ch)
{
    std::vector<CharReading> out;
    for (CharReading r : t.readings(ch)) {
        r.phone = c.substitute(ch, r.phone);
        auto it = std::find_if(out.begin(), out.end(), [&](const CharReading &x) { return x.phone == r.phone; });
        if (it == out.end()) {
            out.push_back(r);
        } else {
            it->chewing |= r.chewing;
            it->gcin |= r.gcin;
            it->phrases += r.phrases;
            it->frequency += r.frequency;
        }
    }
    return out;
}

} // namespace

const CharInfo &AnnotatorTables::info(char32_t c)
{
    auto it = chars.find(c);
    if (it != chars.end())
        return it->second;
    CharInfo ci;
    ci.readings = standardReadings(*readings, *corrections, c);
    ci.ranked = rankedReadings(ci.readings, false);
    ci.rankedNeutral = rankedReadings(ci.readings, true);
    for (Phone p : ci.rankedNeutral) {
        const auto r = std::find_if(ci.readings.begin(), ci.readings.end(),
                                    [p](const CharReading &x) { return x.phone == p; });
        if (r->phrases > 0 || r->gcin)
            ci.candidates << text(p);
    }
    ci.text = QString::fromUcs4(&c, 1);
    return chars.emplace(c, std::move(ci)).first->second;
}

const QString &AnnotatorTables::text(Phone p)
{
    auto it = phoneTexts.find(p);
    if (it == phoneTexts.end())
        it = phoneTexts.emplace(p, phoneText(p)).first;
    return it->second;
}

// ---------------------------------------------------------------------------

qsizetype Annotation::itemCount() const
{
    qsizetype n = 0;
    for (const Line &l : lines)
        n += qsizetype(l.items.size());
    return n;
}

qsizetype Annotation::typedCount() const
{
    qsizetype n = 0;
    for (const Line &l : lines)
        for (const Item &it : l.items)
            n += !it.reading.isEmpty();
    return n;
}

qsizetype Annotation::uncertainCount() const
{
    qsizetype n = 0;
    for (const Line &l : lines)
        for (const Item &it : l.items)
            n += it.uncertain;
    return n;
}

QString Annotation::phraseText(ItemRef r) const
{
    const Item &it = at(r);
    QString s;
    if (it.phraseLength == 0)
        return it.text;
    const auto &items = lines[r.line].items;
    for (qint32 k = it.phraseBegin; k < it.phraseBegin + it.phraseLength && k < qint32(items.size()); ++k)
        s += items[k].text;
    return s;
}

std::vector<ItemRef> setReading(Annotation &a, ItemRef r, const QString &reading, ChangeScope scope)
{
    std::vector<ItemRef> changed;
    if (reading.isEmpty() || r.line < 0 || r.line >= qint32(a.lines.size()) || r.item < 0
        || r.item >= qint32(a.lines[r.line].items.size()) || a.at(r).kind != Item::Kind::Han)
        return changed;
    auto apply = [&](ItemRef at) {
        Item &it = a.lines[at.line].items[at.item];
        it.reading = reading;
        it.uncertain = false;
        it.changed = true;
        if (!it.candidates.contains(reading))
            it.candidates.append(reading);
        changed.push_back(at);
    };
    if (scope == ChangeScope::ThisOccurrence) {
        apply(r);
        return changed;
    }
    const Item &target = a.at(r);
    const qint32 offset = r.item - target.phraseBegin;
    const qint32 length = target.phraseLength;
    const QString phrase = a.phraseText(r);
    for (qint32 l = 0; l < qint32(a.lines.size()); ++l) {
        const auto &items = a.lines[l].items;
        for (qint32 k = 0; k < qint32(items.size()); ++k) {
            const Item &it = items[k];
            if (it.kind == Item::Kind::Han && it.phraseLength == length
                && k - it.phraseBegin == offset && it.text == target.text
                && a.phraseText({l, k}) == phrase)
                apply({l, k});
        }
    }
    return changed;
}

TokenTable toTokenTable(const Annotation &a, std::vector<ItemRef> *origins)
{
    TokenTable t;
    if (origins)
        origins->clear();
    for (qint32 l = 0; l < qint32(a.lines.size()); ++l) {
        if (l > 0) {
            t.append(QStringLiteral("\u3000"), QString());
            if (origins)
                origins->push_back({});
        }
        const auto &items = a.lines[l].items;
        for (qint32 k = 0; k < qint32(items.size()); ++k) {
            const Item &it = items[k];
            QString reading = it.reading;
            // The layout gives a double-byte character's first tone its
            // blank; a character outside the code page needs it written.
            if (it.kind == Item::Kind::Han && !reading.isEmpty() && LenMbcs(it.text) == 1
                && phoneOf(reading) && toneOf(phoneOf(reading)) == 0)
                reading.append(QLatin1Char(' '));
            t.append(it.text, reading);
            if (origins)
                origins->push_back({l, k});
        }
    }
    return t;
}

QString toPracticeFileText(const Annotation &a)
{
    const TokenTable t = toTokenTable(a);
    QString out;
    out.reserve(t.size() * 5);
    for (qsizetype i = 0; i < t.size(); ++i) {
        out += t.chars[i];
        out += t.readings[i];
        out += QLatin1Char('\n');
    }
    return out;
}

bool looksLikePracticeFile(QStringView text)
{
    bool reading = false;
    for (QStringView line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype first = (line.size() > 1 && line[0].isHighSurrogate()
                                 && line[1].isLowSurrogate()) ? 2 : 1;
        const QStringView head = line.left(first);
        QStringView rest = line.mid(first);
        if (rest.isEmpty())
            continue;
        if (rest == head && head.size() == 1 && head[0].unicode() < 0x80)
            continue;
        while (rest.endsWith(u' '))
            rest.chop(1);
        if (!phoneOf(rest))
            return false;
        reading = true;
    }
    return reading;
}

// ---------------------------------------------------------------------------

Annotator::Paths Annotator::Paths::installed()
{
    Paths p;
    p.chewingDir = qEnvironmentVariable("QUILLORY_CHEWING_DIR", QStringLiteral("/usr/share/libchewing"));
    p.gcinTable = qEnvironmentVariable("QUILLORY_GCIN_TABLE");
    if (p.gcinTable.isEmpty()) {
        // The multiarch folder varies with the machine.
        QStringList dirs;
        for (const QString &d : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            dirs << QStringLiteral("/usr/lib/%1/gcin/table").arg(d);
        dirs << QStringLiteral("/usr/lib/gcin/table");
        for (const QString &d : dirs) {
            if (QFileInfo::exists(d + QStringLiteral("/pho.tab2"))) {
                p.gcinTable = d + QStringLiteral("/pho.tab2");
                break;
            }
        }
    }
    return p;
}

Annotator::Annotator(Paths paths) : m_paths(std::move(paths)) {}
Annotator::~Annotator() = default;

Annotator &Annotator::shared()
{
    static Annotator a;
    return a;
}

bool Annotator::isLoaded() const
{
    return m_tables != nullptr;
}

bool Annotator::load(QString *error)
{
    if (!m_tried) {
        m_tried = true;
        auto readings = ReadingTables::open(m_paths.chewingDir, m_paths.gcinTable, &m_error);
        if (readings) {
            m_tables = std::make_unique<AnnotatorTables>();
            m_tables->logTotal = std::log(double(readings->totalFrequency()) + readings->phraseCount() + 1);
            m_tables->readings = std::move(readings);
            m_tables->corrections = &Corrections::builtIn();
        }
    }
    if (!m_tables && error)
        *error = m_error;
    return m_tables != nullptr;
}

QStringList Annotator::readings(QStringView character)
{
    QStringList out;
    const auto cps = character.toUcs4();
    if (cps.size() != 1 || !load())
        return out;
    const CharInfo &ci = m_tables->info(cps[0]);
    const bool particle = kParticles.find(cps[0]) != std::u32string_view::npos
        || kFinalParticles.find(cps[0]) != std::u32string_view::npos;
    for (Phone p : particle ? ci.rankedNeutral : ci.ranked)
        out << m_tables->text(p);
    return out;
}

namespace {

// Reads one run of Han characters (cells[begin, end)) and sets their readings.
class RunReader {
public:
    RunReader(AnnotatorTables &t, bool literary)
        : m_tables(t), m_t(*t.readings), m_c(*t.corrections), m_logTotal(t.logTotal), m_literary(literary) {}

    void read(std::vector<Cell> &cells, qint32 begin, qint32 end);

private:
    static constexpr qint32 kLongest = 16; // characters of a phrase read
    struct Candidate {
        qint32 length = 0;
        quint32 frequency = 0;
        std::array<Phone, kLongest> phones{}; // the chosen reading
        quint32 uncertain = 0;                // bits: characters tied readings disagree on
        bool corrected = false;
    };
    void candidatesAt(std::span<const char32_t> text, std::vector<Candidate> &out);
    Phone standalone(const std::vector<Cell> &cells, qint32 i, Phone overlapping, bool &uncertain);

    AnnotatorTables &m_tables;
    const ReadingTables &m_t;
    const Corrections &m_c;
    double m_logTotal;
    bool m_literary; // literary Chinese: no vernacular particles
    std::vector<PhraseMatch> m_matches;
    std::vector<Phone> m_phones;
    std::vector<char32_t> m_text;
    std::vector<double> m_score;
    std::vector<qint32> m_from, m_starts;
    std::vector<std::vector<Candidate>> m_cands;
};

// The reading of a character no phrase of the cut covers. overlapping: its
// reading in the most frequent phrase that overlaps it across the cut (院長
// in 中研院長 cut as 中研院|長), or 0.
Phone RunReader::standalone(const std::vector<Cell> &cells, qint32 i, Phone overlapping,
                            bool &uncertain)
{
    const char32_t c = cells[i].key;
    uncertain = false;
    if (const Correction *corr = m_c.character(c))
        return corr->phones[0];
    if (c == kYi)
        return kYiPhone;
    if (c == kBu)
        return kBuPhone;
    const CharInfo &ci = m_tables.info(c);
    const auto &rs = ci.readings;
    // Literary Chinese has none of the vernacular's neutral particles, and
    // 還 is "return" there.
    if (m_literary) {
        // Literary Chinese reads 還 "return", 予 as the pronoun "I", and 夫
        // opening or closing a clause as the particle.
        const bool opens = i == 0 || cells[i - 1].kind != Item::Kind::Han;
        const bool closes = i + 1 == qint32(cells.size()) || cells[i + 1].kind != Item::Kind::Han;
        const Phone literaryReading = c == kHai ? kHuanPhone
            : c == kYu ? kYuPhone
            : c == kFu && (opens || closes) ? kFuPhone
            : 0;
        if (literaryReading) {
            uncertain = doubtful(rs, literaryReading, false);
            return literaryReading;
        }
    }
    const bool particle = !m_literary && kParticles.find(c) != std::u32string_view::npos;
    const bool finalParticle = !m_literary && kFinalParticles.find(c) != std::u32string_view::npos;
    // A sentence-final particle follows a word and ends the sentence.
    const bool atEnd = finalParticle && i > 0 && cells[i - 1].kind == Item::Kind::Han
        && (i + 1 == qint32(cells.size()) || cells[i + 1].kind != Item::Kind::Han);
    const bool between = !m_literary && i > 0 && cells[i - 1].kind == Item::Kind::Han
        && i + 1 < qint32(cells.size()) && cells[i + 1].kind == Item::Kind::Han;
    const bool complement = between
        && ((c == kDe && kBeforeModalDe.find(cells[i - 1].key) == std::u32string_view::npos)
            || (c == kDi && cells[i - 1].phraseLength >= 2));
    const bool neutralAllowed = particle || finalParticle || complement;
    const auto &ranked = neutralAllowed ? ci.rankedNeutral : ci.ranked;
    if (particle || atEnd || complement) {
        for (Phone p : ranked)
            if (toneOf(p) == 1)
                return p;
    }
    const Phone p = overlapping ? overlapping : ranked.empty() ? 0 : ranked.front();
    uncertain = doubtful(rs, p, neutralAllowed);
    return p;
}

void RunReader::candidatesAt(std::span<const char32_t> text, std::vector<Candidate> &out)
{
    out.clear();
    m_matches.clear();
    m_phones.clear();
    m_t.phrasesAt(text.first(std::min<std::size_t>(text.size(), kLongest)), m_matches, m_phones);
    // The most frequent reading of each length; ties noted.
    for (const PhraseMatch &m : m_matches) {
        Candidate c{m.length, m.frequency};
        const Phone *ph = m_phones.data() + m.phonesAt;
        for (qint32 k = 0; k < m.length; ++k)
            c.phones[k] = dictionaryTone(text[k], m_c.substitute(text[k], ph[k]));
        auto it = std::find_if(out.begin(), out.end(), [&](const Candidate &x) { return x.length == m.length; });
        if (it == out.end()) {
            out.push_back(c);
        } else if (m.frequency > it->frequency) {
            *it = c;
        } else if (m.frequency == it->frequency && c.phones != it->phones) {
            // A tie: keep the reading closer to the characters' own most
            // likely readings, and mark where the two differ; where they
            // differ only in a neutral tone the table lists the neutral one
            // for the spoken word (媽媽 ㄇㄚ ㄇㄚ˙).
            auto agreement = [&](const Candidate &x) {
                int n = 0;
                for (qint32 k = 0; k < m.length; ++k) {
                    const auto &ranked = m_tables.info(text[k]).ranked;
                    n += !ranked.empty() && ranked.front() == x.phones[k];
                }
                return n;
            };
            int neutralBalance = 0;
            bool onlyNeutral = true;
            for (qint32 k = 0; k < m.length; ++k) {
                if (c.phones[k] == it->phones[k])
                    continue;
                it->uncertain |= 1u << k;
                const bool a = toneOf(c.phones[k]) == 1, b = toneOf(it->phones[k]) == 1;
                onlyNeutral = onlyNeutral && (c.phones[k] & ~7) == (it->phones[k] & ~7) && a != b;
                neutralBalance += a - b;
            }
            if (onlyNeutral ? neutralBalance > 0 : agreement(c) > agreement(*it))
                it->phones = c.phones;
        }
    }
    // Corrections replace the table's reading of their phrase, and add
    // phrases the table lacks.
    for (const Correction &c : m_c.phrasesStartingWith(text[0])) {
        if (c.text.size() > text.size() || c.text.size() > std::size_t(kLongest)
            || !std::equal(c.text.begin(), c.text.end(), text.begin()))
            continue;
        const qint32 len = qint32(c.text.size());
        auto it = std::find_if(out.begin(), out.end(), [&](const Candidate &x) { return x.length == len; });
        if (it == out.end()) {
            out.push_back({len, 1});
            it = out.end() - 1;
        }
        std::copy(c.phones.begin(), c.phones.end(), it->phones.begin());
        it->uncertain = 0;
        it->corrected = true;
    }
}

// The most probable cut of the run into phrases (unigram model over the
// phrase frequencies; a character alone counts as half a phrase that
// occurred once).
void RunReader::read(std::vector<Cell> &cells, qint32 begin, qint32 end)
{
    const qint32 n = end - begin;
    auto &text = m_text;
    text.resize(n);
    for (qint32 i = 0; i < n; ++i)
        text[i] = cells[begin + i].key;
    const double single = std::log(0.5) - m_logTotal;
    auto &score = m_score;
    auto &from = m_from;
    auto &cands = m_cands;
    score.assign(n + 1, -1e300);
    from.assign(n + 1, -1);
    if (qint32(cands.size()) < n)
        cands.resize(n);
    score[0] = 0;
    for (qint32 i = 0; i < n; ++i) {
        candidatesAt(std::span<const char32_t>(text).subspan(i), cands[i]);
        if (score[i] + single > score[i + 1]) {
            score[i + 1] = score[i] + single;
            from[i + 1] = i;
        }
        for (const Candidate &c : cands[i]) {
            const double s = score[i] + std::log(double(c.frequency) + 1) - m_logTotal;
            if (s > score[i + c.length]) {
                score[i + c.length] = s;
                from[i + c.length] = i;
            }
        }
    }
    // The cut, first to last, then the readings in reading order (a
    // character alone may look at the phrase before it).
    auto &starts = m_starts;
    starts.clear();
    for (qint32 j = n; j > 0; j = from[j])
        starts.push_back(from[j]);
    std::reverse(starts.begin(), starts.end());
    for (std::size_t s = 0; s < starts.size(); ++s) {
        const qint32 i = starts[s];
        const qint32 len = (s + 1 < starts.size() ? starts[s + 1] : n) - i;
        for (qint32 k = i; k < i + len; ++k) {
            cells[begin + k].phraseBegin = begin + i;
            cells[begin + k].phraseLength = len;
        }
        if (len == 1)
            continue;
        const Candidate &c = *std::find_if(cands[i].begin(), cands[i].end(),
                                           [len](const Candidate &x) { return x.length == len; });
        for (qint32 k = 0; k < len; ++k) {
            cells[begin + i + k].phone = c.phones[k];
            cells[begin + i + k].uncertain = c.uncertain >> k & 1;
            if (!c.corrected && c.frequency < kRarePhrase) {
                const auto &ranked = m_tables.info(text[i + k]).rankedNeutral;
                if (!ranked.empty() && ranked.front() != c.phones[k] && text[i + k] != kYi && text[i + k] != kBu)
                    cells[begin + i + k].uncertain = true;
            }
        }
        if (c.corrected)
            continue;
        // A corrected phrase inside a longer one of the table is read as
        // corrected there too (晚上 in 昨天晚上).
        for (qint32 o = 0; o + 1 < len; ++o) {
            for (const Correction &corr : m_c.phrasesStartingWith(text[i + o])) {
                const qint32 m = qint32(corr.text.size());
                if (m >= len || o + m > len
                    || !std::equal(corr.text.begin(), corr.text.end(), text.begin() + i + o))
                    continue;
                for (qint32 k = 0; k < m; ++k) {
                    cells[begin + i + o + k].phone = corr.phones[k];
                    cells[begin + i + o + k].uncertain = false;
                }
            }
        }
    }
    // Literary Chinese is read without neutral tones: a phrase's neutral
    // syllable takes the character's own tone.
    if (m_literary) {
        for (qint32 k = 0; k < n; ++k) {
            Cell &cell = cells[begin + k];
            if (cell.phraseLength < 2 || toneOf(cell.phone) != 1)
                continue;
            Phone best = 0;
            for (Phone p : m_tables.info(text[k]).ranked) {
                if (toneOf(p) == 1)
                    continue;
                if (!best || ((p & ~7) == (cell.phone & ~7) && (best & ~7) != (cell.phone & ~7)))
                    best = p;
            }
            if (best)
                cell.phone = best;
        }
    }
    for (qint32 i : starts) {
        if (cells[begin + i].phraseLength != 1)
            continue;
        Phone overlapping = 0;
        quint32 best = 0;
        for (qint32 j = std::max(0, i - 16); j <= i; ++j) {
            for (const Candidate &c : cands[j]) {
                if (j + c.length > i && (!overlapping || c.frequency > best)) {
                    overlapping = c.phones[i - j];
                    best = c.frequency;
                }
            }
        }
        bool uncertain = false;
        cells[begin + i].phone = standalone(cells, begin + i, overlapping, uncertain);
        cells[begin + i].uncertain = uncertain;
    }
}

// Whether a text is literary Chinese: a text of some length with hardly a
// vernacular function word (verse, classical prose), or one with many more
// literary function words than vernacular ones.
bool isLiterary(QStringView text)
{
    static constexpr std::u32string_view literary = U"之乎者也矣焉哉兮曰吾汝爾乃亦豈";
    static constexpr std::u32string_view vernacular = U"的了們嗎呢吧這那很個沒著麼";
    int lit = 0, ver = 0, han = 0;
    for (char32_t c : text.toUcs4()) {
        if (!isHan(c))
            continue;
        ++han;
        lit += literary.find(c) != std::u32string_view::npos;
        ver += vernacular.find(c) != std::u32string_view::npos;
    }
    return (han >= 20 && ver * 100 < han) || (lit >= 3 && lit > 2 * ver);
}

// A character as the learner sees it: full-width Latin letters and digits
// become their ASCII forms, which are typed.
char32_t shownForm(char32_t c)
{
    if ((c >= U'０' && c <= U'９') || (c >= U'Ａ' && c <= U'Ｚ') || (c >= U'ａ' && c <= U'ｚ'))
        return c - 0xFEE0;
    return c;
}

bool isBlank(char32_t c)
{
    return c == U'\t' || u_isUWhiteSpace(static_cast<UChar32>(c));
}

// Characters that show nothing: controls, format characters, unpaired
// surrogates, the byte-order mark.
bool isInvisible(char32_t c)
{
    const int8_t type = u_charType(static_cast<UChar32>(c));
    return type == U_CONTROL_CHAR || type == U_FORMAT_CHAR || type == U_SURROGATE
        || type == U_UNASSIGNED || c > 0x10FFFF;
}

} // namespace

bool Annotator::isLiteraryChinese(QStringView text)
{
    return isLiterary(text);
}

Annotation Annotator::annotate(QStringView text, QString *error)
{
    return annotate(text, isLiterary(text), 1, error);
}

Annotation Annotator::annotate(QStringView text, bool literary, qint32 firstLine, QString *error)
{
    Annotation result;
    const bool loaded = load(error);
    std::unique_ptr<RunReader> reader;
    if (loaded)
        reader = std::make_unique<RunReader>(*m_tables, literary);

    std::vector<Cell> cells;
    qint32 lineNumber = firstLine - 1;
    TextLines lines(text);
    QStringView line;
    while (lines.next(line)) {
        ++lineNumber;

        // Characters, blanks folded into one and dropped at the ends.
        cells.clear();
        bool blank = false;
        for (qsizetype k = 0; k < line.size();) {
            char32_t c = line[k].unicode();
            qsizetype width = 1;
            if (line[k].isHighSurrogate() && k + 1 < line.size() && line[k + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(line[k], line[k + 1]);
                width = 2;
            }
            k += width;
            if (isBlank(c)) {
                blank = true;
                continue;
            }
            if (isInvisible(c))
                continue;
            if (blank && !cells.empty())
                cells.push_back({U' ', Item::Kind::Shown, U' '});
            blank = false;
            c = shownForm(c);
            Cell cell{c, Item::Kind::Shown, c};
            if (c < 0x80 && ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
                cell.kind = Item::Kind::Typed;
            } else if (loaded && isHan(c)) {
                cell.key = m_tables->corrections->standardForm(c);
                if (!m_tables->readings->readings(cell.key).empty())
                    cell.kind = Item::Kind::Han;
            }
            cells.push_back(cell);
        }
        if (cells.empty())
            continue;

        for (qint32 b = 0; b < qint32(cells.size());) {
            if (cells[b].kind != Item::Kind::Han) {
                ++b;
                continue;
            }
            qint32 e = b;
            while (e < qint32(cells.size()) && cells[e].kind == Item::Kind::Han)
                ++e;
            reader->read(cells, b, e);
            b = e;
        }

        Line out;
        out.sourceLine = lineNumber;
        out.items.reserve(cells.size());
        for (const Cell &cell : cells) {
            Item it;
            it.kind = cell.kind;
            if (cell.kind == Item::Kind::Han) {
                const CharInfo &ci = m_tables->info(cell.key);
                it.text = cell.c == cell.key ? ci.text : QString::fromUcs4(&cell.c, 1);
                it.reading = m_tables->text(cell.phone);
                it.uncertain = cell.uncertain;
                it.phraseBegin = cell.phraseBegin;
                it.phraseLength = cell.phraseLength;
                // The reading chosen first, then the others, most likely first.
                if (!ci.candidates.isEmpty() && ci.candidates.front() == it.reading) {
                    it.candidates = ci.candidates;
                } else {
                    it.candidates.reserve(ci.candidates.size() + 1);
                    it.candidates << it.reading;
                    for (const QString &r : ci.candidates)
                        if (r != it.reading)
                            it.candidates << r;
                }
            } else {
                it.text = QString::fromUcs4(&cell.c, 1);
                if (cell.kind == Item::Kind::Typed)
                    it.reading = it.text;
            }
            out.items.push_back(std::move(it));
        }
        result.lines.push_back(std::move(out));
    }
    return result;
}

} // namespace annotate
