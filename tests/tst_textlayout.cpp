#include <QtTest>

#include "practice/Big5.h"
#include "practice/Lessons.h"
#include "practice/TextLayout.h"

namespace {

TokenTable tokens(std::initializer_list<std::pair<const char16_t *, const char16_t *>> list)
{
    TokenTable t;
    for (auto [c, r] : list)
        t.append(QString::fromUtf16(c), QString::fromUtf16(r));
    return t;
}

TextLayout layOut(TokenTable t)
{
    TextLayout out;
    const LayoutLimit limit = LayOutText(t, LayoutGeometry{}, out);
    if (limit != LayoutLimit::None)
        qFatal("unexpected layout limit");
    return out;
}

QStringList symbols(const TextLayout &l)
{
    QStringList s;
    for (const auto &p : l.positions)
        s << p.symbol;
    return s;
}

} // namespace

class TestTextLayout : public QObject {
    Q_OBJECT
private slots:
    void firstToneSpace_data()
    {
        QTest::addColumn<QString>("character");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QStringList>("positions");
        QTest::newRow("first tone gets the space") << "貓" << "ㄇㄠ" << QStringList{"ㄇ", "ㄠ", " "};
        QTest::newRow("neutral tone, no space") << "囔" << "ㄋㄤ˙" << QStringList{"ㄋ", "ㄤ", "˙"};
        QTest::newRow("second tone") << "忙" << "ㄇㄤˊ" << QStringList{"ㄇ", "ㄤ", "ˊ"};
        QTest::newRow("third tone") << "莽" << "ㄇㄤˇ" << QStringList{"ㄇ", "ㄤ", "ˇ"};
        QTest::newRow("fourth tone") << "耄" << "ㄇㄠˋ" << QStringList{"ㄇ", "ㄠ", "ˋ"};
        QTest::newRow("already ends in a blank") << "貓" << "ㄇㄠ " << QStringList{"ㄇ", "ㄠ", " "};
        QTest::newRow("comma, no position") << "，" << "" << QStringList{};
        QTest::newRow("underscore, no position") << "_" << "" << QStringList{};
    }
    void firstToneSpace()
    {
        QFETCH(QString, character);
        QFETCH(QString, reading);
        QFETCH(QStringList, positions);
        TokenTable t;
        t.append(character, reading);
        TextLayout out;
        QCOMPARE(LayOutText(t, LayoutGeometry{}, out), LayoutLimit::None);
        QCOMPARE(symbols(out), positions);
        // The table itself carries the appended space.
        if (!positions.isEmpty())
            QCOMPARE(t.readings[0], positions.join(QString()));
    }

    // 中ㄓㄨㄥ, 文ㄨㄣˊ and ，: positions 1-4 under 中, 5-7 under 文, the next
    // token at column 9.
    void worked_example()
    {
        const TextLayout l = layOut(tokens({{u"中", u"ㄓㄨㄥ"}, {u"文", u"ㄨㄣˊ"}, {u"，", u""}, {u"字", u"ㄗˋ"}}));
        QCOMPARE(l.positions.size(), std::size_t(4 + 3 + 2));
        const int lefts[] = {4, 22, 40, 58, 76, 94, 112, 166, 184};
        for (int k = 0; k < 9; ++k) {
            QCOMPARE(l.positions[k].left, lefts[k]);
            QCOMPARE(l.positions[k].top, 29);
        }
        QCOMPARE(l.words[0].left, 4);
        QCOMPARE(l.words[1].left, 4 + 18 * 4);
        QCOMPARE(l.words[2].left, 4 + 18 * 7);
        QCOMPARE(l.words[3].left, 4 + 18 * 9);
        QCOMPARE(l.words[0].top, 1);
        QCOMPARE(l.words[0].width, 21);
    }

