#include "FormTestUtil.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "app/Shapes.h"
#include "keyboard/KeyboardView.h"
#include "practice/TextWindow.h"

namespace {
const QString kCrLf = QStringLiteral("\r\n");

// Fifty 巴ㄅㄚ: 150 positions (ㄅ, ㄚ and the first-tone space each).
TokenTable hundredFifty()
{
    TokenTable t;
    for (int i = 0; i < 50; ++i)
        t.append(QStringLiteral("巴"), QStringLiteral("ㄅㄚ"));
    return t;
}
} // namespace

class TestRunWindow : public QObject {
    Q_OBJECT
private slots:
    void startWithNothingLoaded()
    {
        FormHarness h;
        h.form.cmdStart->click();
        QCOMPARE(h.messages.size(), 1);
        QCOMPARE(h.messages[0].icon, QMessageBox::Information);
        QCOMPARE(h.messages[0].text, QStringLiteral("請先開啟檔案或打字課程，再按「開始」鍵。"));
        QVERIFY(!h.form.runInProgress());
        QVERIFY(h.form.cmdStart->isEnabled());
        QVERIFY(h.form.mnuB->menuAction()->isEnabled());
        QVERIFY(h.form.lblEsc->isHidden());
    }

    void drillLessonTypedRight()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuBase_Click(1);
        const QString keys = keysForText(h.form);
        QCOMPARE(keys.size(), h.form.positionCount());
        h.form.cmdStart->click();
        QVERIFY(h.form.runInProgress());
        QVERIFY(h.form.Timer1->isActive());
        h.type(keys);
        QVERIFY(h.waitForMessage());
        QCOMPARE(h.messages[0].text, QStringLiteral("恭喜您打完本段文字!!")); // within the first second
        QCOMPARE(h.form.run.rightCount, h.form.positionCount());
        QCOMPARE(h.form.run.wrongCount, 0);
        QCOMPARE(h.form.lblRight->text(), QString::number(h.form.positionCount()));
        QCOMPARE(h.form.Picture1[0]->barWidth(), 4000);
        QVERIFY(!h.form.Timer1->isActive());
        // No key keeps the next-key border; every echo shows the symbol typed there.
        for (const KeyInfo &k : KeyCatalogue::keys())
            QCOMPARE(h.form.picKey->borderWidth(k.key), 1);
        for (const PositionCell &p : h.form.textLayout.positions) {
            QVERIFY(p.echoVisible);
            QCOMPARE(p.echo, p.symbol == QLatin1String(" ") ? QStringLiteral(" ") : p.symbol);
            QCOMPARE(p.echoBack, Palette::Yellow);
        }
    }

    void wrongKeyEchoedAndCounted()
    {
        FormHarness h;
        QVERIFY(h.show());
        TokenTable t = tableOf({{u"巴", u"ㄅㄚ"}});
        QVERIFY(h.form.LoadPracticeText(t));
        h.form.cmdStart->click();
        // Alt with a letter or with the digit expected types nothing.
        h.key('q', Qt::AltModifier);
        h.key('1', Qt::AltModifier);
        QCOMPARE(h.form.run.wrongCount + h.form.run.rightCount, 0);
        h.key('2');
        QCOMPARE(h.form.run.wrongCount, 1);
        QCOMPARE(h.form.lblWrong->text(), QStringLiteral("1"));
        const PositionCell &first = h.form.textLayout.positions[0];
        QCOMPARE(first.echo, QStringLiteral("ㄉ"));
        QCOMPARE(first.echoBack, Palette::LightRed);
        QCOMPARE(h.form.curPos, qint16(1));
        // Backspace is neither right nor wrong; it only changes the echo.
        h.key(Qt::Key_Backspace);
        QCOMPARE(h.form.run.wrongCount, 1);
        QCOMPARE(h.form.run.rightCount, 0);
        QCOMPARE(first.echo, QString());
        // "!" is on the ㄅ key: right in Zhuyin mode.
        h.key('!', Qt::ShiftModifier);
        QCOMPARE(h.form.run.rightCount, 1);
        QCOMPARE(first.echo, QStringLiteral("ㄅ"));
        QCOMPARE(first.echoBack, Palette::Yellow);
        QCOMPARE(h.form.curPos, qint16(2));
    }

    void escapeAsFirstKey()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuBase_Click(2);
        h.form.cmdStart->click();
        h.key(Qt::Key_Escape);
        QVERIFY(h.waitForMessage());
        QCOMPARE(h.messages[0].text, QStringLiteral("您中斷了打字練習!!"));
        QCOMPARE(h.form.run.wrongCount, 0);
        QVERIFY(!h.form.runInProgress());
        // Back to idle with the text loaded; the marked key is normal again.
        QVERIFY(h.form.cmdStart->isEnabled());
        QCOMPARE(h.form.picKey->borderWidth(h.form.run.markedKey()), 1);
        QCOMPARE(h.form.textLayout.positions[0].echoBack, Palette::Yellow);
        QCOMPARE(QApplication::focusWidget(), h.form.cmdStart);
    }

    void interruptionReport_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("20 s: no figures") << 20 << QStringLiteral("您中斷了打字練習!!");
        QTest::newRow("21 s: speed and accuracy")
            << 21 << QStringLiteral("您中斷了打字練習!!") + kCrLf + "您中斷時的速度是每秒0.14個注音字元" + kCrLf
                         + "按鍵的正確率為75.00%";
    }
    void interruptionReport()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuBase_Click(1); // 忙ㄇㄤˊ …
        h.form.cmdStart->click();
        h.type(QStringLiteral("a;6q")); // three right, one wrong
        h.tickAt(seconds * 1000 + 400);
        QCOMPARE(h.form.Label1->text(), QStringLiteral("0:0:%1").arg(seconds));
        h.form.mnuEsc->trigger();
        QVERIFY(h.waitForMessage());
        QCOMPARE(h.messages[0].text, text);
        QCOMPARE(h.messages[0].icon, QMessageBox::Information);
    }

    void lockingDuringAndAfter()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuBase_Click(1);
        h.form.cmdStart->click();
        Form1 &f = h.form;
        QVERIFY(!f.cmdStart->isEnabled());
        QVERIFY(!f.cmdEnd->isEnabled());
        QVERIFY(f.cmdSandH->isEnabled());
        QVERIFY(!f.mnuOpen->isEnabled());
        for (QMenu *m : {f.mnuB, f.mnuD, f.mnuC, f.mnuR, f.mnuE})
            QVERIFY(!m->menuAction()->isEnabled());
        QVERIFY(!f.frmKeySet->isEnabled());
        QVERIFY(f.frmClass->isEnabled());
        QVERIFY(f.mnuEsc->isEnabled());
        QVERIFY(f.mnuExit->isEnabled());
        QVERIFY(f.lblEsc->isVisible());
        QCOMPARE(f.Label1->text(), QString());
        QCOMPARE(f.lblRight->text(), QString());
        QCOMPARE(f.lblWrong->text(), QString());
        // The speed class can change during a run.
        f.optClass[3]->click();
        QCOMPARE(f.speedClass, qint16(4));
        h.key(Qt::Key_Escape);
        QVERIFY(h.waitForMessage());
        QVERIFY(f.cmdStart->isEnabled());
        QVERIFY(f.cmdEnd->isEnabled());
        QVERIFY(f.mnuOpen->isEnabled());
        for (QMenu *m : {f.mnuB, f.mnuD, f.mnuC, f.mnuR, f.mnuE})
            QVERIFY(m->menuAction()->isEnabled());
        QVERIFY(f.frmKeySet->isEnabled());
        QVERIFY(f.lblEsc->isHidden());
        QCOMPARE(f.picKey->fillColor(2), Palette::EnterShift);
        QCOMPARE(f.picKey->fillColor(3), Palette::EnterShift);
    }

    void startAgainClearsTheEchoes()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuDoc_Click(1); // several lines: the sheet can scroll
        h.form.cmdStart->click();
        h.type(keysForText(h.form).left(5));
        h.key('q');
        h.tickAt(2000);
        h.key(Qt::Key_Escape);
        QVERIFY(h.waitForMessage());
        QVERIFY(h.form.textLayout.positions[0].echoVisible);
        h.form.picWindow->VScroll1->setValue(40);
        h.form.cmdStart->click();
        for (const PositionCell &p : h.form.textLayout.positions) {
            if (&p == &h.form.textLayout.positions[0])
                continue;
            QVERIFY(!p.echoVisible);
            QVERIFY(p.echo.isEmpty());
        }
        QCOMPARE(h.form.picWindow->VScroll1->value(), 1);
        QCOMPARE(h.form.lblRight->text(), QString());
        QCOMPARE(h.form.lblWrong->text(), QString());
        QCOMPARE(h.form.Label1->text(), QString());
        QCOMPARE(h.form.Picture1[0]->barWidth() + h.form.Picture1[1]->barWidth(), 0);
        QCOMPARE(h.form.run.rightCount, 0);
        QCOMPARE(h.form.run.wrongCount, 0);
        QCOMPARE(h.form.run.elapsedSeconds, 0);
        QCOMPARE(h.form.curPos, qint16(1));
    }

    void clockSpeedMeterAndBlinking()
    {
        FormHarness h;
        QVERIFY(h.show());
        TokenTable t = hundredFifty();
        QVERIFY(h.form.LoadPracticeText(t));
        h.now = 1000;
        h.form.cmdStart->click();
        h.type(keysForText(h.form).left(30));
        h.tickAt(1000 + 10'000);
        QCOMPARE(h.form.Label1->text(), QStringLiteral("0:0:10"));
        QCOMPARE(h.form.Picture1[1]->barWidth(), 4000);
        h.form.optClass[3]->click();
        QCOMPARE(h.form.Picture1[1]->barWidth(), 3000);
        h.form.optClass[0]->click();
        QCOMPARE(h.form.Picture1[1]->barWidth(), 12000);
        // On the screen, also when the whole box is painted again (as when
        // the report closes over it), the box clips the bar: its inner area
        // is red to the end, its border is not red anywhere.
        h.form.Picture1[1]->update();
        const QImage img = onScreen(h.form.Picture1[1]);
        QCOMPARE(img.pixelColor(img.width() - 3, 10), QColor(255, 0, 0));
        for (QPoint border : {QPoint(img.width() - 1, 10), QPoint(img.width() - 2, 10), QPoint(1, 10),
                              QPoint(100, 0), QPoint(100, 1), QPoint(100, img.height() - 1)})
            QVERIFY(img.pixelColor(border) != QColor(255, 0, 0));
        QCOMPARE(h.form.Picture1[0]->barWidth(), 30 * 4000 / 150);
        // The current position blinks with the clock.
        const VbColor before = h.form.textLayout.positions[30].echoBack;
        h.tickAt(1000 + 10'500);
        QVERIFY(h.form.textLayout.positions[30].echoBack != before);
        h.tickAt(1000 + 65'000);
        QCOMPARE(h.form.Label1->text(), QStringLiteral("0:1:5"));
    }

    // A keystroke moves the progress bar by about a pixel: only the columns
    // between its old and new ends are painted again, growing or shrinking.
    void progressBarRepaintsItsEnd()
    {
        FormHarness h;
        QVERIFY(h.show());
        MeterBox *box = h.form.Picture1[0];
        struct Spy : QObject {
            QRegion painted;
            bool eventFilter(QObject *, QEvent *e) override
            {
                if (e->type() == QEvent::Paint)
                    painted += static_cast<QPaintEvent *>(e)->region();
                return false;
            }
        } spy;
        box->installEventFilter(&spy);
        QTest::qWait(20);
        for (const int width : {1000, 1011, 3990, 200, 0}) {
            const int before = box->barWidth();
            spy.painted = QRegion();
            box->setBarWidth(width);
            QTRY_VERIFY(!spy.painted.isEmpty());
            const int x0 = 2 + std::min(before, width) / 15;
            const int x1 = 2 + std::max(before, width) / 15;
            const QRect r = spy.painted.boundingRect();
            QVERIFY2(r.left() <= x0 && r.right() >= x1 && r.width() <= x1 - x0 + 4,
                     qPrintable(QStringLiteral("%1 to %2 painted columns %3 to %4")
                                    .arg(before).arg(width).arg(r.left()).arg(r.right())));
        }
        box->setBarWidth(1011);
        QTest::qWait(20);
        const QImage whole = box->grab().toImage();
        QCOMPARE(whole.pixelColor(2 + 1011 / 15 - 1, 10), QColor(0, 0, 255));
        QCOMPARE(whole.pixelColor(2 + 1011 / 15 + 1, 10), QColor(255, 255, 255));
    }

    void speedClassBeforeAnyRun()
    {
        FormHarness h;
        h.form.optClass[0]->click();
        QCOMPARE(h.form.Picture1[1]->barWidth(), 0);
        QCOMPARE(h.form.run.elapsedSeconds, 0);
    }

    void tabBelongsToTheRun()
    {
        FormHarness h;
        QVERIFY(h.show());
        TokenTable t = tableOf({{u"巴", u"ㄅㄚ"}});
        QVERIFY(h.form.LoadPracticeText(t));
        h.form.cmdStart->click();
        QCOMPARE(QApplication::focusWidget(), h.form.picWindow->picWd);
        h.key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), h.form.picWindow->picWd);
        QCOMPARE(h.form.run.wrongCount, 1); // judged: Tab is not ㄅ
        // Nor does Space press a button that has the focus: it is judged too.
        h.form.cmdSandH->setFocus();
        h.key(Qt::Key_Space);
        QVERIFY(!h.form.picKey->isHidden());
        QCOMPARE(h.form.run.wrongCount, 2);
    }

    void spaceStillPressesAButtonOutsideARun()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.cmdStart->setFocus();
        h.key(Qt::Key_Space);
        // Nothing loaded: the button's click gave the hint.
        QVERIFY(h.waitForMessage());
        QCOMPARE(h.messages[0].text, QStringLiteral("請先開啟檔案或打字課程，再按「開始」鍵。"));
    }

    // Outside a run Enter (also the keypad's) presses the focused button, as
    // Space does; during a run it is a judged key and presses nothing.
    void enterPressesTheFocusedButtonOutsideARun()
    {
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        auto keypadEnter = [&] {
            QTest::sendKeyEvent(QTest::Press, h.window(), Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier);
            QTest::sendKeyEvent(QTest::Release, h.window(), Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier);
        };
        f.cmdSandH->setFocus();
        h.key(Qt::Key_Return);
        QCOMPARE(f.cmdSandH->text(), QStringLiteral("顯示鍵盤"));
        keypadEnter();
        QCOMPARE(f.cmdSandH->text(), QStringLiteral("隱藏鍵盤"));
        TokenTable t = tableOf({{u"巴", u"ㄅㄚ"}});
        QVERIFY(f.LoadPracticeText(t));
        QCOMPARE(QApplication::focusWidget(), f.cmdStart);
        h.key(Qt::Key_Return);
        QVERIFY(f.runInProgress());
        f.cmdSandH->setFocus();
        h.key(Qt::Key_Return);
        keypadEnter();
        QCOMPARE(f.cmdSandH->text(), QStringLiteral("隱藏鍵盤"));
        QCOMPARE(f.run.wrongCount, 2);
    }

    // During a run the menu bar takes no keys from the run: a lone Alt does
    // not put it into keyboard mode, the access keys of the disabled menus do
    // nothing, and Esc interrupts also from the open file menu.
    void menuBarLeavesTheRunAlone()
    {
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        f.mnuBase_Click(1); // 忙ㄇㄤˊ …
        f.cmdStart->click();
        h.key(Qt::Key_Alt);
        QVERIFY(!f.menuBar()->activeAction());
        h.key(Qt::Key_Return); // judged wrong; opens nothing
        QCOMPARE(f.run.wrongCount, 1);
        QVERIFY(!QApplication::activePopupWidget());
        h.key('b', Qt::AltModifier);
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(!f.menuBar()->activeAction());
        h.key('a');
        QCOMPARE(f.run.rightCount, 1);
        h.key('f', Qt::AltModifier); // the file menu stays usable
        QTRY_COMPARE(QApplication::activePopupWidget(), f.mnuFile);
        QTest::keyClick(f.mnuFile, Qt::Key_Escape);
        QVERIFY(h.waitForMessage());
        QCOMPARE(h.messages[0].text, QStringLiteral("您中斷了打字練習!!"));
        QVERIFY(!QApplication::activePopupWidget());
    }

    void pressedLookFollowsThePhysicalKey()
    {
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        QTest::keyPress(h.window(), '?', Qt::ShiftModifier);
        QCOMPARE(f.picKey->keyTopRect(47).left, qint16(f.rest.keyLeft[47] + 1));
        QCOMPARE(f.picKey->keyTopRect(2).top, qint16(f.rest.keyTop[2] + 1));
        QCOMPARE(f.picKey->keyTopRect(3).top, qint16(f.rest.keyTop[3] + 1));
        // Shift released first: the key-up still names the "/" key.
        QTest::keyRelease(h.window(), Qt::Key_Slash, Qt::NoModifier);
        QCOMPARE(f.picKey->keyTopRect(47).left, f.rest.keyLeft[47]);
        QCOMPARE(f.picKey->keyTopRect(2).top, f.rest.keyTop[2]);
    }

    // The release of a key pressed just before another window takes the
    // keyboard (the report after a run's last key) goes to that window.
    void keyTopsRiseWhenTheWindowLosesTheKeyboard()
    {
        FormHarness h;
        QVERIFY(h.show());
        Form1 &f = h.form;
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QTest::keyPress(h.window(), '#', Qt::ShiftModifier);
        QCOMPARE(f.picKey->keyTopRect(51).left, qint16(f.rest.keyLeft[51] + 1));
        const KeyRect unpressed = f.picKey->keyTopRect(110); // a key without a recorded rest place
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QCOMPARE(f.picKey->keyTopRect(51).left, f.rest.keyLeft[51]);
        QCOMPARE(f.picKey->keyTopRect(2).top, f.rest.keyTop[2]);
        QCOMPARE(f.picKey->keyTopRect(110).left, unpressed.left); // the others stay where they are
    }

    void capsLockLampFollowsTheKey()
    {
        FormHarness h;
        QVERIFY(h.show());
        const bool before = h.form.IsCapsLockOn();
        QTest::keyPress(h.window(), Qt::Key_CapsLock);
        QCOMPARE(h.form.picKey->keyTopRect(20).left, qint16(h.form.rest.keyLeft[20] + 1));
        QCOMPARE(h.form.shpCapsL->backColor(), before ? Palette::LightGrey : Palette::Green);
        QTest::keyRelease(h.window(), Qt::Key_CapsLock);
        QCOMPARE(h.form.picKey->keyTopRect(20).left, h.form.rest.keyLeft[20]);
        h.key(Qt::Key_CapsLock);
        QCOMPARE(h.form.shpCapsL->backColor(), before ? Palette::Green : Palette::LightGrey);
    }

    // Keys handled in the same batch as the one that ends the run (a busy
    // machine, a burst of keys) do not change how it ended.
    void keysAfterTheEndChangeNothing_data()
    {
        QTest::addColumn<bool>("typedToTheEnd");
        QTest::addColumn<QString>("report");
        QTest::newRow("Esc, then a key") << false << QStringLiteral("您中斷了打字練習!!");
        QTest::newRow("last key, then Esc") << true << QStringLiteral("恭喜您打完本段文字!!");
    }
    void keysAfterTheEndChangeNothing()
    {
        QFETCH(bool, typedToTheEnd);
        QFETCH(QString, report);
        FormHarness h;
        QVERIFY(h.show());
        TokenTable t = tableOf({{u"巴", u"ㄅㄚ"}}); // ㄅ, ㄚ, the first-tone space
        QVERIFY(h.form.LoadPracticeText(t));
        h.form.cmdStart->click();
        h.type(QStringLiteral("18"));
        auto post = [&](Qt::Key key, const QString &text) {
            QCoreApplication::postEvent(h.window(), new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
            QCoreApplication::postEvent(h.window(), new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
        };
        if (typedToTheEnd) {
            post(Qt::Key_Space, QStringLiteral(" "));
            post(Qt::Key_Escape, QStringLiteral("\x1b"));
        } else {
            post(Qt::Key_Escape, QStringLiteral("\x1b"));
            post(Qt::Key_Q, QStringLiteral("q"));
        }
        QCoreApplication::processEvents();
        QVERIFY(h.waitForMessage());
        QCOMPARE(h.messages[0].text, report);
        QCOMPARE(h.form.run.typedKey, typedToTheEnd ? qint16(' ') : PracticeRun::kInterrupt);
        QCOMPARE(h.form.run.wrongCount, 0);
        QCOMPARE(h.form.textLayout.positions[2].echo, typedToTheEnd ? QStringLiteral(" ") : QString());
    }

    void closingDuringARunEndsWithoutReport()
    {
        FormHarness h;
        QVERIFY(h.show());
        h.form.mnuBase_Click(1);
        h.form.cmdStart->click();
        h.key('a');
        h.form.close();
        QTest::qWait(20);
        QVERIFY(h.messages.isEmpty());
        QVERIFY(!h.form.Timer1->isActive());
    }
};

QTEST_MAIN(TestRunWindow)
#include "tst_runwindow.moc"
