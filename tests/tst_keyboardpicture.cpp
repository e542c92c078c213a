#include <QtTest>

#include "keyboard/HandDemo.h"
#include "keyboard/KeyboardPicture.h"

using namespace KeyboardArt;

namespace {

QRectF unite(const Damage &damage)
{
    QRectF all;
    for (const QRectF &r : damage)
        all |= r;
    return all;
}

bool inside(const QRectF &outer, const QRectF &inner)
{
    return outer.contains(inner.center()) && outer.adjusted(-1, -1, 1, 1).contains(inner);
}

} // namespace

class TestKeyboardPicture : public QObject {
    Q_OBJECT
private slots:
    // Every legend lies on its own key, and is painted after that key's top.
    void legendsLieOnTheirKeys()
    {
        KeyboardPicture pic;
        int count = 0;
        for (int i = 0; i < kLegendCount; ++i) {
            const Item *legend = pic.legend(i);
            QVERIFY2(legend, qPrintable(QStringLiteral("LblTit(%1) missing").arg(i)));
            ++count;
            // Find the key whose top holds the legend's centre.
            const Item *holder = nullptr;
            for (const KeyInfo &k : KeyCatalogue::keys()) {
                if (pic.keyTop(k.key)->rect.contains(legend->rect.center()))
                    holder = pic.keyTop(k.key);
            }
            QVERIFY2(holder, qPrintable(legend->name + " " + legend->text + " is on no key"));
            QVERIFY2(holder->rect.contains(legend->rect.topLeft())
                         && legend->rect.right() <= holder->rect.right() + 1,
                     qPrintable(legend->name + " " + legend->text + " overhangs " + holder->name));
            QVERIFY2(legend > holder, qPrintable(legend->name + " is painted under its key top"));
        }
        QCOMPARE(count, kLegendCount);
    }

    // Each key shows the characters of the key catalogue; the symbols keep
    // their colour classes: ㄧ ㄨ ㄩ blue, tone marks dark blue, others black.
    void legendsMatchTheCatalogue()
    {
        KeyboardPicture pic;
        for (const KeyInfo &k : KeyCatalogue::keys()) {
            QStringList onKey;
            const Item *top = pic.keyTop(k.key);
            for (int i = 0; i < kLegendCount; ++i) {
                const Item *l = pic.legend(i);
                if (top->rect.contains(l->rect.center()))
                    onKey << l->text;
            }
            QStringList expected;
            if (*k.upper)
                expected << QString::fromUtf16(k.upper);
            if (*k.lower)
                expected << QString::fromUtf16(k.lower);
            if (k.zhuyinEntry)
                expected << QString(KeyCatalogue::zhuyinSymbols[k.zhuyinEntry]);
            onKey.sort();
            expected.sort();
            QCOMPARE(onKey, expected);
        }
        for (int i = 0; i < kLegendCount; ++i) {
            const Item *l = pic.legend(i);
            if (KeyOfSymbol(l->text) == 0)
                continue;
            const QChar c = l->text.front();
            const VbColor want = (c == u'ㄧ' || c == u'ㄨ' || c == u'ㄩ') ? Palette::Blue
                                 : c.unicode() < 0x3100                    ? Palette::DarkBlue
                                                                            : Palette::Black;
            QVERIFY2(l->pen == want, qPrintable(l->text));
            QCOMPARE(l->font, (FontSpec{FontRole::Ming, 14.25f, false}));
        }
    }