    void widths_data()
    {
        QTest::addColumn<QString>("character");
        QTest::addColumn<int>("columns");
        QTest::newRow("full-width comma: two columns") << "，" << 2;
        QTest::newRow("underscore: one column") << "_" << 1;
        QTest::newRow("full-width space: two columns") << "\u3000" << 2;
        QTest::newRow("ASCII question mark: one column") << "?" << 1;
    }
    void widths()
    {
        QFETCH(QString, character);
        QFETCH(int, columns);
        TokenTable t;
        t.append(character, QString());
        t.append(QStringLiteral("字"), QStringLiteral("ㄗˋ"));
        const TextLayout l = layOut(t);
        QCOMPARE(l.words[1].left, 4 + 18 * columns);
        QCOMPARE(l.positions[0].left, 4 + 18 * columns);
        QCOMPARE(l.words[0].width, LenMbcs(character) == 1 ? 17 : 21);
    }

    void wrapAtFortyColumns()
    {
        // Ten 4-column tokens fill exactly 40 columns and stay on line 0.
        TokenTable t;
        for (int i = 0; i < 10; ++i)
            t.append(QStringLiteral("忙"), QStringLiteral("ㄇㄤˊ "));
        TextLayout l = layOut(t);
        QCOMPARE(l.words.back().top, 1);
        QCOMPARE(l.positions.back().left, 4 + 18 * 39);
        QCOMPARE(l.lines, 1);
        // One column more starts the next line at column 0.
        t.readings.clear();
        t.chars.clear();
        for (int i = 0; i < 10; ++i)
            t.append(QStringLiteral("忙"), QStringLiteral("ㄇㄤˊ "));
        t.append(QStringLiteral("，"), QString()); // 42 columns: the comma wraps
        t.append(QStringLiteral("中"), QStringLiteral("ㄓㄨㄥ"));
        l = layOut(t);
        QCOMPARE(l.words[10].left, 4);
        QCOMPARE(l.words[10].top, 1 + 84);
        // The first position of the second line: its symbols follow the comma.
        QCOMPARE(l.positions[40].top, 29 + 84);
        QCOMPARE(l.positions[40].top + kEchoOffset, 141);
        QCOMPARE(l.positions[40].left, 4 + 18 * 2);
    }

    // In every built-in text each symbol stands under its character, the rest
    // of its reading to the right on the same line, on every line of the text,
    // and no symbol lies beyond the 40 columns of a line.
    void builtInTextsKeepSymbolsUnderTheirCharacters_data()
    {
        QTest::addColumn<int>("menu");
        QTest::addColumn<int>("index");
        const char *names[] = {"base", "doc", "classdoc"};
        for (auto m : {Lessons::Menu::Base, Lessons::Menu::Doc, Lessons::Menu::ClassDoc}) {
            for (int i = 1; i <= Lessons::count(m); ++i)
                QTest::addRow("%s %d", names[int(m)], i) << int(m) << i;
        }
    }
    void builtInTextsKeepSymbolsUnderTheirCharacters()
    {
        QFETCH(int, menu);
        QFETCH(int, index);
        QString text = Lessons::parts(Lessons::Menu(menu), index).join(QString());
        TokenTable t;
        SplitLessonText(t, text);
        TextLayout l;
        QCOMPARE(LayOutText(t, LayoutGeometry{}, l), LayoutLimit::None);
        std::size_t k = 0;
        for (qsizetype n = 0; n < t.size(); ++n) {
            const WordCell &w = l.words[n];
            for (qsizetype i = 0; i < t.readings[n].size(); ++i, ++k) {
                const PositionCell &p = l.positions[k];
                QVERIFY2(p.left == w.left + 18 * i && p.top == w.top + 28 && p.left <= 4 + 18 * 39,
                         qPrintable(QStringLiteral("%1 of %2%3 at %4,%5, its character at %6,%7")
                                        .arg(p.symbol, t.chars[n], t.readings[n]).arg(p.left).arg(p.top)
                                        .arg(w.left).arg(w.top)));
            }
        }
        QCOMPARE(k, l.positions.size());
        QVERIFY(l.lines > 1); // the text wraps: later lines are checked too
    }

