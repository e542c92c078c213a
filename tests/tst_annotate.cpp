#include <QtTest>

#include <QTemporaryDir>

#include "annotate/AnnotateCommand.h"
#include "annotate/Annotator.h"
#include "annotate/Corrections.h"
#include "practice/Big5.h"
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

// A token table as "字ㄗˋ 、 AA": each token's character and reading.
QString joined(const TokenTable &t)
{
    QStringList out;
    for (qsizetype i = 0; i < t.size(); ++i)
        out << t.chars[i] + t.readings[i];
    return out.join(u' ');
}

// Runs the command line with its output and messages in memory.
struct CommandRun {
    int status = 0;
    QString out, err;
};

CommandRun runCommand(const QStringList &args)
{
    CommandRun r;
    std::FILE *out = std::tmpfile(), *err = std::tmpfile();
    r.status = runAnnotateCommand(args, out, err);
    for (auto [f, text] : {std::pair{out, &r.out}, std::pair{err, &r.err}}) {
        std::rewind(f);
        QByteArray bytes;
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
            bytes.append(buf, qsizetype(n));
        *text = QString::fromUtf8(bytes);
        std::fclose(f);
    }
    return r;
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
    void readings_data();
    void readings();
    void practiceFileRoundTrip();
    void changeReading();
    void recognisesPracticeFiles_data();
    void recognisesPracticeFiles();
    void missingTables();
    void correctionList_data();
    void correctionList();
    void compiledInCorrections();
    void commandLine();

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

// What a learner sees typed for a text: phrases in context, the rules for
// 一 and 不, particles, corrections, literary Chinese, and what is not Chinese.
void TestAnnotate::readings_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tokens");
    QTest::newRow("phrase decides") << u"去銀行，行走"_qs << u"去ㄑㄩˋ 銀ㄧㄣˊ 行ㄏㄤˊ ， 行ㄒㄧㄥˊ 走ㄗㄡˇ"_qs;
    QTest::newRow("dictionary tones") << u"一樣不要"_qs << u"一ㄧ 樣ㄧㄤˋ 不ㄅㄨˋ 要ㄧㄠˋ"_qs;
    QTest::newRow("corrected phrase") << u"我們怎麼"_qs << u"我ㄨㄛˇ 們ㄇㄣ˙ 怎ㄗㄣˇ 麼ㄇㄜ˙"_qs;
    QTest::newRow("correction inside a phrase") << u"昨天晚上"_qs << u"昨ㄗㄨㄛˊ 天ㄊㄧㄢ 晚ㄨㄢˇ 上ㄕㄤ˙"_qs;
    QTest::newRow("final particle") << u"好嗎？"_qs << u"好ㄏㄠˇ 嗎ㄇㄚ˙ ？"_qs;
    QTest::newRow("variant form") << u"什麽"_qs << u"什ㄕㄣˊ 麽ㄇㄜ˙"_qs;
    QTest::newRow("verse has no neutral tone")
        << u"床前明月光，疑是地上霜。舉頭望明月，低頭思故鄉。"_qs
        << u"床ㄔㄨㄤˊ 前ㄑㄧㄢˊ 明ㄇㄧㄥˊ 月ㄩㄝˋ 光ㄍㄨㄤ ， 疑ㄧˊ 是ㄕˋ 地ㄉㄧˋ 上ㄕㄤˋ 霜ㄕㄨㄤ 。 "
           u"舉ㄐㄩˇ 頭ㄊㄡˊ 望ㄨㄤˋ 明ㄇㄧㄥˊ 月ㄩㄝˋ ， 低ㄉㄧ 頭ㄊㄡˊ 思ㄙ 故ㄍㄨˋ 鄉ㄒㄧㄤ 。"_qs;
    QTest::newRow("letters and digits typed, marks shown")
        << u"ＡＢ 12，ok!"_qs << u"AA BB   11 22 ， oo kk !"_qs;
    QTest::newRow("blank lines, blanks at the ends")
        << u"  天 \r\n\n\t\n地\r人"_qs << u"天ㄊㄧㄢ 　 地ㄉㄧˋ 　 人ㄖㄣˊ"_qs;
    QTest::newRow("a character no table reads") << u"𪚥字"_qs << u"𪚥 字ㄗˋ"_qs;
}

void TestAnnotate::readings()
{
    if (!m_haveTables)
        QSKIP(qPrintable(QStringLiteral("reading tables not installed: %1").arg(m_missing)));
    QFETCH(QString, text);
    QFETCH(QString, tokens);
    QCOMPARE(joined(toTokenTable(m_annotator.annotate(text))), tokens);
}