    // In every layout the key tops stay apart and inside the picture, and
    // each shadow lies 4 pixels right and down from its key top.
    void layoutsKeepKeysInPlace_data()
    {
        QTest::addColumn<int>("option");
        QTest::newRow("小Enter鍵") << 0;
        QTest::newRow("\\ 鍵在上") << 1;
        QTest::newRow("\\ 鍵在下") << 2;
    }
    void layoutsKeepKeysInPlace()
    {
        QFETCH(int, option);
        KeyboardPicture pic;
        pic.applyLayout(option);
        const QRectF picture(0, 0, kWidth, kHeight);
        const auto keys = KeyCatalogue::keys();
        for (const KeyInfo &a : keys) {
            const QRectF top = pic.keyTop(a.key)->rect;
            QVERIFY(picture.contains(top));
            const QRectF shadow = pic.shadow(a.shadow)->rect;
            if (a.key == 110)
                QCOMPARE(shadow, top.adjusted(0, 4, 4, 4));
            else
                QCOMPARE(shadow, top.translated(4, 4));
            for (const KeyInfo &b : keys) {
                if (a.key != b.key)
                    QVERIFY2(!top.intersects(pic.keyTop(b.key)->rect),
                             qPrintable(QStringLiteral("keys %1 and %2 overlap").arg(a.key).arg(b.key)));
            }
        }
        // The backslash key's legends travel with it, and the Backspace
        // arrow stays on the Backspace key.
        const QRectF backslash = pic.keyTop(92)->rect;
        QVERIFY(inside(backslash, pic.legend(kBarLegend)->rect));
        QVERIFY(inside(backslash, pic.legend(kBackslashLegend)->rect));
        const QRectF backspace = pic.keyTop(8)->rect;
        for (Element e : {Element::Line1_0, Element::Line2_0, Element::Line3_0}) {
            const QLineF l = pic.element(e)->line;
            QVERIFY(backspace.contains(l.p1()) && backspace.contains(l.p2()));
        }
        // Only the full-width Backspace key has room for its name.
        QCOMPARE(pic.legend(kBackspaceLegend)->visible, backspace.width() > 41);
        // The big Enter's parts come with the backslash key leaving row 2.
        const bool bigEnter = backslash.top() != 48;
        for (Element e : {Element::shpBigEnt_0, Element::shpBigEnt_1, Element::Line11,
                          Element::Line12, Element::Line13})
            QCOMPARE(pic.element(e)->visible, bigEnter);
        // The Enter key top itself never moves or changes size.
        QCOMPARE(pic.keyTop(13)->rect, QRectF(620, 96, 105, 41));
    }

    // Going back to "小Enter鍵" restores the picture as drawn, apart from
    // the Backspace arrow, which the layout table puts on whole pixels.
    void backToSmallEnterRestoresThePicture()
    {
        const KeyboardPicture drawn;
        for (int via : {1, 2}) {
            KeyboardPicture pic;
            pic.applyLayout(via);
            pic.applyLayout(0);
            QCOMPARE(pic.items().size(), drawn.items().size());
            for (std::size_t i = 0; i < drawn.items().size(); ++i) {
                const Item &a = pic.items()[i];
                const Item &b = drawn.items()[i];
                QCOMPARE(a.name, b.name);
                QVERIFY2(qAbs(a.rect.left() - b.rect.left()) < 1e-9 && a.rect.size() == b.rect.size()
                             && qAbs(a.rect.top() - b.rect.top()) < 1e-9,
                         qPrintable(a.name));
                // Lines may be drawn in either direction.
                const QLineF la = a.line, lb = b.line;
                auto near = [](QPointF p, QPointF q) { return qAbs(p.x() - q.x()) < 1 && p.y() == q.y(); };
                QVERIFY2((near(la.p1(), lb.p1()) && near(la.p2(), lb.p2()))
                             || (near(la.p1(), lb.p2()) && near(la.p2(), lb.p1())),
                         qPrintable(a.name));
                QCOMPARE(a.visible, b.visible);
            }
        }
    }

    void unknownLayoutAppliesNothing()
    {
        KeyboardPicture pic;
        QVERIFY(pic.applyLayout(3).isEmpty());
        QVERIFY(pic.applyLayout(-1).isEmpty());
        QCOMPARE(pic.keyTop(8)->rect, QRectF(632, 0, 89, 41));
        // The same layout twice: the second changes nothing.
        QVERIFY(!pic.applyLayout(2).isEmpty());
        QVERIFY(pic.applyLayout(2).isEmpty());
    }

