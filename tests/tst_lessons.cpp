#include <QtTest>

#include <QDir>
#include <QRegularExpression>

#include "ZhuyinTables.h"
#include "practice/Big5.h"
#include "practice/Lessons.h"
#include "practice/PracticeFile.h"

namespace {

struct Counts {
    int parts, tokens, withReading, empty;
};

// The catalogue: parts, tokens, tokens with a reading, empty tokens.
const Counts kBase[18] = {
    {1, 28, 28, 0}, {1, 28, 28, 0}, {1, 28, 28, 0}, {1, 36, 36, 0}, {1, 28, 28, 0}, {1, 28, 28, 0},
    {1, 28, 28, 0}, {1, 36, 36, 0}, {1, 28, 28, 0}, {1, 28, 28, 0}, {1, 28, 28, 0}, {1, 36, 36, 0},
    {1, 28, 28, 0}, {1, 28, 28, 0}, {1, 36, 36, 0}, {1, 36, 36, 0}, {2, 245, 205, 0}, {2, 143, 114, 0},
};
const Counts kDoc[18] = {
    {1, 57, 46, 0}, {1, 122, 105, 0}, {2, 212, 181, 0}, {1, 96, 77, 0}, {1, 72, 61, 0},
    {1, 87, 68, 2}, {1, 90, 73, 2}, {1, 56, 47, 0}, {1, 76, 64, 0}, {2, 136, 108, 0},
    {1, 123, 101, 0}, {1, 89, 67, 8}, {1, 64, 52, 0}, {1, 56, 47, 0}, {1, 82, 66, 0},
    {1, 88, 65, 0}, {1, 90, 73, 0}, {1, 131, 103, 0},
};
const Counts kClassDoc[10] = {
    {1, 134, 107, 4}, {4, 400, 331, 0}, {4, 420, 327, 4}, {2, 153, 126, 0}, {1, 110, 87, 0},
    {2, 190, 157, 0}, {2, 211, 163, 2}, {1, 115, 98, 0}, {2, 153, 125, 0}, {3, 328, 257, 6},
};

// Works whose attested text cannot reach the catalogue's counts: kept as
// attested, never padded or cut. Each entry gives the counts the text has.
struct Departure {
    Lessons::Menu menu;
    int index;
    Counts actual;
    const char *reason;
};
const Departure kDepartures[] = {
    {Lessons::Menu::Doc, 9, {1, 74, 62, 0},
     "every 玉樓春 has 56 characters; no edition of 歐陽修's has the two characters more"},
    {Lessons::Menu::ClassDoc, 7, {2, 213, 165, 2},
     "every edition of 黔之驢 has the same 159 characters; none is two characters shorter"},
};

// The one reading outside both input-method tables: the Ministry of
// Education's dictionary reads 朓 (謝朓) ㄊㄧㄠˇ; the tables list only ㄊㄧㄠˋ.
const QSet<QString> kReadingsOutsideTables = {QStringLiteral("朓ㄊㄧㄠˇ")};

const QString kPunctuation = QStringLiteral("，。；：！？、「」【】《》﹒．︰?_\u3000");

const char *menuName(Lessons::Menu m)
{
    switch (m) {
    case Lessons::Menu::Base: return "base";
    case Lessons::Menu::Doc: return "doc";
    case Lessons::Menu::ClassDoc: return "classdoc";
    }
    return "";
}

QString textOf(Lessons::Menu m, int i)
{
    switch (m) {
    case Lessons::Menu::Base: return GetBaseText(qint16(i));
    case Lessons::Menu::Doc: return GetDocText(qint16(i));
    case Lessons::Menu::ClassDoc: return GetClassDocText(qint16(i));
    }
    return {};
}

void addItemRows()
{
    QTest::addColumn<int>("menu");
    QTest::addColumn<int>("index");
    for (auto [m, n] : {std::pair{Lessons::Menu::Base, 18}, {Lessons::Menu::Doc, 18},
                        {Lessons::Menu::ClassDoc, 10}}) {
        for (int i = 1; i <= n; ++i)
            QTest::addRow("%s %d", menuName(m), i) << int(m) << i;
    }
}

} // namespace

