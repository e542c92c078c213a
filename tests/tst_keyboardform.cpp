#include <QtTest>

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "FormTestUtil.h"
#include "app/CapsLock.h"
#include "keyboard/KeyboardView.h"
#include "practice/TextWindow.h"

// The keyboard as the main window drives it: the layout options with the
// rest positions, the Shift hint, the hands demonstration and the
// show/hide-keyboard button.
class TestKeyboardForm : public QObject {
    Q_OBJECT

    qint64 now = 0;

    void useFakeClock(Form1 &f)
    {
        now = 1'000'000;
        f.handClock = [this] { return now; };
    }

    // Plays the demonstration tick by tick, 16 ms apart.
    void ticks(Form1 &f, int n)
    {
        for (int i = 0; i < n; ++i) {
            now += 16;
            f.tmrHand_Timer();
        }
    }

private slots:
    void cleanup() { CapsLock::setOverride(std::nullopt); }

    // A moved key sinks from and returns to its new place.
    void pressedLookAfterLayoutChange_data()
    {
        QTest::addColumn<QList<int>>("options");
        QTest::addColumn<int>("key");
        QTest::addColumn<QPoint>("rest");
        QTest::newRow("\\ 鍵在上: Backspace") << QList<int>{1} << 8 << QPoint(680, 0);
        QTest::newRow("\\ 鍵在下: backslash") << QList<int>{2} << 92 << QPoint(684, 144);
        QTest::newRow("\\ 鍵在下: right Shift") << QList<int>{2} << 3 << QPoint(596, 144);
        QTest::newRow("back to 小Enter鍵: Backspace") << QList<int>{1, 0} << 8 << QPoint(632, 0);
    }
    void pressedLookAfterLayoutChange()
    {
        QFETCH(QList<int>, options);
        QFETCH(int, key);
        QFETCH(QPoint, rest);
        const auto k = static_cast<KeyNumber>(key);
        Form1 f;
        for (int o : options)
            f.optKey[o]->click();
        QVERIFY(f.optKey[options.last()]->isChecked());
        QCOMPARE(QPoint(f.rest.keyLeft[k], f.rest.keyTop[k]), rest);

        // Pressed, as the keystroke handling does it from the rest position.
        f.picKey->moveKeyTop(k, f.rest.keyLeft[k] + 1, f.rest.keyTop[k] + 1);
        KeyboardShot shot(f.picKey);
        QVERIFY(shot.is(rest.x(), rest.y() + 20, Palette::WindowGrey));
        QVERIFY(shot.is(rest.x() + 1, rest.y() + 20, Palette::Black));
        QVERIFY(shot.is(rest.x() + 20, rest.y() + 1, Palette::Black));

        f.picKey->moveKeyTop(k, f.rest.keyLeft[k], f.rest.keyTop[k]);
        shot = KeyboardShot(f.picKey);
        QVERIFY(shot.is(rest.x(), rest.y() + 20, Palette::Black));
        QVERIFY(shot.is(rest.x() + 20, rest.y(), Palette::Black));
    }

    void bigEnterTakesTheEnterFill()
    {
        Form1 f;
        f.picKey->setFill(13, Palette::Red);
        f.optKey_Click(2);
        QVERIFY(KeyboardShot(f.picKey).is(700, 95, Palette::Red));
        f.picKey->setFill(13, Palette::EnterShift);
        f.optKey_Click(1);
        QVERIFY(KeyboardShot(f.picKey).is(700, 95, Palette::EnterShift));
        f.optKey_Click(0); // no big Enter in the small-Enter layout
        QVERIFY(KeyboardShot(f.picKey).is(700, 95, Palette::WindowGrey));
    }

    // The Shift key to use, lit through a run as the learner types it, read
    // from the screen: the right one for "A" from the first position on, none
    // for "a" but the right one while Caps Lock is on, the left one for "?"
    // (and still at the Zhuyin position after it), none for the first-tone
    // space, the right one for "!". The run ends on "!": no Shift stays lit,
    // and Caps Lock pressed after the run lights none.
    void shiftHintThroughARun()
    {
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        TokenTable t = tableOf({{u"A", u"A"}, {u"a", u"a"}, {u"?", u"?"}, {u"中", u"ㄓㄨㄥ"}, {u"!", u"!"}});
        QVERIFY(f.LoadPracticeText(t));
        auto lit = [&](int side) {
            const KeyboardShot shot(f.picKey, true);
            return shot.shareOf(80, 174, 3, side == 2 ? Palette::Red : Palette::EnterShift) > 0.9
                   && shot.shareOf(700, 174, 3, side == 3 ? Palette::Red : Palette::EnterShift) > 0.9;
        };
        const bool capsLock = f.IsCapsLockOn();
        if (capsLock)
            h.key(Qt::Key_CapsLock);
        QVERIFY(!f.IsCapsLockOn());
        f.cmdStart->click();
        QVERIFY(lit(3));
        h.type(QStringLiteral("A"));
        QVERIFY(lit(0));
        h.key(Qt::Key_CapsLock);
        QVERIFY(lit(3));
        h.key(Qt::Key_CapsLock);
        QVERIFY(lit(0));
        h.type(QStringLiteral("a"));
        QVERIFY(lit(2));
        // The next key's thick red border, on "/".
        QVERIFY(KeyboardShot(f.picKey, true).is(f.rest.keyLeft[47] + 2, f.rest.keyTop[47] + 20, Palette::Red));
        h.type(QStringLiteral("?"));
        QVERIFY(lit(2));
        h.type(QStringLiteral("5j/"));
        QVERIFY(lit(0));
        h.type(QStringLiteral(" "));
        QVERIFY(lit(3));
        h.type(QStringLiteral("!"));
        QVERIFY(h.waitForMessage());
        QVERIFY(lit(0));
        h.key(Qt::Key_CapsLock);
        QVERIFY(lit(0));
        h.key(Qt::Key_CapsLock);
        if (capsLock)
            h.key(Qt::Key_CapsLock);
    }

