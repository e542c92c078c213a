#include <QBackingStore>
#include <QtTest>

#include <cstring>

#include "keyboard/KeyboardView.h"
#include "KeyboardShot.h"

using namespace KeyboardArt;

namespace {

constexpr VbColor kBack = Palette::WindowGrey;

// Records the areas that paint events of a widget cover.
class PaintSpy : public QObject {
public:
    QRegion painted;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(e)->region();
        return false;
    }
};

} // namespace

class TestKeyboardView : public QObject {
    Q_OBJECT
private slots:
    // Every key top is filled with the colour of the finger that strikes it,
    // found by the rules of touch typing rather than read from a table: in
    // each row of characters the columns from "1", "Q", "A" and "Z" go to the
    // little, ring and middle fingers, two columns to each index finger, then
    // the middle and ring fingers, and the rest of the row to the little
    // finger. The space bar is the thumb's; Enter and Shift are light blue,
    // the other named keys dark teal. The legend under the keyboard shows each
    // finger's colour. Each key top has a black border and a shadow below and
    // right, and only the home keys F and J carry the magenta bar.
    void everyKeyInItsFingersColour()
    {
        KeyboardView v;
        const KeyboardShot shot(&v);
        const char *rows[] = {"`1234567890-=\b", "QWERTYUIOP[]\\", "ASDFGHJKL;'", "ZXCVBNM,./"};
        const FingerZone columns[] = {FingerZone::Little, FingerZone::Ring, FingerZone::Middle,
                                      FingerZone::LeftIndex, FingerZone::LeftIndex, FingerZone::RightIndex,
                                      FingerZone::RightIndex, FingerZone::Middle, FingerZone::Ring};
        auto zoneOf = [&](KeyNumber k) {
            for (int r = 0; r < 4; ++r) {
                if (const char *at = std::strchr(rows[r], k); at && k) {
                    const long column = at - rows[r] - (r == 0 ? 1 : 0);
                    return column >= 0 && column < 9 ? columns[column] : FingerZone::Little;
                }
            }
            return k == 32 ? FingerZone::Thumb : (k == 13 || k == 2 || k == 3) ? FingerZone::EnterShift
                                                                             : FingerZone::Function;
        };
        // The legend's squares and bar, left to right.
        const std::pair<QPoint, FingerZone> legend[] = {
            {{126, 250}, FingerZone::Little}, {{178, 250}, FingerZone::Ring}, {{226, 250}, FingerZone::Middle},
            {{282, 250}, FingerZone::LeftIndex}, {{360, 252}, FingerZone::Thumb},
            {{450, 250}, FingerZone::RightIndex}, {{502, 250}, FingerZone::Middle},
            {{554, 250}, FingerZone::Ring}, {{606, 250}, FingerZone::Little}};
        for (const auto &[at, zone] : legend)
            QVERIFY(shot.is(at.x(), at.y(), KeyCatalogue::zoneColor(zone)));
        int keys = 0;
        for (const KeyInfo &key : KeyCatalogue::keys()) {
            const KeyRect r = v.keyTopRect(key.key);
            QHash<QRgb, int> count;
            for (int y = r.top + 2; y < r.top + r.height - 2; ++y)
                for (int x = r.left + 2; x < r.left + r.width - 2; ++x)
                    ++count[shot.at(x, y)];
            QRgb fill = 0;
            for (auto it = count.cbegin(); it != count.cend(); ++it)
                fill = it.value() > count.value(fill) ? it.key() : fill;
            const QString name = QStringLiteral("key %1").arg(key.key);
            QVERIFY2(fill == rgbOf(KeyCatalogue::zoneColor(zoneOf(key.key))), qPrintable(name + " " + describe(fill)));
            QVERIFY2(shot.is(r.left, r.top + 20, Palette::Black) && shot.at(r.left + 1, r.top + 20) == fill,
                     qPrintable(name));
            QVERIFY2(shot.is(r.left + r.width + 1, r.top + 20, Palette::KeyShadow)
                         && shot.is(r.left + 20, r.top + r.height + 1, Palette::KeyShadow), qPrintable(name));
            QCOMPARE(count.value(rgbOf(Palette::HomeBar)) > 0, key.key == 'F' || key.key == 'J');
            ++keys;
        }
        QCOMPARE(keys, 61);
    }

