#include <QtTest>

#include "annotate/ChineseConverter.h"
#include "article/ArticleDocument.h"
#include "article/ArticleSource.h"
#include "article/ZhuyinEntry.h"
#include "practice/Big5.h"

using annotate::Item;

namespace {

Item han(const QString &ch, const QString &reading, QStringList candidates, bool uncertain)
{
    Item i;
    i.kind = Item::Kind::Han;
    i.text = ch;
    i.reading = reading;
    i.candidates = std::move(candidates);
    i.uncertain = uncertain;
    i.phraseLength = 1;
    return i;
}

Item other(Item::Kind kind, const QString &ch)
{
    Item i;
    i.kind = kind;
    i.text = ch;
    if (kind == Item::Kind::Typed)
        i.reading = ch;
    return i;
}

// 行。 / A好 in two paragraphs; 行 is uncertain.
annotate::Annotation twoParagraphs(const QString &last = QStringLiteral("好"))
{
    annotate::Annotation a;
    annotate::Line one;
    one.sourceLine = 1;
    one.items = {han(QStringLiteral("行"), QStringLiteral("ㄒㄧㄥˊ"), {QStringLiteral("ㄒㄧㄥˊ"), QStringLiteral("ㄏㄤˊ")}, true),
                 other(Item::Kind::Shown, QStringLiteral("。"))};
    annotate::Line two;
    two.sourceLine = 3;
    two.items = {other(Item::Kind::Typed, QStringLiteral("A")),
                 han(last, QStringLiteral("ㄏㄠˇ"), {QStringLiteral("ㄏㄠˇ")}, false)};
    a.lines = {one, two};
    return a;
}

} // namespace

class TestArticleCore : public QObject {
    Q_OBJECT
private slots:
    void zhuyinFromKeys_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("reading");
        QTest::newRow("keys") << "5j/" << QStringLiteral("ㄓㄨㄥ");
        QTest::newRow("fourth tone") << "vu4" << QStringLiteral("ㄒㄧˋ");
        QTest::newRow("second, third, neutral") << "a86" << QStringLiteral("ㄇㄚˊ");
        QTest::newRow("first tone blank dropped") << "a8 " << QStringLiteral("ㄇㄚ");
        QTest::newRow("punctuation keys") << "m,-" << QStringLiteral("ㄩㄝㄦ");
        QTest::newRow("symbols stay") << QStringLiteral("ㄇㄚ˙") << QStringLiteral("ㄇㄚ˙");
    }
    void zhuyinFromKeys()
    {
        QFETCH(QString, typed);
        QFETCH(QString, reading);
        QCOMPARE(ZhuyinFromKeys(typed), reading);
    }

    void zhuyinSyllable_data()
    {
        QTest::addColumn<QString>("reading");
        QTest::addColumn<bool>("valid");
        QTest::newRow("neutral last") << QStringLiteral("ㄇㄚ˙") << true;
        QTest::newRow("one symbol") << QStringLiteral("ㄦˊ") << true;
        QTest::newRow("tone first") << QStringLiteral("˙ㄇㄚ") << false;
        QTest::newRow("two tones") << QStringLiteral("ㄇㄚˊˇ") << false;
        QTest::newRow("medial alone") << QStringLiteral("ㄧˋ") << true;
        QTest::newRow("four symbols") << QStringLiteral("ㄓㄨㄥㄥ") << false;
        QTest::newRow("two initials") << QStringLiteral("ㄌㄑㄈ") << false;
        QTest::newRow("final before medial") << QStringLiteral("ㄚㄧ") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void zhuyinSyllable()
    {
        QFETCH(QString, reading);
        QFETCH(bool, valid);
        QCOMPARE(IsZhuyinSyllable(reading), valid);
    }

    void undecodableLine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("badLine");
        QTest::newRow("clean") << QStringLiteral("中文\r\n好") << 0;
        QTest::newRow("replacement, CR LF") << QStringLiteral("中\r\n文\r\n\uFFFD") << 3;
        QTest::newRow("NUL, lone CR") << QString(QStringLiteral("a\rb") + QChar(0)) << 2;
    }
    void undecodableLine()
    {
        QFETCH(QString, text);
        QFETCH(int, badLine);
        const ArticleSource s = ArticleFromText(text);
        QCOMPARE(s.status == ArticleSource::Status::Undecodable, badLine > 0);
        QCOMPARE(s.badLine, badLine);
    }

    void simplifiedRecognised_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("simplified");
        QTest::newRow("Simplified") << QStringLiteral("我们的软件在网络上下载。") << true;
        QTest::newRow("Traditional") << QStringLiteral("我們的軟體在網路上下載。") << false;
        QTest::newRow("characters both use") << QStringLiteral("皇后住在公里外，天天看書。") << false;
        QTest::newRow("no Han") << QStringLiteral("hello 123") << false;
    }
    void simplifiedRecognised()
    {
        QFETCH(QString, text);
        QFETCH(bool, simplified);
        QString error;
        QCOMPARE(annotate::ChineseConverter::shared().looksSimplified(text, &error), simplified);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }

    void taiwanTraditional()
    {
        QString error;
        QCOMPARE(annotate::ChineseConverter::shared().toTaiwanTraditional(u"我们的软件和网络", &error),
                 QStringLiteral("我們的軟體和網路"));
    }

    void documentTokens()
    {
        ArticleDocument doc(twoParagraphs(), QStringLiteral("a.txt"), QString());
        QVERIFY(doc.isPasted());
        // 行 。 (break) A 好
        QCOMPARE(doc.tokenCount(), 5);
        QCOMPARE(doc.nextReviewable(-1, 1), 0);
        QCOMPARE(doc.nextReviewable(0, 1), 4); // the mark, the break and A are passed over
        QCOMPARE(doc.nextReviewable(4, -1), 0);
        QCOMPARE(doc.nextReviewable(4, 1), -1);
        QCOMPARE(doc.nextUncertain(0, 1), -1);
        QCOMPARE(doc.uncertainCount(), 1);

        // Positions as laid out: 行 as a first tone with its blank.
        TokenTable laid = doc.tokens();
        laid.readings[0] = QStringLiteral("ㄒㄧㄥ ");
        doc.setLaidOut(laid);
        QCOMPARE(doc.positionCount(0), 4);
        QCOMPARE(doc.positionCount(1), 0);
        QCOMPARE(doc.firstPosition(3), 5); // A follows ㄒ ㄧ ㄥ and the blank
        QCOMPARE(doc.positionCount(3), 1);
        QCOMPARE(doc.firstPosition(4), 6);
        QCOMPARE(doc.positionCount(4), 3);

    }

    void practiceFileBytes()
    {
        ArticleDocument doc(twoParagraphs(), QStringLiteral("a.txt"), QStringLiteral("/tmp/a.txt"));
        QVERIFY(doc.fitsBig5());
        const QByteArray utf8 = doc.practiceFileBytes(ArticleDocument::Encoding::Utf8);
        QCOMPARE(QString::fromUtf8(utf8), QStringLiteral("行ㄒㄧㄥˊ\r\n。\r\n　\r\nAA\r\n好ㄏㄠˇ\r\n"));
        QCOMPARE(Big5::decode(doc.practiceFileBytes(ArticleDocument::Encoding::Big5)), QString::fromUtf8(utf8));

        // A character code page 950 lacks leaves UTF-8 the only choice.
        ArticleDocument rare(twoParagraphs(QStringLiteral("㐀")), QStringLiteral("b.txt"), QString());
        QVERIFY(!rare.fitsBig5());
    }
};

QTEST_MAIN(TestArticleCore)
#include "tst_articlecore.moc"