// Saved as a practice file and read back, an annotation is the token table
// a run would practise; a character outside code page 950 keeps the blank of
// its first tone.
void TestAnnotate::practiceFileRoundTrip()
{
    if (!m_haveTables)
        QSKIP(qPrintable(QStringLiteral("reading tables not installed: %1").arg(m_missing)));
    QCOMPARE(LenMbcs(u"枀"_qs), 1);
    const Annotation a = m_annotator.annotate(u"中文 OK，\n枀樹。"_qs);
    std::vector<ItemRef> origins;
    const TokenTable table = toTokenTable(a, &origins);
    TokenTable read;
    QCOMPARE(TokensFromLines(toPracticeFileText(a), read), PracticeFileResult::Status::Ok);
    QCOMPARE(joined(read), joined(table));
    QCOMPARE(read.readings, table.readings);
    QCOMPARE(table.readings[table.chars.indexOf(u"枀"_qs)], u"ㄙㄨㄥ "_qs);
    QCOMPARE(qsizetype(origins.size()), table.size());
    const qsizetype pause = table.chars.indexOf(u"\u3000"_qs);
    QVERIFY(!origins[pause].isValid());
    QCOMPARE(a.at(origins[pause + 1]).text, u"枀"_qs);
}

void TestAnnotate::changeReading()
{
    if (!m_haveTables)
        QSKIP(qPrintable(QStringLiteral("reading tables not installed: %1").arg(m_missing)));
    Annotation a = m_annotator.annotate(u"銀行，行。\n銀行"_qs);
    const ItemRef first{0, 1}; // 行 of the first 銀行
    QCOMPARE(a.phraseText(first), u"銀行"_qs);
    QCOMPARE(setReading(a, first, u"ㄒㄧㄥˊ"_qs, ChangeScope::ThisOccurrence).size(), std::size_t(1));
    QCOMPARE(a.lines[1].items[1].reading, u"ㄏㄤˊ"_qs);
    const auto all = setReading(a, first, u"ㄏㄤˋ"_qs, ChangeScope::SamePhrase);
    QCOMPARE(all, (std::vector<ItemRef>{{0, 1}, {1, 1}}));
    QCOMPARE(a.lines[1].items[1].reading, u"ㄏㄤˋ"_qs);
    QVERIFY(a.lines[1].items[1].changed && !a.lines[1].items[1].uncertain);
    QVERIFY(a.lines[1].items[1].candidates.contains(u"ㄏㄤˋ"_qs));
    QCOMPARE(a.lines[0].items[3].reading, u"ㄒㄧㄥˊ"_qs); // 行 alone is another phrase
    QVERIFY(setReading(a, {0, 2}, u"ㄏㄤˊ"_qs, ChangeScope::SamePhrase).empty()); // a mark
}

void TestAnnotate::recognisesPracticeFiles_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("practiceFile");
    QTest::newRow("practice file") << u"中ㄓㄨㄥ\r\n文ㄨㄣˊ\r\n，\r\n\r\nQQ\r\n打ㄉㄚˇ\r\n"_qs << true;
    QTest::newRow("first tone with its blank") << u"媽ㄇㄚ \n"_qs << true;
    QTest::newRow("article") << u"中文\n打字"_qs << false;
    QTest::newRow("one character a line") << u"中\n文\n"_qs << false;
    QTest::newRow("empty") << QString() << false;
}

void TestAnnotate::recognisesPracticeFiles()
{
    QFETCH(QString, text);
    QFETCH(bool, practiceFile);
    QCOMPARE(looksLikePracticeFile(text), practiceFile);
}

// Without the Debian data the message names the package, and Chinese text
// has nothing to type.
void TestAnnotate::missingTables()
{
    QTemporaryDir dir;
    const Annotator::Paths installed = Annotator::Paths::installed();
    for (auto [paths, package] : {std::pair{Annotator::Paths{dir.path(), installed.gcinTable}, "libchewing3-data"},
                                  std::pair{Annotator::Paths{installed.chewingDir, dir.filePath(u"pho.tab2"_qs)},
                                            "gcin-tables"}}) {
        if (package == QLatin1String("gcin-tables") && !m_haveTables)
            continue; // libchewing's data is missing as well
        Annotator annotator(paths);
        QString error;
        const Annotation a = annotator.annotate(u"中文"_qs, &error);
        QVERIFY2(error.contains(QLatin1String(package)), qPrintable(error));
        QVERIFY(!annotator.isLoaded());
        QCOMPARE(a.itemCount(), 2);
        QVERIFY(!a.hasSomethingToType());
    }
}