    // A key-top change damages that key's neighbourhood only, and a change
    // to the value already set damages nothing.
    void damageIsLocal()
    {
        KeyboardPicture pic;
        const QRectF a(84, 96, 41, 41);
        QRectF d = unite(pic.setKeyBorder(65, Palette::Red, 3));
        QVERIFY(a.adjusted(-2, -2, 2, 2).contains(d) && d.contains(a));
        QVERIFY(pic.setKeyBorder(65, Palette::Red, 3).isEmpty());
        d = unite(pic.moveKeyTop(65, 85, 97));
        QVERIFY(a.adjusted(-2, -2, 3, 3).contains(d) && d.contains(a.translated(1, 1)));
        QVERIFY(pic.setKeyFill(3, Palette::EnterShift).isEmpty());
        QVERIFY(pic.moveKeyTop(999, 0, 0).isEmpty());
        // A layout damages the moved keys' corner of the picture, not all of it.
        d = unite(pic.applyLayout(1));
        QVERIFY(d.left() > 590 && d.bottom() < 200);
    }

    void bigEnterTakesTheEnterKeysFill()
    {
        KeyboardPicture pic;
        pic.setKeyFill(13, Palette::Red);
        pic.applyLayout(1);
        QCOMPARE(pic.element(Element::shpBigEnt_0)->fill, Palette::EnterShift);
        pic.matchBigEnterToEnterKey();
        QCOMPARE(pic.element(Element::shpBigEnt_0)->fill, Palette::Red);
    }

    void homeCaptionsShowAndHideTogether()
    {
        KeyboardPicture pic;
        QVERIFY(!pic.homeCaptionsVisible());
        QCOMPARE(pic.setHomeCaptionsVisible(true).size(), 4);
        QVERIFY(pic.homeCaptionsVisible());
        QVERIFY(pic.setHomeCaptionsVisible(true).isEmpty());
        // The pointers lead from the captions down to F and J.
        QVERIFY(pic.keyTop(70)->rect.contains(pic.element(Element::linBaseKey_0)->line.p1()));
        QVERIFY(pic.keyTop(74)->rect.contains(pic.element(Element::linBaseKey_1)->line.p1()));
        pic.setHomeCaptionsVisible(false);
        QVERIFY(!pic.element(Element::lblBaseKey_0)->visible);
        QVERIFY(!pic.element(Element::linBaseKey_1)->visible);
    }

    // --- The hands demonstration -------------------------------------------

    void handsSlideUpInTwentyEightFrames()
    {
        HandDemo demo;
        demo.start(1000, 228, 178);
        QList<int> places;
        int from = HandDemo::kStartY;
        int captionFrames = 0;
        for (int tick = 0; tick < 40; ++tick) {
            const HandDemo::Frame f = demo.tick(1000 + tick * HandDemo::kFrameMs);
            if (!f.draw)
                continue;
            QCOMPARE(int(f.fromY), from);
            from = f.toY;
            places << f.toY;
            if (f.showCaptions) {
                ++captionFrames;
                QCOMPARE(int(f.toY), 120);
            }
        }
        QCOMPARE(places.size(), 28);
        QCOMPARE(places.first(), 390);
        QCOMPARE(places.last(), 120);
        QCOMPARE(captionFrames, 1);
        QCOMPARE(demo.leftHandX, qint16(64));
        QCOMPARE(demo.rightHandX, qint16(372));

        // Starting again begins below the picture.
        demo.start(5000, 228, 178);
        const HandDemo::Frame f = demo.tick(5016);
        QVERIFY(f.draw);
        QCOMPARE(int(f.fromY), 400);
    }

    void captionsGoAfterThreeSeconds_data()
    {
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<bool>("hide");
        QTest::newRow("at the start") << qint64(0) << false;
        QTest::newRow("2.9 s") << qint64(2900) << false;
        QTest::newRow("exactly 3 s") << qint64(3000) << false;
        QTest::newRow("just over 3 s") << qint64(3001) << true;
        QTest::newRow("a minute later") << qint64(61000) << true;
    }
    void captionsGoAfterThreeSeconds()
    {
        QFETCH(qint64, elapsedMs);
        QFETCH(bool, hide);
        HandDemo demo;
        demo.start(123456, 228, 178);
        // Before arrival and after it alike.
        QCOMPARE(demo.tick(123456 + elapsedMs).hideCaptions, hide);
        for (int i = 0; i < 30; ++i)
            demo.tick(123456);
        QCOMPARE(demo.tick(123456 + elapsedMs).hideCaptions, hide);
    }
};

QTEST_APPLESS_MAIN(TestKeyboardPicture)
#include "tst_keyboardpicture.moc"
