#include <QtTest>

#include <QAccessible>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "app/CapsLock.h"
#include "app/Form1.h"
#include "app/Shapes.h"
#include "keyboard/KeyboardView.h"
#include "practice/TextWindow.h"

class TestForm1 : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { CapsLock::setOverride(std::nullopt); }

    void windowProperties()
    {
        Form1 f;
        QCOMPARE(f.windowTitle(), QStringLiteral("Quillory注音打字練習"));
        QCOMPARE(f.centralWidget()->size(), QSize(794, 535));
        // Fixed size, minimise box and no maximise box.
        QCOMPARE(f.minimumSize(), f.maximumSize());
        QVERIFY(f.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(f.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!f.windowIcon().isNull());
        QCOMPARE(f.palette().color(QPalette::Window).name(), QStringLiteral("#e0e0e0"));
        // The keyboard's bottom edge lies inside the visible client area.
        QVERIFY(f.picKey->geometry().bottom() < 535);
        QCOMPARE(f.picKey->geometry().bottom() + 1, 525);
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Label4(0)") << "Label4(0)" << QRect(8, 28, 21, 17) << "0%";
        QTest::newRow("Label4(2)") << "Label4(2)" << QRect(140, 28, 21, 17) << "50%";
        QTest::newRow("Label4(1)") << "Label4(1)" << QRect(264, 28, 33, 17) << "100%";
        QTest::newRow("Label2(3)") << "Label2(3)" << QRect(344, 28, 29, 17) << "烏龜";
        QTest::newRow("Label2(7)") << "Label2(7)" << QRect(568, 28, 29, 17) << "獵豹";
        QTest::newRow("Label2(0)") << "Label2(0)" << QRect(636, 4, 73, 13) << "打字時間：";
        QTest::newRow("Label1") << "Label1" << QRect(712, 4, 69, 13) << "0:0:0";
        QTest::newRow("Label2(1)") << "Label2(1)" << QRect(632, 20, 73, 13) << " 正確按鍵：";
        QTest::newRow("lblRight") << "lblRight" << QRect(700, 20, 77, 13) << "0";
        QTest::newRow("Label2(2)") << "Label2(2)" << QRect(636, 36, 73, 13) << "錯誤按鍵：";
        QTest::newRow("lblWrong") << "lblWrong" << QRect(704, 36, 73, 13) << "0";
        QTest::newRow("Label3(1)") << "Label3(1)" << QRect(536, 72, 29, 29) << "Caps Lock";
        QTest::newRow("frmKeySet") << "frmKeySet" << QRect(24, 52, 233, 45) << "鍵盤設定";
        QTest::newRow("optKey(0)") << "optKey(0)" << QRect(8, 16, 77, 21) << "小Enter鍵";
        QTest::newRow("optKey(1)") << "optKey(1)" << QRect(84, 16, 69, 21) << "\\ 鍵在上";
        QTest::newRow("optKey(2)") << "optKey(2)" << QRect(160, 16, 69, 21) << "\\ 鍵在下";
        QTest::newRow("frmClass") << "frmClass" << QRect(280, 52, 237, 45) << "等級設定";
        QTest::newRow("optClass(0)") << "optClass(0)" << QRect(8, 16, 49, 21) << "初學";
        QTest::newRow("optClass(3)") << "optClass(3)" << QRect(180, 16, 49, 21) << "飆速";
        QTest::newRow("cmdSandH") << "cmdSandH" << QRect(576, 56, 81, 25) << "隱藏鍵盤";
        QTest::newRow("cmdEnd") << "cmdEnd" << QRect(668, 56, 53, 25) << "關  閉";
        QTest::newRow("cmdStart") << "cmdStart" << QRect(732, 56, 49, 25) << "開  始";
        QTest::newRow("picWindow") << "picWindow" << QRect(8, 108, 777, 130) << "";
        QTest::newRow("picKey") << "picKey" << QRect(32, 244, 745, 281) << "";
    }
    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        Form1 f;
        QWidget *w = f.findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        QCOMPARE(w->geometry(), geometry);
        QCOMPARE(w->accessibleDescription(), name);
        QString text;
        if (auto *l = qobject_cast<QLabel *>(w))
            text = l->text();
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            text = b->text();
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            text = g->title();
        QCOMPARE(text, caption);
    }

    void toolTips()
    {
        Form1 f;
        QCOMPARE(f.cmdStart->toolTip(), QStringLiteral("開始打字"));
        QCOMPARE(f.cmdEnd->toolTip(), QStringLiteral("結束程式"));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(f.optClass[i]->toolTip(), QStringLiteral("%1鍵/秒").arg(i + 1));
        QCOMPARE(f.cmdStart->font().pointSizeF(), 9.0);
        QCOMPARE(f.font().pointSizeF(), 9.75);
        QVERIFY(f.font().families().startsWith(QStringLiteral("新細明體")));
    }

    void startUpState()
    {
        Form1 f;
        QVERIFY(f.optClass[2]->isChecked());
        QCOMPARE(f.speedClass, qint16(3));
        QVERIFY(f.optKey[0]->isChecked());
        QCOMPARE(f.Timer1->interval(), 500);
        QVERIFY(!f.Timer1->isActive());
        QVERIFY(!f.tmrHand->isActive());
        QCOMPARE(f.tmrHand->interval(), 16); // one hands frame per display refresh
        QCOMPARE(f.Picture1[0]->barWidth(), 0);
        QCOMPARE(f.Picture1[1]->barWidth(), 0);
        QCOMPARE(f.Picture1[0]->barLeft(), 0);
        QCOMPARE(f.Picture1[1]->barLeft(), 0);
        QCOMPARE(f.Picture1[0]->barHeight(), 255);
        QCOMPARE(f.lblEsc->text(), QStringLiteral("按Esc鍵可以中斷打字"));
        QVERIFY(f.lblEsc->isHidden());
        QVERIFY(f.cmdStart->isEnabled());
        QVERIFY(f.cmdEnd->isEnabled());
        QVERIFY(f.cmdSandH->isEnabled());
        QCOMPARE(f.titleLeft, 4);
        QCOMPARE(f.titleTop, 28);
        QCOMPARE(f.titleWidth, 17);
        QCOMPARE(f.wordWidth, 21);
        QCOMPARE(f.rest.keyLeft[8], qint16(632));
        QCOMPARE(f.rest.keyLeft[110], qint16(0));
    }

    void capsLockLamp_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<uint>("colour");
        QTest::newRow("on: green") << true << 0x0000FF00u;
        QTest::newRow("off: drawn grey") << false << 0x00808080u;
    }
    void capsLockLamp()
    {
        QFETCH(bool, on);
        QFETCH(uint, colour);
        CapsLock::setOverride(on);
        Form1 f;
        QCOMPARE(f.shpCapsL->backColor(), colour);
        QCOMPARE(f.shpCapsL->borderWidth(), 2);
        // And the lamp really is painted in that colour.
        const QImage img = f.shpCapsL->grab().toImage();
        const QColor c = img.pixelColor(img.width() / 2, img.height() / 2);
        QCOMPARE(c.red(), int(colour & 0xFF));
        QCOMPARE(c.green(), int((colour >> 8) & 0xFF));
        // Round, as wide as the shape's smaller side, although the shape is 13 × 17.
        QRect painted;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) != img.pixel(0, 0))
                    painted |= QRect(x, y, 1, 1);
        QCOMPARE(painted.size(), QSize(13, 13));
        QCOMPARE(painted.center(), img.rect().center());
    }

    void menus()
    {
        Form1 f;
        const QList<QAction *> top = f.menuBar()->actions();
        QStringList captions;
        for (QAction *a : top)
            captions << a->text();
        QCOMPARE(captions, (QStringList{"開啟檔案及中斷(&F)", "基本課程(&B)", "詩詞選練(&D)",
                                        "短文選練(&C)", "紀錄(&R)", "說明(E)"}));
        QCOMPARE(f.mnuOpen->text(), QStringLiteral("開啟打字檔(& O)..."));
        QCOMPARE(f.mnuOpen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(f.mnuEsc->text(), QStringLiteral("中斷打字Esc"));
        QVERIFY(f.mnuB1->isSeparator());
        QCOMPARE(f.mnuExit->text(), QStringLiteral("結束(&X)"));
        QStringList file;
        for (QAction *a : f.mnuFile->actions())
            file << (a->isSeparator() ? QStringLiteral("-") : a->text());
        // The article commands follow the open command.
        QCOMPARE(file, (QStringList{"開啟打字檔(& O)...", "開啟文章…", "貼上文章", "存成打字檔…",
                                    "中斷打字Esc", "-", "結束(&X)"}));
        QCOMPARE(f.mnuOpenArticle->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+O")));
        QCOMPARE(f.mnuPasteArticle->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+V")));
        QVERIFY(!f.mnuSaveArticle->isEnabled()); // nothing to save before an article is open
        QStringList record;
        for (QAction *a : f.mnuR->actions())
            record << a->text();
        QCOMPARE(record, (QStringList{"學習紀錄", "弱鍵練習"}));
        QStringList help;
        for (QAction *a : f.mnuE->actions())
            help << a->text();
        QCOMPARE(help, (QStringList{"指法圖", "姿勢", "關於…"}));
        QVERIFY(f.mnuPos[1]->isEnabled());
        QVERIFY(!f.mnuPos[2]->isEnabled()); // "姿勢" does nothing: shown disabled
        // The menus open in the menu bar's font.
        for (QMenu *m : {f.mnuFile, f.mnuB, f.mnuD, f.mnuC, f.mnuE})
            QCOMPARE(QFontInfo(m->font()).family(), QFontInfo(f.menuBar()->font()).family());
    }

    void messagesInTheWindowsFont()
    {
        Form1 f;
        QString family;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                family = QFontInfo(box->font()).family();
                box->accept();
            }
        });
        f.cmdStart_Click(); // nothing loaded: a hint in a message box
        QCOMPARE(family, QFontInfo(f.font()).family());
    }

    void startFocusedWhenShown()
    {
        Form1 f;
        f.show();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        QCOMPARE(QApplication::focusWidget(), f.cmdStart);
        // Start is first in the tab order: Tab from it reaches the other buttons.
        QCOMPARE(f.cmdStart->nextInFocusChain(), static_cast<QWidget *>(f.cmdEnd));
    }

    void speedClassButtons()
    {
        Form1 f;
        f.optClass[0]->click();
        QCOMPARE(f.speedClass, qint16(1));
        f.optClass[3]->click();
        QCOMPARE(f.speedClass, qint16(4));
        QVERIFY(f.optClass[3]->isChecked());
        QVERIFY(!f.optClass[2]->isChecked());
    }

    void windowStaysOnScreen()
    {
        Form1 f;
        const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(f.frameGeometry().top() >= avail.top());
        QVERIFY(f.frameGeometry().left() >= avail.left());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