    void tokenWiderThanALine()
    {
        // A 45-symbol reading starts a new line even at column 0 and overruns it;
        // the next token wraps again.
        TokenTable t;
        t.append(QStringLiteral("長"), QString(44, QChar(u'ㄅ')) + QStringLiteral("ˋ"));
        t.append(QStringLiteral("中"), QStringLiteral("ㄓㄨㄥ"));
        const TextLayout l = layOut(t);
        QCOMPARE(l.words[0].top, 1 + 84); // line 0 stays empty
        QCOMPARE(l.positions[0].top, 29 + 84);
        QCOMPARE(l.positions[44].left, 4 + 18 * 44);
        QCOMPARE(l.words[1].top, 1 + 2 * 84);
        QCOMPARE(l.words[1].left, 4);
    }

    void sheetHeight()
    {
        QCOMPARE(layOut(tokens({{u"中", u"ㄓㄨㄥ"}})).sheetHeight, 57 + 56);
        QCOMPARE(layOut(TokenTable{}).sheetHeight, 112);
        QCOMPARE(layOut(tokens({{u"，", u""}})).sheetHeight, 112);
        // Characters without a reading that wrap below the last position stay
        // on the sheet.
        TokenTable t;
        for (int i = 0; i < 10; ++i)
            t.append(QStringLiteral("忙"), QStringLiteral("ㄇㄤˊ "));
        t.append(QStringLiteral("。"), QString());
        const TextLayout l = layOut(t);
        QCOMPARE(l.words.back().top, 85);
        QCOMPARE(l.sheetHeight, 57 + 84 + 56);
    }

    void singleByteCharacterWithReading()
    {
        // A single-byte character takes as many columns as its reading's
        // symbols, so the characters after it stay above their symbols.
        const TextLayout l = layOut(tokens({{u"a", u"abc"}, {u"中", u"ㄓㄨㄥ"}}));
        QCOMPARE(symbols(l), (QStringList{"a", "b", "c", "ㄓ", "ㄨ", "ㄥ", " "}));
        QCOMPARE(l.words[1].left, 4 + 18 * 3);
        QCOMPARE(l.positions[3].left, l.words[1].left);
        QCOMPARE(l.words[0].width, 17);
    }

    void emptyTokens()
    {
        // Two empty tokens (a paragraph mark) take two columns each, no position.
        const TextLayout l = layOut(tokens({{u"中", u"ㄓㄨㄥ"}, {u"", u""}, {u"", u""}, {u"文", u"ㄨㄣˊ"}}));
        QCOMPARE(l.words[3].left, 4 + 18 * (4 + 4));
        QCOMPARE(l.positions[4].left, l.words[3].left);
    }

    void limits()
    {
        TokenTable t;
        t.append(QStringLiteral("長"), QString(kMaxPositions, QChar(u'ㄅ')) + QStringLiteral("ˋ"));
        TextLayout out;
        QCOMPARE(LayOutText(t, LayoutGeometry{}, out), LayoutLimit::TooManyPositions);
        TokenTable ok;
        ok.append(QStringLiteral("長"), QString(kMaxPositions - 1, QChar(u'ㄅ')) + QStringLiteral("ˋ"));
        QCOMPARE(LayOutText(ok, LayoutGeometry{}, out), LayoutLimit::None);
        QCOMPARE(out.positions.size(), std::size_t(kMaxPositions));
    }

    void surrogatePairsStayWhole()
    {
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80");
        TokenTable t;
        t.append(QStringLiteral("中"), QStringLiteral("ㄓ") + emoji + QStringLiteral("ˋ"));
        const TextLayout m = layOut(t);
        QCOMPARE(symbols(m), (QStringList{"ㄓ", emoji, "ˋ"}));
    }
};

QTEST_APPLESS_MAIN(TestTextLayout)
#include "tst_textlayout.moc"
