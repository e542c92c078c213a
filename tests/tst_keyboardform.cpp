#include <QtTest>

#include <QAction>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "app/CapsLock.h"
#include "app/Form1.h"
#include "keyboard/KeyboardView.h"
#include "practice/TextWindow.h"
#include "KeyboardShot.h"

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
    }

    // The Shift key to use, for the character expected in a run.
    void shiftHint_data()
    {
        QTest::addColumn<QChar>("expected");
        QTest::addColumn<bool>("capsLock");
        QTest::addColumn<int>("lit"); // 0 none, 2 left, 3 right
        QTest::newRow("A, Caps Lock off") << QChar('A') << false << 3;
        QTest::newRow("A, Caps Lock on") << QChar('A') << true << 0;
        QTest::newRow("double quote") << QChar('"') << false << 2;
        QTest::newRow("space (first tone)") << QChar(' ') << false << 0;
    }
    void shiftHint()
    {
        QFETCH(QChar, expected);
        QFETCH(bool, capsLock);
        QFETCH(int, lit);
        CapsLock::setOverride(capsLock);
        Form1 f;
        f.charMode = true;
        f.expectedKey = static_cast<qint16>(expected.unicode());
        f.Timer1->start();
        f.ShowShiftHint();
        QCOMPARE(f.picKey->fillColor(2), lit == 2 ? Palette::Red : Palette::EnterShift);
        QCOMPARE(f.picKey->fillColor(3), lit == 3 ? Palette::Red : Palette::EnterShift);
        const KeyboardShot shot(f.picKey);
        QVERIFY(shot.shareOf(30, 174, 3, lit == 2 ? Palette::Red : Palette::EnterShift) > 0.9);
        QVERIFY(shot.shareOf(690, 174, 3, lit == 3 ? Palette::Red : Palette::EnterShift) > 0.9);
    }

    // a, ?, a with Caps Lock off, as the judging loop calls the hint; then
    // Caps Lock pressed twice while "a" is expected.
    void shiftHintThroughARun()
    {
        CapsLock::setOverride(false);
        Form1 f;
        f.charMode = true;
        f.Timer1->start();
        auto position = [&](char c) {
            f.expectedKey = c;
            f.ShowShiftHint();
        };
        position('a');
        QCOMPARE(f.picKey->fillColor(2), Palette::EnterShift);
        QCOMPARE(f.picKey->fillColor(3), Palette::EnterShift);
        position('?');
        QCOMPARE(f.picKey->fillColor(2), Palette::Red);
        f.ShowShiftHint(); // "?" accepted: the hint stays until the next position
        QCOMPARE(f.picKey->fillColor(2), Palette::Red);
        position('a');
        QCOMPARE(f.picKey->fillColor(2), Palette::EnterShift);
        QCOMPARE(f.picKey->fillColor(3), Palette::EnterShift);

        CapsLock::setOverride(true);
        f.ShowShiftHint();
        QCOMPARE(f.picKey->fillColor(3), Palette::Red);
        CapsLock::setOverride(false);
        f.ShowShiftHint();
        QCOMPARE(f.picKey->fillColor(3), Palette::EnterShift);

        // Outside a run the hint is left alone.
        position('?');
        f.Timer1->stop();
        f.expectedKey = 'A';
        f.ShowShiftHint();
        QCOMPARE(f.picKey->fillColor(2), Palette::Red);
        QCOMPARE(f.picKey->fillColor(3), Palette::EnterShift);
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
        QVERIFY(frame28.is(241, 66, Palette::HomeCaption));
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

    // Whatever stops the demonstration, the keyboard is as it was before.
    void stopLeavesTheKeyboardClean_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<int>("frames");
        QTest::newRow("指法圖 again, hands arrived") << "menu" << 30;
        QTest::newRow("指法圖 again, halfway") << "menu" << 20;
        QTest::newRow("click on the keyboard") << "click" << 30;
        QTest::newRow("keyboard hidden") << "hide" << 30;
        QTest::newRow("typed key, Start or Esc") << "stop" << 25;
    }
    void stopLeavesTheKeyboardClean()
    {
        QFETCH(QString, trigger);
        QFETCH(int, frames);
        Form1 f;
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        useFakeClock(f);
        const KeyboardShot before(f.picKey);
        f.mnuPos_Click(1);
        f.tmrHand->stop();
        ticks(f, frames);
        f.tmrHand->start();
        QVERIFY(!(KeyboardShot(f.picKey) == before));

        if (trigger == QLatin1String("menu"))
            f.mnuPos[1]->trigger();
        else if (trigger == QLatin1String("click"))
            QTest::mouseClick(f.picKey, Qt::LeftButton, {}, QPoint(400, 60));
        else if (trigger == QLatin1String("hide"))
            f.cmdSandH->click();
        else
            f.StopHandDemo();

        QVERIFY(!f.tmrHand->isActive());
        QVERIFY(!f.picKey->homeCaptionsVisible());
        if (trigger == QLatin1String("hide")) {
            QVERIFY(f.picKey->isHidden());
            f.cmdSandH->click();
            QVERIFY(!f.tmrHand->isActive()); // showing it does not start them again
        }
        QVERIFY(KeyboardShot(f.picKey) == before);
    }

    void showAndHideKeyboard()
    {
        Form1 f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.cmdSandH->click();
        QVERIFY(f.picKey->isHidden());
        QCOMPARE(f.cmdSandH->text(), QStringLiteral("顯示鍵盤"));
        QCOMPARE(f.picWindow->height(), TextWindow::kTallHeight);
        QVERIFY(f.picWindow->geometry().bottom() < f.centralWidget()->height());

        f.curPos = 3; // a position is current: the scroll bar takes the focus
        f.cmdSandH->click();
        QVERIFY(!f.picKey->isHidden());
        QCOMPARE(f.cmdSandH->text(), QStringLiteral("隱藏鍵盤"));
        QCOMPARE(f.picWindow->height(), TextWindow::kHeight);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(f.picWindow->VScroll1));
    }
};

QTEST_MAIN(TestKeyboardForm)
#include "tst_keyboardform.moc"
