// The weak-key drill: characters of the built-in texts that need the weak keys.
#include <QtTest>
#include <set>

#include "practice/TextLayout.h"
#include "record/RecordedRun.h"
#include "record/WeakKeyDrill.h"

namespace {

KeyTotal total(KeyNumber key, qint64 right, qint64 wrong, qint32 medianMs = 300)
{
    KeyTotal t;
    t.key = key;
    t.expected = right;
    t.right = right;
    t.wrong = wrong;
    t.errorRate = double(wrong) / double(right + wrong);
    t.medianMs = medianMs;
    return t;
}

// Every character of the built-in texts with each of its readings there.
std::set<std::pair<QString, QString>> builtInPairs()
{
    std::set<std::pair<QString, QString>> pairs;
    for (auto menu : {Lessons::Menu::Base, Lessons::Menu::Doc, Lessons::Menu::ClassDoc}) {
        for (int i = 1; i <= Lessons::count(menu); ++i) {
            QString text = Lessons::parts(menu, i).join(QString());
            TokenTable t;
            SplitLessonText(t, text);
            for (qsizetype k = 0; k < t.size(); ++k)
                pairs.emplace(t.chars[k], t.readings[k]);
        }
    }
    return pairs;
}

bool needs(const QString &reading, KeyNumber key)
{
    if (key == 32) // the first tone: no tone mark
        return !QStringLiteral("ˊˇˋ˙").contains(reading.back());
    for (QChar c : reading)
        if (KeyOfSymbol(QString(c)) == key)
            return true;
    return false;
}

} // namespace

class TestRecordDrill : public QObject {
    Q_OBJECT
private slots:
    void tooFewKeystrokes()
    {
        // 199 judged keystrokes are too few; the 200th makes a drill.
        std::vector<KeyTotal> totals{total(49, 150, 30), total(50, 19, 0)};
        QCOMPARE(MakeWeakKeyDrill(totals).status, WeakKeyDrill::Status::TooFewKeystrokes);
        QCOMPARE(MakeWeakKeyDrill(totals).keystrokes, qint64(199));
        totals[1] = total(50, 20, 0);
        QCOMPARE(MakeWeakKeyDrill(totals).status, WeakKeyDrill::Status::Ok);
    }

    void charactersNeedTheWeakKeys_data()
    {
        QTest::addColumn<std::vector<KeyTotal>>("totals");
        QTest::addColumn<std::vector<KeyNumber>>("weak");
        QTest::addColumn<QString>("caption");
        // ㄓ (53) is the weakest, ㄅ (49) next, ˇ (51) third; ㄇ (65) is sure.
        QTest::newRow("initials and a tone")
            << std::vector<KeyTotal>{total(65, 400, 0), total(49, 100, 20), total(53, 50, 25), total(51, 80, 8),
                                     total(91, 30, 30)} // "[": a practice file's key, not drillable
            << std::vector<KeyNumber>{53, 49, 51} << QStringLiteral("ㄓㄅˇ");
        // Without errors the slowest keys are the weak ones; the first tone's space counts.
        QTest::newRow("slow keys, the space bar")
            << std::vector<KeyTotal>{total(32, 300, 0, 900), total(85, 100, 0, 700), total(49, 100, 0, 200)}
            << std::vector<KeyNumber>{32, 85, 49} << QStringLiteral("ˉㄧㄅ");
    }
    void charactersNeedTheWeakKeys()
    {
        QFETCH(std::vector<KeyTotal>, totals);
        QFETCH(std::vector<KeyNumber>, weak);
        QFETCH(QString, caption);
        const WeakKeyDrill d = MakeWeakKeyDrill(totals);
        QCOMPARE(d.status, WeakKeyDrill::Status::Ok);
        QCOMPARE(d.keys, weak);
        QCOMPARE(d.keysCaption, caption);
        QCOMPARE(d.table.size(), qsizetype(kDrillCharacters));

        const auto pairs = builtInPairs();
        int needWeakest = 0;
        std::set<QString> distinct;
        for (qsizetype i = 0; i < d.table.size(); ++i) {
            const QString &ch = d.table.chars[i], &reading = d.table.readings[i];
            QVERIFY2(pairs.count({ch, reading}), qPrintable(ch + reading));
            QVERIFY2(std::any_of(weak.begin(), weak.end(), [&](KeyNumber k) { return needs(reading, k); }),
                     qPrintable(ch + reading));
            needWeakest += needs(reading, weak[0]);
            distinct.insert(ch);
        }
        QVERIFY(needWeakest >= kDrillCharacters / 2);
        // Every weak key is drilled, the least weak of three in at least 5 characters.
        for (std::size_t r = 0; r < weak.size(); ++r) {
            const auto n = std::count_if(d.table.readings.begin(), d.table.readings.end(),
                                         [&](const QString &reading) { return needs(reading, weak[r]); });
            QVERIFY2(n >= (r == 2 ? 5 : 1), qPrintable(QString::number(weak[r])));
        }
        QVERIFY(distinct.size() >= 20); // not one character over and over

        // The record lists its runs under the drill's name and keys.
        QCOMPARE(TextRef::drill(d.keysCaption, d.table).label(), QStringLiteral("弱鍵練習") + caption);

        // It loads like a lesson.
        TokenTable table = d.table;
        TextLayout layout;
        QCOMPARE(LayOutText(table, LayoutGeometry{}, layout), LayoutLimit::None);
        QVERIFY(layout.positions.size() > std::size_t(kDrillCharacters));
    }
};

QTEST_GUILESS_MAIN(TestRecordDrill)
#include "tst_recorddrill.moc"