class TestLessons : public QObject {
    Q_OBJECT
private:
    ZhuyinTables m_tables;
    QString m_tablesError;
    bool m_tablesLoaded = false;

private slots:
    void initTestCase()
    {
        m_tablesLoaded = m_tables.load(&m_tablesError);
    }

    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("chars");
        QTest::addColumn<QStringList>("readings");
        QTest::addColumn<QString>("rest");
        QTest::newRow("two tokens") << "忙ㄇㄤˊ 貓ㄇㄠ" << QStringList{"忙", "貓"}
                                    << QStringList{"ㄇㄤˊ", "ㄇㄠ"} << "貓ㄇㄠ";
        QTest::newRow("trailing blank: no empty last token") << "好ㄏㄠˇ 。 " << QStringList{"好", "。"}
                                                             << QStringList{"ㄏㄠˇ", ""} << "";
        QTest::newRow("three blanks: two empty tokens") << "甲ㄐㄧㄚˇ   乙ㄧˇ"
                                                        << QStringList{"甲", "", "", "乙"}
                                                        << QStringList{"ㄐㄧㄚˇ", "", "", "ㄧˇ"} << "乙ㄧˇ";
        QTest::newRow("neutral tone mark last") << "囔ㄋㄤ˙" << QStringList{"囔"} << QStringList{"ㄋㄤ˙"}
                                                << "囔ㄋㄤ˙";
        QTest::newRow("full-width space is a character") << "甲ㄐㄧㄚˇ \u3000 乙ㄧˇ"
                                                         << QStringList{"甲", "\u3000", "乙"}
                                                         << QStringList{"ㄐㄧㄚˇ", "", "ㄧˇ"} << "乙ㄧˇ";
        QTest::newRow("empty text") << "" << QStringList{} << QStringList{} << "";
        QTest::newRow("blanks only") << "   " << QStringList{"", "", ""} << QStringList{"", "", ""} << "";
        QTest::newRow("leading blank") << " 中ㄓㄨㄥ" << QStringList{"", "中"} << QStringList{"", "ㄓㄨㄥ"}
                                       << "中ㄓㄨㄥ";
    }
    void split()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, chars);
        QFETCH(QStringList, readings);
        QFETCH(QString, rest);
        TokenTable t;
        SplitLessonText(t, text);
        QCOMPARE(t.chars, chars);
        QCOMPARE(t.readings, readings);
        QCOMPARE(text, rest); // the text is consumed
    }

    void textFunctionsOutOfRange()
    {
        for (qint16 i : {qint16(0), qint16(-1), qint16(19)}) {
            QVERIFY(GetBaseText(i).isEmpty());
            QVERIFY(GetDocText(i).isEmpty());
        }
        QVERIFY(GetClassDocText(11).isEmpty());
        QVERIFY(!GetClassDocText(10).isEmpty());
        QCOMPARE(Lessons::count(Lessons::Menu::Base), 18);
        QCOMPARE(Lessons::count(Lessons::Menu::Doc), 18);
        QCOMPARE(Lessons::count(Lessons::Menu::ClassDoc), 10);
    }

    void captions()
    {
        QCOMPARE(Lessons::caption(Lessons::Menu::Base, 1), QStringLiteral("第一課ㄇㄋ配ㄠㄤ"));
        QCOMPARE(Lessons::caption(Lessons::Menu::Base, 17), QStringLiteral("綜合練習_孔子【大學之道經文】"));
        QCOMPARE(Lessons::caption(Lessons::Menu::Doc, 18), QStringLiteral("《詩經﹒蒹葭》"));
        QCOMPARE(Lessons::caption(Lessons::Menu::ClassDoc, 6), QStringLiteral("韓愈【雜說_千里馬】"));
        QCOMPARE(Lessons::caption(Lessons::Menu::ClassDoc, 10), QStringLiteral("張載【西銘】"));
    }

    void counts_data() { addItemRows(); }
    void counts()
    {
        QFETCH(int, menu);
        QFETCH(int, index);
        const auto m = Lessons::Menu(menu);
        const QStringList parts = Lessons::parts(m, index);
        for (int p = 0; p + 1 < parts.size(); ++p)
            QVERIFY2(parts[p].endsWith(QLatin1Char(' ')), "a part that others follow ends with a blank");
        QString text = textOf(m, index);
        TokenTable t;
        SplitLessonText(t, text);
        Counts got{int(parts.size()), int(t.size()), 0, 0};
        for (qsizetype i = 0; i < t.size(); ++i) {
            got.withReading += !t.readings[i].isEmpty();
            got.empty += t.chars[i].isEmpty();
        }
        const Counts *table = m == Lessons::Menu::Base ? kBase : m == Lessons::Menu::Doc ? kDoc : kClassDoc;
        Counts want = table[index - 1];
        for (const Departure &d : kDepartures) {
            if (d.menu == m && d.index == index) {
                qInfo("%s %d keeps its attested text: %s (catalogue %d/%d/%d/%d)", menuName(m), index,
                      d.reason, want.parts, want.tokens, want.withReading, want.empty);
                want = d.actual;
            }
        }
        QCOMPARE(got.parts, want.parts);
        QCOMPARE(got.tokens, want.tokens);
        QCOMPARE(got.withReading, want.withReading);
        QCOMPARE(got.empty, want.empty);
    }

    // Every token is a character with a reading in the exact syntax (letters
    // in order, at most one tone mark last, first tone unmarked), a listed
    // punctuation mark, or empty; every character is in code page 950; every
    // reading is one the Taiwan tables list for its character.
    void readings_data() { addItemRows(); }
    void readings()
    {
        QFETCH(int, menu);
        QFETCH(int, index);
        QVERIFY2(m_tablesLoaded, qPrintable(m_tablesError));
        static const QRegularExpression syntax(QStringLiteral(
            "^(?=[ㄅ-ㄩ])[ㄅ-ㄙ]?[ㄧㄨㄩ]?[ㄚ-ㄦ]?[ˊˇˋ˙]?$"));
        QString text = textOf(Lessons::Menu(menu), index);
        TokenTable t;
        SplitLessonText(t, text);
        QStringList problems;
        for (qsizetype i = 0; i < t.size(); ++i) {
            const QString &c = t.chars[i];
            const QString &r = t.readings[i];
            const QString token = c + r;
            if (c.isEmpty())
                continue;
            if (r.isEmpty()) {
                if (!kPunctuation.contains(c))
                    problems << QStringLiteral("%1: a character without its reading").arg(token);
                continue;
            }
            if (kPunctuation.contains(c))
                problems << QStringLiteral("%1: punctuation with a reading").arg(token);
            if (!syntax.match(r).hasMatch())
                problems << QStringLiteral("%1: not a reading").arg(token);
            if (Big5::encode(c).contains('?'))
                problems << QStringLiteral("%1: not in code page 950").arg(token);
            if (!m_tables.readings(c).contains(r) && !kReadingsOutsideTables.contains(token))
                problems << QStringLiteral("%1: not a Taiwan reading of %2").arg(token, c);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

    // The heteronym review gives, for each character read more than one way,
    // the reading chosen and the clauses where it stands: the texts read it so
    // there (長 is ㄔㄤˊ in 人生長恨, though ㄓㄤˇ is a reading of 長 too).
    void heteronymsReadAsReviewed()
    {
        QFile f(QStringLiteral(QUILLORY_SOURCE_DIR "/assets/texts/REVIEW.md"));
        QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
        QList<QPair<QString, QStringList>> texts; // the characters with a reading, and the readings
        for (auto [m, n] : {std::pair{Lessons::Menu::Base, 18}, {Lessons::Menu::Doc, 18}, {Lessons::Menu::ClassDoc, 10}}) {
            for (int i = 1; i <= n; ++i) {
                QString text = textOf(m, i), chars;
                QStringList readings;
                TokenTable t;
                SplitLessonText(t, text);
                for (qsizetype k = 0; k < t.size(); ++k) {
                    if (!t.readings[k].isEmpty())
                        chars += t.chars[k], readings << t.readings[k];
                }
                texts.append({chars, readings});
            }
        }
        static const QRegularExpression quoted(QStringLiteral("「([^」]+)」")), bold(QStringLiteral("\\*\\*(.+?)\\*\\*")),
            han(QStringLiteral("[\\x{3400}-\\x{9FFF}]+"));
        QHash<QPair<QString, QString>, QSet<QString>> chosen; // (clause, character) -> readings
        QStringList header;
        for (const QString &line : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            QStringList cells = line.split(QLatin1Char('|'));
            if (!line.startsWith(QLatin1Char('|')) || cells.size() < 4) {
                header.clear();
                continue;
            }
            cells = cells.mid(1, cells.size() - 2);
            for (QString &c : cells)
                c = c.trimmed();
            if (header.isEmpty()) {
                header = cells;
                continue;
            }
            if ((header[0] != u"Char" && header[0] != u"字") || cells[0].size() != 1)
                continue;
            const QString ch = cells[0];
            QList<QPair<QString, QString>> choices; // reading, where
            if (const int at = header.indexOf(QRegularExpression(QStringLiteral("Reading chosen.*"))); at >= 0) {
                for (const QString &part : cells[at].split(QStringLiteral("<br>")))
                    choices.append({bold.match(part).captured(1), part});
            } else {
                choices.append({cells[header.indexOf(QStringLiteral("Reading"))],
                                cells[header.indexOf(QRegularExpression(QStringLiteral("Where.*")))]});
            }
            for (const auto &[reading, where] : choices) {
                // Quoted clauses 「…」, or else each run of characters that holds ch.
                QStringList clauses;
                for (const auto &m : quoted.globalMatch(where))
                    clauses << m.captured(1);
                for (const auto &m : han.globalMatch(clauses.isEmpty() ? where : QString())) {
                    if (m.captured().contains(ch))
                        clauses << m.captured();
                }
                for (const QString &c : clauses)
                    chosen[{c, ch}] << reading;
            }
        }
        QVERIFY(chosen.size() > 1000);
        QStringList problems;
        for (auto it = chosen.cbegin(); it != chosen.cend(); ++it) {
            const auto &[clause, ch] = it.key();
            bool found = false;
            for (const auto &[chars, readings] : texts) {
                for (qsizetype at = chars.indexOf(clause); at >= 0; at = chars.indexOf(clause, at + 1)) {
                    found = true;
                    for (qsizetype i = at; i < at + clause.size(); ++i) {
                        if (chars[i] == ch[0] && !it.value().contains(readings[i]))
                            problems << QStringLiteral("%1%2 in %3, reviewed as %4")
                                            .arg(ch, readings[i], clause, it.value().values().join(u'/'));
                    }
                }
            }
            if (!found)
                problems << QStringLiteral("no text has the clause %1 of %2").arg(clause, ch);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
    }

    // The sample practice files shipped with the program read cleanly and
    // teach Taiwan readings too.
    void examples()
    {
        QVERIFY2(m_tablesLoaded, qPrintable(m_tablesError));
        const QDir dir(QStringLiteral(QUILLORY_SOURCE_DIR "/examples"));
        const QStringList files = dir.entryList({QStringLiteral("*.txt")}, QDir::Files);
        QVERIFY(files.size() >= 2);
        for (const QString &name : files) {
            const PracticeFileResult r = ReadPracticeFile(dir.filePath(name));
            QCOMPARE(r.status, PracticeFileResult::Status::Ok);
            QVERIFY(!r.table.isEmpty());
            for (qsizetype i = 0; i < r.table.size(); ++i) {
                const QString &c = r.table.chars[i];
                const QString &rd = r.table.readings[i];
                if (rd.isEmpty() || Big5::encode(c).size() == 1)
                    continue;
                QVERIFY2(m_tables.readings(c).contains(rd), qPrintable(name + QLatin1Char(' ') + c + rd));
            }
        }
    }

    void tablesKnowTheirCharacters()
    {
        // The check can fail: the tables hold what they should and not more.
        QVERIFY2(m_tablesLoaded, qPrintable(m_tablesError));
        QVERIFY(m_tables.characterCount() > 13000);
        QCOMPARE(m_tables.readings(QStringLiteral("麻")), QSet<QString>{QStringLiteral("ㄇㄚˊ")});
        QVERIFY(m_tables.readings(QStringLiteral("樂")).contains(QStringLiteral("ㄩㄝˋ")));
        QVERIFY(!m_tables.readings(QStringLiteral("中")).contains(QStringLiteral("ㄓㄨㄥˊ")));
        QCOMPARE(PhoneText(1544), QStringLiteral("ㄇㄚ"));
        QCOMPARE(PhoneText(1545), QStringLiteral("ㄇㄚ˙"));
        QCOMPARE(PhoneText(1546), QStringLiteral("ㄇㄚˊ"));
    }
};

QTEST_APPLESS_MAIN(TestLessons)
#include "tst_lessons.moc"