    // The next key: a red border three pixels wide all round, inside the key.
    void nextKeyBorder_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("A") << 65;
        QTest::newRow("/") << 47;
        QTest::newRow("space bar") << 32;
        QTest::newRow("Enter") << 13;
    }
    void nextKeyBorder()
    {
        QFETCH(int, key);
        const auto k = static_cast<KeyNumber>(key);
        KeyboardView v;
        const VbColor fill = v.fillColor(k);
        const KeyRect r = v.keyTopRect(k);
        const int right = r.left + r.width - 1, bottom = r.top + r.height - 1;
        const int midX = r.left + 20, midY = r.top + 20;
        v.setBorder(k, Palette::Red, 3);
        QCOMPARE(v.borderWidth(k), 3);
        KeyboardShot shot(&v);
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(shot.is(r.left + i, midY, Palette::Red), qPrintable(describe(shot.at(r.left + i, midY))));
            QVERIFY(shot.is(right - i, midY, Palette::Red));
            QVERIFY(shot.is(midX, r.top + i, Palette::Red));
            QVERIFY(shot.is(midX, bottom - i, Palette::Red));
        }
        QVERIFY(shot.is(r.left + 3, midY, fill));
        QVERIFY(shot.is(midX, r.top + 3, fill));
        QVERIFY(shot.is(midX, bottom - 3, fill));
        QVERIFY(shot.is(r.left - 1, midY, kBack));

        // Normal again: black, one pixel.
        v.setBorder(k, Palette::Black, 1);
        shot = KeyboardShot(&v);
        QVERIFY(shot.is(r.left, midY, Palette::Black));
        QVERIFY(shot.is(r.left + 1, midY, fill));
        QVERIFY(shot.is(midX, r.top + 1, fill));
    }

    // Pressed: the key top one pixel right and down, over more of its
    // shadow; the states combine with the next-key border.
    void pressedKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("A") << 65;
        QTest::newRow("space bar") << 32;
    }
    void pressedKey()
    {
        QFETCH(int, key);
        const auto k = static_cast<KeyNumber>(key);
        KeyboardView v;
        const KeyRect r = v.keyTopRect(k);
        const KeyboardShot before(&v);
        v.moveKeyTop(k, r.left + 1, r.top + 1);
        KeyboardShot shot(&v);
        QVERIFY(shot.is(r.left, r.top + 20, kBack));
        QVERIFY(shot.is(r.left + 1, r.top + 20, Palette::Black));
        QVERIFY(shot.is(r.left + 20, r.top, kBack));
        QVERIFY(shot.is(r.left + 20, r.top + 1, Palette::Black));
        QVERIFY(shot.is(r.left + r.width, r.top + 20, Palette::Black)); // was the shadow
        QVERIFY(shot.is(r.left + r.width + 1, r.top + 20, Palette::KeyShadow));

        v.setBorder(k, Palette::Red, 3);
        shot = KeyboardShot(&v);
        QVERIFY(shot.is(r.left, r.top + 20, kBack));
        for (int i = 1; i <= 3; ++i)
            QVERIFY(shot.is(r.left + i, r.top + 20, Palette::Red));

        v.setBorder(k, Palette::Black, 1);
        v.moveKeyTop(k, r.left, r.top);
        QVERIFY(KeyboardShot(&v) == before);
    }

    // A keystroke's change repaints that key, not the keyboard.
    void repaintsOnlyWhatChanged()
    {
        KeyboardView v;
        PaintSpy spy;
        v.installEventFilter(&spy);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QTRY_VERIFY(!spy.painted.isEmpty()); // the first, whole paint
        QTest::qWait(50);
        spy.painted = QRegion();
        v.setBorder(65, Palette::Red, 3);
        v.moveKeyTop(65, 85, 97);
        QTRY_VERIFY(!spy.painted.isEmpty());
        const QRect key(84, 96, 41, 41);
        QVERIFY2(key.adjusted(-3, -3, 4, 4).contains(spy.painted.boundingRect()),
                 qPrintable(QStringLiteral("painted %1,%2 %3x%4")
                                .arg(spy.painted.boundingRect().x()).arg(spy.painted.boundingRect().y())
                                .arg(spy.painted.boundingRect().width()).arg(spy.painted.boundingRect().height())));
    }

    // Changes between two paints wait for the next one, overlapping areas
    // drawn together: the picture is the one a new view draws in that state.
    void changesBetweenPaints()
    {
        auto change = [](KeyboardView &v) {
            v.setBorder(65, Palette::Red, 3);
            v.moveKeyTop(65, 85, 97);   // overlaps its own border's area
            v.setBorder(83, Palette::Red, 3); // the neighbour, touching it
            v.setFill(2, Palette::Red);
            v.applyLayout(2);
            v.setBorder(65, Palette::Black, 1);
        };
        KeyboardView shown;
        const KeyboardShot first(&shown);
        change(shown);
        KeyboardView drawnOnce;
        change(drawnOnce);
        QVERIFY(KeyboardShot(&shown) == KeyboardShot(&drawnOnce));
        QVERIFY(!(KeyboardShot(&shown) == first));
    }

    // Every legend and caption leaves ink in its box: pixels twice as near
    // its colour as the box's ground is.
    void legendsAreDrawn()
    {
        KeyboardView v;
        v.setHomeCaptionsVisible(true);
        const KeyboardShot shot(&v);
        int blank = 0;
        for (const Item &it : v.picture().items()) {
            if (it.shape != Shape::Text || !it.visible || it.text.trimmed().isEmpty())
                continue;
            // The ground is the colour most of the box shows; a low line
            // sits below its box.
            const QRect box = it.rect.toRect().adjusted(0, 0, 0, 4);
            QHash<QRgb, int> count;
            for (int y = box.top(); y <= box.bottom(); ++y) {
                for (int x = box.left(); x <= box.right(); ++x)
                    ++count[shot.at(x, y)];
            }
            const QRgb ground = std::max_element(count.keyValueBegin(), count.keyValueEnd(),
                                                 [](auto a, auto b) { return a.second < b.second; })->first;
            const QRgb pen = rgbOf(it.pen);
            auto fromPen = [pen](QRgb c) {
                return std::abs(qRed(c) - qRed(pen)) + std::abs(qGreen(c) - qGreen(pen))
                       + std::abs(qBlue(c) - qBlue(pen));
            };
            bool ink = false;
            for (auto [c, n] : count.asKeyValueRange())
                ink |= fromPen(c) < fromPen(ground) / 2;
            if (!ink) {
                qWarning("no ink: %s %s", qPrintable(it.name), qPrintable(it.text));
                ++blank;
            }
        }
        QCOMPARE(blank, 0);
    }

    // A shown keyboard paints only the keys a keystroke changes, and the
    // same key comes back to the same few looks; through many keystrokes,
    // with paints between them, the screen shows what a keyboard drawn
    // once in the final state shows.
    void keystrokesOnScreen()
    {
        KeyboardView shown;
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        auto paint = [&] { QCoreApplication::sendPostedEvents(); };
        const KeyNumber keys[] = {65, 83, 65, 74, 32, 74, 65, 2, 83, 32};
        for (int round = 0; round < 2; ++round) {
            for (std::size_t i = 0; i < std::size(keys); ++i) {
                const KeyNumber k = keys[i];
                const KeyNumber next = keys[(i + 1) % std::size(keys)];
                const KeyRect r = shown.keyTopRect(k);
                shown.moveKeyTop(k, r.left + 1, r.top + 1);
                shown.setBorder(k, Palette::Black, 1);
                shown.setBorder(next, Palette::Red, 3);
                paint();
                shown.moveKeyTop(k, r.left, r.top);
                paint();
            }
            shown.setFill(2, round ? Palette::EnterShift : Palette::Red);
            paint();
        }
        const QImage screen = static_cast<QImage *>(shown.backingStore()->paintDevice())->convertToFormat(QImage::Format_RGB32);
        KeyboardView once;
        once.setBorder(keys[0], Palette::Red, 3);
        const QImage drawn = KeyboardShot(&once).image;
        QCOMPARE(screen.size(), drawn.size());
        QVERIFY(screen == drawn);
    }

    // Looks prepared while the window is idle change nothing on the screen;
    // the keystroke that then shows them shows what a keyboard drawn once in
    // that state shows.
    void preparedLooks()
    {
        KeyboardView shown;
        shown.show();
        QVERIFY(QTest::qWaitForWindowExposed(&shown));
        auto screen = [&] {
            return static_cast<QImage *>(shown.backingStore()->paintDevice())->convertToFormat(QImage::Format_RGB32);
        };
        const QImage before = screen();
        shown.prepareLooks({{65, Palette::Red, 3, false}, {65, Palette::Black, 1, true}, {74, Palette::Red, 3, false}});
        QTRY_VERIFY(!shown.looksWaiting());
        QCoreApplication::sendPostedEvents();
        QVERIFY(screen() == before);

        const KeyRect r = shown.keyTopRect(65);
        shown.moveKeyTop(65, r.left + 1, r.top + 1);
        shown.setBorder(74, Palette::Red, 3);
        QCoreApplication::sendPostedEvents();
        KeyboardView once;
        once.moveKeyTop(65, r.left + 1, r.top + 1);
        once.setBorder(74, Palette::Red, 3);
        QVERIFY(screen() == KeyboardShot(&once).image);
    }

    // On a high-density screen the picture is drawn at the screen's own
    // resolution: edges fall on whole pixels, nothing is blurred by scaling.
    void crispAtHighDensity()
    {
        KeyboardView v;
        const KeyboardShot shot(&v);
        if (shot.dpr < 2)
            QSKIP("runs with QT_SCALE_FACTOR=2");
        QCOMPARE(shot.image.size(), QSize(745, 281) * qRound(shot.dpr));
        // Edges of a key top and of its shadow, and a border three wide.
        for (const QPoint p : {QPoint(84, 116), QPoint(85, 116), QPoint(83, 116), QPoint(104, 96),
                               QPoint(104, 137), QPoint(104, 140), QPoint(104, 141), QPoint(126, 116)})
            QVERIFY2(shot.crisp(p.x(), p.y()), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        v.setBorder(65, Palette::Red, 3);
        const KeyboardShot red(&v);
        for (int x = 83; x <= 88; ++x)
            QVERIFY(red.crisp(x, 116));
        QVERIFY(red.is(86, 116, Palette::Red) && !red.is(87, 116, Palette::Red));
    }

    // The hands lie over the picture: fingertips on the home row, nothing
    // above it touched, the picture unchanged once they are cleared, even
    // when a key under a hand changed meanwhile.
    void handsOverThePicture()
    {
        KeyboardView v;
        QCOMPARE(v.handSize(), QSize(228, 178));
        const KeyboardShot before(&v);
        v.moveHands(64, 372, 130, 120);
        const KeyboardShot hands(&v);
        for (int key : {65, 83, 68, 70, 74, 75, 76, 59}) {
            const KeyRect r = v.keyTopRect(static_cast<KeyNumber>(key));
            const int x = r.left + r.width / 2;
            QVERIFY2(hands.at(x, 128) != before.at(x, 128) && looksLikeSkin(hands.at(x, 128)),
                     qPrintable(QStringLiteral("no fingertip on key %1: %2").arg(key).arg(describe(hands.at(x, 128)))));
        }
        // Gaps between the fingers show the keys.
        QCOMPARE(hands.at(128, 125), before.at(128, 125));
        QCOMPARE(hands.at(448 - 24, 125), before.at(448 - 24, 125));
        for (int y = 0; y < 120; y += 3) {
            for (int x = 0; x < 745; x += 3)
                QVERIFY(hands.at(x, y) == before.at(x, y));
        }
        // A key under the left hand changes: the hand stays on top.
        v.setBorder(86, Palette::Red, 3);
        const KeyboardShot changed(&v);
        QCOMPARE(changed.at(253, 170), hands.at(253, 170));
        // Moving the hands puts back what was under them.
        v.moveHands(64, 372, 120, 250);
        const KeyboardShot lower(&v);
        v.setBorder(86, Palette::Black, 1);
        const KeyboardShot clean(&v);
        for (int y = 0; y < 250; y += 2) {
            for (int x = 0; x < 745; x += 2)
                QVERIFY(lower.at(x, y) == before.at(x, y) || (y >= 144 && y < 185 && x >= 252 && x < 293));
        }
        QVERIFY(clean.at(253, 170) == before.at(253, 170));
        // The hands move on and go; the picture is the keyboard's again.
        v.setBorder(86, Palette::Red, 3);
        v.moveHands(64, 372, 250, 110);
        v.clearHands();
        v.setBorder(86, Palette::Black, 1);
        QVERIFY(KeyboardShot(&v) == before);
    }
};

QTEST_MAIN(TestKeyboardView)
#include "tst_keyboardview.moc"
