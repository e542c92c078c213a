#include <QtTest>

#include "keyboard/HandDemo.h"
#include "keyboard/KeyboardPicture.h"

using namespace KeyboardArt;

namespace {

bool inside(const QRectF &outer, const QRectF &inner)
{
    return outer.contains(inner.center()) && outer.adjusted(-1, -1, 1, 1).contains(inner);
}

} // namespace

class TestKeyboardPicture : public QObject {
    Q_OBJECT
private slots:
    // Every legend lies on its own key, above its key top, and each key shows
    // the characters of the key catalogue; the symbols keep their colour
    // classes: ㄧ ㄨ ㄩ blue, tone marks dark blue, the others black.
    void legendsMatchTheirKeys()
    {
        KeyboardPicture pic;
        QMap<KeyNumber, QStringList> onKey;
        for (int i = 0; i < kLegendCount; ++i) {
            const Item *l = pic.legend(i);
            QVERIFY(l);
            const KeyInfo *holder = nullptr;
            for (const KeyInfo &k : KeyCatalogue::keys()) {
                if (pic.keyTop(k.key)->rect.contains(l->rect.center()))
                    holder = &k;
            }
            QVERIFY2(holder, qPrintable(l->name + " " + l->text + " is on no key"));
            const Item *top = pic.keyTop(holder->key);
            QVERIFY2(top->rect.contains(l->rect.topLeft()) && l->rect.right() <= top->rect.right() + 1,
                     qPrintable(l->name + " " + l->text + " overhangs " + top->name));
            QVERIFY2(l > top, qPrintable(l->name + " is painted under its key top"));
            onKey[holder->key] << l->text;

            if (KeyOfSymbol(l->text) != 0) {
                const QChar c = l->text.front();
                const VbColor want = (c == u'ㄧ' || c == u'ㄨ' || c == u'ㄩ') ? Palette::Blue
                                     : c.unicode() < 0x3100                    ? Palette::DarkBlue
                                                                                : Palette::Black;
                QVERIFY2(l->pen == want, qPrintable(l->text));
            }
        }
        for (const KeyInfo &k : KeyCatalogue::keys()) {
            QStringList expected;
            for (const char16_t *legend : {k.upper, k.lower}) {
                if (*legend)
                    expected << QString::fromUtf16(legend);
            }
            if (k.zhuyinEntry)
                expected << QString(KeyCatalogue::zhuyinSymbols[k.zhuyinEntry]);
            QStringList shown = onKey.value(k.key);
            shown.sort();
            expected.sort();
            QCOMPARE(shown, expected);
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
};

QTEST_APPLESS_MAIN(TestKeyboardPicture)
#include "tst_keyboardpicture.moc"