    // The hands arrive with the 28th frame, with the captions; nothing moves
    // afterwards; the captions go once more than three seconds have passed.
    void handsArriveInTwentyEightFrames()
    {
        Form1 f;
        useFakeClock(f);
        QCOMPARE(f.tmrHand->interval(), HandDemo::kFrameMs);
        const KeyboardShot before(f.picKey);
        f.mnuPos[1]->trigger();
        QVERIFY(f.tmrHand->isActive());
        f.tmrHand->stop(); // the test plays the frames itself

        ticks(f, 11); // 390 … 290: still below the picture
        QVERIFY(KeyboardShot(f.picKey) == before);
        ticks(f, 16);
        const KeyboardShot frame27(f.picKey);
        QVERIFY(!f.picKey->homeCaptionsVisible());
        QVERIFY(frame27.at(104, 140) != before.at(104, 140)); // a hand is over row 3
        ticks(f, 1);
        const KeyboardShot frame28(f.picKey);
        QVERIFY(f.picKey->homeCaptionsVisible());
        QVERIFY(frame28.is(241, 66, Palette::HomeCaption) && frame28.is(406, 96, Palette::HomeCaption));
        QVERIFY(!(frame28 == frame27));
        ticks(f, 5);
        QVERIFY(KeyboardShot(f.picKey) == frame28);

        now = 1'000'000 + 3000;
        f.tmrHand_Timer();
        QVERIFY(f.picKey->homeCaptionsVisible());
        now += 1;
        f.tmrHand_Timer();
        QVERIFY(!f.picKey->homeCaptionsVisible());
        const KeyboardShot later(f.picKey);
        QCOMPARE(later.at(241, 66), before.at(241, 66));
        QVERIFY(looksLikeSkin(later.at(104, 130))); // the hands stay
    }

    // Whatever stops the demonstration, the keyboard on the screen is as it
    // was before.
    void stopLeavesTheKeyboardClean_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<int>("frames");
        QTest::newRow("指法圖 again, hands arrived") << "menu" << 30;
        QTest::newRow("指法圖 again, halfway") << "menu" << 20;
        QTest::newRow("click on the keyboard") << "click" << 30;
        QTest::newRow("keyboard hidden") << "hide" << 30;
        QTest::newRow("typed key") << "key" << 25;
        QTest::newRow("Start") << "start" << 25;
        QTest::newRow("Esc menu item") << "esc" << 25;
    }
    void stopLeavesTheKeyboardClean()
    {
        QFETCH(QString, trigger);
        QFETCH(int, frames);
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        useFakeClock(f);
        const KeyboardShot before(f.picKey, true);
        f.mnuPos[1]->trigger();
        f.tmrHand->stop();
        ticks(f, frames);
        f.tmrHand->start();
        QVERIFY(!(KeyboardShot(f.picKey, true) == before));

        if (trigger == QLatin1String("menu"))
            f.mnuPos[1]->trigger();
        else if (trigger == QLatin1String("click"))
            QTest::mouseClick(f.picKey, Qt::LeftButton, {}, QPoint(400, 60));
        else if (trigger == QLatin1String("hide"))
            f.cmdSandH->click();
        else if (trigger == QLatin1String("key"))
            h.key('a');
        else if (trigger == QLatin1String("start"))
            f.cmdStart->click();
        else
            f.mnuEsc->trigger();

        QVERIFY(!f.tmrHand->isActive());
        QVERIFY(!f.picKey->homeCaptionsVisible());
        if (trigger == QLatin1String("hide")) {
            QVERIFY(f.picKey->isHidden());
            f.cmdSandH->click();
            QVERIFY(!f.tmrHand->isActive()); // showing it does not start them again
        }
        QVERIFY(KeyboardShot(f.picKey, true) == before);
    }

    // Hiding the keyboard gives its room to the text window and leaves the
    // text where the learner scrolled it, and so does showing it again;
    // during a run the current position comes back into view and the scroll
    // bar takes the focus.
    void showAndHideKeyboard()
    {
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.mnuClassDoc_Click(3);
        QScrollBar *bar = f.picWindow->VScroll1;
        bar->setValue(300);
        f.cmdSandH->click();
        QVERIFY(f.picKey->isHidden());
        QCOMPARE(f.cmdSandH->text(), QStringLiteral("顯示鍵盤"));
        QCOMPARE(f.picWindow->height(), TextWindow::kTallHeight);
        QVERIFY(f.picWindow->geometry().bottom() < f.centralWidget()->height());
        QCOMPARE(bar->maximum(), f.textLayout.sheetHeight - TextWindow::kTallHeight);
        QCOMPARE(bar->value(), 300);
        f.cmdSandH->click();
        QVERIFY(!f.picKey->isHidden());
        QCOMPARE(f.cmdSandH->text(), QStringLiteral("隱藏鍵盤"));
        QCOMPARE(f.picWindow->height(), TextWindow::kHeight);
        QCOMPARE(bar->value(), 300);

        f.cmdStart->click();
        f.cmdSandH->click();
        bar->setValue(300);
        f.cmdSandH->click();
        const int top = f.picWindow->sheetPos().y() + f.textLayout.positions[0].top;
        QVERIFY(top >= 0 && top + 56 <= TextWindow::kHeight);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(bar));
    }
};

QTEST_MAIN(TestKeyboardForm)
#include "tst_keyboardform.moc"
