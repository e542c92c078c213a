#include "FormTestUtil.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
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
        for (QMenu *m : {f.mnuB, f.mnuD, f.mnuC, f.mnuE})
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
        for (QMenu *m : {f.mnuB, f.mnuD, f.mnuC, f.mnuE})
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
