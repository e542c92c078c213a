#include "record/WeakKeyDrill.h"

#include <algorithm>
#include <map>
#include <set>

namespace {

bool isToneMark(QChar c)
{
    return c == u'ˊ' || c == u'ˇ' || c == u'ˋ' || c == u'˙';
}

// A character of the built-in texts with one of its readings there.
struct Candidate {
    QString ch;
    QString reading;
    std::vector<KeyNumber> keys; // what typing the reading presses, the first tone's space included
    int uses = 0;                // how often the texts use this character with this reading
    int order = 0;               // where it first appears
};

std::vector<Candidate> builtInCharacters()
{
    std::vector<Candidate> out;
    std::map<std::pair<QString, QString>, std::size_t> seen;
    using Lessons::Menu;
    for (Menu menu : {Menu::Base, Menu::Doc, Menu::ClassDoc}) {
        for (int i = 1; i <= Lessons::count(menu); ++i) {
            QString text = Lessons::parts(menu, i).join(QString());
            TokenTable table;
            SplitLessonText(table, text);
            for (qsizetype t = 0; t < table.size(); ++t) {
                const QString &reading = table.readings[t];
                if (table.chars[t].isEmpty() || reading.isEmpty())
                    continue;
                const auto key = std::pair(table.chars[t], reading);
                if (auto it = seen.find(key); it != seen.end()) {
                    ++out[it->second].uses;
                    continue;
                }
                Candidate c{table.chars[t], reading, {}, 1, static_cast<int>(out.size())};
                bool typeable = true;
                for (QChar s : reading) {
                    const KeyNumber k = KeyOfSymbol(QString(s));
                    if (k == 0)
                        typeable = false;
                    c.keys.push_back(k);
                }
                if (!isToneMark(reading.back()))
                    c.keys.push_back(32);
                if (!typeable)
                    continue;
                seen.emplace(key, out.size());
                out.push_back(std::move(c));
            }
        }
    }
    return out;
}

const std::vector<Candidate> &candidates()
{
    static const std::vector<Candidate> all = builtInCharacters();
    return all;
}

} // namespace

WeakKeyDrill MakeWeakKeyDrill(const std::vector<KeyTotal> &totals)
{
    WeakKeyDrill d;
    for (const KeyTotal &t : totals)
        d.keystrokes += t.right + t.wrong;
    if (d.keystrokes < kDrillMinKeystrokes) {
        d.status = WeakKeyDrill::Status::TooFewKeystrokes;
        return d;
    }

    // Only keys the built-in readings press can be drilled.
    std::set<KeyNumber> drillable;
    for (const Candidate &c : candidates())
        drillable.insert(c.keys.begin(), c.keys.end());
    std::vector<KeyTotal> usable;
    for (const KeyTotal &t : totals) {
        if (drillable.count(t.key))
            usable.push_back(t);
    }
    // The three weakest: the weakest gets half the characters, the next a
    // third, the last the rest.
    constexpr int kKeys = 3;
    for (const KeyTotal &t : WeakestKeys(usable, kKeys, 5))
        d.keys.push_back(t.key);
    if (d.keys.empty()) {
        for (const KeyTotal &t : WeakestKeys(usable, kKeys, 1))
            d.keys.push_back(t.key);
    }
    if (d.keys.empty()) {
        d.status = WeakKeyDrill::Status::TooFewKeystrokes;
        return d;
    }
    for (KeyNumber k : d.keys)
        d.keysCaption += KeyLabel(k);

    // Each key's characters: those that press more of the weak keys first
    // (weighted by rank), then the ones the texts use most.
    const std::size_t n = d.keys.size();
    auto weight = [&](const Candidate &c) {
        int w = 0;
        for (KeyNumber k : c.keys) {
            for (std::size_t r = 0; r < n; ++r) {
                if (d.keys[r] == k)
                    w += static_cast<int>(n - r);
            }
        }
        return w;
    };
    std::vector<std::vector<const Candidate *>> lists(n);
    for (const Candidate &c : candidates()) {
        for (std::size_t r = 0; r < n; ++r) {
            if (std::find(c.keys.begin(), c.keys.end(), d.keys[r]) != c.keys.end())
                lists[r].push_back(&c);
        }
    }
    for (auto &list : lists) {
        std::stable_sort(list.begin(), list.end(), [&](const Candidate *a, const Candidate *b) {
            const int wa = weight(*a), wb = weight(*b);
            if (wa != wb)
                return wa > wb;
            if (a->uses != b->uses)
                return a->uses > b->uses;
            return a->order < b->order;
        });
    }
    std::vector<int> quota(n, 0);
    const int shares[3][3] = {{28, 0, 0}, {17, 11, 0}, {14, 9, 5}};
    for (std::size_t r = 0; r < n; ++r)
        quota[r] = shares[n - 1][r];

    // Deal the characters out in turns, weakest key first, a character
    // appearing once until a key's list runs out.
    std::set<QString> used;
    std::vector<std::size_t> next(n, 0);
    while (d.table.size() < kDrillCharacters) {
        bool dealt = false;
        for (std::size_t r = 0; r < n && d.table.size() < kDrillCharacters; ++r) {
            if (quota[r] == 0 || lists[r].empty())
                continue;
            const Candidate *pick = nullptr;
            for (std::size_t tries = 0; tries < lists[r].size(); ++tries) {
                const Candidate *c = lists[r][next[r] % lists[r].size()];
                ++next[r];
                if (!used.count(c->ch) || used.size() >= candidates().size()) {
                    pick = c;
                    break;
                }
            }
            if (!pick) // every character of this key is in the drill: repeat them
                pick = lists[r][next[r]++ % lists[r].size()];
            used.insert(pick->ch);
            d.table.append(pick->ch, pick->reading);
            --quota[r];
            dealt = true;
        }
        if (!dealt) {
            // Quotas spent (a key had no characters): the weakest key with
            // characters fills up.
            const auto r = std::find_if(lists.begin(), lists.end(), [](const auto &l) { return !l.empty(); });
            if (r == lists.end())
                break;
            quota[static_cast<std::size_t>(r - lists.begin())] = kDrillCharacters - static_cast<int>(d.table.size());
        }
    }
    return d;
}
