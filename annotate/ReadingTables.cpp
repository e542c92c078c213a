#include "annotate/ReadingTables.h"

#include <QtEndian>
#include <algorithm>

namespace annotate {

namespace {

const char16_t kInitials[] = u"ㄅㄆㄇㄈㄉㄊㄋㄌㄍㄎㄏㄐㄑㄒㄓㄔㄕㄖㄗㄘㄙ";
const char16_t kMedials[] = u"ㄧㄨㄩ";
const char16_t kFinals[] = u"ㄚㄛㄜㄝㄞㄟㄠㄡㄢㄣㄤㄥㄦ";
const char16_t kTones[] = u" ˙ˊˇˋ"; // index 0: first tone, unmarked

int indexIn(const char16_t *set, qsizetype n, QChar c)
{
    for (qsizetype i = 0; i < n; ++i)
        if (set[i] == c.unicode())
            return static_cast<int>(i);
    return -1;
}

// Decodes the NUL-terminated UTF-8 string at p (at most end) into out; false
// when it is malformed or longer than max code points.
bool decodeUtf8(const uchar *p, const uchar *end, char32_t *out, int max, int &count)
{
    count = 0;
    while (p < end && *p) {
        char32_t c = *p;
        int more = 0;
        if (c < 0x80) {
        } else if ((c & 0xE0) == 0xC0) {
            c &= 0x1F, more = 1;
        } else if ((c & 0xF0) == 0xE0) {
            c &= 0x0F, more = 2;
        } else if ((c & 0xF8) == 0xF0) {
            c &= 0x07, more = 3;
        } else {
            return false;
        }
        ++p;
        for (int k = 0; k < more; ++k, ++p) {
            if (p >= end || (*p & 0xC0) != 0x80)
                return false;
            c = c << 6 | (*p & 0x3F);
        }
        if (count == max)
            return false;
        out[count++] = c;
    }
    return true;
}

constexpr int kMaxPhrase = 16; // the table's longest phrase has 11 characters

} // namespace

QString phoneText(Phone key)
{
    const int initial = key >> 9, medial = (key >> 7) & 3, final = (key >> 3) & 15, tone = key & 7;
    // ㄅ … ㄒ never stand without a medial or a final (ㄓ … ㄙ do).
    if (initial > 21 || final > 13 || tone > 4 || (!initial && !medial && !final)
        || (initial >= 1 && initial <= 14 && !medial && !final))
        return {};
    QString s;
    if (initial)
        s += QChar(kInitials[initial - 1]);
    if (medial)
        s += QChar(kMedials[medial - 1]);
    if (final)
        s += QChar(kFinals[final - 1]);
    if (tone)
        s += QChar(kTones[tone]);
    return s;
}

Phone phoneOf(QStringView text)
{
    qsizetype i = 0;
    int initial = 0, medial = 0, final = 0, tone = 0;
    if (i < text.size() && (initial = indexIn(kInitials, 21, text[i]) + 1) > 0)
        ++i;
    if (i < text.size() && (medial = indexIn(kMedials, 3, text[i]) + 1) > 0)
        ++i;
    if (i < text.size() && (final = indexIn(kFinals, 13, text[i]) + 1) > 0)
        ++i;
    if (i < text.size() && text[i] != u' ' && (tone = indexIn(kTones, 5, text[i])) > 0)
        ++i;
    if (i != text.size() || (!initial && !medial && !final)
        || (initial >= 1 && initial <= 14 && !medial && !final))
        return 0;
    return static_cast<Phone>(initial << 9 | medial << 7 | final << 3 | std::max(tone, 0));
}

ReadingTables::~ReadingTables() = default;

std::unique_ptr<ReadingTables> ReadingTables::open(const QString &chewingDir,
                                                   const QString &gcinTable, QString *error)
{
    std::unique_ptr<ReadingTables> t(new ReadingTables);
    if (!t->mapChewing(chewingDir, error) || !t->readGcin(gcinTable, error))
        return nullptr;
    t->index();
    return t;
}

bool ReadingTables::mapChewing(const QString &dir, QString *error)
{
    auto fail = [&](const QString &path, bool missing) {
        if (error) {
            *error = missing
                ? QStringLiteral("找不到注音詞庫 %1：請安裝 Debian 套件 libchewing3-data。").arg(path)
                : QStringLiteral("注音詞庫 %1 無法讀取或格式不對：請重新安裝 Debian 套件 libchewing3-data。").arg(path);
        }
        return false;
    };
    m_treeFile.setFileName(dir + QStringLiteral("/index_tree.dat"));
    m_dictFile.setFileName(dir + QStringLiteral("/dictionary.dat"));
    for (QFile *f : {&m_treeFile, &m_dictFile}) {
        if (!f->exists())
            return fail(f->fileName(), true);
        if (!f->open(QIODevice::ReadOnly) || f->size() <= 0 || f->size() > 0x7fffffff)
            return fail(f->fileName(), false);
    }
    m_tree = m_treeFile.map(0, m_treeFile.size());
    m_dict = m_dictFile.map(0, m_dictFile.size());
    if (!m_tree || !m_dict)
        return fail(m_tree ? m_dictFile.fileName() : m_treeFile.fileName(), false);
    m_nodes = static_cast<quint32>(m_treeFile.size() / 8);
    m_dictSize = static_cast<quint32>(m_dictFile.size());
    const Node root = m_nodes ? node(0) : Node{};
    if (m_nodes < 2 || root.a < 1 || root.b > m_nodes || root.a >= root.b)
        return fail(m_treeFile.fileName(), false);
    return true;
}

// pho.tab2: "PH", u16 n_idx, i32 n_items, i32 phrase size, n_idx × {u16 phone;
// u16 first item}, n_items × {char[4] utf8; i32 count}.
bool ReadingTables::readGcin(const QString &path, QString *error)
{
    QFile f(path);
    if (path.isEmpty() || !f.exists()) {
        if (error)
            *error = QStringLiteral("找不到注音字表 %1：請安裝 Debian 套件 gcin-tables。")
                         .arg(path.isEmpty() ? QStringLiteral("pho.tab2") : path);
        return false;
    }
    const QByteArray d = f.open(QIODevice::ReadOnly) ? f.read(16 * 1024 * 1024) : QByteArray();
    const auto *p = reinterpret_cast<const uchar *>(d.constData());
    const int nIdx = d.size() >= 12 ? qFromLittleEndian<quint16>(p + 2) : 0;
    const qint32 nItems = d.size() >= 12 ? qFromLittleEndian<qint32>(p + 4) : 0;
    const qsizetype itemsAt = 12 + qsizetype(nIdx) * 4;
    if (!d.startsWith("PH") || nItems < 0 || d.size() < itemsAt + qsizetype(nItems) * 8) {
        if (error)
            *error = QStringLiteral("注音字表 %1 無法讀取或格式不對：請重新安裝 Debian 套件 gcin-tables。").arg(path);
        return false;
    }
    for (int i = 0; i < nIdx; ++i) {
        const Phone phone = qFromLittleEndian<quint16>(p + 12 + i * 4);
        const int first = qFromLittleEndian<quint16>(p + 12 + i * 4 + 2);
        const int last = i + 1 < nIdx ? qFromLittleEndian<quint16>(p + 12 + (i + 1) * 4 + 2) : nItems;
        if (phoneText(phone).isEmpty())
            continue;
        for (int it = first; it < last && it < nItems; ++it) {
            const uchar *utf8 = p + itemsAt + qsizetype(it) * 8;
            char32_t c[4];
            int n = 0;
            if (decodeUtf8(utf8, utf8 + 4, c, 1, n) && n == 1)
                m_readings.push_back({phone, false, true, 0, 0}), m_chars.push_back(c[0]);
        }
    }
    return true;
}

qint32 ReadingTables::charIndex(char32_t c) const
{
    if (c < m_bmp.size())
        return qint32(m_bmp[c]) - 1;
    const auto it = std::lower_bound(m_chars.begin(), m_chars.end(), c);
    return it != m_chars.end() && *it == c ? qint32(it - m_chars.begin()) : -1;
}

std::span<const CharReading> ReadingTables::readings(char32_t c) const
{
    const qint32 i = charIndex(c);
    if (i < 0)
        return {};
    return {m_readings.data() + m_charFirst[i], m_readings.data() + m_charFirst[i + 1]};
}

// Builds the character index: the single characters under the root's
// children, gcin's characters (already read), and what the phrases say about
// each reading. A reading only phrases use becomes a reading too.
void ReadingTables::index()
{
    // Pairs (character, reading) in parallel vectors until sorted.
    const Node root = node(0);
    char32_t cps[kMaxPhrase];
    int n = 0;
    m_rootChildren.assign(0x10000, 0);
    for (quint32 i = root.a; i < root.b; ++i)
        m_rootChildren[keyAt(i)] = i;
    for (quint32 i = root.a; i < root.b; ++i) {
        const Node syllable = node(i);
        if (phoneText(syllable.key).isEmpty())
            continue;
        for (quint32 j = syllable.a; j < syllable.b && j < m_nodes; ++j) {
            const Node leaf = node(j);
            if (leaf.key != 0)
                break;
            if (leaf.a < m_dictSize && decodeUtf8(m_dict + leaf.a, m_dict + m_dictSize, cps, 1, n)
                && n == 1) {
                m_chars.push_back(cps[0]);
                m_readings.push_back({syllable.key, true, false, 0, 0});
            }
        }
    }

    auto build = [this] {
        std::vector<quint32> order(m_chars.size());
        for (quint32 i = 0; i < order.size(); ++i)
            order[i] = i;
        std::sort(order.begin(), order.end(), [this](quint32 x, quint32 y) {
            return m_chars[x] != m_chars[y] ? m_chars[x] < m_chars[y]
                                            : m_readings[x].phone < m_readings[y].phone;
        });
        std::vector<char32_t> chars;
        std::vector<CharReading> readings;
        m_charFirst.clear();
        for (quint32 k : order) {
            const CharReading &r = m_readings[k];
            if (chars.empty() || chars.back() != m_chars[k]) {
                chars.push_back(m_chars[k]);
                m_charFirst.push_back(quint32(readings.size()));
            } else if (readings.back().phone == r.phone) {
                CharReading &merged = readings.back();
                merged.chewing |= r.chewing;
                merged.gcin |= r.gcin;
                merged.phrases += r.phrases;
                merged.frequency += r.frequency;
                continue;
            }
            readings.push_back(r);
        }
        m_charFirst.push_back(quint32(readings.size()));
        m_chars = std::move(chars);
        m_readings = std::move(readings);
        m_bmp.assign(0x10000, 0);
        for (quint32 i = 0; i < m_chars.size() && m_chars[i] < 0x10000; ++i)
            m_bmp[m_chars[i]] = static_cast<quint16>(i + 1);
    };
    build();

    // Every phrase of two or more characters votes for the readings of its
    // characters. Depth-first with an explicit stack; path[d] is the phone
    // at depth d + 1.
    std::vector<char32_t> extraChars;
    std::vector<CharReading> extraReadings;
    struct Entry {
        quint32 node;
        qint32 depth;
    };
    std::vector<Entry> stack;
    Phone path[kMaxPhrase];
    for (quint32 i = root.b; i-- > root.a;)
        stack.push_back({i, 1});
    while (!stack.empty()) {
        const Entry e = stack.back();
        stack.pop_back();
        const Node nd = node(e.node);
        path[e.depth - 1] = nd.key;
        quint32 j = nd.a;
        for (; j < nd.b && j < m_nodes; ++j) {
            const Node leaf = node(j);
            if (leaf.key != 0)
                break;
            if (e.depth < 2 || leaf.a >= m_dictSize
                || !decodeUtf8(m_dict + leaf.a, m_dict + m_dictSize, cps, kMaxPhrase, n)
                || n != e.depth)
                continue;
            m_totalFrequency += leaf.b;
            ++m_phraseCount;
            for (int k = 0; k < n; ++k) {
                const qint32 ci = charIndex(cps[k]);
                bool found = false;
                if (ci >= 0) {
                    for (quint32 r = m_charFirst[ci]; r < m_charFirst[ci + 1]; ++r) {
                        if (m_readings[r].phone == path[k]) {
                            ++m_readings[r].phrases;
                            m_readings[r].frequency += leaf.b;
                            found = true;
                            break;
                        }
                    }
                }
                if (!found && !phoneText(path[k]).isEmpty()) {
                    extraChars.push_back(cps[k]);
                    extraReadings.push_back({path[k], false, false, 1, leaf.b});
                }
            }
        }
        if (e.depth >= kMaxPhrase)
            continue;
        for (quint32 c = nd.b; c-- > j;)
            if (c < m_nodes && c > e.node)
                stack.push_back({c, e.depth + 1});
    }
    if (!extraChars.empty()) {
        // Expand the sorted table back into pairs, add the extras, rebuild.
        std::vector<char32_t> chars;
        chars.reserve(m_readings.size() + extraChars.size());
        for (quint32 i = 0; i + 1 < m_charFirst.size(); ++i)
            for (quint32 r = m_charFirst[i]; r < m_charFirst[i + 1]; ++r)
                chars.push_back(m_chars[i]);
        chars.insert(chars.end(), extraChars.begin(), extraChars.end());
        m_readings.insert(m_readings.end(), extraReadings.begin(), extraReadings.end());
        m_chars = std::move(chars);
        build();
    }
}

quint32 ReadingTables::findChild(quint32 parent, Phone key) const
{
    if (parent == 0)
        return m_rootChildren[key];
    const Node p = node(parent);
    quint32 lo = p.a, hi = std::min(p.b, m_nodes);
    while (lo < hi) {
        const quint32 mid = lo + (hi - lo) / 2;
        if (keyAt(mid) < key)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo < std::min(p.b, m_nodes) && keyAt(lo) == key && lo > parent ? lo : 0;
}

bool ReadingTables::leafMatches(quint32 offset, std::span<const char32_t> text, qint32 length) const
{
    // Decoded one character at a time, to stop at the first difference.
    const uchar *p = m_dict + offset, *end = m_dict + m_dictSize;
    for (qint32 k = 0; k < length; ++k) {
        if (offset >= m_dictSize || p >= end || !*p)
            return false;
        char32_t c = *p++;
        int more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (more < 0)
            return false;
        c &= more == 0 ? 0x7F : more == 1 ? 0x1F : more == 2 ? 0x0F : 0x07;
        for (int m = 0; m < more; ++m, ++p) {
            if (p >= end || (*p & 0xC0) != 0x80)
                return false;
            c = c << 6 | (*p & 0x3F);
        }
        if (c != text[k])
            return false;
    }
    return p < end && *p == 0;
}

void ReadingTables::phrasesAt(std::span<const char32_t> text, std::vector<PhraseMatch> &out,
                              std::vector<Phone> &phones) const
{
    Phone path[kMaxPhrase];
    walk(0, text, 0, path, out, phones);
}

void ReadingTables::walk(quint32 at, std::span<const char32_t> text, qint32 depth, Phone *path,
                         std::vector<PhraseMatch> &out, std::vector<Phone> &phones) const
{
    if (depth >= 2) {
        const Node nd = node(at);
        for (quint32 j = nd.a; j < nd.b && j < m_nodes; ++j) {
            const Node leaf = node(j);
            if (leaf.key != 0)
                break;
            if (leafMatches(leaf.a, text, depth)) {
                out.push_back({depth, leaf.b, quint32(phones.size())});
                phones.insert(phones.end(), path, path + depth);
            }
        }
    }
    if (depth >= qint32(text.size()) || depth >= kMaxPhrase)
        return;
    for (const CharReading &r : readings(text[depth])) {
        if (const quint32 child = findChild(at, r.phone)) {
            path[depth] = r.phone;
            walk(child, text, depth + 1, path, out, phones);
        }
    }
}

} // namespace annotate
