#include "practice/Lessons.h"

#include <QFile>
#include <array>
#include <vector>

namespace {

struct Item {
    QString caption;
    QStringList parts;
};

struct Catalogue {
    std::array<std::vector<Item>, 3> menus;
};

int menuIndex(Lessons::Menu m)
{
    return static_cast<int>(m);
}

// Reads the compiled-in records: "== <menu> <index> <caption>" opens one,
// each following "|" line is one part, verbatim to the end of the line.
Catalogue load()
{
    Catalogue c;
    c.menus[0].resize(18);
    c.menus[1].resize(18);
    c.menus[2].resize(10);
    QFile f(QStringLiteral(":/quillory/texts/lessons.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return c;
    const QString all = QString::fromUtf8(f.readAll());
    Item *current = nullptr;
    for (QStringView line : QStringView(all).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.startsWith(u"== ")) {
            current = nullptr;
            const auto fields = line.mid(3).split(u' ');
            if (fields.size() < 3)
                continue;
            int m = -1;
            if (fields[0] == u"base")
                m = 0;
            else if (fields[0] == u"doc")
                m = 1;
            else if (fields[0] == u"classdoc")
                m = 2;
            bool ok = false;
            const int index = fields[1].toInt(&ok);
            if (m < 0 || !ok || index < 1 || index > static_cast<int>(c.menus[m].size()))
                continue;
            current = &c.menus[m][index - 1];
            const qsizetype captionStart = 3 + fields[0].size() + 1 + fields[1].size() + 1;
            current->caption = line.mid(captionStart).toString();
        } else if (line.startsWith(u'|') && current) {
            current->parts.append(line.mid(1).toString());
        }
    }
    return c;
}

const Catalogue &catalogue()
{
    static const Catalogue c = load();
    return c;
}

const Item *item(Lessons::Menu menu, int index)
{
    const auto &items = catalogue().menus[menuIndex(menu)];
    if (index < 1 || index > static_cast<int>(items.size()))
        return nullptr;
    return &items[index - 1];
}

QString textOf(Lessons::Menu menu, qint16 index)
{
    const Item *it = item(menu, index);
    return it ? it->parts.join(QString()) : QString();
}

} // namespace

namespace Lessons {

int count(Menu menu)
{
    return static_cast<int>(catalogue().menus[menuIndex(menu)].size());
}

QString caption(Menu menu, int index)
{
    const Item *it = item(menu, index);
    return it ? it->caption : QString();
}

QStringList parts(Menu menu, int index)
{
    const Item *it = item(menu, index);
    return it ? it->parts : QStringList();
}

} // namespace Lessons

QString GetBaseText(qint16 index)
{
    return textOf(Lessons::Menu::Base, index);
}

QString GetDocText(qint16 index)
{
    return textOf(Lessons::Menu::Doc, index);
}

QString GetClassDocText(qint16 index)
{
    return textOf(Lessons::Menu::ClassDoc, index);
}

void SplitLessonText(TokenTable &table, QString &text)
{
    table = TokenTable{};
    auto store = [&table](QStringView token) {
        if (token.isEmpty())
            table.append(QString(), QString());
        else
            table.append(token.left(1).toString(), token.mid(1).toString());
    };
    qsizetype from = 0;
    for (;;) {
        const qsizetype blank = text.indexOf(QLatin1Char(' '), from);
        if (blank < 0)
            break;
        store(QStringView(text).mid(from, blank - from));
        from = blank + 1;
    }
    text.remove(0, from);
    // What follows the last blank, trimmed of blanks, is the last token.
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == QLatin1Char(' '))
        ++b;
    while (e > b && text[e - 1] == QLatin1Char(' '))
        --e;
    if (e > b)
        store(QStringView(text).mid(b, e - b));
}
