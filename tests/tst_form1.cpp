#include <QtTest>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include "KeyboardShot.h"
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
        QCOMPARE(f.picKey->geometry().bottom() + 1, 525);
    }

    // The captions as the window shows them, each control found by its name.
    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const char *rows[][2] = {
            {"Label4(0)", "0%"}, {"Label4(2)", "50%"}, {"Label4(1)", "100%"}, {"Label2(3)", "烏龜"},
            {"Label2(4)", "黃牛"}, {"Label2(5)", "野兔"}, {"Label2(6)", "羚羊"}, {"Label2(7)", "獵豹"},
            {"Label2(0)", "打字時間："}, {"Label1", "0:0:0"}, {"Label2(1)", " 正確按鍵："}, {"lblRight", "0"},
            {"Label2(2)", "錯誤按鍵："}, {"lblWrong", "0"}, {"Label3(1)", "Caps Lock"}, {"frmKeySet", "鍵盤設定"},
            {"optKey(0)", "小Enter鍵"}, {"optKey(1)", "\\ 鍵在上"}, {"optKey(2)", "\\ 鍵在下"},
            {"frmClass", "等級設定"}, {"optClass(0)", "初學"}, {"optClass(1)", "入門"}, {"optClass(2)", "一般"},
            {"optClass(3)", "飆速"}, {"cmdSandH", "隱藏鍵盤"}, {"cmdEnd", "關  閉"}, {"cmdStart", "開  始"}};
        for (auto [name, caption] : rows)
            QTest::newRow(name) << QString::fromUtf8(name) << QString::fromUtf8(caption);
    }
    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        Form1 f;
        QWidget *w = f.findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
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

    // Every control lies inside the visible client area; no control covers
    // another, and no label lies on a control (labels may share their strip).
    void controlsApart()
    {
        Form1 f;
        const QList<QWidget *> all = f.centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        QVERIFY(all.size() > 25);
        for (QWidget *a : all) {
            QVERIFY2(f.centralWidget()->rect().contains(a->geometry()), qPrintable(a->objectName()));
            for (QWidget *b : all) {
                const bool labels = qobject_cast<QLabel *>(a) && qobject_cast<QLabel *>(b);
                QVERIFY2(a == b || labels || !a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + QLatin1Char(' ') + b->objectName()));
            }
        }
        QCOMPARE(f.cmdStart->toolTip(), QStringLiteral("開始打字"));
        QCOMPARE(f.cmdEnd->toolTip(), QStringLiteral("結束程式"));
        for (int i = 0; i < 4; ++i)
            QCOMPARE(f.optClass[i]->toolTip(), QStringLiteral("%1鍵/秒").arg(i + 1));
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
        QCOMPARE(f.Picture1[0]->barWidth(), 0);
        QCOMPARE(f.Picture1[1]->barWidth(), 0);
        QCOMPARE(f.lblEsc->text(), QStringLiteral("按Esc鍵可以中斷打字"));
        QVERIFY(f.lblEsc->isHidden());
        QVERIFY(f.cmdStart->isEnabled() && f.cmdEnd->isEnabled() && f.cmdSandH->isEnabled());
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
        QStringList captions;
        for (QAction *a : f.menuBar()->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{"開啟檔案及中斷(&F)", "基本課程(&B)", "詩詞選練(&D)",
                                        "短文選練(&C)", "紀錄(&R)", "說明(E)"}));
        QCOMPARE(f.mnuOpen->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
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

    // Centred across the screen, 250 twips (16 pixels) above its middle, and
    // never with its title bar above the screen.
    void placedAboveTheCentre()
    {
        Form1 f;
        const QRect screen = f.screen()->geometry();
        const QRect frame = f.frameGeometry();
        const int left = frame.left() - screen.left(), right = screen.right() - frame.right();
        const int above = frame.top() - screen.top(), below = screen.bottom() - frame.bottom();
        QVERIFY2(qAbs(left - right) <= 1 && qAbs(below - above - 2 * 16) <= 1,
                 qPrintable(QStringLiteral("%1 left, %2 right, %3 above, %4 below").arg(left).arg(right).arg(above).arg(below)));
        QVERIFY(frame.top() >= f.screen()->availableGeometry().top());
    }
};

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
