#include "annotate/Corrections.h"

#include <QFile>
#include <algorithm>

namespace annotate {

const Corrections &Corrections::builtIn()
{
    static const Corrections list = [] {
        Corrections c;
        QFile f(QStringLiteral(":/quillory/annotate/corrections.txt"));
        if (f.open(QIODevice::ReadOnly))
            c.parse(QString::fromUtf8(f.readAll()));
        return c;
    }();
    return list;
}

bool Corrections::parse(QStringView text, QString *error)
{
    m_entries.clear();
    m_characters.clear();
    m_substitutions.clear();
    m_variants.clear();
    bool ok = true;
    int number = 0;
    for (QStringView line : text.split(u'\n')) {
        ++number;
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const auto fields = line.split(u'\t', Qt::SkipEmptyParts);
        Correction c;
        QString reason;
        if (fields.size() != 3) {
            reason = QStringLiteral("expected phrase, readings and source separated by tabs");
        } else if (fields[1].startsWith(u'=')) {
            const auto variant = fields[0].toUcs4();
            const auto standard = fields[1].mid(1).toUcs4();
            if (variant.size() != 1 || standard.size() != 1 || fields[2].trimmed().isEmpty()) {
                reason = QStringLiteral("a variant is one character, = and its standard character, and a source");
            } else {
                m_variants.emplace_back(variant[0], standard[0]);
                continue;
            }
        } else if (fields[1].contains(u'>')) {
            const auto cps = fields[0].toUcs4();
            const auto pair = fields[1].split(u'>');
            Substitution sub{cps.value(0), phoneOf(pair.value(0).trimmed()),
                             phoneOf(pair.value(1).trimmed()), fields[2].trimmed().toString()};
            if (cps.size() != 1 || pair.size() != 2 || !sub.from || !sub.to || sub.source.isEmpty()) {
                reason = QStringLiteral("a substitution is one character, two readings and a source");
            } else {
                m_substitutions.push_back(sub);
                continue;
            }
        } else {
            for (char32_t cp : fields[0].toUcs4())
                c.text.push_back(cp);
            for (QStringView r : fields[1].split(u' ', Qt::SkipEmptyParts)) {
                const Phone p = phoneOf(r);
                if (!p) {
                    reason = QStringLiteral("%1 is no syllable").arg(r);
                    break;
                }
                c.phones.push_back(p);
            }
            c.source = fields[2].trimmed().toString();
            if (reason.isEmpty() && c.phones.size() != c.text.size())
                reason = QStringLiteral("%1 readings for %2 characters").arg(c.phones.size()).arg(c.text.size());
            if (reason.isEmpty() && c.source.isEmpty())
                reason = QStringLiteral("no source");
        }
        if (!reason.isEmpty()) {
            if (ok && error)
                *error = QStringLiteral("line %1: %2").arg(number).arg(reason);
            ok = false;
            continue;
        }
        (c.text.size() == 1 ? m_characters : m_entries).push_back(std::move(c));
    }
    const auto byText = [](const Correction &a, const Correction &b) { return a.text < b.text; };
    std::stable_sort(m_entries.begin(), m_entries.end(), byText);
    m_firsts.assign(0x10000, false);
    for (const Correction &e : m_entries)
        if (e.text[0] < 0x10000)
            m_firsts[e.text[0]] = true;
    std::stable_sort(m_characters.begin(), m_characters.end(), byText);
    return ok;
}

Phone Corrections::substitute(char32_t c, Phone p) const
{
    for (const Substitution &s : m_substitutions)
        if (s.c == c && s.from == p)
            return s.to;
    return p;
}

char32_t Corrections::standardForm(char32_t c) const
{
    for (const auto &[variant, standard] : m_variants)
        if (variant == c)
            return standard;
    return c;
}

std::span<const Correction> Corrections::phrasesStartingWith(char32_t c) const
{
    if (c < m_firsts.size() && !m_firsts[c])
        return {};
    const auto lo = std::partition_point(m_entries.begin(), m_entries.end(),
                                         [c](const Correction &e) { return e.text[0] < c; });
    const auto hi = std::partition_point(lo, m_entries.end(),
                                         [c](const Correction &e) { return e.text[0] == c; });
    return {lo, hi};
}

const Correction *Corrections::character(char32_t c) const
{
    const auto it = std::partition_point(m_characters.begin(), m_characters.end(),
                                         [c](const Correction &e) { return e.text[0] < c; });
    return it != m_characters.end() && it->text[0] == c ? &*it : nullptr;
}

} // namespace annotate