void TestAnnotate::correctionList_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::newRow("phrase") << u"我們\tㄨㄛˇ ㄇㄣ˙\t簡編本"_qs << true;
    QTest::newRow("reading count") << u"我們\tㄨㄛˇ\t簡編本"_qs << false;
    QTest::newRow("no syllable") << u"我們\tㄨㄛˇ ㄇ\t簡編本"_qs << false;
    QTest::newRow("no source") << u"我們\tㄨㄛˇ ㄇㄣ˙"_qs << false;
    QTest::newRow("substitution") << u"怎\tㄗㄜˇ>ㄗㄣˇ\t簡編本"_qs << true;
    QTest::newRow("substitution of a phrase") << u"怎麼\tㄗㄜˇ>ㄗㄣˇ\t簡編本"_qs << false;
    QTest::newRow("variant") << u"麽\t=麼\t異體字字典"_qs << true;
    QTest::newRow("variant of two") << u"麽\t=麼麼\t異體字字典"_qs << false;
}

void TestAnnotate::correctionList()
{
    QFETCH(QString, line);
    QFETCH(bool, ok);
    Corrections c;
    QString error;
    QCOMPARE(c.parse(u"# comment\n\n"_qs + line, &error), ok);
    QCOMPARE(error.startsWith(u"line 3:"_qs), !ok);
}

// Every entry of the compiled-in list is well formed.
void TestAnnotate::compiledInCorrections()
{
    QFile f(u":/quillory/annotate/corrections.txt"_qs);
    QVERIFY(f.open(QIODevice::ReadOnly));
    Corrections c;
    QString error;
    QVERIFY2(c.parse(QString::fromUtf8(f.readAll()), &error), qPrintable(error));
}

void TestAnnotate::commandLine()
{
    if (!m_haveTables)
        QSKIP(qPrintable(QStringLiteral("reading tables not installed: %1").arg(m_missing)));
    QTemporaryDir dir;
    auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    // Big5 in, UTF-8 practice file out; readings to check listed by line.
    write(u"in.txt"_qs, Big5::encode(u"天氣很好。\r\n他長大了，長得很高。"_qs));
    CommandRun r = runCommand({u"--annotate"_qs, dir.filePath(u"in.txt"_qs)});
    QCOMPARE(r.status, 0);
    const Annotation a = m_annotator.annotate(u"天氣很好。\n他長大了，長得很高。"_qs);
    QCOMPARE(r.out, toPracticeFileText(a));
    QVERIFY(r.out.startsWith(u"天ㄊㄧㄢ\n氣ㄑㄧˋ\n"_qs));
    for (const QString &line : r.err.split(u'\n', Qt::SkipEmptyParts))
        QVERIFY2(line.startsWith(dir.filePath(u"in.txt:2:"_qs)), qPrintable(r.err));
    QCOMPARE(r.err.count(u'\n'), a.uncertainCount());

    r = runCommand({u"--annotate"_qs, dir.filePath(u"in.txt"_qs), dir.filePath(u"out.txt"_qs)});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(ReadPracticeFile(dir.filePath(u"out.txt"_qs)).table.chars, toTokenTable(a).chars);

    // A long text is annotated piece by piece as it would be whole.
    QString longText;
    for (int i = 0; i < 4100; ++i)
        longText += i % 3 ? u"天氣很好。\n"_qs : u"路很長\n\n"_qs;
    write(u"long.txt"_qs, longText.toUtf8());
    r = runCommand({u"--annotate"_qs, dir.filePath(u"long.txt"_qs)});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, toPracticeFileText(m_annotator.annotate(longText)));
    QVERIFY(r.err.contains(dir.filePath(u"long.txt:5465:"_qs)));

    // A practice file is written out as it is.
    write(u"practice.txt"_qs, Big5::encode(u"中ㄓㄨㄥ\r\n，\r\n"_qs));
    r = runCommand({u"--annotate"_qs, dir.filePath(u"practice.txt"_qs)});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, u"中ㄓㄨㄥ\r\n，\r\n"_qs);

    write(u"marks.txt"_qs, "\xE3\x80\x82 ...\n\n");
    for (auto [args, status, reason] :
         {std::tuple{QStringList{u"--annotate"_qs, dir.filePath(u"none.txt"_qs)}, 1, u"找不到"_qs},
          std::tuple{QStringList{u"--annotate"_qs, dir.path()}, 1, u"不是檔案"_qs},
          std::tuple{QStringList{u"--annotate"_qs, dir.filePath(u"marks.txt"_qs)}, 1, u"沒有可以打的字"_qs},
          std::tuple{QStringList{u"--annotate"_qs}, 2, u"quillory --annotate"_qs}}) {
        r = runCommand(args);
        QCOMPARE(r.status, status);
        QVERIFY2(r.err.contains(reason), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestAnnotate)
#include "tst_annotate.moc"
