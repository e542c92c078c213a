#include <QtTest>

#include <QTemporaryDir>

#include "annotate/AnnotateCommand.h"
#include "annotate/Annotator.h"
#include "annotate/Corrections.h"
#include "practice/Lessons.h"
#include "practice/PracticeFile.h"

using namespace annotate;

namespace {

// How an annotation compares with a text whose readings were checked.
struct Score {
    qsizetype tokens = 0;        // tokens with a reading
    qsizetype right = 0;
    qsizetype uncertain = 0;     // marked uncertain
    qsizetype wrong = 0;
    qsizetype wrongMarked = 0;   // wrong and marked uncertain
    QStringList mistakes;

    double accuracy() const { return tokens ? 100.0 * right / tokens : 0; }
    double uncertainShare() const { return tokens ? 100.0 * uncertain / tokens : 0; }
    void add(const Score &o)
    {
        tokens += o.tokens, right += o.right, uncertain += o.uncertain;
        wrong += o.wrong, wrongMarked += o.wrongMarked;
        mistakes += o.mistakes;
    }
};

bool isBlankToken(const QString &c)
{
    return c.isEmpty() || c == u" " || c == u"\u3000";
}

// Annotates the characters of a token table (its readings left out; an
// empty token or a full-width space ends a paragraph) and scores each token
// that has a reading.
Score scoreAgainst(Annotator &annotator, const TokenTable &gold)
{
    QString text;
    for (qsizetype i = 0; i < gold.size(); ++i)
        text += isBlankToken(gold.chars[i]) ? QStringLiteral("\n") : gold.chars[i];
    const Annotation a = annotator.annotate(text);

    std::vector<const Item *> items;
    for (const Line &l : a.lines)
        for (const Item &it : l.items)
            if (it.text != u" ")
                items.push_back(&it);
    Score s;
    std::size_t k = 0;
    for (qsizetype i = 0; i < gold.size(); ++i) {
        if (isBlankToken(gold.chars[i]))
            continue;
        if (k >= items.size() || items[k]->text != gold.chars[i]) {
            s.mistakes << QStringLiteral("alignment lost at %1").arg(gold.chars[i]);
            s.tokens = -1;
            return s;
        }
        const Item &it = *items[k++];
        const QString want = gold.readings[i].trimmed();
        if (want.isEmpty())
            continue;
        ++s.tokens;
        s.uncertain += it.uncertain;
        if (it.reading == want) {
            ++s.right;
        } else {
            ++s.wrong;
            s.wrongMarked += it.uncertain;
            s.mistakes << QStringLiteral("%1 %2≠%3%4").arg(it.text, it.reading, want,
                                                           it.uncertain ? QStringLiteral("?") : QString());
        }
    }
    return s;
}

QString report(const char *what, const Score &s)
{
    return QStringLiteral("%1: %2 of %3 tokens read right (%4 %); %5 marked uncertain (%6 %); "
                          "%7 of %8 wrong readings marked")
        .arg(QLatin1String(what))
        .arg(s.right).arg(s.tokens).arg(s.accuracy(), 0, 'f', 2)
        .arg(s.uncertain).arg(s.uncertainShare(), 0, 'f', 2)
        .arg(s.wrongMarked).arg(s.wrong);
}

} // namespace

class TestAnnotate : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void longBuiltInTexts();
    void modernTaiwanProse();

private:
    Annotator m_annotator;
    bool m_haveTables = false;
    QString m_missing;
};

void TestAnnotate::initTestCase()
{
    m_haveTables = m_annotator.load(&m_missing);
}

// The 30 long built-in texts, readings removed: a test set the annotator
// never sees otherwise.
void TestAnnotate::longBuiltInTexts()
{
    if (!m_haveTables)
        QSKIP(qPrintable(QStringLiteral("reading tables not installed: %1").arg(m_missing)));
    Score total;
    auto run = [&](const QString &source) {
        TokenTable table;
        QString text = source;
        SplitLessonText(table, text);
        const Score s = scoreAgainst(m_annotator, table);
        QVERIFY2(s.tokens > 0, qPrintable(s.mistakes.join(u' ')));
        total.add(s);
    };
    for (int i = 17; i <= 18; ++i)
        run(GetBaseText(qint16(i)));
    for (int i = 1; i <= 18; ++i)
        run(GetDocText(qint16(i)));
    for (int i = 1; i <= 10; ++i)
        run(GetClassDocText(qint16(i)));
    qInfo().noquote() << report("long built-in texts", total);
    QCOMPARE_GE(total.accuracy(), 98.3);
    QCOMPARE_LE(total.uncertainShare(), 5.0);
    QCOMPARE_GE(2 * total.wrongMarked, total.wrong);
}

void TestAnnotate::modernTaiwanProse()
{
    if (!m_haveTables)
        QSKIP(qPrintable(QStringLiteral("reading tables not installed: %1").arg(m_missing)));
    QDir dir(QStringLiteral(QUILLORY_SOURCE_DIR "/tests/data/gold"));
    Score total;
    for (const QString &name : dir.entryList({QStringLiteral("*.txt")})) {
        const PracticeFileResult r = ReadPracticeFile(dir.filePath(name));
        QVERIFY(!r.table.isEmpty());
        const Score s = scoreAgainst(m_annotator, r.table);
        QVERIFY2(s.tokens > 0, qPrintable(name + s.mistakes.join(u' ')));
        total.add(s);
    }
    if (qEnvironmentVariableIsSet("QUILLORY_SHOW_MISTAKES"))
        qInfo().noquote() << total.mistakes.join(u'\n');
    qInfo().noquote() << report("modern Taiwan prose", total);
    QCOMPARE_GE(total.tokens, 3000);
    QCOMPARE_GE(total.accuracy(), 99.5);
    QCOMPARE_LE(total.uncertainShare(), 5.0);
    QCOMPARE_GE(2 * total.wrongMarked, total.wrong);
}

QTEST_GUILESS_MAIN(TestAnnotate)
#include "tst_annotate.moc"
